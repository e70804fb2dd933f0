#include "DemoDiagram.h"

#include "EmfWriter.h"
#include "WmfWriter.h"

#include <QPolygon>
#include <QRect>
#include <QString>

namespace {

// The diagram is laid out on 1600 x 1000 logical units, shown at 768 x 480 pixels.
constexpr int Width = 1600;
constexpr int Height = 1000;
constexpr int PixelWidth = 768;
constexpr int PixelHeight = 480;

enum Align { Left = 0, Center = 6 };
constexpr int TA_BASELINE = 24;
constexpr int RUSSIAN_CHARSET = 204;

// What the two file kinds both know how to draw.
class Sink
{
public:
    virtual ~Sink() = default;
    virtual void box(const QRect& r, QRgb fill, QRgb line, int lineWidth, int radius) = 0;
    virtual void polygon(const QPolygon& p, QRgb fill, QRgb line) = 0;
    virtual void text(int x, int y, const QString& s, int height, bool bold, QRgb color) = 0;
};

QPolygon doubleArrow(int x, int top, int bottom)
{
    const int shaft = 18, head = 44, len = 30;
    return QPolygon({{x, top},
                     {x + head, top + len},
                     {x + shaft, top + len},
                     {x + shaft, bottom - len},
                     {x + head, bottom - len},
                     {x, bottom},
                     {x - head, bottom - len},
                     {x - shaft, bottom - len},
                     {x - shaft, top + len},
                     {x - head, top + len}});
}

void draw(Sink& s)
{
    const QRgb navy = qRgb(0x1F, 0x3A, 0x68);
    const QRgb green = qRgb(0x2E, 0x6B, 0x30);
    const QRgb brown = qRgb(0x8A, 0x4B, 0x08);
    const QRgb shadow = qRgb(0xC8, 0xC8, 0xC8);

    s.box(QRect(0, 0, Width, Height), qRgb(0xFB, 0xFB, 0xF7), qRgb(0xB0, 0xB0, 0xB0), 4, 0);
    s.text(Width / 2, 90, QStringLiteral("Архитектура компьютера"), 64, true, navy);

    // Processor with its parts.
    s.box(QRect(112, 162, 600, 350), shadow, shadow, 0, 40);
    s.box(QRect(100, 150, 600, 350), qRgb(0xDC, 0xE9, 0xF7), navy, 6, 40);
    s.text(400, 225, QStringLiteral("Процессор"), 52, true, navy);
    const QString parts[3] = {QStringLiteral("АЛУ"), QStringLiteral("УУ"),
                              QStringLiteral("Регистры")};
    for (int i = 0; i < 3; ++i) {
        const QRect r(125 + i * 185, 280, 170, 170);
        s.box(r, qRgb(0xFF, 0xFF, 0xFF), navy, 3, 20);
        s.text(r.center().x(), r.center().y() + 14, parts[i], 36, false, navy);
    }

    // Memory.
    s.box(QRect(912, 162, 600, 350), shadow, shadow, 0, 40);
    s.box(QRect(900, 150, 600, 350), qRgb(0xE2, 0xF3, 0xDF), green, 6, 40);
    s.text(1200, 225, QStringLiteral("Память"), 52, true, green);
    s.box(QRect(950, 280, 230, 170), qRgb(0xFF, 0xFF, 0xFF), green, 3, 20);
    s.text(1065, 379, QStringLiteral("ОЗУ"), 40, false, green);
    s.box(QRect(1220, 280, 230, 170), qRgb(0xFF, 0xFF, 0xFF), green, 3, 20);
    s.text(1335, 379, QStringLiteral("ПЗУ"), 40, false, green);

    // System bus.
    s.box(QRect(100, 620, 1400, 90), qRgb(0xFC, 0xE4, 0xC4), brown, 5, 45);
    s.text(800, 680, QStringLiteral("Системная шина"), 44, true, brown);

    // Input and output devices.
    s.box(QRect(362, 822, 876, 160), shadow, shadow, 0, 40);
    s.box(QRect(350, 810, 876, 160), qRgb(0xFF, 0xF6, 0xC8), brown, 6, 40);
    s.text(788, 877, QStringLiteral("Устройства ввода-вывода"), 48, true, brown);
    s.text(788, 940, QStringLiteral("клавиатура, мышь, монитор, принтер"), 34, false, brown);

    // Data paths to and from the bus.
    const QRgb arrow = qRgb(0xE0, 0x7B, 0x1A);
    s.polygon(doubleArrow(400, 508, 614), arrow, brown);
    s.polygon(doubleArrow(1200, 508, 614), arrow, brown);
    s.polygon(doubleArrow(788, 714, 806), arrow, brown);
}

class WmfSink : public Sink
{
public:
    // 1600 units on 768 pixels at 96 dpi: 200 units per inch.
    WmfWriter w{QRect(0, 0, Width, Height), Width * 96 / PixelWidth};

    WmfSink()
    {
        w.setMapMode(8); // MM_ANISOTROPIC
        w.setWindowOrg(0, 0);
        w.setWindowExt(Width, Height);
        w.setBkMode(1); // TRANSPARENT
        w.setPolyFillMode(2);
    }
    void box(const QRect& r, QRgb fill, QRgb line, int lineWidth, int radius) override
    {
        const int pen = w.createPen(lineWidth > 0 ? 0 : 5, lineWidth, line);
        const int brush = w.createBrush(0, fill);
        w.selectObject(pen);
        w.selectObject(brush);
        if (radius > 0)
            w.roundRect(r, radius, radius);
        else
            w.rectangle(r);
        w.deleteObject(pen);
        w.deleteObject(brush);
    }
    void polygon(const QPolygon& p, QRgb fill, QRgb line) override
    {
        const int pen = w.createPen(0, 3, line);
        const int brush = w.createBrush(0, fill);
        w.selectObject(pen);
        w.selectObject(brush);
        w.polygon(p);
        w.deleteObject(pen);
        w.deleteObject(brush);
    }
    void text(int x, int y, const QString& s, int height, bool bold, QRgb color) override
    {
        const int font =
            w.createFont(-height, QStringLiteral("Arial"), RUSSIAN_CHARSET, bold ? 700 : 400);
        w.selectObject(font);
        w.setTextColor(color);
        w.setTextAlign(Center | TA_BASELINE);
        w.textOut(x, y, WmfWriter::encode(s, "windows-1251"));
        w.deleteObject(font);
    }
};

class EmfSink : public Sink
{
public:
    // 768 x 480 pixels on the 96 dpi reference screen: 203.2 x 127 mm.
    EmfWriter w{QRect(0, 0, PixelWidth, PixelHeight), QRect(0, 0, 20320, 12700)};
    quint32 next = 1;

    EmfSink()
    {
        w.setMapMode(8);
        w.setWindowOrg(0, 0);
        w.setWindowExt(Width, Height);
        w.setViewportOrg(0, 0);
        w.setViewportExt(PixelWidth, PixelHeight);
        w.setBkMode(1);
        w.setPolyFillMode(2);
    }
    void box(const QRect& r, QRgb fill, QRgb line, int lineWidth, int radius) override
    {
        w.createPen(1, lineWidth > 0 ? 0 : 5, lineWidth, line);
        w.createBrush(2, 0, fill);
        w.selectObject(1);
        w.selectObject(2);
        if (radius > 0)
            w.roundRect(r, radius, radius);
        else
            w.rectangle(r);
        w.selectStockObject(7); // BLACK_PEN
        w.selectStockObject(0); // WHITE_BRUSH
        w.deleteObject(1);
        w.deleteObject(2);
    }
    void polygon(const QPolygon& p, QRgb fill, QRgb line) override
    {
        // Drawn as a path, the way many programs write their shapes.
        w.createPen(1, 0, 3, line);
        w.createBrush(2, 0, fill);
        w.selectObject(1);
        w.selectObject(2);
        w.beginPath();
        w.moveTo(p[0].x(), p[0].y());
        w.polyline16(p);
        w.closeFigure();
        w.endPath();
        w.strokeAndFillPath();
        w.selectStockObject(7);
        w.selectStockObject(0);
        w.deleteObject(1);
        w.deleteObject(2);
    }
    void text(int x, int y, const QString& s, int height, bool bold, QRgb color) override
    {
        w.createFont(3, -height, QStringLiteral("Arial"), RUSSIAN_CHARSET, bold ? 700 : 400);
        w.selectObject(3);
        w.setTextColor(color);
        w.setTextAlign(Center | TA_BASELINE);
        w.extTextOutW(x, y, s);
        w.selectStockObject(13); // SYSTEM_FONT
        w.deleteObject(3);
    }
};

} // namespace

QByteArray DemoDiagram::wmf()
{
    WmfSink sink;
    draw(sink);
    return sink.w.finish();
}

QByteArray DemoDiagram::emf()
{
    EmfSink sink;
    draw(sink);
    return sink.w.finish();
}
