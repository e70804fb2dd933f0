// A classroom posting at once: copies of the program, each posting attendance and grade records,
// against one db1.sqlite and against one PostgreSQL server. Prints records per second, the
// spread of single posts, and whether every record arrived exactly once; asserts nothing.
//
//   bench_classroom [copies] [records per copy]     (default 30 200)
//
// The server is the one LK_TEST_PG names, or else a throwaway one started with
// scripts/pg-cluster.sh for the run.

#include "store/Dataset.h"
#include "store/DateValue.h"
#include "store/LkError.h"
#include "store/TDataModule2.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {
// One copy of the program: posts `count` records and prints how long each post took (µs).
int postAsOneCopy(const QString& database, int count, const QString& student)
{
    try {
        TDataModule2 module(nullptr, database);
        module.DataModuleCreate();
        Dataset& jurnal = *module.Tjurnal;
        QByteArray times;
        for (int i = 0; i < count; ++i) {
            QElapsedTimer t;
            t.start();
            jurnal.insert();
            jurnal.setValue(QStringLiteral("data"), DateValue::today());
            jurnal.setValue(QStringLiteral("fio"), student);
            jurnal.setValue(QStringLiteral("gruppa"), QStringLiteral("Лаборатория"));
            jurnal.setValue(QStringLiteral("urok"), QStringLiteral("Урок %1").arg(i));
            jurnal.setValue(QStringLiteral("ocenka"), i % 2 == 0 ? 0 : i % 101);
            jurnal.post();
            times += QByteArray::number(t.nsecsElapsed() / 1000) + ' ';
        }
        std::printf("%s\n", times.constData());
    } catch (const LkError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}

QVariant firstValue(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql) || !q.next()) {
        std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
        return {};
    }
    return q.value(0);
}

struct Server
{
    QString connection; // of the benchmark's own database
    QString clusterDir; // when the benchmark started the server itself
};

Server startServer()
{
    Server server;
    QString admin = qEnvironmentVariable("LK_TEST_PG").trimmed();
    if (admin.isEmpty()) {
        server.clusterDir = QDir::temp().filePath(
            QStringLiteral("lk-pg-bench-%1").arg(QCoreApplication::applicationPid()));
        QProcess start;
        start.start(QStringLiteral("bash"), {QStringLiteral(LK_SOURCE_DIR "/scripts/pg-cluster.sh"),
                                             QStringLiteral("start"), server.clusterDir});
        start.waitForFinished(120000);
        admin = QString::fromLocal8Bit(start.readAllStandardOutput()).trimmed();
        if (start.exitCode() != 0 || admin.isEmpty()) {
            std::fprintf(stderr, "no server: %s\n", start.readAllStandardError().constData());
            return server;
        }
    }
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("admin"));
        db.setConnectOptions(admin + QStringLiteral(" options='-c client_min_messages=warning'"));
        if (db.open()) {
            firstValue(db, QStringLiteral("DROP DATABASE IF EXISTS lk_bench WITH (FORCE)"));
            QSqlQuery(db).exec(QStringLiteral("CREATE DATABASE lk_bench"));
            server.connection = admin + QStringLiteral(" dbname=lk_bench");
        } else {
            std::fprintf(stderr, "no server: %s\n", qPrintable(db.lastError().text()));
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("admin"));
    return server;
}

void stopServer(const Server& server)
{
    if (server.clusterDir.isEmpty())
        return;
    QProcess::execute(QStringLiteral("bash"),
                      {QStringLiteral(LK_SOURCE_DIR "/scripts/pg-cluster.sh"),
                       QStringLiteral("stop"), server.clusterDir});
}

// Runs the copies against `file` or, with `connection`, the server; prints the figures.
void classroom(const char* what, const QString& file, const QString& connection, int copies,
               int records)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("LEKTORIKA_DATABASE"));
    if (!connection.isEmpty())
        env.insert(QStringLiteral("LEKTORIKA_DATABASE"), connection);

    // The course exists before the class starts.
    QProcess init;
    init.setProcessEnvironment(env);
    init.start(QCoreApplication::applicationFilePath(),
               {QStringLiteral("--post"), file, QStringLiteral("0"), QStringLiteral("init")});
    init.waitForFinished(60000);

    QElapsedTimer wall;
    wall.start();
    std::vector<std::unique_ptr<QProcess>> running;
    for (int i = 0; i < copies; ++i) {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(env);
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--post"), file, QString::number(records),
                  QStringLiteral("Студент %1").arg(i)});
        running.push_back(std::move(p));
    }
    std::vector<qint64> posts;
    int failed = 0;
    for (auto& p : running) {
        p->waitForFinished(-1);
        if (p->exitStatus() != QProcess::NormalExit || p->exitCode() != 0) {
            ++failed;
            std::fprintf(stderr, "  a copy failed: %s", p->readAllStandardError().constData());
        }
        for (const QByteArray& t : p->readAllStandardOutput().simplified().split(' ')) {
            if (!t.isEmpty())
                posts.push_back(t.toLongLong());
        }
    }
    const double seconds = double(wall.nsecsElapsed()) / 1e9;

    qint64 rows = -1;
    qint64 distinct = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(connection.isEmpty() ? QStringLiteral("QSQLITE")
                                                                         : QStringLiteral("QPSQL"),
                                                    QStringLiteral("count"));
        if (connection.isEmpty())
            db.setDatabaseName(file);
        else
            db.setConnectOptions(connection);
        if (db.open()) {
            rows = firstValue(db, QStringLiteral("SELECT COUNT(*) FROM jurnal")).toLongLong();
            distinct = firstValue(db, QStringLiteral("SELECT COUNT(*) FROM (SELECT DISTINCT fio, "
                                                     "urok FROM jurnal) AS d"))
                           .toLongLong();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("count"));

    std::sort(posts.begin(), posts.end());
    const auto at = [&](double share) {
        return posts.empty()
                   ? 0.0
                   : double(
                         posts[std::min(posts.size() - 1, size_t(share * double(posts.size())))]) /
                         1000.0;
    };
    const qint64 expected = qint64(copies) * records;
    std::printf("%-16s %6lld records in %6.2f s  %7.1f records/s   one post: median %6.2f ms, "
                "99%% %7.2f ms, longest %7.2f ms   %s\n",
                what, static_cast<long long>(rows), seconds, double(rows) / seconds, at(0.5),
                at(0.99), at(1.0),
                failed == 0 && rows == expected && distinct == expected
                    ? "every record there once"
                    : "RECORDS LOST OR DOUBLED");
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args[1] == QLatin1String("--post"))
        return postAsOneCopy(args[2], args[3].toInt(), args[4]);

    const int copies = args.size() > 1 ? args[1].toInt() : 30;
    const int records = args.size() > 2 ? args[2].toInt() : 200;
    std::printf("%d copies of the program, each posting %d journal records at once\n", copies,
                records);

    QTemporaryDir dir;
    classroom("one db1.sqlite", dir.filePath(QStringLiteral("db1.sqlite")), QString(), copies,
              records);

    const Server server = startServer();
    if (server.connection.isEmpty())
        std::printf("%-16s skipped: no PostgreSQL server\n", "one server");
    else
        classroom("one server", QString(), server.connection, copies, records);
    stopServer(server);
    return 0;
}
