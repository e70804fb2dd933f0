#include "DibDecoder.h"

#include "ByteReader.h"
#include "store/LkError.h"

#include <QList>
#include <bit>

namespace {

enum : quint32 {
    BI_RGB = 0,
    BI_RLE8 = 1,
    BI_RLE4 = 2,
    BI_BITFIELDS = 3,
    BI_JPEG = 4,
    BI_PNG = 5,
    BI_ALPHABITFIELDS = 6,
};

[[noreturn]] void fail(const QString& reason)
{
    throw LkError(reason, LkErrorKind::Graphic);
}

struct Header
{
    qint64 width = 0;
    qint64 height = 0; // negative: rows run top-down
    int bitCount = 0;
    quint32 compression = BI_RGB;
    quint32 masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
    QList<QRgb> palette;
    qsizetype size = 0; // header + masks + colour table, in bytes
};

// The twenty static colours of the default system palette, for bitmaps whose colour table
// indexes the palette selected at the time (no logical palette is realised here).
QRgb systemPaletteColor(int index)
{
    static const QRgb colors[20] = {0xff000000, 0xff800000, 0xff008000, 0xff808000, 0xff000080,
                                    0xff800080, 0xff008080, 0xffc0c0c0, 0xffc0dcc0, 0xffa6caf0,
                                    0xfffffbf0, 0xffa0a0a4, 0xff808080, 0xffff0000, 0xff00ff00,
                                    0xffffff00, 0xff0000ff, 0xffff00ff, 0xff00ffff, 0xffffffff};
    if (index >= 0 && index < 10)
        return colors[index];
    if (index >= 246 && index < 256)
        return colors[index - 236];
    const int grey = qBound(0, index, 255);
    return qRgb(grey, grey, grey);
}

Header readHeader(QByteArrayView info, DibDecoder::ColorUsage usage)
{
    Header h;
    try {
        ByteReader r(info);
        const quint32 headerSize = r.u32();
        bool core = false;
        if (headerSize == 12) {
            core = true;
            h.width = r.u16();
            h.height = r.u16();
            r.u16(); // planes
            h.bitCount = r.u16();
        } else if (headerSize >= 40 && headerSize <= 1024) {
            h.width = r.i32();
            h.height = r.i32();
            r.u16(); // planes
            h.bitCount = r.u16();
            h.compression = r.u32();
            r.skip(12); // image size, resolution
            const quint32 used = r.u32();
            r.u32(); // important colours
            if (headerSize >= 52) {
                for (int i = 0; i < (headerSize >= 56 ? 4 : 3); ++i)
                    h.masks[i] = r.u32();
            }
            r.seek(headerSize);
            if (headerSize == 40 && h.compression == BI_BITFIELDS) {
                for (int i = 0; i < 3; ++i)
                    h.masks[i] = r.u32();
            } else if (headerSize == 40 && h.compression == BI_ALPHABITFIELDS) {
                for (int i = 0; i < 4; ++i)
                    h.masks[i] = r.u32();
            }
            if (used > 65536)
                fail(QStringLiteral("the bitmap's colour table is too large (%1 entries)")
                         .arg(used));
            h.palette.resize(used); // filled below
        } else {
            fail(QStringLiteral("the bitmap header size %1 is not valid").arg(headerSize));
        }

        switch (h.bitCount) {
        case 0:
        case 1:
        case 2:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
        case 48:
        case 64:
            break;
        default:
            fail(QStringLiteral("the bitmap's %1 bits per pixel are not valid").arg(h.bitCount));
        }
        if (h.width <= 0 || h.height == 0)
            fail(QStringLiteral("the bitmap size %1 x %2 is not valid").arg(h.width).arg(h.height));
        if (h.width * qAbs(h.height) > DibDecoder::MaxPixels)
            fail(QStringLiteral("the bitmap is too large (%1 x %2)").arg(h.width).arg(h.height));
        if (core && h.bitCount > 24)
            fail(QStringLiteral("the bitmap's %1 bits per pixel are not valid").arg(h.bitCount));

        qsizetype entries = h.palette.size();
        if (entries == 0 && h.bitCount >= 1 && h.bitCount <= 8)
            entries = qsizetype(1) << h.bitCount;
        h.palette.resize(entries);
        for (qsizetype i = 0; i < entries; ++i) {
            if (usage == DibDecoder::ColorUsage::PaletteIndices) {
                h.palette[i] = systemPaletteColor(r.u16());
            } else {
                const int b = r.u8(), g = r.u8(), red = r.u8();
                if (!core)
                    r.u8();
                h.palette[i] = qRgb(red, g, b);
            }
        }
        h.size = r.pos();
    } catch (const ByteReader::Overrun&) {
        fail(QStringLiteral("the bitmap header or colour table runs past the end of its record"));
    }
    return h;
}

struct Channel
{
    quint32 mask = 0;
    int shift = 0;
    quint32 max = 0;

    explicit Channel(quint32 m) : mask(m)
    {
        if (m) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    int value(quint32 pixel, int absent) const
    {
        if (!max)
            return absent;
        return int(quint64((pixel & mask) >> shift) * 255 / max);
    }
};

QRgb paletteColor(const Header& h, quint32 index)
{
    return index < quint32(h.palette.size()) ? h.palette[index] : qRgb(0, 0, 0);
}

QImage decodeRle(const Header& h, QByteArrayView bits)
{
    if (h.height < 0)
        fail(QStringLiteral("a compressed bitmap cannot run top-down"));
    const bool four = h.compression == BI_RLE4;
    if (h.bitCount != (four ? 4 : 8))
        fail(QStringLiteral("the bitmap's compression does not match its %1 bits per pixel")
                 .arg(h.bitCount));
    // Runs of at most 255 pixels per two bytes, and skips: no real bitmap covers more than
    // a thousand pixels per byte of its data, so larger sizes are damage.
    if (h.width * h.height > qMax<qint64>(qint64(1) << 20, qint64(bits.size()) * 1024))
        fail(QStringLiteral("the compressed bitmap's size %1 x %2 does not match its data")
                 .arg(h.width)
                 .arg(h.height));
    const int w = int(h.width), height = int(h.height);
    QImage image(w, height, QImage::Format_ARGB32);
    if (image.isNull())
        fail(QStringLiteral("the bitmap is too large (%1 x %2)").arg(w).arg(height));
    image.fill(Qt::transparent); // skipped pixels leave what lies under the bitmap

    int x = 0, y = 0;
    auto put = [&](quint32 index) {
        if (x < w && y < height)
            reinterpret_cast<QRgb*>(image.scanLine(height - 1 - y))[x] = paletteColor(h, index);
        ++x;
    };
    ByteReader r(bits);
    try {
        while (r.remaining() >= 2 && y < height) {
            const int count = r.u8();
            const int value = r.u8();
            if (count > 0) {
                for (int i = 0; i < count; ++i)
                    put(four ? ((i & 1) ? value & 0x0f : value >> 4) : value);
            } else if (value == 0) {
                x = 0;
                ++y;
            } else if (value == 1) {
                break;
            } else if (value == 2) {
                x += r.u8();
                y += r.u8();
            } else {
                const int bytes = four ? (value + 1) / 2 : value;
                QByteArrayView run = r.bytes(bytes);
                for (int i = 0; i < value; ++i) {
                    const int byte = uchar(run[four ? i / 2 : i]);
                    put(four ? ((i & 1) ? byte & 0x0f : byte >> 4) : byte);
                }
                if (bytes & 1)
                    r.skip(qMin<qsizetype>(1, r.remaining()));
            }
        }
    } catch (const ByteReader::Overrun&) {
        fail(QStringLiteral("the compressed bitmap data runs past the end of its record"));
    }
    return image;
}

QImage decodeBits(const Header& h, QByteArrayView bits, DibDecoder::Alpha alpha)
{
    switch (h.compression) {
    case BI_RLE8:
    case BI_RLE4:
        return decodeRle(h, bits);
    case BI_JPEG:
    case BI_PNG:
        // Printer pass-through formats: the bits are a whole JPEG or PNG file.
        return QImage::fromData(bits);
    case BI_RGB:
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
        break;
    default:
        fail(QStringLiteral("the bitmap compression %1 is not valid").arg(h.compression));
    }

    const int bpp = h.bitCount;
    if (bpp != 1 && bpp != 2 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) {
        if (bpp == 0 || bpp == 48 || bpp == 64)
            return {};
        fail(QStringLiteral("the bitmap's %1 bits per pixel are not valid").arg(bpp));
    }
    const qint64 w = h.width, height = qAbs(h.height);
    const qint64 stride = ((w * bpp + 31) / 32) * 4;
    if (stride * height > bits.size())
        fail(QStringLiteral("the bitmap data is truncated (%1 bytes of %2)")
                 .arg(bits.size())
                 .arg(stride * height));

    quint32 masks[4] = {h.masks[0], h.masks[1], h.masks[2], h.masks[3]};
    const bool fields = h.compression != BI_RGB && (bpp == 16 || bpp == 32);
    if (!fields) {
        if (bpp == 16) {
            masks[0] = 0x7c00, masks[1] = 0x03e0, masks[2] = 0x001f;
        } else {
            masks[0] = 0xff0000, masks[1] = 0xff00, masks[2] = 0xff;
        }
        masks[3] = 0;
    }
    bool withAlpha = fields && masks[3] != 0;
    if (alpha == DibDecoder::Alpha::Keep && bpp == 32) {
        if (!fields)
            masks[3] = 0xff000000;
        withAlpha = true;
    }
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]), alphaChannel(masks[3]);

    QImage image(int(w), int(height),
                 withAlpha ? (alpha == DibDecoder::Alpha::Keep ? QImage::Format_ARGB32_Premultiplied
                                                               : QImage::Format_ARGB32)
                           : QImage::Format_RGB32);
    if (image.isNull())
        fail(QStringLiteral("the bitmap is too large (%1 x %2)").arg(w).arg(height));

    const auto* data = reinterpret_cast<const uchar*>(bits.data());
    for (qint64 row = 0; row < height; ++row) {
        const uchar* src = data + row * stride;
        auto* dst =
            reinterpret_cast<QRgb*>(image.scanLine(int(h.height < 0 ? row : height - 1 - row)));
        for (qint64 x = 0; x < w; ++x) {
            switch (bpp) {
            case 1:
            case 2:
            case 4:
            case 8: {
                const qint64 bit = x * bpp;
                const int byte = src[bit / 8];
                const int index = (byte >> (8 - bpp - bit % 8)) & ((1 << bpp) - 1);
                dst[x] = paletteColor(h, quint32(index));
                break;
            }
            case 24:
                dst[x] = qRgb(src[x * 3 + 2], src[x * 3 + 1], src[x * 3]);
                break;
            case 16:
            case 32: {
                const quint32 pixel = bpp == 16
                                          ? quint32(src[x * 2] | (src[x * 2 + 1] << 8))
                                          : quint32(src[x * 4]) | (quint32(src[x * 4 + 1]) << 8) |
                                                (quint32(src[x * 4 + 2]) << 16) |
                                                (quint32(src[x * 4 + 3]) << 24);
                int a = alphaChannel.value(pixel, 255);
                int r = red.value(pixel, 0), g = green.value(pixel, 0), b = blue.value(pixel, 0);
                if (alpha == DibDecoder::Alpha::Keep)
                    r = qMin(r, a), g = qMin(g, a), b = qMin(b, a);
                dst[x] = qRgba(r, g, b, withAlpha ? a : 255);
                break;
            }
            }
        }
    }
    return image;
}

} // namespace

QImage DibDecoder::decodePacked(QByteArrayView dib, ColorUsage usage, Alpha alpha)
{
    const Header h = readHeader(dib, usage);
    return decodeBits(h, dib.sliced(h.size), alpha);
}

QImage DibDecoder::decode(QByteArrayView info, QByteArrayView bits, ColorUsage usage, Alpha alpha)
{
    return decodeBits(readHeader(info, usage), bits, alpha);
}
