// How a chosen file is stored relative to the course root, and which files are refused.
#include "CourseFixture.h"

#include "teacher/RelativePath.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestRelativePath : public QObject
{
    Q_OBJECT

private slots:
    void stored_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("stored"); // empty: refused

        // Below the root: the root and one separator come off; "\" separates the rest.
        QTest::newRow("windows example") << "C:\\Kurs"
                                         << "C:\\Kurs\\lessons\\1.htm"
                                         << "lessons\\1.htm";
        QTest::newRow("file in the root") << "/home/t/kurs"
                                          << "/home/t/kurs/zas.mht"
                                          << "zas.mht";
        QTest::newRow("subfolders") << "/home/t/kurs"
                                    << "/home/t/kurs/Уроки/Тема 1/стр 1.htm"
                                    << "Уроки\\Тема 1\\стр 1.htm";
        QTest::newRow("dialog with backslashes") << "/home/t/kurs"
                                                 << "/home/t/kurs\\a\\b.htm"
                                                 << "a\\b.htm";
        QTest::newRow("root with blanks") << "/home/t/my kurs"
                                          << "/home/t/my kurs/a.htm"
                                          << "a.htm";

        // Not below the root.
        QTest::newRow("outside") << "/home/t/kurs"
                                 << "/home/t/other/a.htm"
                                 << "";
        QTest::newRow("sibling with the root as prefix") << "/home/t/kurs"
                                                         << "/home/t/kurs2/a.htm"
                                                         << "";
        QTest::newRow("the root itself") << "/home/t/kurs"
                                         << "/home/t/kurs"
                                         << "";
        QTest::newRow("root and separator only") << "/home/t/kurs"
                                                 << "/home/t/kurs/"
                                                 << "";
        QTest::newRow("up and out again") << "/home/t/kurs"
                                          << "/home/t/kurs/../other/a.htm"
                                          << "";
        QTest::newRow("other letter case") << "/home/t/kurs"
                                           << "/home/t/Kurs/a.htm"
                                           << "";
        QTest::newRow("other drive") << "C:\\Kurs"
                                     << "D:\\Kurs\\a.htm"
                                     << "";

        // A root of the file system cannot be cut off by the rule.
        QTest::newRow("root is /") << "/"
                                   << "/a/b.htm"
                                   << "";
        QTest::newRow("root is a drive") << "C:\\"
                                         << "C:\\a\\b.htm"
                                         << "";
        QTest::newRow("empty root") << ""
                                    << "/a.htm"
                                    << "";
    }
    void stored()
    {
        QFETCH(QString, root);
        QFETCH(QString, chosen);
        QFETCH(QString, stored);
        QString error;
        QString result;
        error = errorOf([&] { result = RelativePath::fromChosen(root, chosen); });
        if (stored.isEmpty()) {
            QVERIFY2(!error.isEmpty(), qPrintable(result));
            QVERIFY2(error.contains(QLatin1Char('"') + root + QLatin1Char('"')), qPrintable(error));
        } else {
            QCOMPARE(error, QString());
            QCOMPARE(result, stored);
        }
    }

    void fileSystemRootIsNamedInTheMessage()
    {
        const QString error =
            errorOf([] { RelativePath::fromChosen(QStringLiteral("/"), QStringLiteral("/a")); });
        QVERIFY2(error.contains(QStringLiteral("корнем диска")), qPrintable(error));
    }

    // A course reached through a link: the dialog may give the file by the other path.
    void sameFolderByALink()
    {
        QTemporaryDir dir;
        const QString real = dir.filePath(QStringLiteral("real"));
        QVERIFY(QDir().mkpath(real + QStringLiteral("/pages")));
        QFile page(real + QStringLiteral("/pages/p.htm"));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.close();
        const QString link = dir.filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(real, link));

        QCOMPARE(RelativePath::fromChosen(real, link + QStringLiteral("/pages/p.htm")),
                 QStringLiteral("pages\\p.htm"));
        QCOMPARE(RelativePath::fromChosen(link, real + QStringLiteral("/pages/p.htm")),
                 QStringLiteral("pages\\p.htm"));
    }
};

QTEST_GUILESS_MAIN(TestRelativePath)
#include "tst_relativepath.moc"
