// Figures of the course store on a journal of a million records, each beside the bare SQLite
// baseline measured in the same run. Prints the figures and their ratios; asserts nothing.
//
//   bench_store [records]     (default 1000000)

#include "store/CourseDatabase.h"
#include "store/Dataset.h"
#include "store/DateValue.h"
#include "store/LkError.h"
#include "store/OutlineFile.h"
#include "store/PasswordHash.h"
#include "store/TDataModule2.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {
double ms(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

void check(int rc, sqlite3* db)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

void report(const char* what, double value, double baseline, double limit)
{
    const double ratio = value / baseline;
    std::printf("%-46s %10.2f ms   bare %10.2f ms   ratio %.2f (target <= %.2f) %s\n", what, value,
                baseline, ratio, limit, ratio <= limit ? "ok" : "OVER");
}

void fill(const QString& file, int records)
{
    sqlite3* db = nullptr;
    check(sqlite3_open(file.toUtf8().constData(), &db), db);
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
    sqlite3_stmt* st = nullptr;
    check(sqlite3_prepare_v2(
              db, "INSERT INTO jurnal (urok, data, ocenka, fio, gruppa) VALUES (?,?,?,?,?)", -1,
              &st, nullptr),
          db);
    const double today = DateValue::fromDateTime(DateValue::today());
    for (int i = 0; i < records; ++i) {
        const std::string urok = "Урок " + std::to_string(i % 40);
        const std::string fio = "Студент " + std::to_string(i % 5000);
        const std::string gruppa = "Группа " + std::to_string(i % 120);
        sqlite3_bind_text(st, 1, urok.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(st, 2, today - (i % 300));
        sqlite3_bind_int(st, 3, i % 101);
        sqlite3_bind_text(st, 4, fio.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 5, gruppa.c_str(), -1, SQLITE_TRANSIENT);
        check(sqlite3_step(st), db);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
    sqlite3_close(db);
}

struct BareRow
{
    long long key;
    std::string urok;
    double data;
    int ocenka;
    std::string fio;
    std::string gruppa;
};

double bareSelect(const QString& file, size_t& rows)
{
    sqlite3* db = nullptr;
    check(sqlite3_open(file.toUtf8().constData(), &db), db);
    QElapsedTimer t;
    t.start();
    std::vector<BareRow> out;
    sqlite3_stmt* st = nullptr;
    check(sqlite3_prepare_v2(db, "SELECT * FROM jurnal", -1, &st, nullptr), db);
    while (sqlite3_step(st) == SQLITE_ROW) {
        auto text = [&](int c) {
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
            return p ? std::string(p) : std::string();
        };
        out.push_back({sqlite3_column_int64(st, 0), text(1), sqlite3_column_double(st, 2),
                       sqlite3_column_int(st, 3), text(4), text(5)});
    }
    sqlite3_finalize(st);
    const double elapsed = ms(t);
    rows = out.size();
    sqlite3_close(db);
    return elapsed;
}

double bareInserts(const QString& file, int count)
{
    sqlite3* db = nullptr;
    check(sqlite3_open(file.toUtf8().constData(), &db), db);
    check(sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL", nullptr, nullptr,
                       nullptr),
          db);
    sqlite3_stmt* st = nullptr;
    check(sqlite3_prepare_v2(
              db, "INSERT INTO jurnal (data, fio, gruppa, urok, ocenka) VALUES (?,?,?,?,?)", -1,
              &st, nullptr),
          db);
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < count; ++i) {
        sqlite3_bind_double(st, 1, 46000.0);
        sqlite3_bind_text(st, 2, "Иванов Иван", -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 3, "П-11", -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 4, "Алгоритмы", -1, SQLITE_STATIC);
        sqlite3_bind_int(st, 5, 0);
        check(sqlite3_step(st), db);
        sqlite3_reset(st);
        (void)sqlite3_last_insert_rowid(db);
    }
    const double elapsed = ms(t) / count;
    sqlite3_finalize(st);
    sqlite3_close(db);
    return elapsed;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? std::atoi(argv[1]) : 1000000;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("db1.sqlite"));
    PasswordHash::setDefaultIterations(1000);

    try {
        {
            CourseDatabase create(file, QStringLiteral("bench_create"));
            create.open();
        }
        QElapsedTimer t;
        t.start();
        fill(file, records);
        std::printf("journal of %d records made in %.0f ms\n\n", records, ms(t));

        // Open: whole table into memory, beside a bare SELECT * into plain vectors. Best of 3.
        double bare = 1e300;
        double ours = 1e300;
        size_t bareRows = 0;
        for (int round = 0; round < 3; ++round) {
            bare = std::min(bare, bareSelect(file, bareRows));
            TDataModule2 module(nullptr, file);
            t.restart();
            module.Tjurnal->open();
            ours = std::min(ours, ms(t));
            if (size_t(module.Tjurnal->recordCount()) != bareRows) {
                std::fprintf(stderr, "record counts differ\n");
                return 1;
            }
        }
        report("open Tjurnal", ours, bare, 1.5);

        TDataModule2 module(nullptr, file);
        module.DataModuleCreate();
        Dataset& jurnal = *module.Tjurnal;

        // Filter one student of one group; then walk the view.
        jurnal.setFiltered(true);
        t.restart();
        jurnal.setFilterText(QStringLiteral("fio='Студент 42' and gruppa='Группа 42'"));
        const double filter = ms(t);
        t.restart();
        int walked = 0;
        for (jurnal.first(); !jurnal.eof(); jurnal.next())
            ++walked;
        const double walk = ms(t);
        std::printf("%-46s %10.2f ms   (target <= 20 ms) %s, %d records\n",
                    "set a filter (one student, one group)", filter, filter <= 20 ? "ok" : "OVER",
                    jurnal.recordCount());
        std::printf("%-46s %10.3f ms   for %d records\n", "walk the filtered view", walk, walked);
        jurnal.setFiltered(false);

        // One post, beside a bare prepared insert with the same durability. Mean of 200.
        constexpr int kPosts = 200;
        const double bareInsert = bareInserts(file, kPosts);
        t.restart();
        for (int i = 0; i < kPosts; ++i) {
            jurnal.insert();
            jurnal.setValue(QStringLiteral("data"), DateValue::today());
            jurnal.setValue(QStringLiteral("fio"), QStringLiteral("Иванов Иван"));
            jurnal.setValue(QStringLiteral("gruppa"), QStringLiteral("П-11"));
            jurnal.setValue(QStringLiteral("urok"), QStringLiteral("Алгоритмы"));
            jurnal.setValue(QStringLiteral("ocenka"), 0);
            jurnal.post();
        }
        report("post one record (mean of 200)", ms(t) / kPosts, bareInsert, 1.3);
    } catch (const LkError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }

    // Outline of 10,000 nodes: 100 topics of 99 subtopics.
    Outline tree;
    for (int i = 0; i < 100; ++i) {
        OutlineNode topic{QStringLiteral("Раздел %1").arg(i), {}};
        for (int j = 0; j < 99; ++j)
            topic.children.push_back({QStringLiteral("Тема %1.%2").arg(i).arg(j), {}});
        tree.push_back(std::move(topic));
    }
    OutlineFile outline(dir.filePath(QStringLiteral("log.log")));
    QElapsedTimer t;
    double save = 1e300;
    double load = 1e300;
    for (int round = 0; round < 5; ++round) {
        t.restart();
        outline.save(tree);
        save = std::min(save, ms(t));
        Outline back;
        t.restart();
        outline.load(back);
        load = std::min(load, ms(t));
    }
    std::printf("%-46s %10.2f ms   (target <= 20 ms) %s\n", "save a 10,000-node outline", save,
                save <= 20 ? "ok" : "OVER");
    std::printf("%-46s %10.2f ms   (target <= 20 ms) %s\n", "load a 10,000-node outline", load,
                load <= 20 ? "ok" : "OVER");
    return 0;
}
