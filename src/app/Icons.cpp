#include "Icons.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include <array>

namespace {
constexpr std::array<const char*, Icons::imageList1Count> list1 = {
    "imagelist1-00-loudspeaker",        "imagelist1-01-musical-note",
    "imagelist1-02-web-page",           "imagelist1-03-film-strip",
    "imagelist1-04-circuit-drawing",    "imagelist1-05-test-sign",
    "imagelist1-06-window-green-arrow", "imagelist1-07-green-arrow-bar",
    "imagelist1-08-green-arrow-bar",    "imagelist1-09-closed-volume",
    "imagelist1-10-grey-volume",        "imagelist1-11-open-volume",
    "imagelist1-12-grey-volume",
};
constexpr std::array<const char*, Icons::imageList2Count> list2 = {
    "imagelist2-00-closed-volume",
    "imagelist2-01-open-volume",
};

QString iconPath(const char* name)
{
    return QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name));
}

// Rendered by hand rather than through the SVG icon engine plugin, so the icons do not depend on
// which image plugins the system has installed.
QIcon svgIcon(const QString& path)
{
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return {};
    QIcon icon;
    for (const int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
} // namespace

QString Icons::imageList1Path(int index)
{
    return index >= 0 && index < imageList1Count ? iconPath(list1[index]) : QString();
}

QString Icons::imageList2Path(int index)
{
    return index >= 0 && index < imageList2Count ? iconPath(list2[index]) : QString();
}

QIcon Icons::imageList1(int index)
{
    const QString path = imageList1Path(index);
    return path.isEmpty() ? QIcon() : svgIcon(path);
}

QIcon Icons::imageList2(int index)
{
    const QString path = imageList2Path(index);
    return path.isEmpty() ? QIcon() : svgIcon(path);
}

QIcon Icons::collapseGlyph()
{
    return svgIcon(QStringLiteral(":/icons/glyph-collapse.svg"));
}

QIcon Icons::expandGlyph()
{
    return svgIcon(QStringLiteral(":/icons/glyph-expand.svg"));
}

QImage Icons::skin()
{
    return QImage(QStringLiteral(":/skin/skin.png"));
}
