#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The one seam through which every message box of the system is shown. In recording mode
// (tests) no box is shown: each is recorded and answered from a queue of button texts, so no
// test ever blocks on a modal window.
class MessageBoxes
{
public:
    enum class Icon { None, Error, Warning, Information, Question };

    struct Box
    {
        Icon icon = Icon::None;
        QString caption;
        QString text;
        QStringList buttons;
        QString answer; // the button pressed
    };

    // Shows a modal box and returns the text of the pressed button.
    static QString show(Icon icon, const QString& caption, const QString& text,
                        const QStringList& buttons);

    // The application's default error box: error icon, the application title, one button,
    // and the text with a full stop added by the usual rule.
    static void error(const QString& message);
    // A plain message: no icon, one "OK" button, the application title, centred on the screen.
    static void plain(const QString& text);
    // The record navigator's confirmation: "Confirm" caption, "OK" and "Cancel". True on "OK".
    static bool confirm(const QString& text);
    // The fatal box of a window that could not be built.
    static void fatal(const QString& text);

    // Test seam.
    static void startRecording();
    static void stopRecording();
    static bool isRecording();
    static void queueAnswer(const QString& buttonText);
    static QList<Box> shown();
    static QList<Box> takeShown();
};
