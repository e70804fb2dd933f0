// The opening screen's fade sequences, run on the fade arithmetic without a window.
#include "app/FadeState.h"

#include <QTest>

class TstFadeState : public QObject
{
    Q_OBJECT
private slots:
    void fadeInStopsAt250();
    void fadeOut_data();
    void fadeOut();
};

void TstFadeState::fadeInStopsAt250()
{
    FadeState fade;
    QCOMPARE(fade.value(), 0);
    QVERIFY(fade.fadeInRunning());
    QVERIFY(!fade.fadeOutRunning());
    int ticks = 0;
    QList<int> values;
    while (fade.fadeInRunning() && ticks < 100) {
        fade.fadeInTick();
        values << fade.value();
        ++ticks;
    }
    QCOMPARE(ticks, 25);
    QCOMPARE(fade.value(), 250);
    QCOMPARE(values.first(), 10);
    QCOMPARE(values.at(23), 240); // still running at 240: only a value above 240 stops it
}

void TstFadeState::fadeOut_data()
{
    QTest::addColumn<int>("fadeInTicks");   // fade-in ticks before the click
    QTest::addColumn<int>("secondClickAt"); // fade-out step after which a second click comes, or -1
    QTest::addColumn<int>("handOverStep");
    QTest::addColumn<int>("handOverValue");

    QTest::newRow("entry when fully in") << 30 << -1 << 22 << 30;
    QTest::newRow("entry during fade-in at 100") << 10 << -1 << 7 << 30;
    QTest::newRow("entry at 40") << 4 << -1 << 1 << 30;
    QTest::newRow("entry at 30") << 3 << -1 << 1 << 20;
    QTest::newRow("entry at 0") << 0 << -1 << 1 << 0;
    QTest::newRow("entry at 10, not below 0") << 1 << -1 << 1 << 0;
    QTest::newRow("second click during fade-out") << 30 << 5 << 22 << 30;
}

void TstFadeState::fadeOut()
{
    QFETCH(int, fadeInTicks);
    QFETCH(int, secondClickAt);
    QFETCH(int, handOverStep);
    QFETCH(int, handOverValue);

    FadeState fade;
    for (int i = 0; i < fadeInTicks && fade.fadeInRunning(); ++i)
        fade.fadeInTick();
    const int start = fade.value();
    fade.enter();
    QVERIFY(fade.fadeOutRunning());

    int step = 0;
    int handedOverAt = -1;
    int expected = start;
    while (fade.fadeOutRunning() && step < 100) {
        ++step;
        const bool handOver = fade.fadeOutTick();
        // The first fade-out tick ends a fade-in still under way.
        QVERIFY(!fade.fadeInRunning());
        expected = qMax(0, expected - 10);
        QCOMPARE(int(fade.value()), expected);
        if (handOver) {
            handedOverAt = step;
            QCOMPARE(int(fade.value()), handOverValue);
            fade.finishFadeOut();
        } else {
            QVERIFY(fade.value() >= 40);
        }
        if (step == secondClickAt)
            fade.enter();
    }
    QCOMPARE(handedOverAt, handOverStep);
    QVERIFY(!fade.fadeOutRunning());
}

QTEST_APPLESS_MAIN(TstFadeState)
#include "tst_fadestate.moc"
