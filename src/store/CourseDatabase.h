#pragma once

#include "FieldKind.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

struct ColumnInfo
{
    QString name;
    FieldKind kind = FieldKind::Unknown;
};

// The connection to the course database and the few things that differ between database engines:
// how a connection is set up, how a table's columns and their kinds are found, which column
// identifies a row, how dates travel and how a new row's key comes back. Everything else the
// datasets do is plain, parameterised SQL.
//
// Two engines: the embedded SQLite file in the course root, and a PostgreSQL server shared by a
// classroom, named by a libpq connection string in the environment variable LEKTORIKA_DATABASE.
class CourseDatabase
{
public:
    enum class Engine { Sqlite, Postgres };

    // The embedded course database: `fileName` resolved against the working directory.
    explicit CourseDatabase(QString fileName = QStringLiteral("db1.sqlite"),
                            QString connectionName = QStringLiteral("lk_course"));
    // A server database given by a libpq connection string in keyword=value form
    // ("service=course", "host=10.0.0.5 dbname=course user=student").
    static std::unique_ptr<CourseDatabase>
    server(const QString& connectionString, QString connectionName = QStringLiteral("lk_course"));
    // The course's database: the server LEKTORIKA_DATABASE names when it is set, else the file.
    static std::unique_ptr<CourseDatabase>
    forCourse(const QString& fileName, QString connectionName = QStringLiteral("lk_course"));
    // The connection string in LEKTORIKA_DATABASE, "" when there is none.
    static QString serverFromEnvironment();
    ~CourseDatabase();
    CourseDatabase(const CourseDatabase&) = delete;
    CourseDatabase& operator=(const CourseDatabase&) = delete;

    // Opens the connection (creating a new, empty course database when there is none).
    // Does nothing when it is open. Throws LkError with the driver's text.
    void open();
    void close();
    bool isOpen() const;

    QSqlDatabase database() const;
    QString connectionName() const { return m_connectionName; }
    bool isSqlite() const;
    Engine engine() const { return m_engine; }
    // Where the data lives, for messages: the file name, or "the server database" (the
    // connection string may hold what nobody should see).
    QString displayName() const;

    // Columns of `table` in their order; throws the driver's text when the table cannot be read.
    QList<ColumnInfo> columns(const QString& table) const;
    // The column that identifies a row: the table's auto-increment key, or the engine's own
    // row identity. Returned as an SQL expression (quoted where needed).
    QString rowKey(const QString& table, const QList<ColumnInfo>& columns) const;
    // Whether the row key is one of the table's own columns (else it is read as a hidden column).
    static bool keyIsColumn(const QString& key, const QList<ColumnInfo>& columns);
    // The row key as it stands in SQL: the hidden row identity bare, a column quoted.
    static QString keySql(const QString& key);

    // The SQL that reads `column` of kind `kind` as the datasets keep it (dates as a number of
    // days), and the SQL a parameter of that kind is written through.
    QString selectSql(const QString& column, FieldKind kind) const;
    QString parameterSql(FieldKind kind) const;
    // The clause an INSERT ends with so that it returns the new row's key ("" when the key comes
    // from QSqlQuery::lastInsertId()).
    QString returningSql(const QString& key) const;
    // After an INSERT with `returningSql`, the new row's key.
    static qint64 insertedKey(QSqlQuery& query, bool returning);
    bool returnsKeys() const { return m_engine == Engine::Postgres; }

    // Quotes an identifier for SQL ("код", "urok").
    static QString quoted(const QString& identifier);

    // Creates the three tables and the password record of a new course; on a server only the
    // tables that are missing.
    void createSchema();
    // Sets the counter of `table`'s auto-increment key `key` past its largest value (after rows
    // were copied in with their keys).
    void resetKeyCounter(const QString& table, const QString& key);

    // Runs a statement of a seed script; used by the course tool.
    void exec(const QString& statement);

    // Throws LkError with the text of a failed query or connection.
    [[noreturn]] static void fail(const QSqlError& error);

private:
    void openSqlite();
    void openServer();
    bool serverTablesMissing();
    void createSqliteTables();
    void createServerTables();
    void insertFirstPassword();
    QList<ColumnInfo> sqliteColumns(const QString& table) const;
    QList<ColumnInfo> serverColumns(const QString& table) const;
    // The driver's text with anything of the connection string that a message may echo
    // (a password, a stray word) blanked out.
    QString withoutSecrets(const QString& text) const;

    Engine m_engine = Engine::Sqlite;
    QString m_fileName;
    QString m_connectionString;
    QString m_connectionName;
    // A server that could not be reached is not tried again at once: the openings of start-up
    // follow each other and each would wait for the connection timeout.
    QSqlError m_lastFailure;
    qint64 m_lastFailureAt = 0;
};
