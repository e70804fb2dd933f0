#include "LessonMedia.h"

#include "MediaDevice.h"

void LessonMedia::setDevices(MediaDevice* player1, MediaDevice* player2)
{
    m_player1 = player1;
    m_player2 = player2;
}

void LessonMedia::playVideo(const QString& path)
{
    m_player1->setFileName(path);
    m_player1->open();
    m_player1->play();
}

void LessonMedia::narrationOnOff(const std::optional<QString>& path)
{
    if (!path)
        return;
    m_player1->setFileName(*path);
    m_player1->open();
    if (m_narrationMark)
        m_player1->play();
    else
        m_player1->stop();
    m_narrationMark = !m_narrationMark;
}

void LessonMedia::melodyOnOff(const std::function<std::optional<QString>()>& lookup)
{
    m_melodyMark = !m_melodyMark;
    if (const std::optional<QString> path = lookup()) {
        m_player2->setFileName(*path);
        m_player2->open();
    }
    if (m_melodyMark)
        m_player2->play();
    else
        m_player2->stop();
}

void LessonMedia::chooseMelody(const QString& path)
{
    if (!path.isEmpty()) {
        m_player2->setFileName(path);
        m_player2->open();
        m_player2->play();
    }
    m_melodyMark = true;
}
