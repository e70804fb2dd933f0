// Plays Windows and enhanced metafiles that the tests write byte by byte, and checks the
// pixels drawn and the text decoded.

#include "DemoDiagram.h"
#include "DibWriter.h"
#include "EmfWriter.h"
#include "SampleMetafiles.h"
#include "WmfWriter.h"
#include "store/LkError.h"
#include "viewer/EmfPlayer.h"
#include "viewer/PictureLoader.h"
#include "viewer/WmfPlayer.h"

#include <QFile>
#include <QPainter>
#include <QtTest>
#include <cstring>

namespace {

enum : int {
    MM_TEXT = 1,
    MM_LOMETRIC = 2,
    MM_HIMETRIC = 3,
    MM_TWIPS = 6,
    MM_ISOTROPIC = 7,
    MM_ANISOTROPIC = 8,
    TRANSPARENT = 1,
    OPAQUE = 2,
    TA_UPDATECP = 1,
    TA_RIGHT = 2,
    TA_CENTER = 6,
    TA_BOTTOM = 8,
    TA_BASELINE = 24,
    ANSI_CHARSET = 0,
    RUSSIAN_CHARSET = 204,
};

const QRgb Red = qRgb(220, 0, 0);
const QRgb Blue = qRgb(0, 0, 220);
const QRgb Green = qRgb(0, 160, 0);

QImage render(const MetafilePlayer& player, QSize size, const MetafileTextObserver& observer = {})
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    player.play(painter, QRectF(QPointF(0, 0), size), observer);
    painter.end();
    return image;
}

QImage render(const QByteArray& file, const char* name, QSize size,
              QList<MetafileTextRun>* runs = nullptr)
{
    const Picture picture = PictureLoader::fromData(file, QString::fromLatin1(name));
    if (!picture.isMetafile())
        return {};
    return render(*picture.metafile(), size, [runs](const MetafileTextRun& run) {
        if (runs)
            runs->append(run);
    });
}

bool near(QRgb actual, QRgb expected, int tolerance = 48)
{
    return qAbs(qRed(actual) - qRed(expected)) <= tolerance &&
           qAbs(qGreen(actual) - qGreen(expected)) <= tolerance &&
           qAbs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

QString describe(QRgb c)
{
    return QStringLiteral("(%1, %2, %3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
}

#define CHECK_PIXEL(image, x, y, color)                                                            \
    do {                                                                                           \
        const QRgb actual_ = (image).pixel(int(x), int(y));                                        \
        QVERIFY2(near(actual_, color), qPrintable(QStringLiteral("pixel (%1, %2) is %3, not %4")   \
                                                      .arg(int(x))                                 \
                                                      .arg(int(y))                                 \
                                                      .arg(describe(actual_))                      \
                                                      .arg(describe(color))));                     \
    } while (false)

int darkPixels(const QImage& image, const QRect& area)
{
    int count = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(image.pixel(x, y)) < 100)
                ++count;
    return count;
}

// The shapes every mapping test draws, given how logical coordinates are formed from a
// 1000 x 500 layout with y growing downwards.
using Map = std::function<QPoint(int x, int y)>;

QRect mapped(const Map& map, int l, int t, int r, int b)
{
    return QRect(map(l, t), map(r, b)).normalized();
}

void drawLayout(WmfWriter& w, const Map& map)
{
    const int red = w.createBrush(0, Red);
    const int blue = w.createBrush(0, Blue);
    const int pen = w.createPen(5, 0, 0); // PS_NULL
    w.selectObject(pen);
    w.selectObject(red);
    w.rectangle(mapped(map, 100, 50, 400, 250));
    w.selectObject(blue);
    w.ellipse(mapped(map, 600, 275, 900, 475));
}

// A red rectangle over 10%..40% x 10%..50% and a blue ellipse centred at 75%, 75%.
void checkLayout(const QImage& image)
{
    const int w = image.width(), h = image.height();
    CHECK_PIXEL(image, w * 0.2, h * 0.3, Red);
    CHECK_PIXEL(image, w * 0.38, h * 0.48, Red);
    CHECK_PIXEL(image, w * 0.75, h * 0.75, Blue);
    CHECK_PIXEL(image, w * 0.5, h * 0.1, qRgb(255, 255, 255));
    CHECK_PIXEL(image, w * 0.45, h * 0.3, qRgb(255, 255, 255));
    CHECK_PIXEL(image, w * 0.05, h * 0.05, qRgb(255, 255, 255));
    CHECK_PIXEL(image, w * 0.61, h * 0.56, qRgb(255, 255, 255)); // outside the ellipse's curve
    CHECK_PIXEL(image, w * 0.75, h * 0.9, Blue);
}

QPoint identity(int x, int y)
{
    return {x, y};
}

} // namespace

class TestMetafiles : public QObject
{
    Q_OBJECT

private slots:
    void wmfMappings_data();
    void wmfMappings();
    void wmfCyrillicText();
    void wmfTextAlignment();
    void wmfBitmaps();
    void wmfClipAndSaveRestore();
    void wmfPensBrushesAndRasterOps();
    void wmfArcsAndObjectSlots();
    void wmfBlitRecords();
    void emfMappings_data();
    void emfMappings();
    void emfTextAndPaths();
    void emfBitmapsAndStockObjects();
    void naturalSizes();
    void damagedFiles_data();
    void damagedFiles();
    void samplesPlayEveryRecord();
    void demoPictures();
};

void TestMetafiles::wmfMappings_data()
{
    QTest::addColumn<QByteArray>("file");

    {
        // Placeable header, window equal to the bounding box.
        WmfWriter w(QRect(0, 0, 1000, 500), 1000);
        w.setMapMode(MM_ANISOTROPIC);
        w.setWindowOrg(0, 0);
        w.setWindowExt(1000, 500);
        drawLayout(w, identity);
        QTest::newRow("placeable") << w.finish();
    }
    {
        // No placeable header: the window extent gives the size.
        WmfWriter w;
        w.setWindowOrg(0, 0);
        w.setWindowExt(1000, 500);
        drawLayout(w, identity);
        QTest::newRow("plain") << w.finish();
    }
    {
        // Origin moved: the drawing is shifted by the same amount.
        WmfWriter w(QRect(-300, 200, 1000, 500), 2000);
        w.setWindowOrg(-300, 200);
        w.setWindowExt(1000, 500);
        drawLayout(w, [](int x, int y) { return QPoint(x - 300, y + 200); });
        QTest::newRow("window origin") << w.finish();
    }
    {
        // y grows upwards: negative window extent.
        WmfWriter w;
        w.setMapMode(MM_ANISOTROPIC);
        w.setWindowOrg(0, 500);
        w.setWindowExt(1000, -500);
        drawLayout(w, [](int x, int y) { return QPoint(x, 500 - y); });
        QTest::newRow("flipped window") << w.finish();
    }
    {
        // Logical units ten times finer than the frame, scaled by a viewport of its own.
        WmfWriter w;
        w.setMapMode(MM_ANISOTROPIC);
        w.setWindowExt(1000, 500);
        w.setViewportExt(1000, 500);
        w.setWindowExt(10000, 5000);
        drawLayout(w, [](int x, int y) { return QPoint(x * 10, y * 10); });
        QTest::newRow("window and viewport") << w.finish();
    }
    {
        WmfWriter w(QRect(0, 0, 1000, 500), 1000);
        w.setMapMode(MM_ISOTROPIC);
        w.setWindowExt(1000, 500);
        drawLayout(w, identity);
        QTest::newRow("isotropic") << w.finish();
    }
    {
        // Tenths of a millimetre, y upwards: 1000 x 500 units is 100 x 50 mm.
        WmfWriter w(QRect(0, 0, 1000, 500), 254);
        w.setMapMode(MM_LOMETRIC);
        w.setWindowOrg(0, 500);
        drawLayout(w, [](int x, int y) { return QPoint(x, 500 - y); });
        QTest::newRow("lometric") << w.finish();
    }
    {
        WmfWriter w(QRect(0, 0, 1000, 500), 1440);
        w.setMapMode(MM_TWIPS);
        w.setWindowOrg(0, 500);
        drawLayout(w, [](int x, int y) { return QPoint(x, 500 - y); });
        QTest::newRow("twips") << w.finish();
    }
    {
        // A state saved, spoiled and restored: the mapping and the brush come back.
        WmfWriter w(QRect(0, 0, 1000, 500), 1000);
        w.setWindowExt(1000, 500);
        const int green = w.createBrush(0, Green);
        w.saveDC();
        w.saveDC();
        w.selectObject(green);
        w.setWindowOrg(400, 100);
        w.scaleWindowExt(1, 3, 1, 3);
        w.restoreDC(1); // back to the first save, dropping both
        w.saveDC();
        w.offsetWindowOrg(-200, 0);
        w.restoreDC(-1);
        w.restoreDC(-1); // nothing left to restore: ignored
        drawLayout(w, identity);
        QTest::newRow("save and restore") << w.finish();
    }
}

void TestMetafiles::wmfMappings()
{
    QFETCH(QByteArray, file);
    checkLayout(render(file, "layout.wmf", QSize(400, 200)));
    // The same picture at another size and place: drawn again as vectors, not scaled pixels.
    const Picture picture = PictureLoader::fromData(file, QStringLiteral("layout.wmf"));
    QImage big(1000, 600, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::white);
    QPainter painter(&big);
    picture.draw(painter, QRectF(100, 50, 800, 400));
    painter.end();
    CHECK_PIXEL(big, 100 + 800 * 0.2, 50 + 400 * 0.3, Red);
    CHECK_PIXEL(big, 100 + 800 * 0.75, 50 + 400 * 0.75, Blue);
    CHECK_PIXEL(big, 100 + 800 * 0.1 - 3, 50 + 400 * 0.3, qRgb(255, 255, 255));
    CHECK_PIXEL(big, 50, 300, qRgb(255, 255, 255));
}

void TestMetafiles::wmfCyrillicText()
{
    WmfWriter w(QRect(0, 0, 1000, 500), 1000);
    w.setWindowExt(1000, 500);
    w.setBkMode(TRANSPARENT);
    const int russian = w.createFont(-80, QStringLiteral("Arial"), RUSSIAN_CHARSET, 700);
    w.selectObject(russian);
    w.setTextColor(qRgb(0, 0, 0));
    w.textOut(50, 50, WmfWriter::encode(QStringLiteral("Процессор"), "windows-1251"));
    const int western = w.createFont(-60, QStringLiteral("Times New Roman"), ANSI_CHARSET);
    w.selectObject(western);
    const QByteArray cafe("Caf\xe9 \xc0");
    w.extTextOut(50, 250, cafe, 0, {}, {40, 40, 40, 40, 40, 40});
    w.selectObject(russian);
    w.setBkMode(OPAQUE);
    w.setBkColor(qRgb(255, 255, 0));
    w.extTextOut(50, 380, WmfWriter::encode(QStringLiteral("Память"), "windows-1251"), 0x02,
                 QRect(40, 370, 600, 100));

    QList<MetafileTextRun> runs;
    const QImage image = render(w.finish(), "text.wmf", QSize(500, 250), &runs);
    QCOMPARE(runs.size(), 3);
    QCOMPARE(runs[0].text, QStringLiteral("Процессор"));
    QCOMPARE(runs[0].charset, int(RUSSIAN_CHARSET));
    QCOMPARE(runs[0].face, QStringLiteral("Arial"));
    QCOMPARE(runs[1].text, QStringLiteral("Café À"));
    QCOMPARE(runs[2].text, QStringLiteral("Память"));

    // 80 logical units of a 500-unit-high window drawn 250 pixels high: 40 pixels.
    QVERIFY(qAbs(runs[0].pixelHeight - 40) < 0.5);
    QVERIFY(qAbs(runs[0].origin.x() - 25) < 0.5);
    QVERIFY(qAbs(runs[0].origin.y() - 25) < 0.5);
    const QRect box = runs[0].box.toAlignedRect();
    QVERIFY2(box.top() >= 24 && box.left() >= 24 && box.height() <= 60 && box.width() > 120,
             qPrintable(QStringLiteral("box %1 %2 %3 %4")
                            .arg(box.x())
                            .arg(box.y())
                            .arg(box.width())
                            .arg(box.height())));
    QVERIFY(darkPixels(image, box) > 200);
    // Nothing dark right of or below the word (before the next line).
    QCOMPARE(darkPixels(image, QRect(box.right() + 3, 20, 150, 70)), 0);
    QCOMPARE(darkPixels(image, QRect(0, box.bottom() + 3, 500, 40)), 0);

    // The advances of ExtTextOut place each character: six of 40 units, 20 pixels each.
    QVERIFY(qAbs(runs[1].box.width() - 120) < 1);
    const QRect cafeBox = runs[1].box.toAlignedRect();
    QVERIFY(darkPixels(image, cafeBox.adjusted(0, 0, -cafeBox.width() / 2, 0)) > 30);
    QVERIFY(darkPixels(image, cafeBox.adjusted(cafeBox.width() * 5 / 6, 0, 0, 0)) > 10); // À

    // Opaque mode: the opaque rectangle and the text cells show the background colour.
    CHECK_PIXEL(image, 300, 225, qRgb(255, 255, 0));
    CHECK_PIXEL(image, 12, 190, qRgb(255, 255, 255));
    QVERIFY(darkPixels(image, runs[2].box.toAlignedRect()) > 100);
}

void TestMetafiles::wmfTextAlignment()
{
    WmfWriter w(QRect(0, 0, 400, 400), 96);
    w.setWindowExt(400, 400);
    w.setBkMode(TRANSPARENT);
    w.selectObject(w.createFont(-40, QStringLiteral("Arial"), RUSSIAN_CHARSET));
    const QByteArray word = WmfWriter::encode(QStringLiteral("Шина"), "windows-1251");
    w.setTextAlign(TA_CENTER | TA_BASELINE);
    w.textOut(200, 100, word + '\0'); // with its terminating NUL counted
    w.setTextAlign(TA_RIGHT | TA_BOTTOM);
    w.textOut(380, 200, word);
    w.setTextAlign(TA_UPDATECP);
    w.moveTo(20, 300);
    w.textOut(0, 0, WmfWriter::encode(QStringLiteral("АБ"), "windows-1251"));
    w.textOut(0, 0, WmfWriter::encode(QStringLiteral("ВГ"), "windows-1251"));
    // Escapement turns the baseline: 90 degrees counter-clockwise runs upwards.
    w.setTextAlign(0);
    w.selectObject(
        w.createFont(-30, QStringLiteral("Arial"), RUSSIAN_CHARSET, 400, false, false, false, 900));
    w.textOut(40, 260, word);

    QList<MetafileTextRun> runs;
    const QImage image = render(w.finish(), "align.wmf", QSize(400, 400), &runs);
    QCOMPARE(runs.size(), 5);
    for (const MetafileTextRun& r : runs)
        QVERIFY(r.text == QStringLiteral("Шина") || r.text == QStringLiteral("АБ") ||
                r.text == QStringLiteral("ВГ"));

    const QRectF centred = runs[0].box;
    QVERIFY(qAbs(centred.center().x() - 200) < 1);
    QVERIFY(centred.top() < 100 && centred.bottom() > 100 && centred.bottom() < 115);
    const QRectF right = runs[1].box;
    QVERIFY(qAbs(right.right() - 380) < 1);
    QVERIFY(qAbs(right.bottom() - 200) < 1);
    QVERIFY(darkPixels(image, right.toAlignedRect()) > 50);

    // With TA_UPDATECP the second run starts where the first ended.
    QVERIFY(qAbs(runs[2].origin.x() - 20) < 0.5);
    QVERIFY(qAbs(runs[3].origin.x() - runs[2].box.right()) < 1);
    QVERIFY(qAbs(runs[3].origin.y() - 300) < 0.5);

    // Upward text: taller than wide.
    QVERIFY(runs[4].box.height() > 2 * runs[4].box.width());
    QVERIFY(runs[4].box.bottom() <= 261 && runs[4].box.left() >= 39);
    QVERIFY(darkPixels(image, runs[4].box.toAlignedRect()) > 50);
}

void TestMetafiles::wmfBitmaps()
{
    const QImage quarters = SampleMetafiles::quarters();
    WmfWriter w(QRect(0, 0, 400, 200), 96);
    w.setWindowExt(400, 200);
    // 24 bits, bottom-up, stretched to 100 x 100.
    w.stretchDIBits(QRect(0, 0, 100, 100), QRect(0, 0, 4, 4),
                    DibWriter::write(quarters, DibWriter::Format::Rgb24));
    // 8 bits with a colour table, top-down.
    w.stretchDIBits(QRect(100, 0, 100, 100), QRect(0, 0, 4, 4),
                    DibWriter::write(quarters, DibWriter::Format::Indexed8, true));
    // Only the upper right quarter of a bottom-up bitmap: y is counted from the bottom row.
    w.stretchDIBits(QRect(200, 0, 100, 100), QRect(2, 2, 2, 2),
                    DibWriter::write(quarters, DibWriter::Format::Indexed8));
    // Mirrored by a negative destination width.
    w.stretchDIBits(QRect(399, 100, -100, 100), QRect(0, 0, 4, 4),
                    DibWriter::write(quarters, DibWriter::Format::Rgb24));
    const QImage image = render(w.finish(), "bitmaps.wmf", QSize(400, 200));

    for (int left : {0, 100}) {
        CHECK_PIXEL(image, left + 25, 25, qRgb(255, 0, 0));
        CHECK_PIXEL(image, left + 75, 25, qRgb(0, 255, 0));
        CHECK_PIXEL(image, left + 25, 75, qRgb(0, 0, 255));
        CHECK_PIXEL(image, left + 75, 75, qRgb(255, 255, 0));
    }
    CHECK_PIXEL(image, 210, 10, qRgb(0, 255, 0));
    CHECK_PIXEL(image, 290, 90, qRgb(0, 255, 0));
    CHECK_PIXEL(image, 350, 50, qRgb(255, 255, 255));
    CHECK_PIXEL(image, 310, 125, qRgb(0, 255, 0)); // mirrored: green now on the left
    CHECK_PIXEL(image, 390, 125, qRgb(255, 0, 0));
    CHECK_PIXEL(image, 310, 175, qRgb(255, 255, 0));
}

void TestMetafiles::wmfClipAndSaveRestore()
{
    WmfWriter w(QRect(0, 0, 200, 100), 96);
    w.setWindowExt(200, 100);
    w.selectObject(w.createPen(5, 0, 0));
    w.selectObject(w.createBrush(0, Red));
    w.saveDC();
    w.intersectClipRect(QRect(20, 20, 60, 60));
    w.excludeClipRect(QRect(40, 40, 20, 20));
    w.rectangle(QRect(0, 0, 200, 100));
    w.restoreDC(-1);
    w.selectObject(w.createBrush(0, Blue));
    w.rectangle(QRect(150, 10, 40, 40)); // outside the old clip: drawn after the restore
    const QImage image = render(w.finish(), "clip.wmf", QSize(200, 100));
    CHECK_PIXEL(image, 30, 30, Red);
    CHECK_PIXEL(image, 70, 70, Red);
    CHECK_PIXEL(image, 50, 50, qRgb(255, 255, 255)); // excluded
    CHECK_PIXEL(image, 10, 10, qRgb(255, 255, 255)); // outside
    CHECK_PIXEL(image, 100, 50, qRgb(255, 255, 255));
    CHECK_PIXEL(image, 170, 30, Blue);
}

void TestMetafiles::wmfPensBrushesAndRasterOps()
{
    WmfWriter w(QRect(0, 0, 400, 200), 96);
    w.setWindowExt(400, 200);
    // A cross-hatched brush on an opaque yellow background, black hatch.
    w.setBkColor(qRgb(255, 255, 0));
    w.selectObject(w.createPen(5, 0, 0));
    w.selectObject(w.createBrush(2, qRgb(0, 0, 0), 4));
    w.rectangle(QRect(0, 0, 100, 100));
    // A hollow brush with a wide green pen: the inside stays white.
    w.selectObject(w.createBrush(1, 0));
    w.selectObject(w.createPen(0, 10, Green));
    w.rectangle(QRect(120, 10, 80, 80));
    // A dashed line in opaque mode: its gaps show the background colour (blue).
    w.setBkColor(Blue);
    w.selectObject(w.createPen(1, 0, Red));
    w.moveTo(0, 150);
    w.lineTo(400, 150);
    // R2_NOT inverts what lies under a filled shape.
    w.selectObject(w.createPen(5, 0, 0));
    w.selectObject(w.createBrush(0, qRgb(0, 0, 0)));
    w.rectangle(QRect(250, 20, 60, 60));
    w.setROP2(6);
    w.rectangle(QRect(280, 20, 60, 60));
    w.setROP2(13);
    w.setPixel(390, 190, Red);
    const QImage image = render(w.finish(), "pens.wmf", QSize(400, 200));

    int yellow = 0, black = 0;
    for (int y = 5; y < 95; ++y)
        for (int x = 5; x < 95; ++x) {
            const QRgb c = image.pixel(x, y);
            yellow += near(c, qRgb(255, 255, 0), 30);
            black += near(c, qRgb(0, 0, 0), 60);
        }
    QVERIFY2(yellow > 4000 && black > 800,
             qPrintable(QStringLiteral("%1 yellow, %2 black").arg(yellow).arg(black)));
    CHECK_PIXEL(image, 160, 50, qRgb(255, 255, 255));
    CHECK_PIXEL(image, 122, 50, Green);
    int red = 0, blue = 0;
    for (int x = 0; x < 400; ++x) {
        red += near(image.pixel(x, 150), Red, 60);
        blue += near(image.pixel(x, 150), Blue, 60);
    }
    QVERIFY2(red > 150 && blue > 50,
             qPrintable(QStringLiteral("%1 red, %2 blue").arg(red).arg(blue)));
    CHECK_PIXEL(image, 265, 50, qRgb(0, 0, 0));       // black only
    CHECK_PIXEL(image, 295, 50, qRgb(255, 255, 255)); // black inverted
    CHECK_PIXEL(image, 325, 50, qRgb(0, 0, 0));       // white inverted
    CHECK_PIXEL(image, 390, 190, Red);
}

void TestMetafiles::wmfArcsAndObjectSlots()
{
    WmfWriter w(QRect(0, 0, 400, 200), 96);
    w.setWindowExt(400, 200);
    const int pen = w.createPen(5, 0, 0);  // slot 0
    const int red = w.createBrush(0, Red); // slot 1
    QCOMPARE(pen, 0);
    QCOMPARE(red, 1);
    w.selectObject(pen);
    w.selectObject(red);
    // A pie from 3 o'clock counter-clockwise to 12 o'clock: the upper right quarter.
    w.arc(WmfWriter::Pie, QRect(0, 0, 200, 200), QPoint(200, 100), QPoint(100, 0));
    w.deleteObject(pen);
    // The freed slot 0 takes the next object.
    const int blue = w.createBrush(0, Blue);
    QCOMPARE(blue, 0);
    w.selectObject(blue);
    // A chord across the lower half of the second circle.
    w.arc(WmfWriter::Chord, QRect(200, 0, 200, 200), QPoint(200, 100), QPoint(400, 100));
    const QImage image = render(w.finish(), "arcs.wmf", QSize(400, 200));
    CHECK_PIXEL(image, 140, 50, Red);
    CHECK_PIXEL(image, 60, 50, qRgb(255, 255, 255));
    CHECK_PIXEL(image, 140, 150, qRgb(255, 255, 255));
    CHECK_PIXEL(image, 300, 150, Blue);
    CHECK_PIXEL(image, 300, 50, qRgb(255, 255, 255));
}

void TestMetafiles::wmfBlitRecords()
{
    const QByteArray dib = DibWriter::write(SampleMetafiles::quarters(), DibWriter::Format::Rgb24);
    WmfWriter w(QRect(0, 0, 400, 100), 96);
    w.setWindowExt(400, 100);
    // DIBBitBlt: a 4 x 4 bitmap copied one to one, then only its lower right pixel.
    w.record(0x0940, {0x0020, 0x00CC, 0, 0, 4, 4, 0, 0}, dib);
    w.record(0x0940, {0x0020, 0x00CC, 3, 3, 1, 1, 10, 10}, dib);
    // DIBStretchBlt: the upper left quarter (top-left origin) stretched to 80 x 80.
    w.record(0x0B41, {0x0020, 0x00CC, 2, 2, 0, 0, 80, 80, 10, 20}, dib);
    // PatBlt with the selected brush, and the forms without a bitmap.
    w.selectObject(w.createBrush(0, Blue));
    w.patBlt(QRect(120, 10, 80, 80), 0x00F00021);                 // PATCOPY
    w.record(0x0940, {0x0042, 0x0000, 0, 0, 0, 80, 80, 10, 220}); // BLACKNESS
    w.patBlt(QRect(220, 50, 80, 40), 0x00550009);                 // DSTINVERT: black to white
    w.patBlt(QRect(320, 10, 80, 80), 0x00F00021);
    w.record(0x0B41, {0x0062, 0x00FF, 0, 0, 0, 0, 0, 40, 80, 10, 320}); // WHITENESS
    const QImage image = render(w.finish(), "blits.wmf", QSize(400, 100));
    CHECK_PIXEL(image, 0, 0, qRgb(255, 0, 0));
    CHECK_PIXEL(image, 3, 3, qRgb(255, 255, 0));
    CHECK_PIXEL(image, 10, 10, qRgb(255, 255, 0));
    CHECK_PIXEL(image, 60, 50, qRgb(255, 0, 0));
    CHECK_PIXEL(image, 160, 50, Blue);
    CHECK_PIXEL(image, 260, 30, qRgb(0, 0, 0));
    CHECK_PIXEL(image, 260, 70, qRgb(255, 255, 255));
    CHECK_PIXEL(image, 360, 30, qRgb(255, 255, 255));
    CHECK_PIXEL(image, 360, 70, Blue);
}

void TestMetafiles::emfMappings_data()
{
    QTest::addColumn<QByteArray>("file");
    // 400 x 200 pixels on the 96 dpi reference device.
    const QRect bounds(0, 0, 399, 199);
    const QRect frame(0, 0, 10583, 5292);

    auto layout = [](EmfWriter& w, const std::function<QPoint(int, int)>& map) {
        w.createBrush(1, 0, Red);
        w.createBrush(2, 0, Blue);
        w.selectStockObject(8); // NULL_PEN
        w.selectObject(1);
        w.rectangle(mapped(map, 100, 50, 400, 250));
        w.selectObject(2);
        w.ellipse(mapped(map, 600, 275, 900, 475));
    };
    {
        EmfWriter w(bounds, frame);
        w.setMapMode(MM_ANISOTROPIC);
        w.setWindowExt(1000, 500);
        w.setViewportExt(400, 200);
        layout(w, identity);
        QTest::newRow("anisotropic") << w.finish();
    }
    {
        EmfWriter w(bounds, frame);
        layout(w, [](int x, int y) { return QPoint(x * 2 / 5, y * 2 / 5); });
        QTest::newRow("text") << w.finish();
    }
    {
        EmfWriter w(bounds, frame);
        w.setWorldTransform(QTransform::fromScale(0.4, 0.4));
        layout(w, identity);
        QTest::newRow("world transform") << w.finish();
    }
    {
        EmfWriter w(bounds, frame);
        w.setWorldTransform(QTransform::fromTranslate(100, 0));
        // Applied first: scale, then the translation already in place.
        w.modifyWorldTransform(QTransform::fromScale(0.4, 0.4), 2);
        layout(w, [](int x, int y) { return QPoint(x - 250, y); });
        QTest::newRow("world transform, left multiplied") << w.finish();
    }
    {
        // Hundredths of a millimetre, y up from the bottom of the frame.
        EmfWriter w(bounds, frame);
        w.setMapMode(MM_HIMETRIC);
        w.setViewportOrg(0, 200);
        layout(w,
               [](int x, int y) { return QPoint(qRound(x * 10.583), qRound((500 - y) * 10.583)); });
        QTest::newRow("himetric") << w.finish();
    }
    {
        EmfWriter w(bounds, frame);
        w.setMapMode(MM_ANISOTROPIC);
        w.setWindowExt(1000, 500);
        w.setViewportExt(400, 200);
        w.saveDC();
        w.setViewportExt(40, 20);
        w.saveDC();
        w.setWindowOrg(500, 500);
        w.restoreDC(1);
        layout(w, identity);
        QTest::newRow("save and restore") << w.finish();
    }
}

void TestMetafiles::emfMappings()
{
    QFETCH(QByteArray, file);
    checkLayout(render(file, "layout.emf", QSize(400, 200)));
    checkLayout(render(file, "layout.emf", QSize(900, 450)));
}

void TestMetafiles::emfTextAndPaths()
{
    EmfWriter w(QRect(0, 0, 399, 199), QRect(0, 0, 10583, 5292));
    w.setBkMode(TRANSPARENT);
    w.createFont(1, -30, QStringLiteral("Arial"), RUSSIAN_CHARSET, 700);
    w.selectObject(1);
    w.setTextColor(qRgb(0, 0, 0));
    w.extTextOutW(10, 10, QStringLiteral("Устройства ввода-вывода"));
    w.extTextOutW(10, 60, QStringLiteral("Шина"), 0, {}, {30, 30, 30, 30});
    // A triangle built as a path and filled.
    w.createBrush(2, 0, Green);
    w.selectObject(2);
    w.selectStockObject(8);
    w.beginPath();
    w.moveTo(250, 100);
    w.lineTo(390, 100);
    w.lineTo(320, 190);
    w.closeFigure();
    w.endPath();
    w.fillPath();
    // A Bézier outline stroked from a path.
    w.createPen(3, 0, 6, Blue);
    w.selectObject(3);
    w.beginPath();
    w.moveTo(10, 190);
    w.polyBezierTo16(QPolygon({{60, 110}, {160, 110}, {210, 190}}));
    w.endPath();
    w.strokePath();

    QList<MetafileTextRun> runs;
    const QImage image = render(w.finish(), "text.emf", QSize(400, 200), &runs);
    QCOMPARE(runs.size(), 2);
    QCOMPARE(runs[0].text, QStringLiteral("Устройства ввода-вывода"));
    QCOMPARE(runs[1].text, QStringLiteral("Шина"));
    QVERIFY(qAbs(runs[0].pixelHeight - 30) < 0.5);
    QVERIFY(darkPixels(image, runs[0].box.toAlignedRect()) > 300);
    QVERIFY(qAbs(runs[1].box.width() - 120) < 1);
    CHECK_PIXEL(image, 320, 130, Green);
    CHECK_PIXEL(image, 260, 180, qRgb(255, 255, 255));
    CHECK_PIXEL(image, 110, 131, Blue); // the top of the curve
    CHECK_PIXEL(image, 110, 170, qRgb(255, 255, 255));
}

void TestMetafiles::emfBitmapsAndStockObjects()
{
    const QImage quarters = SampleMetafiles::quarters();
    EmfWriter w(QRect(0, 0, 399, 199), QRect(0, 0, 10583, 5292));
    const QByteArray dib24 = DibWriter::write(quarters, DibWriter::Format::Rgb24);
    w.stretchDIBits(QRect(0, 0, 100, 100), QRect(0, 0, 4, 4), dib24, DibWriter::infoSize(dib24));
    const QByteArray dib8 = DibWriter::write(quarters, DibWriter::Format::Indexed8);
    w.stretchDIBits(QRect(100, 0, 100, 100), QRect(0, 0, 4, 4), dib8, DibWriter::infoSize(dib8));
    // EMR_BITBLT and EMR_STRETCHBLT: the source rectangle counts from the top-left.
    auto blt = [&](quint32 type, QRect dest, QRect source) {
        QByteArray p(16, '\0');
        auto put = [&p](qint32 v) {
            p.append(char(v & 0xff)).append(char((v >> 8) & 0xff));
            p.append(char((v >> 16) & 0xff)).append(char((v >> 24) & 0xff));
        };
        put(dest.x()), put(dest.y()), put(dest.width()), put(dest.height());
        put(0x00CC0020);
        put(source.x()), put(source.y());
        const float identity[6] = {1, 0, 0, 1, 0, 0};
        for (float f : identity) {
            qint32 bits;
            std::memcpy(&bits, &f, 4);
            put(bits);
        }
        put(0), put(0); // background, DIB_RGB_COLORS
        const qint32 fixed = type == 76 ? 100 : 108;
        const qint32 info = qint32(DibWriter::infoSize(dib24));
        put(fixed), put(info), put(fixed + info), put(qint32(dib24.size()) - info);
        if (type == 77)
            put(source.width()), put(source.height());
        w.record(type, p + dib24);
    };
    blt(76, QRect(0, 120, 4, 4), QRect(0, 0, 4, 4));
    blt(77, QRect(100, 100, 40, 40), QRect(0, 0, 2, 2));
    w.selectStockObject(4); // BLACK_BRUSH
    w.selectStockObject(8); // NULL_PEN
    w.rectangle(QRect(220, 20, 60, 60));
    w.selectStockObject(5); // NULL_BRUSH
    w.selectStockObject(7); // BLACK_PEN
    w.rectangle(QRect(300, 20, 60, 60));
    const QImage image = render(w.finish(), "bitmaps.emf", QSize(400, 200));
    for (int left : {0, 100}) {
        CHECK_PIXEL(image, left + 25, 25, qRgb(255, 0, 0));
        CHECK_PIXEL(image, left + 75, 25, qRgb(0, 255, 0));
        CHECK_PIXEL(image, left + 25, 75, qRgb(0, 0, 255));
        CHECK_PIXEL(image, left + 75, 75, qRgb(255, 255, 0));
    }
    CHECK_PIXEL(image, 0, 120, qRgb(255, 0, 0));
    CHECK_PIXEL(image, 3, 123, qRgb(255, 255, 0));
    CHECK_PIXEL(image, 120, 120, qRgb(255, 0, 0));
    CHECK_PIXEL(image, 145, 120, qRgb(255, 255, 255));
    CHECK_PIXEL(image, 250, 50, qRgb(0, 0, 0));
    CHECK_PIXEL(image, 330, 50, qRgb(255, 255, 255));
    CHECK_PIXEL(image, 300, 50, qRgb(0, 0, 0));
}

void TestMetafiles::naturalSizes()
{
    {
        WmfWriter w(QRect(0, 0, 2880, 1440), 1440); // two inches by one
        const WmfPlayer p(w.finish());
        QCOMPARE(p.naturalSize(), QSize(192, 96));
    }
    {
        WmfWriter w;
        w.setWindowOrg(10, 10);
        w.setWindowExt(300, 200);
        const WmfPlayer p(w.finish());
        QCOMPARE(p.naturalSize(), QSize(300, 200));
    }
    {
        // No size at all: the bounds of the drawing.
        WmfWriter w;
        w.rectangle(QRect(10, 20, 50, 30));
        const WmfPlayer p(w.finish());
        QVERIFY(qAbs(p.naturalSize().width() - 50) <= 2);
        QVERIFY(qAbs(p.naturalSize().height() - 30) <= 2);
    }
    {
        // The frame in hundredths of a millimetre: 50.8 x 25.4 mm at 96 dpi.
        EmfWriter w(QRect(0, 0, 10, 10), QRect(0, 0, 5080, 2540));
        const EmfPlayer p(w.finish());
        QCOMPARE(p.naturalSize(), QSize(192, 96));
    }
    {
        // No frame: the bounds in device pixels.
        EmfWriter w(QRect(0, 0, 150, 100), QRect(0, 0, -1, -1));
        const EmfPlayer p(w.finish());
        QCOMPARE(p.naturalSize(), QSize(150, 100));
    }
}

void TestMetafiles::damagedFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    WmfWriter good(QRect(0, 0, 100, 100), 96);
    good.rectangle(QRect(10, 10, 10, 10));
    const QByteArray wmf = good.finish();
    const int header = 22 + 18; // placeable + standard header

    QByteArray badType = wmf;
    badType[22] = 7;
    QTest::newRow("wmf header") << badType << "a.wmf"
                                << "header after the placeable header";
    QTest::newRow("not a metafile") << QByteArray("plain text, not a picture") << "a.wmf"
                                    << "not a Windows metafile";
    QByteArray zeroInch = wmf;
    zeroInch[14] = 0, zeroInch[15] = 0;
    QTest::newRow("no units per inch") << zeroInch << "a.wmf"
                                       << "no units per inch";
    QByteArray tinyRecord = wmf;
    tinyRecord[header] = 2;
    QTest::newRow("record too small") << tinyRecord << "a.wmf"
                                      << "impossible size";
    QByteArray longRecord = wmf;
    longRecord[header + 1] = 0x40;
    QTest::newRow("record past the end") << longRecord << "a.wmf"
                                         << "runs past the end";
    QTest::newRow("no end record") << wmf.left(wmf.size() - 6) << "a.wmf"
                                   << "ends without its end record";
    QTest::newRow("cut in the header") << wmf.left(30) << "a.wmf"
                                       << "too short for its header";
    {
        WmfWriter w;
        w.record(0x0324, {50, 1, 2, 3, 4}); // a polygon of 50 points with two given
        QTest::newRow("polygon count") << w.finish() << "a.wmf"
                                       << "Polygon";
    }
    {
        WmfWriter w;
        QByteArray dib = DibWriter::write(SampleMetafiles::quarters(), DibWriter::Format::Rgb24);
        w.stretchDIBits(QRect(0, 0, 4, 4), QRect(0, 0, 4, 4), dib.left(dib.size() - 10));
        QTest::newRow("bitmap truncated") << w.finish() << "a.wmf"
                                          << "bitmap data is truncated";
        dib[0] = 30;
        WmfWriter v;
        v.stretchDIBits(QRect(0, 0, 4, 4), QRect(0, 0, 4, 4), dib);
        QTest::newRow("bitmap header") << v.finish() << "a.wmf"
                                       << "bitmap header size 30";
    }

    EmfWriter e(QRect(0, 0, 9, 9), QRect(0, 0, 100, 100));
    e.rectangle(QRect(1, 1, 5, 5));
    const QByteArray emf = e.finish();
    QByteArray signature = emf;
    signature[41] = 'X';
    QTest::newRow("emf signature") << signature << "a.emf"
                                   << "not a Windows metafile";
    QByteArray oddSize = emf;
    oddSize[108 + 4] = 27;
    QTest::newRow("emf record size") << oddSize << "a.emf"
                                     << "impossible size";
    QByteArray pastEnd = emf;
    pastEnd[108 + 5] = 0x7f;
    QTest::newRow("emf record past the end") << pastEnd << "a.emf"
                                             << "runs past the end";
    QTest::newRow("emf without end") << emf.left(emf.size() - 20) << "a.emf"
                                     << "ends without its end record";
    {
        EmfWriter t(QRect(0, 0, 9, 9), QRect(0, 0, 100, 100));
        t.extTextOutW(0, 0, QStringLiteral("текст"));
        QByteArray text = t.finish();
        text[108 + 48] = char(0xF0); // the string offset points past the record
        QTest::newRow("emf text offset") << text << "a.emf"
                                         << "EMR_EXTTEXTOUTW";
    }
}

void TestMetafiles::damagedFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    try {
        PictureLoader::fromData(file, name);
        QFAIL("the damaged file was accepted");
    } catch (const LkError& e) {
        QCOMPARE(e.kind(), LkErrorKind::Graphic);
        QVERIFY2(
            e.message().startsWith(QStringLiteral("Cannot load the picture \"%1\": ").arg(name)),
            qPrintable(e.message()));
        QVERIFY2(e.message().contains(expected), qPrintable(e.message()));
    }
}

void TestMetafiles::samplesPlayEveryRecord()
{
    QList<MetafileTextRun> runs;
    const QImage wmf = render(SampleMetafiles::wmf(), "sample.wmf", QSize(500, 400), &runs);
    QVERIFY(!wmf.isNull());
    QStringList texts;
    for (const MetafileTextRun& r : runs)
        texts << r.text;
    QCOMPARE(texts, QStringList({QStringLiteral("Схема"), QStringLiteral("Текст"),
                                 QStringLiteral("AB"), QStringLiteral("CD")}));
    // The bitmaps come after the window extent was doubled and its origin moved by 10.
    CHECK_PIXEL(wmf, 5, 127, qRgb(255, 0, 0));

    runs.clear();
    const QImage emf = render(SampleMetafiles::emf(), "sample.emf", QSize(400, 300), &runs);
    QVERIFY(!emf.isNull());
    QCOMPARE(runs.size(), 2);
    QCOMPARE(runs[0].text, QStringLiteral("Привет, мир"));
    QCOMPARE(runs[1].text, QStringLiteral("𝄞 nota"));
}

void TestMetafiles::demoPictures()
{
    const QString dir = qEnvironmentVariable("LK_SOURCE_DIR") + QStringLiteral("/demo/pictures/");
    const std::pair<QString, QByteArray> files[] = {
        {QStringLiteral("shema.wmf"), DemoDiagram::wmf()},
        {QStringLiteral("shema.emf"), DemoDiagram::emf()}};
    for (const auto& [name, bytes] : files) {
        QFile file(dir + name);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        // The committed file is what the generator writes.
        QCOMPARE(file.readAll(), bytes);
        const Picture picture = PictureLoader::load(file.fileName());
        QCOMPARE(picture.naturalSize(), QSize(768, 480));
        QList<MetafileTextRun> runs;
        const QImage image = render(*picture.metafile(), QSize(768, 480),
                                    [&runs](const MetafileTextRun& r) { runs.append(r); });
        QStringList texts;
        for (const MetafileTextRun& r : runs)
            texts << r.text;
        for (const char* label :
             {"Процессор", "Память", "Устройства ввода-вывода", "Системная шина", "АЛУ", "ОЗУ"})
            QVERIFY2(texts.contains(QString::fromUtf8(label)), label);
        for (const MetafileTextRun& r : runs)
            QVERIFY2(darkPixels(image, r.box.toAlignedRect()) > 0 ||
                         qGray(image.pixel(r.box.center().toPoint())) < 200,
                     qPrintable(r.text));
        CHECK_PIXEL(image, 192, 115, qRgb(0xDC, 0xE9, 0xF7)); // inside the processor box
    }
}

QTEST_MAIN(TestMetafiles)
#include "tst_metafiles.moc"
