#pragma once

#include "store/LkError.h"
#include "viewer/MediaDevice.h"

#include <QSet>
#include <QStringList>

// A media device that plays nothing and writes down what is asked of it. Files named in
// `unreadable` fail to open with a media error.
class FakeMediaDevice : public MediaDevice
{
public:
    QStringList log;
    QSet<QString> unreadable;
    bool playing = false;

    void setFileName(const QString& path) override { m_file = path; }
    QString fileName() const override { return m_file; }
    bool isOpen() const override { return !m_opened.isEmpty(); }
    QString openedFile() const { return m_opened; }

    void open() override
    {
        if (isOpen())
            log << QStringLiteral("close ") + m_opened;
        m_opened.clear();
        playing = false;
        if (unreadable.contains(m_file))
            throw LkError(QStringLiteral("Cannot open ") + m_file, LkErrorKind::Media);
        m_opened = m_file;
        log << QStringLiteral("open ") + m_opened;
    }
    void play() override
    {
        if (!isOpen())
            throw LkError(notOpenMessage(), LkErrorKind::Media);
        playing = true;
        log << QStringLiteral("play ") + m_opened;
    }
    void stop() override
    {
        if (!isOpen())
            throw LkError(notOpenMessage(), LkErrorKind::Media);
        playing = false;
        log << QStringLiteral("stop ") + m_opened;
    }

private:
    QString m_file;
    QString m_opened;
};
