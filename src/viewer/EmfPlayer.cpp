#include "EmfPlayer.h"

#include "ByteReader.h"
#include "CharsetDecoder.h"
#include "DibDecoder.h"
#include "MetafileCanvas.h"
#include "store/LkError.h"

namespace {

enum Type : quint32 {
    EMR_HEADER = 1,
    EMR_POLYBEZIER = 2,
    EMR_POLYGON = 3,
    EMR_POLYLINE = 4,
    EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6,
    EMR_POLYPOLYLINE = 7,
    EMR_POLYPOLYGON = 8,
    EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10,
    EMR_SETVIEWPORTEXTEX = 11,
    EMR_SETVIEWPORTORGEX = 12,
    EMR_SETBRUSHORGEX = 13,
    EMR_EOF = 14,
    EMR_SETPIXELV = 15,
    EMR_SETMAPPERFLAGS = 16,
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETPOLYFILLMODE = 19,
    EMR_SETROP2 = 20,
    EMR_SETSTRETCHBLTMODE = 21,
    EMR_SETTEXTALIGN = 22,
    EMR_SETCOLORADJUSTMENT = 23,
    EMR_SETTEXTCOLOR = 24,
    EMR_SETBKCOLOR = 25,
    EMR_OFFSETCLIPRGN = 26,
    EMR_MOVETOEX = 27,
    EMR_SETMETARGN = 28,
    EMR_EXCLUDECLIPRECT = 29,
    EMR_INTERSECTCLIPRECT = 30,
    EMR_SCALEVIEWPORTEXTEX = 31,
    EMR_SCALEWINDOWEXTEX = 32,
    EMR_SAVEDC = 33,
    EMR_RESTOREDC = 34,
    EMR_SETWORLDTRANSFORM = 35,
    EMR_MODIFYWORLDTRANSFORM = 36,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_ANGLEARC = 41,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_ROUNDRECT = 44,
    EMR_ARC = 45,
    EMR_CHORD = 46,
    EMR_PIE = 47,
    EMR_SELECTPALETTE = 48,
    EMR_CREATEPALETTE = 49,
    EMR_LINETO = 54,
    EMR_ARCTO = 55,
    EMR_POLYDRAW = 56,
    EMR_SETARCDIRECTION = 57,
    EMR_SETMITERLIMIT = 58,
    EMR_BEGINPATH = 59,
    EMR_ENDPATH = 60,
    EMR_CLOSEFIGURE = 61,
    EMR_FILLPATH = 62,
    EMR_STROKEANDFILLPATH = 63,
    EMR_STROKEPATH = 64,
    EMR_FLATTENPATH = 65,
    EMR_WIDENPATH = 66,
    EMR_SELECTCLIPPATH = 67,
    EMR_ABORTPATH = 68,
    EMR_GDICOMMENT = 70,
    EMR_FILLRGN = 71,
    EMR_FRAMERGN = 72,
    EMR_INVERTRGN = 73,
    EMR_PAINTRGN = 74,
    EMR_EXTSELECTCLIPRGN = 75,
    EMR_BITBLT = 76,
    EMR_STRETCHBLT = 77,
    EMR_MASKBLT = 78,
    EMR_PLGBLT = 79,
    EMR_SETDIBITSTODEVICE = 80,
    EMR_STRETCHDIBITS = 81,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTA = 83,
    EMR_EXTTEXTOUTW = 84,
    EMR_POLYBEZIER16 = 85,
    EMR_POLYGON16 = 86,
    EMR_POLYLINE16 = 87,
    EMR_POLYBEZIERTO16 = 88,
    EMR_POLYLINETO16 = 89,
    EMR_POLYPOLYLINE16 = 90,
    EMR_POLYPOLYGON16 = 91,
    EMR_POLYDRAW16 = 92,
    EMR_CREATEMONOBRUSH = 93,
    EMR_CREATEDIBPATTERNBRUSHPT = 94,
    EMR_EXTCREATEPEN = 95,
    EMR_POLYTEXTOUTA = 96,
    EMR_POLYTEXTOUTW = 97,
    EMR_SMALLTEXTOUT = 108,
    EMR_ALPHABLEND = 114,
    EMR_SETLAYOUT = 115,
    EMR_TRANSPARENTBLT = 116,
    EMR_GRADIENTFILL = 118,
};

constexpr quint32 EmfSignature = 0x464D4520; // " EMF"
constexpr quint32 ETO_NO_RECT = 0x0100;
constexpr quint32 ETO_SMALL_CHARS = 0x0200;
constexpr quint32 ETO_PDY = 0x2000;

QColor colorRef(quint32 v)
{
    return QColor(int(v & 0xff), int((v >> 8) & 0xff), int((v >> 16) & 0xff));
}

QPointF pointL(ByteReader& r)
{
    const double x = r.i32();
    const double y = r.i32();
    return {x, y};
}

QRectF rectL(ByteReader& r)
{
    const double left = r.i32(), top = r.i32(), right = r.i32(), bottom = r.i32();
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

QTransform xform(ByteReader& r)
{
    const double m11 = r.f32(), m12 = r.f32(), m21 = r.f32(), m22 = r.f32(), dx = r.f32(),
                 dy = r.f32();
    return QTransform(m11, m12, m21, m22, dx, dy);
}

QPolygonF points(ByteReader& r, quint32 count, bool small)
{
    if (qint64(count) * (small ? 4 : 8) > r.remaining())
        throw ByteReader::Overrun{};
    QPolygonF poly;
    poly.reserve(count);
    for (quint32 i = 0; i < count; ++i) {
        if (small) {
            const double x = r.i16();
            const double y = r.i16();
            poly.append(QPointF(x, y));
        } else {
            poly.append(pointL(r));
        }
    }
    return poly;
}

// RGNDATA: a header and a list of rectangles.
QPainterPath region(ByteReader& r)
{
    r.u32(); // header size
    r.u32(); // type
    const quint32 count = r.u32();
    r.u32();    // size of the rectangles
    r.skip(16); // bounds
    if (qint64(count) * 16 > r.remaining())
        throw ByteReader::Overrun{};
    QPainterPath path;
    for (quint32 i = 0; i < count; ++i)
        path.addRect(rectL(r).normalized());
    return path;
}

struct BitmapRef
{
    quint32 offBmi = 0, cbBmi = 0, offBits = 0, cbBits = 0, usage = 0;
};

// Where the bitmap of a bitmap record lies, if the record has one.
std::optional<BitmapRef> bitmapRef(quint32 type, QByteArrayView data)
{
    ByteReader r(data);
    BitmapRef b;
    switch (type) {
    case EMR_BITBLT:
    case EMR_STRETCHBLT:
    case EMR_ALPHABLEND:
    case EMR_TRANSPARENTBLT:
        r.seek(80);
        b.usage = r.u32();
        b.offBmi = r.u32(), b.cbBmi = r.u32(), b.offBits = r.u32(), b.cbBits = r.u32();
        break;
    case EMR_STRETCHDIBITS:
    case EMR_SETDIBITSTODEVICE:
        r.seek(48);
        b.offBmi = r.u32(), b.cbBmi = r.u32(), b.offBits = r.u32(), b.cbBits = r.u32();
        b.usage = r.u32();
        break;
    case EMR_CREATEDIBPATTERNBRUSHPT:
    case EMR_CREATEMONOBRUSH:
        r.seek(12);
        b.usage = r.u32();
        b.offBmi = r.u32(), b.cbBmi = r.u32(), b.offBits = r.u32(), b.cbBits = r.u32();
        break;
    default:
        return std::nullopt;
    }
    if (b.cbBmi == 0)
        return std::nullopt;
    return b;
}

bool bottomUp(QByteArrayView info)
{
    ByteReader r(info);
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

QString EmfPlayer::recordName(quint32 type)
{
    static const char* const names[] = {nullptr,
                                        "HEADER",
                                        "POLYBEZIER",
                                        "POLYGON",
                                        "POLYLINE",
                                        "POLYBEZIERTO",
                                        "POLYLINETO",
                                        "POLYPOLYLINE",
                                        "POLYPOLYGON",
                                        "SETWINDOWEXTEX",
                                        "SETWINDOWORGEX",
                                        "SETVIEWPORTEXTEX",
                                        "SETVIEWPORTORGEX",
                                        "SETBRUSHORGEX",
                                        "EOF",
                                        "SETPIXELV",
                                        "SETMAPPERFLAGS",
                                        "SETMAPMODE",
                                        "SETBKMODE",
                                        "SETPOLYFILLMODE",
                                        "SETROP2",
                                        "SETSTRETCHBLTMODE",
                                        "SETTEXTALIGN",
                                        "SETCOLORADJUSTMENT",
                                        "SETTEXTCOLOR",
                                        "SETBKCOLOR",
                                        "OFFSETCLIPRGN",
                                        "MOVETOEX",
                                        "SETMETARGN",
                                        "EXCLUDECLIPRECT",
                                        "INTERSECTCLIPRECT",
                                        "SCALEVIEWPORTEXTEX",
                                        "SCALEWINDOWEXTEX",
                                        "SAVEDC",
                                        "RESTOREDC",
                                        "SETWORLDTRANSFORM",
                                        "MODIFYWORLDTRANSFORM",
                                        "SELECTOBJECT",
                                        "CREATEPEN",
                                        "CREATEBRUSHINDIRECT",
                                        "DELETEOBJECT",
                                        "ANGLEARC",
                                        "ELLIPSE",
                                        "RECTANGLE",
                                        "ROUNDRECT",
                                        "ARC",
                                        "CHORD",
                                        "PIE",
                                        "SELECTPALETTE",
                                        "CREATEPALETTE",
                                        "SETPALETTEENTRIES",
                                        "RESIZEPALETTE",
                                        "REALIZEPALETTE",
                                        "EXTFLOODFILL",
                                        "LINETO",
                                        "ARCTO",
                                        "POLYDRAW",
                                        "SETARCDIRECTION",
                                        "SETMITERLIMIT",
                                        "BEGINPATH",
                                        "ENDPATH",
                                        "CLOSEFIGURE",
                                        "FILLPATH",
                                        "STROKEANDFILLPATH",
                                        "STROKEPATH",
                                        "FLATTENPATH",
                                        "WIDENPATH",
                                        "SELECTCLIPPATH",
                                        "ABORTPATH",
                                        nullptr,
                                        "GDICOMMENT",
                                        "FILLRGN",
                                        "FRAMERGN",
                                        "INVERTRGN",
                                        "PAINTRGN",
                                        "EXTSELECTCLIPRGN",
                                        "BITBLT",
                                        "STRETCHBLT",
                                        "MASKBLT",
                                        "PLGBLT",
                                        "SETDIBITSTODEVICE",
                                        "STRETCHDIBITS",
                                        "EXTCREATEFONTINDIRECTW",
                                        "EXTTEXTOUTA",
                                        "EXTTEXTOUTW",
                                        "POLYBEZIER16",
                                        "POLYGON16",
                                        "POLYLINE16",
                                        "POLYBEZIERTO16",
                                        "POLYLINETO16",
                                        "POLYPOLYLINE16",
                                        "POLYPOLYGON16",
                                        "POLYDRAW16",
                                        "CREATEMONOBRUSH",
                                        "CREATEDIBPATTERNBRUSHPT",
                                        "EXTCREATEPEN",
                                        "POLYTEXTOUTA",
                                        "POLYTEXTOUTW"};
    if (type < std::size(names) && names[type])
        return QStringLiteral("EMR_") + QLatin1String(names[type]);
    switch (type) {
    case EMR_SMALLTEXTOUT:
        return QStringLiteral("EMR_SMALLTEXTOUT");
    case EMR_ALPHABLEND:
        return QStringLiteral("EMR_ALPHABLEND");
    case EMR_TRANSPARENTBLT:
        return QStringLiteral("EMR_TRANSPARENTBLT");
    case EMR_GRADIENTFILL:
        return QStringLiteral("EMR_GRADIENTFILL");
    default:
        return QStringLiteral("%1").arg(type);
    }
}

bool EmfPlayer::isEnhanced(QByteArrayView data)
{
    ByteReader r(data);
    try {
        if (r.u32() != EMR_HEADER)
            return false;
        r.seek(40);
        return r.u32() == EmfSignature;
    } catch (const ByteReader::Overrun&) {
        return false;
    }
}

EmfPlayer::EmfPlayer(const QByteArray& data) : m_data(data)
{
    parse();
    decodeBitmaps();
    check();
    setUpGeometry();
}

void EmfPlayer::damaged(const QString& what) const
{
    throw LkError(QStringLiteral("the enhanced metafile is damaged: %1").arg(what),
                  LkErrorKind::Graphic);
}

void EmfPlayer::parse()
{
    if (!isEnhanced(m_data))
        throw LkError(QStringLiteral("the file is not an enhanced metafile"), LkErrorKind::Graphic);
    ByteReader r(m_data);
    try {
        r.u32(); // type
        const quint32 headerSize = r.u32();
        if (headerSize < 88 || headerSize > quint32(m_data.size()))
            damaged(QStringLiteral("the header size %1 is not valid").arg(headerSize));
        const QRectF bounds = rectL(r);
        const QRectF frame = rectL(r);
        m_bounds = QRect(QPoint(int(bounds.left()), int(bounds.top())),
                         QPoint(int(bounds.right()), int(bounds.bottom())));
        m_frameHimetric = QRect(QPoint(int(frame.left()), int(frame.top())),
                                QPoint(int(frame.right()), int(frame.bottom())));
        r.u32(); // signature
        r.u32(); // version
        r.u32(); // size in bytes
        r.u32(); // record count
        m_handles = r.u16();
        r.u16();
        r.skip(12); // description, palette entries
        const double deviceX = r.i32(), deviceY = r.i32();
        double mmX = r.i32(), mmY = r.i32();
        if (headerSize >= 108) {
            r.skip(12); // pixel format, OpenGL
            const double umX = r.u32(), umY = r.u32();
            if (umX > 0 && umY > 0)
                mmX = umX / 1000, mmY = umY / 1000;
        }
        if (deviceX > 0 && deviceY > 0 && mmX > 0 && mmY > 0)
            m_pxPerMm = QSizeF(deviceX / mmX, deviceY / mmY);
    } catch (const ByteReader::Overrun&) {
        damaged(QStringLiteral("the file is too short for its header"));
    }

    qsizetype offset = 0;
    for (;;) {
        if (m_data.size() - offset < 8)
            damaged(QStringLiteral("the file ends without its end record (after %1 records)")
                        .arg(m_records.size()));
        r.seek(offset);
        const quint32 type = r.u32();
        const quint32 size = r.u32();
        if (size < 8 || size % 4 != 0)
            damaged(QStringLiteral("record %1 at byte %2 has the impossible size of %3 bytes")
                        .arg(recordName(type))
                        .arg(offset)
                        .arg(size));
        if (qint64(size) > qint64(m_data.size() - offset))
            damaged(QStringLiteral("record %1 at byte %2 runs past the end of the file")
                        .arg(recordName(type))
                        .arg(offset));
        m_records.push_back(Record{type, offset, QByteArrayView(m_data).sliced(offset, size)});
        if (type == EMR_EOF)
            break;
        offset += size;
    }
}

void EmfPlayer::decodeBitmaps()
{
    for (size_t i = 0; i < m_records.size(); ++i) {
        const Record& rec = m_records[i];
        try {
            const auto ref = bitmapRef(rec.type, rec.data);
            if (!ref)
                continue;
            ByteReader r(rec.data);
            r.seek(ref->offBmi);
            QByteArray info = r.bytes(ref->cbBmi).toByteArray();
            r.seek(ref->offBits);
            const QByteArrayView bits = r.bytes(ref->cbBits);
            if (rec.type == EMR_SETDIBITSTODEVICE) {
                // Only cScans rows may be stored: the bitmap is read as that many rows.
                ByteReader p(rec.data);
                p.seek(72);
                const quint32 scans = p.u32();
                ByteReader h(info);
                const bool core = h.u32() == 12;
                h.seek(core ? 6 : 8);
                const qint64 height = core ? qint64(h.u16()) : qint64(h.i32());
                if (scans > 0 && scans < quint64(qAbs(height))) {
                    const qint32 rows = height < 0 ? -qint32(scans) : qint32(scans);
                    if (core) {
                        info[6] = char(rows & 0xff);
                        info[7] = char((rows >> 8) & 0xff);
                    } else {
                        for (int b = 0; b < 4; ++b)
                            info[8 + b] = char((quint32(rows) >> (8 * b)) & 0xff);
                    }
                }
            }
            const auto usage = ref->usage == 1 ? DibDecoder::ColorUsage::PaletteIndices
                                               : DibDecoder::ColorUsage::Rgb;
            const auto alpha =
                rec.type == EMR_ALPHABLEND ? DibDecoder::Alpha::Keep : DibDecoder::Alpha::Ignore;
            m_images.insert(i, DibDecoder::decode(info, bits, usage, alpha));
        } catch (const ByteReader::Overrun&) {
            damaged(QStringLiteral("the bitmap of record %1 at byte %2 lies outside the record")
                        .arg(recordName(rec.type))
                        .arg(rec.offset));
        } catch (const LkError& e) {
            damaged(QStringLiteral("the bitmap of record %1 at byte %2 is not valid: %3")
                        .arg(recordName(rec.type))
                        .arg(rec.offset)
                        .arg(e.message()));
        }
    }
}

void EmfPlayer::check()
{
    MetafileCanvas canvas(nullptr, QTransform(), m_pxPerMm, nullptr);
    for (size_t i = 0; i < m_records.size(); ++i) {
        try {
            playRecord(canvas, i);
        } catch (const ByteReader::Overrun&) {
            damaged(QStringLiteral("record %1 at byte %2 is shorter than its contents")
                        .arg(recordName(m_records[i].type))
                        .arg(m_records[i].offset));
        }
    }
}

void EmfPlayer::setUpGeometry()
{
    const QRect f = m_frameHimetric;
    if (f.right() > f.left() && f.bottom() > f.top()) {
        // The frame, in hundredths of a millimetre, on the reference device.
        const QRectF frame(f.left() * m_pxPerMm.width() / 100, f.top() * m_pxPerMm.height() / 100,
                           (double(f.right()) - f.left()) * m_pxPerMm.width() / 100,
                           (double(f.bottom()) - f.top()) * m_pxPerMm.height() / 100);
        const QSizeF natural((double(f.right()) - f.left()) * 96 / 2540,
                             (double(f.bottom()) - f.top()) * 96 / 2540);
        setGeometry(frame, natural);
        return;
    }
    const QRect b = m_bounds;
    QRectF frame;
    if (b.right() >= b.left() && b.bottom() >= b.top())
        frame = QRectF(b.left(), b.top(), double(b.right()) - b.left() + 1,
                       double(b.bottom()) - b.top() + 1);
    else
        frame = drawingBounds();
    const double toPixels = 96 / 25.4 / m_pxPerMm.height();
    setGeometry(frame, frame.size() * toPixels);
}

void EmfPlayer::run(MetafileCanvas& canvas) const
{
    canvas.setObjectTableSize(m_handles);
    for (size_t i = 0; i < m_records.size(); ++i) {
        try {
            playRecord(canvas, i);
        } catch (const ByteReader::Overrun&) {
            // Checked at load time; a record that still falls short is skipped.
        }
    }
}

void EmfPlayer::playRecord(MetafileCanvas& canvas, size_t index) const
{
    const Record& rec = m_records[index];
    ByteReader r(rec.data, 8);
    auto& s = canvas.state();

    // The text of the EMRTEXT structure at the reader's position.
    auto readText = [&](ByteReader& t, bool wide) {
        MetafileCanvas::Text text;
        text.reference = pointL(t);
        const quint32 count = t.u32();
        const quint32 offString = t.u32();
        text.options = t.u32();
        text.rect = rectL(t);
        const quint32 offDx = t.u32();
        if (count > quint32(rec.data.size()))
            throw ByteReader::Overrun{};
        ByteReader str(rec.data);
        str.seek(offString);
        if (wide) {
            const QByteArrayView bytes = str.bytes(qsizetype(count) * 2);
            text.text.resize(count);
            for (quint32 i = 0; i < count; ++i)
                text.text[i] = QChar(quint16(uchar(bytes[2 * i]) | (uchar(bytes[2 * i + 1]) << 8)));
        } else {
            text.text = CharsetDecoder::decode(str.bytes(count), s.font.charset, s.font.face);
        }
        if (offDx != 0 && (wide || text.text.size() == qsizetype(count))) {
            try {
                ByteReader dx(rec.data);
                dx.seek(offDx);
                const int step = (text.options & ETO_PDY) ? 2 : 1;
                QList<double> advances;
                for (quint32 i = 0; i < count; ++i) {
                    advances.append(dx.i32());
                    if (step == 2)
                        dx.i32();
                }
                text.dx = advances;
            } catch (const ByteReader::Overrun&) {
                // Advances that do not fit are left out: the font's own are used.
            }
        }
        return text;
    };

    switch (rec.type) {
    case EMR_HEADER:
    case EMR_EOF:
        break;

    case EMR_SAVEDC:
        canvas.saveDC();
        break;
    case EMR_RESTOREDC:
        canvas.restoreDC(r.i32());
        break;
    case EMR_SETMAPMODE:
        canvas.setMapMode(int(r.u32()));
        break;
    case EMR_SETBKMODE:
        s.bkMode = int(r.u32());
        break;
    case EMR_SETPOLYFILLMODE:
        s.polyFillMode = int(r.u32());
        break;
    case EMR_SETROP2:
        s.rop2 = int(r.u32());
        break;
    case EMR_SETSTRETCHBLTMODE:
        s.stretchMode = int(r.u32());
        break;
    case EMR_SETTEXTALIGN:
        s.textAlign = r.u32();
        break;
    case EMR_SETTEXTCOLOR:
        s.textColor = colorRef(r.u32());
        break;
    case EMR_SETBKCOLOR:
        s.bkColor = colorRef(r.u32());
        break;
    case EMR_SETARCDIRECTION:
        s.arcDirection = int(r.u32());
        break;
    case EMR_SETWINDOWEXTEX:
        canvas.setWindowExt(pointL(r));
        break;
    case EMR_SETWINDOWORGEX:
        canvas.setWindowOrg(pointL(r));
        break;
    case EMR_SETVIEWPORTEXTEX:
        canvas.setViewportExt(pointL(r));
        break;
    case EMR_SETVIEWPORTORGEX:
        canvas.setViewportOrg(pointL(r));
        break;
    case EMR_SCALEVIEWPORTEXTEX:
    case EMR_SCALEWINDOWEXTEX: {
        const double xNum = r.i32(), xDenom = r.i32(), yNum = r.i32(), yDenom = r.i32();
        if (rec.type == EMR_SCALEWINDOWEXTEX)
            canvas.scaleWindowExt(xNum, xDenom, yNum, yDenom);
        else
            canvas.scaleViewportExt(xNum, xDenom, yNum, yDenom);
        break;
    }
    case EMR_SETWORLDTRANSFORM:
        canvas.setWorldTransform(xform(r));
        s.graphicsMode = 2;
        break;
    case EMR_MODIFYWORLDTRANSFORM: {
        const QTransform t = xform(r);
        canvas.modifyWorldTransform(t, int(r.u32()));
        s.graphicsMode = 2;
        break;
    }

    case EMR_CREATEPEN: {
        const quint32 ih = r.u32();
        GdiPen pen;
        const quint32 style = r.u32();
        pen.style = int(style & 0x0f);
        pen.endCap = int(style & 0x0f00);
        pen.join = int(style & 0xf000);
        pen.width = r.i32();
        r.i32();
        pen.color = colorRef(r.u32());
        canvas.setObject(ih, pen);
        break;
    }
    case EMR_EXTCREATEPEN: {
        const quint32 ih = r.u32();
        r.skip(16); // the pattern bitmap of the pen's brush, not used
        GdiPen pen;
        const quint32 style = r.u32();
        pen.style = int(style & 0x0f);
        pen.endCap = int(style & 0x0f00);
        pen.join = int(style & 0xf000);
        pen.geometric = style & 0x00010000;
        pen.width = r.u32();
        const quint32 brushStyle = r.u32();
        pen.color = colorRef(r.u32());
        r.u32(); // hatch
        const quint32 entries = r.u32();
        if (pen.style == GdiPen::UserStyle) {
            if (qint64(entries) * 4 > r.remaining())
                throw ByteReader::Overrun{};
            for (quint32 i = 0; i < entries; ++i)
                pen.dashes.append(r.u32());
        }
        if (brushStyle == 1) // BS_NULL: the pen draws nothing
            pen.style = GdiPen::Null;
        if (!pen.geometric)
            pen.width = 0; // cosmetic pens are one pixel wide
        canvas.setObject(ih, pen);
        break;
    }
    case EMR_CREATEBRUSHINDIRECT: {
        const quint32 ih = r.u32();
        GdiBrush brush;
        const quint32 style = r.u32();
        brush.color = colorRef(r.u32());
        brush.hatch = int(r.u32());
        brush.style = style == 1   ? GdiBrush::Null
                      : style == 2 ? GdiBrush::Hatched
                                   : GdiBrush::Solid;
        canvas.setObject(ih, brush);
        break;
    }
    case EMR_CREATEDIBPATTERNBRUSHPT:
    case EMR_CREATEMONOBRUSH: {
        const quint32 ih = r.u32();
        GdiBrush brush;
        brush.style = GdiBrush::Pattern;
        brush.color = QColor(128, 128, 128);
        brush.pattern = m_images.value(index);
        canvas.setObject(ih, brush);
        break;
    }
    case EMR_EXTCREATEFONTINDIRECTW: {
        const quint32 ih = r.u32();
        GdiFont font;
        font.height = r.i32();
        font.width = r.i32();
        font.escapement = r.i32();
        font.orientation = r.i32();
        font.weight = r.i32();
        font.italic = r.u8();
        font.underline = r.u8();
        font.strikeOut = r.u8();
        font.charset = r.u8();
        r.skip(3);
        font.pitchAndFamily = r.u8();
        for (int i = 0; i < 32 && r.remaining() >= 2; ++i) {
            const quint16 c = r.u16();
            if (c == 0)
                break;
            font.face.append(QChar(c));
        }
        canvas.setObject(ih, font);
        break;
    }
    case EMR_CREATEPALETTE:
        canvas.setObject(r.u32(), GdiPlaceholder{});
        break;
    case EMR_SELECTOBJECT:
        canvas.selectObject(r.u32());
        break;
    case EMR_DELETEOBJECT:
        canvas.deleteObject(r.u32());
        break;

    case EMR_MOVETOEX:
        canvas.moveTo(pointL(r));
        break;
    case EMR_LINETO:
        canvas.lineTo(pointL(r));
        break;
    case EMR_SETPIXELV: {
        const QPointF p = pointL(r);
        canvas.setPixel(p, colorRef(r.u32()));
        break;
    }
    case EMR_POLYBEZIER:
    case EMR_POLYGON:
    case EMR_POLYLINE:
    case EMR_POLYBEZIERTO:
    case EMR_POLYLINETO:
    case EMR_POLYBEZIER16:
    case EMR_POLYGON16:
    case EMR_POLYLINE16:
    case EMR_POLYBEZIERTO16:
    case EMR_POLYLINETO16: {
        r.skip(16); // bounds
        const bool small = rec.type >= EMR_POLYBEZIER16;
        const QPolygonF poly = points(r, r.u32(), small);
        switch (small ? rec.type - EMR_POLYBEZIER16 + EMR_POLYBEZIER : rec.type) {
        case EMR_POLYBEZIER:
            canvas.polyBezier(poly);
            break;
        case EMR_POLYGON:
            canvas.polygon(poly);
            break;
        case EMR_POLYLINE:
            canvas.polyline(poly);
            break;
        case EMR_POLYBEZIERTO:
            canvas.polyBezierTo(poly);
            break;
        case EMR_POLYLINETO:
            canvas.polylineTo(poly);
            break;
        }
        break;
    }
    case EMR_POLYPOLYLINE:
    case EMR_POLYPOLYGON:
    case EMR_POLYPOLYLINE16:
    case EMR_POLYPOLYGON16: {
        r.skip(16);
        const bool small = rec.type == EMR_POLYPOLYLINE16 || rec.type == EMR_POLYPOLYGON16;
        const quint32 n = r.u32();
        const quint32 total = r.u32();
        if (qint64(n) * 4 > r.remaining())
            throw ByteReader::Overrun{};
        QList<quint32> counts;
        qint64 sum = 0;
        for (quint32 i = 0; i < n; ++i) {
            counts.append(r.u32());
            sum += counts.last();
        }
        if (sum > total)
            throw ByteReader::Overrun{};
        QList<QPolygonF> polys;
        for (quint32 c : counts)
            polys.append(points(r, c, small));
        if (rec.type == EMR_POLYPOLYGON || rec.type == EMR_POLYPOLYGON16)
            canvas.polyPolygon(polys);
        else
            canvas.polyPolyline(polys);
        break;
    }
    case EMR_POLYDRAW:
    case EMR_POLYDRAW16: {
        r.skip(16);
        const quint32 n = r.u32();
        const QPolygonF poly = points(r, n, rec.type == EMR_POLYDRAW16);
        const QByteArrayView types = r.bytes(n);
        QList<quint8> t;
        for (char c : types)
            t.append(quint8(c));
        canvas.polyDraw(poly, t);
        break;
    }
    case EMR_RECTANGLE:
        canvas.rectangle(rectL(r));
        break;
    case EMR_ELLIPSE:
        canvas.ellipse(rectL(r));
        break;
    case EMR_ROUNDRECT: {
        const QRectF box = rectL(r);
        const QPointF corner = pointL(r);
        canvas.roundRect(box, QSizeF(corner.x(), corner.y()));
        break;
    }
    case EMR_ARC:
    case EMR_CHORD:
    case EMR_PIE:
    case EMR_ARCTO: {
        const QRectF box = rectL(r);
        const QPointF start = pointL(r);
        const QPointF end = pointL(r);
        using K = MetafileCanvas::ArcKind;
        canvas.arc(rec.type == EMR_ARC     ? K::Arc
                   : rec.type == EMR_CHORD ? K::Chord
                   : rec.type == EMR_PIE   ? K::Pie
                                           : K::ArcTo,
                   box, start, end);
        break;
    }
    case EMR_ANGLEARC: {
        const QPointF center = pointL(r);
        const double radius = r.u32();
        const double start = r.f32();
        const double sweep = r.f32();
        canvas.angleArc(center, radius, start, sweep);
        break;
    }

    case EMR_BEGINPATH:
        canvas.beginPath();
        break;
    case EMR_ENDPATH:
        canvas.endPath();
        break;
    case EMR_ABORTPATH:
        canvas.abortPath();
        break;
    case EMR_CLOSEFIGURE:
        canvas.closeFigure();
        break;
    case EMR_FILLPATH:
        canvas.fillPath();
        break;
    case EMR_STROKEPATH:
        canvas.strokePath();
        break;
    case EMR_STROKEANDFILLPATH:
        canvas.strokeAndFillPath();
        break;
    case EMR_SELECTCLIPPATH:
        canvas.selectClipPath(int(r.u32()));
        break;

    case EMR_INTERSECTCLIPRECT:
        canvas.intersectClipRect(rectL(r));
        break;
    case EMR_EXCLUDECLIPRECT:
        canvas.excludeClipRect(rectL(r));
        break;
    case EMR_OFFSETCLIPRGN:
        canvas.offsetClip(pointL(r));
        break;
    case EMR_EXTSELECTCLIPRGN: {
        const quint32 size = r.u32();
        const int mode = int(r.u32());
        if (size == 0) {
            canvas.selectClipRegion({}, mode, true);
        } else {
            ByteReader data(r.bytes(size));
            canvas.selectClipRegion(region(data), mode, false);
        }
        break;
    }
    case EMR_FILLRGN:
    case EMR_FRAMERGN:
    case EMR_INVERTRGN:
    case EMR_PAINTRGN: {
        r.skip(16);
        const quint32 size = r.u32();
        GdiBrush brush = s.brush;
        QSizeF stroke;
        bool haveBrush = true;
        if (rec.type == EMR_FILLRGN || rec.type == EMR_FRAMERGN) {
            const GdiObject* o = canvas.object(r.u32());
            haveBrush = o && std::holds_alternative<GdiBrush>(*o);
            if (haveBrush)
                brush = std::get<GdiBrush>(*o);
            if (rec.type == EMR_FRAMERGN) {
                const QPointF st = pointL(r);
                stroke = QSizeF(st.x(), st.y());
            }
        }
        ByteReader data(r.bytes(size));
        const QPainterPath area = region(data);
        if (!haveBrush)
            break;
        if (rec.type == EMR_INVERTRGN)
            canvas.invertRegion(area);
        else if (rec.type == EMR_FRAMERGN)
            canvas.frameRegion(area, brush, stroke);
        else
            canvas.fillRegion(area, brush);
        break;
    }

    case EMR_EXTTEXTOUTA:
    case EMR_EXTTEXTOUTW: {
        r.skip(16 + 12); // bounds, graphics mode, scales
        canvas.text(readText(r, rec.type == EMR_EXTTEXTOUTW));
        break;
    }
    case EMR_POLYTEXTOUTA:
    case EMR_POLYTEXTOUTW: {
        r.skip(16 + 12);
        const quint32 n = r.u32();
        if (qint64(n) * 40 > r.remaining())
            throw ByteReader::Overrun{};
        for (quint32 i = 0; i < n; ++i)
            canvas.text(readText(r, rec.type == EMR_POLYTEXTOUTW));
        break;
    }
    case EMR_SMALLTEXTOUT: {
        MetafileCanvas::Text t;
        t.reference = pointL(r);
        const quint32 count = r.u32();
        t.options = r.u32();
        r.skip(12); // graphics mode, scales
        if (!(t.options & ETO_NO_RECT))
            t.rect = rectL(r);
        if (t.options & ETO_SMALL_CHARS) {
            t.text = CharsetDecoder::decode(r.bytes(count), s.font.charset, s.font.face);
        } else {
            if (count > quint32(rec.data.size()))
                throw ByteReader::Overrun{};
            const QByteArrayView bytes = r.bytes(qsizetype(count) * 2);
            for (quint32 i = 0; i < count; ++i)
                t.text.append(QChar(quint16(uchar(bytes[2 * i]) | (uchar(bytes[2 * i + 1]) << 8))));
        }
        t.options &= ~(ETO_NO_RECT | ETO_SMALL_CHARS);
        canvas.text(t);
        break;
    }

    case EMR_BITBLT:
    case EMR_STRETCHBLT:
    case EMR_ALPHABLEND:
    case EMR_TRANSPARENTBLT: {
        r.skip(16);
        MetafileCanvas::Blit b;
        const QPointF dest = pointL(r);
        const QPointF size = pointL(r);
        b.dest = QRectF(dest, QSizeF(size.x(), size.y()));
        const quint32 rop = r.u32();
        const QPointF src = pointL(r);
        r.skip(24 + 4 + 4 + 16); // source transform, background, usage, bitmap offsets
        QSizeF srcSize(size.x(), size.y());
        if (rec.type != EMR_BITBLT) {
            const QPointF ss = pointL(r);
            srcSize = QSizeF(ss.x(), ss.y());
        }
        if (rec.type == EMR_ALPHABLEND) {
            b.mode = MetafileCanvas::Blit::Alpha;
            b.constantAlpha = int((rop >> 16) & 0xff);
        } else if (rec.type == EMR_TRANSPARENTBLT) {
            b.mode = MetafileCanvas::Blit::Transparent;
            b.transparentColor =
                qRgb(int(rop & 0xff), int((rop >> 8) & 0xff), int((rop >> 16) & 0xff));
        } else {
            b.rop = rop;
        }
        if (bitmapRef(rec.type, rec.data)) {
            b.image = m_images.value(index);
            if (b.image.isNull())
                break;
            b.source = QRectF(src, srcSize);
        } else if (b.mode != MetafileCanvas::Blit::Raster) {
            break;
        }
        canvas.blit(b);
        break;
    }
    case EMR_STRETCHDIBITS:
    case EMR_SETDIBITSTODEVICE: {
        r.skip(16);
        MetafileCanvas::Blit b;
        const QPointF dest = pointL(r);
        const QPointF src = pointL(r);
        const QPointF srcSize = pointL(r);
        r.skip(20); // bitmap offsets, usage
        double srcY = src.y();
        QSizeF destSize(srcSize.x(), srcSize.y());
        const auto ref = bitmapRef(rec.type, rec.data);
        if (rec.type == EMR_STRETCHDIBITS) {
            b.rop = r.u32();
            const QPointF ds = pointL(r);
            destSize = QSizeF(ds.x(), ds.y());
        } else {
            // The size is in device pixels; placed from the logical origin.
            const quint32 startScan = r.u32();
            r.u32();
            const QTransform m = canvas.pageToDevice();
            if (m.m11() == 0 || m.m22() == 0)
                break;
            destSize = QSizeF(srcSize.x() / m.m11(), srcSize.y() / m.m22());
            srcY -= startScan;
        }
        if (!ref) {
            b.dest = QRectF(dest, destSize);
            canvas.blit(b);
            break;
        }
        b.image = m_images.value(index);
        if (b.image.isNull())
            break;
        ByteReader info(rec.data);
        info.seek(ref->offBmi);
        if (bottomUp(info.bytes(ref->cbBmi)))
            srcY = b.image.height() - srcY - srcSize.y();
        b.dest = QRectF(dest, destSize);
        b.source = QRectF(src.x(), srcY, srcSize.x(), srcSize.y());
        canvas.blit(b);
        break;
    }

    case EMR_GRADIENTFILL: {
        r.skip(16);
        const quint32 vertices = r.u32();
        const quint32 shapes = r.u32();
        const quint32 mode = r.u32();
        if (qint64(vertices) * 16 > r.remaining())
            throw ByteReader::Overrun{};
        struct Vertex
        {
            QPointF p;
            QColor c;
        };
        QList<Vertex> v;
        for (quint32 i = 0; i < vertices; ++i) {
            const QPointF p = pointL(r);
            const int red = r.u16() >> 8, green = r.u16() >> 8, blue = r.u16() >> 8;
            r.u16(); // alpha
            v.append({p, QColor(red, green, blue)});
        }
        const bool triangles = mode == 2;
        if (qint64(shapes) * (triangles ? 12 : 8) > r.remaining())
            throw ByteReader::Overrun{};
        for (quint32 i = 0; i < shapes; ++i) {
            if (triangles) {
                const quint32 a = r.u32(), b = r.u32(), c = r.u32();
                if (a >= vertices || b >= vertices || c >= vertices)
                    continue;
                // Drawn in the average of the corner colours.
                const QColor avg((v[a].c.red() + v[b].c.red() + v[c].c.red()) / 3,
                                 (v[a].c.green() + v[b].c.green() + v[c].c.green()) / 3,
                                 (v[a].c.blue() + v[b].c.blue() + v[c].c.blue()) / 3);
                canvas.gradientTriangle(QPolygonF{v[a].p, v[b].p, v[c].p}, avg);
            } else {
                const quint32 a = r.u32(), b = r.u32();
                if (a >= vertices || b >= vertices)
                    continue;
                canvas.gradientRect(QRectF(v[a].p, v[b].p), v[a].c, v[b].c, mode == 1);
            }
        }
        break;
    }

    default:
        // Comments, palettes, colour management, OpenGL and unknown records draw nothing.
        break;
    }
}
