#include "CourseDatabase.h"

#include "LkError.h"
#include "PasswordHash.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <sqlite3.h>

#include <chrono>
#include <thread>

namespace {
// How long a post waits for the writes of other copies of the program on the same file.
constexpr int kSqliteBusyMs = 30000;

// Called while another copy holds the file's write lock. SQLite's own wait sleeps the longer the
// longer it has waited, so among many writers a copy that has waited long seldom gets its turn
// and gives up; this one looks often, and more often the longer it has waited.
int waitForWriteLock(void*, int attempt)
{
    thread_local QElapsedTimer waited;
    if (attempt == 0)
        waited.start();
    if (waited.elapsed() >= kSqliteBusyMs)
        return 0;
    const int micros = (attempt < 20 ? 4000 : 1000) + int(QRandomGenerator::global()->bounded(500));
    std::this_thread::sleep_for(std::chrono::microseconds(micros));
    return 1;
}

// The connection timeout of a server, unless one is set in libpq's own ways.
constexpr int kServerConnectTimeoutS = 5;
// How long a failed connection to a server stands for the next attempts.
constexpr qint64 kServerRetryMs = 3000;
// The lock under which copies of the program create the server's tables.
constexpr qint64 kSchemaLockKey = 0x4c656b746f72; // "Lektor"

// The hidden row identity of the tables without a key of their own (urok, pas): SQLite's own
// rowid, and a column of that name on a server.
const QString kRowId = QStringLiteral("rowid");

// Days since 1899-12-30 to 1970-01-01, the epoch of the server's timestamps.
constexpr int kUnixEpochDays = 25569;

FieldKind kindFromServerType(const QString& type, bool automatic)
{
    if (type == QLatin1String("integer") || type == QLatin1String("bigint") ||
        type == QLatin1String("smallint"))
        return automatic ? FieldKind::AutoInc : FieldKind::Integer;
    if (type == QLatin1String("text") || type.startsWith(QLatin1String("character")))
        return FieldKind::WideString;
    if (type.startsWith(QLatin1String("timestamp")) || type == QLatin1String("date"))
        return FieldKind::DateTime;
    if (type == QLatin1String("double precision") || type == QLatin1String("real") ||
        type == QLatin1String("numeric"))
        return FieldKind::Float;
    if (type == QLatin1String("boolean"))
        return FieldKind::Boolean;
    if (type == QLatin1String("bytea"))
        return FieldKind::Blob;
    return FieldKind::Unknown;
}

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

std::unique_ptr<CourseDatabase> CourseDatabase::server(const QString& connectionString,
                                                       QString connectionName)
{
    auto db = std::make_unique<CourseDatabase>(QString(), std::move(connectionName));
    db->m_engine = Engine::Postgres;
    db->m_connectionString = connectionString.trimmed();
    return db;
}

std::unique_ptr<CourseDatabase> CourseDatabase::forCourse(const QString& fileName,
                                                          QString connectionName)
{
    const QString server = serverFromEnvironment();
    if (!server.isEmpty())
        return CourseDatabase::server(server, std::move(connectionName));
    return std::make_unique<CourseDatabase>(fileName, std::move(connectionName));
}

QString CourseDatabase::serverFromEnvironment()
{
    return qEnvironmentVariable("LEKTORIKA_DATABASE").trimmed();
}

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

QString CourseDatabase::displayName() const
{
    return m_engine == Engine::Postgres ? QStringLiteral("the server database") : m_fileName;
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
    if (m_engine == Engine::Postgres)
        openServer();
    else
        openSqlite();
}

void CourseDatabase::openSqlite()
{
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
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kSqliteBusyMs));
    if (!db.open())
        fail(db.lastError());
    const QVariant handle = db.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        if (sqlite3* native = *static_cast<sqlite3* const*>(handle.constData()))
            sqlite3_busy_handler(native, waitForWriteLock, nullptr);
    }

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

void CourseDatabase::openServer()
{
    if (m_lastFailure.isValid() &&
        QDateTime::currentMSecsSinceEpoch() - m_lastFailureAt < kServerRetryMs)
        fail(m_lastFailure);

    // Qt hands the string to libpq after its own keywords, turning every ';' into a blank and
    // putting a blank in front, which a URI does not survive.
    if (m_connectionString.startsWith(QLatin1String("postgresql://")) ||
        m_connectionString.startsWith(QLatin1String("postgres://")))
        throw LkError(QStringLiteral("The connection string of the course database must be "
                                     "written as keyword=value pairs, not as a URI"),
                      LkErrorKind::Database);
    if (m_connectionString.contains(QLatin1Char(';')))
        throw LkError(
            QStringLiteral("The connection string of the course database must not contain \";\""),
            LkErrorKind::Database);

    QSqlDatabase db = QSqlDatabase::contains(m_connectionName)
                          ? QSqlDatabase::database(m_connectionName, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connectionName);
    if (!db.isValid())
        throw LkError(QStringLiteral("The PostgreSQL database driver is not available"),
                      LkErrorKind::Database);

    // An unreachable server must not hold start-up for the minutes a TCP connect may take.
    // libpq reads the environment only for what neither the string nor a service file gives,
    // so both still override this default.
    if (qEnvironmentVariableIsEmpty("PGCONNECT_TIMEOUT"))
        qputenv("PGCONNECT_TIMEOUT", QByteArray::number(kServerConnectTimeoutS));
    // Later keywords win: the user's string overrides this one.
    db.setConnectOptions(QStringLiteral("fallback_application_name=lektorika ") +
                         m_connectionString);
    if (!db.open()) {
        const QSqlError error = db.lastError();
        m_lastFailure = QSqlError(withoutSecrets(error.driverText()),
                                  withoutSecrets(error.databaseText()), error.type());
        m_lastFailureAt = QDateTime::currentMSecsSinceEpoch();
        fail(m_lastFailure);
    }
    m_lastFailure = QSqlError();

    try {
        if (serverTablesMissing()) {
            // Copies of the program that start together on a new database create the tables
            // one after the other. The lock is taken before the transaction begins, so that the
            // transaction sees the tables another copy has just created.
            exec(QStringLiteral("SELECT pg_advisory_lock(%1)").arg(kSchemaLockKey));
            try {
                createSchema();
            } catch (...) {
                QSqlQuery(db).exec(
                    QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(kSchemaLockKey));
                throw;
            }
            exec(QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(kSchemaLockKey));
        }
    } catch (...) {
        db.close(); // which drops the lock as well
        throw;
    }
}

bool CourseDatabase::serverTablesMissing()
{
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("SELECT to_regclass('urok') IS NULL OR to_regclass('jurnal') IS "
                               "NULL OR to_regclass('pas') IS NULL")) ||
        !q.next())
        fail(q.lastError());
    return q.value(0).toBool();
}

QString CourseDatabase::withoutSecrets(const QString& text) const
{
    QString result = text;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList words = m_connectionString.split(blanks, Qt::SkipEmptyParts);
    for (const QString& word : words) {
        const qsizetype eq = word.indexOf(QLatin1Char('='));
        if (eq < 0) {
            // libpq quotes a word it cannot make sense of.
            result.replace(QLatin1Char('"') + word + QLatin1Char('"'), QStringLiteral("\"...\""));
            continue;
        }
        QString value = word.mid(eq + 1);
        if (value.size() > 1 && value.startsWith(QLatin1Char('\'')) &&
            value.endsWith(QLatin1Char('\'')))
            value = value.mid(1, value.size() - 2);
        if (word.left(eq).compare(QLatin1String("password"), Qt::CaseInsensitive) == 0 &&
            !value.isEmpty())
            result.replace(value, QStringLiteral("..."));
    }
    return result;
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
    return m_engine == Engine::Postgres ? serverColumns(table) : sqliteColumns(table);
}

QList<ColumnInfo> CourseDatabase::sqliteColumns(const QString& table) const
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

QList<ColumnInfo> CourseDatabase::serverColumns(const QString& table) const
{
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral(
            "SELECT a.attname, format_type(a.atttypid, NULL), a.attidentity <> '' OR "
            "COALESCE(pg_get_expr(d.adbin, d.adrelid) LIKE 'nextval(%', false) "
            "FROM pg_attribute a LEFT JOIN pg_attrdef d "
            "ON d.adrelid = a.attrelid AND d.adnum = a.attnum "
            "WHERE a.attrelid = to_regclass(CAST(? AS text)) AND a.attnum > 0 AND "
            "NOT a.attisdropped ORDER BY a.attnum")))
        fail(q.lastError());
    q.addBindValue(quoted(table));
    if (!q.exec())
        fail(q.lastError());
    QList<ColumnInfo> result;
    bool any = false;
    while (q.next()) {
        any = true;
        const QString name = q.value(0).toString();
        if (name == kRowId)
            continue; // the hidden row identity, as SQLite's rowid is
        result.append({name, kindFromServerType(q.value(1).toString(), q.value(2).toBool())});
    }
    if (!any)
        throw LkError(QStringLiteral("no such table: %1").arg(table), LkErrorKind::Database);
    return result;
}

QString CourseDatabase::rowKey(const QString&, const QList<ColumnInfo>& columns) const
{
    for (const ColumnInfo& c : columns) {
        if (c.kind == FieldKind::AutoInc)
            return c.name;
    }
    return kRowId;
}

QString CourseDatabase::keySql(const QString& key)
{
    return key == kRowId ? key : quoted(key);
}

QString CourseDatabase::selectSql(const QString& column, FieldKind kind) const
{
    // A server keeps real timestamps (readable by any SQL tool); the datasets keep days. The
    // arithmetic runs without time zones, so a date stays the date it was written as.
    if (m_engine == Engine::Postgres && kind == FieldKind::DateTime)
        return QStringLiteral("CAST(EXTRACT(EPOCH FROM CAST(%1 AS timestamp)) / 86400 + %2 AS "
                              "double precision)")
            .arg(quoted(column))
            .arg(kUnixEpochDays);
    return quoted(column);
}

QString CourseDatabase::parameterSql(FieldKind kind) const
{
    if (m_engine == Engine::Postgres && kind == FieldKind::DateTime)
        return QStringLiteral(
            "TIMESTAMP '1899-12-30 00:00' + CAST(? AS double precision) * INTERVAL '1 day'");
    return QStringLiteral("?");
}

QString CourseDatabase::returningSql(const QString& key) const
{
    // The server's driver has no last insert id for a table without OIDs.
    if (m_engine == Engine::Postgres)
        return QStringLiteral(" RETURNING ") + keySql(key);
    return {};
}

qint64 CourseDatabase::insertedKey(QSqlQuery& query, bool returning)
{
    if (!returning)
        return query.lastInsertId().toLongLong();
    if (!query.next())
        fail(query.lastError());
    return query.value(0).toLongLong();
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
        if (m_engine == Engine::Postgres)
            createServerTables();
        else
            createSqliteTables();
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit()) {
        const QSqlError error = db.lastError();
        db.rollback();
        fail(error);
    }
}

void CourseDatabase::createSqliteTables()
{
    exec(QStringLiteral("CREATE TABLE IF NOT EXISTS urok (urok TEXT, htm TEXT, jpg TEXT, "
                        "avi TEXT, test TEXT, mid TEXT, wav TEXT, exe TEXT)"));
    exec(QStringLiteral("CREATE TABLE IF NOT EXISTS jurnal (\"код\" INTEGER PRIMARY KEY "
                        "AUTOINCREMENT, urok VARCHAR(250), data DATETIME, ocenka INTEGER, "
                        "fio VARCHAR(50), gruppa VARCHAR(50))"));
    exec(QStringLiteral("CREATE TABLE IF NOT EXISTS pas (pas TEXT)"));
    QSqlQuery count(database());
    if (!count.exec(QStringLiteral("SELECT COUNT(*) FROM pas")) || !count.next())
        fail(count.lastError());
    if (count.value(0).toInt() == 0)
        insertFirstPassword();
}

void CourseDatabase::createServerTables()
{
    QSqlQuery q(database());
    const auto missing = [&](const char* table) {
        if (!q.exec(QStringLiteral("SELECT to_regclass('%1') IS NULL").arg(QLatin1String(table))) ||
            !q.next())
            fail(q.lastError());
        return q.value(0).toBool();
    };
    // Keys may be given on insert, so a course copied in keeps its journal keys.
    if (missing("urok"))
        exec(QStringLiteral("CREATE TABLE urok (rowid bigint GENERATED BY DEFAULT AS IDENTITY "
                            "PRIMARY KEY, urok text, htm text, jpg text, avi text, test text, "
                            "mid text, wav text, exe text)"));
    if (missing("jurnal"))
        exec(QStringLiteral("CREATE TABLE jurnal (\"код\" integer GENERATED BY DEFAULT AS "
                            "IDENTITY PRIMARY KEY, urok varchar(250), data timestamp, "
                            "ocenka integer, fio varchar(50), gruppa varchar(50))"));
    if (missing("pas")) {
        exec(QStringLiteral("CREATE TABLE pas (rowid bigint GENERATED BY DEFAULT AS IDENTITY "
                            "PRIMARY KEY, pas text)"));
        insertFirstPassword();
    }
}

void CourseDatabase::insertFirstPassword()
{
    // A new course can be unlocked with the empty password and given one at once.
    QSqlQuery insert(database());
    if (!insert.prepare(QStringLiteral("INSERT INTO pas (pas) VALUES (?)")))
        fail(insert.lastError());
    insert.addBindValue(PasswordHash::make(QString()));
    if (!insert.exec())
        fail(insert.lastError());
}

void CourseDatabase::resetKeyCounter(const QString& table, const QString& key)
{
    if (m_engine != Engine::Postgres)
        return; // SQLite's AUTOINCREMENT follows the largest key written
    QSqlQuery q(database());
    if (!q.prepare(QStringLiteral("SELECT setval(pg_get_serial_sequence(CAST(? AS text), CAST(? "
                                  "AS text)), COALESCE((SELECT MAX(%1) FROM %2), 0) + 1, false)")
                       .arg(keySql(key), quoted(table))))
        fail(q.lastError());
    q.addBindValue(quoted(table));
    q.addBindValue(key);
    if (!q.exec())
        fail(q.lastError());
}
