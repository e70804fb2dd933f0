#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// Two copies of the program post to one course at the same time: no record is lost or doubled.
class TestConcurrentPosts : public QObject
{
    Q_OBJECT
private slots:
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
