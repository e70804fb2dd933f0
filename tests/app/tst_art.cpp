// The program's own art: the opening screen's skin picture and the icons of the menu, the tree
// and the buttons.
#include "Icons.h"

#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QTest>

namespace {
const QColor Red(255, 0, 0);
const QColor Scroll(255, 255, 128);

bool nearRed(const QColor& c)
{
    return c != Red && c.red() >= 190 && c.green() < 90 && c.blue() < 90;
}

bool hasInk(const QImage& image, const QRect& box)
{
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            if (image.pixelColor(x, y) != Scroll)
                return true;
    return false;
}
} // namespace

class TstArt : public QObject
{
    Q_OBJECT
private slots:
    void skinFormat();
    void skinGroundIsExactlyRed();
    void skinLayout_data();
    void skinLayout();
    void skinBlankBands_data();
    void skinBlankBands();
    void icons();
};

void TstArt::skinFormat()
{
    const QImage skin = Icons::skin();
    QVERIFY(!skin.isNull());
    QCOMPARE(skin.size(), QSize(712, 390));
    QVERIFY(!skin.hasAlphaChannel());
    // Stored as a 24-bit picture: a PNG of 8-bit red, green and blue, without alpha.
    QFile file(QStringLiteral(":/skin/skin.png"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.read(26);
    QCOMPARE(header.mid(12, 4), QByteArray("IHDR"));
    QCOMPARE(int(header.at(24)), 8); // bits per channel
    QCOMPARE(int(header.at(25)), 2); // colour type: RGB
}

void TstArt::skinGroundIsExactlyRed()
{
    // Only exactly red pixels are transparent, so nothing may come close to red without being it:
    // no blended fringe around the scroll, no stray red inside it.
    const QImage skin = Icons::skin();
    int red = 0;
    for (int y = 0; y < skin.height(); ++y)
        for (int x = 0; x < skin.width(); ++x) {
            const QColor c = skin.pixelColor(x, y);
            if (c == Red)
                ++red;
            else if (nearRed(c))
                QFAIL(qPrintable(
                    QStringLiteral("near-red pixel %1 at %2, %3").arg(c.name()).arg(x).arg(y)));
        }
    for (const QPoint corner : {QPoint(0, 0), QPoint(711, 0), QPoint(0, 389), QPoint(711, 389)})
        QCOMPARE(skin.pixelColor(corner), Red);
    QVERIFY(red > 1000);
    QCOMPARE(skin.pixelColor(356, 190), Scroll);
}

void TstArt::skinLayout_data()
{
    QTest::addColumn<QRect>("box");
    QTest::newRow("heading") << QRect(QPoint(213, 19), QPoint(559, 33));
    QTest::newRow("course title") << QRect(QPoint(2, 78), QPoint(702, 135));
    QTest::newRow("audience") << QRect(QPoint(280, 165), QPoint(422, 176));
    QTest::newRow("group prompt") << QRect(QPoint(109, 212), QPoint(308, 226));
    QTest::newRow("name prompt") << QRect(QPoint(112, 249), QPoint(219, 262));
    QTest::newRow("authors") << QRect(QPoint(112, 285), QPoint(430, 329));
    QTest::newRow("entry button") << QRect(QPoint(439, 282), QPoint(586, 326));
    QTest::newRow("city and year") << QRect(QPoint(322, 346), QPoint(411, 355));
}

void TstArt::skinLayout()
{
    QFETCH(QRect, box);
    const QImage skin = Icons::skin();
    QVERIFY(hasInk(skin, box));
    // The ink reaches each edge of its box.
    QVERIFY(hasInk(skin, QRect(box.left(), box.top(), box.width(), 2)));
    QVERIFY(hasInk(skin, QRect(box.left(), box.bottom() - 1, box.width(), 2)));
    QVERIFY(hasInk(skin, QRect(box.left(), box.top(), 2, box.height())));
}

void TstArt::skinBlankBands_data()
{
    QTest::addColumn<QRect>("band");
    QTest::newRow("above the title") << QRect(QPoint(30, 38), QPoint(680, 74));
    QTest::newRow("below the title") << QRect(QPoint(30, 140), QPoint(680, 161));
    QTest::newRow("below the audience") << QRect(QPoint(30, 181), QPoint(680, 208));
    QTest::newRow("left of the boxes") << QRect(QPoint(30, 200), QPoint(100, 340));
}

void TstArt::skinBlankBands()
{
    QFETCH(QRect, band);
    QVERIFY(!hasInk(Icons::skin(), band));
}

void TstArt::icons()
{
    QList<QIcon> all;
    for (int i = 0; i < Icons::imageList1Count; ++i)
        all << Icons::imageList1(i);
    for (int i = 0; i < Icons::imageList2Count; ++i)
        all << Icons::imageList2(i);
    all << Icons::collapseGlyph() << Icons::expandGlyph();
    QCOMPARE(all.size(), 17);
    QVERIFY(Icons::imageList1(13).isNull());
    QVERIFY(Icons::imageList1(-1).isNull());
    QVERIFY(Icons::imageList2(2).isNull());

    QList<QImage> images;
    for (const QIcon& icon : all) {
        QVERIFY(!icon.isNull());
        const QImage image = icon.pixmap(16, 16).toImage();
        QCOMPARE(image.size(), QSize(16, 16));
        int opaque = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                opaque += qAlpha(image.pixel(x, y)) > 128;
        QVERIFY2(opaque >= 20, "an icon with next to nothing drawn");
        images << image.convertToFormat(QImage::Format_ARGB32);
    }
    // Every picture is its own (the two arrows with a bar point opposite ways).
    for (int i = 0; i < images.size(); ++i)
        for (int j = i + 1; j < images.size(); ++j)
            QVERIFY2(images[i] != images[j], qPrintable(QStringLiteral("%1 == %2").arg(i).arg(j)));
}

QTEST_MAIN(TstArt)
#include "tst_art.moc"
