#include "store/LkError.h"
#include "store/OutlineFile.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

namespace {
// A compact picture of a tree: "A(B,C(D)),E".
QString shape(const Outline& tree)
{
    QStringList parts;
    for (const OutlineNode& n : tree)
        parts.append(n.children.empty()
                         ? n.text
                         : n.text + QLatin1Char('(') + shape(n.children) + QLatin1Char(')'));
    return parts.join(QLatin1Char(','));
}

QByteArray cp1251(const QString& text)
{
    QStringEncoder encoder("windows-1251");
    return encoder.encode(text);
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
} // namespace

class TestOutline : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("tree");
        QTest::newRow("empty") << QByteArray() << "";
        QTest::newRow("crlf") << QByteArray("A\r\n\tB\r\n\tC\r\n\t\tD\r\nE\r\n") << "A(B,C(D)),E";
        QTest::newRow("lone lf") << QByteArray("A\n\tB\nE") << "A(B),E";
        QTest::newRow("lone cr") << QByteArray("A\r\tB\rE\r") << "A(B),E";
        QTest::newRow("spaces indent") << QByteArray("A\n B\n  C\n") << "A(B(C))";
        QTest::newRow("tab and space is depth 2") << QByteArray("A\n\tB\n\t C\n") << "A(B(C))";
        QTest::newRow("indented first line") << QByteArray("\tA\n\tB\n") << "A(B)";
        QTest::newRow("back two levels") << QByteArray("A\n\tB\n\t\tC\nD\n") << "A(B(C)),D";
        QTest::newRow("empty line is a node") << QByteArray("A\n\nB\n") << "A,,B";
        QTest::newRow("trailing blanks kept") << QByteArray("A  \n") << "A  ";
        QTest::newRow("nul ends the text") << QByteArray("A\nB\0\nC\n", 8) << "A,B";
        QTest::newRow("cyrillic") << cp1251(QStringLiteral("Основы\r\n\tАлгоритмы\r\n"))
                                  << "Основы(Алгоритмы)";
    }
    void parse()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, tree);
        Outline outline;
        OutlineFile::parse(bytes, outline);
        QCOMPARE(shape(outline), tree);
    }

    void saveWritesTabsCrLfAndCp1251()
    {
        Outline tree{
            {QStringLiteral("A"),
             {{QStringLiteral("B"), {}}, {QStringLiteral("C"), {{QStringLiteral("D"), {}}}}}},
            {QStringLiteral("Ёж"), {}}};
        QCOMPARE(OutlineFile::serialize(tree), QByteArray("A\r\n\tB\r\n\tC\r\n\t\tD\r\n") +
                                                   cp1251(QStringLiteral("Ёж")) + "\r\n");
        QCOMPARE(OutlineFile::serialize({}), QByteArray());

        Outline back;
        OutlineFile::parse(OutlineFile::serialize(tree), back);
        QCOMPARE(back, tree);
    }

    void leadingBlanksInATextBreakTheRoundTrip()
    {
        // A child whose text begins with two spaces reads back at depth 3 and stops the load.
        const Outline tree{{QStringLiteral("A"), {{QStringLiteral("  B"), {}}}}};
        Outline back;
        try {
            OutlineFile::parse(OutlineFile::serialize(tree), back);
            QFAIL("no error");
        } catch (const LkError& e) {
            QCOMPARE(e.message(), QStringLiteral("Invalid level (3) for item \"B\""));
            QCOMPARE(LkError::boxText(e.message()), e.message()); // no full stop after the quote
        }
        QCOMPARE(shape(back), QStringLiteral("A"));
    }

    void loadErrors()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("log.log"));
        OutlineFile file(path);
        Outline tree{{QStringLiteral("design"), {}}};
        try {
            file.load(tree);
            QFAIL("no error");
        } catch (const LkError& e) {
            QCOMPARE(
                e.message(),
                QStringLiteral("Cannot open file \"%1\". No such file or directory").arg(path));
        }
        QCOMPARE(shape(tree), QStringLiteral("design")); // kept

        write(path, "A\n\tB\n\t\t\tX\nC\n");
        try {
            file.load(tree);
            QFAIL("no error");
        } catch (const LkError& e) {
            QCOMPARE(e.message(), QStringLiteral("Invalid level (3) for item \"X\""));
        }
        QCOMPARE(shape(tree), QStringLiteral("A(B)"));
        QVERIFY(file.lastLoadWasIncomplete());

        // The next save keeps the file as it was, so the unread part is not lost.
        file.save(tree);
        QCOMPARE(readAll(path + QStringLiteral(".bak")), QByteArray("A\n\tB\n\t\t\tX\nC\n"));
        QCOMPARE(readAll(path), QByteArray("A\r\n\tB\r\n"));
    }

    void failedSaveKeepsThePreviousFile()
    {
        QTemporaryDir dir;
        // A save into a folder that does not exist fails before anything is written.
        OutlineFile missing(dir.filePath(QStringLiteral("nowhere/log.log")));
        try {
            missing.save({{QStringLiteral("A"), {}}});
            QFAIL("no error");
        } catch (const LkError& e) {
            QVERIFY2(e.message().startsWith(
                         QStringLiteral("Cannot create file \"%1\". ").arg(missing.path())),
                     qPrintable(e.message()));
        }

        // An existing outline survives a save that cannot replace it.
        const QString path = dir.filePath(QStringLiteral("log.log"));
        write(path, "Old\r\n");
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        OutlineFile file(path);
        bool failed = false;
        try {
            file.save({{QStringLiteral("New"), {}}});
        } catch (const LkError&) {
            failed = true;
        }
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (!failed)
            QSKIP("the folder stays writable for this user (root)");
        QCOMPARE(readAll(path), QByteArray("Old\r\n"));
    }

    void emptyTreeSavesAnEmptyFile()
    {
        QTemporaryDir dir;
        OutlineFile file(dir.filePath(QStringLiteral("log.log")));
        file.save({});
        QCOMPARE(QFileInfo(file.path()).size(), 0);
        Outline tree{{QStringLiteral("x"), {}}};
        file.load(tree);
        QVERIFY(tree.empty());
    }
};

QTEST_GUILESS_MAIN(TestOutline)
#include "tst_outline.moc"
