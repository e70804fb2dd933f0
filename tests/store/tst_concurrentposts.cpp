#include "TestServer.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

// Copies of the program post to one course at the same time: no record is lost or doubled.
class TestConcurrentPosts : public QObject
{
    Q_OBJECT
private slots:
    // A classroom: thirty copies, each posting two hundred attendance and grade records, to one
    // db1.sqlite and to one server.
    void classroomPostsAtOnce_data()
    {
        QTest::addColumn<bool>("server");
        QTest::newRow("one db1.sqlite") << false;
        QTest::newRow("one server") << true;
    }
    void classroomPostsAtOnce()
    {
        QFETCH(bool, server);
        constexpr int kCopies = 30;
        constexpr int kEach = 200;
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("db1.sqlite"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("LEKTORIKA_DATABASE"));
        QString connection;
        if (server) {
            if (!TestServer::available())
                QSKIP("LK_TEST_PG names no PostgreSQL server");
            QString error;
            connection = TestServer::freshDatabase(QStringLiteral("lk_load"), &error);
            QVERIFY2(!connection.isEmpty(), qPrintable(error));
            // The database has no tables yet: the copies find them missing together, and one
            // of them creates them.
            env.insert(QStringLiteral("LEKTORIKA_DATABASE"), connection);
        } else {
            // A new course file is made before the class starts.
            QProcess init;
            init.start(QStringLiteral(LK_POSTER),
                       {db, QStringLiteral("0"), QStringLiteral("init")});
            QVERIFY(init.waitForFinished(30000));
            QCOMPARE(init.exitCode(), 0);
        }

        std::vector<std::unique_ptr<QProcess>> copies;
        for (int i = 0; i < kCopies; ++i) {
            auto copy = std::make_unique<QProcess>();
            copy->setProcessEnvironment(env);
            copy->start(QStringLiteral(LK_POSTER),
                        {db, QString::number(kEach),
                         QStringLiteral("Студент %1").arg(i, 2, 10, QLatin1Char('0'))});
            copies.push_back(std::move(copy));
        }
        for (auto& copy : copies) {
            QVERIFY(copy->waitForFinished(240000));
            QVERIFY2(copy->exitStatus() == QProcess::NormalExit && copy->exitCode() == 0,
                     copy->readAllStandardError().constData());
        }

        const QString name = QStringLiteral("check");
        {
            QSqlDatabase sql = QSqlDatabase::addDatabase(
                server ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"), name);
            if (server)
                sql.setConnectOptions(connection);
            else
                sql.setDatabaseName(db);
            QVERIFY2(sql.open(), qPrintable(sql.lastError().text()));
            QSqlQuery q(sql);
            QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*), COUNT(DISTINCT \"код\") FROM jurnal")));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), kCopies * kEach);
            QCOMPARE(q.value(1).toInt(), kCopies * kEach);

            int gradeSum = 0; // record i of each copy: attendance (0) when even, else i % 101
            for (int i = 1; i < kEach; i += 2)
                gradeSum += i % 101;
            QVERIFY(
                q.exec(QStringLiteral("SELECT fio, COUNT(*), COUNT(DISTINCT urok), "
                                      "SUM(ocenka), SUM(CASE WHEN ocenka = 0 THEN 1 ELSE 0 END) "
                                      "FROM jurnal GROUP BY fio ORDER BY fio")));
            for (int i = 0; i < kCopies; ++i) {
                QVERIFY(q.next());
                QCOMPARE(q.value(0).toString(),
                         QStringLiteral("Студент %1").arg(i, 2, 10, QLatin1Char('0')));
                QCOMPARE(q.value(1).toInt(), kEach);
                QCOMPARE(q.value(2).toInt(), kEach);
                QCOMPARE(q.value(3).toInt(), gradeSum);
                QCOMPARE(q.value(4).toInt(),
                         kEach / 2 + 1); // attendance, and the grade of record 101
            }
            QVERIFY(!q.next());
            // However many copies found the tables missing, the course got one password record.
            QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM pas")));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), 1);
        }
        QSqlDatabase::removeDatabase(name);
    }

    void twoProcessesPostAtOnce()
    {
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("db1.sqlite"));
        constexpr int kEach = 150;

        // Create the course first, so neither copy races to create it.
        {
            QProcess init;
            init.start(QStringLiteral(LK_POSTER),
                       {db, QStringLiteral("0"), QStringLiteral("init")});
            QVERIFY(init.waitForFinished(30000));
            QCOMPARE(init.exitCode(), 0);
        }
        QProcess a;
        QProcess b;
        a.start(QStringLiteral(LK_POSTER), {db, QString::number(kEach), QStringLiteral("Анна")});
        b.start(QStringLiteral(LK_POSTER), {db, QString::number(kEach), QStringLiteral("Борис")});
        QVERIFY(a.waitForFinished(120000));
        QVERIFY(b.waitForFinished(120000));
        QVERIFY2(a.exitCode() == 0, a.readAllStandardError().constData());
        QVERIFY2(b.exitCode() == 0, b.readAllStandardError().constData());

        QSqlDatabase sql =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        sql.setDatabaseName(db);
        QVERIFY(sql.open());
        QSqlQuery q(sql);
        QVERIFY(q.exec(
            QStringLiteral("SELECT fio, COUNT(*), COUNT(DISTINCT urok), COUNT(DISTINCT \"код\") "
                           "FROM jurnal GROUP BY fio ORDER BY fio")));
        for (const char* name : {"Анна", "Борис"}) {
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toString(), QString::fromUtf8(name));
            QCOMPARE(q.value(1).toInt(), kEach);
            QCOMPARE(q.value(2).toInt(), kEach);
            QCOMPARE(q.value(3).toInt(), kEach);
        }
        QVERIFY(!q.next());
    }
};

QTEST_GUILESS_MAIN(TestConcurrentPosts)
#include "tst_concurrentposts.moc"
