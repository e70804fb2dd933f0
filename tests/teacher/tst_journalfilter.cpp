// The journal browser's filter texts and bulk deletes, over a real journal.
#include "CourseFixture.h"

#include "teacher/JournalDeletes.h"
#include "teacher/JournalFilter.h"

#include <QTest>

namespace {
struct Record
{
    const char* fio;
    const char* gruppa;
    int ocenka;
};

// Two students in two groups, attendance (0) and grade records, and names with apostrophes.
const Record Journal[] = {
    {"Иванов", "ПИ-1", 0},   {"Иванов", "ПИ-1", 80},  {"Петров", "ПИ-1", 0},
    {"Иванов", "ПИ-2", 0},   {"Петров", "ПИ-2", 100}, {"O'Brien", "ПИ-2", 0},
    {"O'Brien", "ПИ-2", 60}, {"Мар'яна", "Гр'1", 0},  {"Мар'яна", "Гр'1", 90},
    {"Петров", "ПИ-1", 0},
};
} // namespace

class TestJournalFilter : public QObject
{
    Q_OBJECT

    std::unique_ptr<CourseFixture> m_course;

    Dataset& journal() { return m_course->journal(); }

    // The records of the view as "fio/gruppa/ocenka", in view order.
    QStringList view()
    {
        QStringList rows;
        Dataset& j = journal();
        const int fio = j.field(QStringLiteral("fio"));
        const int gruppa = j.field(QStringLiteral("gruppa"));
        const int ocenka = j.field(QStringLiteral("ocenka"));
        for (int row = 0; row < j.recordCount(); ++row)
            rows.append(QStringLiteral("%1/%2/%3")
                            .arg(j.viewValue(row, fio).toString(),
                                 j.viewValue(row, gruppa).toString(),
                                 j.viewValue(row, ocenka).toString()));
        return rows;
    }
    // The records of the whole table, as another program sees them.
    int countInFile(const QString& where = QStringLiteral("1"))
    {
        return m_course->raw(QStringLiteral("SELECT COUNT(*) FROM jurnal WHERE ") + where).toInt();
    }
    // What the browser does on every change of a box while the check box shows `checked`.
    void setBoxes(const QString& name, const QString& group)
    {
        journal().setFilterText(JournalFilter::compose(name, group));
    }

private slots:
    void init()
    {
        m_course = std::make_unique<CourseFixture>();
        m_course->open();
        m_course->close();
        QStringList values;
        for (const Record& r : Journal)
            values.append(QStringLiteral("('Тема', 46000, %1, '%2', '%3')")
                              .arg(r.ocenka)
                              .arg(QString::fromUtf8(r.fio).replace(QStringLiteral("'"),
                                                                    QStringLiteral("''")),
                                   QString::fromUtf8(r.gruppa).replace(QStringLiteral("'"),
                                                                       QStringLiteral("''"))));
        m_course->raw(
            QStringLiteral("INSERT INTO jurnal (urok, data, ocenka, fio, gruppa) VALUES ") +
            values.join(QStringLiteral(", ")));
        m_course->open();
    }
    void cleanup() { m_course.reset(); }

    void compose_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("filter");
        QTest::newRow("both empty") << ""
                                    << ""
                                    << "";
        QTest::newRow("name") << "Иванов"
                              << ""
                              << "fio='Иванов'";
        QTest::newRow("group") << ""
                               << "ПИ-1"
                               << "gruppa='ПИ-1'";
        QTest::newRow("both") << "Иванов"
                              << "ПИ-1"
                              << "fio='Иванов' and gruppa='ПИ-1'";
        QTest::newRow("blanks kept") << " Иванов "
                                     << " "
                                     << "fio=' Иванов ' and gruppa=' '";
        QTest::newRow("apostrophes doubled") << "O'Brien"
                                             << "Гр''1"
                                             << "fio='O''Brien' and gruppa='Гр''''1'";
        QTest::newRow("an attempt at an expression") << "x' or fio<>'"
                                                     << ""
                                                     << "fio='x'' or fio<>'''";
    }
    void compose()
    {
        QFETCH(QString, name);
        QFETCH(QString, group);
        QFETCH(QString, filter);
        QCOMPARE(JournalFilter::compose(name, group), filter);
    }

    void ungraded_data()
    {
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("filter");
        QTest::newRow("unchecked") << false << "fio='A'"
                                   << "ocenka=0";
        QTest::newRow("checked, empty filter") << true << ""
                                               << "ocenka=0";
        QTest::newRow("checked") << true << "fio='A' and gruppa='B'"
                                 << "fio='A' and gruppa='B' and ocenka=0";
    }
    void ungraded()
    {
        QFETCH(bool, checked);
        QFETCH(QString, current);
        QFETCH(QString, filter);
        QCOMPARE(JournalFilter::ungraded(checked, current), filter);
    }

    // The composed texts select exactly the typed name and group, apostrophes included.
    void filtersSelectTheTypedRecords_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("all") << ""
                             << "" << QStringList{};
        QTest::newRow("name") << "Петров"
                              << ""
                              << QStringList{"Петров/ПИ-1/0", "Петров/ПИ-2/100", "Петров/ПИ-1/0"};
        QTest::newRow("group") << ""
                               << "ПИ-2"
                               << QStringList{"Иванов/ПИ-2/0", "Петров/ПИ-2/100", "O'Brien/ПИ-2/0",
                                              "O'Brien/ПИ-2/60"};
        QTest::newRow("both") << "Иванов"
                              << "ПИ-1" << QStringList{"Иванов/ПИ-1/0", "Иванов/ПИ-1/80"};
        QTest::newRow("apostrophe in a name")
            << "O'Brien"
            << "" << QStringList{"O'Brien/ПИ-2/0", "O'Brien/ПИ-2/60"};
        QTest::newRow("apostrophes in both")
            << "Мар'яна"
            << "Гр'1" << QStringList{"Мар'яна/Гр'1/0", "Мар'яна/Гр'1/90"};
        QTest::newRow("no such student") << "Сидоров"
                                         << "" << QStringList{};
        QTest::newRow("the name with a blank") << "Иванов "
                                               << "" << QStringList{};
    }
    void filtersSelectTheTypedRecords()
    {
        QFETCH(QString, name);
        QFETCH(QString, group);
        QFETCH(QStringList, rows);
        journal().setFiltered(true);
        setBoxes(name, group);
        if (name.isEmpty() && group.isEmpty())
            QCOMPARE(journal().recordCount(), int(std::size(Journal)));
        else
            QCOMPARE(view(), rows);
    }

    void removeUngraded_data()
    {
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QStringList>("viewAfter");
        QTest::addColumn<int>("leftInFile");
        // Unchecked: every score-0 record of the journal goes, whatever the boxes hold.
        QTest::newRow("unchecked") << false << "Петров"
                                   << ""
                                   << QStringList{"Иванов/ПИ-1/80", "Петров/ПИ-2/100",
                                                  "O'Brien/ПИ-2/60", "Мар'яна/Гр'1/90"}
                                   << 4;
        // Checked: only the score-0 records of the name/group view, which then shows again.
        QTest::newRow("checked, name") << true << "Петров"
                                       << "" << QStringList{"Петров/ПИ-2/100"} << 8;
        QTest::newRow("checked, apostrophe") << true << "O'Brien"
                                             << "ПИ-2" << QStringList{"O'Brien/ПИ-2/60"} << 9;
        QTest::newRow("checked, empty boxes") << true << ""
                                              << ""
                                              << QStringList{"Иванов/ПИ-1/80", "Петров/ПИ-2/100",
                                                             "O'Brien/ПИ-2/60", "Мар'яна/Гр'1/90"}
                                              << 4;
    }
    void removeUngraded()
    {
        QFETCH(bool, checked);
        QFETCH(QString, name);
        QFETCH(QString, group);
        QFETCH(QStringList, viewAfter);
        QFETCH(int, leftInFile);
        journal().setFiltered(checked);
        setBoxes(name, group);
        const QString nameAndGroup = journal().filterText();

        QVERIFY(JournalDeletes::removeUngraded(journal(), checked));

        QCOMPARE(countInFile(), leftInFile);
        QCOMPARE(journal().isFiltered(), checked);
        QCOMPARE(journal().filterText(), nameAndGroup);
        if (checked)
            QCOMPARE(view(), viewAfter);
        else
            QCOMPARE(journal().recordCount(), leftInFile);
        QCOMPARE(journal().currentRow(), journal().isEmpty() ? -1 : 0);

        // "Удалить все записи" next acts on what the grid shows.
        QVERIFY(JournalDeletes::removeAll(journal()));
        QCOMPARE(countInFile(), checked ? leftInFile - int(viewAfter.size()) : 0);
        QVERIFY(journal().isEmpty());
        journal().setFiltered(false);
        QCOMPARE(journal().recordCount(), countInFile());
    }

    void removeAll_data()
    {
        QTest::addColumn<bool>("filtered");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("leftInFile");
        QTest::addColumn<int>("petrovLeft");
        QTest::newRow("unfiltered: the whole journal") << false << "Петров" << 0 << 0;
        QTest::newRow("filtered: the view") << true << "Петров" << 7 << 0;
        QTest::newRow("filtered: empty view") << true << "Сидоров" << 10 << 3;
    }
    void removeAll()
    {
        QFETCH(bool, filtered);
        QFETCH(QString, name);
        QFETCH(int, leftInFile);
        QFETCH(int, petrovLeft);
        journal().setFiltered(filtered);
        setBoxes(name, {});
        QVERIFY(JournalDeletes::removeAll(journal()));
        QCOMPARE(countInFile(), leftInFile);
        QCOMPARE(countInFile(QStringLiteral("fio='Петров'")), petrovLeft);
        QVERIFY(journal().isEmpty());
        QCOMPARE(journal().state(), Dataset::State::Browse);
    }

    void emptyJournal()
    {
        QVERIFY(JournalDeletes::removeAll(journal()));
        QVERIFY(JournalDeletes::removeAll(journal()));
        QVERIFY(JournalDeletes::removeUngraded(journal(), false));
        QVERIFY(JournalDeletes::removeUngraded(journal(), true));
        QCOMPARE(countInFile(), 0);
    }

    // A failing delete deletes nothing at all; the error comes through and the view is the
    // one the check box shows.
    void failedDeleteDeletesNothing_data()
    {
        QTest::addColumn<bool>("checked");
        QTest::newRow("unchecked") << false;
        QTest::newRow("checked") << true;
    }
    void failedDeleteDeletesNothing()
    {
        QFETCH(bool, checked);
        m_course->raw(QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON jurnal "
                                     "WHEN old.fio = 'Петров' BEGIN "
                                     "SELECT RAISE(ABORT, 'record is locked'); END"));
        journal().setFiltered(checked);
        setBoxes(QString(), QStringLiteral("ПИ-1"));
        const QString nameAndGroup = journal().filterText();
        const int before = journal().recordCount();

        const QString error = errorOf([&] { JournalDeletes::removeUngraded(journal(), checked); });
        QVERIFY2(error.contains(QStringLiteral("record is locked")), qPrintable(error));
        QCOMPARE(countInFile(), int(std::size(Journal)));
        QCOMPARE(journal().isFiltered(), checked);
        QCOMPARE(journal().filterText(), nameAndGroup);
        QCOMPARE(journal().recordCount(), before);

        QVERIFY(!errorOf([&] { JournalDeletes::removeAll(journal()); }).isEmpty());
        QCOMPARE(countInFile(), int(std::size(Journal)));
        QCOMPARE(journal().recordCount(), before);
    }

    void cancelledDeleteDeletesNothing()
    {
        // Enough scattered records for the progress callback to be asked between chunks.
        m_course->raw(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 4999) "
            "INSERT INTO jurnal (fio, ocenka) "
            "SELECT CASE i % 2 WHEN 1 THEN 'Odd' ELSE 'Even' END, 0 FROM n"));
        Dataset& j = journal();
        j.refresh();
        const int total = countInFile();
        j.setFiltered(true);
        setBoxes(QStringLiteral("Odd"), QString());
        int calls = 0;
        QVERIFY(!JournalDeletes::removeAll(j, [&](qint64 done, qint64 all) {
            ++calls;
            return done < all / 2;
        }));
        QVERIFY(calls > 0);
        QCOMPARE(countInFile(), total);
        QCOMPARE(j.recordCount(), 2500);

        QVERIFY(!JournalDeletes::removeUngraded(j, true, [](qint64, qint64) { return false; }));
        QCOMPARE(countInFile(), total);
        QVERIFY(j.isFiltered());
        QCOMPARE(j.filterText(), QStringLiteral("fio='Odd'"));
        QCOMPARE(j.recordCount(), 2500);
    }
};

QTEST_GUILESS_MAIN(TestJournalFilter)
#include "tst_journalfilter.moc"
