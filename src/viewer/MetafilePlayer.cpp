#include "MetafilePlayer.h"

#include "MetafileCanvas.h"

#include <QPainter>
#include <QPicture>
#include <cmath>

void MetafilePlayer::play(QPainter& painter, const QRectF& target,
                          const MetafileTextObserver& observer) const
{
    if (m_frame.isEmpty() || target.isEmpty())
        return;
    QTransform toTarget = QTransform::fromTranslate(-m_frame.x(), -m_frame.y());
    toTarget *=
        QTransform::fromScale(target.width() / m_frame.width(), target.height() / m_frame.height());
    toTarget *= QTransform::fromTranslate(target.x(), target.y());
    MetafileCanvas canvas(&painter, toTarget, devicePixelsPerMm(), observer ? &observer : nullptr);
    run(canvas);
}

QRectF MetafilePlayer::drawingBounds() const
{
    QPicture picture;
    {
        QPainter painter(&picture);
        MetafileCanvas canvas(&painter, QTransform(), devicePixelsPerMm(), nullptr);
        run(canvas);
    }
    return QRectF(picture.boundingRect());
}

void MetafilePlayer::setGeometry(const QRectF& frame, QSizeF natural)
{
    auto pixels = [](double v) {
        if (!std::isfinite(v) || v <= 0)
            return 0;
        return int(qBound(1.0, std::round(v), 1e7));
    };
    m_frame = frame;
    m_naturalSize = QSize(pixels(natural.width()), pixels(natural.height()));
    if (m_naturalSize.isEmpty())
        m_naturalSize = QSize(0, 0);
}
