#include "ReportPageWriter.h"

#include "JournalReport.h"

#include <QPagedPaintDevice>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {
// The PDF engine builds each page in fresh buffers of a few hundred kilobytes. By default glibc
// maps such blocks from the system and gives them back (and trims the heap) after nearly every
// page, then faults the memory in again for the next one, which costs a long document a third
// of its time. Serving them from the heap and keeping freed memory for reuse avoids that.
void keepFreedMemory()
{
#ifdef __GLIBC__
    static const bool done = [] {
        mallopt(M_MMAP_THRESHOLD, 32 << 20);
        mallopt(M_TOP_PAD, 16 << 20);
        mallopt(M_TRIM_THRESHOLD, 64 << 20);
        return true;
    }();
    Q_UNUSED(done);
#endif
}
} // namespace

namespace {
QList<int> range(int first, int last)
{
    QList<int> pages;
    for (int p = first; p <= last; ++p)
        pages.append(p);
    return pages;
}
} // namespace

ReportPageWriter::ReportPageWriter(const JournalReport& report, QPagedPaintDevice* device,
                                   int first, int last)
    : ReportPageWriter(report, device, range(first, last))
{}

ReportPageWriter::ReportPageWriter(const JournalReport& report, QPagedPaintDevice* device,
                                   QList<int> pages)
    : m_report(report), m_device(device), m_pages(std::move(pages))
{}

ReportPageWriter::~ReportPageWriter()
{
    if (m_painter.isActive())
        m_painter.end();
}

bool ReportPageWriter::begin()
{
    keepFreedMemory();
    if (!m_painter.begin(m_device))
        return false;
    m_dpiX = m_device->logicalDpiX();
    m_dpiY = m_device->logicalDpiY();
    // The report places everything from the corner of the paper; the device's own origin
    // is the corner of its printable area.
    const QRect paint = m_device->pageLayout().paintRectPixels(m_device->logicalDpiX());
    m_origin = -QPointF(paint.topLeft());
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
    return true;
}

bool ReportPageWriter::writeSome(int maxPages)
{
    for (int i = 0; i < maxPages && m_next < m_pages.size(); ++i, ++m_next) {
        if (m_next > 0)
            m_device->newPage();
        m_painter.save();
        m_painter.translate(m_origin);
        m_report.paintPage(m_painter, m_pages.at(m_next), m_dpiX, m_dpiY);
        m_painter.restore();
    }
    return m_next < m_pages.size();
}

bool ReportPageWriter::finish()
{
    return m_painter.end();
}
