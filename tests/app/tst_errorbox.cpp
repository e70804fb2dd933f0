#include "app/AppTitle.h"
#include "app/FileDialogs.h"
#include "app/Guard.h"
#include "app/LkApplication.h"
#include "app/MessageBoxes.h"
#include "app/Startup.h"
#include "store/LkError.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {
// A widget whose own event handler raises an error, as a window's overridden handler might.
class Raiser : public QObject
{
public:
    int handled = 0;
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User) {
            ++handled;
            throw LkError(QStringLiteral("Ошибка в обработчике"));
        }
        return QObject::event(e);
    }
};
} // namespace

class TestErrorBox : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBoxes::startRecording(); }
    void cleanup() { MessageBoxes::stopRecording(); }

    void handlerStopsAtItsFailingStepAndTheProgramGoesOn()
    {
        QPushButton button;
        QStringList steps;
        QObject::connect(&button, &QPushButton::clicked, &button, guarded([&] {
                             steps.append(QStringLiteral("posted"));
                             throw LkError(QStringLiteral("File not found"), LkErrorKind::InOut);
                             steps.append(QStringLiteral("never")); // NOLINT: unreachable on purpose
                         }));
        button.click();
        button.click();
        QCOMPARE(steps, (QStringList{"posted", "posted"}));
        const QList<MessageBoxes::Box> boxes = MessageBoxes::takeShown();
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes[0].icon, MessageBoxes::Icon::Error);
        QCOMPARE(boxes[0].caption, QStringLiteral("Лекторика"));
        QCOMPARE(boxes[0].caption, appTitle());
        QCOMPARE(boxes[0].text, QStringLiteral("File not found."));
        QCOMPARE(boxes[0].buttons, QStringList{QStringLiteral("OK")});
    }

    void guardedKeepsTheSignalsArguments()
    {
        QTimer timer;
        int got = -1;
        auto handler = guarded([&](int value) {
            got = value;
            throw LkError(QStringLiteral("Invalid level (3) for item \"x\""));
        });
        handler(7);
        QCOMPARE(got, 7);
        QCOMPARE(MessageBoxes::takeShown().value(0).text, QStringLiteral("Invalid level (3) for item \"x\""));
    }

    void notifyIsTheLastNet()
    {
        Raiser raiser;
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&raiser, &event);
        QCOMPARE(raiser.handled, 1);
        QCOMPARE(MessageBoxes::takeShown().value(0).text, QStringLiteral("Ошибка в обработчике."));
    }

    void confirmAnswers()
    {
        MessageBoxes::queueAnswer(QStringLiteral("Cancel"));
        QVERIFY(!MessageBoxes::confirm(QStringLiteral("Delete record?")));
        QVERIFY(MessageBoxes::confirm(QStringLiteral("Delete record?"))); // no answer queued: OK
        const QList<MessageBoxes::Box> boxes = MessageBoxes::takeShown();
        QCOMPARE(boxes[0].caption, QStringLiteral("Confirm"));
        QCOMPARE(boxes[0].buttons, (QStringList{"OK", "Cancel"}));
        QCOMPARE(boxes[0].answer, QStringLiteral("Cancel"));
    }

    void plainMessagesHaveNoIcon()
    {
        MessageBoxes::plain(QStringLiteral("Пароль неверный"));
        const MessageBoxes::Box box = MessageBoxes::takeShown().value(0);
        QCOMPARE(box.icon, MessageBoxes::Icon::None);
        QCOMPARE(box.text, QStringLiteral("Пароль неверный")); // no full stop added
        QCOMPARE(box.caption, appTitle());
    }

    void fatalText()
    {
        const LkError error(QStringLiteral("Control cannot be created"), QStringLiteral("EOutOfResources"));
        const QString text = Startup::fatalText(error, reinterpret_cast<const void*>(quintptr(0x4A1B2C)));
        QVERIFY2(text.startsWith(QStringLiteral("Exception EOutOfResources in module ")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral(" at 00000000004A1B2C.\nControl cannot be created.\n")));
        const QString dotted = Startup::fatalText(LkError(QStringLiteral("Done.")), nullptr);
        QVERIFY(dotted.endsWith(QStringLiteral("\nDone.\n")));
    }

    void fileDialogFilters()
    {
        QCOMPARE(FileDialogs::toQtFilters(QStringLiteral("Все звуки|*.mid;*.wav;*.mp3|Все файлы|*.*")),
                 (QStringList{"Все звуки (*.mid *.wav *.mp3)", "Все файлы (*.*)"}));
        FileDialogs::startRecording();
        FileDialogs::queueAnswer(QStringLiteral("/tmp/a.mid"));
        QCOMPARE(FileDialogs::openFile(nullptr, {QStringLiteral("/course"), QStringLiteral("A|*.a"), false}),
                 QStringLiteral("/tmp/a.mid"));
        QCOMPARE(FileDialogs::openFile(nullptr, {QStringLiteral("/course"), QStringLiteral("A|*.a"), true}),
                 QString()); // nothing queued: cancelled
        const QList<FileDialogs::Request> requests = FileDialogs::takeRequests();
        QCOMPARE(requests.size(), 2);
        QCOMPARE(requests[1].startFolder, QStringLiteral("/course"));
        QVERIFY(requests[1].picturePreview);
        FileDialogs::stopRecording();
    }
};

int main(int argc, char** argv)
{
    LkApplication app(argc, argv);
    TestErrorBox test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_errorbox.moc"
