#include "TForm8.h"

#include "DatasetJournal.h"
#include "JournalReport.h"
#include "JournalView.h"
#include "ReportJob.h"
#include "ReportPreview.h"

#include "app/FileDialogs.h"

#include <QDir>
#include <QStandardPaths>

TForm8::TForm8(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("Form8"));
}

TForm8::~TForm8()
{
    delete m_preview;
}

bool TForm8::isPreviewOpen() const
{
    return m_preview && m_preview->isVisible();
}

ReportPreview* TForm8::previewWindow() const
{
    return m_preview;
}

void TForm8::preview(Dataset& jurnal)
{
    if (isPreviewOpen())
        return;
    delete m_preview; // a hidden one left over

    JournalView::startWalk(jurnal);
    auto report = std::make_shared<JournalReport>(std::make_shared<DatasetJournal>(jurnal));
    JournalView::endWalk(jurnal);

    m_preview = new ReportPreview(report, this);
    m_preview->show();
    m_preview->raise();
    m_preview->activateWindow();
}

void TForm8::exportCsv(Dataset& jurnal, QWidget* window)
{
    FileDialogs::Request request;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    request.startFolder = QDir(folder).filePath(QStringLiteral("Журнал.csv"));
    request.filter = QStringLiteral("Таблица CSV|*.csv");
    const QString path = FileDialogs::saveFile(window, request);
    if (path.isEmpty())
        return;
    exportCsvTo(jurnal, window, path);
}

void TForm8::exportCsvTo(Dataset& jurnal, QWidget* window, const QString& path)
{
    ReportJob::saveCsv(window, std::make_shared<DatasetJournal>(jurnal), path);
}
