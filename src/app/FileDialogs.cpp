#include "FileDialogs.h"

#include <QFileDialog>
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
