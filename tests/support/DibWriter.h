#pragma once

#include <QByteArray>
#include <QImage>

// Writes QImages as Windows device-independent bitmaps (BITMAPINFOHEADER, colour table,
// bits), the way metafiles embed them, for tests to build pictures byte by byte.
class DibWriter
{
public:
    enum class Format {
        Indexed1,
        Indexed4,
        Indexed8,
        Rgb555,
        Rgb565Fields, // 16 bits with BI_BITFIELDS 5-6-5
        Rgb24,
        Rgb32,
        Rgb32Fields, // 32 bits with BI_BITFIELDS (blue in the high byte)
        Rle8,
        Rle4,
        Core24, // BITMAPCOREHEADER
    };

    // A packed bitmap. Indexed formats take their colour table from the image's colours
    // (which must fit). topDown writes a negative height (not for the compressed formats).
    static QByteArray write(const QImage& image, Format format, bool topDown = false);
    // Bytes taken by the header, masks and colour table of a packed bitmap.
    static qsizetype infoSize(const QByteArray& dib);
};
