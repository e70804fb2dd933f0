#pragma once

#include <QString>

// One media device as the lesson commands use it: a file name, and open / play / stop.
// A device is closed until an open succeeds; a failed open leaves it closed.
class MediaDevice
{
public:
    virtual ~MediaDevice() = default;

    virtual void setFileName(const QString& path) = 0;
    virtual QString fileName() const = 0;
    virtual bool isOpen() const = 0;

    // Closes the device first (ending any playback), then opens its file, stopped at the
    // beginning. On failure throws LkError with the media system's text; the device is closed.
    virtual void open() = 0;
    // Plays from the current position (from the beginning once a playback has reached its
    // end) and returns at once. Throws notOpenMessage() on a closed device.
    virtual void play() = 0;
    // Stops where the playback is. Throws notOpenMessage() on a closed device.
    virtual void stop() = 0;

    static QString notOpenMessage() { return QStringLiteral("No MCI device open"); }
};
