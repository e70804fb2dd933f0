#include "CourseDatabase.h"

#include "LkError.h"
#include "PasswordHash.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

namespace {
FieldKind kindFromDeclaredType(const QString& declared, bool primaryKey)
{
    const QString type = declared.toUpper();
    if (type.contains(QLatin1String("INT")))
        return primaryKey && type == QLatin1String("INTEGER") ? FieldKind::AutoInc
                                                              : FieldKind::Integer;
    if (type.contains(QLatin1String("DATE")) || type.contains(QLatin1String("TIME")))
        return FieldKind::DateTime;
    if (type.contains(QLatin1String("CHAR")) || type.contains(QLatin1String("TEXT")) ||
        type.contains(QLatin1String("CLOB")) || type.isEmpty())
        return FieldKind::WideString;
    if (type.contains(QLatin1String("BOOL")))
        return FieldKind::Boolean;
    if (type.contains(QLatin1String("REAL")) || type.contains(QLatin1String("FLOA")) ||
        type.contains(QLatin1String("DOUB")) || type.contains(QLatin1String("NUM")) ||
        type.contains(QLatin1String("DEC")))
        return FieldKind::Float;
    if (type.contains(QLatin1String("BLOB")))
        return FieldKind::Blob;
    return FieldKind::Unknown;
}
} // namespace

CourseDatabase::CourseDatabase(QString fileName, QString connectionName)
    : m_fileName(std::move(fileName)), m_connectionName(std::move(connectionName))
{}

CourseDatabase::~CourseDatabase()
{
    close();
    if (QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::removeDatabase(m_connectionName);
}

QSqlDatabase CourseDatabase::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

bool CourseDatabase::isOpen() const
{
    return QSqlDatabase::contains(m_connectionName) && database().isOpen();
}

bool CourseDatabase::isSqlite() const
{
    return database().driverName() == QLatin1String("QSQLITE");
}

void CourseDatabase::fail(const QSqlError& error)
{
    QString text = error.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("Unknown database error");
    throw LkError(text, LkErrorKind::Database);
}

void CourseDatabase::open()
{
    if (isOpen())
        return;
    QSqlDatabase db = QSqlDatabase::contains(m_connectionName)
                          ? QSqlDatabase::database(m_connectionName, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    if (!db.isValid())
        throw LkError(QStringLiteral("The SQLite database driver is not available"),
                      LkErrorKind::Database);

    const bool isNew = !QFileInfo::exists(m_fileName);
    db.setDatabaseName(m_fileName);
    // Other copies of the program may use the same course at the same time: wait for their
    // writes rather than fail at once.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    if (!db.open())
        fail(db.lastError());

    QSqlQuery q(db);
    // Write-ahead logging lets readers and one writer work side by side; every post is
    // committed to disk before it returns.
    for (const char* pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL"}) {
        if (!q.exec(QString::fromLatin1(pragma))) {
            const QSqlError error = q.lastError();
            db.close();
            fail(error);
        }
    }
    if (isNew) {
        try {
            createSchema();
        } catch (...) {
            db.close();
            throw;
        }
    }
}

void CourseDatabase::close()
{
    if (QSqlDatabase::contains(m_connectionName)) {
        QSqlDatabase db = database();
        if (db.isOpen())
            db.close();
    }
}

QString CourseDatabase::quoted(const QString& identifier)
{
    QString escaped = identifier;
    escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QList<ColumnInfo> CourseDatabase::columns(const QString& table) const
{
    QList<ColumnInfo> result;
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table))))
        fail(q.lastError());
    int primaryKeys = 0;
    QList<std::pair<QString, bool>> declared;
    while (q.next()) {
        const bool pk = q.value(5).toInt() > 0;
        primaryKeys += pk ? 1 : 0;
        result.append({q.value(1).toString(), FieldKind::Unknown});
        declared.append({q.value(2).toString(), pk});
    }
    if (result.isEmpty())
        throw LkError(QStringLiteral("no such table: %1").arg(table), LkErrorKind::Database);
    // Only a lone INTEGER PRIMARY KEY stands for the row identity and is assigned by the engine.
    for (qsizetype i = 0; i < result.size(); ++i)
        result[i].kind =
            kindFromDeclaredType(declared[i].first, declared[i].second && primaryKeys == 1);
    return result;
}

QString CourseDatabase::rowKey(const QString&, const QList<ColumnInfo>& columns) const
{
    for (const ColumnInfo& c : columns) {
        if (c.kind == FieldKind::AutoInc)
            return c.name;
    }
    return QStringLiteral("rowid");
}

bool CourseDatabase::keyIsColumn(const QString& key, const QList<ColumnInfo>& columns)
{
    for (const ColumnInfo& c : columns) {
        if (c.name.compare(key, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

void CourseDatabase::exec(const QString& statement)
{
    QSqlQuery q(database());
    if (!q.exec(statement))
        fail(q.lastError());
}

void CourseDatabase::createSchema()
{
    QSqlDatabase db = database();
    if (!db.transaction())
        fail(db.lastError());
    try {
        exec(QStringLiteral("CREATE TABLE IF NOT EXISTS urok (urok TEXT, htm TEXT, jpg TEXT, "
                            "avi TEXT, test TEXT, mid TEXT, wav TEXT, exe TEXT)"));
        exec(QStringLiteral("CREATE TABLE IF NOT EXISTS jurnal (\"код\" INTEGER PRIMARY KEY "
                            "AUTOINCREMENT, urok VARCHAR(250), data DATETIME, ocenka INTEGER, "
                            "fio VARCHAR(50), gruppa VARCHAR(50))"));
        exec(QStringLiteral("CREATE TABLE IF NOT EXISTS pas (pas TEXT)"));
        QSqlQuery count(db);
        if (!count.exec(QStringLiteral("SELECT COUNT(*) FROM pas")) || !count.next())
            fail(count.lastError());
        if (count.value(0).toInt() == 0) {
            // A new course can be unlocked with the empty password and given one at once.
            QSqlQuery insert(db);
            insert.prepare(QStringLiteral("INSERT INTO pas (pas) VALUES (?)"));
            insert.addBindValue(PasswordHash::make(QString()));
            if (!insert.exec())
                fail(insert.lastError());
        }
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit())
        fail(db.lastError());
}
