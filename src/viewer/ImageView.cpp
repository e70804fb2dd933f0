#include "ImageView.h"

#include <QPainter>

ImageView::ImageView(QWidget* parent) : QWidget(parent) {}

void ImageView::setPicture(const Picture& picture)
{
    m_picture = picture;
    update();
}

QRectF ImageView::pictureRect() const
{
    return m_picture.fitted(QRectF(rect()));
}

void ImageView::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    m_picture.draw(painter, pictureRect());
}
