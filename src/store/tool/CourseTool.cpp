// lektorika-course: course database chores from the command line.
//
//   lektorika-course seed <database> <seed.sql>
//       Creates the course database (when missing) and runs the seed's statements in one
//       transaction. Passwords the seed gives in clear text are stored as their hashes.
//
//   lektorika-course export-to-server [--replace] <db1.sqlite>
//       Copies the course file's lessons, journal (with its keys) and password into the server
//       database LEKTORIKA_DATABASE names, creating the tables there when missing.
//
//   lektorika-course import-from-server [--replace] <db1.sqlite>
//       Copies them back from that server into the course file (created when missing).
//
//   Either copy is all or nothing, and leaves a target that already holds lessons or journal
//   records alone unless --replace is given.

#include "store/CourseCopy.h"
#include "store/CourseDatabase.h"
#include "store/LkError.h"
#include "store/PasswordHash.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>

#include <cstdio>

namespace {
// Splits a script at the semicolons that stand outside quotes; "--" comments are dropped.
QStringList statements(const QString& script)
{
    QStringList result;
    QString current;
    QChar quote;
    for (qsizetype i = 0; i < script.size(); ++i) {
        const QChar c = script[i];
        if (quote.isNull() && c == QLatin1Char('-') && i + 1 < script.size() &&
            script[i + 1] == QLatin1Char('-')) {
            while (i < script.size() && script[i] != QLatin1Char('\n'))
                ++i;
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            if (quote.isNull())
                quote = c;
            else if (quote == c)
                quote = QChar();
        }
        if (c == QLatin1Char(';') && quote.isNull()) {
            if (!current.trimmed().isEmpty())
                result.append(current.trimmed());
            current.clear();
            continue;
        }
        current += c;
    }
    if (!current.trimmed().isEmpty())
        result.append(current.trimmed());
    return result;
}

int seed(const QString& databaseFile, const QString& seedFile)
{
    QFile file(seedFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw LkError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(seedFile, file.errorString()));
    const QStringList script = statements(QString::fromUtf8(file.readAll()));

    CourseDatabase db(databaseFile, QStringLiteral("lk_tool"));
    db.open();
    QSqlDatabase sql = db.database();
    if (!sql.transaction())
        CourseDatabase::fail(sql.lastError());
    static const QRegularExpression insertsPassword(
        QStringLiteral("^INSERT\\s+INTO\\s+\"?pas\"?\\b"),
        QRegularExpression::CaseInsensitiveOption);
    bool passwordCleared = false;
    for (const QString& statement : script) {
        // The seed's password replaces the one a new course starts with.
        if (!passwordCleared && insertsPassword.match(statement).hasMatch()) {
            db.exec(QStringLiteral("DELETE FROM pas"));
            passwordCleared = true;
        }
        db.exec(statement);
    }
    QSqlQuery plain(sql);
    if (!plain.exec(QStringLiteral("SELECT rowid, pas FROM pas")))
        CourseDatabase::fail(plain.lastError());
    QList<std::pair<qlonglong, QString>> toHash;
    while (plain.next()) {
        if (!plain.value(1).isNull() && !PasswordHash::isHash(plain.value(1).toString()))
            toHash.append({plain.value(0).toLongLong(), plain.value(1).toString()});
    }
    for (const auto& [rowid, password] : toHash) {
        QSqlQuery update(sql);
        update.prepare(QStringLiteral("UPDATE pas SET pas = ? WHERE rowid = ?"));
        update.addBindValue(PasswordHash::make(password));
        update.addBindValue(rowid);
        if (!update.exec())
            CourseDatabase::fail(update.lastError());
    }
    if (!sql.commit())
        CourseDatabase::fail(sql.lastError());
    std::printf("%lld statements run into %s\n", static_cast<long long>(script.size()),
                qPrintable(databaseFile));
    return 0;
}
enum class Direction { ToServer, FromServer };

int copyCourse(Direction direction, const QString& file, bool replace)
{
    const QString server = CourseDatabase::serverFromEnvironment();
    if (server.isEmpty())
        throw LkError(QStringLiteral("LEKTORIKA_DATABASE is not set: it names the server "
                                     "database, as a libpq connection string"));
    if (direction == Direction::ToServer && !QFileInfo(file).isFile())
        throw LkError(QStringLiteral("Cannot open file \"%1\". No such file").arg(file));

    CourseDatabase local(file, QStringLiteral("lk_tool_file"));
    const auto remote = CourseDatabase::server(server, QStringLiteral("lk_tool_server"));
    CourseDatabase& from = direction == Direction::ToServer ? local : *remote;
    CourseDatabase& to = direction == Direction::ToServer ? *remote : local;
    const CourseCopy::Counts counts =
        CourseCopy::copy(from, to, replace, [](const QString& table, qint64 done) {
            std::fprintf(stderr, "%s: %lld records\n", qPrintable(table),
                         static_cast<long long>(done));
        });
    std::printf("%lld lessons, %lld journal records and %lld password records copied %s\n",
                static_cast<long long>(counts.lessons), static_cast<long long>(counts.journal),
                static_cast<long long>(counts.passwords),
                direction == Direction::ToServer ? "to the server database"
                                                 : qPrintable(QStringLiteral("into ") + file));
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    try {
        if (args.size() == 3 && args[0] == QLatin1String("seed"))
            return seed(args[1], args[2]);
        if (!args.isEmpty() && (args[0] == QLatin1String("export-to-server") ||
                                args[0] == QLatin1String("import-from-server"))) {
            const Direction direction = args[0] == QLatin1String("export-to-server")
                                            ? Direction::ToServer
                                            : Direction::FromServer;
            if (args.size() == 2 && !args[1].startsWith(QLatin1String("--")))
                return copyCourse(direction, args[1], false);
            if (args.size() == 3 && args[1] == QLatin1String("--replace"))
                return copyCourse(direction, args[2], true);
        }
    } catch (const LkError& e) {
        std::fprintf(stderr, "lektorika-course: %s\n", qPrintable(e.message()));
        return 1;
    }
    std::fprintf(stderr, "usage: lektorika-course seed <database> <seed.sql>\n"
                         "       lektorika-course export-to-server [--replace] <db1.sqlite>\n"
                         "       lektorika-course import-from-server [--replace] <db1.sqlite>\n"
                         "The server database is the one LEKTORIKA_DATABASE names.\n");
    return 2;
}
