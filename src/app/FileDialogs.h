#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// The one seam through which every file dialog is shown. In recording mode (tests) no dialog
// is shown: each request is recorded and answered from a queue of file names, an empty name
// standing for a cancelled dialog.
class FileDialogs
{
public:
    struct Request
    {
        QString startFolder;
        QString filter; // "description|pattern;pattern|description|pattern"
        bool picturePreview = false;
    };

    // Shows a file-open dialog; returns the chosen file's full path, or an empty string when
    // the dialog was cancelled.
    static QString openFile(QWidget* parent, const Request& request);

    // "Все звуки|*.mid;*.wav|Все файлы|*.*" -> "Все звуки (*.mid *.wav);;Все файлы (*.*)"
    static QStringList toQtFilters(const QString& filter);

    // Test seam.
    static void startRecording();
    static void stopRecording();
    static void queueAnswer(const QString& path);
    static QList<Request> requests();
    static QList<Request> takeRequests();
};
