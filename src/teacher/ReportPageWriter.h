#pragma once

#include <QList>
#include <QPainter>

class JournalReport;
class QPagedPaintDevice;

// Writes a range of report pages onto a paged device (a PDF writer or a printer) a few pages
// at a time, so that a caller on the user-interface thread can show progress and let the
// user cancel between steps. The painter stays on the thread that began it.
class ReportPageWriter
{
public:
    // first and last: zero-based, inclusive.
    ReportPageWriter(const JournalReport& report, QPagedPaintDevice* device, int first, int last);
    // The pages in this order (zero-based), repeats allowed (copies).
    ReportPageWriter(const JournalReport& report, QPagedPaintDevice* device, QList<int> pages);
    ~ReportPageWriter();

    ReportPageWriter(const ReportPageWriter&) = delete;
    ReportPageWriter& operator=(const ReportPageWriter&) = delete;

    // Starts painting; false when the device cannot be painted on.
    bool begin();
    // Writes up to maxPages pages; returns true while pages remain.
    bool writeSome(int maxPages);
    // Ends painting; false when the device reported a failure.
    bool finish();

    int total() const { return int(m_pages.size()); }
    int written() const { return m_next; }
    bool atEnd() const { return m_next >= m_pages.size(); }

private:
    const JournalReport& m_report;
    QPagedPaintDevice* m_device;
    QPainter m_painter;
    QList<int> m_pages;
    int m_next = 0;
    QPointF m_origin;
    qreal m_dpiX = 0;
    qreal m_dpiY = 0;
};
