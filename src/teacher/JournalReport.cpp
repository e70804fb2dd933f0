#include "JournalReport.h"

#include <QFontMetricsF>
#include <QMarginsF>
#include <QPageSize>
#include <QPainter>
#include <QTextLayout>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// A text box of a band. Positions in 0.01 mm from the band's top-left corner.
struct TextBox
{
    const char* name;
    int left, top, width, height;
    int points;
    bool bold;
    bool autoSize;
    const char* caption; // a label's fixed text (UTF-8), or nullptr for a data box
    int field;           // a data box's column: 0 fio, 1 gruppa, 2 urok, 3 ocenka, 4 data
};

// A line shape, defined by its box: a horizontal line runs along the middle of the box's
// height over its whole width, a vertical one along the middle of its width over its height.
struct LineBox
{
    const char* name;
    bool horizontal;
    int left, top, width, height;
};

constexpr TextBox titleTexts[] = {
    {"QRLabel1", 3175, 0, 11536, 873, 14, true, true, "Результаты учебной деятельности учащихся",
     -1},
    {"QRLabel2", 212, 979, 2752, 450, 10, true, true, "ФИО  учащихся", -1},
    {"QRLabel3", 5080, 979, 2778, 450, 10, true, true, "Учебная группа", -1},
    {"QRLabel4", 8176, 979, 4101, 450, 10, true, true, "Тема учебного занятия", -1},
    {"QRLabel5", 15928, 979, 1005, 450, 8, true, true, "Баллы", -1},
    {"QRLabel6", 17621, 979, 847, 450, 10, true, true, "Дата", -1},
};

constexpr LineBox titleLines[] = {
    {"QRShape1", true, 0, 847, 18944, 26},    {"QRShape2", true, 0, 1429, 18944, 79},
    {"QRShape4", false, -26, 847, 79, 661},   {"QRShape5", false, 4868, 847, 79, 661},
    {"QRShape6", false, 7990, 847, 79, 661},  {"QRShape7", false, 15875, 847, 79, 661},
    {"QRShape8", false, 16986, 873, 79, 661}, {"QRShape9", false, 18918, 847, 79, 661},
};

constexpr TextBox rowTexts[] = {
    {"QRDBText1", 132, 53, 4657, 450, 8, true, false, nullptr, 0},
    {"QRDBText2", 4974, 53, 2884, 450, 8, true, false, nullptr, 1},
    {"QRDBText3", 8149, 53, 7752, 450, 8, false, false, nullptr, 2},
    {"QRDBText4", 15981, 53, 953, 450, 8, true, false, nullptr, 3},
    {"QRDBText5", 17224, 53, 582, 450, 8, false, true, nullptr, 4},
};

constexpr LineBox rowLines[] = {
    {"QRShape3", true, 0, 476, 18944, 132},    {"QRShape11", false, -26, -53, 79, 582},
    {"QRShape10", false, 4868, -53, 79, 582},  {"QRShape12", false, 7990, -53, 79, 582},
    {"QRShape13", false, 15875, -26, 79, 582}, {"QRShape14", false, 16986, -26, 79, 582},
    {"QRShape15", false, 18918, -53, 79, 582},
};

constexpr TextBox signatureTexts[] = {
    {"QRLabel7", 14764, 1164, 3307, 450, 8, false, true, "Роспись преподавателя", -1},
};

constexpr LineBox signatureLines[] = {
    {"QRShape16", true, 13070, 1058, 5953, 159},
};

constexpr int fixedBoxCount = int(std::size(rowTexts));

// Font sizes in micrometres (1 pt = 25400 / 72 µm).
struct FontSet
{
    QFont font;
    qreal ascent;
    qreal height;
};

const std::array<FontSet, 4>& fontSets()
{
    static const std::array<FontSet, 4> sets = [] {
        std::array<FontSet, 4> s;
        const int sizes[4][2] = {{14, 1}, {10, 1}, {8, 1}, {8, 0}};
        for (int i = 0; i < 4; ++i) {
            s[i].font = JournalReport::reportFont(sizes[i][0], sizes[i][1] != 0);
            const QFontMetricsF metrics(s[i].font);
            s[i].ascent = metrics.ascent();
            s[i].height = metrics.height();
        }
        return s;
    }();
    return sets;
}

int fontIndex(int points, bool bold)
{
    if (points == 14)
        return 0;
    if (points == 10)
        return 1;
    return bold ? 2 : 3;
}

const FontSet& fontSet(int points, bool bold)
{
    return fontSets()[size_t(fontIndex(points, bold))];
}

QString fieldText(const JournalRow& row, int field)
{
    switch (field) {
    case 0:
        return row.fio;
    case 1:
        return row.gruppa;
    case 2:
        return row.urok;
    case 3:
        return row.ocenka;
    default:
        return row.data;
    }
}

} // namespace

JournalReport::JournalReport(std::shared_ptr<const JournalRowSource> rows)
    : m_rows(std::move(rows)), m_fitted(fixedBoxCount), m_shaped(4)
{
    paginate();
}

QFont JournalReport::reportFont(int points, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(qRound(points * 25400.0 / 72.0));
    font.setBold(bold);
    // Unhinted outlines keep text widths the same on screen, paper and PDF.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    return font;
}

QPageLayout JournalReport::pageLayout()
{
    const qreal m = Margin / 100.0;
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(m, m, m, m),
                       QPageLayout::Millimeter);
}

void JournalReport::paginate()
{
    constexpr int usable = PaperHeight - 2 * Margin;
    int pos = 0; // from the top margin of the current page
    m_pages = {Page{}};

    const auto newPage = [&] {
        m_pages.append(Page{});
        pos = 0;
    };
    // A band that does not fit below the current position goes to a new page, unless it
    // would not fit on an empty page either.
    const auto place = [&](int height) {
        if (pos + height > usable && pos > 0 && height <= usable)
            newPage();
        const int top = Margin + pos;
        pos += height;
        return top;
    };

    m_pages.last().titleTop = place(TitleHeight);

    // An empty view still prints one (empty) row.
    const int total = std::max(m_rows->count(), 1);
    int next = 0;
    while (next < total) {
        int fit = (usable - pos) / RowHeight;
        if (fit <= 0) {
            if (pos > 0) {
                newPage();
                continue;
            }
            fit = 1;
        }
        Page& page = m_pages.last();
        if (page.rowCount == 0) {
            page.firstRow = next;
            page.rowsTop = Margin + pos;
        }
        const int take = std::min(fit, total - next);
        page.rowCount += take;
        next += take;
        pos += take * RowHeight;
    }

    m_pages.last().signatureTop = place(SignatureHeight);
}

int JournalReport::pageOfRow(int row) const
{
    const auto it = std::upper_bound(m_pages.cbegin(), m_pages.cend(), row,
                                     [](int r, const Page& p) { return r < p.firstRow; });
    return int(it - m_pages.cbegin()) - 1;
}

QString JournalReport::fitted(int element, const QString& text) const
{
    QHash<QString, QString>& cache = m_fitted[element];
    const auto found = cache.constFind(text);
    if (found != cache.cend())
        return found.value();

    const TextBox& box = rowTexts[element];
    const FontSet& set = fontSet(box.points, box.bold);
    const qreal width = box.width * 10.0; // µm
    const qreal height = box.height * 10.0;

    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    normal.replace(QLatin1Char('\r'), QChar::LineSeparator);
    normal.replace(QLatin1Char('\n'), QChar::LineSeparator);

    QString result;
    if (!normal.contains(QChar::LineSeparator) &&
        QFontMetricsF(set.font).horizontalAdvance(normal) <= width) {
        if (set.height <= height)
            result = normal;
    } else {
        // Word-wrap within the box's width; only the lines that fit in its height print.
        QTextLayout layout(normal, set.font);
        QTextOption option(Qt::AlignLeft);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        QStringList lines;
        qreal y = 0;
        for (;;) {
            QTextLine line = layout.createLine();
            if (!line.isValid())
                break;
            line.setLineWidth(width);
            if (y + line.height() > height)
                break;
            QString part = normal.mid(line.textStart(), line.textLength());
            while (!part.isEmpty() &&
                   (part.back().isSpace() || part.back() == QChar::LineSeparator))
                part.chop(1);
            lines.append(part);
            y += line.height();
        }
        layout.endLayout();
        result = lines.join(QLatin1Char('\n'));
    }

    if (cache.size() > 5000)
        cache.clear();
    cache.insert(text, result);
    return result;
}

const JournalReport::Shaped& JournalReport::shaped(int index, const QString& text) const
{
    QHash<QString, Shaped>& cache = m_shaped[index];
    const auto found = cache.constFind(text);
    if (found != cache.cend())
        return found.value();
    if (cache.size() > 5000)
        cache.clear();

    // Shaped once, with the glyph positions relative to the box's top-left corner, each
    // line's baseline one ascent below its top.
    QString lines = text;
    lines.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(lines, fontSets()[size_t(index)].font);
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    Shaped result;
    qreal y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(1e9);
        line.setPosition(QPointF(0, y));
        y += line.height();
        result.width = std::max(result.width, line.naturalTextWidth());
    }
    layout.endLayout();
    result.runs = layout.glyphRuns();
    // Whole micrometres are finer than any device shows, and keep the numbers a PDF page
    // stream carries for every glyph short.
    for (QGlyphRun& run : result.runs) {
        QList<QPointF> positions = run.positions();
        for (QPointF& p : positions)
            p = QPointF(std::round(p.x()), std::round(p.y()));
        run.setPositions(positions);
    }
    return *cache.insert(text, result);
}

template <typename Visit> void JournalReport::visit(int pageIndex, Visit&& visitItem) const
{
    const Page& page = m_pages.at(pageIndex);
    Item item;

    const auto lines = [&](Band band, int row, int top, const auto& boxes) {
        item.band = band;
        item.row = row;
        item.line = true;
        item.text.clear();
        item.fontIndex = -1;
        for (const LineBox& l : boxes) {
            item.element = QLatin1String(l.name);
            const qreal left = (Margin + l.left) / 100.0;
            const qreal y = (top + l.top) / 100.0;
            item.box = QRectF(left, y, l.width / 100.0, l.height / 100.0);
            if (l.horizontal) {
                const qreal mid = y + l.height / 200.0;
                item.stroke = QLineF(left, mid, left + l.width / 100.0, mid);
            } else {
                const qreal mid = left + l.width / 200.0;
                item.stroke = QLineF(mid, y, mid, y + l.height / 100.0);
            }
            visitItem(item);
        }
    };
    const auto texts = [&](Band band, int row, int top, const auto& boxes,
                           const JournalRow* values) {
        item.band = band;
        item.row = row;
        item.line = false;
        item.stroke = QLineF();
        int index = 0;
        for (const TextBox& t : boxes) {
            item.element = QLatin1String(t.name);
            item.fontIndex = fontIndex(t.points, t.bold);
            item.font = fontSets()[size_t(item.fontIndex)].font;
            QString text = t.caption ? QString::fromUtf8(t.caption)
                                     : (values ? fieldText(*values, t.field) : QString());
            qreal width = t.width / 100.0;
            if (t.autoSize)
                width = shaped(item.fontIndex, text).width / 1000.0;
            else if (!text.isEmpty())
                text = fitted(index, text);
            item.text = std::move(text);
            item.box =
                QRectF((Margin + t.left) / 100.0, (top + t.top) / 100.0, width, t.height / 100.0);
            visitItem(item);
            ++index;
        }
    };

    if (page.titleTop >= 0) {
        texts(Band::Title, -1, page.titleTop, titleTexts, nullptr);
        lines(Band::Title, -1, page.titleTop, titleLines);
    }
    const bool empty = m_rows->count() == 0;
    for (int i = 0; i < page.rowCount; ++i) {
        const int top = page.rowsTop + i * RowHeight;
        const int row = empty ? -1 : page.firstRow + i;
        const JournalRow values = empty ? JournalRow{} : m_rows->row(row);
        texts(Band::Row, row, top, rowTexts, &values);
        lines(Band::Row, row, top, rowLines);
    }
    if (page.signatureTop >= 0) {
        texts(Band::Signature, -1, page.signatureTop, signatureTexts, nullptr);
        lines(Band::Signature, -1, page.signatureTop, signatureLines);
    }
}

QList<JournalReport::Item> JournalReport::items(int pageIndex) const
{
    QList<Item> out;
    out.reserve(m_pages.at(pageIndex).rowCount * 12 + 16);
    visit(pageIndex, [&](const Item& item) { out.append(item); });
    return out;
}

void JournalReport::paintPage(QPainter& painter, int pageIndex, qreal dpiX, qreal dpiY) const
{
    painter.save();
    painter.scale(dpiX / 25400.0, dpiY / 25400.0); // user units: micrometres
    painter.setPen(Qt::black);

    QVarLengthArray<QLineF, 1024> strokes;
    visit(pageIndex, [&](const Item& item) {
        if (item.line) {
            strokes.append(QLineF(item.stroke.p1() * 1000.0, item.stroke.p2() * 1000.0));
            return;
        }
        if (item.text.isEmpty())
            return;
        const QPointF origin(item.box.left() * 1000.0, item.box.top() * 1000.0);
        for (const QGlyphRun& run : shaped(item.fontIndex, item.text).runs)
            painter.drawGlyphRun(origin, run);
    });

    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, LineWidth * 10.0, Qt::SolidLine, Qt::FlatCap));
    painter.drawLines(strokes.constData(), int(strokes.size()));
    painter.restore();
}
