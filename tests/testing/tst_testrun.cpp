#include "store/LkError.h"
#include "testing/TestRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

namespace {

// Writes a key of the given letters (one per line, ' ' for a line without a letter) into
// folder/otwet.txt under root and returns the test value that names the folder.
QString writeKey(const QString& root, const QString& folder, const QByteArray& letters)
{
    QDir(root).mkpath(folder);
    QFile file(root + "/" + folder + "/otwet.txt");
    if (!file.open(QIODevice::WriteOnly))
        return {};
    for (char letter : letters)
        file.write(QByteArray(1, letter) + "\r\n");
    return folder + "\\1.htm";
}

QByteArray repeated(const char* pattern, int count)
{
    QByteArray out;
    while (out.size() < count)
        out += pattern;
    return out.left(count);
}

} // namespace

class TestTestRun : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString root() const { return m_dir.path(); }

    static TestRun seededRun(std::uint64_t seed = 42)
    {
        TestRun run;
        run.setSeedSource([seed]() mutable { return seed++; });
        return run;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void freshRunShowsNothing()
    {
        TestRun run;
        QVERIFY(!run.isRunning());
        QCOMPARE(run.currentSlot(), 0);
        QCOMPARE(run.finish(), TestRun::FinishOutcome::NoRun);
        QCOMPARE(run.right() + run.wrong(), 0);
        QVERIFY(!run.gradeRecordDue());
        QVERIFY(!run.openSlot(1));
        run.chooseOption(1);
        QCOMPARE(int(run.slot(1).chosen), 0);
    }

    // Each slot draws a question from the whole pool, uniformly and independently.
    void drawIsUniformAndIndependent()
    {
        constexpr int pool = 10;
        const QString value = writeKey(root(), "uniform", repeated("ABCDE", pool));
        TestRun run = seededRun(7);
        std::vector<int> single(pool + 1, 0);
        std::vector<int> pairs(pool * pool, 0);
        int draws = 0;
        for (int start = 0; start < 2000; ++start) {
            run.start(root(), value);
            QCOMPARE(run.drawnCount(), pool);
            int previous = 0;
            for (int k = 1; k <= pool; ++k) {
                const int q = run.slot(k).question;
                QVERIFY2(q >= 1 && q <= pool, qPrintable(QString::number(q)));
                QCOMPARE(run.slot(k).correct, run.key().answer(q));
                ++single[std::size_t(q)];
                if (previous != 0)
                    ++pairs[std::size_t((previous - 1) * pool + (q - 1))];
                previous = q;
                ++draws;
            }
            run.finish();
        }
        // Chi-square against uniform; the bounds are the 0.999 quantiles for 9 and 99 degrees
        // of freedom. The seeds are fixed, so the outcome is too.
        const double expected = double(draws) / pool;
        double chi = 0;
        for (int q = 1; q <= pool; ++q)
            chi += (single[std::size_t(q)] - expected) * (single[std::size_t(q)] - expected) /
                   expected;
        QVERIFY2(chi < 27.88, qPrintable(QString::number(chi)));

        int pairCount = 0;
        for (int n : pairs)
            pairCount += n;
        const double expectedPair = double(pairCount) / (pool * pool);
        double chiPairs = 0;
        for (int n : pairs)
            chiPairs += (n - expectedPair) * (n - expectedPair) / expectedPair;
        QVERIFY2(chiPairs < 148.23, qPrintable(QString::number(chiPairs)));
    }

    void seedTakenAtEveryStart()
    {
        const QString value = writeKey(root(), "seeds", repeated("ABCDE", 40));
        int calls = 0;
        TestRun run;
        run.setSeedSource([&calls] { return std::uint64_t(++calls % 2); });
        run.start(root(), value);
        std::vector<int> first;
        for (int k = 1; k <= 40; ++k)
            first.push_back(run.slot(k).question);
        run.finish();
        run.start(root(), value);
        run.finish();
        run.start(root(), value);
        QCOMPARE(calls, 3);
        std::vector<int> third;
        for (int k = 1; k <= 40; ++k)
            third.push_back(run.slot(k).question);
        QCOMPARE(third, first); // same seed, same draw
    }

    // A short test draws slots 1..N only; the slots beyond keep what an earlier run left, but
    // neither count nor open.
    void slotsBeyondTheDrawUntouched()
    {
        const QString longTest = writeKey(root(), "long", repeated("E", 40));
        const QString shortTest = writeKey(root(), "short", QByteArray("ABC"));
        TestRun run = seededRun();
        run.start(root(), longTest);
        std::vector<TestRun::Slot> before;
        for (int k = 1; k <= 40; ++k)
            before.push_back(run.slot(k));
        run.finish();

        run.start(root(), shortTest);
        QCOMPARE(run.drawnCount(), 3);
        for (int k = 1; k <= 3; ++k)
            QVERIFY(run.slot(k).question >= 1 && run.slot(k).question <= 3);
        for (int k = 4; k <= 40; ++k) {
            QCOMPARE(run.slot(k).question, before[std::size_t(k - 1)].question);
            QCOMPARE(run.slot(k).correct, OptionCode(5));
            QVERIFY(!run.numberButtonEnabled(k));
            QVERIFY(!run.openSlot(k));
        }
        QVERIFY(run.numberButtonEnabled(3));
        // Answer every drawn slot right: the stale slots do not spoil the result.
        for (int k = 1; k <= 3; ++k) {
            QVERIFY(run.openSlot(k));
            run.chooseOption(run.slot(k).correct);
        }
        QCOMPARE(run.finish(), TestRun::FinishOutcome::Counted);
        QCOMPARE(run.right(), 3);
        QCOMPARE(run.wrong(), 0);
    }

    void poolLargerThanFortySlots()
    {
        const QString value = writeKey(root(), "pool", repeated("ABCDE", 300));
        TestRun run = seededRun(3);
        run.start(root(), value);
        QCOMPARE(run.key().questionCount(), 300);
        QCOMPARE(run.drawnCount(), 40);
        int maximum = 0;
        for (int k = 1; k <= 40; ++k) {
            const auto& slot = run.slot(k);
            QVERIFY(slot.question >= 1 && slot.question <= 300);
            QCOMPARE(int(slot.correct), (slot.question - 1) % 5 + 1);
            maximum = std::max(maximum, slot.question);
        }
        QVERIFY(maximum > 40); // the pool is used beyond its first forty lines
        run.finish();
        QCOMPARE(run.right() + run.wrong(), 40);
    }

    void scoring()
    {
        // Line 4 carries no letter: its correct option is 0, so leaving it unanswered is right.
        const QString value = writeKey(root(), "score", QByteArray("ABC DE"));
        TestRun run = seededRun(11);
        run.start(root(), value);
        QCOMPARE(run.drawnCount(), 6);
        int expectedRight = 0;
        for (int k = 1; k <= 6; ++k) {
            const auto& slot = run.slot(k);
            if (k % 2 == 0) {
                QVERIFY(run.openSlot(k));
                run.chooseOption(slot.correct == 0 ? 1 : slot.correct);
                expectedRight += slot.correct != 0;
            } else if (k == 3) {
                QVERIFY(run.openSlot(k));
                run.chooseOption(slot.correct % 5 + 1); // a wrong mark
            } else {
                expectedRight += slot.correct == 0; // unanswered
            }
        }
        QCOMPARE(run.finish(), TestRun::FinishOutcome::Counted);
        QCOMPARE(run.right(), expectedRight);
        QCOMPARE(run.wrong(), 6 - expectedRight);
        QVERIFY(run.gradeRecordDue());
    }

    // A new mark replaces the old; the option fonts follow the current slot's mark.
    void marksAndFonts()
    {
        const QString value = writeKey(root(), "marks", repeated("AB", 12));
        TestRun run = seededRun();
        run.start(root(), value);
        QVERIFY(run.isRunning());
        for (int k = 1; k <= 5; ++k)
            QVERIFY(!run.optionRed(k));

        QVERIFY(run.openSlot(2));
        QVERIFY(run.numberButtonRed(2));
        QVERIFY(!run.numberButtonRed(1));
        run.chooseOption(3);
        run.chooseOption(5);
        QCOMPARE(int(run.slot(2).chosen), 5);
        QVERIFY(run.optionRed(5));
        QVERIFY(!run.optionRed(3));

        QVERIFY(run.openSlot(7));
        QCOMPARE(run.currentSlot(), 7);
        for (int k = 1; k <= 5; ++k)
            QVERIFY(!run.optionRed(k));
        QVERIFY(run.numberButtonRed(2)); // stays red for the rest of the run
        QVERIFY(run.openSlot(2));
        QVERIFY(run.optionRed(5));
        QCOMPARE(run.currentPagePath(),
                 root() + "\\marks\\" + QString::number(run.slot(2).question) + ".htm");

        run.finish();
        for (int k = 1; k <= 5; ++k)
            QVERIFY(!run.optionRed(k));
        QVERIFY(run.numberButtonRed(7)); // until the next Start

        run.start(root(), value);
        QVERIFY(!run.numberButtonRed(7));
        QVERIFY(!run.numberButtonRed(2));
        QCOMPARE(int(run.slot(2).chosen), 0);
    }

    // Start clears the current slot: an option pressed before the first number button of the
    // new run marks nothing.
    void startClearsCurrentSlot()
    {
        const QString value = writeKey(root(), "current", repeated("C", 5));
        TestRun run = seededRun();
        run.start(root(), value);
        QVERIFY(run.openSlot(4));
        run.finish();
        run.start(root(), value);
        QCOMPARE(run.currentSlot(), 0);
        QVERIFY(run.currentPagePath().isEmpty());
        run.chooseOption(3);
        for (int k = 1; k <= 40; ++k)
            QCOMPARE(int(run.slot(k).chosen), 0);
    }

    // A run ends at Finish: marks after it change nothing, a second Finish does not count
    // again, and the grade record is due once.
    void finishEndsTheRun()
    {
        const QString value = writeKey(root(), "finish", repeated("D", 4));
        TestRun run = seededRun();
        run.start(root(), value);
        QVERIFY(run.openSlot(1));
        run.chooseOption(4);
        QCOMPARE(run.finish(), TestRun::FinishOutcome::Counted);
        QCOMPARE(run.right(), 1);
        QCOMPARE(run.wrong(), 3);
        QVERIFY(!run.isRunning());

        QVERIFY(!run.openSlot(2));
        run.chooseOption(1);
        QCOMPARE(int(run.slot(1).chosen), 4);
        QCOMPARE(run.finish(), TestRun::FinishOutcome::AlreadyCounted);
        QCOMPARE(run.right(), 1);
        QCOMPARE(run.wrong(), 3);

        QVERIFY(run.gradeRecordDue());
        run.markGradeRecorded();
        QVERIFY(!run.gradeRecordDue());
        QCOMPARE(run.finish(), TestRun::FinishOutcome::AlreadyCounted);
        QVERIFY(!run.gradeRecordDue());

        // A new Start empties the counts; nothing is due until its Finish.
        run.start(root(), value);
        QCOMPARE(run.right() + run.wrong(), 0);
        QVERIFY(!run.gradeRecordDue());
        run.finish();
        QVERIFY(run.gradeRecordDue());
    }

    void emptyKeyHasNothingToReport()
    {
        const QString value = writeKey(root(), "emptykey", QByteArray());
        TestRun run = seededRun();
        run.start(root(), value);
        QVERIFY(run.isRunning());
        QCOMPARE(run.drawnCount(), 0);
        QVERIFY(!run.numberButtonEnabled(1));
        QCOMPARE(run.finish(), TestRun::FinishOutcome::Counted);
        QCOMPARE(run.right() + run.wrong(), 0);
        QVERIFY(!run.gradeRecordDue());
    }

    // A Start that fails has cleared the marks, counts and fonts, and leaves the run idle with
    // the slots' questions as they were.
    void failedStart_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("Null") << QVariant()
                              << "Could not convert variant of type (Null) into type (String)";
        QTest::newRow("missing folder") << QVariant("nowhere\\1.htm") << "Invalid filename";
    }
    void failedStart()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, message);
        const QString good = writeKey(root(), "good", repeated("BE", 8));
        TestRun run = seededRun();
        run.start(root(), good);
        QVERIFY(run.openSlot(3));
        run.chooseOption(2);
        run.finish();
        const auto before = run.slot(3);

        try {
            run.start(root(), value);
            QFAIL("no error");
        } catch (const LkError& error) {
            QCOMPARE(error.message(), message);
        }
        QVERIFY(!run.isRunning());
        QCOMPARE(run.right() + run.wrong(), 0);
        QCOMPARE(int(run.slot(3).chosen), 0);
        QCOMPARE(run.slot(3).question, before.question);
        QCOMPARE(run.slot(3).correct, before.correct);
        QVERIFY(!run.numberButtonRed(3));
        QCOMPARE(run.currentSlot(), 0);
        QCOMPARE(run.key().questionCount(), 8);
        QCOMPARE(run.finish(), TestRun::FinishOutcome::NoRun);
        QVERIFY(!run.gradeRecordDue());
    }
};

QTEST_GUILESS_MAIN(TestTestRun)
#include "tst_testrun.moc"
