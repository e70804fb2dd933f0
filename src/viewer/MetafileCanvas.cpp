#include "MetafileCanvas.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPaintEngine>
#include <QPainter>
#include <QtMath>
#include <cmath>

namespace {

enum : quint32 {
    TA_UPDATECP = 0x0001,
    TA_RIGHT = 0x0002,
    TA_CENTER = 0x0006,
    TA_BOTTOM = 0x0008,
    TA_BASELINE = 0x0018,
    ETO_OPAQUE = 0x0002,
    ETO_CLIPPED = 0x0004,
    ETO_GLYPH_INDEX = 0x0010,
};

enum { OPAQUE = 2, WINDING = 2, GM_COMPATIBLE = 1, HALFTONE = 4 };
enum { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };

// Drawing further out than this (in device pixels) is taken for garbage and skipped: no real
// picture reaches it, and the rasteriser slows down on such coordinates.
constexpr double CoordinateLimit = 1e7;
// A cosmetic dash pattern is dropped for lines longer than this, in the painter's units.
constexpr double DashedLengthLimit = 2e5;
constexpr int MaxSavedStates = 4096;
// Wider pens are drawn this wide (device units); QPen refuses much wider ones.
constexpr double MaxPenWidth = 3e4;
constexpr quint32 MaxObjects = 65536;

bool isFinite(double v)
{
    return std::isfinite(v);
}

bool isFinite(QPointF p)
{
    return isFinite(p.x()) && isFinite(p.y());
}

bool usable(const QTransform& t)
{
    const double values[] = {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()};
    for (double v : values) {
        if (!isFinite(v) || std::abs(v) > 1e12)
            return false;
    }
    const double det = t.determinant();
    return isFinite(det) && std::abs(det) > 1e-18;
}

QPainterPath rectPath(const QRectF& r)
{
    QPainterPath p;
    p.addRect(r.normalized());
    return p;
}

QPainterPath everything()
{
    QPainterPath p;
    p.addRect(QRectF(-CoordinateLimit, -CoordinateLimit, 2 * CoordinateLimit, 2 * CoordinateLimit));
    return p;
}

Qt::BrushStyle hatchStyle(int hatch)
{
    switch (hatch) {
    case 0:
        return Qt::HorPattern;
    case 1:
        return Qt::VerPattern;
    case 2:
        return Qt::FDiagPattern; // "\\\\"
    case 3:
        return Qt::BDiagPattern; // "////"
    case 4:
        return Qt::CrossPattern;
    default:
        return Qt::DiagCrossPattern;
    }
}

QFont makeFont(const GdiFont& f, int pixelSize)
{
    QFont font;
    const QString face = f.face.trimmed();
    if (!face.isEmpty())
        font.setFamilies({face});
    QFont::StyleHint hint = QFont::AnyStyle;
    switch (f.pitchAndFamily >> 4) {
    case 1:
        hint = QFont::Serif;
        break;
    case 2:
        hint = QFont::SansSerif;
        break;
    case 3:
        hint = QFont::TypeWriter;
        break;
    case 4:
        hint = QFont::Cursive;
        break;
    case 5:
        hint = QFont::Decorative;
        break;
    }
    if ((f.pitchAndFamily & 3) == 1)
        hint = QFont::TypeWriter;
    font.setStyleHint(hint);
    font.setPixelSize(pixelSize);
    font.setWeight(QFont::Weight(qBound(1, f.weight > 0 ? f.weight : 400, 1000)));
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    return font;
}

std::optional<QPainter::CompositionMode> rop2Mode(int rop2)
{
    switch (rop2) {
    case 1:
        return QPainter::RasterOp_ClearDestination;
    case 2:
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case 3:
        return QPainter::RasterOp_NotSourceAndDestination;
    case 4:
        return QPainter::RasterOp_NotSource;
    case 5:
        return QPainter::RasterOp_SourceAndNotDestination;
    case 6:
        return QPainter::RasterOp_NotDestination;
    case 7:
        return QPainter::RasterOp_SourceXorDestination;
    case 8:
        return QPainter::RasterOp_NotSourceOrNotDestination;
    case 9:
        return QPainter::RasterOp_SourceAndDestination;
    case 10:
        return QPainter::RasterOp_NotSourceXorDestination;
    case 12:
        return QPainter::RasterOp_NotSourceOrDestination;
    case 14:
        return QPainter::RasterOp_SourceOrNotDestination;
    case 15:
        return QPainter::RasterOp_SourceOrDestination;
    case 16:
        return QPainter::RasterOp_SetDestination;
    default:
        return std::nullopt; // R2_COPYPEN and unknown values draw plainly
    }
}

// The source-using raster operations of the blits (the middle byte of the ROP3 code).
std::optional<QPainter::CompositionMode> rop3Mode(int index)
{
    switch (index) {
    case 0xEE:
        return QPainter::RasterOp_SourceOrDestination;
    case 0x88:
        return QPainter::RasterOp_SourceAndDestination;
    case 0x66:
        return QPainter::RasterOp_SourceXorDestination;
    case 0x33:
        return QPainter::RasterOp_NotSource;
    case 0x44:
        return QPainter::RasterOp_SourceAndNotDestination;
    case 0x11:
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case 0xBB:
        return QPainter::RasterOp_NotSourceOrDestination;
    default:
        return std::nullopt;
    }
}

} // namespace

MetafileCanvas::MetafileCanvas(QPainter* painter, const QTransform& deviceToPainter,
                               QSizeF devicePixelsPerMm, const MetafileTextObserver* observer)
    : m_painter(painter), m_pxPerMm(devicePixelsPerMm), m_observer(observer)
{
    if (!m_pxPerMm.isValid() || !isFinite(m_pxPerMm.width()) || !isFinite(m_pxPerMm.height()))
        m_pxPerMm = QSizeF(96 / 25.4, 96 / 25.4);
    if (!m_painter)
        return;
    m_painter->save();
    // Shapes reaching far beyond the paint device are garbage: curves that large cost time
    // and memory to flatten, and no real picture has them.
    const QPaintDevice* device = m_painter->device();
    const int extent = device ? qMax(device->width(), device->height()) : 0;
    m_limit = extent > 0 ? qBound(4096.0, 64.0 * extent, CoordinateLimit) : CoordinateLimit;
    m_base = deviceToPainter * m_painter->transform();
    m_painter->setTransform(m_base);
    if (m_painter->hasClipping()) {
        m_hasBaseClip = true;
        m_baseClip = m_painter->clipPath();
    }
    m_painter->setRenderHint(QPainter::Antialiasing);
    m_painter->setRenderHint(QPainter::TextAntialiasing);
    m_painter->setBackgroundMode(Qt::TransparentMode);
    m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

MetafileCanvas::~MetafileCanvas()
{
    if (m_painter)
        m_painter->restore();
}

// ---- objects ----

void MetafileCanvas::setObjectTableSize(int size)
{
    // The table grows as objects come; the size a file declares is only a hint.
    m_objects.clear();
    m_objects.reserve(size_t(qBound(0, size, 1024)));
    m_firstFree = 0;
}

void MetafileCanvas::addObject(const GdiObject& object)
{
    quint32 i = m_firstFree;
    while (m_objects.count(i))
        ++i;
    if (i >= MaxObjects)
        return; // the table is full: the object is not created, as GDI would fail
    m_objects.emplace(i, object);
    m_firstFree = i + 1;
}

void MetafileCanvas::setObject(quint32 index, const GdiObject& object)
{
    if (index < MaxObjects)
        m_objects.insert_or_assign(index, object);
}

const GdiObject* MetafileCanvas::object(quint32 index) const
{
    const auto it = m_objects.find(index);
    return it == m_objects.end() ? nullptr : &it->second;
}

void MetafileCanvas::selectObject(quint32 index)
{
    if (index & 0x80000000u) {
        selectStockObject(int(index & 0x7fffffffu));
        return;
    }
    const GdiObject* o = object(index);
    if (!o)
        return;
    if (const auto* pen = std::get_if<GdiPen>(o))
        m_state.pen = *pen;
    else if (const auto* brush = std::get_if<GdiBrush>(o))
        m_state.brush = *brush;
    else if (const auto* font = std::get_if<GdiFont>(o))
        m_state.font = *font;
    else if (const auto* region = std::get_if<GdiRegion>(o)) {
        // Selecting a region makes it the clip region (logical units in Windows metafiles).
        const QTransform m = pageToDevice();
        if (usable(m))
            combineClip(m.map(region->path), RGN_COPY);
    }
}

void MetafileCanvas::deleteObject(quint32 index)
{
    if (m_objects.erase(index))
        m_firstFree = qMin(m_firstFree, index);
}

void MetafileCanvas::selectStockObject(int index)
{
    auto brush = [this](int style, QColor color) { m_state.brush = GdiBrush{style, color, 0, {}}; };
    auto pen = [this](int style, QColor color) {
        m_state.pen = GdiPen{};
        m_state.pen.style = style;
        m_state.pen.color = color;
    };
    auto font = [this](const char* face, int height, int weight, int charset, int pitch) {
        GdiFont f;
        f.face = QString::fromLatin1(face);
        f.height = height;
        f.weight = weight;
        f.charset = charset;
        f.pitchAndFamily = pitch;
        f.deviceHeight = true;
        m_state.font = f;
    };
    switch (index) {
    case WhiteBrush:
    case DcBrush:
        brush(GdiBrush::Solid, Qt::white);
        break;
    case LtGrayBrush:
        brush(GdiBrush::Solid, QColor(192, 192, 192));
        break;
    case GrayBrush:
        brush(GdiBrush::Solid, QColor(128, 128, 128));
        break;
    case DkGrayBrush:
        brush(GdiBrush::Solid, QColor(64, 64, 64));
        break;
    case BlackBrush:
        brush(GdiBrush::Solid, Qt::black);
        break;
    case NullBrush:
        brush(GdiBrush::Null, Qt::white);
        break;
    case WhitePen:
        pen(GdiPen::Solid, Qt::white);
        break;
    case BlackPen:
    case DcPen:
        pen(GdiPen::Solid, Qt::black);
        break;
    case NullPen:
        pen(GdiPen::Null, Qt::black);
        break;
    case OemFixedFont:
        font("Terminal", 12, 400, 255, 0x31);
        break;
    case AnsiFixedFont:
        font("Courier New", 13, 400, 0, 0x31);
        break;
    case AnsiVarFont:
        font("MS Sans Serif", 13, 400, 0, 0x22);
        break;
    case SystemFont:
    case DeviceDefaultFont:
        font("System", 16, 700, 1, 0x22);
        break;
    case SystemFixedFont:
        font("Fixedsys", 15, 400, 1, 0x31);
        break;
    case DefaultGuiFont:
        font("MS Shell Dlg", -11, 400, 1, 0x22);
        break;
    default:
        break;
    }
}

// ---- mapping ----

void MetafileCanvas::setMapMode(int mode)
{
    double unitMm = 0;
    switch (mode) {
    case 1: // MM_TEXT
        m_state.windowExt = m_state.viewportExt = QPointF(1, 1);
        break;
    case 2: // MM_LOMETRIC
        unitMm = 0.1;
        break;
    case 3: // MM_HIMETRIC
        unitMm = 0.01;
        break;
    case 4: // MM_LOENGLISH
        unitMm = 0.254;
        break;
    case 5: // MM_HIENGLISH
        unitMm = 0.0254;
        break;
    case 6: // MM_TWIPS
        unitMm = 25.4 / 1440;
        break;
    case 7: // MM_ISOTROPIC
    case 8: // MM_ANISOTROPIC: both keep the extents in force
        break;
    default:
        return;
    }
    if (unitMm > 0) {
        // Fixed scales, y growing upwards.
        m_state.windowExt = QPointF(1, 1);
        m_state.viewportExt = QPointF(unitMm * m_pxPerMm.width(), -unitMm * m_pxPerMm.height());
    }
    m_state.mapMode = mode;
}

static bool validExtent(QPointF e)
{
    return isFinite(e) && e.x() != 0 && e.y() != 0;
}

void MetafileCanvas::setWindowOrg(QPointF p)
{
    if (isFinite(p))
        m_state.windowOrg = p;
}

void MetafileCanvas::setWindowExt(QPointF e)
{
    if ((m_state.mapMode == 7 || m_state.mapMode == 8) && validExtent(e))
        m_state.windowExt = e;
}

void MetafileCanvas::setViewportOrg(QPointF p)
{
    if (isFinite(p))
        m_state.viewportOrg = p;
}

void MetafileCanvas::setViewportExt(QPointF e)
{
    if ((m_state.mapMode == 7 || m_state.mapMode == 8) && validExtent(e))
        m_state.viewportExt = e;
}

void MetafileCanvas::offsetWindowOrg(QPointF d)
{
    setWindowOrg(m_state.windowOrg + d);
}

void MetafileCanvas::offsetViewportOrg(QPointF d)
{
    setViewportOrg(m_state.viewportOrg + d);
}

void MetafileCanvas::scaleWindowExt(double xNum, double xDenom, double yNum, double yDenom)
{
    if (xDenom != 0 && yDenom != 0)
        setWindowExt(
            QPointF(m_state.windowExt.x() * xNum / xDenom, m_state.windowExt.y() * yNum / yDenom));
}

void MetafileCanvas::scaleViewportExt(double xNum, double xDenom, double yNum, double yDenom)
{
    if (xDenom != 0 && yDenom != 0)
        setViewportExt(QPointF(m_state.viewportExt.x() * xNum / xDenom,
                               m_state.viewportExt.y() * yNum / yDenom));
}

void MetafileCanvas::setWorldTransform(const QTransform& t)
{
    if (usable(t))
        m_state.world = t;
}

void MetafileCanvas::modifyWorldTransform(const QTransform& t, int mode)
{
    switch (mode) {
    case 1: // MWT_IDENTITY
        m_state.world = QTransform();
        break;
    case 2: // MWT_LEFTMULTIPLY: the new transform applies first
        if (usable(t) && usable(t * m_state.world))
            m_state.world = t * m_state.world;
        break;
    case 3: // MWT_RIGHTMULTIPLY
        if (usable(t) && usable(m_state.world * t))
            m_state.world = m_state.world * t;
        break;
    case 4: // MWT_SET
        setWorldTransform(t);
        break;
    default:
        break;
    }
}

QTransform MetafileCanvas::pageToDevice() const
{
    const State& s = m_state;
    double sx = s.viewportExt.x() / s.windowExt.x();
    double sy = s.viewportExt.y() / s.windowExt.y();
    if (s.mapMode == 7) {
        // Isotropic: one unit is as long on both axes; the smaller scale wins.
        const double m = qMin(std::abs(sx), std::abs(sy));
        sx = std::copysign(m, sx);
        sy = std::copysign(m, sy);
    }
    const QTransform page(sx, 0, 0, sy, s.viewportOrg.x() - s.windowOrg.x() * sx,
                          s.viewportOrg.y() - s.windowOrg.y() * sy);
    return s.world * page;
}

double MetafileCanvas::deviceScale(const QTransform& m) const
{
    return std::sqrt(std::abs(m.determinant()));
}

void MetafileCanvas::saveDC()
{
    if (m_saved.size() < size_t(MaxSavedStates))
        m_saved.push_back(m_state);
}

void MetafileCanvas::restoreDC(int which)
{
    // Negative: relative to the last save (-1 is the last one); positive: the n-th save.
    const qint64 depth = qint64(m_saved.size());
    qint64 target;
    if (which < 0)
        target = depth + which;
    else if (which > 0)
        target = which - 1;
    else
        return;
    if (target < 0 || target >= depth)
        return;
    m_state = m_saved[size_t(target)];
    m_saved.resize(size_t(target));
    applyClip();
}

// ---- drawing helpers ----

bool MetafileCanvas::acceptable(const QRectF& deviceBounds) const
{
    const QRectF r = m_base.mapRect(deviceBounds);
    return isFinite(r.left()) && isFinite(r.top()) && isFinite(r.right()) && isFinite(r.bottom()) &&
           std::abs(r.left()) < m_limit && std::abs(r.right()) < m_limit &&
           std::abs(r.top()) < m_limit && std::abs(r.bottom()) < m_limit;
}

bool MetafileCanvas::applyRop2()
{
    if (m_state.rop2 == 11) // R2_NOP
        return false;
    const auto mode = rop2Mode(m_state.rop2);
    if (mode && m_painter->paintEngine() &&
        m_painter->paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) {
        m_painter->setCompositionMode(*mode);
        m_painter->setRenderHint(QPainter::Antialiasing, false);
    }
    return true;
}

void MetafileCanvas::restoreComposition()
{
    m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    m_painter->setRenderHint(QPainter::Antialiasing, true);
}

void MetafileCanvas::drawShape(const QPainterPath& logical, bool fill, bool stroke,
                               bool insideFrame)
{
    Q_UNUSED(insideFrame);
    const QTransform m = pageToDevice();
    if (!usable(m))
        return;
    QPainterPath device = m.map(logical);
    device.setFillRule(m_state.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    if (m_pathOpen) {
        m_path.addPath(device);
        return;
    }
    paintDevicePath(device, fill, stroke);
}

void MetafileCanvas::appendToFigure(const QPainterPath& device)
{
    // Continues the open figure of the path bracket from the current position.
    if (device.elementCount() == 0)
        return;
    const QPainterPath::Element first = device.elementAt(0);
    if (m_path.elementCount() == 0 || m_path.currentPosition() != QPointF(first.x, first.y))
        m_path.moveTo(first.x, first.y);
    for (int i = 1; i < device.elementCount(); ++i) {
        const QPainterPath::Element e = device.elementAt(i);
        if (e.type == QPainterPath::MoveToElement) {
            m_path.moveTo(e.x, e.y);
        } else if (e.type == QPainterPath::LineToElement) {
            m_path.lineTo(e.x, e.y);
        } else if (e.type == QPainterPath::CurveToElement && i + 2 < device.elementCount()) {
            const QPainterPath::Element c2 = device.elementAt(i + 1);
            const QPainterPath::Element end = device.elementAt(i + 2);
            m_path.cubicTo(e.x, e.y, c2.x, c2.y, end.x, end.y);
            i += 2;
        }
    }
}

void MetafileCanvas::paintDevicePath(const QPainterPath& device, bool fill, bool stroke)
{
    if (!m_painter || device.isEmpty() || !acceptable(device.controlPointRect()))
        return;
    if (!applyRop2())
        return;
    if (fill)
        fillDevicePath(device, m_state.brush);
    if (stroke)
        strokeDevicePath(device);
    restoreComposition();
}

void MetafileCanvas::fillDevicePath(const QPainterPath& device, const GdiBrush& brush)
{
    switch (brush.style) {
    case GdiBrush::Null:
        return;
    case GdiBrush::Hatched:
        if (m_state.bkMode == OPAQUE)
            m_painter->fillPath(device, m_state.bkColor);
        m_painter->fillPath(device, QBrush(brush.color, hatchStyle(brush.hatch)));
        return;
    case GdiBrush::Pattern:
        if (!brush.pattern.isNull()) {
            m_painter->fillPath(device, QBrush(brush.pattern));
            return;
        }
        [[fallthrough]];
    default:
        m_painter->fillPath(device, brush.color);
        return;
    }
}

void MetafileCanvas::strokeDevicePath(const QPainterPath& device)
{
    const GdiPen& pen = m_state.pen;
    if (pen.style == GdiPen::Null)
        return;
    const double toDevice = deviceScale(pageToDevice());
    const double toPainter = deviceScale(m_base);
    const double widthDevice = std::abs(pen.width) * toDevice;
    const bool thin = pen.width == 0 || widthDevice * toPainter <= 1.5;

    QPen qpen(pen.color);
    if (thin) {
        qpen.setWidthF(1);
        qpen.setCosmetic(true);
        qpen.setCapStyle(Qt::FlatCap);
    } else {
        if (!isFinite(widthDevice))
            return;
        qpen.setWidthF(qMin(widthDevice, MaxPenWidth));
        qpen.setCapStyle(pen.endCap == 0x100   ? Qt::SquareCap
                         : pen.endCap == 0x200 ? Qt::FlatCap
                                               : Qt::RoundCap);
    }
    qpen.setJoinStyle(pen.join == 0x1000   ? Qt::BevelJoin
                      : pen.join == 0x2000 ? Qt::MiterJoin
                                           : Qt::RoundJoin);

    // Styled lines: cosmetic pens use the screen patterns in pixels; a wide pen made by
    // CreatePen draws solid, only ExtCreatePen's geometric pens keep their style.
    QList<qreal> pattern;
    const bool styled =
        pen.style >= GdiPen::Dash && pen.style != GdiPen::Null && pen.style != GdiPen::InsideFrame;
    if (styled && (thin || pen.geometric)) {
        switch (pen.style) {
        case GdiPen::Dash:
            pattern = thin ? QList<qreal>{18, 6} : QList<qreal>{3, 1};
            break;
        case GdiPen::Dot:
            pattern = thin ? QList<qreal>{3, 3} : QList<qreal>{1, 1};
            break;
        case GdiPen::DashDot:
            pattern = thin ? QList<qreal>{9, 6, 3, 6} : QList<qreal>{3, 1, 1, 1};
            break;
        case GdiPen::DashDotDot:
            pattern = thin ? QList<qreal>{9, 3, 3, 3, 3, 3} : QList<qreal>{3, 1, 1, 1, 1, 1};
            break;
        case GdiPen::Alternate:
            pattern = {1, 1};
            break;
        case GdiPen::UserStyle: {
            const double unit = thin ? toDevice * toPainter : toDevice / qMax(widthDevice, 1e-9);
            for (double d : pen.dashes)
                pattern.append(qBound(0.0, std::abs(d) * unit, 1e6));
            if (pattern.size() % 2)
                pattern.append(pattern.last());
            break;
        }
        default:
            break;
        }
        bool visible = false;
        for (qreal d : pattern)
            visible = visible || d > 0;
        if (!visible)
            pattern.clear();
    }
    if (!pattern.isEmpty() && device.length() * toPainter > DashedLengthLimit)
        pattern.clear();

    // One-pixel lines run through pixel centres, as GDI lights the pixels on the line.
    if (thin)
        m_painter->setTransform(m_base * QTransform::fromTranslate(0.5, 0.5));
    if (!pattern.isEmpty()) {
        if (m_state.bkMode == OPAQUE) {
            // The gaps of styled lines show the background colour in opaque mode.
            QPen gaps = qpen;
            gaps.setColor(m_state.bkColor);
            m_painter->strokePath(device, gaps);
        }
        qpen.setDashPattern(pattern);
        if (!thin)
            qpen.setCapStyle(Qt::FlatCap);
    }
    m_painter->strokePath(device, qpen);
    if (thin)
        m_painter->setTransform(m_base);
}

// ---- lines and shapes ----

void MetafileCanvas::moveTo(QPointF p)
{
    m_state.position = p;
    if (m_pathOpen) {
        const QTransform m = pageToDevice();
        if (usable(m))
            m_path.moveTo(m.map(p));
    }
}

void MetafileCanvas::lineTo(QPointF p)
{
    QPolygonF line{m_state.position, p};
    polylineTo(QPolygonF{p});
}

void MetafileCanvas::polyline(const QPolygonF& points)
{
    if (points.size() < 2)
        return;
    QPainterPath p;
    p.addPolygon(points);
    drawShape(p, false, true);
}

void MetafileCanvas::polylineTo(const QPolygonF& points)
{
    if (points.isEmpty())
        return;
    QPainterPath p(m_state.position);
    for (QPointF pt : points)
        p.lineTo(pt);
    m_state.position = points.last();
    const QTransform m = pageToDevice();
    if (!usable(m))
        return;
    if (m_pathOpen)
        appendToFigure(m.map(p));
    else
        paintDevicePath(m.map(p), false, true);
}

void MetafileCanvas::polygon(const QPolygonF& points)
{
    if (points.size() < 2)
        return;
    QPainterPath p;
    p.addPolygon(points);
    p.closeSubpath();
    drawShape(p, true, true);
}

void MetafileCanvas::polyPolygon(const QList<QPolygonF>& polygons)
{
    QPainterPath p;
    for (const QPolygonF& poly : polygons) {
        if (poly.size() < 2)
            continue;
        p.addPolygon(poly);
        p.closeSubpath();
    }
    drawShape(p, true, true);
}

void MetafileCanvas::polyPolyline(const QList<QPolygonF>& polylines)
{
    QPainterPath p;
    for (const QPolygonF& poly : polylines) {
        if (poly.size() >= 2)
            p.addPolygon(poly);
    }
    drawShape(p, false, true);
}

void MetafileCanvas::polyBezier(const QPolygonF& points)
{
    if (points.size() < 4)
        return;
    QPainterPath p(points[0]);
    for (qsizetype i = 1; i + 2 < points.size(); i += 3)
        p.cubicTo(points[i], points[i + 1], points[i + 2]);
    drawShape(p, false, true);
}

void MetafileCanvas::polyBezierTo(const QPolygonF& points)
{
    if (points.size() < 3)
        return;
    QPainterPath p(m_state.position);
    qsizetype i = 0;
    for (; i + 2 < points.size(); i += 3)
        p.cubicTo(points[i], points[i + 1], points[i + 2]);
    m_state.position = points[i - 1];
    const QTransform m = pageToDevice();
    if (!usable(m))
        return;
    if (m_pathOpen)
        appendToFigure(m.map(p));
    else
        paintDevicePath(m.map(p), false, true);
}

void MetafileCanvas::polyDraw(const QPolygonF& points, const QList<quint8>& types)
{
    enum { PT_CLOSEFIGURE = 1, PT_LINETO = 2, PT_BEZIERTO = 4, PT_MOVETO = 6 };
    QPainterPath p(m_state.position);
    const qsizetype n = qMin(points.size(), types.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int type = types[i] & ~PT_CLOSEFIGURE;
        bool close = types[i] & PT_CLOSEFIGURE;
        if (type == PT_MOVETO) {
            p.moveTo(points[i]);
        } else if (type == PT_LINETO) {
            p.lineTo(points[i]);
        } else if (type == PT_BEZIERTO && i + 2 < n) {
            p.cubicTo(points[i], points[i + 1], points[i + 2]);
            close = types[i + 2] & PT_CLOSEFIGURE;
            i += 2;
        } else {
            continue;
        }
        if (close)
            p.closeSubpath();
    }
    m_state.position = p.currentPosition();
    const QTransform m = pageToDevice();
    if (!usable(m))
        return;
    if (m_pathOpen)
        appendToFigure(m.map(p));
    else
        paintDevicePath(m.map(p), false, true);
}

static QRectF insideFrame(const QRectF& r, const GdiPen& pen)
{
    // PS_INSIDEFRAME keeps a wide pen inside the bounding box.
    if (pen.style != GdiPen::InsideFrame || pen.width <= 1)
        return r;
    const double half = qMin(pen.width / 2, qMin(std::abs(r.width()), std::abs(r.height())) / 2);
    return r.normalized().adjusted(half, half, -half, -half);
}

void MetafileCanvas::rectangle(const QRectF& r)
{
    QPainterPath p;
    p.addRect(insideFrame(r.normalized(), m_state.pen));
    drawShape(p, true, true);
}

void MetafileCanvas::roundRect(const QRectF& r, QSizeF corner)
{
    QPainterPath p;
    p.addRoundedRect(insideFrame(r.normalized(), m_state.pen), std::abs(corner.width()) / 2,
                     std::abs(corner.height()) / 2);
    drawShape(p, true, true);
}

void MetafileCanvas::ellipse(const QRectF& r)
{
    QPainterPath p;
    p.addEllipse(insideFrame(r.normalized(), m_state.pen));
    drawShape(p, true, true);
}

QPainterPath MetafileCanvas::arcPath(ArcKind kind, const QRectF& box, QPointF start,
                                     QPointF end) const
{
    QPainterPath p;
    const QRectF r = box.normalized();
    if (r.width() <= 0 || r.height() <= 0)
        return p;
    const QPointF c = r.center();
    const double rx = r.width() / 2, ry = r.height() / 2;
    // The angle on the ellipse where the ray from the centre through the point meets it.
    auto angle = [&](QPointF pt) {
        return qRadiansToDegrees(std::atan2(-(pt.y() - c.y()) / ry, (pt.x() - c.x()) / rx));
    };
    const double a0 = angle(start), a1 = angle(end);
    if (!isFinite(a0) || !isFinite(a1))
        return p;
    bool counterClockwise = m_state.arcDirection != 2;
    if (m_state.graphicsMode == GM_COMPATIBLE && pageToDevice().determinant() < 0)
        counterClockwise = !counterClockwise; // the direction holds on the device
    double sweep = a1 - a0;
    if (counterClockwise) {
        while (sweep <= 0)
            sweep += 360;
    } else {
        while (sweep >= 0)
            sweep -= 360;
    }
    switch (kind) {
    case ArcKind::Arc:
        p.arcMoveTo(r, a0);
        p.arcTo(r, a0, sweep);
        break;
    case ArcKind::ArcTo:
        p.moveTo(m_state.position);
        p.arcTo(r, a0, sweep);
        break;
    case ArcKind::Pie:
        p.moveTo(c);
        p.arcTo(r, a0, sweep);
        p.closeSubpath();
        break;
    case ArcKind::Chord:
        p.arcMoveTo(r, a0);
        p.arcTo(r, a0, sweep);
        p.closeSubpath();
        break;
    }
    return p;
}

void MetafileCanvas::arc(ArcKind kind, const QRectF& box, QPointF start, QPointF end)
{
    const QPainterPath p = arcPath(kind, box, start, end);
    if (kind == ArcKind::ArcTo) {
        if (p.elementCount() == 0)
            return;
        m_state.position = p.currentPosition();
        const QTransform m = pageToDevice();
        if (!usable(m))
            return;
        if (m_pathOpen)
            appendToFigure(m.map(p));
        else
            paintDevicePath(m.map(p), false, true);
        return;
    }
    drawShape(p, kind != ArcKind::Arc, true);
}

void MetafileCanvas::angleArc(QPointF center, double radius, double startAngle, double sweepAngle)
{
    if (!isFinite(radius) || !isFinite(startAngle) || !isFinite(sweepAngle) || radius < 0)
        return;
    const QRectF r(center.x() - radius, center.y() - radius, 2 * radius, 2 * radius);
    QPainterPath p(m_state.position);
    p.arcTo(r, startAngle, qBound(-3600.0, sweepAngle, 3600.0));
    m_state.position = p.currentPosition();
    const QTransform m = pageToDevice();
    if (!usable(m))
        return;
    if (m_pathOpen)
        appendToFigure(m.map(p));
    else
        paintDevicePath(m.map(p), false, true);
}

void MetafileCanvas::setPixel(QPointF p, const QColor& color)
{
    const QTransform m = pageToDevice();
    if (!m_painter || !usable(m))
        return;
    const QPointF d = m.map(p);
    const QRectF pixel(std::floor(d.x()), std::floor(d.y()), 1, 1);
    if (acceptable(pixel))
        m_painter->fillRect(pixel, color);
}

void MetafileCanvas::fillRegion(const QPainterPath& logical, const GdiBrush& brush)
{
    const QTransform m = pageToDevice();
    if (!m_painter || !usable(m))
        return;
    const QPainterPath device = m.map(logical);
    if (acceptable(device.controlPointRect()))
        fillDevicePath(device, brush);
}

void MetafileCanvas::frameRegion(const QPainterPath& logical, const GdiBrush& brush, QSizeF stroke)
{
    const QTransform m = pageToDevice();
    if (!m_painter || !usable(m))
        return;
    const QPainterPath device = m.map(logical);
    if (!acceptable(device.controlPointRect()))
        return;
    // The frame lies inside the region: a line twice as wide along its outline, clipped to it.
    const QRectF bounds = device.boundingRect();
    const double w = qBound(0.0, std::abs(stroke.width()) * deviceScale(m),
                            qMax(bounds.width(), bounds.height()));
    QColor color = brush.color;
    if (brush.style == GdiBrush::Null)
        return;
    m_painter->setClipPath(device, Qt::IntersectClip);
    QPen pen(color);
    pen.setWidthF(qMin(2 * w, MaxPenWidth));
    pen.setJoinStyle(Qt::MiterJoin);
    m_painter->strokePath(device, pen);
    applyClip();
}

void MetafileCanvas::invertRegion(const QPainterPath& logical)
{
    const QTransform m = pageToDevice();
    if (!m_painter || !usable(m))
        return;
    const QPainterPath device = m.map(logical);
    if (!acceptable(device.controlPointRect()) ||
        !m_painter->paintEngine()->hasFeature(QPaintEngine::RasterOpModes))
        return;
    m_painter->setCompositionMode(QPainter::RasterOp_NotDestination);
    m_painter->fillPath(device, Qt::black);
    restoreComposition();
}

void MetafileCanvas::gradientRect(const QRectF& r, const QColor& from, const QColor& to,
                                  bool vertical)
{
    const QTransform m = pageToDevice();
    if (!m_painter || !usable(m))
        return;
    const QPainterPath device = m.map(rectPath(r));
    if (!acceptable(device.controlPointRect()))
        return;
    QLinearGradient g(m.map(r.topLeft()), m.map(vertical ? r.bottomLeft() : r.topRight()));
    g.setColorAt(0, from);
    g.setColorAt(1, to);
    m_painter->fillPath(device, g);
}

void MetafileCanvas::gradientTriangle(const QPolygonF& triangle, const QColor& color)
{
    const QTransform m = pageToDevice();
    if (!m_painter || !usable(m))
        return;
    QPainterPath p;
    p.addPolygon(triangle);
    p.closeSubpath();
    const QPainterPath device = m.map(p);
    if (acceptable(device.controlPointRect()))
        m_painter->fillPath(device, color);
}

// ---- text ----

void MetafileCanvas::text(const Text& record)
{
    // Some programs count the terminating NUL as part of the string.
    Text t = record;
    while (!t.text.isEmpty() && t.text.back() == QChar(0))
        t.text.chop(1);

    const QTransform m = pageToDevice();
    if (!m_painter || !usable(m))
        return;
    State& s = m_state;

    if ((t.options & ETO_OPAQUE) && !t.rect.isNull()) {
        const QPainterPath box = m.map(rectPath(t.rect));
        if (acceptable(box.controlPointRect()))
            m_painter->fillPath(box, s.bkColor);
    }
    // Glyph indices name glyphs of one particular font file: they cannot be turned back
    // into characters, so such runs show only their background.
    if (t.text.isEmpty() || (t.options & ETO_GLYPH_INDEX))
        return;

    const bool updateCp = s.textAlign & TA_UPDATECP;
    const QPointF ref = updateCp ? s.position : t.reference;
    const QPointF refDevice = m.map(ref);
    const double unitX = std::hypot(m.m11(), m.m12());
    const double unitY = std::hypot(m.m21(), m.m22());
    const double pixelUnit = m_pxPerMm.height() * 25.4 / 96; // device units per 96-dpi pixel
    const double heightUnit = s.font.deviceHeight ? pixelUnit : unitY;
    const double widthUnit = s.font.deviceHeight ? pixelUnit : unitX;

    double em = s.font.height == 0 ? 16 * pixelUnit : std::abs(double(s.font.height)) * heightUnit;
    const double toPainter = deviceScale(m_base);
    if (!isFinite(em) || em <= 0 || em * toPainter > m_limit / 8 || !isFinite(refDevice) ||
        !acceptable(QRectF(refDevice, QSizeF(em, em))))
        return;

    const int pixelSize = qBound(1, qRound(em * toPainter), 2048);
    const QFont font = makeFont(s.font, pixelSize);
    const QFontMetricsF fm(font);
    double k = em / pixelSize; // device units per font unit
    if (s.font.height > 0 && fm.ascent() + fm.descent() > 0)
        k = em / (fm.ascent() + fm.descent()); // a positive height is the cell height
    double stretch = 1;
    if (s.font.width != 0 && fm.averageCharWidth() > 0)
        stretch = qBound(
            0.05, std::abs(double(s.font.width)) * widthUnit / (fm.averageCharWidth() * k), 20.0);
    double angle = -double(s.font.escapement) / 10.0;
    if (!s.world.isIdentity())
        angle += qRadiansToDegrees(std::atan2(s.world.m12(), s.world.m11()));

    QTransform local;
    local.translate(refDevice.x(), refDevice.y());
    local.rotate(angle);
    local.scale(k * stretch, k);

    // Advances along the baseline, in font units.
    const double fontUnitX = k * stretch;
    QList<double> advances;
    if (!t.dx.isEmpty()) {
        for (double dx : t.dx)
            advances.append(qBound(-1e6, dx * unitX / fontUnitX, 1e6));
    } else if (s.textCharExtra != 0) {
        for (QChar c : t.text)
            advances.append(fm.horizontalAdvance(c) + s.textCharExtra * unitX / fontUnitX);
    }
    double width = 0;
    if (advances.isEmpty())
        width = fm.horizontalAdvance(t.text);
    else
        for (qsizetype i = 0; i < qMin(advances.size(), t.text.size()); ++i)
            width += advances[i];

    double x0 = 0;
    if ((s.textAlign & TA_CENTER) == TA_CENTER)
        x0 = -width / 2;
    else if (s.textAlign & TA_RIGHT)
        x0 = -width;
    double baseline = fm.ascent();
    if ((s.textAlign & TA_BASELINE) == TA_BASELINE)
        baseline = 0;
    else if (s.textAlign & TA_BOTTOM)
        baseline = -fm.descent();
    const QRectF cells(x0, baseline - fm.ascent(), width, fm.ascent() + fm.descent());

    if ((t.options & ETO_CLIPPED) && !t.rect.isNull())
        m_painter->setClipPath(m.map(rectPath(t.rect)), Qt::IntersectClip);
    const QTransform full = local * m_base;
    // How large a font unit ends up along each axis of the glyphs, in the painter's pixels.
    const double glyphX = std::hypot(full.m11(), full.m12()) * pixelSize;
    const double glyphY = std::hypot(full.m21(), full.m22()) * pixelSize;
    const double larger = qMax(glyphX, glyphY), smaller = qMin(glyphX, glyphY);
    // The glyph cache of the font engine is only for moderate sizes and shapes; very large or
    // very distorted text is filled as outlines instead.
    const bool outlines = !(larger < 1024 && smaller * 8 > larger);
    m_painter->setTransform(full);
    if (s.bkMode == OPAQUE)
        m_painter->fillRect(cells, s.bkColor);
    m_painter->setFont(font);
    m_painter->setPen(s.textColor);
    m_painter->setBrush(Qt::NoBrush);
    QPainterPath glyphs;
    auto drawRun = [&](QPointF at, const QString& run) {
        if (outlines)
            glyphs.addText(at, font, run);
        else
            m_painter->drawText(at, run);
    };
    if (smaller >= 0.05 && isFinite(larger)) {
        if (advances.isEmpty()) {
            drawRun(QPointF(x0, baseline), t.text);
        } else {
            double x = x0;
            for (qsizetype i = 0; i < t.text.size(); ++i) {
                qsizetype units = 1;
                if (t.text[i].isHighSurrogate() && i + 1 < t.text.size() &&
                    t.text[i + 1].isLowSurrogate())
                    units = 2;
                drawRun(QPointF(x, baseline), t.text.mid(i, units));
                for (qsizetype u = i; u < i + units; ++u)
                    x += u < advances.size() ? advances[u] : 0;
                i += units - 1;
            }
        }
        if (outlines)
            m_painter->fillPath(glyphs, s.textColor);
    }
    m_painter->setTransform(m_base);
    if ((t.options & ETO_CLIPPED) && !t.rect.isNull())
        applyClip();

    if (m_observer && *m_observer) {
        MetafileTextRun run;
        run.text = t.text;
        run.origin = m_base.map(refDevice);
        run.box = (local * m_base).mapRect(cells);
        run.face = s.font.face;
        run.charset = s.font.charset;
        run.pixelHeight = em * toPainter;
        (*m_observer)(run);
    }

    if (updateCp && (s.textAlign & TA_CENTER) != TA_CENTER) {
        const double along = (s.textAlign & TA_RIGHT) ? -width : width;
        bool invertible = false;
        const QTransform back = m.inverted(&invertible);
        const QPointF p = back.map(local.map(QPointF(along, 0)));
        if (invertible && isFinite(p))
            s.position = p;
    }
}

// ---- bitmaps ----

void MetafileCanvas::blit(const Blit& b)
{
    const QTransform m = pageToDevice();
    if (!m_painter || !usable(m))
        return;
    const int rop = int((b.rop >> 16) & 0xff);
    const QPainterPath destDevice = m.map(rectPath(b.dest));
    if (!acceptable(destDevice.controlPointRect()))
        return;

    const bool rasterOps = m_painter->paintEngine() &&
                           m_painter->paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
    auto fillDest = [&](const QBrush& brush, QPainter::CompositionMode mode) {
        if (mode != QPainter::CompositionMode_SourceOver && !rasterOps)
            return;
        m_painter->setCompositionMode(mode);
        m_painter->fillPath(destDevice, brush);
        m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    };
    // Operations that use no source, whether or not a bitmap came along.
    if (b.mode == Blit::Raster) {
        switch (rop) {
        case 0x00: // BLACKNESS
            fillDest(Qt::black, QPainter::CompositionMode_SourceOver);
            return;
        case 0xFF: // WHITENESS
            fillDest(Qt::white, QPainter::CompositionMode_SourceOver);
            return;
        case 0x55: // DSTINVERT
            fillDest(Qt::black, QPainter::RasterOp_NotDestination);
            return;
        case 0xAA: // the destination stays
            return;
        case 0x5A: // PATINVERT
            if (m_state.brush.style != GdiBrush::Null)
                fillDest(m_state.brush.color, QPainter::RasterOp_SourceXorDestination);
            return;
        case 0xF0: // PATCOPY
            fillDevicePath(destDevice, m_state.brush);
            return;
        default:
            break;
        }
    }
    if (b.image.isNull()) {
        fillDevicePath(destDevice, m_state.brush);
        return;
    }

    QRectF source = b.source;
    if (source.width() == 0 || source.height() == 0 || b.dest.width() == 0 || b.dest.height() == 0)
        return;
    // Image pixels to logical units; the signs of both rectangles give the mirroring.
    const double sx = b.dest.width() / source.width();
    const double sy = b.dest.height() / source.height();
    const QTransform toLogical(sx, 0, 0, sy, b.dest.x() - source.x() * sx,
                               b.dest.y() - source.y() * sy);
    const QRectF visible = source.normalized().intersected(QRectF(b.image.rect()));
    if (visible.isEmpty())
        return;
    const QTransform full = toLogical * m * m_base;
    if (!usable(full))
        return;

    QImage image = b.image;
    if (b.mode == Blit::Transparent) {
        image = image.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = b.transparentColor & 0xffffff;
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if ((line[x] & 0xffffff) == key)
                    line[x] = 0;
            }
        }
    }

    const bool smooth = m_state.stretchMode == HALFTONE || deviceScale(full) < 1;
    m_painter->setTransform(full);
    m_painter->setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    const auto mode = b.mode == Blit::Raster ? rop3Mode(rop) : std::nullopt;
    if (mode && rasterOps)
        m_painter->setCompositionMode(*mode);
    if (b.mode == Blit::Alpha)
        m_painter->setOpacity(qBound(0, b.constantAlpha, 255) / 255.0);
    m_painter->drawImage(visible, image, visible);
    m_painter->setOpacity(1);
    m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    m_painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    m_painter->setTransform(m_base);
}

// ---- clipping ----

void MetafileCanvas::applyClip()
{
    if (!m_painter)
        return;
    m_painter->setTransform(m_base);
    if (!m_state.clipping) {
        if (m_hasBaseClip)
            m_painter->setClipPath(m_baseClip);
        else
            m_painter->setClipping(false);
        return;
    }
    m_painter->setClipPath(m_hasBaseClip ? m_baseClip.intersected(m_state.clip) : m_state.clip);
}

void MetafileCanvas::combineClip(const QPainterPath& device, int mode)
{
    QPainterPath area = device;
    area.setFillRule(Qt::WindingFill);
    const QPainterPath current = m_state.clipping ? m_state.clip : everything();
    QPainterPath result;
    switch (mode) {
    case RGN_AND:
        result = current.intersected(area);
        break;
    case RGN_OR:
        result = current.united(area);
        break;
    case RGN_XOR:
        result = current.united(area).subtracted(current.intersected(area));
        break;
    case RGN_DIFF:
        result = current.subtracted(area);
        break;
    case RGN_COPY:
        result = area;
        break;
    default:
        return;
    }
    m_state.clipping = true;
    m_state.clip = result;
    applyClip();
}

void MetafileCanvas::intersectClipRect(const QRectF& r)
{
    const QTransform m = pageToDevice();
    if (usable(m))
        combineClip(m.map(rectPath(r)), RGN_AND);
}

void MetafileCanvas::excludeClipRect(const QRectF& r)
{
    const QTransform m = pageToDevice();
    if (usable(m))
        combineClip(m.map(rectPath(r)), RGN_DIFF);
}

void MetafileCanvas::offsetClip(QPointF logicalOffset)
{
    const QTransform m = pageToDevice();
    if (!m_state.clipping || !usable(m))
        return;
    const QPointF d = m.map(logicalOffset) - m.map(QPointF(0, 0));
    if (!isFinite(d))
        return;
    m_state.clip.translate(d);
    applyClip();
}

void MetafileCanvas::selectClipRegion(const QPainterPath& device, int mode, bool reset)
{
    if (reset && mode == RGN_COPY) {
        m_state.clipping = false;
        m_state.clip = QPainterPath();
        applyClip();
        return;
    }
    combineClip(device, mode);
}

// ---- paths ----

void MetafileCanvas::beginPath()
{
    m_pathOpen = true;
    m_path = QPainterPath();
}

void MetafileCanvas::endPath()
{
    m_pathOpen = false;
}

void MetafileCanvas::abortPath()
{
    m_pathOpen = false;
    m_path = QPainterPath();
}

void MetafileCanvas::closeFigure()
{
    if (m_pathOpen)
        m_path.closeSubpath();
}

void MetafileCanvas::fillPath()
{
    m_pathOpen = false;
    m_path.setFillRule(m_state.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    paintDevicePath(m_path, true, false);
    m_path = QPainterPath();
}

void MetafileCanvas::strokePath()
{
    m_pathOpen = false;
    paintDevicePath(m_path, false, true);
    m_path = QPainterPath();
}

void MetafileCanvas::strokeAndFillPath()
{
    m_pathOpen = false;
    m_path.setFillRule(m_state.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    paintDevicePath(m_path, true, true);
    m_path = QPainterPath();
}

void MetafileCanvas::selectClipPath(int mode)
{
    m_pathOpen = false;
    m_path.setFillRule(m_state.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    combineClip(m_path, mode);
    m_path = QPainterPath();
}
