#include "FakeMediaDevice.h"
#include "viewer/LessonMedia.h"

#include <QTest>

// The sound and video commands with two recording devices: which device is opened, played and
// stopped, in which order, and how the check marks move.
class TestLessonMedia : public QObject
{
    Q_OBJECT

    const QString wav = QStringLiteral("root\\narration.wav");
    const QString avi = QStringLiteral("root\\video.avi");
    const QString mid = QStringLiteral("root\\melody.mid");
    const QString chosen = QStringLiteral("/elsewhere/chosen.mp3");

    static std::function<std::optional<QString>()> finds(std::optional<QString> path)
    {
        return [path] { return path; };
    }

private slots:
    void narrationFourTimes()
    {
        FakeMediaDevice p1, p2;
        LessonMedia media(&p1, &p2);
        QList<bool> marks;
        QList<bool> playing;
        for (int i = 0; i < 4; ++i) {
            media.narrationOnOff(wav);
            marks << media.narrationMark();
            playing << p1.playing;
        }
        QCOMPARE(marks, (QList<bool>{true, false, true, false}));
        QCOMPARE(playing, (QList<bool>{false, true, false, true}));
        // Every use reopens the file, so each playback starts at the beginning.
        QCOMPARE(p1.log, (QStringList{"open " + wav, "stop " + wav, "close " + wav, "open " + wav,
                                      "play " + wav, "close " + wav, "open " + wav, "stop " + wav,
                                      "close " + wav, "open " + wav, "play " + wav}));
        QVERIFY(p2.log.isEmpty());
    }

    void narrationWithoutFileDoesNothing()
    {
        FakeMediaDevice p1, p2;
        LessonMedia media(&p1, &p2);
        media.narrationOnOff(std::nullopt);
        QVERIFY(!media.narrationMark());
        QVERIFY(p1.log.isEmpty());
    }

    void narrationThatCannotOpenKeepsTheMark()
    {
        FakeMediaDevice p1, p2;
        p1.unreadable << wav;
        LessonMedia media(&p1, &p2);
        try {
            media.narrationOnOff(wav);
            QFAIL("no error");
        } catch (const LkError& e) {
            QCOMPARE(e.message(), "Cannot open " + wav);
        }
        QVERIFY(!media.narrationMark());
        QVERIFY(!p1.isOpen());
    }

    void narrationWhileVideoPlays()
    {
        FakeMediaDevice p1, p2;
        LessonMedia media(&p1, &p2);
        media.playVideo(avi);
        QVERIFY(p1.playing);
        media.narrationOnOff(wav); // mark clear: the video is closed, the narration stays stopped
        QCOMPARE(p1.log, (QStringList{"open " + avi, "play " + avi, "close " + avi, "open " + wav,
                                      "stop " + wav}));
        QVERIFY(!p1.playing);
        QVERIFY(media.narrationMark());
    }

    void videoClosesANarration()
    {
        FakeMediaDevice p1, p2;
        LessonMedia media(&p1, &p2);
        media.narrationOnOff(wav);
        media.narrationOnOff(wav); // now playing
        QVERIFY(p1.playing);
        p1.log.clear();
        media.playVideo(avi);
        QCOMPARE(p1.log, (QStringList{"close " + wav, "open " + avi, "play " + avi}));
        QCOMPARE(p1.openedFile(), avi);
        // A video that plays starts again from the beginning.
        p1.log.clear();
        media.playVideo(avi);
        QCOMPARE(p1.log, (QStringList{"close " + avi, "open " + avi, "play " + avi}));
        // The narration mark is the commands' own and stays as it was.
        QVERIFY(!media.narrationMark());
    }

    void melodyBeforeAnyChoice()
    {
        FakeMediaDevice p1, p2;
        LessonMedia media(&p1, &p2);
        for (bool expectedMark : {true, false, true}) {
            try {
                media.melodyOnOff(finds(std::nullopt));
                QFAIL("no error");
            } catch (const LkError& e) {
                QCOMPARE(e.message(), QStringLiteral("No MCI device open"));
            }
            // The mark was inverted before the device failed.
            QCOMPARE(media.melodyMark(), expectedMark);
        }
        QVERIFY(p2.log.isEmpty());
    }

    void lessonMelodyTwice()
    {
        FakeMediaDevice p1, p2;
        LessonMedia media(&p1, &p2);
        media.melodyOnOff(finds(mid));
        QVERIFY(media.melodyMark());
        QVERIFY(p2.playing);
        media.melodyOnOff(finds(mid));
        QVERIFY(!media.melodyMark());
        QVERIFY(!p2.playing);
        QCOMPARE(p2.log, (QStringList{"open " + mid, "play " + mid, "close " + mid, "open " + mid,
                                      "stop " + mid}));
        QVERIFY(p1.log.isEmpty());
    }

    void lessonMelodyThatCannotOpen()
    {
        FakeMediaDevice p1, p2;
        p2.unreadable << mid;
        LessonMedia media(&p1, &p2);
        QVERIFY_THROWS_EXCEPTION(LkError, media.melodyOnOff(finds(mid)));
        QVERIFY(media.melodyMark());
        QVERIFY(!p2.isOpen());
        QVERIFY(!p2.playing);
    }

    void chooseCancelled()
    {
        FakeMediaDevice p1, p2;
        LessonMedia media(&p1, &p2);
        media.chooseMelody(QString());
        QVERIFY(media.melodyMark());
        QVERIFY(p2.log.isEmpty());
        QVERIFY(p1.log.isEmpty());
    }

    void chooseConfirmed()
    {
        FakeMediaDevice p1, p2;
        LessonMedia media(&p1, &p2);
        media.chooseMelody(chosen);
        QVERIFY(media.melodyMark());
        QCOMPARE(p2.log, (QStringList{"open " + chosen, "play " + chosen}));
    }

    void chooseThatCannotOpenLeavesTheMark()
    {
        FakeMediaDevice p1, p2;
        p2.unreadable << chosen;
        LessonMedia media(&p1, &p2);
        QVERIFY_THROWS_EXCEPTION(LkError, media.chooseMelody(chosen));
        QVERIFY(!media.melodyMark());
        QVERIFY(!p2.isOpen());
    }

    void chosenMelodyOnLessonWithoutMelody()
    {
        FakeMediaDevice p1, p2;
        LessonMedia media(&p1, &p2);
        media.chooseMelody(chosen);
        p2.log.clear();
        media.melodyOnOff(finds(std::nullopt));
        QVERIFY(!media.melodyMark());
        QVERIFY(!p2.playing);
        media.melodyOnOff(finds(std::nullopt));
        QVERIFY(media.melodyMark());
        QVERIFY(p2.playing);
        // Stopped and resumed without reopening: the melody goes on where it stopped.
        QCOMPARE(p2.log, (QStringList{"stop " + chosen, "play " + chosen}));
    }

    void chosenMelodyOnLessonWithMelody()
    {
        FakeMediaDevice p1, p2;
        LessonMedia media(&p1, &p2);
        media.chooseMelody(chosen);
        p2.log.clear();
        media.melodyOnOff(finds(mid));
        QVERIFY(!media.melodyMark());
        QCOMPARE(p2.log, (QStringList{"close " + chosen, "open " + mid, "stop " + mid}));
        p2.log.clear();
        media.melodyOnOff(finds(mid));
        QVERIFY(media.melodyMark());
        QCOMPARE(p2.log, (QStringList{"close " + mid, "open " + mid, "play " + mid}));
    }

    void playersAreIndependent()
    {
        FakeMediaDevice p1, p2;
        LessonMedia media(&p1, &p2);
        media.chooseMelody(chosen);
        media.playVideo(avi);
        QVERIFY(p1.playing);
        QVERIFY(p2.playing);
    }
};

QTEST_GUILESS_MAIN(TestLessonMedia)
#include "tst_lessonmedia.moc"
