#include "SoundSamples.h"
#include "store/LkError.h"
#include "viewer/MediaPlayer.h"

#include <QFile>
#include <QMediaPlayer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVideoWidget>

// The media devices over the real media system, offscreen (no sound card is needed): files
// written by the test are opened, played, stopped and played again.
class TestMediaPlayer : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    static QString errorOf(const std::function<void()>& f)
    {
        try {
            f();
        } catch (const LkError& e) {
            return e.message();
        }
        return {};
    }

private slots:
    void closedDevice()
    {
        MediaPlayer player(QStringLiteral("MediaPlayer1"));
        QVERIFY(!player.isOpen());
        QCOMPARE(errorOf([&] { player.play(); }), QStringLiteral("No MCI device open"));
        QCOMPARE(errorOf([&] { player.stop(); }), QStringLiteral("No MCI device open"));
    }

    void playsToTheEndAndAgain_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("wave") << QStringLiteral("short.wav") << SoundSamples::wave(300);
        QTest::newRow("midi") << QStringLiteral("short.mid") << SoundSamples::midi(48);
        QTest::newRow("karaoke") << QStringLiteral("short.kar") << SoundSamples::midi(48);
    }
    void playsToTheEndAndAgain()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        MediaPlayer player(QStringLiteral("MediaPlayer2"));
        player.setFileName(write(name, bytes));
        player.open();
        QVERIFY(player.isOpen());
        QVERIFY(!player.isPlaying());
        QCOMPARE(player.position(), 0);
        QVERIFY(player.player()->duration() > 0);

        auto endings = [](const QSignalSpy& statuses) {
            return std::count_if(statuses.begin(), statuses.end(), [](const QList<QVariant>& s) {
                return s.at(0).value<QMediaPlayer::MediaStatus>() == QMediaPlayer::EndOfMedia;
            });
        };
        QSignalSpy statuses(player.player(), &QMediaPlayer::mediaStatusChanged);
        player.play(); // returns at once
        QVERIFY(player.isPlaying());
        QTRY_COMPARE_WITH_TIMEOUT(endings(statuses), 1, 15000);
        QVERIFY(!player.isPlaying());

        // Once at the end, play starts again from the beginning and plays to the end again.
        const qint64 duration = player.player()->duration();
        QSignalSpy positions(player.player(), &QMediaPlayer::positionChanged);
        player.play();
        QTRY_COMPARE_WITH_TIMEOUT(endings(statuses), 2, 15000);
        QVERIFY(std::any_of(positions.begin(), positions.end(), [&](const QList<QVariant>& p) {
            return p.at(0).toLongLong() < duration / 2;
        }));
        QVERIFY(!player.player()->hasVideo());
        QVERIFY(!player.videoWindow()->isVisible());
    }

    void stopKeepsThePlace()
    {
        MediaPlayer player(QStringLiteral("MediaPlayer1"));
        player.setFileName(write(QStringLiteral("long.wav"), SoundSamples::wave(4000)));
        player.open();
        player.play();
        QTRY_VERIFY_WITH_TIMEOUT(player.position() >= 300, 10000);
        player.stop();
        QTRY_VERIFY(!player.isPlaying());
        const qint64 stoppedAt = player.position();
        QVERIFY(stoppedAt >= 300);
        QTest::qWait(200);
        QVERIFY(qAbs(player.position() - stoppedAt) < 100);
        player.play();
        QTRY_VERIFY_WITH_TIMEOUT(player.position() > stoppedAt + 100, 10000);

        // Opening again closes what was open and starts at the beginning, stopped.
        player.open();
        QVERIFY(!player.isPlaying());
        QCOMPARE(player.position(), 0);
    }

    void openFailures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // empty: no such file
        QTest::newRow("missing") << QStringLiteral("missing.wav") << QByteArray();
        QTest::newRow("not a sound")
            << QStringLiteral("text.wav") << QByteArray("this is no sound at all\n").repeated(40);
    }
    void openFailures()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString path = bytes.isEmpty() ? dir.filePath(name) : write(name, bytes);
        MediaPlayer player(QStringLiteral("MediaPlayer1"));
        player.setFileName(write(QStringLiteral("good.wav"), SoundSamples::wave(200)));
        player.open();
        player.setFileName(path);
        // The media system's own text, and the device left closed.
        const QString error = errorOf([&] { player.open(); });
        QVERIFY(!error.isEmpty());
        QVERIFY(!player.isOpen());
        QCOMPARE(errorOf([&] { player.play(); }), QStringLiteral("No MCI device open"));
    }

    void videoInItsOwnWindow()
    {
        const QString video = qEnvironmentVariable("LK_SOURCE_DIR") + "/demo/video/computer.avi";
        if (!QFile::exists(video))
            QSKIP("the demo course's video is not there");
        MediaPlayer player(QStringLiteral("MediaPlayer1"));
        player.setFileName(video);
        player.open();
        QVERIFY(player.player()->hasVideo());
        QVERIFY(!player.videoWindow()->isVisible());
        player.play();
        QVERIFY(player.videoWindow()->isVisible());
        QVERIFY(player.videoWindow()->isWindow());
        QTRY_VERIFY_WITH_TIMEOUT(player.position() > 0, 10000);
        // A sound opened on the same device closes the video and its window.
        player.setFileName(write(QStringLiteral("after.wav"), SoundSamples::wave(200)));
        player.open();
        QVERIFY(!player.videoWindow()->isVisible());
    }
};

QTEST_MAIN(TestMediaPlayer)
#include "tst_mediaplayer.moc"
