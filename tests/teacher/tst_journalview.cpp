#include "teacher/DatasetJournal.h"
#include "teacher/JournalReport.h"
#include "teacher/JournalSnapshot.h"
#include "teacher/JournalText.h"
#include "teacher/JournalView.h"

#include "store/Dataset.h"
#include "store/DateValue.h"
#include "store/PasswordHash.h"
#include "store/TDataModule2.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The report and the export read the journal view of Tjurnal: the records as filtered, in the
// dataset's order, posting a pending edit first and leaving the current record on the last.
class TestJournalView : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TDataModule2> m_module;

    Dataset& jurnal() { return *m_module->Tjurnal; }

    void add(const QString& fio, const QString& gruppa, const QString& urok, int ocenka)
    {
        jurnal().insert();
        jurnal().setValue(QStringLiteral("fio"), fio);
        jurnal().setValue(QStringLiteral("gruppa"), gruppa);
        jurnal().setValue(QStringLiteral("urok"), urok);
        jurnal().setValue(QStringLiteral("ocenka"), ocenka);
        jurnal().setValue(QStringLiteral("data"),
                          QDateTime(QDate(2024, 10, ocenka % 28 + 1), QTime(0, 0)));
        jurnal().post();
    }

    QStringList fios(const JournalRowSource& rows)
    {
        QStringList out;
        for (int i = 0; i < rows.count(); ++i)
            out.append(rows.row(i).fio);
        return out;
    }

private slots:
    void initTestCase() { PasswordHash::setDefaultIterations(1000); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_module =
            std::make_unique<TDataModule2>(nullptr, m_dir->filePath(QStringLiteral("db1.sqlite")));
        m_module->DataModuleCreate();
        QVERIFY(jurnal().isActive());
    }

    void cleanup()
    {
        m_module.reset();
        m_dir.reset();
    }

    void filteredViewInItsOrder()
    {
        add(QStringLiteral("Петров"), QStringLiteral("ИТ-11"), QStringLiteral("Тема 1"), 10);
        add(QStringLiteral("Иванов"), QStringLiteral("ИТ-12"), QStringLiteral("Тема 1"), 20);
        add(QStringLiteral("Петров"), QStringLiteral("ИТ-12"), QStringLiteral("Тема 2"), 30);
        add(QStringLiteral("Сидоров"), QStringLiteral("ИТ-11"), QStringLiteral("Тема 2"), 40);
        add(QStringLiteral("Петров"), QStringLiteral("ИТ-11"), QStringLiteral("Тема 3"), 50);

        const auto all = JournalView::snapshot(jurnal());
        QCOMPARE(fios(*all), (QStringList{QStringLiteral("Петров"), QStringLiteral("Иванов"),
                                          QStringLiteral("Петров"), QStringLiteral("Сидоров"),
                                          QStringLiteral("Петров")}));

        jurnal().setFilterText(QStringLiteral("fio='Петров' and gruppa='ИТ-11'"));
        jurnal().setFiltered(true);
        const auto filtered = JournalView::snapshot(jurnal());
        QCOMPARE(filtered->count(), 2);
        const JournalRow first = filtered->row(0);
        QCOMPARE(first.urok, QStringLiteral("Тема 1"));
        QCOMPARE(first.ocenka, QStringLiteral("10"));
        QCOMPARE(first.gruppa, QStringLiteral("ИТ-11"));
        QCOMPARE(first.data, JournalText::date(QDateTime(QDate(2024, 10, 11), QTime(0, 0))));
        QCOMPARE(filtered->row(1).urok, QStringLiteral("Тема 3"));

        // The report prints exactly these rows.
        const JournalReport report(filtered);
        QCOMPARE(report.page(0).rowCount, 2);

        // A snapshot keeps what the view held when it was taken.
        add(QStringLiteral("Петров"), QStringLiteral("ИТ-11"), QStringLiteral("Тема 4"), 60);
        QCOMPARE(filtered->count(), 2);
    }

    void walkEndsOnTheLastRecord()
    {
        for (int i = 0; i < 4; ++i)
            add(QStringLiteral("Ученик %1").arg(i), QStringLiteral("Г"), QStringLiteral("Т"), i);
        jurnal().first();
        jurnal().next();
        QCOMPARE(jurnal().currentRow(), 1);
        // Taking the values alone does not move the current record.
        JournalView::snapshot(jurnal());
        QCOMPARE(jurnal().currentRow(), 1);
        JournalView::startWalk(jurnal());
        QCOMPARE(jurnal().currentRow(), 0);
        JournalView::snapshot(jurnal());
        JournalView::endWalk(jurnal());
        QCOMPARE(jurnal().currentRow(), 3);
        QCOMPARE(jurnal().value(QStringLiteral("fio")).toString(), QStringLiteral("Ученик 3"));
        QVERIFY(jurnal().eof());
    }

    void pendingEditIsPostedFirst()
    {
        add(QStringLiteral("Иванов"), QStringLiteral("ИТ-11"), QStringLiteral("Т"), 5);
        add(QStringLiteral("Петров"), QStringLiteral("ИТ-11"), QStringLiteral("Т"), 6);
        jurnal().last();
        jurnal().edit();
        jurnal().setValue(QStringLiteral("fio"), QStringLiteral("Петрова"));

        // The values as the grid shows them, the pending edit included...
        QCOMPARE(JournalView::snapshot(jurnal())->row(1).fio, QStringLiteral("Петрова"));
        QCOMPARE(jurnal().state(), Dataset::State::Edit);

        // ...and the report's walk posts it.
        JournalView::startWalk(jurnal());
        const auto rows = JournalView::snapshot(jurnal());
        QCOMPARE(jurnal().state(), Dataset::State::Browse);
        QCOMPARE(rows->row(1).fio, QStringLiteral("Петрова"));

        // It is in the database: a fresh module reads it back.
        m_module.reset();
        m_module =
            std::make_unique<TDataModule2>(nullptr, m_dir->filePath(QStringLiteral("db1.sqlite")));
        m_module->DataModuleCreate();
        jurnal().last();
        QCOMPARE(jurnal().value(QStringLiteral("fio")).toString(), QStringLiteral("Петрова"));
    }

    void liveViewReadsRowsAsAskedAndKeepsItsMoment_data()
    {
        QTest::addColumn<int>("change");
        QTest::newRow("delete") << 0;
        QTest::newRow("insert") << 1;
        QTest::newRow("edit") << 2;
        QTest::newRow("filter") << 3;
        QTest::newRow("read again") << 4;
        QTest::newRow("close") << 5;
    }

    void liveViewReadsRowsAsAskedAndKeepsItsMoment()
    {
        QFETCH(int, change);
        for (int i = 0; i < 6; ++i)
            add(QStringLiteral("Ученик %1").arg(i), QStringLiteral("Г%1").arg(i % 2),
                QStringLiteral("Т"), i);
        DatasetJournal view(jurnal());
        QCOMPARE(view.count(), 6);
        QCOMPARE(view.row(2).fio, QStringLiteral("Ученик 2"));
        QCOMPARE(view.row(5).ocenka, QStringLiteral("5"));
        // Moving the current record changes nothing in the view.
        jurnal().first();
        jurnal().next();
        QVERIFY(!view.isDetached());

        switch (change) {
        case 0:
            jurnal().moveTo(2);
            jurnal().remove();
            break;
        case 1:
            add(QStringLiteral("Новый"), QStringLiteral("Г"), QStringLiteral("Т"), 99);
            break;
        case 2:
            jurnal().moveTo(2);
            jurnal().edit();
            jurnal().setValue(QStringLiteral("fio"), QStringLiteral("Исправлено"));
            jurnal().post();
            break;
        case 3:
            jurnal().setFilterText(QStringLiteral("gruppa='Г1'"));
            jurnal().setFiltered(true);
            break;
        case 4:
            jurnal().refresh();
            break;
        case 5:
            jurnal().close();
            break;
        }
        QVERIFY(view.isDetached());
        QCOMPARE(view.count(), 6);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(view.row(i).fio, QStringLiteral("Ученик %1").arg(i));
    }

    void emptyView()
    {
        JournalView::startWalk(jurnal());
        const auto rows = JournalView::snapshot(jurnal());
        QCOMPARE(rows->count(), 0);
        JournalView::endWalk(jurnal());
        QVERIFY(jurnal().eof());
        const JournalReport report(rows);
        QCOMPARE(report.pageCount(), 1);
        QCOMPARE(report.page(0).rowCount, 1);
    }
};

QTEST_MAIN(TestJournalView)
#include "tst_journalview.moc"
