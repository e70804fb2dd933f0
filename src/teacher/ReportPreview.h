#pragma once

#include <QMainWindow>
#include <QPointer>

#include <memory>

class JournalReport;
class QAction;
class QComboBox;
class QLabel;
class QPrinter;
class QSpinBox;
class ReportJob;
class ReportPageView;

// The print preview of the journal report: its pages with paging and zoom, printing through
// the system's print dialog, saving as PDF and exporting the journal as CSV.
class ReportPreview : public QMainWindow
{
    Q_OBJECT
public:
    explicit ReportPreview(std::shared_ptr<const JournalReport> report, QWidget* parent = nullptr);
    ~ReportPreview() override;

    const JournalReport& report() const { return *m_report; }
    ReportPageView* pageView() const { return m_view; }
    // The output under way (PDF, print run, CSV), if any.
    ReportJob* job() const;

    // The printer as the print dialog first offers it: A4 portrait with the report's margins,
    // one copy, all pages, automatic paper source, no duplex.
    void preparePrinter(QPrinter& printer) const;
    // Prints on a printer set up by the print dialog (its page range, copies and output).
    void printOn(std::unique_ptr<QPrinter> printer);
    // Writes every page to a PDF file.
    void savePdfTo(const QString& path);
    // Writes the journal view the report prints to a CSV file.
    void exportCsvTo(const QString& path);

    // The zoom steps of the zoom box and of the zoom-in and zoom-out buttons.
    static const QList<qreal>& zoomSteps();

private:
    void buildToolBar();
    void print();
    void savePdf();
    void exportCsv();
    void zoomBoxChosen(int index);
    void zoomBy(int direction);
    void showPage(int page);
    void showZoom();
    void startJob(ReportJob* job);
    QString proposedPath(const QString& fileName) const;

    std::shared_ptr<const JournalReport> m_report;
    ReportPageView* m_view = nullptr;
    QSpinBox* m_pageNumber = nullptr;
    QLabel* m_pageTotal = nullptr;
    QComboBox* m_zoomBox = nullptr;
    QList<QAction*> m_outputActions;
    QPointer<ReportJob> m_job;
};
