#include "MenuBarStyle.h"

#include <QPainter>
#include <QStyleOptionMenuItem>

namespace {
int iconExtent(const QStyle* style, const QWidget* widget)
{
    return style->pixelMetric(QStyle::PM_SmallIconSize, nullptr, widget);
}
} // namespace

QSize MenuBarStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                     const QSize& size, const QWidget* widget) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (type != CT_MenuBarItem || item == nullptr || item->icon.isNull())
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    // The menu bar measured the image alone; make room for the caption after it.
    const QSize text = item->fontMetrics.size(Qt::TextShowMnemonic, item->text);
    const int extent = iconExtent(this, widget);
    const QSize contents(extent + (item->text.isEmpty() ? 0 : Spacing + text.width()),
                         qMax(extent, text.height()));
    return QProxyStyle::sizeFromContents(type, option, contents, widget);
}

void MenuBarStyle::drawControl(ControlElement element, const QStyleOption* option,
                               QPainter* painter, const QWidget* widget) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element != CE_MenuBarItem || item == nullptr || item->icon.isNull()) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    // The item's frame and highlight as the style draws them, without image or caption.
    QStyleOptionMenuItem frame = *item;
    frame.icon = QIcon();
    frame.text.clear();
    QProxyStyle::drawControl(element, &frame, painter, widget);

    const bool enabled = item->state & State_Enabled;
    const bool active = (item->state & State_Selected) && (item->state & State_Sunken);
    const int extent = iconExtent(this, widget);
    const QSize text = item->fontMetrics.size(Qt::TextShowMnemonic, item->text);
    const int width = extent + (item->text.isEmpty() ? 0 : Spacing + text.width());
    const QRect content = item->rect;
    int x = content.x() + (content.width() - width) / 2;

    const QPixmap pixmap =
        item->icon.pixmap(QSize(extent, extent), painter->device()->devicePixelRatio(),
                          enabled ? QIcon::Normal : QIcon::Disabled);
    painter->drawPixmap(QRect(x, content.y() + (content.height() - extent) / 2, extent, extent),
                        pixmap);
    x += extent + Spacing;
    const QRect textRect(x, content.y(), text.width(), content.height());
    // An open item is drawn highlighted, its caption in the highlight's text colour.
    const QPalette::ColorRole role = active ? QPalette::HighlightedText : QPalette::ButtonText;
    drawItemText(painter, textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic,
                 item->palette, enabled, item->text, role);
}
