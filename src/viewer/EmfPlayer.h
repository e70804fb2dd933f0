#pragma once

#include "MetafilePlayer.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <vector>

// An enhanced metafile (EMF) parsed into records that play onto a QPainter. The constructor
// throws LkError when the file is damaged.
class EmfPlayer : public MetafilePlayer
{
public:
    explicit EmfPlayer(const QByteArray& data);

    static bool isEnhanced(QByteArrayView data);
    QRect bounds() const { return m_bounds; }               // device units, inclusive
    QRect frameHimetric() const { return m_frameHimetric; } // 0.01 mm, inclusive
    int recordCount() const { return int(m_records.size()); }

    static QString recordName(quint32 type);

protected:
    void run(MetafileCanvas& canvas) const override;
    QSizeF devicePixelsPerMm() const override { return m_pxPerMm; }

private:
    struct Record
    {
        quint32 type;
        qsizetype offset;
        QByteArrayView data; // the whole record, from its type
    };

    void parse();
    void decodeBitmaps();
    void check();
    void setUpGeometry();
    void playRecord(MetafileCanvas& canvas, size_t index) const;
    [[noreturn]] void damaged(const QString& what) const;

    QByteArray m_data;
    std::vector<Record> m_records;
    QHash<size_t, QImage> m_images;
    QRect m_bounds;
    QRect m_frameHimetric;
    QSizeF m_pxPerMm{96 / 25.4, 96 / 25.4};
    int m_handles = 0;
};
