#include "ByteReader.h"

#include <cstring>

ByteReader::ByteReader(QByteArrayView data, qsizetype pos) : m_data(data)
{
    seek(pos);
}

const uchar* ByteReader::take(qsizetype count)
{
    if (count < 0 || count > remaining())
        throw Overrun{};
    const auto* p = reinterpret_cast<const uchar*>(m_data.data()) + m_pos;
    m_pos += count;
    return p;
}

quint8 ByteReader::u8()
{
    return *take(1);
}

qint16 ByteReader::i16()
{
    return qint16(u16());
}

quint16 ByteReader::u16()
{
    const uchar* p = take(2);
    return quint16(p[0] | (p[1] << 8));
}

qint32 ByteReader::i32()
{
    return qint32(u32());
}

quint32 ByteReader::u32()
{
    const uchar* p = take(4);
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

float ByteReader::f32()
{
    const quint32 bits = u32();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

QByteArrayView ByteReader::bytes(qsizetype count)
{
    const uchar* p = take(count);
    return QByteArrayView(reinterpret_cast<const char*>(p), count);
}

void ByteReader::skip(qsizetype count)
{
    take(count);
}

void ByteReader::seek(qsizetype pos)
{
    if (pos < 0 || pos > m_data.size())
        throw Overrun{};
    m_pos = pos;
}
