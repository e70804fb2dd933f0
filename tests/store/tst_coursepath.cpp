#include "store/CoursePath.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestCoursePath : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("Lessons/Tests/T1")));
        for (const char* name : {"Lessons/Page One.htm", "Lessons/Tests/T1/otwet.txt"}) {
            QFile f(m_dir.filePath(QString::fromLatin1(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
    }

    void resolve_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<QString>("local"); // relative to the course root; empty: no file
        QTest::newRow("exact") << "Lessons\\Page One.htm"
                               << "Lessons/Page One.htm";
        QTest::newRow("other case") << "lessons\\PAGE ONE.HTM"
                                    << "Lessons/Page One.htm";
        QTest::newRow("doubled separator") << "\\lessons\\tests\\t1\\\\otwet.txt"
                                           << "Lessons/Tests/T1/otwet.txt";
        QTest::newRow("forward slashes") << "Lessons/Tests/t1/OTWET.TXT"
                                         << "Lessons/Tests/T1/otwet.txt";
        QTest::newRow("missing") << "lessons\\none.htm"
                                 << "";
        QTest::newRow("folder") << "Lessons"
                                << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void resolve()
    {
        QFETCH(QString, relative);
        QFETCH(QString, local);
        const QString path = CoursePath::join(m_dir.path(), relative);
        QCOMPARE(path, m_dir.path() + QLatin1Char('\\') + relative);
        QCOMPARE(CoursePath::isFile(path), !local.isEmpty());
        if (!local.isEmpty())
            QCOMPARE(CoursePath::toLocal(path), m_dir.filePath(local));
    }

    void rootHasNoTrailingSeparator()
    {
        const QString saved = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        QCOMPARE(CoursePath::currentRoot(), QDir(m_dir.path()).canonicalPath());
        QDir::setCurrent(QStringLiteral("/"));
        QCOMPARE(CoursePath::currentRoot(), QStringLiteral("/"));
        QDir::setCurrent(saved);
    }
};

QTEST_GUILESS_MAIN(TestCoursePath)
#include "tst_coursepath.moc"
