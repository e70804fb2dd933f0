#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>
#include <functional>

// One piece of text a metafile draws, as decoded and placed by the player. The picture window
// does not need it; it lets callers (and tests) see exactly which characters were decoded.
struct MetafileTextRun
{
    QString text;
    QPointF origin;         // the record's reference point, in the painter's coordinates
    QRectF box;             // bounding box of the character cells, in the painter's coordinates
    QString face;           // face name of the selected font
    int charset = 0;        // character set of the selected font
    double pixelHeight = 0; // em height in the painter's coordinates
};

using MetafileTextObserver = std::function<void(const MetafileTextRun&)>;
