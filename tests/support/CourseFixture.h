#pragma once

#include "store/Dataset.h"
#include "store/LkError.h"
#include "store/TDataModule2.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

#include <memory>

// A course database in a temporary folder, the data module over it, and a second connection
// for looking at (or preparing) the file the way another program would.
class CourseFixture
{
public:
    QTemporaryDir dir;
    std::unique_ptr<TDataModule2> module;

    QString dbFile() const { return dir.filePath(QStringLiteral("db1.sqlite")); }

    // Opens the data module; a new database gets the course tables (a copy of one made once,
    // since making one hashes the new course's empty password).
    void open()
    {
        if (!QFileInfo::exists(dbFile()) && !QFile::copy(emptyCourse(), dbFile()))
            qFatal("cannot copy the empty course");
        module = std::make_unique<TDataModule2>(nullptr, dbFile());
        module->DataModuleCreate();
    }
    void close() { module.reset(); }

    Dataset& lessons() { return *module->Turok; }
    Dataset& journal() { return *module->Tjurnal; }
    Dataset& password() { return *module->Tpas; }

    // Runs statements on the file through a connection of its own; returns the first column of
    // the last statement's first row.
    QVariant raw(const QStringList& statements)
    {
        const QString name = QStringLiteral("fixture-raw");
        QVariant result;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(dbFile());
            if (!db.open())
                qFatal("cannot open %s", qPrintable(dbFile()));
            for (const QString& sql : statements) {
                QSqlQuery q(db);
                if (!q.exec(sql))
                    qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
                result = q.next() ? q.value(0) : QVariant();
            }
        }
        QSqlDatabase::removeDatabase(name);
        return result;
    }
    QVariant raw(const QString& sql) { return raw(QStringList{sql}); }

    static QString emptyCourse()
    {
        static QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("db1.sqlite"));
        if (!QFileInfo::exists(file))
            TDataModule2(nullptr, file).DataModuleCreate();
        return file;
    }

    void addLesson(const QString& title)
    {
        lessons().insert();
        lessons().setValue(QStringLiteral("urok"), title);
        lessons().post();
    }
};

// The message of the LkError `f` throws; empty when it throws none.
template <typename F> QString errorOf(F&& f)
{
    try {
        f();
    } catch (const LkError& e) {
        return e.message();
    }
    return {};
}
