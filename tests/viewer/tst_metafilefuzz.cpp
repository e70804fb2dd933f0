// Damaged metafiles: cut short and randomly corrupted copies of valid files must either be
// refused with LkError or load and play without a crash (the sanitizer build runs this).

#include "DemoDiagram.h"
#include "SampleMetafiles.h"
#include "store/LkError.h"
#include "viewer/PictureLoader.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

class TestMetafileFuzz : public QObject
{
    Q_OBJECT

private slots:
    void corruptedFilesNeverCrash_data();
    void corruptedFilesNeverCrash();

private:
    struct Tally
    {
        int loaded = 0;
        int refused = 0;
    };
    static void feed(const QByteArray& bytes, const QString& name, Tally& tally);
};

void TestMetafileFuzz::feed(const QByteArray& bytes, const QString& name, Tally& tally)
{
    try {
        const Picture picture = PictureLoader::fromData(bytes, name);
        QImage image(48, 36, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        picture.draw(painter, QRectF(0, 0, 48, 36));
        // And once through a scaled painter with a clip, as a window paints.
        painter.setClipRect(4, 4, 30, 20);
        painter.scale(0.5, 0.5);
        picture.draw(painter, QRectF(10, 10, 60, 40));
        painter.end();
        ++tally.loaded;
    } catch (const LkError& e) {
        if (e.kind() != LkErrorKind::Graphic || e.message().isEmpty())
            QFAIL(qPrintable(QStringLiteral("unexpected error: %1").arg(e.message())));
        ++tally.refused;
    }
}

void TestMetafileFuzz::corruptedFilesNeverCrash_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("name");
    QTest::addColumn<quint32>("seed");
    QTest::newRow("sample wmf") << SampleMetafiles::wmf() << "sample.wmf" << 1u;
    QTest::newRow("sample emf") << SampleMetafiles::emf() << "sample.emf" << 2u;
    QTest::newRow("diagram wmf") << DemoDiagram::wmf() << "shema.wmf" << 3u;
    QTest::newRow("diagram emf") << DemoDiagram::emf() << "shema.emf" << 4u;
}

void TestMetafileFuzz::corruptedFilesNeverCrash()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, name);
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    Tally tally;
    QElapsedTimer timer;
    timer.start();

    // The file itself plays.
    feed(file, name, tally);
    QCOMPARE(tally.loaded, 1);

    // Cut short at many places.
    const int cuts = 120;
    for (int i = 0; i < cuts; ++i)
        feed(file.left(qsizetype(random.bounded(quint32(file.size())))), name, tally);

    // A few bytes overwritten with random values, extreme values or zeros.
    const int corruptions = 400;
    for (int i = 0; i < corruptions; ++i) {
        QByteArray bytes = file;
        const int changes = 1 + int(random.bounded(8u));
        for (int c = 0; c < changes; ++c) {
            const qsizetype at = qsizetype(random.bounded(quint32(bytes.size())));
            switch (random.bounded(4u)) {
            case 0:
                bytes[at] = char(random.bounded(256u));
                break;
            case 1:
                bytes[at] = char(0xff);
                break;
            case 2:
                bytes[at] = char(0x7f);
                break;
            default:
                bytes[at] = 0;
                break;
            }
        }
        feed(bytes, name, tally);
    }

    // Runs of bytes repeated or dropped in the middle, which shifts records.
    const int shifts = 80;
    for (int i = 0; i < shifts; ++i) {
        QByteArray bytes = file;
        const qsizetype at = qsizetype(random.bounded(quint32(bytes.size())));
        const qsizetype len = 1 + qsizetype(random.bounded(40u));
        if (i % 2)
            bytes.insert(at, bytes.mid(at, len));
        else
            bytes.remove(at, len);
        feed(bytes, name, tally);
    }

    qInfo("%s: %d loaded, %d refused in %lld ms", qPrintable(name), tally.loaded, tally.refused,
          timer.elapsed());
    // Both outcomes occur: damage is found, and harmless changes still load.
    QVERIFY(tally.refused > 0);
    QVERIFY(tally.loaded > 1);
    QCOMPARE(tally.loaded + tally.refused, 1 + cuts + corruptions + shifts);
}

QTEST_MAIN(TestMetafileFuzz)
#include "tst_metafilefuzz.moc"
