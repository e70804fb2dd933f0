#pragma once

#include "JournalRowSource.h"

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QLatin1String>
#include <QLineF>
#include <QList>
#include <QPageLayout>
#include <QRectF>
#include <QString>

#include <memory>

class QPainter;

// The journal report: a title band with the column headers, one ruled row band per record of
// the journal view (one empty ruled row for an empty view) and the signature band, stacked on
// A4 pages with 10 mm margins. Every band has a fixed height, so the pages are laid out by
// arithmetic alone; a page's contents are made only when that page is painted or inspected.
// paintPage() is the one painting routine for the preview, the printer and PDF.
class JournalReport
{
public:
    enum class Band { Title, Row, Signature };

    // One page: which bands it holds and where they start, in 0.01 mm from the top of the paper.
    struct Page
    {
        int titleTop = -1;     // -1: no title band on this page
        int firstRow = 0;      // view index of the first row band
        int rowCount = 0;      // row bands on this page
        int rowsTop = 0;       // top of the first row band
        int signatureTop = -1; // -1: no signature band on this page
    };

    // One printed element of a page, in millimetres from the top-left corner of the paper.
    struct Item
    {
        QLatin1String element; // the element's name in the report form, e.g. "QRDBText1"
        Band band = Band::Title;
        int row = -1; // view index for a row band's element; -1 elsewhere and for an empty view
        bool line = false;  // a ruling line, else a text box
        QRectF box;         // text: the box as printed (auto-size boxes take their text's width);
                            // line: the defining box
        QLineF stroke;      // line: the line drawn along the middle of its box
        QString text;       // text: what the box prints (lines that fit, joined by '\n')
        QFont font;         // text: its font, sized in micrometres (see reportFont)
        int fontIndex = -1; // text: which of the report's four fonts
    };

    explicit JournalReport(std::shared_ptr<const JournalRowSource> rows);

    int pageCount() const { return int(m_pages.size()); }
    const Page& page(int index) const { return m_pages.at(index); }
    int pageOfRow(int row) const;
    const JournalRowSource& rows() const { return *m_rows; }

    QList<Item> items(int page) const;

    // Paints one page. The painter's origin must be the top-left corner of the paper, and its
    // device units dpiX × dpiY dots per inch.
    void paintPage(QPainter& painter, int page, qreal dpiX, qreal dpiY) const;

    // A4 portrait with the report's 10 mm margins.
    static QPageLayout pageLayout();
    // The report's font in a size given in points, with its pixel size in micrometres: the
    // painter works in micrometres, so text is placed the same way on every device.
    static QFont reportFont(int points, bool bold);

    // Layout figures in 0.01 mm.
    static constexpr int PaperWidth = 21000;
    static constexpr int PaperHeight = 29700;
    static constexpr int Margin = 1000;
    static constexpr int TitleHeight = 1482;
    static constexpr int RowHeight = 609;
    static constexpr int SignatureHeight = 1852;
    static constexpr int LineWidth = 26; // the engine's one-pixel pen, at 96 dpi

private:
    void paginate();
    // Calls visitItem(const Item&) for each element of the page, band by band.
    template <typename Visit> void visit(int page, Visit&& visitItem) const;
    QString fitted(int element, const QString& text) const;

    std::shared_ptr<const JournalRowSource> m_rows;
    QList<Page> m_pages;
    struct Shaped
    {
        QList<QGlyphRun> runs;
        qreal width = 0; // µm, of the widest line
    };
    const Shaped& shaped(int fontIndex, const QString& text) const;

    // What each fixed-size box prints for a given text, and the shaped glyphs of each printed
    // text, kept because the same names, groups and topics come again on many rows. Both are
    // in micrometres, so one copy serves every device.
    mutable QList<QHash<QString, QString>> m_fitted;
    mutable QList<QHash<QString, Shaped>> m_shaped;
};
