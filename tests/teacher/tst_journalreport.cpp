#include "ReportSamples.h"

#include "teacher/JournalReport.h"
#include "teacher/JournalText.h"
#include "teacher/ReportPageWriter.h"

#include "store/DateValue.h"
#include <QBuffer>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>

#include <QTest>

#include <cmath>

using Item = JournalReport::Item;

namespace {

constexpr qreal top0 = 10.0;  // top margin, mm
constexpr qreal left0 = 10.0; // left margin, mm

QList<Item> itemsOf(const JournalReport& report, int page, const QString& element, int row = -2)
{
    QList<Item> out;
    for (const Item& item : report.items(page)) {
        if (item.element == element && (row == -2 || item.row == row))
            out.append(item);
    }
    return out;
}

Item only(const JournalReport& report, int page, const QString& element, int row = -2)
{
    const QList<Item> found = itemsOf(report, page, element, row);
    if (found.size() != 1)
        qFatal("%s: %d items", qPrintable(element), int(found.size()));
    return found.first();
}

// The words of `text` that fit on one line `width` µm wide, added greedily.
QString greedyFirstLine(const QString& text, const QFont& font, qreal width)
{
    const QFontMetricsF metrics(font);
    const QStringList words = text.split(QLatin1Char(' '));
    QString line;
    for (const QString& word : words) {
        const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (metrics.horizontalAdvance(candidate) > width)
            break;
        line = candidate;
    }
    return line;
}

} // namespace

class TestJournalReport : public QObject
{
    Q_OBJECT

private slots:
    void fontIsArialOrItsMetricTwin()
    {
        for (int points : {14, 10, 8}) {
            const QFontInfo info(JournalReport::reportFont(points, true));
            QVERIFY2(info.family() == QLatin1String("Arial") ||
                         info.family() == QLatin1String("Liberation Sans"),
                     qPrintable(info.family()));
        }
        // 8 pt is 2.82 mm; Arial's ascent is 0.905 of that.
        const QFontMetricsF metrics(JournalReport::reportFont(8, false));
        QVERIFY(std::abs(metrics.ascent() - 0.905 * 2822) < 30);
    }

    void pagination_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<int>>("rowsPerPage");
        QTest::addColumn<int>("signaturePage");

        // Page 1 holds the title and 43 rows, later pages 45 rows; the signature band needs
        // room for 18.52 mm below the last row.
        QTest::newRow("empty view: one empty row") << 0 << QList<int>{1} << 0;
        QTest::newRow("one row") << 1 << QList<int>{1} << 0;
        QTest::newRow("exactly one page") << 40 << QList<int>{40} << 0;
        QTest::newRow("one more: signature moves on") << 41 << QList<int>{41, 0} << 1;
        QTest::newRow("rows fill page 1") << 43 << QList<int>{43, 0} << 1;
        QTest::newRow("a row overflows") << 44 << QList<int>{43, 1} << 1;
        QTest::newRow("page 2 with signature") << 85 << QList<int>{43, 42} << 1;
        QTest::newRow("page 2 without signature") << 86 << QList<int>{43, 43, 0} << 2;
        QTest::newRow("three full pages") << 133 << QList<int>{43, 45, 45, 0} << 3;
    }

    void pagination()
    {
        QFETCH(int, rows);
        QFETCH(QList<int>, rowsPerPage);
        QFETCH(int, signaturePage);

        const JournalReport report(ReportSamples::journal(rows));
        QCOMPARE(report.pageCount(), rowsPerPage.size());
        int next = 0;
        for (int p = 0; p < report.pageCount(); ++p) {
            const JournalReport::Page& page = report.page(p);
            QCOMPARE(page.rowCount, rowsPerPage.at(p));
            if (page.rowCount > 0) {
                QCOMPARE(page.firstRow, next);
                next += page.rowCount;
            }
            // Only page 1 has the title; only one page has the signature.
            QCOMPARE(page.titleTop >= 0, p == 0);
            QCOMPARE(page.signatureTop >= 0, p == signaturePage);
        }
        QCOMPARE(next, std::max(rows, 1));

        // Bands stack from the top margin without gaps.
        const JournalReport::Page& first = report.page(0);
        QCOMPARE(first.titleTop, 1000);
        QCOMPARE(first.rowsTop, 1000 + JournalReport::TitleHeight);
        const JournalReport::Page& last = report.page(signaturePage);
        const int expectedSignatureTop =
            last.rowCount ? last.rowsTop + last.rowCount * JournalReport::RowHeight : 1000;
        QCOMPARE(last.signatureTop, expectedSignatureTop);
    }

    void largeViewStaysInsideMargins()
    {
        const JournalReport report(ReportSamples::journal(100000));
        QCOMPARE(report.pageCount(), 2223);
        int next = 0;
        for (int p = 0; p < report.pageCount(); ++p) {
            const JournalReport::Page& page = report.page(p);
            int bottom =
                page.rowCount ? page.rowsTop + page.rowCount * JournalReport::RowHeight : 1000;
            if (page.signatureTop >= 0)
                bottom = page.signatureTop + JournalReport::SignatureHeight;
            QVERIFY(bottom <= 28700);
            if (p > 0 && page.rowCount)
                QCOMPARE(page.rowsTop, 1000);
            QCOMPARE(page.firstRow, next);
            next += page.rowCount;
        }
        QCOMPARE(next, 100000);
        QCOMPARE(report.pageOfRow(0), 0);
        QCOMPARE(report.pageOfRow(42), 0);
        QCOMPARE(report.pageOfRow(43), 1);
        QCOMPARE(report.pageOfRow(43 + 45), 2);
        QCOMPARE(report.pageOfRow(99999), 2222);
    }

    void linesStandWhereTheLayoutPutsThem_data()
    {
        QTest::addColumn<QString>("element");
        QTest::addColumn<int>("band"); // 0 title, 1 first row, 2 signature
        QTest::addColumn<bool>("horizontal");
        QTest::addColumn<qreal>("at");
        QTest::addColumn<qreal>("from");
        QTest::addColumn<qreal>("to");

        const auto h = [](const char* name, int band, qreal at, qreal from, qreal to) {
            QTest::newRow(name) << QString::fromLatin1(name) << band << true << at << from << to;
        };
        const auto v = [](const char* name, int band, qreal at, qreal from, qreal to) {
            QTest::newRow(name) << QString::fromLatin1(name) << band << false << at << from << to;
        };
        h("QRShape1", 0, 8.60, 0.00, 189.44);
        h("QRShape2", 0, 14.68, 0.00, 189.44);
        v("QRShape4", 0, 0.13, 8.47, 15.08);
        v("QRShape5", 0, 49.08, 8.47, 15.08);
        v("QRShape6", 0, 80.30, 8.47, 15.08);
        v("QRShape7", 0, 159.15, 8.47, 15.08);
        v("QRShape8", 0, 170.26, 8.73, 15.35);
        v("QRShape9", 0, 189.57, 8.47, 15.08);
        h("QRShape3", 1, 5.42, 0.00, 189.44);
        v("QRShape11", 1, 0.13, -0.53, 5.29);
        v("QRShape10", 1, 49.08, -0.53, 5.29);
        v("QRShape12", 1, 80.30, -0.53, 5.29);
        v("QRShape13", 1, 159.15, -0.26, 5.56);
        v("QRShape14", 1, 170.26, -0.26, 5.56);
        v("QRShape15", 1, 189.57, -0.53, 5.29);
        h("QRShape16", 2, 11.38, 130.70, 190.24);
    }

    void linesStandWhereTheLayoutPutsThem()
    {
        QFETCH(QString, element);
        QFETCH(int, band);
        QFETCH(bool, horizontal);
        QFETCH(qreal, at);
        QFETCH(qreal, from);
        QFETCH(qreal, to);

        const JournalReport report(ReportSamples::journal(2));
        const qreal bandTop =
            band == 0 ? top0 : (band == 1 ? top0 + 14.82 : top0 + 14.82 + 2 * 6.09);
        const Item item = only(report, 0, element, band == 1 ? 0 : -1);
        QVERIFY(item.line);
        const QLineF s = item.stroke.translated(-left0, -bandTop);
        // The layout is given to 0.01 mm; middles of odd hundredths round either way.
        const qreal tolerance = 0.011;
        if (horizontal) {
            QVERIFY(std::abs(s.y1() - at) < tolerance && std::abs(s.y2() - at) < tolerance);
            QVERIFY2(std::abs(s.x1() - from) < tolerance, qPrintable(QString::number(s.x1())));
            QVERIFY2(std::abs(s.x2() - to) < tolerance, qPrintable(QString::number(s.x2())));
        } else {
            QVERIFY(std::abs(s.x1() - at) < tolerance && std::abs(s.x2() - at) < tolerance);
            QVERIFY2(std::abs(s.y1() - from) < tolerance, qPrintable(QString::number(s.y1())));
            QVERIFY2(std::abs(s.y2() - to) < tolerance, qPrintable(QString::number(s.y2())));
        }
    }

    void textBoxesAndWhatTheyPrint()
    {
        const JournalReport report(ReportSamples::journal(3));
        const Item title = only(report, 0, QStringLiteral("QRLabel1"));
        QCOMPARE(title.text, QStringLiteral("Результаты учебной деятельности учащихся"));
        QCOMPARE(title.box.topLeft(), QPointF(left0 + 31.75, top0 + 0.00));
        QCOMPARE(title.font.bold(), true);
        QCOMPARE(title.font.pixelSize(), qRound(14 * 25400.0 / 72));
        // Auto-size: the box takes the width of its text.
        QVERIFY(std::abs(title.box.width() * 1000 -
                         QFontMetricsF(title.font).horizontalAdvance(title.text)) < 1);

        const struct
        {
            const char* name;
            const char* text;
            qreal left;
            int points;
        } headers[] = {
            {"QRLabel2", "ФИО  учащихся", 2.12, 10},
            {"QRLabel3", "Учебная группа", 50.80, 10},
            {"QRLabel4", "Тема учебного занятия", 81.76, 10},
            {"QRLabel5", "Баллы", 159.28, 8},
            {"QRLabel6", "Дата", 176.21, 10},
        };
        for (const auto& h : headers) {
            const Item item = only(report, 0, QString::fromLatin1(h.name));
            QCOMPARE(item.text, QString::fromUtf8(h.text));
            QCOMPARE(item.box.topLeft(), QPointF(left0 + h.left, top0 + 9.79));
            QCOMPARE(item.font.pixelSize(), qRound(h.points * 25400.0 / 72));
            QVERIFY(item.font.bold());
        }

        // The second row: each data box at its place, with the row's display texts.
        const JournalSnapshot::Values v = ReportSamples::values(1);
        const qreal rowTop = top0 + 14.82 + 6.09;
        const struct
        {
            const char* name;
            qreal left;
            qreal width; // 0: auto-size
            bool bold;
            QString text;
        } cells[] = {
            {"QRDBText1", 1.32, 46.57, true, v[0].toString()},
            {"QRDBText2", 49.74, 28.84, true, v[1].toString()},
            {"QRDBText3", 81.49, 77.52, false, v[2].toString()},
            {"QRDBText4", 159.81, 9.53, true, QString::number(v[3].toInt())},
            {"QRDBText5", 172.24, 0, false, JournalText::date(v[4])},
        };
        for (const auto& c : cells) {
            const Item item = only(report, 0, QString::fromLatin1(c.name), 1);
            QCOMPARE(item.text, c.text);
            QVERIFY(std::abs(item.box.left() - (left0 + c.left)) < 1e-9);
            QVERIFY(std::abs(item.box.top() - (rowTop + 0.53)) < 1e-9);
            QCOMPARE(item.box.height(), 4.50);
            if (c.width > 0)
                QCOMPARE(item.box.width(), c.width);
            QCOMPARE(item.font.bold(), c.bold);
            QCOMPARE(item.font.pixelSize(), qRound(8 * 25400.0 / 72));
        }

        const Item signature = only(report, 0, QStringLiteral("QRLabel7"));
        QCOMPARE(signature.text, QStringLiteral("Роспись преподавателя"));
        QVERIFY(std::abs(signature.box.top() - (top0 + 14.82 + 3 * 6.09 + 11.64)) < 1e-9);
        QVERIFY(std::abs(signature.box.left() - (left0 + 147.64)) < 1e-9);
    }

    void emptyViewPrintsOneEmptyRuledRow()
    {
        const JournalReport report(std::make_shared<JournalSnapshot>());
        QCOMPARE(report.pageCount(), 1);
        const QList<Item> items = report.items(0);
        int texts = 0;
        int lines = 0;
        for (const Item& item : items) {
            if (item.band != JournalReport::Band::Row)
                continue;
            QCOMPARE(item.row, -1);
            if (item.line)
                ++lines;
            else {
                ++texts;
                QVERIFY(item.text.isEmpty());
            }
        }
        QCOMPARE(texts, 5);
        QCOMPARE(lines, 7);
        QCOMPARE(itemsOf(report, 0, QStringLiteral("QRLabel1")).size(), 1);
        QCOMPARE(itemsOf(report, 0, QStringLiteral("QRLabel7")).size(), 1);
    }

    void fixedBoxesPrintTheirFirstLine_data()
    {
        QTest::addColumn<QString>("element");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind"); // 0 fits whole, 1 words, 2 one long word, 3 line break

        QTest::newRow("short name") << "QRDBText1"
                                    << "Иванов Иван" << 0;
        QTest::newRow("long name") << "QRDBText1"
                                   << "Константинопольский Александр Вениаминович Задунайский" << 1;
        QTest::newRow("long group") << "QRDBText2"
                                    << "Информационные технологии 11 класс" << 1;
        QTest::newRow("long topic")
            << "QRDBText3"
            << "Алгоритмы и исполнители: линейные, разветвляющиеся и циклические алгоритмы" << 1;
        QTest::newRow("one long word") << "QRDBText1" << QString(60, QChar(u'Ш')) << 2;
        QTest::newRow("line break") << "QRDBText1"
                                    << "Иванов\nИван Иванович" << 3;
        QTest::newRow("windows line break") << "QRDBText2"
                                            << "ИТ-11\r\nвечерняя" << 3;
    }

    void fixedBoxesPrintTheirFirstLine()
    {
        QFETCH(QString, element);
        QFETCH(QString, text);
        QFETCH(int, kind);

        auto rows = std::make_shared<JournalSnapshot>();
        const bool group = element == QLatin1String("QRDBText2");
        const bool topic = element == QLatin1String("QRDBText3");
        rows->append(group || topic ? QStringLiteral("Иванов") : text,
                     group ? text : QStringLiteral("ИТ"), topic ? text : QStringLiteral("Тема"), 50,
                     QVariant());
        const JournalReport report(rows);
        const Item item = only(report, 0, element, 0);
        const qreal width = item.box.width() * 1000;
        const QFontMetricsF metrics(item.font);

        QVERIFY(!item.text.contains(QLatin1Char('\n'))); // one line fits these boxes
        QVERIFY(metrics.horizontalAdvance(item.text) <= width);
        switch (kind) {
        case 0:
            QCOMPARE(item.text, text);
            break;
        case 1:
            QVERIFY(metrics.horizontalAdvance(text) > width);
            QCOMPARE(item.text, greedyFirstLine(text, item.font, width));
            QVERIFY(!item.text.isEmpty());
            break;
        case 2:
            // A word wider than the box is broken where the box ends.
            QVERIFY(text.startsWith(item.text));
            QVERIFY(!item.text.isEmpty());
            QVERIFY(metrics.horizontalAdvance(text.left(item.text.size() + 1)) > width);
            break;
        case 3:
            QCOMPARE(item.text, text.section(QRegularExpression(QStringLiteral("[\r\n]")), 0, 0));
            break;
        }

        // What is painted is the box's text and nothing more: render the row alone and look
        // for ink to the right of the printed text.
        QImage image(2480, 3508, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            report.paintPage(painter, 0, 300, 300);
        }
        const qreal pxPerMm = 300 / 25.4;
        const int y0 = int(std::ceil(item.box.top() * pxPerMm));
        const int y1 = int(std::floor(item.box.bottom() * pxPerMm));
        const int xText = int(std::ceil(
            (item.box.left() + metrics.horizontalAdvance(item.text) / 1000.0 + 0.1) * pxPerMm));
        const int xBox = int(std::floor((item.box.right() - 0.1) * pxPerMm));
        for (int y = y0; y <= y1; ++y) {
            for (int x = xText; x < xBox; ++x)
                QVERIFY2(qGray(image.pixel(x, y)) > 160,
                         qPrintable(QStringLiteral("ink at %1,%2").arg(x).arg(y)));
        }
    }

    void displayTexts_data()
    {
        QTest::addColumn<int>("column"); // 0 text, 1 score, 2 date
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected");

        const QLocale locale = QLocale::system();
        const QDate day(2024, 3, 5);
        QTest::newRow("text") << 0 << QVariant(QStringLiteral("Мар'яна")) << "Мар'яна";
        QTest::newRow("null text") << 0 << QVariant() << "";
        QTest::newRow("empty text") << 0 << QVariant(QString()) << "";
        QTest::newRow("score") << 1 << QVariant(87) << "87";
        QTest::newRow("score zero") << 1 << QVariant(0) << "0";
        QTest::newRow("fractional score") << 1 << QVariant(66.6) << "67";
        QTest::newRow("null score") << 1 << QVariant() << "";
        QTest::newRow("unreadable score") << 1 << QVariant(QStringLiteral("много")) << "";
        QTest::newRow("date") << 2 << QVariant(QDateTime(day, QTime(0, 0)))
                              << locale.toString(day, QLocale::ShortFormat);
        QTest::newRow("date with time")
            << 2 << QVariant(QDateTime(day, QTime(14, 30, 5)))
            << locale.toString(day, QLocale::ShortFormat) + QLatin1Char(' ') +
                   locale.toString(QTime(14, 30, 5), DateValue::longTimeFormat());
        QTest::newRow("null date") << 2 << QVariant() << "";
        QTest::newRow("unreadable date") << 2 << QVariant(QStringLiteral("вчера")) << "";
    }

    void displayTexts()
    {
        QFETCH(int, column);
        QFETCH(QVariant, value);
        QFETCH(QString, expected);
        const QString text = column == 0   ? JournalText::text(value)
                             : column == 1 ? JournalText::score(value)
                                           : JournalText::date(value);
        QCOMPARE(text, expected);
    }

    // Page 1 at 300 dpi: the ruling lines and the column headers' ink where the layout's
    // millimetres put them, within 0.2 mm.
    void renderedPageMatchesTheMillimetres()
    {
        const JournalReport report(ReportSamples::journal(3));
        const qreal dpi = 300;
        const qreal pxPerMm = dpi / 25.4;
        QImage image(qRound(210 * pxPerMm), qRound(297 * pxPerMm), QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::TextAntialiasing);
            report.paintPage(painter, 0, dpi, dpi);
        }
        const auto dark = [&](int x, int y) { return qGray(image.pixel(x, y)) < 128; };
        const auto px = [&](qreal mm) { return int(std::lround(mm * pxPerMm)); };
        const auto mm = [&](qreal p) { return (p + 0.5) / pxPerMm; };

        // Middles of the runs of indices for which `on` holds.
        const auto runs = [&](int from, int to, const std::function<bool(int)>& on) {
            QList<qreal> middles;
            int start = -1;
            for (int i = from; i <= to + 1; ++i) {
                const bool isOn = i <= to && on(i);
                if (isOn && start < 0)
                    start = i;
                if (!isOn && start >= 0) {
                    middles.append(mm((start + i - 1) / 2.0));
                    start = -1;
                }
            }
            return middles;
        };
        const auto compareLines = [](const QList<qreal>& found, const QList<qreal>& expected) {
            QCOMPARE(found.size(), expected.size());
            for (int i = 0; i < found.size(); ++i)
                QVERIFY2(std::abs(found.at(i) - expected.at(i)) <= 0.2,
                         qPrintable(QStringLiteral("%1 mm, expected %2 mm")
                                        .arg(found.at(i))
                                        .arg(expected.at(i))));
        };

        // Horizontal rules across the table: rows of pixels dark over 95 % of its width.
        const int xa = px(left0 + 1), xb = px(left0 + 188);
        const QList<qreal> rows = runs(0, image.height() - 1, [&](int y) {
            int count = 0;
            for (int x = xa; x <= xb; ++x)
                count += dark(x, y);
            return count > (xb - xa) * 95 / 100;
        });
        const qreal row1 = top0 + 14.82;
        compareLines(rows, {top0 + 8.60, top0 + 14.68, row1 + 5.42, row1 + 6.09 + 5.42,
                            row1 + 2 * 6.09 + 5.42});

        // The signature line, right of the table's middle.
        const qreal signatureTop = row1 + 3 * 6.09;
        const int sa = px(left0 + 131), sb = px(left0 + 190);
        const QList<qreal> signature = runs(px(signatureTop), px(signatureTop + 18.52), [&](int y) {
            int count = 0;
            for (int x = sa; x <= sb; ++x)
                count += dark(x, y);
            return count > (sb - sa) * 95 / 100;
        });
        compareLines(signature, {signatureTop + 11.38});

        // Vertical rules: columns dark all the way through the second row's text height.
        const qreal row2 = row1 + 6.09;
        const int ya = px(row2 + 0.1), yb = px(row2 + 5.0);
        const QList<qreal> columns = runs(0, image.width() - 1, [&](int x) {
            for (int y = ya; y <= yb; ++y) {
                if (!dark(x, y))
                    return false;
            }
            return true;
        });
        compareLines(columns, {left0 + 0.13, left0 + 49.08, left0 + 80.30, left0 + 159.15,
                               left0 + 170.26, left0 + 189.57});
        // The header's rules run over the header band too.
        const QList<qreal> headerColumns = runs(0, image.width() - 1, [&](int x) {
            for (int y = px(top0 + 9.0); y <= px(top0 + 14.2); ++y) {
                if (!dark(x, y))
                    return false;
            }
            return true;
        });
        compareLines(headerColumns, {left0 + 0.13, left0 + 49.08, left0 + 80.30, left0 + 159.15,
                                     left0 + 170.26, left0 + 189.57});

        // Column headers: the ink's bounding box where the font puts the text in its box.
        const struct
        {
            const char* name;
            qreal from;
            qreal to; // the scan area between the neighbouring rules
        } headers[] = {
            {"QRLabel2", 0.13, 49.08},    {"QRLabel3", 49.08, 80.30},   {"QRLabel4", 80.30, 159.15},
            {"QRLabel5", 159.15, 170.26}, {"QRLabel6", 170.26, 189.57},
        };
        for (const auto& h : headers) {
            const Item item = only(report, 0, QString::fromLatin1(h.name));
            const QFontMetricsF metrics(item.font);
            const QRectF ink = metrics.tightBoundingRect(item.text);
            const QRectF expected(item.box.left() + ink.left() / 1000,
                                  item.box.top() + (metrics.ascent() + ink.top()) / 1000,
                                  ink.width() / 1000, ink.height() / 1000);
            // The header's own box, as the layout gives it.
            QVERIFY(expected.left() >= item.box.left() - 0.2);
            QVERIFY(expected.top() >= item.box.top() - 0.2);
            QVERIFY(expected.bottom() <= item.box.bottom() + 0.2);

            int x0 = INT_MAX, y0 = INT_MAX, x1 = -1, y1 = -1;
            for (int y = px(top0 + 8.9); y <= px(top0 + 14.3); ++y) {
                for (int x = px(left0 + h.from + 0.25); x <= px(left0 + h.to - 0.25); ++x) {
                    if (dark(x, y)) {
                        x0 = std::min(x0, x);
                        x1 = std::max(x1, x);
                        y0 = std::min(y0, y);
                        y1 = std::max(y1, y);
                    }
                }
            }
            QVERIFY2(x1 >= 0, h.name);
            const QRectF found(mm(x0) - 0.5 / pxPerMm, mm(y0) - 0.5 / pxPerMm,
                               (x1 - x0 + 1) / pxPerMm, (y1 - y0 + 1) / pxPerMm);
            const QString where = QStringLiteral("%1: ink %2,%3 %4x%5 mm, expected %6,%7 %8x%9")
                                      .arg(QLatin1String(h.name))
                                      .arg(found.left())
                                      .arg(found.top())
                                      .arg(found.width())
                                      .arg(found.height())
                                      .arg(expected.left())
                                      .arg(expected.top())
                                      .arg(expected.width())
                                      .arg(expected.height());
            QVERIFY2(std::abs(found.left() - expected.left()) <= 0.2, qPrintable(where));
            QVERIFY2(std::abs(found.top() - expected.top()) <= 0.2, qPrintable(where));
            QVERIFY2(std::abs(found.right() - expected.right()) <= 0.2, qPrintable(where));
            QVERIFY2(std::abs(found.bottom() - expected.bottom()) <= 0.2, qPrintable(where));
        }
    }

    void pdfHasOnePagePerReportPage()
    {
        const JournalReport report(ReportSamples::journal(150));
        QCOMPARE(report.pageCount(), 4);

        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        {
            QPdfWriter pdf(&buffer);
            pdf.setPageLayout(JournalReport::pageLayout());
            ReportPageWriter writer(report, &pdf, 0, report.pageCount() - 1);
            QVERIFY(writer.begin());
            int steps = 0;
            while (writer.writeSome(1))
                ++steps;
            QCOMPARE(steps, 3);
            QCOMPARE(writer.written(), 4);
            QVERIFY(writer.finish());
        }
        const QByteArray data = buffer.data();
        QVERIFY(data.startsWith("%PDF-"));
        static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
        QCOMPARE(QString::fromLatin1(data).count(page), 4);
        // A4: 595 × 842 points.
        QVERIFY(data.contains("/MediaBox [0 0 595"));
    }

    void pdfOfSomePages()
    {
        const JournalReport report(ReportSamples::journal(150));
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        {
            QPdfWriter pdf(&buffer);
            pdf.setPageLayout(JournalReport::pageLayout());
            ReportPageWriter writer(report, &pdf, 1, 2);
            QVERIFY(writer.begin());
            while (writer.writeSome(10)) {
            }
            QVERIFY(writer.atEnd());
            QVERIFY(writer.finish());
        }
        static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
        QCOMPARE(QString::fromLatin1(buffer.data()).count(page), 2);
    }
};

QTEST_MAIN(TestJournalReport)
#include "tst_journalreport.moc"
