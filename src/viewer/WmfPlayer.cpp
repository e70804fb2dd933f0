#include "WmfPlayer.h"

#include "ByteReader.h"
#include "CharsetDecoder.h"
#include "DibDecoder.h"
#include "MetafileCanvas.h"
#include "store/LkError.h"

namespace {

enum Function : quint16 {
    META_EOF = 0x0000,
    META_REALIZEPALETTE = 0x0035,
    META_SETPALENTRIES = 0x0037,
    META_SETBKMODE = 0x0102,
    META_SETMAPMODE = 0x0103,
    META_SETROP2 = 0x0104,
    META_SETRELABS = 0x0105,
    META_SETPOLYFILLMODE = 0x0106,
    META_SETSTRETCHBLTMODE = 0x0107,
    META_SETTEXTCHAREXTRA = 0x0108,
    META_RESTOREDC = 0x0127,
    META_INVERTREGION = 0x012A,
    META_PAINTREGION = 0x012B,
    META_SELECTCLIPREGION = 0x012C,
    META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E,
    META_RESIZEPALETTE = 0x0139,
    META_DIBCREATEPATTERNBRUSH = 0x0142,
    META_SETLAYOUT = 0x0149,
    META_DELETEOBJECT = 0x01F0,
    META_CREATEPATTERNBRUSH = 0x01F9,
    META_SETBKCOLOR = 0x0201,
    META_SETTEXTCOLOR = 0x0209,
    META_SETTEXTJUSTIFICATION = 0x020A,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_SETVIEWPORTORG = 0x020D,
    META_SETVIEWPORTEXT = 0x020E,
    META_OFFSETWINDOWORG = 0x020F,
    META_OFFSETVIEWPORTORG = 0x0211,
    META_LINETO = 0x0213,
    META_MOVETO = 0x0214,
    META_OFFSETCLIPRGN = 0x0220,
    META_FILLREGION = 0x0228,
    META_SETMAPPERFLAGS = 0x0231,
    META_SELECTPALETTE = 0x0234,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_SCALEWINDOWEXT = 0x0410,
    META_SCALEVIEWPORTEXT = 0x0412,
    META_EXCLUDECLIPRECT = 0x0415,
    META_INTERSECTCLIPRECT = 0x0416,
    META_ELLIPSE = 0x0418,
    META_FLOODFILL = 0x0419,
    META_RECTANGLE = 0x041B,
    META_SETPIXEL = 0x041F,
    META_FRAMEREGION = 0x0429,
    META_ANIMATEPALETTE = 0x0436,
    META_TEXTOUT = 0x0521,
    META_POLYPOLYGON = 0x0538,
    META_EXTFLOODFILL = 0x0548,
    META_ROUNDRECT = 0x061C,
    META_PATBLT = 0x061D,
    META_ESCAPE = 0x0626,
    META_CREATEREGION = 0x06FF,
    META_ARC = 0x0817,
    META_PIE = 0x081A,
    META_CHORD = 0x0830,
    META_BITBLT = 0x0922,
    META_DIBBITBLT = 0x0940,
    META_EXTTEXTOUT = 0x0A32,
    META_STRETCHBLT = 0x0B23,
    META_DIBSTRETCHBLT = 0x0B41,
    META_SETDIBTODEV = 0x0D33,
    META_STRETCHDIB = 0x0F43,
    META_SAVEDC = 0x001E,
    META_CREATEPALETTE = 0x00F7,
};

constexpr quint32 PlaceableKey = 0x9AC6CDD7;
constexpr quint16 ETO_OPAQUE = 0x0002;
constexpr quint16 ETO_CLIPPED = 0x0004;

QColor colorRef(quint32 v)
{
    return QColor(int(v & 0xff), int((v >> 8) & 0xff), int((v >> 16) & 0xff));
}

QPointF point(ByteReader& r) // x then y
{
    const double x = r.i16();
    const double y = r.i16();
    return {x, y};
}

QPointF pointYX(ByteReader& r) // y then x, the order most records store
{
    const double y = r.i16();
    const double x = r.i16();
    return {x, y};
}

QRectF rectBRTL(ByteReader& r) // bottom, right, top, left
{
    const double bottom = r.i16(), right = r.i16(), top = r.i16(), left = r.i16();
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

QPolygonF points(ByteReader& r, qsizetype count)
{
    if (count < 0 || count * 4 > r.remaining())
        throw ByteReader::Overrun{};
    QPolygonF poly;
    poly.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        poly.append(point(r));
    return poly;
}

bool isDrawing(quint16 function)
{
    switch (function) {
    case META_LINETO:
    case META_POLYLINE:
    case META_POLYGON:
    case META_POLYPOLYGON:
    case META_RECTANGLE:
    case META_ROUNDRECT:
    case META_ELLIPSE:
    case META_ARC:
    case META_PIE:
    case META_CHORD:
    case META_SETPIXEL:
    case META_TEXTOUT:
    case META_EXTTEXTOUT:
    case META_PATBLT:
    case META_BITBLT:
    case META_STRETCHBLT:
    case META_DIBBITBLT:
    case META_DIBSTRETCHBLT:
    case META_STRETCHDIB:
    case META_SETDIBTODEV:
    case META_FILLREGION:
    case META_FRAMEREGION:
    case META_PAINTREGION:
    case META_INVERTREGION:
    case META_EOF:
        return true;
    default:
        return false;
    }
}

bool hasBitmap(quint16 function, qsizetype paramSize)
{
    switch (function) {
    case META_STRETCHDIB:
    case META_SETDIBTODEV:
    case META_DIBCREATEPATTERNBRUSH:
        return true;
    case META_DIBSTRETCHBLT:
        return paramSize > 22; // the form without a bitmap has an extra reserved word
    case META_DIBBITBLT:
        return paramSize > 18;
    default:
        return false;
    }
}

qsizetype bitmapOffset(quint16 function)
{
    switch (function) {
    case META_STRETCHDIB:
        return 22;
    case META_DIBSTRETCHBLT:
        return 20;
    case META_DIBBITBLT:
        return 16;
    case META_SETDIBTODEV:
        return 18;
    case META_DIBCREATEPATTERNBRUSH:
        return 4;
    default:
        return 0;
    }
}

DibDecoder::ColorUsage usageOf(quint16 function, QByteArrayView params)
{
    ByteReader r(params);
    quint16 usage = 0;
    if (function == META_STRETCHDIB) {
        r.skip(4);
        usage = r.u16();
    } else if (function == META_SETDIBTODEV) {
        usage = r.u16();
    } else if (function == META_DIBCREATEPATTERNBRUSH) {
        r.skip(2);
        usage = r.u16();
    }
    return usage == 1 ? DibDecoder::ColorUsage::PaletteIndices : DibDecoder::ColorUsage::Rgb;
}

bool bottomUp(QByteArrayView dib)
{
    ByteReader r(dib);
    try {
        if (r.u32() == 12)
            return true;
        r.skip(4);
        return r.i32() > 0;
    } catch (const ByteReader::Overrun&) {
        return true;
    }
}

} // namespace

QString WmfPlayer::recordName(quint16 function)
{
    switch (function) {
    case META_EOF:
        return QStringLiteral("EOF");
    case META_SETBKMODE:
        return QStringLiteral("SetBkMode");
    case META_SETMAPMODE:
        return QStringLiteral("SetMapMode");
    case META_SETROP2:
        return QStringLiteral("SetROP2");
    case META_SETPOLYFILLMODE:
        return QStringLiteral("SetPolyFillMode");
    case META_SETSTRETCHBLTMODE:
        return QStringLiteral("SetStretchBltMode");
    case META_SETTEXTCHAREXTRA:
        return QStringLiteral("SetTextCharExtra");
    case META_RESTOREDC:
        return QStringLiteral("RestoreDC");
    case META_SAVEDC:
        return QStringLiteral("SaveDC");
    case META_INVERTREGION:
        return QStringLiteral("InvertRegion");
    case META_PAINTREGION:
        return QStringLiteral("PaintRegion");
    case META_SELECTCLIPREGION:
        return QStringLiteral("SelectClipRegion");
    case META_SELECTOBJECT:
        return QStringLiteral("SelectObject");
    case META_SETTEXTALIGN:
        return QStringLiteral("SetTextAlign");
    case META_DIBCREATEPATTERNBRUSH:
        return QStringLiteral("DIBCreatePatternBrush");
    case META_DELETEOBJECT:
        return QStringLiteral("DeleteObject");
    case META_CREATEPATTERNBRUSH:
        return QStringLiteral("CreatePatternBrush");
    case META_SETBKCOLOR:
        return QStringLiteral("SetBkColor");
    case META_SETTEXTCOLOR:
        return QStringLiteral("SetTextColor");
    case META_SETWINDOWORG:
        return QStringLiteral("SetWindowOrg");
    case META_SETWINDOWEXT:
        return QStringLiteral("SetWindowExt");
    case META_SETVIEWPORTORG:
        return QStringLiteral("SetViewportOrg");
    case META_SETVIEWPORTEXT:
        return QStringLiteral("SetViewportExt");
    case META_OFFSETWINDOWORG:
        return QStringLiteral("OffsetWindowOrg");
    case META_OFFSETVIEWPORTORG:
        return QStringLiteral("OffsetViewportOrg");
    case META_LINETO:
        return QStringLiteral("LineTo");
    case META_MOVETO:
        return QStringLiteral("MoveTo");
    case META_OFFSETCLIPRGN:
        return QStringLiteral("OffsetClipRgn");
    case META_FILLREGION:
        return QStringLiteral("FillRegion");
    case META_CREATEPENINDIRECT:
        return QStringLiteral("CreatePenIndirect");
    case META_CREATEFONTINDIRECT:
        return QStringLiteral("CreateFontIndirect");
    case META_CREATEBRUSHINDIRECT:
        return QStringLiteral("CreateBrushIndirect");
    case META_POLYGON:
        return QStringLiteral("Polygon");
    case META_POLYLINE:
        return QStringLiteral("Polyline");
    case META_SCALEWINDOWEXT:
        return QStringLiteral("ScaleWindowExt");
    case META_SCALEVIEWPORTEXT:
        return QStringLiteral("ScaleViewportExt");
    case META_EXCLUDECLIPRECT:
        return QStringLiteral("ExcludeClipRect");
    case META_INTERSECTCLIPRECT:
        return QStringLiteral("IntersectClipRect");
    case META_ELLIPSE:
        return QStringLiteral("Ellipse");
    case META_RECTANGLE:
        return QStringLiteral("Rectangle");
    case META_SETPIXEL:
        return QStringLiteral("SetPixel");
    case META_FRAMEREGION:
        return QStringLiteral("FrameRegion");
    case META_TEXTOUT:
        return QStringLiteral("TextOut");
    case META_POLYPOLYGON:
        return QStringLiteral("PolyPolygon");
    case META_ROUNDRECT:
        return QStringLiteral("RoundRect");
    case META_PATBLT:
        return QStringLiteral("PatBlt");
    case META_ESCAPE:
        return QStringLiteral("Escape");
    case META_CREATEREGION:
        return QStringLiteral("CreateRegion");
    case META_ARC:
        return QStringLiteral("Arc");
    case META_PIE:
        return QStringLiteral("Pie");
    case META_CHORD:
        return QStringLiteral("Chord");
    case META_BITBLT:
        return QStringLiteral("BitBlt");
    case META_DIBBITBLT:
        return QStringLiteral("DIBBitBlt");
    case META_EXTTEXTOUT:
        return QStringLiteral("ExtTextOut");
    case META_STRETCHBLT:
        return QStringLiteral("StretchBlt");
    case META_DIBSTRETCHBLT:
        return QStringLiteral("DIBStretchBlt");
    case META_SETDIBTODEV:
        return QStringLiteral("SetDIBitsToDevice");
    case META_STRETCHDIB:
        return QStringLiteral("StretchDIBits");
    case META_CREATEPALETTE:
        return QStringLiteral("CreatePalette");
    default:
        return QStringLiteral("0x%1").arg(function, 4, 16, QLatin1Char('0'));
    }
}

bool WmfPlayer::isPlaceable(QByteArrayView data)
{
    ByteReader r(data);
    try {
        return r.u32() == PlaceableKey;
    } catch (const ByteReader::Overrun&) {
        return false;
    }
}

WmfPlayer::WmfPlayer(const QByteArray& data) : m_data(data)
{
    parse();
    decodeBitmaps();
    check();
    setUpGeometry();
}

void WmfPlayer::damaged(const QString& what) const
{
    throw LkError(QStringLiteral("the Windows metafile is damaged: %1").arg(what),
                  LkErrorKind::Graphic);
}

void WmfPlayer::parse()
{
    if (m_data.isEmpty())
        throw LkError(QStringLiteral("the file is empty"), LkErrorKind::Graphic);
    ByteReader r(m_data);
    try {
        if (isPlaceable(m_data)) {
            m_placeable = true;
            r.skip(4 + 2); // key, handle
            const int left = r.i16(), top = r.i16(), right = r.i16(), bottom = r.i16();
            m_inch = r.u16();
            r.skip(4 + 2); // reserved, checksum
            m_bounds = QRect(QPoint(qMin(left, right), qMin(top, bottom)),
                             QPoint(qMax(left, right) - 1, qMax(top, bottom) - 1));
            if (m_inch == 0)
                damaged(QStringLiteral("the placeable header gives no units per inch"));
            if (left == right || top == bottom)
                damaged(QStringLiteral("the placeable header's bounding box is empty"));
        }
        const qsizetype start = r.pos();
        const quint16 type = r.u16();
        const quint16 headerWords = r.u16();
        const quint16 version = r.u16();
        r.u32(); // size in words
        m_objectCount = r.u16();
        r.u32(); // largest record
        r.u16(); // unused
        if ((type != 1 && type != 2) || headerWords != 9 ||
            (version != 0x0100 && version != 0x0300)) {
            if (m_placeable)
                damaged(QStringLiteral("the header after the placeable header is not valid"));
            throw LkError(QStringLiteral("the file is not a Windows metafile"),
                          LkErrorKind::Graphic);
        }
        r.seek(start + 18);
    } catch (const ByteReader::Overrun&) {
        damaged(QStringLiteral("the file is too short for its header"));
    }

    for (;;) {
        const qsizetype offset = r.pos();
        if (r.remaining() < 6)
            damaged(QStringLiteral("the file ends without its end record (after %1 records)")
                        .arg(m_records.size()));
        const quint32 words = r.u32();
        const quint16 function = r.u16();
        if (words < 3)
            damaged(QStringLiteral("record %1 at byte %2 has the impossible size of %3 words")
                        .arg(recordName(function))
                        .arg(offset)
                        .arg(words));
        const qint64 bytes = qint64(words) * 2;
        if (bytes > qint64(m_data.size() - offset))
            damaged(QStringLiteral("record %1 at byte %2 runs past the end of the file")
                        .arg(recordName(function))
                        .arg(offset));
        m_records.push_back(
            Record{function, offset, QByteArrayView(m_data).sliced(offset + 6, bytes - 6)});
        if (function == META_EOF)
            break;
        r.seek(offset + bytes);
    }
}

void WmfPlayer::decodeBitmaps()
{
    for (size_t i = 0; i < m_records.size(); ++i) {
        const Record& rec = m_records[i];
        if (!hasBitmap(rec.function, rec.params.size()))
            continue;
        const qsizetype at = bitmapOffset(rec.function);
        if (rec.params.size() <= at)
            damaged(QStringLiteral("record %1 at byte %2 is too short for its bitmap")
                        .arg(recordName(rec.function))
                        .arg(rec.offset));
        try {
            m_images.insert(i, DibDecoder::decodePacked(rec.params.sliced(at),
                                                        usageOf(rec.function, rec.params)));
        } catch (const LkError& e) {
            damaged(QStringLiteral("the bitmap of record %1 at byte %2 is not valid: %3")
                        .arg(recordName(rec.function))
                        .arg(rec.offset)
                        .arg(e.message()));
        } catch (const ByteReader::Overrun&) {
            damaged(QStringLiteral("record %1 at byte %2 is too short for its bitmap")
                        .arg(recordName(rec.function))
                        .arg(rec.offset));
        }
    }
}

void WmfPlayer::check()
{
    // A run without a painter reads every record's parameters once.
    MetafileCanvas canvas(nullptr, QTransform(), devicePixelsPerMm(), nullptr);
    canvas.setObjectTableSize(m_objectCount);
    for (size_t i = 0; i < m_records.size(); ++i) {
        try {
            playRecord(canvas, i);
        } catch (const ByteReader::Overrun&) {
            damaged(QStringLiteral("record %1 at byte %2 is shorter than its contents")
                        .arg(recordName(m_records[i].function))
                        .arg(m_records[i].offset));
        }
    }
}

void WmfPlayer::setUpGeometry()
{
    const double px = 96.0;
    if (m_placeable) {
        // The bounding box fills the frame, at its units per inch.
        const QSizeF natural(m_bounds.width() * px / m_inch, m_bounds.height() * px / m_inch);
        m_windowOrg = m_bounds.topLeft();
        m_windowExt = QPointF(m_bounds.width(), m_bounds.height());
        m_viewportExt = QPointF(natural.width(), natural.height());
        setGeometry(QRectF(QPointF(0, 0), natural), natural);
        return;
    }
    // Without the header the first window extent gives the size, one logical unit a pixel,
    // unless the file chose a fixed map mode before it.
    bool fixedMode = false;
    bool haveOrg = false;
    for (const Record& rec : m_records) {
        ByteReader r(rec.params);
        try {
            if (rec.function == META_SETMAPMODE) {
                const int mode = r.u16();
                fixedMode = mode != 7 && mode != 8;
            } else if (rec.function == META_SETWINDOWORG && !haveOrg) {
                m_windowOrg = pointYX(r);
                haveOrg = true;
            } else if (rec.function == META_SETWINDOWEXT) {
                const QPointF ext = pointYX(r);
                if (ext.x() == 0 || ext.y() == 0 || fixedMode)
                    break;
                m_windowExt = ext;
                m_viewportExt = QPointF(std::abs(ext.x()), std::abs(ext.y()));
                // The window as the mapping stands when drawing starts (a file may set a
                // viewport of its own as well) makes the frame.
                MetafileCanvas canvas(nullptr, QTransform(), devicePixelsPerMm(), nullptr);
                canvas.setObjectTableSize(m_objectCount);
                canvas.setMapMode(8);
                canvas.setWindowOrg(m_windowOrg);
                canvas.setWindowExt(m_windowExt);
                canvas.setViewportExt(m_viewportExt);
                for (size_t i = 0; i < m_records.size() && !isDrawing(m_records[i].function); ++i) {
                    try {
                        playRecord(canvas, i);
                    } catch (const ByteReader::Overrun&) {
                    }
                }
                const auto& st = canvas.state();
                const QRectF frame =
                    canvas.pageToDevice()
                        .mapRect(QRectF(st.windowOrg, QSizeF(st.windowExt.x(), st.windowExt.y()))
                                     .normalized())
                        .normalized();
                setGeometry(frame, frame.size());
                return;
            }
        } catch (const ByteReader::Overrun&) {
        }
    }
    m_windowOrg = QPointF(0, 0);
    m_windowExt = m_viewportExt = QPointF(1, 1);
    const QRectF bounds = drawingBounds();
    setGeometry(bounds, bounds.size());
}

QSizeF WmfPlayer::devicePixelsPerMm() const
{
    return QSizeF(96 / 25.4, 96 / 25.4);
}

void WmfPlayer::run(MetafileCanvas& canvas) const
{
    canvas.setObjectTableSize(m_objectCount);
    canvas.setMapMode(8);
    canvas.setWindowOrg(m_windowOrg);
    canvas.setWindowExt(m_windowExt);
    canvas.setViewportExt(m_viewportExt);
    for (size_t i = 0; i < m_records.size(); ++i) {
        try {
            playRecord(canvas, i);
        } catch (const ByteReader::Overrun&) {
            // Checked at load time; a record that still falls short is skipped.
        }
    }
}

void WmfPlayer::playRecord(MetafileCanvas& canvas, size_t index) const
{
    const Record& rec = m_records[index];
    ByteReader r(rec.params);
    auto& s = canvas.state();

    switch (rec.function) {
    case META_SAVEDC:
        canvas.saveDC();
        break;
    case META_RESTOREDC:
        canvas.restoreDC(r.i16());
        break;
    case META_SETBKMODE:
        s.bkMode = r.u16();
        break;
    case META_SETMAPMODE:
        canvas.setMapMode(r.u16());
        break;
    case META_SETROP2:
        s.rop2 = r.u16();
        break;
    case META_SETPOLYFILLMODE:
        s.polyFillMode = r.u16();
        break;
    case META_SETSTRETCHBLTMODE:
        s.stretchMode = r.u16();
        break;
    case META_SETTEXTCHAREXTRA:
        s.textCharExtra = r.i16();
        break;
    case META_SETTEXTALIGN:
        s.textAlign = r.u16();
        break;
    case META_SETBKCOLOR:
        s.bkColor = colorRef(r.u32());
        break;
    case META_SETTEXTCOLOR:
        s.textColor = colorRef(r.u32());
        break;
    case META_SETWINDOWORG:
        canvas.setWindowOrg(pointYX(r));
        break;
    case META_SETWINDOWEXT:
        canvas.setWindowExt(pointYX(r));
        break;
    case META_SETVIEWPORTORG:
        canvas.setViewportOrg(pointYX(r));
        break;
    case META_SETVIEWPORTEXT:
        canvas.setViewportExt(pointYX(r));
        break;
    case META_OFFSETWINDOWORG:
        canvas.offsetWindowOrg(pointYX(r));
        break;
    case META_OFFSETVIEWPORTORG:
        canvas.offsetViewportOrg(pointYX(r));
        break;
    case META_SCALEWINDOWEXT:
    case META_SCALEVIEWPORTEXT: {
        const double yDenom = r.i16(), yNum = r.i16(), xDenom = r.i16(), xNum = r.i16();
        if (rec.function == META_SCALEWINDOWEXT)
            canvas.scaleWindowExt(xNum, xDenom, yNum, yDenom);
        else
            canvas.scaleViewportExt(xNum, xDenom, yNum, yDenom);
        break;
    }

    case META_CREATEPENINDIRECT: {
        GdiPen pen;
        const quint16 style = r.u16();
        pen.style = style & 0x0f;
        pen.endCap = style & 0x0f00;
        pen.join = style & 0xf000;
        pen.width = r.i16();
        r.i16(); // the y of the width is not used
        pen.color = colorRef(r.u32());
        canvas.addObject(pen);
        break;
    }
    case META_CREATEBRUSHINDIRECT: {
        GdiBrush brush;
        const quint16 style = r.u16();
        brush.color = colorRef(r.u32());
        brush.hatch = r.u16();
        brush.style = style == 1   ? GdiBrush::Null
                      : style == 2 ? GdiBrush::Hatched
                                   : GdiBrush::Solid;
        canvas.addObject(brush);
        break;
    }
    case META_DIBCREATEPATTERNBRUSH: {
        GdiBrush brush;
        brush.style = GdiBrush::Pattern;
        brush.color = QColor(128, 128, 128);
        brush.pattern = m_images.value(index);
        canvas.addObject(brush);
        break;
    }
    case META_CREATEPATTERNBRUSH:
        // An old device-dependent bitmap pattern: drawn as a mid-grey solid brush.
        canvas.addObject(GdiBrush{GdiBrush::Solid, QColor(128, 128, 128), 0, {}});
        break;
    case META_CREATEFONTINDIRECT: {
        GdiFont font;
        font.height = r.i16();
        font.width = r.i16();
        font.escapement = r.i16();
        font.orientation = r.i16();
        font.weight = r.i16();
        font.italic = r.u8();
        font.underline = r.u8();
        font.strikeOut = r.u8();
        font.charset = r.u8();
        r.skip(3); // output precision, clip precision, quality
        font.pitchAndFamily = r.u8();
        // The face name is NUL-terminated and may be cut short with the record.
        const QByteArrayView face = r.bytes(qMin<qsizetype>(32, r.remaining()));
        const qsizetype end = face.indexOf('\0');
        font.face = CharsetDecoder::decode(end < 0 ? face : face.first(end), font.charset);
        canvas.addObject(font);
        break;
    }
    case META_CREATEREGION: {
        GdiRegion region;
        r.skip(2 + 2 + 4 + 2); // next in chain, object type, object count, region size
        const int scans = r.i16();
        r.skip(2 + 8); // max scan, bounding box
        for (int i = 0; i < scans; ++i) {
            const int count = r.u16();
            const double top = r.i16(), bottom = r.i16();
            for (int j = 0; j + 1 < count; j += 2) {
                const double left = r.i16(), right = r.i16();
                region.path.addRect(QRectF(QPointF(left, top), QPointF(right, bottom)));
            }
            if (count % 2)
                r.skip(2);
            r.skip(2); // the count again
        }
        canvas.addObject(region);
        break;
    }
    case META_CREATEPALETTE:
        canvas.addObject(GdiPlaceholder{});
        break;
    case META_SELECTOBJECT:
        canvas.selectObject(r.u16());
        break;
    case META_DELETEOBJECT:
        canvas.deleteObject(r.u16());
        break;
    case META_SELECTCLIPREGION: {
        const quint16 i = r.u16();
        const GdiObject* o = canvas.object(i);
        if (o && std::holds_alternative<GdiRegion>(*o))
            canvas.selectObject(i);
        else
            canvas.selectClipRegion({}, 5, true);
        break;
    }
    case META_FILLREGION:
    case META_PAINTREGION:
    case META_INVERTREGION:
    case META_FRAMEREGION: {
        const GdiObject* region = canvas.object(r.u16());
        const GdiRegion* g = region ? std::get_if<GdiRegion>(region) : nullptr;
        GdiBrush brush = s.brush;
        if (rec.function == META_FILLREGION || rec.function == META_FRAMEREGION) {
            const GdiObject* b = canvas.object(r.u16());
            if (!b || !std::holds_alternative<GdiBrush>(*b))
                break;
            brush = std::get<GdiBrush>(*b);
        }
        if (!g)
            break;
        if (rec.function == META_INVERTREGION) {
            canvas.invertRegion(g->path);
        } else if (rec.function == META_FRAMEREGION) {
            const double h = r.i16(), w = r.i16();
            canvas.frameRegion(g->path, brush, QSizeF(w, h));
        } else {
            canvas.fillRegion(g->path, brush);
        }
        break;
    }

    case META_MOVETO:
        canvas.moveTo(pointYX(r));
        break;
    case META_LINETO:
        canvas.lineTo(pointYX(r));
        break;
    case META_POLYLINE:
    case META_POLYGON: {
        const int count = r.i16();
        const QPolygonF poly = points(r, count);
        if (rec.function == META_POLYLINE)
            canvas.polyline(poly);
        else
            canvas.polygon(poly);
        break;
    }
    case META_POLYPOLYGON: {
        const int n = r.u16();
        if (n * 2 > r.remaining())
            throw ByteReader::Overrun{};
        QList<int> counts;
        for (int i = 0; i < n; ++i)
            counts.append(r.u16());
        QList<QPolygonF> polys;
        for (int c : counts)
            polys.append(points(r, c));
        canvas.polyPolygon(polys);
        break;
    }
    case META_RECTANGLE:
        canvas.rectangle(rectBRTL(r));
        break;
    case META_ELLIPSE:
        canvas.ellipse(rectBRTL(r));
        break;
    case META_ROUNDRECT: {
        const double h = r.i16(), w = r.i16();
        canvas.roundRect(rectBRTL(r), QSizeF(w, h));
        break;
    }
    case META_ARC:
    case META_PIE:
    case META_CHORD: {
        const QPointF end = pointYX(r);
        const QPointF start = pointYX(r);
        const QRectF box = rectBRTL(r);
        canvas.arc(rec.function == META_ARC   ? MetafileCanvas::ArcKind::Arc
                   : rec.function == META_PIE ? MetafileCanvas::ArcKind::Pie
                                              : MetafileCanvas::ArcKind::Chord,
                   box, start, end);
        break;
    }
    case META_SETPIXEL: {
        const QColor color = colorRef(r.u32());
        canvas.setPixel(pointYX(r), color);
        break;
    }

    case META_TEXTOUT: {
        const int count = r.i16();
        if (count < 0)
            throw ByteReader::Overrun{};
        const QByteArrayView bytes = r.bytes(count);
        r.skip(count & 1);
        MetafileCanvas::Text t;
        t.reference = pointYX(r);
        t.text = CharsetDecoder::decode(bytes, s.font.charset, s.font.face);
        canvas.text(t);
        break;
    }
    case META_EXTTEXTOUT: {
        MetafileCanvas::Text t;
        t.reference = pointYX(r);
        const int count = r.i16();
        t.options = r.u16();
        if (count < 0)
            throw ByteReader::Overrun{};
        if (t.options & (ETO_OPAQUE | ETO_CLIPPED)) {
            const double left = r.i16(), top = r.i16(), right = r.i16(), bottom = r.i16();
            t.rect = QRectF(QPointF(left, top), QPointF(right, bottom));
        }
        const QByteArrayView bytes = r.bytes(count);
        t.text = CharsetDecoder::decode(bytes, s.font.charset, s.font.face);
        if (r.remaining() >= (count & 1) + count * 2) {
            r.skip(count & 1);
            // Advances belong to bytes; they apply as they stand when each byte made one
            // character (not so in the double-byte code pages).
            if (t.text.size() == count)
                for (int i = 0; i < count; ++i)
                    t.dx.append(r.i16());
        }
        canvas.text(t);
        break;
    }

    case META_PATBLT: {
        MetafileCanvas::Blit b;
        b.rop = r.u32();
        const double h = r.i16(), w = r.i16();
        const QPointF p = pointYX(r);
        b.dest = QRectF(p, QSizeF(w, h));
        canvas.blit(b);
        break;
    }
    case META_STRETCHDIB:
    case META_DIBSTRETCHBLT:
    case META_DIBBITBLT:
    case META_BITBLT:
    case META_STRETCHBLT:
    case META_SETDIBTODEV: {
        if ((rec.function == META_BITBLT && rec.params.size() > 18) ||
            (rec.function == META_STRETCHBLT && rec.params.size() > 22))
            break; // an old device-dependent bitmap: not drawn
        MetafileCanvas::Blit b;
        const bool bitmap = hasBitmap(rec.function, rec.params.size());
        double srcW = 0, srcH = 0, srcX = 0, srcY = 0, w = 0, h = 0;
        QPointF dest;
        bool fromBottom = false;
        if (rec.function == META_SETDIBTODEV) {
            r.skip(2); // colour usage
            const int scans = r.u16(), startScan = r.u16();
            Q_UNUSED(scans);
            Q_UNUSED(startScan);
            srcY = r.i16(), srcX = r.i16();
            srcH = h = r.i16();
            srcW = w = r.i16();
            dest = pointYX(r);
            fromBottom = true;
        } else {
            b.rop = r.u32();
            if (rec.function == META_STRETCHDIB) {
                r.skip(2); // colour usage
                fromBottom = true;
            }
            if (rec.function != META_DIBBITBLT && rec.function != META_BITBLT) {
                srcH = r.i16();
                srcW = r.i16();
            }
            srcY = r.i16();
            srcX = r.i16();
            if (!bitmap && rec.function != META_STRETCHDIB)
                r.skip(2); // reserved
            h = r.i16();
            w = r.i16();
            dest = pointYX(r);
            if (rec.function == META_DIBBITBLT || rec.function == META_BITBLT)
                srcW = w, srcH = h;
        }
        b.dest = QRectF(dest, QSizeF(w, h));
        if (bitmap) {
            b.image = m_images.value(index);
            if (b.image.isNull())
                break; // a format without meaning here
            if (fromBottom && bottomUp(rec.params.sliced(bitmapOffset(rec.function))))
                srcY = b.image.height() - srcY - srcH; // measured from the bottom row
            b.source = QRectF(srcX, srcY, srcW, srcH);
        }
        canvas.blit(b);
        break;
    }

    case META_INTERSECTCLIPRECT:
        canvas.intersectClipRect(rectBRTL(r));
        break;
    case META_EXCLUDECLIPRECT:
        canvas.excludeClipRect(rectBRTL(r));
        break;
    case META_OFFSETCLIPRGN:
        canvas.offsetClip(pointYX(r));
        break;

    case META_EOF:
    default:
        // Palettes, escapes, flood fills and records unknown here draw nothing.
        break;
    }
}
