#include "DibWriter.h"

#include <QList>
#include <QtEndian>

namespace {

void put16(QByteArray& out, quint16 v)
{
    out.append(char(v & 0xff));
    out.append(char(v >> 8));
}

void put32(QByteArray& out, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xff));
}

QList<QRgb> paletteOf(const QImage& image, int maxColors)
{
    QList<QRgb> palette;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y) | 0xff000000;
            if (!palette.contains(c))
                palette.append(c);
        }
    Q_ASSERT(palette.size() <= maxColors);
    while (palette.size() < 2)
        palette.append(0xff000000);
    return palette;
}

QByteArray rleRow(const QList<int>& indices, bool four)
{
    // Encoded runs of equal pixels only; enough for test pictures.
    QByteArray out;
    int i = 0;
    while (i < indices.size()) {
        int run = 1;
        while (i + run < indices.size() && indices[i + run] == indices[i] && run < 254)
            ++run;
        out.append(char(run));
        out.append(char(four ? (indices[i] << 4) | indices[i] : indices[i]));
        i += run;
    }
    out.append(char(0));
    out.append(char(0)); // end of line
    return out;
}

} // namespace

QByteArray DibWriter::write(const QImage& source, Format format, bool topDown)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const int w = image.width(), h = image.height();
    int bpp = 24;
    quint32 compression = 0;
    QList<QRgb> palette;
    switch (format) {
    case Format::Indexed1:
        bpp = 1, palette = paletteOf(image, 2);
        break;
    case Format::Indexed4:
        bpp = 4, palette = paletteOf(image, 16);
        break;
    case Format::Indexed8:
        bpp = 8, palette = paletteOf(image, 256);
        break;
    case Format::Rle8:
        bpp = 8, compression = 1, palette = paletteOf(image, 256), topDown = false;
        break;
    case Format::Rle4:
        bpp = 4, compression = 2, palette = paletteOf(image, 16), topDown = false;
        break;
    case Format::Rgb555:
        bpp = 16;
        break;
    case Format::Rgb565Fields:
        bpp = 16, compression = 3;
        break;
    case Format::Rgb24:
    case Format::Core24:
        bpp = 24;
        break;
    case Format::Rgb32:
        bpp = 32;
        break;
    case Format::Rgb32Fields:
        bpp = 32, compression = 3;
        break;
    }

    QByteArray bits;
    const int stride = ((w * bpp + 31) / 32) * 4;
    for (int row = 0; row < h; ++row) {
        const int y = topDown ? row : h - 1 - row;
        QList<int> indices;
        QByteArray line(stride, '\0');
        for (int x = 0; x < w; ++x) {
            const QRgb c = image.pixel(x, y);
            const int r = qRed(c), g = qGreen(c), b = qBlue(c);
            if (!palette.isEmpty()) {
                const int index = int(palette.indexOf(c | 0xff000000));
                indices.append(index);
                const int bit = x * bpp;
                line[bit / 8] = char(uchar(line[bit / 8]) | (index << (8 - bpp - bit % 8)));
            } else if (bpp == 16) {
                const quint16 v = format == Format::Rgb555
                                      ? quint16(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3))
                                      : quint16(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
                line[x * 2] = char(v & 0xff);
                line[x * 2 + 1] = char(v >> 8);
            } else if (bpp == 24) {
                line[x * 3] = char(b), line[x * 3 + 1] = char(g), line[x * 3 + 2] = char(r);
            } else if (format == Format::Rgb32) {
                line[x * 4] = char(b), line[x * 4 + 1] = char(g), line[x * 4 + 2] = char(r);
                line[x * 4 + 3] = char(0x55); // reserved byte, to be ignored
            } else { // masks red 0x0000ff00, green 0x00ff0000, blue 0xff000000
                line[x * 4 + 1] = char(r), line[x * 4 + 2] = char(g), line[x * 4 + 3] = char(b);
            }
        }
        if (compression == 1 || compression == 2)
            bits += rleRow(indices, compression == 2);
        else
            bits += line;
    }
    if (compression == 1 || compression == 2) {
        bits.append(char(0));
        bits.append(char(1)); // end of bitmap
    }

    QByteArray out;
    if (format == Format::Core24) {
        put32(out, 12);
        put16(out, quint16(w));
        put16(out, quint16(h));
        put16(out, 1);
        put16(out, 24);
        return out + bits;
    }
    put32(out, 40);
    put32(out, quint32(w));
    put32(out, quint32(topDown ? -h : h));
    put16(out, 1);
    put16(out, quint16(bpp));
    put32(out, compression);
    put32(out, quint32(bits.size()));
    put32(out, 3780); // 96 dpi
    put32(out, 3780);
    put32(out, quint32(palette.size()));
    put32(out, 0);
    if (compression == 3) {
        if (bpp == 16) {
            put32(out, 0xf800), put32(out, 0x07e0), put32(out, 0x001f);
        } else {
            put32(out, 0x0000ff00), put32(out, 0x00ff0000), put32(out, 0xff000000);
        }
    }
    for (QRgb c : palette) {
        out.append(char(qBlue(c)));
        out.append(char(qGreen(c)));
        out.append(char(qRed(c)));
        out.append(char(0));
    }
    return out + bits;
}

qsizetype DibWriter::infoSize(const QByteArray& dib)
{
    const quint32 header = qFromLittleEndian<quint32>(dib.constData());
    if (header == 12)
        return 12;
    const quint32 compression = qFromLittleEndian<quint32>(dib.constData() + 16);
    const quint32 colors = qFromLittleEndian<quint32>(dib.constData() + 32);
    return header + (compression == 3 ? 12 : 0) + colors * 4;
}
