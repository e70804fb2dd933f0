#include "FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QPixmap>

namespace {
struct Recorder
{
    bool recording = false;
    QStringList answers;
    QList<FileDialogs::Request> requests;
};

Recorder& recorder()
{
    static Recorder r;
    return r;
}
} // namespace

QStringList FileDialogs::toQtFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        result.append(parts.at(i) + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return result;
}

QString FileDialogs::openFile(QWidget* parent, const Request& request)
{
    Recorder& r = recorder();
    if (r.recording) {
        r.requests.append(request);
        return r.answers.isEmpty() ? QString() : r.answers.takeFirst();
    }

    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setDirectory(request.startFolder);
    const QStringList filters = toQtFilters(request.filter);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.first());

    QLabel* preview = nullptr;
    if (request.picturePreview) {
        // The preview needs the widget-based dialog, whose layout we can extend.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        preview = new QLabel(&dialog);
        preview->setFixedSize(160, 160);
        preview->setAlignment(Qt::AlignCenter);
        preview->setFrameShape(QFrame::StyledPanel);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
            grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);
        QObject::connect(
            &dialog, &QFileDialog::currentChanged, preview, [preview](const QString& path) {
                const QPixmap pixmap(path);
                preview->setPixmap(pixmap.isNull()
                                       ? QPixmap()
                                       : pixmap.scaled(preview->size(), Qt::KeepAspectRatio,
                                                       Qt::SmoothTransformation));
            });
    }

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString FileDialogs::saveFile(QWidget* parent, const Request& request)
{
    Recorder& r = recorder();
    if (r.recording) {
        Request recorded = request;
        recorded.save = true;
        r.requests.append(recorded);
        return r.answers.isEmpty() ? QString() : r.answers.takeFirst();
    }

    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QFileInfo start(request.startFolder);
    if (start.isDir() || request.startFolder.isEmpty()) {
        dialog.setDirectory(request.startFolder);
    } else {
        dialog.setDirectory(start.absolutePath());
        dialog.selectFile(start.fileName());
    }
    const QStringList filters = toQtFilters(request.filter);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.first());
    const QString pattern =
        request.filter.section(QLatin1Char('|'), 1, 1).section(QLatin1Char(';'), 0, 0);
    if (pattern.startsWith(QLatin1String("*.")) && pattern.indexOf(QLatin1Char('*'), 1) < 0)
        dialog.setDefaultSuffix(pattern.mid(2));

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void FileDialogs::startRecording()
{
    recorder() = Recorder{};
    recorder().recording = true;
}

void FileDialogs::stopRecording()
{
    recorder() = Recorder{};
}

void FileDialogs::queueAnswer(const QString& path)
{
    recorder().answers.append(path);
}

QList<FileDialogs::Request> FileDialogs::requests()
{
    return recorder().requests;
}

QList<FileDialogs::Request> FileDialogs::takeRequests()
{
    return std::exchange(recorder().requests, {});
}
