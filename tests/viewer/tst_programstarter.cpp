#include "store/CoursePath.h"
#include "viewer/ProgramStarter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Starting a lesson's companion program.
class TestProgramStarter : public QObject
{
    Q_OBJECT

private slots:
    void windowsPrograms_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("windows");
        QTest::newRow("exe") << QStringLiteral("/c/prog.exe") << true;
        QTest::newRow("EXE") << QStringLiteral("/c/PROG.EXE") << true;
        QTest::newRow("com") << QStringLiteral("/c/prog.com") << true;
        QTest::newRow("bat") << QStringLiteral("/c/run.Bat") << true;
        QTest::newRow("script") << QStringLiteral("/c/run.sh") << false;
        QTest::newRow("no suffix") << QStringLiteral("/c/calc") << false;
        QTest::newRow("exe in a folder name") << QStringLiteral("/c/x.exe/calc") << false;
    }
    void windowsPrograms()
    {
        QFETCH(QString, path);
        QFETCH(bool, windows);
        QCOMPARE(ProgramStarter::isWindowsProgram(path), windows);
    }

    void commands()
    {
        using Command = ProgramStarter::Command;
        const QString wine = QStringLiteral("/usr/bin/wine");
        // The path is the whole command: never split at its blanks, never quoted.
        QCOMPARE(ProgramStarter::commandFor(QStringLiteral("/course/my programs/calc"), wine),
                 (Command{QStringLiteral("/course/my programs/calc"), {}}));
#ifndef Q_OS_WIN
        QCOMPARE(ProgramStarter::commandFor(QStringLiteral("/course/prog s/calc.exe"), wine),
                 (Command{wine, {QStringLiteral("/course/prog s/calc.exe")}}));
        QVERIFY(!ProgramStarter::commandFor(QStringLiteral("/course/calc.exe"), QString()));
#endif
    }

#ifndef Q_OS_WIN
    // A real start: the program runs detached, in the process's current directory.
    void startsInTheCurrentDirectory()
    {
        QTemporaryDir course;
        QTemporaryDir elsewhere;
        QDir(course.path()).mkpath(QStringLiteral("my programs"));
        const QString script = course.filePath(QStringLiteral("my programs/where"));
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\npwd > \"$(dirname \"$0\")/started.txt\"\n");
        file.close();
        QVERIFY(file.setPermissions(file.permissions() | QFileDevice::ExeOwner));

        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(elsewhere.path()));
        const QString root = QDir::toNativeSeparators(course.path());
        const bool started =
            ProgramStarter::start(CoursePath::join(root, QStringLiteral("my programs\\where")));
        QDir::setCurrent(previous);
        QVERIFY(started);

        const QString out = course.filePath(QStringLiteral("my programs/started.txt"));
        QTRY_VERIFY(QFileInfo(out).size() > 0);
        QFile result(out);
        QVERIFY(result.open(QIODevice::ReadOnly));
        QCOMPARE(QDir(QString::fromLocal8Bit(result.readAll().trimmed())).canonicalPath(),
                 QDir(elsewhere.path()).canonicalPath());
    }

    void aFileThatCannotRunIsNotStarted()
    {
        QTemporaryDir course;
        QFile file(course.filePath(QStringLiteral("notes.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a program");
        file.close();
        QVERIFY(!ProgramStarter::start(CoursePath::join(QDir::toNativeSeparators(course.path()),
                                                        QStringLiteral("notes.txt"))));
    }
#endif
};

QTEST_GUILESS_MAIN(TestProgramStarter)
#include "tst_programstarter.moc"
