#pragma once

#include <QProxyStyle>

// Menu bar items with an image show it beside their caption, not in its place: the styles draw
// either the one or the other on a menu bar, so this one sizes and paints both.
class MenuBarStyle : public QProxyStyle
{
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;

    static constexpr int Spacing = 4; // between image and caption
};
