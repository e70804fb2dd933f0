#pragma once

#include "Picture.h"

#include <QWidget>

// An image control with proportional stretch: the picture is scaled up or down to the largest
// size that fits the control with its proportions kept, drawn from the top-left corner.
class ImageView : public QWidget
{
    Q_OBJECT
public:
    explicit ImageView(QWidget* parent = nullptr);

    void setPicture(const Picture& picture);
    const Picture& picture() const { return m_picture; }
    // Where the picture is drawn at the control's present size.
    QRectF pictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Picture m_picture;
};
