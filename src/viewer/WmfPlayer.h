#pragma once

#include "MetafilePlayer.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <vector>

// A Windows metafile (WMF), with or without the placeable header, parsed into records that
// play onto a QPainter. The constructor throws LkError when the file is damaged.
class WmfPlayer : public MetafilePlayer
{
public:
    explicit WmfPlayer(const QByteArray& data);

    static bool isPlaceable(QByteArrayView data);
    // The bounding box of the placeable header, in its own units, and those units per inch.
    QRect placeableBounds() const { return m_bounds; }
    int unitsPerInch() const { return m_inch; }
    int recordCount() const { return int(m_records.size()); }

    static QString recordName(quint16 function);

protected:
    void run(MetafileCanvas& canvas) const override;
    QSizeF devicePixelsPerMm() const override;

private:
    struct Record
    {
        quint16 function;
        qsizetype offset; // of the record in the file
        QByteArrayView params;
    };

    void parse();
    void decodeBitmaps();
    void check();
    void setUpGeometry();
    void playRecord(MetafileCanvas& canvas, size_t index) const;
    [[noreturn]] void damaged(const QString& what) const;

    QByteArray m_data;
    std::vector<Record> m_records;
    QHash<size_t, QImage> m_images; // decoded bitmaps by record index
    int m_objectCount = 0;
    bool m_placeable = false;
    QRect m_bounds;
    int m_inch = 0;
    // The mapping the player sets up before the records run.
    QPointF m_windowOrg{0, 0};
    QPointF m_windowExt{1, 1};
    QPointF m_viewportExt{1, 1};
};
