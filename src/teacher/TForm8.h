#pragma once

#include <QPointer>
#include <QWidget>

class Dataset;
class ReportPreview;

// The report form: never shown itself, it carries the journal report and opens its preview.
class TForm8 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm8(QWidget* parent = nullptr);
    ~TForm8() override;

    // "Печать" of the journal browser: opens the print preview of the journal report for the
    // journal view of this moment. Producing the report walks the view from its first record
    // (posting a pending edit) to its last, where the current record stays. Does nothing
    // while the preview is open.
    void preview(Dataset& jurnal);
    bool isPreviewOpen() const;
    ReportPreview* previewWindow() const;

    // Exports the journal view as the grid shows it to a CSV file the user chooses, with a
    // progress dialog over `window`. The current record does not move.
    void exportCsv(Dataset& jurnal, QWidget* window);
    // The same, to a given file; returns at once, the export runs from the event loop.
    void exportCsvTo(Dataset& jurnal, QWidget* window, const QString& path);

private:
    QPointer<ReportPreview> m_preview;
};
