// The demo course that ships with the program: its topic outline matches the lessons of its seed,
// every file the seed names is there, its web archives hold their pictures under the file:///C:/
// locations a word processor writes, and its test folder has a page for every line of its key.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTest>

namespace {
QString course()
{
    return qEnvironmentVariable("LK_SOURCE_DIR") + QStringLiteral("/demo");
}

QByteArray readAll(const QString& relative)
{
    QFile file(course() + QLatin1Char('/') + relative);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

struct Lesson
{
    QString urok;
    QStringList media; // htm, jpg, avi, test, mid, wav, exe; a null string for NULL
};

// The values of each "INSERT INTO urok" statement: quoted texts (with '' for a quote) and NULL.
QList<Lesson> seedLessons()
{
    const QString seed = QString::fromUtf8(readAll(QStringLiteral("seed.sql")));
    QList<Lesson> lessons;
    static const QRegularExpression insert(QStringLiteral(
        R"(INSERT INTO urok \(urok, htm, jpg, avi, test, mid, wav, exe\) VALUES\s*\()"));
    auto it = insert.globalMatch(seed);
    while (it.hasNext()) {
        qsizetype i = it.next().capturedEnd();
        QStringList values;
        while (i < seed.size() && seed[i] != u')') {
            if (seed[i] == u'\'') {
                QString text;
                for (++i; i < seed.size(); ++i) {
                    if (seed[i] == u'\'') {
                        if (i + 1 < seed.size() && seed[i + 1] == u'\'') {
                            text += u'\'';
                            ++i;
                            continue;
                        }
                        break;
                    }
                    text += seed[i];
                }
                values << (text.isNull() ? QStringLiteral("") : text);
                ++i;
            } else if (seed.mid(i, 4) == QLatin1String("NULL")) {
                values << QString();
                i += 4;
            } else {
                ++i;
            }
        }
        if (values.size() == 8)
            lessons.append({values[0], values.mid(1)});
        else
            lessons.append({QStringLiteral("<malformed>"), {}});
    }
    return lessons;
}

QString toLocal(const QString& stored)
{
    return QString(stored).replace(u'\\', u'/');
}

struct Part
{
    QMap<QByteArray, QByteArray> headers; // lower-case names
    QByteArray body;
};

QList<Part> mimeParts(const QByteArray& archive, QByteArray* contentType)
{
    const qsizetype headerEnd = archive.indexOf("\r\n\r\n");
    const QByteArray top = archive.left(headerEnd);
    static const QRegularExpression boundaryRe(QStringLiteral("boundary=\"([^\"]+)\""));
    const auto m = boundaryRe.match(QString::fromLatin1(top));
    *contentType = top;
    if (!m.hasMatch())
        return {};
    const QByteArray delimiter = "--" + m.captured(1).toLatin1();
    QList<Part> parts;
    const QList<QByteArray> chunks = archive.split('\n');
    QByteArray current;
    bool inPart = false;
    auto finish = [&] {
        if (!inPart)
            return;
        const qsizetype split = current.indexOf("\r\n\r\n");
        Part part;
        for (const QByteArray& line : current.left(split).split('\n')) {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0)
                part.headers[line.left(colon).trimmed().toLower()] = line.mid(colon + 1).trimmed();
        }
        part.body = current.mid(split + 4);
        parts << part;
    };
    for (const QByteArray& rawLine : chunks) {
        const QByteArray line = rawLine.endsWith('\r') ? rawLine.chopped(1) : rawLine;
        if (line == delimiter || line == delimiter + "--") {
            finish();
            current.clear();
            inPart = line == delimiter;
            continue;
        }
        if (inPart)
            current += line + "\r\n";
    }
    return parts;
}

QByteArray decodeQuotedPrintable(const QByteArray& text)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '=') {
            out += text[i];
        } else if (text.mid(i + 1, 2) == "\r\n") {
            i += 2;
        } else {
            out += char(text.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        }
    }
    return out;
}
} // namespace

class TstDemoCourse : public QObject
{
    Q_OBJECT
private slots:
    void outlineMatchesLessons();
    void lessonFilesExist();
    void archives_data();
    void archives();
    void windows1251Page();
    void testFolder();
};

void TstDemoCourse::outlineMatchesLessons()
{
    const QByteArray raw = readAll(QStringLiteral("log.log"));
    QVERIFY(!raw.isEmpty());
    // CR LF only, no byte-order mark, one byte per character in Windows-1251.
    QCOMPARE(raw.count('\n'), raw.count("\r\n"));
    QCOMPARE(raw.count('\r'), raw.count("\r\n"));
    QVERIFY(raw.endsWith("\r\n"));
    QStringDecoder decoder("windows-1251");
    QVERIFY(decoder.isValid());
    const QString text = decoder.decode(raw);
    QVERIFY(!decoder.hasError());
    QStringList lines = text.split(QStringLiteral("\r\n"));
    lines.removeLast();
    QVERIFY(lines.size() >= 6 && lines.size() <= 10);

    QStringList titles;
    for (const Lesson& l : seedLessons())
        titles << l.urok;
    QCOMPARE(titles.size(), lines.size());
    QSet<int> depths;
    for (const QString& line : lines) {
        int depth = 0;
        while (depth < line.size() && line[depth] == u'\t')
            ++depth;
        depths << depth;
        const QString topic = line.mid(depth);
        QVERIFY2(!topic.isEmpty() && !topic.front().isSpace(), qPrintable(line));
        QVERIFY2(titles.contains(topic), qPrintable(topic));
    }
    QCOMPARE(depths, QSet<int>({0, 1}));
    QVERIFY(lines.first().front() != u'\t');
    // Cyrillic came through the code page: the letter ё included.
    QVERIFY(text.contains(QStringLiteral("Информация и её свойства")));
}

void TstDemoCourse::lessonFilesExist()
{
    const QList<Lesson> lessons = seedLessons();
    QVERIFY(!lessons.isEmpty());
    QSet<int> usedFields;
    bool hasEmpty = false;
    for (const Lesson& lesson : lessons) {
        QCOMPARE(lesson.media.size(), 7);
        for (int f = 0; f < 7; ++f) {
            const QString& value = lesson.media[f];
            if (value.isNull())
                continue;
            if (value.isEmpty()) {
                hasEmpty = true;
                continue;
            }
            usedFields << f;
            QVERIFY2(!value.contains(u'/') && !value.startsWith(u'\\'), qPrintable(value));
            const QFileInfo file(course() + QLatin1Char('/') + toLocal(value));
            QVERIFY2(file.isFile(), qPrintable(value));
        }
    }
    // Every media field is used by some lesson, and one shows a cleared field.
    QCOMPARE(usedFields.size(), 7);
    QVERIFY(hasEmpty);
    QVERIFY(QFileInfo(course() + QStringLiteral("/programs/calc")).isExecutable());
    QVERIFY(QString::fromUtf8(readAll(QStringLiteral("seed.sql")))
                .contains(QStringLiteral("INSERT INTO pas (pas) VALUES ('учитель');")));
}

void TstDemoCourse::archives_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("charset");
    QTest::newRow("title page") << QStringLiteral("zas.mht") << QStringLiteral("windows-1251");
    QTest::newRow("about page") << QStringLiteral("help.mht") << QStringLiteral("windows-1251");
    QTest::newRow("intro") << QStringLiteral("lessons/intro.mht") << QStringLiteral("windows-1251");
    QTest::newRow("computer") << QStringLiteral("lessons/computer.mht")
                              << QStringLiteral("windows-1251");
    QTest::newRow("numbers") << QStringLiteral("lessons/numbers.mht") << QStringLiteral("utf-8");
}

void TstDemoCourse::archives()
{
    QFETCH(QString, file);
    QFETCH(QString, charset);
    QByteArray top;
    const QList<Part> parts = mimeParts(readAll(file), &top);
    QVERIFY(top.contains("multipart/related"));
    QVERIFY(parts.size() >= 2);

    const Part& page = parts.first();
    QVERIFY(page.headers.value("content-type").startsWith("text/html"));
    QVERIFY(page.headers.value("content-type").contains(charset.toLatin1()));
    QCOMPARE(page.headers.value("content-transfer-encoding"), QByteArray("quoted-printable"));
    const QByteArray pageLocation = page.headers.value("content-location");
    QVERIFY(pageLocation.startsWith("file:///C:/"));
    QStringDecoder decoder(charset.toLatin1().constData());
    const QString html = decoder.decode(decodeQuotedPrintable(page.body));
    QVERIFY(!decoder.hasError());
    QVERIFY(html.contains(QStringLiteral("<html>")));
    QVERIFY(html.contains(QRegularExpression(QStringLiteral("[А-Яа-я]{5}"))));

    for (const Part& image : parts.mid(1)) {
        const QByteArray location = image.headers.value("content-location");
        QVERIFY(location.startsWith("file:///C:/"));
        QCOMPARE(image.headers.value("content-transfer-encoding"), QByteArray("base64"));
        // The page names the picture relative to its own location.
        const QByteArray base = pageLocation.left(pageLocation.lastIndexOf('/') + 1);
        QVERIFY(location.startsWith(base));
        QVERIFY2(html.contains(QString::fromLatin1(location.mid(base.size()))),
                 location.constData());
        const QImage picture = QImage::fromData(QByteArray::fromBase64(image.body));
        QVERIFY(!picture.isNull());
    }
}

void TstDemoCourse::windows1251Page()
{
    const QByteArray raw = readAll(QStringLiteral("lessons/units.htm"));
    QVERIFY(raw.contains("<meta charset=\"windows-1251\">"));
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString asUtf8 = utf8.decode(raw);
    QVERIFY(utf8.hasError()); // not UTF-8 in disguise
    QStringDecoder decoder("windows-1251");
    const QString text = decoder.decode(raw);
    QVERIFY(text.contains(QStringLiteral("Единицы измерения информации")));
    QVERIFY(!asUtf8.contains(QStringLiteral("Единицы")));
}

void TstDemoCourse::testFolder()
{
    const QByteArray key = readAll(QStringLiteral("tests/t1/otwet.txt"));
    QList<QByteArray> lines = key.split('\n');
    QVERIFY(lines.last().isEmpty());
    lines.removeLast();
    QCOMPARE(lines.size(), 10);
    for (int n = 1; n <= lines.size(); ++n) {
        const QByteArray line = lines[n - 1];
        QVERIFY(line.endsWith('\r'));
        QVERIFY2(QByteArray("ABCDE").contains(line.chopped(1)) && line.size() == 2,
                 line.constData());
        const QString page = QString::fromUtf8(readAll(QStringLiteral("tests/t1/%1.htm").arg(n)));
        QVERIFY(page.contains(QStringLiteral("Вопрос %1").arg(n)));
        for (const char* option : {"A)", "B)", "C)", "D)", "E)"})
            QVERIFY(page.contains(QLatin1String(option)));
    }
    QVERIFY(!QFile::exists(course() + QStringLiteral("/tests/t1/11.htm")));
}

QTEST_GUILESS_MAIN(TstDemoCourse)
#include "tst_democourse.moc"
