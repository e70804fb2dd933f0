#include "MessageBoxes.h"

#include "AppTitle.h"
#include "store/LkError.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace {
struct Recorder
{
    bool recording = false;
    QStringList answers;
    QList<MessageBoxes::Box> boxes;
};

Recorder& recorder()
{
    static Recorder r;
    return r;
}

QMessageBox::Icon toQt(MessageBoxes::Icon icon)
{
    switch (icon) {
    case MessageBoxes::Icon::Error:
        return QMessageBox::Critical;
    case MessageBoxes::Icon::Warning:
        return QMessageBox::Warning;
    case MessageBoxes::Icon::Information:
        return QMessageBox::Information;
    case MessageBoxes::Icon::Question:
        return QMessageBox::Question;
    case MessageBoxes::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

QString MessageBoxes::show(Icon icon, const QString& caption, const QString& text,
                           const QStringList& buttons)
{
    Recorder& r = recorder();
    if (r.recording) {
        Box box{icon, caption, text, buttons, {}};
        box.answer = r.answers.isEmpty() ? buttons.value(0) : r.answers.takeFirst();
        r.boxes.append(box);
        return box.answer;
    }

    QMessageBox box(toQt(icon), caption, text, QMessageBox::NoButton);
    QList<QPushButton*> pushButtons;
    for (const QString& b : buttons)
        pushButtons.append(box.addButton(b, QMessageBox::AcceptRole));
    if (!pushButtons.isEmpty())
        box.setDefaultButton(pushButtons.first());
    box.exec();
    const int index = pushButtons.indexOf(qobject_cast<QPushButton*>(box.clickedButton()));
    // Closing the box with Esc or its close box counts as its last button (Cancel, or the only OK).
    return index >= 0 ? buttons.at(index) : buttons.value(buttons.size() - 1);
}

void MessageBoxes::error(const QString& message)
{
    show(Icon::Error, appTitle(), LkError::boxText(message), {QStringLiteral("OK")});
}

void MessageBoxes::plain(const QString& text)
{
    show(Icon::None, appTitle(), text, {QStringLiteral("OK")});
}

bool MessageBoxes::confirm(const QString& text)
{
    return show(Icon::Question, QStringLiteral("Confirm"), text,
                {QStringLiteral("OK"), QStringLiteral("Cancel")}) == QLatin1String("OK");
}

void MessageBoxes::fatal(const QString& text)
{
    show(Icon::Error, QStringLiteral("Application Error"), text, {QStringLiteral("OK")});
}

void MessageBoxes::startRecording()
{
    recorder() = Recorder{};
    recorder().recording = true;
}

void MessageBoxes::stopRecording()
{
    recorder() = Recorder{};
}

bool MessageBoxes::isRecording()
{
    return recorder().recording;
}

void MessageBoxes::queueAnswer(const QString& buttonText)
{
    recorder().answers.append(buttonText);
}

QList<MessageBoxes::Box> MessageBoxes::shown()
{
    return recorder().boxes;
}

QList<MessageBoxes::Box> MessageBoxes::takeShown()
{
    return std::exchange(recorder().boxes, {});
}
