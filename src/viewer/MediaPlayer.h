#pragma once

#include "MediaDevice.h"

#include <QObject>

#include <memory>

class QAudioOutput;
class QMediaPlayer;
class QVideoWidget;

// A media device over Qt Multimedia: sound through the default audio output, and video in a
// window of its own, shown when a video plays. Opening waits until the media system has loaded
// the file or refused it, so that a file it cannot play is reported by open, as the commands
// expect; play and stop never wait.
class MediaPlayer : public QObject, public MediaDevice
{
    Q_OBJECT
public:
    explicit MediaPlayer(const QString& name, QObject* parent = nullptr);
    ~MediaPlayer() override;

    void setFileName(const QString& path) override { m_fileName = path; }
    QString fileName() const override { return m_fileName; }
    bool isOpen() const override { return m_open; }
    void open() override;
    void play() override;
    void stop() override;

    // Ends playback and releases the file.
    void close();

    bool isPlaying() const;
    qint64 position() const;
    QMediaPlayer* player() const { return m_player.get(); }
    // The window a video is shown in (created with the device, hidden until a video plays).
    QVideoWidget* videoWindow() const { return m_videoWindow.get(); }

    // How long open waits for the media system, in milliseconds.
    static constexpr int OpenTimeout = 15000;

private:
    void requireOpen() const;

    QString m_fileName;
    bool m_open = false;
    std::unique_ptr<QVideoWidget> m_videoWindow;
    std::unique_ptr<QAudioOutput> m_audio;
    std::unique_ptr<QMediaPlayer> m_player;
};
