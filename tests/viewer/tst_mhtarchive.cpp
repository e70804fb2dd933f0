#include "MhtSamples.h"
#include "store/LkError.h"
#include "viewer/MhtArchive.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// Reading web archives and writing them out as a page folder with rewritten locations.
class TestMhtArchive : public QObject
{
    Q_OBJECT

    const QString title = QStringLiteral("Введение в информатику");

    static QString readUtf8(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll());
    }

private slots:
    void quotedPrintable_data()
    {
        QTest::addColumn<QByteArray>("encoded");
        QTest::addColumn<QByteArray>("decoded");
        QTest::newRow("plain") << QByteArray("abc") << QByteArray("abc");
        QTest::newRow("escapes") << QByteArray("=C2=E2=e5") << QByteArray("\xC2\xE2\xE5");
        QTest::newRow("soft break CRLF") << QByteArray("ab=\r\ncd") << QByteArray("abcd");
        QTest::newRow("soft break LF") << QByteArray("ab=\ncd") << QByteArray("abcd");
        QTest::newRow("soft break after blanks")
            << QByteArray("ab= \t\r\ncd") << QByteArray("abcd");
        QTest::newRow("hard break stays") << QByteArray("ab\r\ncd") << QByteArray("ab\r\ncd");
        QTest::newRow("equals sign") << QByteArray("a=3Db") << QByteArray("a=b");
        QTest::newRow("stray equals") << QByteArray("a=zz") << QByteArray("a=zz");
        QTest::newRow("equals at the end") << QByteArray("a=") << QByteArray("a");
        QTest::newRow("escape cut short") << QByteArray("a=C") << QByteArray("a=C");
    }
    void quotedPrintable()
    {
        QFETCH(QByteArray, encoded);
        QFETCH(QByteArray, decoded);
        QCOMPARE(MhtArchive::decodeQuotedPrintable(encoded), decoded);
    }

    void readsTheParts()
    {
        const MhtArchive archive = MhtArchive::parse(MhtSamples::wordArchive(title));
        QCOMPARE(archive.parts().size(), size_t(5));
        QCOMPARE(archive.pageIndex(), 0);
        const MhtArchive::Part& page = archive.parts()[0];
        QCOMPARE(page.contentType, QStringLiteral("text/html"));
        QCOMPARE(page.charset, QStringLiteral("windows-1251"));
        QCOMPARE(page.location, QStringLiteral("file:///C:/Kurs/page.htm"));
        QVERIFY(MhtArchive::partText(page).contains(title));
        QCOMPARE(archive.parts()[1].data, MhtSamples::png(Qt::red));
        QCOMPARE(archive.parts()[3].contentId, QStringLiteral("image003@01D9"));
        QCOMPARE(archive.parts()[3].data, MhtSamples::png(Qt::blue));
    }

    void charsetFromTheMarkup()
    {
        MhtArchive::Part part;
        part.contentType = QStringLiteral("text/html");
        part.data = "<meta charset=\"windows-1251\"><p>\xCF\xF0\xE8\xE2\xE5\xF2</p>";
        QCOMPARE(MhtArchive::partText(part),
                 QStringLiteral("<meta charset=\"windows-1251\"><p>Привет</p>"));
        part.data = "<p>\xCF\xF0\xE8\xE2\xE5\xF2</p>"; // undeclared and no UTF-8: Windows-1251
        QCOMPARE(MhtArchive::partText(part), QStringLiteral("<p>Привет</p>"));
        part.data = QStringLiteral("<p>Привет</p>").toUtf8(); // undeclared UTF-8
        QCOMPARE(MhtArchive::partText(part), QStringLiteral("<p>Привет</p>"));
        part.charset = QStringLiteral("koi8-r");
        part.data = "\xF0\xD2\xC9\xD7\xC5\xD4";
        QCOMPARE(MhtArchive::partText(part), QStringLiteral("Привет"));
    }

    void extractsAPageFolder()
    {
        QTemporaryDir dir;
        const MhtArchive archive = MhtArchive::parse(MhtSamples::wordArchive(title));
        const QString page = archive.extractTo(dir.filePath(QStringLiteral("p1")));
        QVERIFY(QFileInfo(page).isFile());

        QFile file(page);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QString text = QString::fromUtf8(bytes.mid(3));
        QVERIFY(text.contains(QStringLiteral("<title>") + title));
        QVERIFY(text.contains(QStringLiteral("charset=utf-8")));
        QVERIFY(!text.contains(QStringLiteral("windows-1251")));
        QVERIFY(!text.contains(QStringLiteral("file:///")));
        QVERIFY(!text.contains(QStringLiteral("cid:")));
        QVERIFY(text.contains(QStringLiteral("href=\"#top\""))); // not a part: left alone

        // Each picture reference now names a file beside the page with that picture's bytes.
        const QList<std::pair<QString, QColor>> pictures{{QStringLiteral("red"), Qt::red},
                                                         {QStringLiteral("green"), Qt::green},
                                                         {QStringLiteral("blue"), Qt::blue}};
        for (const auto& [id, colour] : pictures) {
            const QRegularExpression src(QStringLiteral("id=\"%1\"[^>]*src=\"([^\"]+)\"").arg(id));
            const QRegularExpressionMatch match = src.match(text);
            QVERIFY2(match.hasMatch(), qPrintable(id));
            const QString name = match.captured(1);
            QVERIFY2(!name.contains(QLatin1Char('/')), qPrintable(name));
            QImage image(QFileInfo(page).dir().filePath(name));
            QVERIFY2(!image.isNull(), qPrintable(name));
            QCOMPARE(image.pixelColor(0, 0), colour);
        }
        const QRegularExpression back(QStringLiteral("url\\('([^']+)'\\)"));
        const QString backName = back.match(text).captured(1);
        QVERIFY(!backName.isEmpty() && !backName.contains(QLatin1Char('/')));
        QCOMPARE(QImage(QFileInfo(page).dir().filePath(backName)).pixelColor(0, 0),
                 QColor(Qt::yellow));
    }

    void locationsMatchLikeWindowsFiles()
    {
        QHash<QString, QString> files;
        files.insert(MhtArchive::locationKey(QStringLiteral("file:///C:/Kurs/A%20B/Pic.PNG")),
                     QStringLiteral("part1.png"));
        const QString base = QStringLiteral("file:///C:/Kurs/page.htm");
        QCOMPARE(
            MhtArchive::rewriteReferences(QStringLiteral("<img src=\"a b/pic.png\">"), base, files),
            QStringLiteral("<img src=\"part1.png\">"));
        QCOMPARE(MhtArchive::rewriteReferences(QStringLiteral("<img SRC='C:\\Kurs\\A B\\Pic.png'>"),
                                               QString(), files),
                 QStringLiteral("<img SRC='part1.png'>"));
        QCOMPARE(
            MhtArchive::rewriteReferences(
                QStringLiteral("<v:imagedata src=file:///c:/kurs/a%20b/pic.png o:title=\"\"/>"),
                base, files),
            QStringLiteral("<v:imagedata src=part1.png o:title=\"\"/>"));
        // A place within a part stays with it.
        QCOMPARE(MhtArchive::rewriteReferences(QStringLiteral("<a href=\"A%20B/pic.png#x\">"), base,
                                               files),
                 QStringLiteral("<a href=\"part1.png#x\">"));
        QCOMPARE(
            MhtArchive::rewriteReferences(QStringLiteral("<img src=\"other.png\">"), base, files),
            QStringLiteral("<img src=\"other.png\">"));
    }

    void archiveWithStartPartAndStyleSheet()
    {
        const QByteArray b = "b1";
        QByteArray bytes =
            "Content-Type: multipart/related; boundary=b1; start=\"<main>\"\n\n"
            "--b1\nContent-Type: text/css\nContent-Location: http://site/s.css\n\n"
            "h1 { background: url(img/x.png) }\n"
            "--b1\nContent-Type: image/png\nContent-Location: http://site/img/x.png\n"
            "Content-Transfer-Encoding: base64\n\n" +
            MhtSamples::png(Qt::red).toBase64() +
            "\n--b1\nContent-Type: text/html; charset=utf-8\nContent-ID: <main>\n"
            "Content-Location: http://site/index.html\n\n"
            "<link rel=stylesheet href=\"s.css\"><h1>Заголовок</h1>\n"
            "--b1--\n";
        const MhtArchive archive = MhtArchive::parse(bytes);
        QCOMPARE(archive.pageIndex(), 2);
        QTemporaryDir dir;
        const QString page = archive.extractTo(dir.path());
        const QString text = readUtf8(page);
        QVERIFY(text.contains(QStringLiteral("Заголовок")));
        QVERIFY(text.contains(QStringLiteral("href=\"part0.css\"")));
        QVERIFY(readUtf8(dir.filePath(QStringLiteral("part0.css")))
                    .contains(QStringLiteral("url(part1.png)")));
    }

    void notAnArchive_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("plain page") << QByteArray("<html><body>x</body></html>");
        QTest::newRow("no boundary") << QByteArray("Content-Type: multipart/related\r\n\r\nx");
        QTest::newRow("boundary never used")
            << QByteArray("Content-Type: multipart/related; boundary=zz\r\n\r\nnothing");
    }
    void notAnArchive()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY_THROWS_EXCEPTION(LkError, MhtArchive::parse(bytes));
    }

    void damagedArchivesNeverCrash()
    {
        const QByteArray whole = MhtSamples::wordArchive(title);
        // Cut at many places, and with bytes flipped: either an error or some parts.
        for (qsizetype cut = 0; cut < whole.size(); cut += 37) {
            for (int flip = 0; flip < 2; ++flip) {
                QByteArray bytes = whole.left(cut);
                if (flip && !bytes.isEmpty())
                    bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x5A);
                try {
                    const MhtArchive archive = MhtArchive::parse(bytes);
                    QVERIFY(!archive.parts().empty());
                    QTemporaryDir dir;
                    QVERIFY(QFileInfo(archive.extractTo(dir.path())).isFile());
                } catch (const LkError&) {
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestMhtArchive)
#include "tst_mhtarchive.moc"
