#include "WmfWriter.h"

#include <QStringEncoder>

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

qint16 lo(quint32 v)
{
    return qint16(v & 0xffff);
}

qint16 hi(quint32 v)
{
    return qint16(v >> 16);
}

quint32 colorRef(QRgb c)
{
    return quint32(qRed(c)) | (quint32(qGreen(c)) << 8) | (quint32(qBlue(c)) << 16);
}

} // namespace

WmfWriter::WmfWriter(const QRect& placeableBounds, int unitsPerInch)
    : m_bounds(placeableBounds), m_inch(unitsPerInch)
{}

void WmfWriter::record(quint16 function, const QList<qint16>& words, const QByteArray& bytes)
{
    QByteArray params;
    for (qint16 w : words)
        put16(params, quint16(w));
    params += bytes;
    if (params.size() % 2)
        params.append('\0');
    const quint32 size = quint32(3 + params.size() / 2);
    put32(m_records, size);
    put16(m_records, function);
    m_records += params;
    m_maxRecord = qMax(m_maxRecord, size);
}

int WmfWriter::addObject()
{
    for (int i = 0; i < m_slots.size(); ++i) {
        if (!m_slots[i]) {
            m_slots[i] = true;
            return i;
        }
    }
    m_slots.append(true);
    return int(m_slots.size() - 1);
}

void WmfWriter::setMapMode(int mode)
{
    record(0x0103, {qint16(mode)});
}

void WmfWriter::setWindowOrg(int x, int y)
{
    record(0x020B, {qint16(y), qint16(x)});
}

void WmfWriter::setWindowExt(int x, int y)
{
    record(0x020C, {qint16(y), qint16(x)});
}

void WmfWriter::setViewportOrg(int x, int y)
{
    record(0x020D, {qint16(y), qint16(x)});
}

void WmfWriter::setViewportExt(int x, int y)
{
    record(0x020E, {qint16(y), qint16(x)});
}

void WmfWriter::offsetWindowOrg(int x, int y)
{
    record(0x020F, {qint16(y), qint16(x)});
}

void WmfWriter::scaleWindowExt(int xNum, int xDenom, int yNum, int yDenom)
{
    record(0x0410, {qint16(yDenom), qint16(yNum), qint16(xDenom), qint16(xNum)});
}

int WmfWriter::createPen(int style, int width, QRgb color)
{
    const quint32 c = colorRef(color);
    record(0x02FA, {qint16(style), qint16(width), 0, lo(c), hi(c)});
    return addObject();
}

int WmfWriter::createBrush(int style, QRgb color, int hatch)
{
    const quint32 c = colorRef(color);
    record(0x02FC, {qint16(style), lo(c), hi(c), qint16(hatch)});
    return addObject();
}

int WmfWriter::createFont(int height, const QString& face, int charset, int weight, bool italic,
                          bool underline, bool strikeOut, int escapement)
{
    QByteArray bytes;
    bytes.append(char(italic));
    bytes.append(char(underline));
    bytes.append(char(strikeOut));
    bytes.append(char(charset));
    bytes.append(char(0));    // out precision
    bytes.append(char(0));    // clip precision
    bytes.append(char(4));    // ANTIALIASED_QUALITY
    bytes.append(char(0x22)); // VARIABLE_PITCH | FF_SWISS
    QByteArray name = face.toLatin1().left(31);
    name.append('\0');
    bytes += name;
    record(0x02FB, {qint16(height), 0, qint16(escapement), qint16(escapement), qint16(weight)},
           bytes);
    return addObject();
}

int WmfWriter::createPalette()
{
    record(0x00F7, {0x0300, 1, 0, 0});
    return addObject();
}

void WmfWriter::selectObject(int index)
{
    record(0x012D, {qint16(index)});
}

void WmfWriter::deleteObject(int index)
{
    record(0x01F0, {qint16(index)});
    if (index >= 0 && index < m_slots.size())
        m_slots[index] = false;
}

void WmfWriter::setTextColor(QRgb color)
{
    const quint32 c = colorRef(color);
    record(0x0209, {lo(c), hi(c)});
}

void WmfWriter::setBkColor(QRgb color)
{
    const quint32 c = colorRef(color);
    record(0x0201, {lo(c), hi(c)});
}

void WmfWriter::setBkMode(int mode)
{
    record(0x0102, {qint16(mode)});
}

void WmfWriter::setTextAlign(int align)
{
    record(0x012E, {qint16(align)});
}

void WmfWriter::setPolyFillMode(int mode)
{
    record(0x0106, {qint16(mode)});
}

void WmfWriter::setROP2(int rop2)
{
    record(0x0104, {qint16(rop2)});
}

void WmfWriter::saveDC()
{
    record(0x001E, {});
}

void WmfWriter::restoreDC(int which)
{
    record(0x0127, {qint16(which)});
}

void WmfWriter::intersectClipRect(const QRect& r)
{
    record(0x0416,
           {qint16(r.bottom() + 1), qint16(r.right() + 1), qint16(r.top()), qint16(r.left())});
}

void WmfWriter::excludeClipRect(const QRect& r)
{
    record(0x0415,
           {qint16(r.bottom() + 1), qint16(r.right() + 1), qint16(r.top()), qint16(r.left())});
}

void WmfWriter::moveTo(int x, int y)
{
    record(0x0214, {qint16(y), qint16(x)});
}

void WmfWriter::lineTo(int x, int y)
{
    record(0x0213, {qint16(y), qint16(x)});
}

void WmfWriter::rectangle(const QRect& r)
{
    record(0x041B,
           {qint16(r.bottom() + 1), qint16(r.right() + 1), qint16(r.top()), qint16(r.left())});
}

void WmfWriter::roundRect(const QRect& r, int cornerWidth, int cornerHeight)
{
    record(0x061C, {qint16(cornerHeight), qint16(cornerWidth), qint16(r.bottom() + 1),
                    qint16(r.right() + 1), qint16(r.top()), qint16(r.left())});
}

void WmfWriter::ellipse(const QRect& r)
{
    record(0x0418,
           {qint16(r.bottom() + 1), qint16(r.right() + 1), qint16(r.top()), qint16(r.left())});
}

void WmfWriter::arc(quint16 function, const QRect& r, QPoint start, QPoint end)
{
    record(function,
           {qint16(end.y()), qint16(end.x()), qint16(start.y()), qint16(start.x()),
            qint16(r.bottom() + 1), qint16(r.right() + 1), qint16(r.top()), qint16(r.left())});
}

void WmfWriter::polygon(const QPolygon& points)
{
    QList<qint16> words{qint16(points.size())};
    for (QPoint p : points)
        words << qint16(p.x()) << qint16(p.y());
    record(0x0324, words);
}

void WmfWriter::polyline(const QPolygon& points)
{
    QList<qint16> words{qint16(points.size())};
    for (QPoint p : points)
        words << qint16(p.x()) << qint16(p.y());
    record(0x0325, words);
}

void WmfWriter::polyPolygon(const QList<QPolygon>& polygons)
{
    QList<qint16> words{qint16(polygons.size())};
    for (const QPolygon& poly : polygons)
        words << qint16(poly.size());
    for (const QPolygon& poly : polygons)
        for (QPoint p : poly)
            words << qint16(p.x()) << qint16(p.y());
    record(0x0538, words);
}

void WmfWriter::setPixel(int x, int y, QRgb color)
{
    const quint32 c = colorRef(color);
    record(0x041F, {lo(c), hi(c), qint16(y), qint16(x)});
}

void WmfWriter::textOut(int x, int y, const QByteArray& text)
{
    QByteArray bytes = text;
    if (bytes.size() % 2)
        bytes.append('\0');
    QByteArray tail;
    put16(tail, quint16(y));
    put16(tail, quint16(x));
    record(0x0521, {qint16(text.size())}, bytes + tail);
}

void WmfWriter::extTextOut(int x, int y, const QByteArray& text, int options, const QRect& rect,
                           const QList<qint16>& dx)
{
    QList<qint16> words{qint16(y), qint16(x), qint16(text.size()), qint16(options)};
    if (options & 0x0006)
        words << qint16(rect.left()) << qint16(rect.top()) << qint16(rect.right() + 1)
              << qint16(rect.bottom() + 1);
    QByteArray bytes = text;
    if (bytes.size() % 2)
        bytes.append('\0');
    for (qint16 d : dx)
        put16(bytes, quint16(d));
    record(0x0A32, words, bytes);
}

void WmfWriter::patBlt(const QRect& r, quint32 rop)
{
    record(0x061D, {lo(rop), hi(rop), qint16(r.height()), qint16(r.width()), qint16(r.top()),
                    qint16(r.left())});
}

void WmfWriter::stretchDIBits(const QRect& dest, const QRect& source, const QByteArray& dib,
                              quint32 rop)
{
    record(0x0F43,
           {lo(rop), hi(rop), 0 /* DIB_RGB_COLORS */, qint16(source.height()),
            qint16(source.width()), qint16(source.top()), qint16(source.left()),
            qint16(dest.height()), qint16(dest.width()), qint16(dest.top()), qint16(dest.left())},
           dib);
}

QByteArray WmfWriter::finish() const
{
    QByteArray records = m_records;
    put32(records, 3);
    put16(records, 0); // end record

    QByteArray out;
    if (!m_bounds.isEmpty()) {
        QByteArray placeable;
        put32(placeable, 0x9AC6CDD7);
        put16(placeable, 0);
        put16(placeable, quint16(m_bounds.left()));
        put16(placeable, quint16(m_bounds.top()));
        put16(placeable, quint16(m_bounds.right() + 1));
        put16(placeable, quint16(m_bounds.bottom() + 1));
        put16(placeable, quint16(m_inch));
        put32(placeable, 0);
        quint16 checksum = 0;
        for (int i = 0; i < 10; ++i)
            checksum ^= quint16(uchar(placeable[2 * i]) | (uchar(placeable[2 * i + 1]) << 8));
        put16(placeable, checksum);
        out += placeable;
    }
    put16(out, 1);      // memory metafile
    put16(out, 9);      // header words
    put16(out, 0x0300); // version
    put32(out, quint32(9 + records.size() / 2));
    put16(out, quint16(m_slots.size()));
    put32(out, m_maxRecord);
    put16(out, 0);
    return out + records;
}

QByteArray WmfWriter::encode(const QString& text, const char* codePage)
{
    QStringEncoder encoder(codePage);
    return encoder.encode(text);
}
