#include "store/CoursePath.h"
#include "viewer/LessonFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The file-name test that enables menu items and the lookup that the commands use.
class TestLessonFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QDir(m_dir.path()).mkpath(QStringLiteral("lessons/sub"));
        QDir(m_dir.path()).mkpath(QStringLiteral("Pictures"));
        for (const char* name : {"lessons/page.htm", "lessons/sub/deep.htm", "Pictures/Scheme.BMP",
                                 "with blank.wav"}) {
            QFile file(m_dir.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("x");
        }
        m_root = QDir::toNativeSeparators(m_dir.path());
    }

    void holdsFileName_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("expected");
        QTest::newRow("Null") << QVariant() << false;
        QTest::newRow("empty") << QVariant(QString()) << false;
        QTest::newRow("empty, not null") << QVariant(QStringLiteral("")) << false;
        QTest::newRow("blank") << QVariant(QStringLiteral(" ")) << true;
        QTest::newRow("missing file") << QVariant(QStringLiteral("nowhere.htm")) << true;
        QTest::newRow("name") << QVariant(QStringLiteral("lessons\\page.htm")) << true;
    }
    void holdsFileName()
    {
        QFETCH(QVariant, value);
        QFETCH(bool, expected);
        QCOMPARE(LessonFiles::holdsFileName(value), expected);
    }

    void lookup_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected"); // relative part of the course path, or "-"
        QTest::newRow("Null") << QVariant() << QStringLiteral("-");
        QTest::newRow("empty names the course folder")
            << QVariant(QStringLiteral("")) << QStringLiteral("-");
        QTest::newRow("folder") << QVariant(QStringLiteral("lessons")) << QStringLiteral("-");
        QTest::newRow("folder with separator")
            << QVariant(QStringLiteral("lessons\\")) << QStringLiteral("-");
        QTest::newRow("missing") << QVariant(QStringLiteral("lessons\\gone.htm"))
                                 << QStringLiteral("-");
        QTest::newRow("present") << QVariant(QStringLiteral("lessons\\page.htm"))
                                 << QStringLiteral("lessons\\page.htm");
        QTest::newRow("two levels") << QVariant(QStringLiteral("lessons\\sub\\deep.htm"))
                                    << QStringLiteral("lessons\\sub\\deep.htm");
        QTest::newRow("letter case of a Windows course")
            << QVariant(QStringLiteral("pictures\\scheme.bmp"))
            << QStringLiteral("pictures\\scheme.bmp");
        QTest::newRow("blank in the name")
            << QVariant(QStringLiteral("with blank.wav")) << QStringLiteral("with blank.wav");
    }
    void lookup()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, expected);
        const std::optional<QString> found = LessonFiles::lookup(m_root, value);
        if (expected == QLatin1String("-")) {
            QVERIFY(!found.has_value());
        } else {
            QVERIFY(found.has_value());
            // The course path keeps the stored value as it is, after root and backslash.
            QCOMPARE(*found, m_root + QLatin1Char('\\') + expected);
            QVERIFY(QFileInfo(CoursePath::toLocal(*found)).isFile());
        }
    }

private:
    QTemporaryDir m_dir;
    QString m_root;
};

QTEST_GUILESS_MAIN(TestLessonFiles)
#include "tst_lessonfiles.moc"
