#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QString>
#include <variant>

// The drawing objects a metafile creates, selects and deletes, as plain values. Selecting an
// object copies it into the device context, so deleting it later leaves the selection intact.

struct GdiPen
{
    enum Style {
        Solid = 0,
        Dash = 1,
        Dot = 2,
        DashDot = 3,
        DashDotDot = 4,
        Null = 5,
        InsideFrame = 6,
        UserStyle = 7,
        Alternate = 8
    };
    int style = Solid;      // the PS_ type (low four bits of the pen style)
    int endCap = 0;         // PS_ENDCAP_ROUND 0x000, SQUARE 0x100, FLAT 0x200
    int join = 0;           // PS_JOIN_ROUND 0x0000, BEVEL 0x1000, MITER 0x2000
    bool geometric = false; // created by ExtCreatePen with PS_GEOMETRIC: styles at any width
    double width = 0;       // logical units; 0 draws one device pixel
    QColor color = Qt::black;
    QList<double> dashes; // PS_USERSTYLE lengths, logical units
};

struct GdiBrush
{
    enum Style { Solid = 0, Null = 1, Hatched = 2, Pattern = 3 };
    int style = Solid;
    QColor color = Qt::white;
    int hatch = 0;  // HS_HORIZONTAL 0 ... HS_DIAGCROSS 5
    QImage pattern; // for pattern brushes; a null image falls back to the colour
};

struct GdiFont
{
    int height = 0;     // logical units; negative: character height, positive: cell height
    int width = 0;      // average character width, 0 for the font's own
    int escapement = 0; // tenths of a degree, counter-clockwise
    int orientation = 0;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charset = 1; // DEFAULT_CHARSET
    int pitchAndFamily = 0;
    QString face;
    bool deviceHeight = false; // stock fonts: height in device pixels, not logical units
};

// A region in device units (clip regions and the region records).
struct GdiRegion
{
    QPainterPath path;
};

// Objects this player has no use for still take a slot in the object table.
struct GdiPlaceholder
{
};

using GdiObject = std::variant<GdiPlaceholder, GdiPen, GdiBrush, GdiFont, GdiRegion>;
