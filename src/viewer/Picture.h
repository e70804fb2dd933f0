#pragma once

#include "MetafilePlayer.h"

#include <QImage>
#include <QRectF>
#include <QSize>
#include <memory>

class QPainter;

// A loaded picture: a raster image (bitmap, icon, JPEG) or a metafile kept as its records,
// so that it is drawn at full quality at any size.
class Picture
{
public:
    Picture() = default;
    explicit Picture(QImage image);
    explicit Picture(std::shared_ptr<const MetafilePlayer> metafile);

    bool isNull() const;
    bool isMetafile() const { return m_metafile != nullptr; }
    const QImage& image() const { return m_image; }
    const MetafilePlayer* metafile() const { return m_metafile.get(); }

    // Size at 96 dots per inch, in pixels.
    QSize naturalSize() const;
    // Draws the picture stretched to fill target; a metafile is played again at that size.
    void draw(QPainter& painter, const QRectF& target) const;
    // The largest rectangle with the picture's proportions that fits in area, placed at the
    // area's top-left corner (empty for an empty picture).
    QRectF fitted(const QRectF& area) const;

private:
    QImage m_image;
    std::shared_ptr<const MetafilePlayer> m_metafile;
};
