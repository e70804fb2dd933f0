#pragma once

#include <QString>

#include <functional>
#include <optional>

class MediaDevice;

// The sound and video commands of the main menu over two media devices: the first for the
// lesson's video and narration, the second, independent one for the melody. It keeps the check
// marks of "Вкл\выкл звук" (narration) and "Вкл\Выкл. Мелодию" (melody), which only these
// commands change. Errors of the devices propagate; the steps before them stay done.
class LessonMedia
{
public:
    LessonMedia(MediaDevice* player1, MediaDevice* player2) : m_player1(player1), m_player2(player2)
    {}

    void setDevices(MediaDevice* player1, MediaDevice* player2);
    MediaDevice* player1() const { return m_player1; }
    MediaDevice* player2() const { return m_player2; }

    // The video command after a successful lookup: reopens the first device on the file and
    // plays it, which ends a narration and restarts a video.
    void playVideo(const QString& path);

    // Narration on/off: with a file, reopens the first device on it, plays it when the mark is
    // set and stops it otherwise, then inverts the mark. Without a file nothing happens.
    void narrationOnOff(const std::optional<QString>& path);

    // Melody on/off: inverts the mark, then reopens the second device on the lesson's melody
    // when the lookup finds one, then plays (mark set) or stops (mark clear) the second device,
    // whatever it holds.
    void melodyOnOff(const std::function<std::optional<QString>()>& lookup);

    // A melody chosen by the student (empty when the dialog was cancelled): opened and played on
    // the second device; then the melody mark is set, also after a cancel.
    void chooseMelody(const QString& path);

    bool narrationMark() const { return m_narrationMark; }
    bool melodyMark() const { return m_melodyMark; }

private:
    MediaDevice* m_player1;
    MediaDevice* m_player2;
    bool m_narrationMark = false;
    bool m_melodyMark = false;
};
