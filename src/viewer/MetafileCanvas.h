#pragma once

#include "GdiObjects.h"
#include "MetafileTextRun.h"

#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>
#include <optional>
#include <unordered_map>
#include <vector>

class QPainter;

// The device context that metafile records drive: it keeps the GDI state (objects, colours,
// modes, mapping, clipping, paths, saved states) and draws the GDI primitives onto a QPainter.
//
// Coordinates given to the drawing calls are logical. The page mapping (map mode, window and
// viewport) and, for enhanced metafiles, the world transform take them to device units; the
// player's frame transform takes device units to the painter. Without a painter the canvas only
// keeps the state, which is how the players check a file when they load it.
class MetafileCanvas
{
public:
    struct State
    {
        GdiPen pen;
        GdiBrush brush;
        GdiFont font;
        QColor textColor = Qt::black;
        QColor bkColor = Qt::white;
        int bkMode = 2; // OPAQUE
        quint32 textAlign = 0;
        int polyFillMode = 1; // ALTERNATE
        int rop2 = 13;        // R2_COPYPEN
        int stretchMode = 1;  // BLACKONWHITE
        int arcDirection = 1; // AD_COUNTERCLOCKWISE
        int graphicsMode = 1; // GM_COMPATIBLE
        int textCharExtra = 0;
        int mapMode = 1; // MM_TEXT
        QPointF windowOrg{0, 0};
        QPointF windowExt{1, 1};
        QPointF viewportOrg{0, 0};
        QPointF viewportExt{1, 1};
        QTransform world;
        QPointF position; // current position, logical
        bool clipping = false;
        QPainterPath clip; // device units
    };

    struct Text
    {
        QPointF reference; // logical; ignored under TA_UPDATECP
        QString text;
        QList<double> dx;    // logical advances, one per UTF-16 unit (may be empty)
        quint32 options = 0; // ETO_ flags
        QRectF rect;         // logical opaque/clip rectangle, when the options ask for one
    };

    struct Blit
    {
        enum Mode { Raster, Alpha, Transparent };
        QRectF dest;              // logical, width and height may be negative (mirroring)
        QImage image;             // null: the operation uses no source (a pattern or fill)
        QRectF source;            // pixels of the image, top-left origin
        quint32 rop = 0x00CC0020; // SRCCOPY
        Mode mode = Raster;
        int constantAlpha = 255;
        QRgb transparentColor = 0;
    };

    // devicePixelsPerMm: resolution of the reference device, for the metric map modes.
    MetafileCanvas(QPainter* painter, const QTransform& deviceToPainter, QSizeF devicePixelsPerMm,
                   const MetafileTextObserver* observer);
    ~MetafileCanvas();
    MetafileCanvas(const MetafileCanvas&) = delete;
    MetafileCanvas& operator=(const MetafileCanvas&) = delete;

    State& state() { return m_state; }
    const State& state() const { return m_state; }
    bool isPainting() const { return m_painter != nullptr; }

    // Object table. Windows metafiles put a new object in the lowest free slot; enhanced
    // metafiles name the slot.
    void setObjectTableSize(int size);
    void addObject(const GdiObject& object);
    void setObject(quint32 index, const GdiObject& object);
    void selectObject(quint32 index);
    void deleteObject(quint32 index);
    const GdiObject* object(quint32 index) const;
    void selectStockObject(int index);

    // Mapping.
    void setMapMode(int mode);
    void setWindowOrg(QPointF p);
    void setWindowExt(QPointF e);
    void setViewportOrg(QPointF p);
    void setViewportExt(QPointF e);
    void offsetWindowOrg(QPointF d);
    void offsetViewportOrg(QPointF d);
    void scaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
    void scaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);
    void setWorldTransform(const QTransform& t);
    void modifyWorldTransform(const QTransform& t, int mode);
    QTransform pageToDevice() const;

    void saveDC();
    void restoreDC(int which);

    // Lines and shapes.
    void moveTo(QPointF p);
    void lineTo(QPointF p);
    void polyline(const QPolygonF& points);
    void polylineTo(const QPolygonF& points);
    void polygon(const QPolygonF& points);
    void polyPolygon(const QList<QPolygonF>& polygons);
    void polyPolyline(const QList<QPolygonF>& polylines);
    void polyBezier(const QPolygonF& points);
    void polyBezierTo(const QPolygonF& points);
    void polyDraw(const QPolygonF& points, const QList<quint8>& types);
    void rectangle(const QRectF& r);
    void roundRect(const QRectF& r, QSizeF corner);
    void ellipse(const QRectF& r);
    enum class ArcKind { Arc, Chord, Pie, ArcTo };
    void arc(ArcKind kind, const QRectF& box, QPointF start, QPointF end);
    void angleArc(QPointF center, double radius, double startAngle, double sweepAngle);
    void setPixel(QPointF p, const QColor& color);
    void fillRegion(const QPainterPath& logical, const GdiBrush& brush);
    void frameRegion(const QPainterPath& logical, const GdiBrush& brush, QSizeF stroke);
    void invertRegion(const QPainterPath& logical);
    void gradientRect(const QRectF& r, const QColor& from, const QColor& to, bool vertical);
    void gradientTriangle(const QPolygonF& triangle, const QColor& color);

    void text(const Text& record);
    void blit(const Blit& b);

    // Clipping. Rectangles are logical; regions given to selectClipRegion are in device units.
    void intersectClipRect(const QRectF& r);
    void excludeClipRect(const QRectF& r);
    void offsetClip(QPointF logicalOffset);
    void selectClipRegion(const QPainterPath& device, int mode, bool reset);

    // Paths (enhanced metafiles).
    void beginPath();
    void endPath();
    void abortPath();
    void closeFigure();
    void fillPath();
    void strokePath();
    void strokeAndFillPath();
    void selectClipPath(int mode);

    // Stock object indices, as enhanced metafiles write them (without the high bit).
    enum StockObject {
        WhiteBrush = 0,
        LtGrayBrush = 1,
        GrayBrush = 2,
        DkGrayBrush = 3,
        BlackBrush = 4,
        NullBrush = 5,
        WhitePen = 6,
        BlackPen = 7,
        NullPen = 8,
        OemFixedFont = 10,
        AnsiFixedFont = 11,
        AnsiVarFont = 12,
        SystemFont = 13,
        DeviceDefaultFont = 14,
        DefaultPalette = 15,
        SystemFixedFont = 16,
        DefaultGuiFont = 17,
        DcBrush = 18,
        DcPen = 19
    };

private:
    void drawShape(const QPainterPath& logical, bool fill, bool stroke, bool insideFrame = false);
    void appendToFigure(const QPainterPath& device);
    void paintDevicePath(const QPainterPath& device, bool fill, bool stroke);
    void fillDevicePath(const QPainterPath& device, const GdiBrush& brush);
    void strokeDevicePath(const QPainterPath& device);
    bool applyRop2();
    void restoreComposition();
    void applyClip();
    void combineClip(const QPainterPath& device, int mode);
    bool acceptable(const QRectF& deviceBounds) const;
    QPainterPath arcPath(ArcKind kind, const QRectF& box, QPointF start, QPointF end) const;
    double deviceScale(const QTransform& m) const;

    QPainter* m_painter;
    QTransform m_base; // device units to the painter's coordinates
    QSizeF m_pxPerMm;
    double m_limit = 1e7; // how far from the origin drawing may reach, in device pixels
    const MetafileTextObserver* m_observer;
    bool m_hasBaseClip = false;
    QPainterPath m_baseClip;

    State m_state;
    std::vector<State> m_saved;
    std::unordered_map<quint32, GdiObject> m_objects;
    quint32 m_firstFree = 0;

    bool m_pathOpen = false;
    QPainterPath m_path; // device units
};
