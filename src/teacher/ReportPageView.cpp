#include "ReportPageView.h"

#include "JournalReport.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>

namespace {
constexpr int Gap = 12; // desk around and between pages, pixels
constexpr qreal PaperWidthMm = 210;
constexpr qreal PaperHeightMm = 297;
constexpr int CacheKilobytes = 96 * 1024;
constexpr qint64 MaxImageBytes = 32LL * 1024 * 1024;
} // namespace

ReportPageView::ReportPageView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("pageView"));
    m_cache.setMaxCost(CacheKilobytes);
    setFocusPolicy(Qt::StrongFocus);
    // Always there, so fitting the page to the width cannot make it come and go.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    verticalScrollBar()->setSingleStep(40);
    horizontalScrollBar()->setSingleStep(40);
}

void ReportPageView::setReport(std::shared_ptr<const JournalReport> report)
{
    m_report = std::move(report);
    m_cache.clear();
    m_current = 0;
    updateScrollBars();
    verticalScrollBar()->setValue(0);
    viewport()->update();
    emit currentPageChanged(0);
}

int ReportPageView::pageCount() const
{
    return m_report ? m_report->pageCount() : 0;
}

qreal ReportPageView::screenDpi() const
{
    return logicalDpiX() > 0 ? logicalDpiX() : 96;
}

qreal ReportPageView::fitFactor(ZoomMode mode) const
{
    const qreal paperWidth = PaperWidthMm / 25.4 * screenDpi();
    const qreal paperHeight = PaperHeightMm / 25.4 * screenDpi();
    qreal factor = (viewport()->width() - 2 * Gap) / paperWidth;
    if (mode == ZoomMode::FitPage)
        factor = std::min(factor, (viewport()->height() - 2 * Gap) / paperHeight);
    return std::clamp(factor, MinZoom, MaxZoom);
}

qreal ReportPageView::zoom() const
{
    return m_factor;
}

void ReportPageView::setZoom(qreal factor)
{
    m_mode = ZoomMode::Factor;
    applyZoom(std::clamp(factor, MinZoom, MaxZoom));
}

void ReportPageView::setZoomMode(ZoomMode mode)
{
    m_mode = mode;
    applyZoom(mode == ZoomMode::Factor ? m_factor : fitFactor(mode));
}

void ReportPageView::applyZoom(qreal factor)
{
    if (std::abs(factor - m_factor) < 1e-6)
        return;
    // Keep the same place of the same page at the top of the view.
    const int page = m_current;
    const qreal into =
        pageStride() > 0 ? qreal(verticalScrollBar()->value() - pageTop(page)) / pageStride() : 0;
    m_factor = factor;
    m_cache.clear();
    updateScrollBars();
    verticalScrollBar()->setValue(pageTop(page) + qRound(into * pageStride()));
    updateCurrentPage();
    viewport()->update();
    emit zoomChanged(m_factor);
}

QSizeF ReportPageView::pageSize() const
{
    const qreal pxPerMm = screenDpi() / 25.4 * m_factor;
    return {PaperWidthMm * pxPerMm, PaperHeightMm * pxPerMm};
}

int ReportPageView::pageStride() const
{
    return qRound(pageSize().height()) + Gap;
}

int ReportPageView::pageTop(int page) const
{
    return Gap + page * pageStride();
}

void ReportPageView::updateScrollBars()
{
    m_updatingBars = true;
    const QSize page = pageSize().toSize();
    const int contentWidth = page.width() + 2 * Gap;
    const int contentHeight = Gap + pageCount() * pageStride();
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, contentWidth - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setRange(0, std::max(0, contentHeight - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    m_updatingBars = false;
}

void ReportPageView::setCurrentPage(int page)
{
    if (pageCount() == 0)
        return;
    page = std::clamp(page, 0, pageCount() - 1);
    verticalScrollBar()->setValue(pageTop(page) - Gap / 2);
    // At the end of the document the last pages may not reach the top of the view.
    if (m_current != page) {
        m_current = page;
        emit currentPageChanged(page);
    }
}

void ReportPageView::updateCurrentPage()
{
    if (pageCount() == 0)
        return;
    const QScrollBar* bar = verticalScrollBar();
    int page = std::clamp((bar->value() + Gap) / pageStride(), 0, pageCount() - 1);
    if (bar->value() >= bar->maximum() && bar->maximum() > 0)
        page = pageCount() - 1;
    if (page != m_current) {
        m_current = page;
        emit currentPageChanged(page);
    }
}

void ReportPageView::scrollContentsBy(int dx, int dy)
{
    QAbstractScrollArea::scrollContentsBy(dx, dy);
    if (!m_updatingBars)
        updateCurrentPage();
    viewport()->update();
}

void ReportPageView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (m_mode != ZoomMode::Factor)
        applyZoom(fitFactor(m_mode));
    updateScrollBars();
}

const QImage* ReportPageView::pageImage(int page)
{
    if (const QImage* cached = m_cache.object(page))
        return cached;

    const qreal ratio = devicePixelRatioF();
    const QSize size = (pageSize() * ratio).toSize().expandedTo(QSize(1, 1));
    if (qint64(size.width()) * size.height() * 4 > MaxImageBytes)
        return nullptr;
    auto* image = new QImage(size, QImage::Format_RGB32);
    image->fill(Qt::white);
    {
        QPainter painter(image);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        m_report->paintPage(painter, page, image->width() / (PaperWidthMm / 25.4),
                            image->height() / (PaperHeightMm / 25.4));
    }
    image->setDevicePixelRatio(ratio);
    ++m_rendered;
    m_cache.insert(page, image, int(std::max<qsizetype>(1, image->sizeInBytes() / 1024)));
    return m_cache.object(page);
}

void ReportPageView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    painter.fillRect(event->rect(), QColor(0x80, 0x80, 0x80)); // the desk
    if (!m_report)
        return;
    const QSize page = pageSize().toSize();
    const int scrollX = horizontalScrollBar()->value();
    const int scrollY = verticalScrollBar()->value();
    const int contentWidth = page.width() + 2 * Gap;
    const int left =
        (contentWidth < viewport()->width() ? (viewport()->width() - page.width()) / 2 : Gap) -
        scrollX;

    const QRect dirty = event->rect();
    const int first = std::max(0, (scrollY + dirty.top() - Gap) / pageStride());
    const int last = std::min(pageCount() - 1, (scrollY + dirty.bottom()) / pageStride());
    for (int p = first; p <= last; ++p) {
        const QRect target(left, pageTop(p) - scrollY, page.width(), page.height());
        if (!target.intersects(dirty))
            continue;
        painter.fillRect(target.translated(3, 3), QColor(0x50, 0x50, 0x50));
        if (const QImage* image = pageImage(p)) {
            painter.drawImage(target, *image);
        } else {
            // Too large to keep at this zoom: paint straight onto the screen.
            ++m_rendered;
            painter.fillRect(target, Qt::white);
            painter.save();
            painter.translate(target.topLeft());
            painter.setClipRect(target.intersected(dirty).translated(-target.topLeft()));
            m_report->paintPage(painter, p, page.width() / (PaperWidthMm / 25.4),
                                page.height() / (PaperHeightMm / 25.4));
            painter.restore();
        }
        emit pageShown(p);
    }
}

void ReportPageView::wheelEvent(QWheelEvent* event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        const int steps = event->angleDelta().y() / 120;
        if (steps != 0)
            setZoom(m_factor * std::pow(1.25, steps));
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

void ReportPageView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Home:
        setCurrentPage(0);
        break;
    case Qt::Key_End:
        setCurrentPage(pageCount() - 1);
        break;
    case Qt::Key_PageDown:
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
    case Qt::Key_PageUp:
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}
