#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>

// The PostgreSQL server of the test run: LK_TEST_PG holds the libpq connection string of a
// database on it (scripts/pg-cluster.sh starts one). Tests that need it skip without it.
namespace TestServer {

inline QString connectionString()
{
    return qEnvironmentVariable("LK_TEST_PG").trimmed();
}

inline bool available()
{
    return !connectionString().isEmpty();
}

// Runs one statement on the server; returns the first value of its first row. `error` gets the
// driver's text of a failure.
inline QVariant run(const QString& connection, const QString& sql, QString* error = nullptr)
{
    const QString name = QStringLiteral("lk_test_server");
    QVariant result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        // Without the notices of DROP ... IF EXISTS.
        db.setConnectOptions(connection +
                             QStringLiteral(" options='-c client_min_messages=warning'"));
        if (!db.open()) {
            if (error)
                *error = db.lastError().text();
        } else {
            QSqlQuery q(db);
            if (!q.exec(sql)) {
                if (error)
                    *error = q.lastError().text();
            } else if (q.next()) {
                result = q.value(0);
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

// Makes an empty database `name` on the server and returns the connection string that reaches it
// ("" when there is no server or it fails; `error` then says why). Each test program uses its own
// database, so programs running side by side do not meet.
inline QString freshDatabase(const QString& name, QString* error = nullptr)
{
    const QString server = connectionString();
    if (server.isEmpty())
        return {};
    QString failure;
    run(server, QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name), &failure);
    if (failure.isEmpty())
        run(server, QStringLiteral("CREATE DATABASE %1").arg(name), &failure);
    if (!failure.isEmpty()) {
        if (error)
            *error = failure;
        return {};
    }
    // libpq takes the last of repeated keywords.
    return server + QStringLiteral(" dbname=") + name;
}

} // namespace TestServer
