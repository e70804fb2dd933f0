#pragma once

#include <QByteArray>
#include <QList>
#include <QPolygon>
#include <QRect>
#include <QRgb>
#include <QString>
#include <QTransform>

// Builds enhanced metafiles record by record, for tests and for the demo course's pictures.
// The reference device is a 96 dpi screen of 1920 x 1080 pixels.
class EmfWriter
{
public:
    // bounds: device pixels (inclusive); frame: hundredths of a millimetre (inclusive).
    EmfWriter(const QRect& bounds, const QRect& frameHimetric);

    // A record from its type and the bytes after its size.
    void record(quint32 type, const QByteArray& payload);

    void setMapMode(int mode);
    void setWindowOrg(int x, int y);
    void setWindowExt(int x, int y);
    void setViewportOrg(int x, int y);
    void setViewportExt(int x, int y);
    void setWorldTransform(const QTransform& t);
    void modifyWorldTransform(const QTransform& t, int mode);

    void createPen(quint32 index, int style, int width, QRgb color);
    void extCreatePen(quint32 index, quint32 style, int width, QRgb color,
                      const QList<quint32>& dashes = {});
    void createBrush(quint32 index, int style, QRgb color, int hatch = 0);
    void createFont(quint32 index, int height, const QString& face, int charset = 1,
                    int weight = 400, bool italic = false, int escapement = 0);
    void selectObject(quint32 index);
    void selectStockObject(int stock);
    void deleteObject(quint32 index);

    void setTextColor(QRgb color);
    void setBkColor(QRgb color);
    void setBkMode(int mode);
    void setTextAlign(quint32 align);
    void setPolyFillMode(int mode);
    void saveDC();
    void restoreDC(int which);
    void intersectClipRect(const QRect& r);
    void excludeClipRect(const QRect& r);

    void moveTo(int x, int y);
    void lineTo(int x, int y);
    void rectangle(const QRect& r); // right and bottom + 1, as GDI takes them
    void roundRect(const QRect& r, int cornerWidth, int cornerHeight);
    void ellipse(const QRect& r);
    void polygon16(const QPolygon& points);
    void polyline16(const QPolygon& points);
    void polyBezier16(const QPolygon& points);
    void polyBezierTo16(const QPolygon& points);
    void polyPolygon16(const QList<QPolygon>& polygons);
    void beginPath();
    void endPath();
    void closeFigure();
    void fillPath();
    void strokePath();
    void strokeAndFillPath();
    void extTextOutW(int x, int y, const QString& text, quint32 options = 0, const QRect& rect = {},
                     const QList<qint32>& dx = {});
    void stretchDIBits(const QRect& dest, const QRect& source, const QByteArray& dib,
                       qsizetype infoSize, quint32 rop = 0x00CC0020);

    QByteArray finish() const;

private:
    QRect m_bounds;
    QRect m_frame;
    QByteArray m_records;
    int m_count = 1;
    quint32 m_handles = 1;
};
