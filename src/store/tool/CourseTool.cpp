// lektorika-course: course database chores from the command line.
//
//   lektorika-course seed <database> <seed.sql>
//       Creates the course database (when missing) and runs the seed's statements in one
//       transaction. Passwords the seed gives in clear text are stored as their hashes.

#include "store/CourseDatabase.h"
#include "store/LkError.h"
#include "store/PasswordHash.h"

#include <QCoreApplication>
#include <QFile>
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
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    try {
        if (args.size() == 3 && args[0] == QLatin1String("seed"))
            return seed(args[1], args[2]);
    } catch (const LkError& e) {
        std::fprintf(stderr, "lektorika-course: %s\n", qPrintable(e.message()));
        return 1;
    }
    std::fprintf(stderr, "usage: lektorika-course seed <database> <seed.sql>\n");
    return 2;
}
