#include "Startup.h"

#include "Globals.h"
#include "Guard.h"
#include "LkApplication.h"
#include "MessageBoxes.h"
#include "TForm6.h"
#include "store/LkError.h"
#include "store/TDataModule2.h"
#include "teacher/TForm4.h"
#include "teacher/TForm7.h"
#include "teacher/TForm8.h"
#include "testing/TForm13.h"
#include "testing/TForm5.h"
#include "viewer/TForm1.h"
#include "viewer/TForm3.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSessionManager>

#include <cstdlib>

namespace {
QStringList& log()
{
    static QStringList names;
    return names;
}

[[noreturn]] void fail(const LkError& error)
{
    MessageBoxes::fatal(Startup::fatalText(error, __builtin_return_address(0)));
    std::exit(1);
}

// Builds one object; runs its creation handler (if it has one) under the guard.
template <typename T> T* create(const char* name)
{
    T* object = nullptr;
    try {
        object = new T();
    } catch (const LkError& e) {
        fail(e);
    } catch (const std::exception& e) {
        fail(LkError(QString::fromUtf8(e.what())));
    }
    log().append(QString::fromLatin1(name));
    if constexpr (requires { object->FormCreate(); })
        runGuarded([object] { object->FormCreate(); });
    return object;
}
} // namespace

QString Startup::fatalText(const LkError& error, const void* address)
{
    QString message = error.message();
    if (!message.endsWith(QLatin1Char('.')))
        message += QLatin1Char('.');
    const QString module = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    return QStringLiteral("Exception %1 in module %2 at %3.\n%4\n")
        .arg(error.kind(), module,
             QStringLiteral("%1")
                 .arg(reinterpret_cast<quintptr>(address), 16, 16, QLatin1Char('0'))
                 .toUpper(),
             message);
}

QStringList Startup::creationLog()
{
    return log();
}

void Startup::createAll()
{
    log().clear();
    Form6 = create<TForm6>("TForm6");
    Form1 = create<TForm1>("TForm1");
    Form13 = create<TForm13>("TForm13");
    Form4 = create<TForm4>("TForm4");

    // The data module: each table that fails to open while the module loads is reported on its
    // own, then its creation handler opens the tables again.
    try {
        DataModule2 = new TDataModule2();
    } catch (const LkError& e) {
        fail(e);
    }
    log().append(QStringLiteral("TDataModule2"));
    DataModule2->load([](const LkError& e) { MessageBoxes::error(e.message()); });
    runGuarded([] { DataModule2->DataModuleCreate(); });
    // The main window was created before the data module: its lesson title is bound now.
    if (Form1)
        Form1->attachDataModule();

    Form3 = create<TForm3>("TForm3");
    Form5 = create<TForm5>("TForm5");
    Form7 = create<TForm7>("TForm7");
    Form8 = create<TForm8>("TForm8");
}

void Startup::destroyAll()
{
    delete std::exchange(Form8, nullptr);
    delete std::exchange(Form7, nullptr);
    delete std::exchange(Form5, nullptr);
    delete std::exchange(Form3, nullptr);
    delete std::exchange(DataModule2, nullptr);
    delete std::exchange(Form4, nullptr);
    delete std::exchange(Form13, nullptr);
    delete std::exchange(Form1, nullptr);
    delete std::exchange(Form6, nullptr);
}

void Startup::endOfRun()
{
    // However the run ends (the opening screen closed, a close addressed to the whole program,
    // the end of the session), topics added or removed during the run are not lost.
    if (Form1)
        Form1->saveTreeIfChanged();
}

int Startup::execute()
{
    createAll();
    Form6->show();
#ifndef QT_NO_SESSIONMANAGER
    QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, qGuiApp,
                     [](QSessionManager&) { endOfRun(); });
#endif
    const int status = QCoreApplication::exec();
    endOfRun();
    destroyAll();
    return status;
}

int Startup::run(int& argc, char** argv)
{
    // MIDI and the older Windows formats play through GStreamer; Qt may otherwise pick a media
    // backend that has no MIDI synthesiser.
    if (!qEnvironmentVariableIsSet("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
    // Without TZ the C library looks at /etc/localtime again for every local date it converts;
    // naming the file once lets it keep the zone (journal views convert many dates).
    if (!qEnvironmentVariableIsSet("TZ") && QFileInfo::exists(QStringLiteral("/etc/localtime")))
        qputenv("TZ", ":/etc/localtime");
    LkApplication app(argc, argv);
    return execute();
}
