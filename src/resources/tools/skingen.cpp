// Draws the opening screen's skin picture: a light-yellow parchment scroll on a pure red ground.
// The red ground is the window's transparent colour, so the scroll's outline is drawn without
// antialiasing: every pixel is either exactly red or belongs to the scroll, and no blended
// near-red fringe is left around it. Everything inside is drawn antialiased against the scroll.
//
// Usage: lektorika-skingen <output.png>
// The output is committed (src/resources/skin/skin.png); run this again after changing the art.

#include <QBitmap>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

namespace {
const QColor Red(255, 0, 0);
const QColor Scroll(255, 255, 128);
const QColor Blue(0, 0, 200);
const QColor Navy(0, 0, 128);
const QColor Brown(96, 56, 8);
const QColor Orange(255, 136, 0);

// Pixel box given by its first and last row and column, both included.
struct Box
{
    int x0, y0, x1, y1;
    QRectF rect() const { return QRectF(x0, y0, x1 - x0 + 1, y1 - y0 + 1); }
};

// The text as an outline whose ink fills the box: the height is fitted by scaling and the width
// mostly by letter spacing, so the letters keep their shape.
QPainterPath fittedText(const QString& text, const QString& family, bool bold, const Box& box,
                        qreal inset = 0, int stretch = QFont::Unstretched)
{
    QFont font(family);
    font.setPixelSize(100);
    font.setBold(bold);
    font.setStretch(stretch);
    QPainterPath path;
    path.addText(0, 0, font, text);
    QRectF target = box.rect().adjusted(inset, inset, -inset, -inset);
    QRectF bounds = path.boundingRect();
    const qreal scale = target.height() / bounds.height();
    const qreal wanted = target.width() / scale;
    if (wanted > bounds.width() && text.size() > 1) {
        font.setLetterSpacing(QFont::AbsoluteSpacing,
                              (wanted - bounds.width()) / (text.size() - 1));
        path = QPainterPath();
        path.addText(0, 0, font, text);
        bounds = path.boundingRect();
    }
    QTransform t;
    t.translate(target.left(), target.top());
    t.scale(target.width() / bounds.width(), target.height() / bounds.height());
    t.translate(-bounds.left(), -bounds.top());
    return t.map(path);
}

// The text at its natural proportions, its ink from row y0 to row y1 and starting at column x0.
void fillNaturalText(QPainter& p, const QString& text, const QString& family, int x0, int y0,
                     int y1, const QColor& colour)
{
    QFont font(family);
    font.setPixelSize(100);
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF bounds = path.boundingRect();
    const qreal scale = (y1 - y0 + 1) / bounds.height();
    QTransform t;
    t.translate(x0, y0);
    t.scale(scale, scale);
    t.translate(-bounds.left(), -bounds.top());
    p.fillPath(t.map(path), colour);
}

void fillText(QPainter& p, const QString& text, const QString& family, bool bold, const Box& box,
              const QColor& colour)
{
    p.fillPath(fittedText(text, family, bold, box), colour);
}

// The outline of the scroll: a sheet with gently curved top and bottom edges between two rolls.
QPainterPath scrollShape()
{
    QPainterPath sheet;
    sheet.moveTo(12, 18);
    sheet.cubicTo(200, 4, 510, 30, 700, 14);
    sheet.lineTo(700, 374);
    sheet.cubicTo(510, 388, 200, 362, 12, 378);
    sheet.closeSubpath();

    QPainterPath rolls;
    rolls.addRoundedRect(QRectF(0, 2, 24, 386), 12, 12);
    rolls.addRoundedRect(QRectF(688, 2, 24, 386), 12, 12);
    return sheet.united(rolls);
}

void drawRoll(QPainter& p, qreal left)
{
    QLinearGradient g(left, 0, left + 24, 0);
    g.setColorAt(0.0, QColor(214, 180, 72));
    g.setColorAt(0.45, Scroll);
    g.setColorAt(1.0, QColor(200, 160, 56));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(left, 2, 24, 386), 12, 12);
    // The end of the rolled sheet, seen at the top and bottom of each roll.
    p.setBrush(QColor(236, 214, 100));
    p.drawEllipse(QRectF(left + 3, 4, 18, 9));
    p.drawEllipse(QRectF(left + 3, 377, 18, 9));
    p.setPen(QPen(QColor(170, 130, 40), 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(left + 8, 6, 8, 5));
    p.drawEllipse(QRectF(left + 8, 379, 8, 5));
}

QImage drawSkin()
{
    QImage art(712, 390, QImage::Format_RGB32);
    art.fill(Scroll);
    QPainter p(&art);
    p.setRenderHint(QPainter::Antialiasing);

    // A faint darker band along the curved edges gives the sheet some depth.
    const QPainterPath shape = scrollShape();
    p.setPen(QPen(QColor(240, 226, 110), 6));
    p.drawPath(shape);
    drawRoll(p, 0);
    drawRoll(p, 688);

    fillText(p, QStringLiteral("ЭЛЕКТРОННЫЙ УЧЕБНИК"), QStringLiteral("DejaVu Sans"), true,
             {213, 19, 559, 33}, Blue);

    // The course title: orange letters with a blue outline.
    const QPainterPath title =
        fittedText(QStringLiteral("ОСНОВЫ ИНФОРМАТИКИ"), QStringLiteral("DejaVu Serif"), true,
                   {2, 78, 702, 135}, 1.5, QFont::Condensed);
    p.fillPath(title, Orange);
    p.strokePath(title, QPen(Blue, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));

    fillText(p, QStringLiteral("для студентов 1 курса"), QStringLiteral("DejaVu Sans"), false,
             {280, 165, 422, 176}, Brown);
    fillText(p, QStringLiteral("Введите учебную группу"), QStringLiteral("DejaVu Sans"), true,
             {109, 212, 308, 226}, Navy);
    fillText(p, QStringLiteral("Введите ФИО"), QStringLiteral("DejaVu Sans"), true,
             {112, 249, 219, 262}, Navy);

    // The authors' block spans 112–528 with the entry button lying over its right part, so the
    // three lines stop short of the button and only the block's frame reaches its full width.
    // Each line holds a capital and a descender, so equal ink heights give equal letter sizes.
    fillNaturalText(p, QStringLiteral("Авторы: доцент, к.т.н. Н. В. Орлова,"),
                    QStringLiteral("DejaVu Sans"), 112, 285, 297, Brown);
    fillNaturalText(p, QStringLiteral("ст. преподаватель К. С. Лебедев,"),
                    QStringLiteral("DejaVu Sans"), 112, 301, 313, Brown);
    fillNaturalText(p, QStringLiteral("ассистент Т. А. Зимина, редактор"),
                    QStringLiteral("DejaVu Sans"), 112, 317, 329, Brown);
    // A thin rule under the authors marks the block's full width.
    p.setPen(QPen(QColor(200, 150, 40), 1));
    p.drawLine(QPointF(112.5, 333.5), QPointF(436.5, 333.5));

    // The painted entry button, under the window's invisible hot spot.
    const QRectF button(440, 283, 146, 43);
    QLinearGradient face(0, button.top(), 0, button.bottom());
    face.setColorAt(0, QColor(255, 236, 150));
    face.setColorAt(1, QColor(255, 196, 64));
    p.setPen(QPen(Blue, 2));
    p.setBrush(face);
    p.drawRoundedRect(button, 14, 14);
    fillText(p, QStringLiteral("Вход"), QStringLiteral("DejaVu Sans"), true, {482, 296, 542, 313},
             Blue);

    fillText(p, QStringLiteral("Новосибирск 2024"), QStringLiteral("DejaVu Sans"), false,
             {322, 346, 411, 355}, Brown);
    p.end();

    // Crisp outline: outside the scroll exactly red, inside never exactly red.
    QImage inside(art.size(), QImage::Format_Grayscale8);
    inside.fill(0);
    {
        QPainter m(&inside);
        m.setRenderHint(QPainter::Antialiasing, false);
        m.fillPath(shape, Qt::white);
    }
    QImage out(art.size(), QImage::Format_RGB888);
    for (int y = 0; y < art.height(); ++y)
        for (int x = 0; x < art.width(); ++x) {
            const bool in = qGray(inside.pixel(x, y)) > 127;
            QColor c = in ? art.pixelColor(x, y) : Red;
            if (in && c == Red)
                c = QColor(254, 0, 0);
            out.setPixelColor(x, y, c);
        }
    return out;
}
} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: lektorika-skingen <output.png>\n";
        return 2;
    }
    const QImage skin = drawSkin();
    if (!skin.save(QString::fromLocal8Bit(argv[1]))) {
        QTextStream(stderr) << "cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
