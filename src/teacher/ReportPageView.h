#pragma once

#include <QAbstractScrollArea>
#include <QCache>
#include <QImage>

#include <memory>

class JournalReport;

// The pages of a report one under the other on a grey desk, scrolled and zoomed. A page is
// painted into an image only when it comes into view, and the images of recently seen pages
// are kept, so a report of thousands of pages opens and scrolls at once.
class ReportPageView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    enum class ZoomMode { Factor, FitWidth, FitPage };

    explicit ReportPageView(QWidget* parent = nullptr);

    void setReport(std::shared_ptr<const JournalReport> report);
    int pageCount() const;

    // The page at the top of the view (zero-based); the last page once scrolled to the end.
    int currentPage() const { return m_current; }
    // Scrolls the page's top to the top of the view.
    void setCurrentPage(int page);

    // 1.0 shows the page at its paper size.
    qreal zoom() const;
    ZoomMode zoomMode() const { return m_mode; }
    void setZoom(qreal factor);
    void setZoomMode(ZoomMode mode);

    // Pages painted into images so far, and the pages whose images are kept.
    int renderedPageCount() const { return m_rendered; }
    QList<int> cachedPages() const { return m_cache.keys(); }

    static constexpr qreal MinZoom = 0.1;
    static constexpr qreal MaxZoom = 4.0;

signals:
    void currentPageChanged(int page);
    void zoomChanged(qreal factor);
    // A page image has reached the screen.
    void pageShown(int page);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    qreal screenDpi() const;
    qreal fitFactor(ZoomMode mode) const;
    QSizeF pageSize() const; // in device-independent pixels at the current zoom
    int pageStride() const;
    int pageTop(int page) const;
    void applyZoom(qreal factor);
    void updateScrollBars();
    void updateCurrentPage();
    // The page's image, painted now unless kept; nullptr when too large to keep.
    const QImage* pageImage(int page);

    std::shared_ptr<const JournalReport> m_report;
    QCache<int, QImage> m_cache;
    ZoomMode m_mode = ZoomMode::Factor;
    qreal m_factor = 1.0;
    int m_current = 0;
    int m_rendered = 0;
    bool m_updatingBars = false;
};
