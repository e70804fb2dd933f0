#pragma once

#include "MetafileTextRun.h"

#include <QRectF>
#include <QSize>
#include <QSizeF>

class MetafileCanvas;
class QPainter;

// A metafile parsed into its records, ready to be played as vector drawing at any size.
// Loading checks every record; playing never throws and never reads outside the file.
class MetafilePlayer
{
public:
    virtual ~MetafilePlayer() = default;

    // Size at 96 dots per inch, in pixels.
    QSize naturalSize() const { return m_naturalSize; }
    // The picture's frame in device units: the part of the device space that fills the target.
    QRectF frame() const { return m_frame; }

    // Plays the records so that the frame fills target (in the painter's coordinates).
    // The observer, when given, hears of every piece of text drawn.
    void play(QPainter& painter, const QRectF& target,
              const MetafileTextObserver& observer = {}) const;

protected:
    // Sets the state in which playing starts and runs the records on the canvas.
    virtual void run(MetafileCanvas& canvas) const = 0;
    virtual QSizeF devicePixelsPerMm() const = 0;

    // The bounds of what the records draw, in device units, for files that tell no size.
    QRectF drawingBounds() const;
    void setGeometry(const QRectF& frame, QSizeF natural);

private:
    QRectF m_frame;
    QSize m_naturalSize;
};
