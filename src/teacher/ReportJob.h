#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class JournalReport;
class JournalRowSource;
class QPrinter;
class QWidget;

// Long output of the journal (a PDF, a print run, a CSV file) written a slice at a time from the
// event loop, so the windows stay responsive, with a progress dialog that can cancel it.
// A file is written under a temporary name and put in place only when it is complete, so a
// cancelled or failed job leaves an existing file as it was. The job belongs to the window that
// started it and ends (cancelled) with it; it deletes itself when it is over.
class ReportJob : public QObject
{
    Q_OBJECT
public:
    // Each throws LkError when the output cannot be started (a file that cannot be created).
    static ReportJob* savePdf(QWidget* window, std::shared_ptr<const JournalReport> report,
                              const QString& path);
    static ReportJob* saveCsv(QWidget* window, std::shared_ptr<const JournalRowSource> rows,
                              const QString& path);
    // Prints pages first..last (zero-based) on a printer that the print dialog has set up.
    static ReportJob* print(QWidget* window, std::shared_ptr<const JournalReport> report,
                            std::unique_ptr<QPrinter> printer, int first, int last);

    ~ReportJob() override;

    void cancel();
    int done() const;
    int total() const { return m_total; }
    QProgressDialog* progressDialog() const { return m_dialog; }

signals:
    // completed: false when cancelled or failed.
    void finished(bool completed);

private:
    struct Work
    {
        std::function<bool()> step;       // one slice; true while work remains
        std::function<int()> done;        // units done so far
        std::function<void(bool)> finish; // completes (true) or discards (false) the output
        std::shared_ptr<void> resources;  // keeps what the functions use alive
    };

    ReportJob(QWidget* window, const QString& label, int total, Work work);
    bool cancelled() const;
    void tick();
    void end(bool completed);

    Work m_work;
    int m_total;
    QString m_label;
    QPointer<QProgressDialog> m_dialog;
    QTimer m_timer;
    bool m_cancelled = false;
    bool m_over = false;
};
