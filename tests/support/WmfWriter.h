#pragma once

#include <QByteArray>
#include <QList>
#include <QPolygon>
#include <QRect>
#include <QRgb>
#include <QString>

// Builds Windows metafiles record by record, for tests and for the demo course's pictures.
// Object-creating calls return the slot the object takes, as GDI numbers them.
class WmfWriter
{
public:
    // With a non-empty bounding box the file gets the placeable header.
    explicit WmfWriter(const QRect& placeableBounds = {}, int unitsPerInch = 1440);

    // A record from its function number and parameter words (and raw bytes after them).
    void record(quint16 function, const QList<qint16>& words, const QByteArray& bytes = {});

    void setMapMode(int mode);
    void setWindowOrg(int x, int y);
    void setWindowExt(int x, int y);
    void setViewportOrg(int x, int y);
    void setViewportExt(int x, int y);
    void offsetWindowOrg(int x, int y);
    void scaleWindowExt(int xNum, int xDenom, int yNum, int yDenom);

    int createPen(int style, int width, QRgb color);
    int createBrush(int style, QRgb color, int hatch = 0);
    int createFont(int height, const QString& face, int charset, int weight = 400,
                   bool italic = false, bool underline = false, bool strikeOut = false,
                   int escapement = 0);
    int createPalette();
    void selectObject(int index);
    void deleteObject(int index);

    void setTextColor(QRgb color);
    void setBkColor(QRgb color);
    void setBkMode(int mode);
    void setTextAlign(int align);
    void setPolyFillMode(int mode);
    void setROP2(int rop2);
    void saveDC();
    void restoreDC(int which);
    void intersectClipRect(const QRect& r);
    void excludeClipRect(const QRect& r);

    void moveTo(int x, int y);
    void lineTo(int x, int y);
    void rectangle(const QRect& r); // left, top, right + 1, bottom + 1 as GDI takes them
    void roundRect(const QRect& r, int cornerWidth, int cornerHeight);
    void ellipse(const QRect& r);
    void arc(quint16 function, const QRect& r, QPoint start, QPoint end);
    void polygon(const QPolygon& points);
    void polyline(const QPolygon& points);
    void polyPolygon(const QList<QPolygon>& polygons);
    void setPixel(int x, int y, QRgb color);
    void textOut(int x, int y, const QByteArray& text);
    void extTextOut(int x, int y, const QByteArray& text, int options = 0, const QRect& rect = {},
                    const QList<qint16>& dx = {});
    void patBlt(const QRect& r, quint32 rop);
    void stretchDIBits(const QRect& dest, const QRect& source, const QByteArray& dib,
                       quint32 rop = 0x00CC0020);

    // The whole file, closed with the end record.
    QByteArray finish() const;

    // Text in a Windows code page, as the records carry it.
    static QByteArray encode(const QString& text, const char* codePage);

    enum : quint16 {
        Arc = 0x0817,
        Pie = 0x081A,
        Chord = 0x0830,
    };

private:
    int addObject();

    QRect m_bounds;
    int m_inch;
    QByteArray m_records;
    quint32 m_maxRecord = 3;
    QList<bool> m_slots;
};
