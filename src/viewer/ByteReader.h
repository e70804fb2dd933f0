#pragma once

#include <QByteArrayView>
#include <QtGlobal>

// Reads little-endian values from a byte range and never past its end: a read that would
// go beyond it throws ByteReader::Overrun and leaves the position unchanged.
class ByteReader
{
public:
    struct Overrun
    {
    };

    explicit ByteReader(QByteArrayView data, qsizetype pos = 0);

    quint8 u8();
    qint16 i16();
    quint16 u16();
    qint32 i32();
    quint32 u32();
    float f32();
    QByteArrayView bytes(qsizetype count);
    void skip(qsizetype count);
    void seek(qsizetype pos);

    qsizetype pos() const { return m_pos; }
    qsizetype size() const { return m_data.size(); }
    qsizetype remaining() const { return m_data.size() - m_pos; }
    bool atEnd() const { return m_pos >= m_data.size(); }
    QByteArrayView data() const { return m_data; }

private:
    const uchar* take(qsizetype count);

    QByteArrayView m_data;
    qsizetype m_pos = 0;
};
