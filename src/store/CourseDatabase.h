#pragma once

#include "FieldKind.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

struct ColumnInfo
{
    QString name;
    FieldKind kind = FieldKind::Unknown;
};

// The connection to the course database and the few things that differ between database engines:
// how a connection is set up, how a table's columns and their kinds are found, which column
// identifies a row, and how a new row's key comes back. Everything else the datasets do is
// plain, parameterised SQL.
class CourseDatabase
{
public:
    // The embedded course database: `fileName` resolved against the working directory.
    explicit CourseDatabase(QString fileName = QStringLiteral("db1.sqlite"),
                            QString connectionName = QStringLiteral("lk_course"));
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

    // Columns of `table` in their order; throws the driver's text when the table cannot be read.
    QList<ColumnInfo> columns(const QString& table) const;
    // The column that identifies a row: the table's auto-increment key, or the engine's own
    // row identity. Returned as an SQL expression (quoted where needed).
    QString rowKey(const QString& table, const QList<ColumnInfo>& columns) const;
    // Whether the row key is one of the table's own columns (else it is read as a hidden column).
    static bool keyIsColumn(const QString& key, const QList<ColumnInfo>& columns);

    // Quotes an identifier for SQL ("код", "urok").
    static QString quoted(const QString& identifier);

    // Creates the three tables and the password record of a new course.
    void createSchema();

    // Runs a statement of a seed script; used by the course tool.
    void exec(const QString& statement);

    // Throws LkError with the text of a failed query or connection.
    [[noreturn]] static void fail(const QSqlError& error);

private:
    QString m_fileName;
    QString m_connectionName;
};
