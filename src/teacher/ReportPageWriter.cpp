#include "ReportPageWriter.h"

#include "JournalReport.h"

#include <QPagedPaintDevice>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {
// The PDF engine builds each page in a fresh buffer of a few hundred kilobytes. By default
// glibc hands the freed top of the heap back to the system after nearly every page and faults
// it in again for the next one, which costs a long document a third of its time. Keeping up
// to 64 MB of freed memory for reuse avoids that.
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

ReportPageWriter::ReportPageWriter(const JournalReport& report, QPagedPaintDevice* device,
                                   int first, int last)
    : m_report(report), m_device(device), m_first(first), m_last(last), m_next(first)
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
    for (int i = 0; i < maxPages && m_next <= m_last; ++i, ++m_next) {
        if (m_next != m_first)
            m_device->newPage();
        m_painter.save();
        m_painter.translate(m_origin);
        m_report.paintPage(m_painter, m_next, m_dpiX, m_dpiY);
        m_painter.restore();
    }
    return m_next <= m_last;
}

bool ReportPageWriter::finish()
{
    return m_painter.end();
}
