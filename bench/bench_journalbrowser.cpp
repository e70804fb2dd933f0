// Speed of the journal browser in the running program on a journal of 100,000 records:
// "Удалить все записи" against a bare SQLite DELETE of the same number of rows, and typing one
// character into a filter box with filtering on, up to the grid drawn anew. Prints each figure
// beside its target.
#include "app/DBGrid.h"
#include "app/Globals.h"
#include "app/MessageBoxes.h"
#include "app/Startup.h"
#include "store/Dataset.h"
#include "store/TDataModule2.h"
#include "teacher/TForm4.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
const int Students = 500;

// Runs statements on the course database through a connection of its own, set up as the
// program sets up its own (write-ahead log, every commit synced).
void raw(const QString& dbFile, const QStringList& statements)
{
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        db.setDatabaseName(dbFile);
        if (!db.open())
            qFatal("cannot open %s", qPrintable(dbFile));
        QSqlQuery q(db);
        q.exec(QStringLiteral("PRAGMA synchronous=FULL"));
        for (const QString& sql : statements)
            if (!q.exec(sql))
                qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
}

// `rows` journal records: 500 students in 20 groups, attendance and grades.
void seed(const QString& dbFile, int rows)
{
    raw(dbFile, {QStringLiteral(
                     "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                     "INSERT INTO jurnal (urok, data, ocenka, fio, gruppa) "
                     "SELECT 'Тема ' || (i % 40), 45000 + i % 300, (i * 7) % 101, "
                     "'Студент ' || (i % %2), 'ПИ-' || (i % %2 % 20) FROM n")
                     .arg(rows - 1)
                     .arg(Students)});
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename T> T* child(const char* name)
{
    auto* w = Form4->findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("no %s", name);
    return w;
}

// Milliseconds from a key press in `edit` to the grid drawn with the new view.
double typeKey(QLineEdit* edit, QWidget* grid, int key, const QString& text)
{
    QElapsedTimer clock;
    clock.start();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(edit, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(edit, &release);
    QApplication::processEvents();
    grid->repaint();
    return clock.nsecsElapsed() / 1e6;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    MessageBoxes::startRecording();

    QTemporaryDir course;
    const QString dbFile = course.filePath(QStringLiteral("db1.sqlite"));
    {
        QFile outline(course.filePath(QStringLiteral("log.log")));
        if (!outline.open(QIODevice::WriteOnly) || outline.write("Тема 0\r\n") < 0)
            qFatal("cannot write the outline");
    }
    TDataModule2(nullptr, dbFile).DataModuleCreate(); // a new course with its tables
    seed(dbFile, rows);

    const QString previous = QDir::currentPath();
    QDir::setCurrent(course.path());
    Startup::createAll();
    Dataset& journal = *DataModule2->Tjurnal;
    Form4->show();
    child<QTabWidget>("PageControl1")->setCurrentIndex(1);
    auto* grid = child<DBGrid>("DBGrid4");
    QApplication::processEvents();
    std::printf("journal: %d records\n", journal.recordCount());

    // Typing into the name box with filtering on.
    child<QCheckBox>("CheckBox1")->setChecked(true);
    auto* name = child<QLineEdit>("Edit1");
    name->setFocus();
    std::vector<double> narrow, first, clear;
    for (int round = 0; round < 15; ++round) {
        name->setText(QStringLiteral("Студент 12"));
        QApplication::processEvents();
        narrow.push_back(typeKey(name, grid, Qt::Key_3, QStringLiteral("3")));
        if (journal.recordCount() != rows / Students)
            qFatal("unexpected view of %d records", journal.recordCount());
        name->clear();
        QApplication::processEvents();
        first.push_back(typeKey(name, grid, Qt::Key_unknown, QStringLiteral("С")));
        clear.push_back(typeKey(name, grid, Qt::Key_Backspace, QString()));
        if (journal.recordCount() != rows)
            qFatal("unexpected view of %d records", journal.recordCount());
    }
    const auto report = [](const char* what, const std::vector<double>& ms) {
        std::printf("typing, %s: median %.1f ms, worst %.1f ms (target <= 20 ms)\n", what,
                    median(ms), *std::max_element(ms.begin(), ms.end()));
    };
    report("\"Студент 12\" + \"3\" (200 records shown)", narrow);
    report("first letter into an empty box (no record shown)", first);
    report("back to an empty box (all records shown)", clear);
    child<QCheckBox>("CheckBox1")->setChecked(false);

    // "Удалить все записи" on the whole journal against a bare DELETE of as many rows, each on
    // a freshly seeded journal, alternating.
    std::vector<double> button, bare;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer clock;
        clock.start();
        child<QPushButton>("Button21")->click();
        QApplication::processEvents();
        grid->repaint();
        button.push_back(clock.nsecsElapsed() / 1e6);
        if (journal.recordCount() != 0 || !MessageBoxes::takeShown().isEmpty())
            qFatal("the journal was not emptied");

        seed(dbFile, rows);
        clock.restart();
        raw(dbFile, {QStringLiteral("DELETE FROM jurnal")});
        bare.push_back(clock.nsecsElapsed() / 1e6);

        seed(dbFile, rows);
        journal.refresh();
        QApplication::processEvents();
    }
    const double ratio = median(button) / median(bare);
    std::printf("\"Удалить все записи\" on %d records: median %.0f ms; bare SQLite DELETE: median "
                "%.0f ms; ratio %.2f (target <= 2)\n",
                rows, median(button), median(bare), ratio);

    Startup::destroyAll();
    QDir::setCurrent(previous);
    return 0;
}
