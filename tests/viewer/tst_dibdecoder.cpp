// Device-independent bitmaps as metafiles embed them: every pixel format the writer knows,
// bottom-up and top-down, decoded back to the same picture.

#include "DibWriter.h"
#include "SampleMetafiles.h"
#include "store/LkError.h"
#include "viewer/DibDecoder.h"

#include <QtTest>

Q_DECLARE_METATYPE(DibWriter::Format)

class TestDibDecoder : public QObject
{
    Q_OBJECT

private slots:
    void formats_data();
    void formats();
    void separateHeaderAndBits();
    void damaged_data();
    void damaged();
};

namespace {

QImage odd()
{
    // 5 x 3: an odd width exercises the row padding.
    QImage image(5, 3, QImage::Format_RGB32);
    const QRgb colors[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 0),
                           qRgb(255, 255, 255)};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            image.setPixel(x, y, colors[(x + y) % 5]);
    return image;
}

QImage twoColours()
{
    QImage image(9, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 9; ++x)
            image.setPixel(x, y, (x + y) % 3 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    return image;
}

} // namespace

void TestDibDecoder::formats_data()
{
    QTest::addColumn<DibWriter::Format>("format");
    QTest::addColumn<bool>("topDown");
    QTest::addColumn<QImage>("image");
    using F = DibWriter::Format;
    const struct
    {
        const char* name;
        F format;
        bool twoColoursOnly;
    } formats[] = {{"1 bit", F::Indexed1, true},
                   {"4 bits", F::Indexed4, false},
                   {"8 bits", F::Indexed8, false},
                   {"16 bits 5-5-5", F::Rgb555, false},
                   {"16 bits 5-6-5", F::Rgb565Fields, false},
                   {"24 bits", F::Rgb24, false},
                   {"32 bits", F::Rgb32, false},
                   {"32 bits fields", F::Rgb32Fields, false}};
    for (const auto& f : formats) {
        const QImage image = f.twoColoursOnly ? twoColours() : odd();
        QTest::addRow("%s bottom-up", f.name) << f.format << false << image;
        QTest::addRow("%s top-down", f.name) << f.format << true << image;
    }
    QTest::newRow("RLE 8") << F::Rle8 << false << odd();
    QTest::newRow("RLE 4") << F::Rle4 << false << odd();
    QTest::newRow("core header") << F::Core24 << false << odd();
}

void TestDibDecoder::formats()
{
    QFETCH(DibWriter::Format, format);
    QFETCH(bool, topDown);
    QFETCH(QImage, image);
    const QImage decoded = DibDecoder::decodePacked(DibWriter::write(image, format, topDown));
    QCOMPARE(decoded.size(), image.size());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            QVERIFY2((decoded.pixel(x, y) | 0xff000000) == image.pixel(x, y),
                     qPrintable(QStringLiteral("pixel %1, %2: %3 for %4")
                                    .arg(x)
                                    .arg(y)
                                    .arg(decoded.pixel(x, y), 8, 16)
                                    .arg(image.pixel(x, y), 8, 16)));
}

void TestDibDecoder::separateHeaderAndBits()
{
    const QByteArray dib = DibWriter::write(odd(), DibWriter::Format::Indexed8);
    const qsizetype info = DibWriter::infoSize(dib);
    const QImage decoded = DibDecoder::decode(dib.left(info), dib.mid(info));
    QCOMPARE(decoded.convertToFormat(QImage::Format_RGB32), odd());
}

void TestDibDecoder::damaged_data()
{
    QTest::addColumn<QByteArray>("dib");
    QTest::addColumn<QString>("expected");
    const QByteArray good = DibWriter::write(odd(), DibWriter::Format::Rgb24);
    QTest::newRow("empty") << QByteArray() << "runs past the end";
    QByteArray header = good;
    header[0] = 20;
    QTest::newRow("header size") << header << "header size 20";
    QByteArray width = good;
    width[4] = 0;
    QTest::newRow("zero width") << width << "size 0 x 3";
    QByteArray huge = good;
    huge[7] = 0x7f;
    QTest::newRow("huge") << huge << "too large";
    QTest::newRow("truncated") << good.left(good.size() - 1) << "truncated";
    QByteArray bpp = good;
    bpp[14] = 7;
    QTest::newRow("bits per pixel") << bpp << "7 bits per pixel";
    QByteArray compression = good;
    compression[16] = 9;
    QTest::newRow("compression") << compression << "compression 9";
    QByteArray colours = DibWriter::write(odd(), DibWriter::Format::Indexed8);
    colours[32] = char(0xff);
    colours[33] = char(0xff);
    QTest::newRow("colour table") << colours << "colour table";
    QByteArray rle = DibWriter::write(odd(), DibWriter::Format::Rle8);
    rle[8] = char(0xfd), rle[9] = char(0xff), rle[10] = char(0xff), rle[11] = char(0xff);
    QTest::newRow("top-down RLE") << rle << "top-down";
}

void TestDibDecoder::damaged()
{
    QFETCH(QByteArray, dib);
    QFETCH(QString, expected);
    try {
        DibDecoder::decodePacked(dib);
        QFAIL("the damaged bitmap was accepted");
    } catch (const LkError& e) {
        QVERIFY2(e.message().contains(expected), qPrintable(e.message()));
    }
}

QTEST_MAIN(TestDibDecoder)
#include "tst_dibdecoder.moc"
