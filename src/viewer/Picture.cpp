#include "Picture.h"

#include <QPainter>

Picture::Picture(QImage image) : m_image(std::move(image)) {}

Picture::Picture(std::shared_ptr<const MetafilePlayer> metafile) : m_metafile(std::move(metafile))
{}

bool Picture::isNull() const
{
    return !m_metafile && m_image.isNull();
}

QSize Picture::naturalSize() const
{
    if (m_metafile)
        return m_metafile->naturalSize();
    return m_image.size();
}

void Picture::draw(QPainter& painter, const QRectF& target) const
{
    if (target.isEmpty())
        return;
    if (m_metafile) {
        m_metafile->play(painter, target);
        return;
    }
    if (m_image.isNull())
        return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_image);
    painter.restore();
}

QRectF Picture::fitted(const QRectF& area) const
{
    const QSize natural = naturalSize();
    if (natural.isEmpty() || area.isEmpty())
        return QRectF(area.topLeft(), QSizeF(0, 0));
    const double scale = qMin(area.width() / natural.width(), area.height() / natural.height());
    return QRectF(area.topLeft(), QSizeF(natural.width() * scale, natural.height() * scale));
}
