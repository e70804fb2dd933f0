#include "ReportPreview.h"

#include "JournalReport.h"
#include "ReportJob.h"
#include "ReportPageView.h"

#include "app/AppTitle.h"
#include "app/FileDialogs.h"
#include "app/Guard.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

namespace {

// The folder the last file was saved in, offered again next time.
QString& lastFolder()
{
    static QString folder;
    return folder;
}

QString reportTitle()
{
    return QStringLiteral("Результаты учебной деятельности учащихся");
}

constexpr int FitWidthItem = 0;
constexpr int FitPageItem = 1;
constexpr int FirstStepItem = 2;

} // namespace

const QList<qreal>& ReportPreview::zoomSteps()
{
    static const QList<qreal> steps = {0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0};
    return steps;
}

ReportPreview::ReportPreview(std::shared_ptr<const JournalReport> report, QWidget* parent)
    : QMainWindow(parent), m_report(std::move(report))
{
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowFlags(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Предварительный просмотр"));

    m_view = new ReportPageView(this);
    setCentralWidget(m_view);
    buildToolBar();
    m_view->setReport(m_report);

    connect(m_view, &ReportPageView::currentPageChanged, this,
            guarded([this](int page) { showPage(page); }));
    connect(m_view, &ReportPageView::zoomChanged, this, guarded([this](qreal) { showZoom(); }));
    showPage(0);
    showZoom();

    // The page at its paper size, as tall as the screen allows.
    const QSize paper(qRound(210 / 25.4 * m_view->logicalDpiX()),
                      qRound(297 / 25.4 * m_view->logicalDpiY()));
    QSize size(paper.width() + 60, paper.height() + 120);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize() * 0.9);
    resize(size);
    m_view->setFocus();
}

ReportPreview::~ReportPreview()
{
    // Ends (and discards) output under way while the report is still here.
    delete m_job;
}

ReportJob* ReportPreview::job() const
{
    return m_job;
}

void ReportPreview::buildToolBar()
{
    QToolBar* bar = addToolBar(QStringLiteral("Просмотр"));
    bar->setObjectName(QStringLiteral("previewToolBar"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    const auto add = [&](const char* name, const QString& text, const char* icon,
                         const QKeySequence& key, void (ReportPreview::*handler)()) {
        QAction* action = bar->addAction(QIcon::fromTheme(QString::fromLatin1(icon)), text);
        action->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty())
            action->setShortcut(key);
        connect(action, &QAction::triggered, this, guarded(this, handler));
        return action;
    };

    QAction* first = bar->addAction(style()->standardIcon(QStyle::SP_MediaSkipBackward),
                                    QStringLiteral("Первая страница"));
    first->setObjectName(QStringLiteral("firstPage"));
    connect(first, &QAction::triggered, this, guarded([this] { m_view->setCurrentPage(0); }));
    QAction* prior = bar->addAction(style()->standardIcon(QStyle::SP_MediaSeekBackward),
                                    QStringLiteral("Предыдущая страница"));
    prior->setObjectName(QStringLiteral("priorPage"));
    connect(prior, &QAction::triggered, this,
            guarded([this] { m_view->setCurrentPage(m_view->currentPage() - 1); }));

    m_pageNumber = new QSpinBox(bar);
    m_pageNumber->setObjectName(QStringLiteral("pageNumber"));
    m_pageNumber->setRange(1, std::max(1, m_report->pageCount()));
    m_pageNumber->setKeyboardTracking(false);
    m_pageNumber->setToolTip(QStringLiteral("Номер страницы"));
    bar->addWidget(m_pageNumber);
    m_pageTotal = new QLabel(QStringLiteral(" из %1 ").arg(m_report->pageCount()), bar);
    m_pageTotal->setObjectName(QStringLiteral("pageTotal"));
    bar->addWidget(m_pageTotal);
    connect(m_pageNumber, &QSpinBox::valueChanged, this, guarded([this](int number) {
                if (number - 1 != m_view->currentPage())
                    m_view->setCurrentPage(number - 1);
            }));

    QAction* next = bar->addAction(style()->standardIcon(QStyle::SP_MediaSeekForward),
                                   QStringLiteral("Следующая страница"));
    next->setObjectName(QStringLiteral("nextPage"));
    connect(next, &QAction::triggered, this,
            guarded([this] { m_view->setCurrentPage(m_view->currentPage() + 1); }));
    QAction* last = bar->addAction(style()->standardIcon(QStyle::SP_MediaSkipForward),
                                   QStringLiteral("Последняя страница"));
    last->setObjectName(QStringLiteral("lastPage"));
    connect(last, &QAction::triggered, this,
            guarded([this] { m_view->setCurrentPage(m_report->pageCount() - 1); }));
    for (QAction* a : {first, prior, next, last})
        a->setPriority(QAction::LowPriority); // icons only beside text buttons
    bar->addSeparator();

    QAction* zoomOut = bar->addAction(QStringLiteral("−"));
    zoomOut->setObjectName(QStringLiteral("zoomOut"));
    zoomOut->setToolTip(QStringLiteral("Уменьшить"));
    zoomOut->setShortcut(QKeySequence::ZoomOut);
    connect(zoomOut, &QAction::triggered, this, guarded([this] { zoomBy(-1); }));
    m_zoomBox = new QComboBox(bar);
    m_zoomBox->setObjectName(QStringLiteral("zoomBox"));
    m_zoomBox->addItem(QStringLiteral("По ширине"));
    m_zoomBox->addItem(QStringLiteral("Страница целиком"));
    for (qreal step : zoomSteps())
        m_zoomBox->addItem(QStringLiteral("%1 %").arg(qRound(step * 100)));
    m_zoomBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    bar->addWidget(m_zoomBox);
    connect(m_zoomBox, &QComboBox::activated, this,
            guarded([this](int index) { zoomBoxChosen(index); }));
    QAction* zoomIn = bar->addAction(QStringLiteral("+"));
    zoomIn->setObjectName(QStringLiteral("zoomIn"));
    zoomIn->setToolTip(QStringLiteral("Увеличить"));
    zoomIn->setShortcut(QKeySequence::ZoomIn);
    connect(zoomIn, &QAction::triggered, this, guarded([this] { zoomBy(+1); }));
    bar->addSeparator();

    m_outputActions = {
        add("print", QStringLiteral("Печать"), "document-print", QKeySequence::Print,
            &ReportPreview::print),
        add("savePdf", QStringLiteral("Сохранить в PDF"), "document-save-as", QKeySequence::Save,
            &ReportPreview::savePdf),
        add("exportCsv", QStringLiteral("Экспорт в CSV"), "x-office-spreadsheet", {},
            &ReportPreview::exportCsv),
    };
    bar->addSeparator();
    QAction* close = bar->addAction(QStringLiteral("Закрыть"));
    close->setObjectName(QStringLiteral("closePreview"));
    close->setShortcut(Qt::Key_Escape);
    connect(close, &QAction::triggered, this, guarded([this] { this->close(); }));
}

void ReportPreview::showPage(int page)
{
    const int count = m_report->pageCount();
    if (m_pageNumber->value() != page + 1) {
        const QSignalBlocker block(m_pageNumber);
        m_pageNumber->setValue(page + 1);
    }
    const auto enable = [this](const char* name, bool on) {
        if (QAction* a = findChild<QAction*>(QString::fromLatin1(name)))
            a->setEnabled(on);
    };
    enable("firstPage", page > 0);
    enable("priorPage", page > 0);
    enable("nextPage", page < count - 1);
    enable("lastPage", page < count - 1);
    statusBar()->showMessage(QStringLiteral("Страница %1 из %2").arg(page + 1).arg(count));
}

void ReportPreview::showZoom()
{
    const QSignalBlocker block(m_zoomBox);
    switch (m_view->zoomMode()) {
    case ReportPageView::ZoomMode::FitWidth:
        m_zoomBox->setCurrentIndex(FitWidthItem);
        return;
    case ReportPageView::ZoomMode::FitPage:
        m_zoomBox->setCurrentIndex(FitPageItem);
        return;
    case ReportPageView::ZoomMode::Factor:
        break;
    }
    const int step = int(zoomSteps().indexOf(m_view->zoom()));
    if (step >= 0) {
        m_zoomBox->setCurrentIndex(FirstStepItem + step);
    } else {
        m_zoomBox->setCurrentIndex(-1);
        m_zoomBox->setPlaceholderText(QStringLiteral("%1 %").arg(qRound(m_view->zoom() * 100)));
    }
}

void ReportPreview::zoomBoxChosen(int index)
{
    if (index == FitWidthItem)
        m_view->setZoomMode(ReportPageView::ZoomMode::FitWidth);
    else if (index == FitPageItem)
        m_view->setZoomMode(ReportPageView::ZoomMode::FitPage);
    else if (index >= FirstStepItem)
        m_view->setZoom(zoomSteps().at(index - FirstStepItem));
    showZoom();
}

void ReportPreview::zoomBy(int direction)
{
    const qreal now = m_view->zoom();
    const QList<qreal>& steps = zoomSteps();
    qreal target = now;
    if (direction > 0) {
        for (qreal s : steps) {
            if (s > now + 1e-6) {
                target = s;
                break;
            }
        }
    } else {
        for (auto it = steps.crbegin(); it != steps.crend(); ++it) {
            if (*it < now - 1e-6) {
                target = *it;
                break;
            }
        }
    }
    m_view->setZoom(target);
    showZoom();
}

void ReportPreview::preparePrinter(QPrinter& printer) const
{
    printer.setPageLayout(JournalReport::pageLayout());
    printer.setCopyCount(1);
    printer.setCollateCopies(true);
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(0, 0);
    printer.setPaperSource(QPrinter::Auto);
    printer.setDuplex(QPrinter::DuplexNone);
    printer.setDocName(reportTitle());
    printer.setCreator(appTitle());
}

void ReportPreview::print()
{
    if (m_job)
        return;
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    preparePrinter(*printer);
    QPrintDialog dialog(printer.get(), this);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setMinMax(1, m_report->pageCount());
    if (dialog.exec() != QDialog::Accepted)
        return;
    printOn(std::move(printer));
}

void ReportPreview::printOn(std::unique_ptr<QPrinter> printer)
{
    if (m_job)
        return;
    int first = 0;
    int last = m_report->pageCount() - 1;
    switch (printer->printRange()) {
    case QPrinter::PageRange:
        if (printer->fromPage() > 0) {
            first = printer->fromPage() - 1;
            last = std::min(printer->toPage(), m_report->pageCount()) - 1;
        }
        break;
    case QPrinter::CurrentPage:
        first = last = m_view->currentPage();
        break;
    case QPrinter::AllPages:
    case QPrinter::Selection:
        break;
    }
    if (first > last)
        return;
    startJob(ReportJob::print(this, m_report, std::move(printer), first, last));
}

QString ReportPreview::proposedPath(const QString& fileName) const
{
    QString folder = lastFolder();
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    return QDir(folder).filePath(fileName);
}

void ReportPreview::savePdf()
{
    if (m_job)
        return;
    FileDialogs::Request request;
    request.startFolder = proposedPath(QStringLiteral("Журнал.pdf"));
    request.filter = QStringLiteral("Документ PDF|*.pdf");
    const QString path = FileDialogs::saveFile(this, request);
    if (path.isEmpty())
        return;
    lastFolder() = QFileInfo(path).absolutePath();
    savePdfTo(path);
}

void ReportPreview::savePdfTo(const QString& path)
{
    if (m_job)
        return;
    startJob(ReportJob::savePdf(this, m_report, path));
}

void ReportPreview::exportCsv()
{
    if (m_job)
        return;
    FileDialogs::Request request;
    request.startFolder = proposedPath(QStringLiteral("Журнал.csv"));
    request.filter = QStringLiteral("Таблица CSV|*.csv");
    const QString path = FileDialogs::saveFile(this, request);
    if (path.isEmpty())
        return;
    lastFolder() = QFileInfo(path).absolutePath();
    exportCsvTo(path);
}

void ReportPreview::exportCsvTo(const QString& path)
{
    if (m_job)
        return;
    // The report's rows are the journal view as it was when the preview opened.
    std::shared_ptr<const JournalRowSource> rows(m_report, &m_report->rows());
    startJob(ReportJob::saveCsv(this, rows, path));
}

void ReportPreview::startJob(ReportJob* job)
{
    m_job = job;
    for (QAction* a : std::as_const(m_outputActions))
        a->setEnabled(false);
    connect(job, &ReportJob::finished, this, guarded([this](bool) {
                m_job = nullptr;
                for (QAction* a : std::as_const(m_outputActions))
                    a->setEnabled(true);
            }));
}
