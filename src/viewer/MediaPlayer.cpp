#include "MediaPlayer.h"

#include "store/CoursePath.h"
#include "store/LkError.h"

#include <QAudioOutput>
#include <QEventLoop>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>
#include <QVideoWidget>

MediaPlayer::MediaPlayer(const QString& name, QObject* parent)
    : QObject(parent), m_videoWindow(std::make_unique<QVideoWidget>()),
      m_audio(std::make_unique<QAudioOutput>()), m_player(std::make_unique<QMediaPlayer>())
{
    setObjectName(name);
    m_videoWindow->setObjectName(name + QStringLiteral("Video"));
    m_videoWindow->resize(480, 360);
    m_player->setAudioOutput(m_audio.get());
    m_player->setVideoOutput(m_videoWindow.get());
}

MediaPlayer::~MediaPlayer()
{
    m_player->stop();
}

void MediaPlayer::close()
{
    m_open = false;
    m_player->stop();
    m_player->setSource(QUrl());
    m_videoWindow->hide();
}

void MediaPlayer::open()
{
    close();

    // The media system loads in the background and reports the outcome later (or at once,
    // from within setSource); the first error it reports is the one that tells why.
    QEventLoop loop;
    QString firstError;
    auto settled = [this, &firstError] {
        const auto status = m_player->mediaStatus();
        return !firstError.isEmpty() || status == QMediaPlayer::LoadedMedia ||
               status == QMediaPlayer::BufferedMedia || status == QMediaPlayer::BufferingMedia ||
               status == QMediaPlayer::InvalidMedia;
    };
    const auto onError = connect(m_player.get(), &QMediaPlayer::errorOccurred, &loop,
                                 [&](QMediaPlayer::Error, const QString& text) {
                                     if (firstError.isEmpty())
                                         firstError =
                                             text.isEmpty() ? QStringLiteral("Media error") : text;
                                     loop.quit();
                                 });
    connect(m_player.get(), &QMediaPlayer::mediaStatusChanged, &loop, [&] {
        if (settled())
            loop.quit();
    });
    m_player->setSource(QUrl::fromLocalFile(CoursePath::toLocal(m_fileName)));

    bool timedOut = false;
    if (!settled()) {
        QTimer timeout;
        timeout.setSingleShot(true);
        connect(&timeout, &QTimer::timeout, &loop, [&] {
            timedOut = true;
            loop.quit();
        });
        timeout.start(OpenTimeout);
        // Clicks and keys wait until the device has answered.
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    disconnect(onError);

    QString failure = firstError;
    if (failure.isEmpty() && m_player->mediaStatus() == QMediaPlayer::InvalidMedia)
        failure = QStringLiteral("The file cannot be played");
    if (failure.isEmpty() && timedOut)
        failure = QStringLiteral("The media device did not answer in time");
    if (!failure.isEmpty()) {
        close();
        throw LkError(failure, LkErrorKind::Media);
    }
    m_open = true;
}

void MediaPlayer::requireOpen() const
{
    if (!m_open)
        throw LkError(notOpenMessage(), LkErrorKind::Media);
}

void MediaPlayer::play()
{
    requireOpen();
    if (m_player->mediaStatus() == QMediaPlayer::EndOfMedia)
        m_player->setPosition(0);
    if (m_player->hasVideo()) {
        m_videoWindow->setWindowTitle(QFileInfo(CoursePath::toLocal(m_fileName)).fileName());
        m_videoWindow->show();
        m_videoWindow->raise();
    }
    m_player->play();
}

void MediaPlayer::stop()
{
    requireOpen();
    // Stopping keeps the position, so the next play goes on from there.
    m_player->pause();
}

bool MediaPlayer::isPlaying() const
{
    return m_player->playbackState() == QMediaPlayer::PlayingState;
}

qint64 MediaPlayer::position() const
{
    return m_player->position();
}
