#include "EmfWriter.h"

#include <cstring>

namespace {

void put16(QByteArray& out, quint16 v)
{
    out.append(char(v & 0xff));
    out.append(char(v >> 8));
}

void put32(QByteArray& out, quint32 v)
{
    put16(out, quint16(v & 0xffff));
    put16(out, quint16(v >> 16));
}

void putI(QByteArray& out, qint32 v)
{
    put32(out, quint32(v));
}

void putF(QByteArray& out, float f)
{
    quint32 bits;
    std::memcpy(&bits, &f, 4);
    put32(out, bits);
}

void putRect(QByteArray& out, const QRect& r) // exclusive right and bottom
{
    putI(out, r.left());
    putI(out, r.top());
    putI(out, r.right() + 1);
    putI(out, r.bottom() + 1);
}

void putXform(QByteArray& out, const QTransform& t)
{
    putF(out, float(t.m11()));
    putF(out, float(t.m12()));
    putF(out, float(t.m21()));
    putF(out, float(t.m22()));
    putF(out, float(t.dx()));
    putF(out, float(t.dy()));
}

quint32 colorRef(QRgb c)
{
    return quint32(qRed(c)) | (quint32(qGreen(c)) << 8) | (quint32(qBlue(c)) << 16);
}

QByteArray pointPair(int a, int b)
{
    QByteArray out;
    putI(out, a);
    putI(out, b);
    return out;
}

QByteArray points16(const QPolygon& points)
{
    QByteArray out(16, '\0'); // bounds, not read
    put32(out, quint32(points.size()));
    for (QPoint p : points) {
        put16(out, quint16(p.x()));
        put16(out, quint16(p.y()));
    }
    return out;
}

} // namespace

EmfWriter::EmfWriter(const QRect& bounds, const QRect& frameHimetric)
    : m_bounds(bounds), m_frame(frameHimetric)
{}

void EmfWriter::record(quint32 type, const QByteArray& payload)
{
    QByteArray data = payload;
    while (data.size() % 4)
        data.append('\0');
    put32(m_records, type);
    put32(m_records, quint32(8 + data.size()));
    m_records += data;
    ++m_count;
}

void EmfWriter::setMapMode(int mode)
{
    QByteArray p;
    put32(p, quint32(mode));
    record(17, p);
}

void EmfWriter::setWindowOrg(int x, int y)
{
    record(10, pointPair(x, y));
}

void EmfWriter::setWindowExt(int x, int y)
{
    record(9, pointPair(x, y));
}

void EmfWriter::setViewportOrg(int x, int y)
{
    record(12, pointPair(x, y));
}

void EmfWriter::setViewportExt(int x, int y)
{
    record(11, pointPair(x, y));
}

void EmfWriter::setWorldTransform(const QTransform& t)
{
    QByteArray p;
    putXform(p, t);
    record(35, p);
}

void EmfWriter::modifyWorldTransform(const QTransform& t, int mode)
{
    QByteArray p;
    putXform(p, t);
    put32(p, quint32(mode));
    record(36, p);
}

void EmfWriter::createPen(quint32 index, int style, int width, QRgb color)
{
    QByteArray p;
    put32(p, index);
    put32(p, quint32(style));
    putI(p, width);
    putI(p, 0);
    put32(p, colorRef(color));
    record(38, p);
    m_handles = qMax(m_handles, index + 1);
}

void EmfWriter::extCreatePen(quint32 index, quint32 style, int width, QRgb color,
                             const QList<quint32>& dashes)
{
    QByteArray p;
    put32(p, index);
    for (int i = 0; i < 4; ++i)
        put32(p, 0); // no pattern bitmap
    put32(p, style);
    put32(p, quint32(width));
    put32(p, 0); // BS_SOLID
    put32(p, colorRef(color));
    put32(p, 0);
    put32(p, quint32(dashes.size()));
    for (quint32 d : dashes)
        put32(p, d);
    record(95, p);
    m_handles = qMax(m_handles, index + 1);
}

void EmfWriter::createBrush(quint32 index, int style, QRgb color, int hatch)
{
    QByteArray p;
    put32(p, index);
    put32(p, quint32(style));
    put32(p, colorRef(color));
    put32(p, quint32(hatch));
    record(39, p);
    m_handles = qMax(m_handles, index + 1);
}

void EmfWriter::createFont(quint32 index, int height, const QString& face, int charset, int weight,
                           bool italic, int escapement)
{
    QByteArray p;
    put32(p, index);
    putI(p, height);
    putI(p, 0);
    putI(p, escapement);
    putI(p, escapement);
    putI(p, weight);
    p.append(char(italic));
    p.append(char(0));
    p.append(char(0));
    p.append(char(charset));
    p.append(char(0));
    p.append(char(0));
    p.append(char(4));
    p.append(char(0x22));
    const QString name = face.left(31);
    for (int i = 0; i < 32; ++i)
        put16(p, i < name.size() ? name[i].unicode() : 0);
    record(82, p);
    m_handles = qMax(m_handles, index + 1);
}

void EmfWriter::selectObject(quint32 index)
{
    QByteArray p;
    put32(p, index);
    record(37, p);
}

void EmfWriter::selectStockObject(int stock)
{
    selectObject(0x80000000u | quint32(stock));
}

void EmfWriter::deleteObject(quint32 index)
{
    QByteArray p;
    put32(p, index);
    record(40, p);
}

void EmfWriter::setTextColor(QRgb color)
{
    QByteArray p;
    put32(p, colorRef(color));
    record(24, p);
}

void EmfWriter::setBkColor(QRgb color)
{
    QByteArray p;
    put32(p, colorRef(color));
    record(25, p);
}

void EmfWriter::setBkMode(int mode)
{
    QByteArray p;
    put32(p, quint32(mode));
    record(18, p);
}

void EmfWriter::setTextAlign(quint32 align)
{
    QByteArray p;
    put32(p, align);
    record(22, p);
}

void EmfWriter::setPolyFillMode(int mode)
{
    QByteArray p;
    put32(p, quint32(mode));
    record(19, p);
}

void EmfWriter::saveDC()
{
    record(33, {});
}

void EmfWriter::restoreDC(int which)
{
    QByteArray p;
    putI(p, which);
    record(34, p);
}

void EmfWriter::intersectClipRect(const QRect& r)
{
    QByteArray p;
    putRect(p, r);
    record(30, p);
}

void EmfWriter::excludeClipRect(const QRect& r)
{
    QByteArray p;
    putRect(p, r);
    record(29, p);
}

void EmfWriter::moveTo(int x, int y)
{
    record(27, pointPair(x, y));
}

void EmfWriter::lineTo(int x, int y)
{
    record(54, pointPair(x, y));
}

void EmfWriter::rectangle(const QRect& r)
{
    QByteArray p;
    putRect(p, r);
    record(43, p);
}

void EmfWriter::roundRect(const QRect& r, int cornerWidth, int cornerHeight)
{
    QByteArray p;
    putRect(p, r);
    putI(p, cornerWidth);
    putI(p, cornerHeight);
    record(44, p);
}

void EmfWriter::ellipse(const QRect& r)
{
    QByteArray p;
    putRect(p, r);
    record(42, p);
}

void EmfWriter::polygon16(const QPolygon& points)
{
    record(86, points16(points));
}

void EmfWriter::polyline16(const QPolygon& points)
{
    record(87, points16(points));
}

void EmfWriter::polyBezier16(const QPolygon& points)
{
    record(85, points16(points));
}

void EmfWriter::polyBezierTo16(const QPolygon& points)
{
    record(88, points16(points));
}

void EmfWriter::polyPolygon16(const QList<QPolygon>& polygons)
{
    QByteArray p(16, '\0');
    put32(p, quint32(polygons.size()));
    quint32 total = 0;
    for (const QPolygon& poly : polygons)
        total += quint32(poly.size());
    put32(p, total);
    for (const QPolygon& poly : polygons)
        put32(p, quint32(poly.size()));
    for (const QPolygon& poly : polygons)
        for (QPoint pt : poly) {
            put16(p, quint16(pt.x()));
            put16(p, quint16(pt.y()));
        }
    record(91, p);
}

void EmfWriter::beginPath()
{
    record(59, {});
}

void EmfWriter::endPath()
{
    record(60, {});
}

void EmfWriter::closeFigure()
{
    record(61, {});
}

void EmfWriter::fillPath()
{
    record(62, QByteArray(16, '\0'));
}

void EmfWriter::strokePath()
{
    record(64, QByteArray(16, '\0'));
}

void EmfWriter::strokeAndFillPath()
{
    record(63, QByteArray(16, '\0'));
}

void EmfWriter::extTextOutW(int x, int y, const QString& text, quint32 options, const QRect& rect,
                            const QList<qint32>& dx)
{
    // Fixed part: bounds 16, graphics mode 4, scales 8, then EMRTEXT 40 bytes; the record's
    // 8-byte type and size come first, so the string starts at 76.
    QByteArray p(16, '\0');
    put32(p, 1); // GM_COMPATIBLE
    putF(p, 0);
    putF(p, 0);
    putI(p, x);
    putI(p, y);
    put32(p, quint32(text.size()));
    const quint32 offString = 8 + 16 + 12 + 40;
    put32(p, offString);
    put32(p, options);
    if (rect.isNull()) {
        putI(p, 0), putI(p, 0), putI(p, -1), putI(p, -1);
    } else {
        putRect(p, rect);
    }
    quint32 stringBytes = quint32(text.size()) * 2;
    stringBytes = (stringBytes + 3) / 4 * 4;
    put32(p, dx.isEmpty() ? 0 : offString + stringBytes);
    QByteArray str;
    for (QChar c : text)
        put16(str, c.unicode());
    while (str.size() % 4)
        str.append('\0');
    p += str;
    for (qint32 d : dx)
        putI(p, d);
    record(84, p);
}

void EmfWriter::stretchDIBits(const QRect& dest, const QRect& source, const QByteArray& dib,
                              qsizetype infoSize, quint32 rop)
{
    QByteArray p(16, '\0');
    putI(p, dest.left());
    putI(p, dest.top());
    putI(p, source.left());
    putI(p, source.top());
    putI(p, source.width());
    putI(p, source.height());
    const quint32 fixed = 8 + 72;
    QByteArray info = dib.left(infoSize);
    while (info.size() % 4)
        info.append('\0');
    put32(p, fixed);                        // offBmiSrc
    put32(p, quint32(infoSize));            // cbBmiSrc
    put32(p, fixed + quint32(info.size())); // offBitsSrc
    put32(p, quint32(dib.size() - infoSize));
    put32(p, 0); // DIB_RGB_COLORS
    put32(p, rop);
    putI(p, dest.width());
    putI(p, dest.height());
    p += info;
    p += dib.mid(infoSize);
    record(81, p);
}

QByteArray EmfWriter::finish() const
{
    QByteArray records = m_records;
    QByteArray eof;
    put32(eof, 14);
    put32(eof, 20);
    put32(eof, 0);
    put32(eof, 16);
    put32(eof, 20);
    records += eof;

    QByteArray header;
    put32(header, 1);
    put32(header, 108);
    putI(header, m_bounds.left());
    putI(header, m_bounds.top());
    putI(header, m_bounds.right());
    putI(header, m_bounds.bottom());
    putI(header, m_frame.left());
    putI(header, m_frame.top());
    putI(header, m_frame.right());
    putI(header, m_frame.bottom());
    put32(header, 0x464D4520);
    put32(header, 0x10000);
    put32(header, quint32(108 + records.size()));
    put32(header, quint32(m_count + 1));
    put16(header, quint16(m_handles));
    put16(header, 0);
    put32(header, 0); // description
    put32(header, 0);
    put32(header, 0); // palette entries
    putI(header, 1920);
    putI(header, 1080);
    putI(header, 508);
    putI(header, 286);
    put32(header, 0); // pixel format
    put32(header, 0);
    put32(header, 0); // OpenGL
    put32(header, 508000);
    put32(header, 285750);
    return header + records;
}
