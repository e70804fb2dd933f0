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
        bool save = false; // set by saveFile()
    };

    // Shows a file-open dialog; returns the chosen file's full path, or an empty string when
    // the dialog was cancelled.
    static QString openFile(QWidget* parent, const Request& request);
    // Shows a file-save dialog (startFolder may end in a proposed file name; the first
    // filter's extension is added to a name typed without one; replacing a file is confirmed
    // in the dialog); returns the chosen path, or an empty string when cancelled.
    static QString saveFile(QWidget* parent, const Request& request);

    // "Все звуки|*.mid;*.wav|Все файлы|*.*" -> "Все звуки (*.mid *.wav);;Все файлы (*.*)"
    static QStringList toQtFilters(const QString& filter);

    // Test seam.
    static void startRecording();
    static void stopRecording();
    static void queueAnswer(const QString& path);
    static QList<Request> requests();
    static QList<Request> takeRequests();
};
