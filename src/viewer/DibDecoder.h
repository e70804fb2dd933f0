#pragma once

#include <QByteArrayView>
#include <QImage>

// Turns a Windows device-independent bitmap (the BITMAPINFO header, its colour table and the
// pixel bits, as metafiles embed them) into a QImage. Reads only inside the given bytes.
//
// A malformed bitmap (bad header, colour table or bits running past the end, impossible sizes)
// throws LkError naming the problem; a well-formed bitmap in a format that has no meaning here
// (64 bits per pixel, say) gives a null image, which the caller skips.
class DibDecoder
{
public:
    enum class ColorUsage {
        Rgb,            // the colour table holds RGB quads
        PaletteIndices, // the colour table holds 16-bit indices into the selected palette
    };
    enum class Alpha {
        Ignore, // the fourth byte of 32-bit pixels is reserved (GDI blits)
        Keep,   // 32-bit pixels carry premultiplied alpha (AlphaBlend)
    };

    // A packed bitmap: header, colour masks, colour table and bits one after the other.
    static QImage decodePacked(QByteArrayView dib, ColorUsage usage = ColorUsage::Rgb,
                               Alpha alpha = Alpha::Ignore);
    // Header (with its colour table) and bits stored apart, as enhanced metafiles do.
    static QImage decode(QByteArrayView info, QByteArrayView bits,
                         ColorUsage usage = ColorUsage::Rgb, Alpha alpha = Alpha::Ignore);

    // The largest bitmap accepted, in pixels; bigger ones are refused as damaged.
    static constexpr qint64 MaxPixels = qint64(1) << 26;
};
