// Makes the demo course's own art and binary files, so each can be made again from source:
//
//   lektorika-demogen pictures <course>     pictures/neumann.bmp, pictures/info.jpg,
//   pictures/devices.jpg lektorika-demogen page-images <dir>     the pictures embedded in the
//   single-file pages lektorika-demogen mht <out.mht> <page.html> <charset> <name> <image>...
//                                           packs a page and its pictures as a web archive, with
//                                           the file:///C:/ locations a word processor writes
//   lektorika-demogen midi <out.mid>        the course melody, a Standard MIDI File
//   lektorika-demogen frames <dir>          the frames of the video, frame-000.png …
//
// demo/src/generate.sh runs them in order; the outputs are committed.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>
#include <QtMath>

#include <algorithm>
#include <vector>

namespace {
const QColor Ink(20, 30, 70);
const QColor BoxFill(220, 234, 255);
const QColor Accent(29, 61, 143);

QFont font(int pixels, bool bold = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

void box(QPainter& p, const QRectF& r, const QString& text, const QColor& fill = BoxFill,
         int pixels = 16)
{
    p.setPen(QPen(Accent, 2));
    p.setBrush(fill);
    p.drawRoundedRect(r, 8, 8);
    p.setPen(Ink);
    p.setFont(font(pixels, true));
    p.drawText(r, Qt::AlignCenter | Qt::TextWordWrap, text);
}

void arrow(QPainter& p, QPointF from, QPointF to, const QColor& colour = Accent, bool both = false)
{
    p.setPen(QPen(colour, 2.5));
    p.drawLine(from, to);
    auto head = [&](QPointF tip, QPointF tail) {
        const qreal a = std::atan2(tip.y() - tail.y(), tip.x() - tail.x());
        QPolygonF h;
        h << tip << tip - QPointF(std::cos(a - 0.4), std::sin(a - 0.4)) * 12
          << tip - QPointF(std::cos(a + 0.4), std::sin(a + 0.4)) * 12;
        p.setBrush(colour);
        p.setPen(Qt::NoPen);
        p.drawPolygon(h);
        p.setPen(QPen(colour, 2.5));
    };
    head(to, from);
    if (both)
        head(from, to);
}

QImage canvas(int w, int h, const QColor& background = QColor(255, 255, 250))
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(background);
    return image;
}

void title(QPainter& p, const QRectF& r, const QString& text, int pixels = 20)
{
    p.setPen(Accent);
    p.setFont(font(pixels, true));
    p.drawText(r, Qt::AlignCenter, text);
}

// The von Neumann machine: processor (ALU + control unit), memory, input and output.
QImage neumann()
{
    QImage image = canvas(640, 420);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    title(p, QRectF(0, 8, 640, 30), QStringLiteral("Схема компьютера по фон Нейману"));
    p.setPen(QPen(QColor(120, 140, 180), 1.5, Qt::DashLine));
    p.setBrush(QColor(240, 246, 255));
    p.drawRoundedRect(QRectF(180, 60, 280, 190), 12, 12);
    p.setPen(Ink);
    p.setFont(font(14, true));
    p.drawText(QRectF(180, 64, 280, 20), Qt::AlignCenter, QStringLiteral("Процессор"));
    box(p, QRectF(200, 95, 240, 55), QStringLiteral("Устройство управления (УУ)"),
        QColor(255, 240, 200), 14);
    box(p, QRectF(200, 180, 240, 55), QStringLiteral("Арифметико-логическое устройство (АЛУ)"),
        QColor(255, 240, 200), 14);
    arrow(p, QPointF(320, 150), QPointF(320, 180), Accent, true);
    box(p, QRectF(200, 320, 240, 60), QStringLiteral("Память\n(программы и данные)"), BoxFill, 15);
    box(p, QRectF(20, 150, 130, 60), QStringLiteral("Устройства ввода"), QColor(220, 255, 225), 14);
    box(p, QRectF(490, 150, 130, 60), QStringLiteral("Устройства вывода"), QColor(220, 255, 225),
        14);
    arrow(p, QPointF(150, 180), QPointF(180, 180));
    arrow(p, QPointF(460, 180), QPointF(490, 180));
    arrow(p, QPointF(320, 250), QPointF(320, 320), Accent, true);
    p.setPen(QPen(QColor(200, 80, 40), 2, Qt::DashLine));
    p.drawLine(QPointF(85, 210), QPointF(85, 350));
    arrow(p, QPointF(85, 350), QPointF(200, 350), QColor(200, 80, 40));
    p.setPen(Ink);
    p.setFont(font(12));
    p.drawText(QRectF(90, 355, 110, 40), Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("данные"));
    p.drawText(QRectF(330, 270, 150, 40), Qt::AlignLeft, QStringLiteral("команды и данные"));
    return image;
}

// Properties of information around one centre.
QImage infoProperties()
{
    QImage image = canvas(640, 400);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    title(p, QRectF(0, 8, 640, 30), QStringLiteral("Свойства информации"));
    const QPointF centre(320, 220);
    const QStringList names = {QStringLiteral("объективность"), QStringLiteral("достоверность"),
                               QStringLiteral("полнота"),       QStringLiteral("актуальность"),
                               QStringLiteral("точность"),      QStringLiteral("понятность")};
    const QList<QColor> fills = {QColor(255, 225, 225), QColor(255, 243, 205),
                                 QColor(225, 250, 225), QColor(220, 240, 255),
                                 QColor(240, 225, 255), QColor(255, 235, 215)};
    for (int i = 0; i < names.size(); ++i) {
        const qreal a = -M_PI / 2 + i * 2 * M_PI / names.size();
        const QPointF c = centre + QPointF(std::cos(a) * 220, std::sin(a) * 135);
        p.setPen(QPen(QColor(130, 150, 190), 2));
        p.drawLine(centre, c);
        box(p, QRectF(c.x() - 80, c.y() - 22, 160, 44), names[i], fills[i], 15);
    }
    p.setPen(QPen(Accent, 3));
    p.setBrush(QColor(255, 255, 160));
    p.drawEllipse(centre, 90, 42);
    p.setPen(Ink);
    p.setFont(font(18, true));
    p.drawText(QRectF(centre.x() - 90, centre.y() - 42, 180, 84), Qt::AlignCenter,
               QStringLiteral("Информация"));
    return image;
}

void monitor(QPainter& p, QPointF at)
{
    p.setPen(QPen(Ink, 2));
    p.setBrush(QColor(60, 70, 90));
    p.drawRoundedRect(QRectF(at.x(), at.y(), 150, 100), 6, 6);
    QLinearGradient g(at, at + QPointF(130, 80));
    g.setColorAt(0, QColor(120, 190, 255));
    g.setColorAt(1, QColor(40, 90, 200));
    p.setBrush(g);
    p.drawRect(QRectF(at.x() + 10, at.y() + 10, 130, 78));
    p.setBrush(QColor(90, 100, 120));
    p.drawRect(QRectF(at.x() + 65, at.y() + 100, 20, 18));
    p.drawRoundedRect(QRectF(at.x() + 40, at.y() + 116, 70, 8), 3, 3);
}

// Peripheral devices around the system unit.
QImage devices()
{
    QImage image = canvas(640, 400);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    title(p, QRectF(0, 8, 640, 30), QStringLiteral("Периферийные устройства"));
    // System unit.
    p.setPen(QPen(Ink, 2));
    p.setBrush(QColor(200, 205, 215));
    p.drawRoundedRect(QRectF(270, 110, 100, 170), 6, 6);
    p.setBrush(QColor(60, 200, 90));
    p.drawEllipse(QPointF(320, 250), 7, 7);
    p.setBrush(QColor(150, 155, 170));
    for (int i = 0; i < 3; ++i)
        p.drawRect(QRectF(285, 130 + i * 22, 70, 12));
    p.setPen(Ink);
    p.setFont(font(13, true));
    p.drawText(QRectF(240, 285, 160, 20), Qt::AlignCenter, QStringLiteral("системный блок"));
    // Monitor.
    monitor(p, QPointF(40, 60));
    p.drawText(QRectF(40, 190, 150, 20), Qt::AlignCenter, QStringLiteral("монитор"));
    // Keyboard.
    p.setPen(QPen(Ink, 2));
    p.setBrush(QColor(230, 230, 235));
    p.drawRoundedRect(QRectF(30, 280, 180, 60), 6, 6);
    p.setBrush(Qt::white);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 10; ++c)
            p.drawRect(QRectF(40 + c * 16.5, 288 + r * 16, 12, 11));
    p.drawText(QRectF(30, 345, 180, 20), Qt::AlignCenter, QStringLiteral("клавиатура"));
    // Mouse.
    p.setBrush(QColor(230, 230, 235));
    p.drawEllipse(QRectF(245, 320, 40, 58));
    p.drawLine(QPointF(265, 320), QPointF(265, 342));
    p.drawText(QRectF(290, 345, 80, 20), Qt::AlignLeft, QStringLiteral("мышь"));
    // Printer.
    p.setBrush(QColor(235, 235, 240));
    p.drawRect(QRectF(450, 90, 150, 70));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(475, 60, 100, 35));
    p.drawRect(QRectF(475, 150, 100, 40));
    p.drawText(QRectF(450, 195, 150, 20), Qt::AlignCenter, QStringLiteral("принтер"));
    // Speakers.
    p.setBrush(QColor(80, 80, 95));
    p.drawRoundedRect(QRectF(470, 250, 40, 80), 5, 5);
    p.drawRoundedRect(QRectF(540, 250, 40, 80), 5, 5);
    p.setBrush(QColor(170, 170, 190));
    for (qreal x : {490.0, 560.0}) {
        p.drawEllipse(QPointF(x, 275), 12, 12);
        p.drawEllipse(QPointF(x, 310), 7, 7);
    }
    p.drawText(QRectF(450, 335, 150, 20), Qt::AlignCenter, QStringLiteral("колонки"));
    // Cables.
    p.setPen(QPen(QColor(110, 110, 130), 2, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(190, 130), QPointF(270, 150));
    p.drawLine(QPointF(210, 300), QPointF(270, 260));
    p.drawLine(QPointF(265, 320), QPointF(290, 280));
    p.drawLine(QPointF(370, 150), QPointF(450, 125));
    p.drawLine(QPointF(370, 250), QPointF(470, 280));
    return image;
}

// The emblem of the title page: an open book with a monitor and binary digits.
QImage emblem()
{
    QImage image = canvas(240, 160, QColor(255, 255, 240));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Accent, 2));
    p.setBrush(QColor(255, 250, 225));
    QPainterPath book;
    book.moveTo(120, 60);
    book.cubicTo(90, 45, 50, 45, 20, 55);
    book.lineTo(20, 145);
    book.cubicTo(50, 135, 90, 135, 120, 150);
    book.cubicTo(150, 135, 190, 135, 220, 145);
    book.lineTo(220, 55);
    book.cubicTo(190, 45, 150, 45, 120, 60);
    p.drawPath(book);
    p.drawLine(QPointF(120, 60), QPointF(120, 150));
    p.setFont(font(12, true));
    p.setPen(QColor(192, 88, 0));
    p.drawText(QRectF(28, 65, 88, 70), Qt::AlignCenter, QStringLiteral("0101\n1100\n0011"));
    monitor(p, QPointF(140, 10));
    p.setPen(Qt::white);
    p.setFont(font(30, true));
    p.drawText(QRectF(150, 20, 130, 78), Qt::AlignCenter, QStringLiteral("i"));
    return image;
}

QImage helpLogo()
{
    QImage image = canvas(96, 96, QColor(244, 248, 255));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Accent, 3));
    p.setBrush(QColor(255, 224, 102));
    p.drawEllipse(QRectF(6, 6, 84, 84));
    p.setPen(Accent);
    p.setFont(font(52, true));
    p.drawText(QRectF(6, 6, 84, 84), Qt::AlignCenter, QStringLiteral("Л"));
    return image;
}

// Source, channel with noise, receiver.
QImage transmission()
{
    QImage image = canvas(480, 200);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    box(p, QRectF(10, 70, 120, 60), QStringLiteral("Источник"), QColor(255, 240, 200));
    box(p, QRectF(180, 70, 120, 60), QStringLiteral("Канал связи"));
    box(p, QRectF(350, 70, 120, 60), QStringLiteral("Приёмник"), QColor(220, 255, 225));
    arrow(p, QPointF(130, 100), QPointF(180, 100));
    arrow(p, QPointF(300, 100), QPointF(350, 100));
    p.setPen(Ink);
    p.setFont(font(12));
    p.drawText(QRectF(100, 40, 110, 20), Qt::AlignCenter, QStringLiteral("кодирование"));
    p.drawText(QRectF(270, 40, 110, 20), Qt::AlignCenter, QStringLiteral("декодирование"));
    box(p, QRectF(190, 160, 100, 32), QStringLiteral("помехи"), QColor(255, 220, 220), 13);
    arrow(p, QPointF(240, 160), QPointF(240, 130), QColor(200, 60, 40));
    return image;
}

QImage computerParts()
{
    QImage image = canvas(420, 260);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Accent, 2, Qt::DashLine));
    p.setBrush(QColor(240, 246, 255));
    p.drawRoundedRect(QRectF(10, 10, 260, 240), 10, 10);
    p.setPen(Ink);
    p.setFont(font(13, true));
    p.drawText(QRectF(10, 14, 260, 20), Qt::AlignCenter, QStringLiteral("Системный блок"));
    box(p, QRectF(25, 45, 110, 50), QStringLiteral("Процессор"), QColor(255, 240, 200), 13);
    box(p, QRectF(145, 45, 110, 50), QStringLiteral("Оперативная память"), BoxFill, 12);
    box(p, QRectF(25, 115, 230, 40), QStringLiteral("Материнская плата"), QColor(225, 250, 225),
        13);
    box(p, QRectF(25, 175, 110, 55), QStringLiteral("Накопитель"), BoxFill, 13);
    box(p, QRectF(145, 175, 110, 55), QStringLiteral("Блок питания"), QColor(255, 230, 230), 13);
    box(p, QRectF(300, 40, 110, 50), QStringLiteral("Монитор"), QColor(220, 255, 225), 13);
    box(p, QRectF(300, 105, 110, 50), QStringLiteral("Клавиатура, мышь"), QColor(220, 255, 225),
        12);
    box(p, QRectF(300, 170, 110, 50), QStringLiteral("Принтер"), QColor(220, 255, 225), 13);
    for (qreal y : {65.0, 130.0, 195.0})
        arrow(p, QPointF(270, y), QPointF(300, y), Accent, true);
    return image;
}

QImage numberTable()
{
    QImage image = canvas(440, 300);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QStringList heads = {QStringLiteral("10"), QStringLiteral("2"), QStringLiteral("8"),
                               QStringLiteral("16")};
    const qreal w = 110, h = 17.5;
    p.setFont(font(13, true));
    for (int c = 0; c < 4; ++c) {
        p.setPen(QPen(Accent, 1));
        p.setBrush(QColor(255, 224, 102));
        p.drawRect(QRectF(c * w, 0, w - 1, h));
        p.setPen(Ink);
        p.drawText(QRectF(c * w, 0, w, h), Qt::AlignCenter,
                   QStringLiteral("основание %1").arg(heads[c]));
    }
    p.setFont(font(13));
    for (int n = 0; n < 16; ++n) {
        const QStringList cells = {QString::number(n),
                                   QString::number(n, 2).rightJustified(4, u'0'),
                                   QString::number(n, 8), QString::number(n, 16).toUpper()};
        for (int c = 0; c < 4; ++c) {
            p.setPen(QPen(QColor(150, 170, 210), 1));
            p.setBrush(n % 2 ? QColor(240, 246, 255) : Qt::white);
            p.drawRect(QRectF(c * w, (n + 1) * h, w - 1, h));
            p.setPen(Ink);
            p.drawText(QRectF(c * w, (n + 1) * h, w, h), Qt::AlignCenter, cells[c]);
        }
    }
    return image;
}

// A byte travels from memory to the processor, is doubled there, and the result goes back.
void frames(const QString& dir)
{
    QDir().mkpath(dir);
    const int count = 40;
    for (int i = 0; i < count; ++i) {
        QImage image = canvas(320, 240, QColor(250, 252, 255));
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        title(p, QRectF(0, 6, 320, 24), QStringLiteral("Обмен данными"), 17);
        box(p, QRectF(10, 60, 110, 70), QStringLiteral("Процессор"), QColor(255, 240, 200), 15);
        box(p, QRectF(200, 60, 110, 70), QStringLiteral("Память"), BoxFill, 15);
        p.setPen(QPen(QColor(140, 150, 180), 6));
        p.drawLine(QPointF(120, 95), QPointF(200, 95));
        const bool back = i >= count / 2;
        const qreal t = (i % (count / 2)) / qreal(count / 2 - 1);
        const qreal x = back ? 120 + t * 80 : 200 - t * 80;
        const QString byte = back ? QStringLiteral("01011010") : QStringLiteral("00101101");
        p.setPen(QPen(QColor(192, 88, 0), 2));
        p.setBrush(QColor(255, 250, 210));
        p.drawRoundedRect(QRectF(x - 45, 140, 90, 26), 5, 5);
        p.setPen(Ink);
        p.setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 12, QFont::Bold));
        p.drawText(QRectF(x - 45, 140, 90, 26), Qt::AlignCenter, byte);
        p.setFont(font(13));
        p.drawText(QRectF(0, 190, 320, 40), Qt::AlignCenter | Qt::TextWordWrap,
                   back ? QStringLiteral("результат 45 · 2 = 90 записывается в память")
                        : QStringLiteral("число 45 читается из памяти в процессор"));
        p.end();
        image.save(QStringLiteral("%1/frame-%2.png").arg(dir).arg(i, 3, 10, QLatin1Char('0')));
    }
}

// --- Standard MIDI File -------------------------------------------------------------------

void putVarLen(QByteArray& out, quint32 value)
{
    QByteArray bytes;
    bytes.prepend(char(value & 0x7f));
    while (value >>= 7)
        bytes.prepend(char((value & 0x7f) | 0x80));
    out += bytes;
}

void putBE(QByteArray& out, quint32 value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out += char((value >> (8 * i)) & 0xff);
}

struct Event
{
    quint32 time;
    int order; // note-offs before note-ons at the same time
    QByteArray data;
};

QByteArray melody()
{
    const int q = 480; // ticks per quarter note
    std::vector<Event> events;
    auto bytes = [](int a, int b, int c) {
        QByteArray data;
        data += char(a);
        data += char(b);
        data += char(c);
        return data;
    };
    auto note = [&](int channel, quint32 start, quint32 length, int pitch, int velocity) {
        events.push_back({start, 1, bytes(0x90 | channel, pitch, velocity)});
        events.push_back({start + length, 0, bytes(0x80 | channel, pitch, 0)});
    };
    // A short tune in C major, in eighths: pitch (MIDI number) and length in eighths.
    const std::vector<std::pair<int, int>> tune = {
        {72, 1}, {76, 1}, {79, 1}, {76, 1}, {77, 1}, {81, 1}, {79, 2}, {76, 1}, {79, 1}, {84, 1},
        {79, 1}, {81, 1}, {77, 1}, {76, 2}, {74, 1}, {77, 1}, {81, 1}, {77, 1}, {79, 1}, {76, 1},
        {72, 2}, {71, 1}, {74, 1}, {79, 1}, {77, 1}, {76, 2}, {74, 2}, {72, 1}, {76, 1}, {79, 1},
        {84, 1}, {83, 1}, {79, 1}, {81, 2}, {79, 1}, {77, 1}, {76, 1}, {74, 1}, {72, 4},
    };
    quint32 t = 0;
    for (const auto& [pitch, eighths] : tune) {
        const quint32 length = eighths * q / 2;
        note(0, t, length - 20, pitch, 92);
        t += length;
    }
    // A bass note on the first beat of each bar (4/4).
    const std::vector<int> bass = {48, 53, 48, 53, 50, 48, 43, 48, 53, 43, 48};
    for (size_t bar = 0; bar * 4 * q < t && bar < bass.size(); ++bar)
        note(1, bar * 4 * q, 4 * q - 40, bass[bar], 70);

    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.time != b.time ? a.time < b.time : a.order < b.order;
    });

    QByteArray track;
    putVarLen(track, 0);
    track += QByteArray::fromHex("ff5103"); // tempo: 100 beats a minute
    putBE(track, 600000, 3);
    putVarLen(track, 0);
    track += QByteArray::fromHex("ff580404021808"); // 4/4
    const QByteArray name = "Lektorika demo tune";
    putVarLen(track, 0);
    track += QByteArray::fromHex("ff03");
    putVarLen(track, name.size());
    track += name;
    putVarLen(track, 0);
    track += QByteArray::fromHex("c049"); // channel 1: flute
    putVarLen(track, 0);
    track += QByteArray::fromHex("c120"); // channel 2: acoustic bass
    quint32 last = 0;
    for (const Event& e : events) {
        putVarLen(track, e.time - last);
        track += e.data;
        last = e.time;
    }
    putVarLen(track, q);
    track += QByteArray::fromHex("ff2f00");

    QByteArray file = "MThd";
    putBE(file, 6, 4);
    putBE(file, 0, 2); // format 0
    putBE(file, 1, 2); // one track
    putBE(file, q, 2);
    file += "MTrk";
    putBE(file, track.size(), 4);
    file += track;
    return file;
}

// --- Web archive --------------------------------------------------------------------------

QByteArray quotedPrintable(const QByteArray& text)
{
    QByteArray out;
    const QList<QByteArray> lines = text.split('\n');
    for (int n = 0; n < lines.size(); ++n) {
        QByteArray line = lines[n];
        if (line.endsWith('\r'))
            line.chop(1);
        if (n == lines.size() - 1 && line.isEmpty())
            break;
        QByteArray encoded;
        int column = 0;
        for (int i = 0; i < line.size(); ++i) {
            const auto c = static_cast<unsigned char>(line[i]);
            const bool last = i == line.size() - 1;
            QByteArray piece;
            if ((c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last))
                piece = QByteArray(1, char(c));
            else
                piece = "=" + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
            if (column + piece.size() > 75) {
                encoded += "=\r\n";
                column = 0;
            }
            encoded += piece;
            column += piece.size();
        }
        out += encoded + "\r\n";
    }
    return out;
}

QByteArray base64Lines(const QByteArray& data)
{
    const QByteArray b64 = data.toBase64();
    QByteArray out;
    for (int i = 0; i < b64.size(); i += 76)
        out += b64.mid(i, 76) + "\r\n";
    return out;
}

int packMht(const QStringList& args)
{
    // args: out.mht page.html charset name image...
    QFile page(args[1]);
    if (!page.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray html = page.readAll();
    const QByteArray charset = args[2].toLatin1();
    const QByteArray name = args[3].toLatin1();
    const QByteArray boundary = "----=_NextPart_01DA3C5E.7B1F2A40";
    const QByteArray base = "file:///C:/Kurs/";

    QByteArray out;
    out += "MIME-Version: 1.0\r\n";
    out += "Content-Type: multipart/related; boundary=\"" + boundary + "\"; type=\"text/html\"\r\n";
    out += "\r\nThis document is a Single File Web Page, also known as a Web Archive file.\r\n\r\n";
    out += "--" + boundary + "\r\n";
    out += "Content-Location: " + base + name + ".htm\r\n";
    out += "Content-Transfer-Encoding: quoted-printable\r\n";
    out += "Content-Type: text/html; charset=\"" + charset + "\"\r\n\r\n";
    out += quotedPrintable(html);
    for (int i = 4; i < args.size(); ++i) {
        QFile image(args[i]);
        if (!image.open(QIODevice::ReadOnly))
            return 1;
        const QString file = QFileInfo(args[i]).fileName();
        const QByteArray type = file.endsWith(QLatin1String(".png")) ? "image/png" : "image/jpeg";
        out += "\r\n--" + boundary + "\r\n";
        out += "Content-Location: " + base + name + "_files/" + file.toLatin1() + "\r\n";
        out += "Content-Transfer-Encoding: base64\r\n";
        out += "Content-Type: " + type + "\r\n\r\n";
        out += base64Lines(image.readAll());
    }
    out += "\r\n--" + boundary + "--\r\n";
    QFile mht(args[0]);
    if (!mht.open(QIODevice::WriteOnly))
        return 1;
    mht.write(out);
    return 0;
}

bool save(const QImage& image, const QString& path, const char* format, int quality = -1)
{
    QDir().mkpath(QFileInfo(path).path());
    // Bitmaps are written as 24-bit pictures.
    const QImage out =
        qstrcmp(format, "BMP") == 0 ? image.convertToFormat(QImage::Format_RGB888) : image;
    if (out.save(path, format, quality))
        return true;
    QTextStream(stderr) << "cannot write " << path << "\n";
    return false;
}
} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);
    args = args.mid(1);
    if (command == QLatin1String("pictures") && args.size() == 1) {
        const QString d = args[0] + QStringLiteral("/pictures/");
        return save(neumann(), d + QStringLiteral("neumann.bmp"), "BMP") &&
                       save(infoProperties(), d + QStringLiteral("info.jpg"), "JPG", 88) &&
                       save(devices(), d + QStringLiteral("devices.jpg"), "JPG", 88)
                   ? 0
                   : 1;
    }
    if (command == QLatin1String("page-images") && args.size() == 1) {
        const QString d = args[0] + QLatin1Char('/');
        bool ok = save(emblem(), d + QStringLiteral("zas/image001.png"), "PNG");
        ok = ok && save(helpLogo(), d + QStringLiteral("help/image001.png"), "PNG");
        ok = ok && save(transmission(), d + QStringLiteral("intro/image001.png"), "PNG");
        ok = ok && save(computerParts(), d + QStringLiteral("computer/image001.png"), "PNG");
        ok = ok && save(numberTable(), d + QStringLiteral("numbers/image001.png"), "PNG");
        return ok ? 0 : 1;
    }
    if (command == QLatin1String("mht") && args.size() >= 4)
        return packMht(args);
    if (command == QLatin1String("midi") && args.size() == 1) {
        QFile file(args[0]);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(melody());
        return 0;
    }
    if (command == QLatin1String("frames") && args.size() == 1) {
        frames(args[0]);
        return 0;
    }
    QTextStream(stderr) << "usage: lektorika-demogen pictures|page-images|mht|midi|frames ...\n";
    return 2;
}
