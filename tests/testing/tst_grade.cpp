#include "testing/Grade.h"

#include <QTest>

class TestGrade : public QObject
{
    Q_OBJECT
private slots:
    // Right answers out of 40: percentage and grade, ties to the even integer.
    void fortySlots_data()
    {
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("grade");
        const int table[41][2] = {{0, 0},  {2, 0},  {5, 0},  {8, 0},  {10, 0}, {12, 1}, {15, 1},
                                  {18, 1}, {20, 1}, {22, 1}, {25, 1}, {28, 1}, {30, 2}, {32, 2},
                                  {35, 2}, {38, 2}, {40, 2}, {42, 2}, {45, 2}, {48, 2}, {50, 2},
                                  {52, 3}, {55, 3}, {58, 3}, {60, 3}, {62, 3}, {65, 3}, {68, 3},
                                  {70, 4}, {72, 4}, {75, 4}, {78, 4}, {80, 4}, {82, 4}, {85, 4},
                                  {88, 4}, {90, 4}, {92, 5}, {95, 5}, {98, 5}, {100, 5}};
        for (int r = 0; r <= 40; ++r)
            QTest::addRow("%d right", r) << r << table[r][0] << table[r][1];
    }
    void fortySlots()
    {
        QFETCH(int, right);
        QFETCH(int, percent);
        QFETCH(int, grade);
        const Grade g = Grade::of(right, 40 - right);
        QCOMPARE(g.percent, std::int64_t(percent));
        QCOMPARE(g.grade, std::int64_t(grade));
    }

    // Runs of fewer slots, where the quotient is not a multiple of 1/40.
    void otherTotals_data()
    {
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("wrong");
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("grade");
        QTest::newRow("nothing to report") << 0 << 0 << 0 << 0;
        QTest::newRow("1 of 1") << 1 << 0 << 100 << 5;
        QTest::newRow("1 of 2: 50, 2.5") << 1 << 1 << 50 << 2;
        QTest::newRow("1 of 3: 33.3, 1.67") << 1 << 2 << 33 << 2;
        QTest::newRow("2 of 3: 66.7, 3.33") << 2 << 1 << 67 << 3;
        QTest::newRow("3 of 4: 75, 3.75") << 3 << 1 << 75 << 4;
        QTest::newRow("1 of 8: 12.5, 0.625") << 1 << 7 << 12 << 1;
        QTest::newRow("3 of 8: 37.5, 1.875") << 3 << 5 << 38 << 2;
        QTest::newRow("1 of 10: 10, 0.5") << 1 << 9 << 10 << 0;
        QTest::newRow("3 of 10: 30, 1.5") << 3 << 7 << 30 << 2;
        QTest::newRow("7 of 10: 70, 3.5") << 7 << 3 << 70 << 4;
        QTest::newRow("9 of 10: 90, 4.5") << 9 << 1 << 90 << 4;
        QTest::newRow("1 of 200: 0.5") << 1 << 199 << 0 << 0;
        QTest::newRow("3 of 200: 1.5") << 3 << 197 << 2 << 0;
        QTest::newRow("large counts") << 2147483647 << 2147483647 << 50 << 2;
    }
    void otherTotals()
    {
        QFETCH(int, right);
        QFETCH(int, wrong);
        QFETCH(int, percent);
        QFETCH(int, grade);
        const Grade g = Grade::of(right, wrong);
        QCOMPARE(g.percent, std::int64_t(percent));
        QCOMPARE(g.grade, std::int64_t(grade));
    }
};

QTEST_APPLESS_MAIN(TestGrade)
#include "tst_grade.moc"
