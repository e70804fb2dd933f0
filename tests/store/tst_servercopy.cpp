#include "store/Dataset.h"
#include "store/LkError.h"
#include "store/PasswordHash.h"
#include "store/TDataModule2.h"

#include "TestServer.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The course tool moves a course's file onto a classroom server and back: every lesson in its
// order, every journal record with its key, the password; Null stays apart from the empty
// string, dates keep their time of day. Needs the server LK_TEST_PG names.
class TestServerCopy : public QObject
{
    Q_OBJECT

    QString m_server;
    QTemporaryDir m_dir;

    using Rows = QList<QVariantList>;
    struct Course
    {
        Rows lessons;
        Rows journal;
        Rows passwords;
    };

    static Rows rowsOf(Dataset& d)
    {
        Rows rows;
        for (int r = 0; r < d.recordCount(); ++r) {
            QVariantList row;
            for (int f = 0; f < d.fieldCount(); ++f) {
                const QVariant v = d.viewValue(r, f);
                // Null and "" must stay apart: an invalid QVariant compares equal to neither.
                row.append(v.isNull() ? QVariant() : v);
            }
            rows.append(row);
        }
        return rows;
    }

    // The course as the program sees it, from the file or, with `server`, from the server.
    Course read(const QString& file, bool server)
    {
        setServer(server);
        TDataModule2 module(nullptr, file);
        module.DataModuleCreate();
        Course c{rowsOf(*module.Turok), rowsOf(*module.Tjurnal), rowsOf(*module.Tpas)};
        setServer(false);
        return c;
    }

    void setServer(bool on)
    {
        if (on)
            qputenv("LEKTORIKA_DATABASE", m_server.toUtf8());
        else
            qunsetenv("LEKTORIKA_DATABASE");
    }

    // Runs the course tool; returns its exit code, its error text in `error`.
    int tool(const QStringList& args, QString* error = nullptr, bool withServer = true)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("LEKTORIKA_DATABASE"));
        if (withServer)
            env.insert(QStringLiteral("LEKTORIKA_DATABASE"), m_server);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(LK_COURSE_TOOL), args);
        if (!p.waitForFinished(60000))
            return -1;
        if (error)
            *error = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    void makeCourse(const QString& file)
    {
        TDataModule2 module(nullptr, file);
        module.DataModuleCreate();
        Dataset& urok = *module.Turok;
        for (const char* title : {"Введение", "Сети", "Алгоритмы"}) {
            urok.insert();
            urok.setValue(QStringLiteral("urok"), QString::fromUtf8(title));
            urok.post();
        }
        urok.first();
        urok.edit();
        urok.setValue(QStringLiteral("htm"), QStringLiteral("intro/page.htm"));
        urok.setValue(QStringLiteral("jpg"), QString("")); // cleared: empty, not Null
        urok.post();

        Dataset& jurnal = *module.Tjurnal;
        for (int i = 0; i < 250; ++i) { // more than one batch of rows
            jurnal.insert();
            jurnal.setValue(QStringLiteral("fio"), QStringLiteral("Ученик %1").arg(i % 7));
            jurnal.setValue(QStringLiteral("urok"), QStringLiteral("Сети"));
            jurnal.setValue(QStringLiteral("data"),
                            QDateTime(QDate(2025, 9, 1).addDays(i), QTime(i % 24, 30, 15)));
            if (i % 5 != 0)
                jurnal.setValue(QStringLiteral("ocenka"), i % 101);
            if (i % 9 != 0)
                jurnal.setValue(QStringLiteral("gruppa"),
                                i % 2 ? QStringLiteral("П-1") : QString(""));
            jurnal.post();
        }
        // Gaps in the keys, which the copy keeps.
        jurnal.first();
        jurnal.next();
        jurnal.remove();
        jurnal.last();
        jurnal.remove();

        Dataset& pas = *module.Tpas;
        pas.edit();
        pas.setValue(QStringLiteral("pas"), PasswordHash::make(QStringLiteral("учитель")));
        pas.post();
    }

private slots:
    void initTestCase()
    {
        PasswordHash::setDefaultIterations(1000);
        qunsetenv("LEKTORIKA_DATABASE");
        if (!TestServer::available())
            QSKIP("LK_TEST_PG names no PostgreSQL server");
        QString error;
        m_server = TestServer::freshDatabase(QStringLiteral("lk_copy"), &error);
        QVERIFY2(!m_server.isEmpty(), qPrintable(error));
    }

    void courseGoesToTheServerAndBack()
    {
        const QString file = m_dir.filePath(QStringLiteral("db1.sqlite"));
        makeCourse(file);
        const Course original = read(file, false);
        QCOMPARE(original.lessons.size(), 3);
        QCOMPARE(original.journal.size(), 248);

        QString error;
        QCOMPARE(tool({QStringLiteral("export-to-server"), file}, &error), 0);
        Course onServer = read(QString(), true);
        QCOMPARE(onServer.lessons, original.lessons);
        QCOMPARE(onServer.lessons[0][1], QVariant(QStringLiteral("intro/page.htm")));
        QCOMPARE(onServer.lessons[0][2], QVariant(QString(""))); // jpg: empty
        QVERIFY(!onServer.lessons[1][1].isValid());              // htm: Null
        QCOMPARE(onServer.journal, original.journal);
        QCOMPARE(onServer.journal[1][2].toDateTime(),
                 QDateTime(QDate(2025, 9, 3), QTime(2, 30, 15)));
        QCOMPARE(onServer.passwords, original.passwords);

        // A second copy does not pile up on the first.
        QCOMPARE(tool({QStringLiteral("export-to-server"), file}, &error), 1);
        QVERIFY2(error.contains(QStringLiteral("--replace")), qPrintable(error));
        QCOMPARE(read(QString(), true).journal.size(), 248);

        // The server's counter goes on after the largest key copied.
        const qint64 largest = original.journal.last().first().toLongLong();
        {
            setServer(true);
            TDataModule2 module(nullptr, QString());
            module.DataModuleCreate();
            module.Tjurnal->insert();
            module.Tjurnal->setValue(QStringLiteral("fio"), QStringLiteral("Новенький"));
            module.Tjurnal->post();
            QCOMPARE(module.Tjurnal->value(QStringLiteral("код")).toLongLong(), largest + 1);
            setServer(false);
        }
        onServer = read(QString(), true);
        QCOMPARE(onServer.journal.size(), 249);

        // And back into a new file, then over an existing one.
        const QString back = m_dir.filePath(QStringLiteral("back.sqlite"));
        QCOMPARE(tool({QStringLiteral("import-from-server"), back}, &error), 0);
        QCOMPARE(read(back, false).journal, onServer.journal);
        QCOMPARE(read(back, false).lessons, original.lessons);
        QCOMPARE(read(back, false).passwords, original.passwords);
        QCOMPARE(tool({QStringLiteral("import-from-server"), file}, &error), 1);
        QCOMPARE(read(file, false).journal, original.journal);
        QCOMPARE(
            tool({QStringLiteral("import-from-server"), QStringLiteral("--replace"), file}, &error),
            0);
        const Course replaced = read(file, false);
        QCOMPARE(replaced.journal, onServer.journal);
        QCOMPARE(replaced.lessons, original.lessons);

        // The file's counter goes on after the largest key as well.
        {
            TDataModule2 module(nullptr, file);
            module.DataModuleCreate();
            module.Tjurnal->insert();
            module.Tjurnal->setValue(QStringLiteral("fio"), QStringLiteral("Ещё один"));
            module.Tjurnal->post();
            QCOMPARE(module.Tjurnal->value(QStringLiteral("код")).toLongLong(), largest + 2);
        }
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("withServer");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("code");
        QTest::newRow("no server named") << QStringList{"export-to-server", "db1.sqlite"} << false
                                         << "LEKTORIKA_DATABASE is not set" << 1;
        QTest::newRow("no such file") << QStringList{"export-to-server", "missing.sqlite"} << true
                                      << "Cannot open file \"missing.sqlite\"" << 1;
        QTest::newRow("unknown option")
            << QStringList{"export-to-server", "--all", "db1.sqlite"} << true << "usage:" << 2;
    }
    void refusals()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, withServer);
        QFETCH(QString, message);
        QFETCH(int, code);
        QString error;
        QCOMPARE(tool(args, &error, withServer), code);
        QVERIFY2(error.contains(message), qPrintable(error));
        QVERIFY(!QFile::exists(QStringLiteral("missing.sqlite")));
    }
};

QTEST_GUILESS_MAIN(TestServerCopy)
#include "tst_servercopy.moc"
