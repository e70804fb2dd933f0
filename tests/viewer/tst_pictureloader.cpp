// Loading picture files by their extension: the readers chosen, the refusals and their
// messages, and how a picture is fitted and drawn.

#include "EmfWriter.h"
#include "WmfWriter.h"
#include "store/LkError.h"
#include "viewer/PictureLoader.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

class TestPictureLoader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void byExtension_data();
    void byExtension();
    void unknownExtension_data();
    void unknownExtension();
    void damagedImages_data();
    void damagedImages();
    void missingFile();
    void iconTakesLargestImage();
    void fitAndDraw();

private:
    QString write(const QString& name, const QByteArray& bytes);
    QTemporaryDir m_dir;
    QImage m_image;
};

namespace {

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray smallWmf()
{
    WmfWriter w(QRect(0, 0, 1440, 720), 1440);
    w.rectangle(QRect(10, 10, 100, 100));
    return w.finish();
}

QByteArray smallEmf()
{
    EmfWriter w(QRect(0, 0, 96, 48), QRect(0, 0, 2540, 1270));
    w.rectangle(QRect(1, 1, 10, 10));
    return w.finish();
}

} // namespace

QString TestPictureLoader::write(const QString& name, const QByteArray& bytes)
{
    QFile file(m_dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
    return file.fileName();
}

void TestPictureLoader::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_image = QImage(40, 20, QImage::Format_RGB32);
    m_image.fill(qRgb(0, 128, 255));
    for (int x = 0; x < 20; ++x)
        for (int y = 0; y < 20; ++y)
            m_image.setPixel(x, y, qRgb(255, 0, 0));
}

void TestPictureLoader::byExtension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("metafile");
    QTest::addColumn<QSize>("size");
    const QByteArray bmp = encoded(m_image, "bmp");
    const QByteArray jpg = encoded(m_image, "jpeg");
    const QByteArray ico = encoded(m_image.scaled(32, 32), "ico");
    QTest::newRow("bmp") << "a.bmp" << bmp << false << QSize(40, 20);
    QTest::newRow("BMP") << "b.BMP" << bmp << false << QSize(40, 20);
    QTest::newRow("jpg") << "c.jpg" << jpg << false << QSize(40, 20);
    QTest::newRow("Jpg") << "d.Jpg" << jpg << false << QSize(40, 20);
    QTest::newRow("jpeg") << "e.jpeg" << jpg << false << QSize(40, 20);
    QTest::newRow("JPEG") << "f.JPEG" << jpg << false << QSize(40, 20);
    QTest::newRow("ico") << "g.ico" << ico << false << QSize(32, 32);
    QTest::newRow("ICO") << "h.ICO" << ico << false << QSize(32, 32);
    QTest::newRow("wmf") << "i.wmf" << smallWmf() << true << QSize(96, 48);
    QTest::newRow("WMF") << "j.WMF" << smallWmf() << true << QSize(96, 48);
    QTest::newRow("emf") << "k.emf" << smallEmf() << true << QSize(96, 48);
    QTest::newRow("Emf") << "l.Emf" << smallEmf() << true << QSize(96, 48);
    // Metafiles are told apart by their contents, whichever of the two names they carry.
    QTest::newRow("emf named wmf") << "m.wmf" << smallEmf() << true << QSize(96, 48);
    QTest::newRow("dotted folder") << "n.d/x.jpg" << jpg << false << QSize(40, 20);
}

void TestPictureLoader::byExtension()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, metafile);
    QFETCH(QSize, size);
    if (name.contains(QLatin1Char('/')))
        QVERIFY(QDir(m_dir.path()).mkpath(name.section(QLatin1Char('/'), 0, 0)));
    const Picture picture = PictureLoader::load(write(name, bytes));
    QVERIFY(!picture.isNull());
    QCOMPARE(picture.isMetafile(), metafile);
    QCOMPARE(picture.naturalSize(), size);
    if (!metafile) {
        const QRgb left = picture.image().pixel(5, 10);
        QVERIFY(qRed(left) > 200 && qGreen(left) < 60);
    }
}

void TestPictureLoader::unknownExtension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("gif") << "picture.gif"
                         << "Unknown picture file extension (.gif)";
    QTest::newRow("GIF") << "picture.GIF"
                         << "Unknown picture file extension (.GIF)";
    QTest::newRow("png") << "picture.png"
                         << "Unknown picture file extension (.png)";
    QTest::newRow("no extension") << "picture"
                                  << "Unknown picture file extension (.)";
    QTest::newRow("trailing dot") << "picture."
                                  << "Unknown picture file extension (.)";
    QTest::newRow("two dots") << "picture.bmp.txt"
                              << "Unknown picture file extension (.txt)";
    QTest::newRow("dot in folder") << "my.pictures/picture"
                                   << "Unknown picture file extension (.)";
}

void TestPictureLoader::unknownExtension()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    // Refused by its name alone: the file need not exist, and an existing one is not read.
    for (bool exists : {false, true}) {
        QString path = m_dir.filePath(name);
        if (exists) {
            QDir(m_dir.path()).mkpath(QFileInfo(path).path());
            path = write(name, encoded(m_image, "bmp"));
        }
        try {
            PictureLoader::load(path);
            QFAIL("the extension was accepted");
        } catch (const LkError& e) {
            QCOMPARE(e.message(), message);
            QCOMPARE(e.kind(), LkErrorKind::Graphic);
        }
    }
}

void TestPictureLoader::damagedImages_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    const QByteArray garbage("This is not a picture at all, only some text.");
    QTest::newRow("jpg garbage") << "bad.jpg" << garbage << "JPEG image is damaged";
    QTest::newRow("jpg header only")
        << "cut.jpg" << encoded(m_image, "jpeg").left(20) << "JPEG image is damaged";
    QTest::newRow("bmp garbage") << "bad.bmp" << garbage << "bitmap is damaged";
    QTest::newRow("bmp header only")
        << "cut.bmp" << encoded(m_image, "bmp").left(30) << "bitmap is damaged";
    QTest::newRow("ico garbage") << "bad.ico" << garbage << "icon is damaged";
    QTest::newRow("empty wmf") << "empty.wmf" << QByteArray() << "the file is empty";
    QTest::newRow("empty emf") << "empty.emf" << QByteArray() << "the file is empty";
    QTest::newRow("text as wmf") << "text.wmf" << garbage << "not a Windows metafile";
}

void TestPictureLoader::damagedImages()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    const QString path = write(name, bytes);
    try {
        PictureLoader::load(path);
        QFAIL("the damaged file was accepted");
    } catch (const LkError& e) {
        QCOMPARE(e.kind(), LkErrorKind::Graphic);
        QVERIFY2(e.message().startsWith(QStringLiteral("Cannot load the picture \"%1\": ")
                                            .arg(QDir::toNativeSeparators(path))),
                 qPrintable(e.message()));
        QVERIFY2(e.message().contains(expected), qPrintable(e.message()));
    }
}

void TestPictureLoader::missingFile()
{
    const QString path = m_dir.filePath(QStringLiteral("gone.bmp"));
    try {
        PictureLoader::load(path);
        QFAIL("a missing file was loaded");
    } catch (const LkError& e) {
        QCOMPARE(e.kind(), LkErrorKind::Graphic);
        QVERIFY2(
            e.message().startsWith(
                QStringLiteral("Cannot open file \"%1\". ").arg(QDir::toNativeSeparators(path))),
            qPrintable(e.message()));
    }
}

void TestPictureLoader::iconTakesLargestImage()
{
    // An icon file with a 16 x 16 and a 48 x 48 image, both stored as PNG.
    const QImage small = m_image.scaled(16, 16);
    const QImage large = m_image.scaled(48, 48);
    const QByteArray pngs[] = {encoded(small, "png"), encoded(large, "png")};
    QByteArray ico;
    auto put16 = [&ico](quint16 v) { ico.append(char(v & 0xff)).append(char(v >> 8)); };
    auto put32 = [&](quint32 v) { put16(quint16(v & 0xffff)), put16(quint16(v >> 16)); };
    put16(0), put16(1), put16(2);
    quint32 offset = 6 + 2 * 16;
    const int sizes[] = {16, 48};
    for (int i = 0; i < 2; ++i) {
        ico.append(char(sizes[i])).append(char(sizes[i])).append('\0').append('\0');
        put16(1), put16(32), put32(quint32(pngs[i].size())), put32(offset);
        offset += quint32(pngs[i].size());
    }
    ico += pngs[0] + pngs[1];
    const Picture picture = PictureLoader::load(write(QStringLiteral("two.ico"), ico));
    QCOMPARE(picture.naturalSize(), QSize(48, 48));
}

void TestPictureLoader::fitAndDraw()
{
    const Picture picture(m_image); // 40 x 20
    // Wider than the area: shrunk to its width; a small picture is enlarged; from the top-left.
    QCOMPARE(picture.fitted(QRectF(0, 0, 20, 100)), QRectF(0, 0, 20, 10));
    QCOMPARE(picture.fitted(QRectF(5, 5, 400, 100)), QRectF(5, 5, 200, 100));
    QCOMPARE(Picture().fitted(QRectF(0, 0, 10, 10)).size(), QSizeF(0, 0));

    QImage canvas(200, 100, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    picture.draw(painter, picture.fitted(QRectF(0, 0, 200, 100)));
    painter.end();
    QVERIFY(qRed(canvas.pixel(50, 50)) > 200 && qBlue(canvas.pixel(50, 50)) < 60);
    QVERIFY(qBlue(canvas.pixel(150, 50)) > 200 && qRed(canvas.pixel(150, 50)) < 60);

    // A metafile fitted the same way keeps its proportions.
    const Picture wmf = PictureLoader::fromData(smallWmf(), QStringLiteral("x.wmf"));
    QCOMPARE(wmf.fitted(QRectF(0, 0, 300, 300)), QRectF(0, 0, 300, 150));
}

QTEST_MAIN(TestPictureLoader)
#include "tst_pictureloader.moc"
