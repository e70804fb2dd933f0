#include "CourseCopy.h"

#include "CourseDatabase.h"
#include "Dataset.h"
#include "DateValue.h"
#include "LkError.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {
// Rows per INSERT: a few hundred rows a statement make a server copy fast.
constexpr int kBatch = 200;

qint64 countRows(CourseDatabase& db, const QString& table)
{
    QSqlQuery q(db.database());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(CourseDatabase::quoted(table))) ||
        !q.next())
        CourseDatabase::fail(q.lastError());
    return q.value(0).toLongLong();
}

struct Column
{
    int field = 0; // in the source dataset
    QString name;  // in the target table
    FieldKind kind = FieldKind::Unknown;
};

QString insertSql(CourseDatabase& to, const QString& table, const QList<Column>& columns, int rows)
{
    QStringList names;
    QStringList marks;
    for (const Column& c : columns) {
        names.append(CourseDatabase::quoted(c.name));
        marks.append(to.parameterSql(c.kind));
    }
    const QString row = QLatin1Char('(') + marks.join(QStringLiteral(", ")) + QLatin1Char(')');
    QStringList values;
    for (int i = 0; i < rows; ++i)
        values.append(row);
    if (columns.isEmpty())
        return QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(CourseDatabase::quoted(table));
    return QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
        .arg(CourseDatabase::quoted(table), names.join(QStringLiteral(", ")),
             values.join(QStringLiteral(", ")));
}

// Copies one table; returns the number of rows written.
qint64 copyTable(CourseDatabase& from, CourseDatabase& to, const QString& table,
                 const CourseCopy::Progress& progress)
{
    Dataset source(table, table, &from);
    source.open();
    const QList<ColumnInfo> target = to.columns(table);

    QList<Column> columns;
    QString copiedKey;
    for (int f = 0; f < source.fieldCount(); ++f) {
        const auto found = std::find_if(target.begin(), target.end(), [&](const ColumnInfo& c) {
            return c.name.compare(source.fieldName(f), Qt::CaseInsensitive) == 0;
        });
        if (found == target.end())
            throw LkError(QStringLiteral("The field '%1' of table %2 has no column in the "
                                         "target database")
                              .arg(source.fieldName(f), table),
                          LkErrorKind::Database);
        // A key the target assigns itself is kept only when the source has one as well.
        if (found->kind == FieldKind::AutoInc) {
            if (source.fieldKind(f) != FieldKind::AutoInc)
                continue;
            copiedKey = found->name;
        }
        columns.append({f, found->name, found->kind});
    }

    to.exec(QStringLiteral("DELETE FROM %1").arg(CourseDatabase::quoted(table)));
    const int total = source.recordCount();
    QSqlQuery full(to.database());
    if (total >= kBatch && !full.prepare(insertSql(to, table, columns, kBatch)))
        CourseDatabase::fail(full.lastError());
    int row = 0;
    while (row < total) {
        const int rows = std::min(kBatch, total - row);
        QSqlQuery rest(to.database());
        QSqlQuery& q = rows == kBatch ? full : rest;
        if (rows != kBatch && !q.prepare(insertSql(to, table, columns, rows)))
            CourseDatabase::fail(q.lastError());
        int index = 0;
        for (int r = row; r < row + rows; ++r) {
            for (const Column& c : columns) {
                QVariant value = source.viewValue(r, c.field);
                if (source.fieldKind(c.field) == FieldKind::DateTime)
                    value = DateValue::toDays(value);
                q.bindValue(index++, value);
            }
        }
        if (columns.isEmpty()) {
            for (int r = 0; r < rows; ++r) {
                if (!q.exec())
                    CourseDatabase::fail(q.lastError());
            }
        } else if (!q.exec()) {
            CourseDatabase::fail(q.lastError());
        }
        q.finish();
        row += rows;
        if (progress && (row % (kBatch * 25) == 0 || row == total))
            progress(table, row);
    }
    if (!copiedKey.isEmpty())
        to.resetKeyCounter(table, copiedKey);
    return total;
}
} // namespace

CourseCopy::Counts CourseCopy::copy(CourseDatabase& from, CourseDatabase& to, bool replace,
                                    const Progress& progress)
{
    from.open();
    to.open();
    if (!replace) {
        for (const QString& table : {QStringLiteral("urok"), QStringLiteral("jurnal")}) {
            if (countRows(to, table) > 0) {
                QString where = to.displayName();
                where[0] = where[0].toUpper();
                throw LkError(QStringLiteral("%1 already holds records of table %2; nothing was "
                                             "copied (--replace overwrites them)")
                                  .arg(where, table),
                              LkErrorKind::Database);
            }
        }
    }

    QSqlDatabase target = to.database();
    if (!target.transaction())
        CourseDatabase::fail(target.lastError());
    Counts counts;
    try {
        counts.lessons = copyTable(from, to, QStringLiteral("urok"), progress);
        counts.journal = copyTable(from, to, QStringLiteral("jurnal"), progress);
        // The target's first password gives way to the course's.
        counts.passwords = copyTable(from, to, QStringLiteral("pas"), progress);
    } catch (...) {
        target.rollback();
        throw;
    }
    if (!target.commit()) {
        const QSqlError error = target.lastError();
        target.rollback();
        CourseDatabase::fail(error);
    }
    return counts;
}
