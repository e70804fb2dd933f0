#include "SampleMetafiles.h"

#include "DibWriter.h"
#include "EmfWriter.h"
#include "WmfWriter.h"

#include <QtEndian>

namespace {

QByteArray le16(quint16 v)
{
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

} // namespace

QImage SampleMetafiles::quarters()
{
    QImage image(4, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            image.setPixel(x, y,
                           y < 2 ? (x < 2 ? qRgb(255, 0, 0) : qRgb(0, 255, 0))
                                 : (x < 2 ? qRgb(0, 0, 255) : qRgb(255, 255, 0)));
    return image;
}

QByteArray SampleMetafiles::wmf()
{
    WmfWriter w(QRect(0, 0, 1000, 800), 1000);
    w.setMapMode(8);
    w.setWindowOrg(0, 0);
    w.setWindowExt(1000, 800);
    w.createPalette(); // slot 0
    for (int style = 0; style <= 6; ++style) {
        const int pen = w.createPen(style, style == 3 ? 12 : 0, qRgb(20 * style, 0, 100));
        w.selectObject(pen);
        w.moveTo(10, 10 + style * 12);
        w.lineTo(400, 10 + style * 12);
        w.deleteObject(pen);
    }
    const int hatch = w.createBrush(2, qRgb(0, 0, 200), 5);
    w.selectObject(hatch);
    w.setBkColor(qRgb(255, 255, 0));
    w.rectangle(QRect(10, 100, 100, 60));
    w.setBkMode(1);
    w.ellipse(QRect(120, 100, 100, 60));
    w.roundRect(QRect(230, 100, 100, 60), 30, 20);
    const int solid = w.createBrush(0, qRgb(200, 100, 0));
    w.selectObject(solid);
    w.arc(WmfWriter::Pie, QRect(340, 100, 100, 80), QPoint(440, 140), QPoint(390, 100));
    w.arc(WmfWriter::Chord, QRect(450, 100, 100, 80), QPoint(550, 140), QPoint(450, 140));
    w.arc(WmfWriter::Arc, QRect(560, 100, 100, 80), QPoint(660, 140), QPoint(560, 140));
    w.polygon(QPolygon({{10, 200}, {100, 200}, {55, 280}}));
    w.polyline(QPolygon({{110, 200}, {200, 280}, {290, 200}}));
    w.setPolyFillMode(2);
    w.polyPolygon({QPolygon({{300, 200}, {400, 200}, {400, 290}, {300, 290}}),
                   QPolygon({{320, 220}, {380, 220}, {380, 270}, {320, 270}})});
    w.setPixel(500, 250, qRgb(255, 0, 255));
    const int font = w.createFont(-40, QStringLiteral("Arial"), 204, 700, true, true, true, 150);
    w.selectObject(font);
    w.setTextColor(qRgb(0, 0, 0));
    w.textOut(10, 320, WmfWriter::encode(QStringLiteral("Схема"), "windows-1251"));
    w.setBkMode(2);
    w.extTextOut(10, 380, WmfWriter::encode(QStringLiteral("Текст"), "windows-1251"), 0x06,
                 QRect(5, 375, 300, 50), {30, 30, 30, 30, 30});
    w.setTextAlign(1);
    w.moveTo(400, 380);
    w.textOut(0, 0, "AB");
    w.textOut(0, 0, "CD");
    w.setTextAlign(6 | 24);
    w.saveDC();
    w.intersectClipRect(QRect(600, 300, 200, 200));
    w.excludeClipRect(QRect(650, 350, 50, 50));
    w.setROP2(7);
    w.rectangle(QRect(580, 280, 240, 240));
    w.restoreDC(-1);
    w.scaleWindowExt(2, 1, 2, 1);
    w.offsetWindowOrg(10, 10);
    w.patBlt(QRect(10, 450, 100, 40), 0x00F00021);
    w.patBlt(QRect(120, 450, 100, 40), 0x00550009);
    const QByteArray dib24 = DibWriter::write(quarters(), DibWriter::Format::Rgb24);
    w.stretchDIBits(QRect(10, 500, 80, 80), QRect(0, 0, 4, 4), dib24);
    w.stretchDIBits(QRect(100, 500, 80, 80), QRect(0, 0, 4, 4),
                    DibWriter::write(quarters(), DibWriter::Format::Indexed8, true), 0x00660046);
    w.stretchDIBits(QRect(190, 500, 80, 80), QRect(0, 0, 4, 4),
                    DibWriter::write(quarters(), DibWriter::Format::Rle8));
    // DIBBitBlt and DIBStretchBlt, with and without a bitmap.
    w.record(0x0940, {0x0020, 0x00CC, 0, 0, 4, 4, 500, 300}, dib24);
    w.record(0x0940, {0x0062, 0x00FF, 0, 0, 0, 40, 40, 500, 350});
    w.record(0x0B41, {0x0020, 0x00CC, 4, 4, 0, 0, 60, 60, 560, 300}, dib24);
    w.record(0x0B41, {0x0042, 0x0000, 4, 4, 0, 0, 0, 60, 60, 560, 370});
    // A DIB pattern brush and a region filled, framed, painted, inverted and clipped to.
    w.record(0x0142, {5, 0}, DibWriter::write(quarters(), DibWriter::Format::Rgb24));
    // Slots: 0 palette, 1 hatched brush, 2 solid brush, 3 font, 4 pattern brush, 5 region.
    w.record(0x06FF, {0, 6,   0,   0,   0,   2,   0,   0, 0, 0, 0, // header
                      4, 600, 700, 600, 700, 800, 900, 4,          // a scan with two spans
                      2, 700, 750, 600, 650, 2});                  // and one with one
    w.record(0x0228, {5, 4});
    w.record(0x0429, {5, 1, 5, 5});
    w.record(0x012B, {5});
    w.record(0x012A, {5});
    w.record(0x012C, {5});
    w.rectangle(QRect(580, 580, 400, 200));
    w.record(0x012C, {0});
    w.record(0x0626, {15, 4}, QByteArray("abcd")); // an escape
    w.record(0x0999, {1, 2, 3});                   // a record no one knows
    w.setViewportOrg(5, 5);
    w.setViewportExt(500, 400);
    w.setMapMode(2);
    w.ellipse(QRect(0, -100, 100, 100));
    return w.finish();
}

QByteArray SampleMetafiles::emf()
{
    EmfWriter w(QRect(0, 0, 399, 299), QRect(0, 0, 10583, 7938));
    w.createPen(1, 2, 3, qRgb(0, 0, 255));
    w.extCreatePen(2, 0x00010000 | 7 | 0x200 | 0x1000, 4, qRgb(255, 0, 0), {10, 5, 2, 5});
    w.createBrush(3, 2, qRgb(0, 128, 0), 4);
    w.createFont(4, -20, QStringLiteral("Liberation Serif"), 204, 400, true, 300);
    w.selectObject(1);
    w.selectObject(3);
    w.rectangle(QRect(10, 10, 80, 50));
    w.selectObject(2);
    w.ellipse(QRect(100, 10, 80, 50));
    w.roundRect(QRect(190, 10, 80, 50), 20, 20);
    w.selectStockObject(4);
    w.selectStockObject(8);
    w.polygon16(QPolygon({{10, 70}, {80, 70}, {45, 120}}));
    w.polyline16(QPolygon({{90, 70}, {150, 120}, {200, 70}}));
    w.polyBezier16(QPolygon({{210, 70}, {230, 130}, {260, 10}, {290, 70}}));
    w.moveTo(300, 70);
    w.polyBezierTo16(QPolygon({{320, 130}, {350, 10}, {380, 70}}));
    w.polyPolygon16({QPolygon({{10, 130}, {60, 130}, {60, 180}}),
                     QPolygon({{70, 130}, {120, 130}, {120, 180}})});
    w.beginPath();
    w.moveTo(130, 130);
    w.lineTo(200, 130);
    w.lineTo(165, 190);
    w.closeFigure();
    w.endPath();
    w.selectObject(3);
    w.strokeAndFillPath();
    w.beginPath();
    w.rectangle(QRect(210, 130, 50, 50));
    w.endPath();
    w.fillPath();
    w.selectObject(4);
    w.setTextAlign(24);
    w.setBkMode(2);
    w.setBkColor(qRgb(255, 255, 200));
    w.extTextOutW(10, 230, QStringLiteral("Привет, мир"), 0x02, QRect(5, 205, 150, 30),
                  {12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12});
    w.setTextAlign(1);
    w.extTextOutW(0, 0, QStringLiteral("𝄞 nota"));
    w.saveDC();
    w.setWorldTransform(QTransform().rotate(30).translate(50, 0));
    w.modifyWorldTransform(QTransform::fromScale(1.5, 1.5), 2);
    w.intersectClipRect(QRect(200, 200, 180, 90));
    w.excludeClipRect(QRect(250, 220, 20, 20));
    w.rectangle(QRect(200, 200, 150, 80));
    w.restoreDC(1);
    w.setMapMode(3);
    w.setViewportOrg(0, 299);
    w.ellipse(QRect(9000, 100, 1000, 1000));
    w.setMapMode(7);
    w.setWindowExt(100, 100);
    w.setViewportExt(50, 80);
    w.rectangle(QRect(600, 0, 50, 50));
    w.setMapMode(1);
    w.setViewportOrg(0, 0);
    const QByteArray dib = DibWriter::write(quarters(), DibWriter::Format::Rgb24);
    w.stretchDIBits(QRect(300, 200, 40, 40), QRect(0, 0, 4, 4), dib, DibWriter::infoSize(dib));
    const QByteArray dib8 = DibWriter::write(quarters(), DibWriter::Format::Indexed8, true);
    w.stretchDIBits(QRect(345, 200, 40, 40), QRect(0, 2, 4, 2), dib8, DibWriter::infoSize(dib8));
    w.record(1000, QByteArray(12, 'x')); // a record no one knows
    w.record(70, le32(8) + QByteArray("comment!"));
    // A clip region of two rectangles, then a region filled with a brush object.
    QByteArray region =
        le32(32) + le32(1) + le32(2) + le32(32) + le32(0) + le32(0) + le32(400) + le32(300);
    region +=
        le32(0) + le32(250) + le32(100) + le32(300) + le32(150) + le32(250) + le32(250) + le32(300);
    w.record(75, le32(quint32(region.size())) + le32(5) + region);
    w.record(71, QByteArray(16, '\0') + le32(quint32(region.size())) + le32(3) + region);
    w.record(75, le32(0) + le32(5));
    Q_UNUSED(le16);
    return w.finish();
}
