// The teacher's way through the demo course in the whole program: unlock editing with the
// course's password, add a topic, attach a page to it through the choose button, select it in
// the main window and see the page; after the program closes, the topic is in the outline file
// and the lesson in the database.
#include "app/FileDialogs.h"
#include "app/Globals.h"
#include "app/MessageBoxes.h"
#include "app/Startup.h"
#include "store/OutlineFile.h"
#include "teacher/TForm4.h"
#include "teacher/TForm7.h"
#include "viewer/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QDirIterator>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QWebEngineView>

namespace {
bool copyTree(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(source);
        if (!QDir().mkpath(QFileInfo(target).absolutePath()) || !QFile::copy(source, target))
            return false;
    }
    return true;
}

template <typename T = QWidget> T* child(QWidget* form, const char* name)
{
    auto* w = form->findChild<T*>(QLatin1String(name));
    if (w == nullptr)
        qFatal("no child %s", name);
    return w;
}

QStringList boxTexts()
{
    QStringList texts;
    for (const auto& box : MessageBoxes::takeShown())
        texts.append(box.text);
    return texts;
}
} // namespace

class TestTeacherDemo : public QObject
{
    Q_OBJECT

    QTemporaryDir m_course;
    QString m_previousDir;

private slots:
    void initTestCase()
    {
        const QString demo = qEnvironmentVariable("LK_SOURCE_DIR") + QStringLiteral("/demo");
        QVERIFY(copyTree(demo, m_course.path()));
        QProcess seed;
        seed.setWorkingDirectory(m_course.path());
        seed.start(QStringLiteral(LK_COURSE_TOOL), {"seed", "db1.sqlite", "seed.sql"});
        QVERIFY(seed.waitForFinished(60000));
        QCOMPARE(seed.exitCode(), 0);

        MessageBoxes::startRecording();
        FileDialogs::startRecording();
        m_previousDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_course.path()));
        Startup::createAll();
        QCOMPARE(boxTexts(), QStringList());
    }

    void cleanupTestCase() { QDir::setCurrent(m_previousDir); }

    void addATopicWithItsPage()
    {
        Form1->show();
        QAction* editing = Form1->menuItem(QStringLiteral("N1"));
        QVERIFY(!editing->isVisible());

        // Unlock editing through the password dialog.
        Form1->menuItem(QStringLiteral("N4"))->trigger();
        QVERIFY(Form7->isVisible());
        child<QLineEdit>(Form7, "Edit1")->setText(QStringLiteral("учитель"));
        child<QPushButton>(Form7, "Button1")->click();
        QCOMPARE(boxTexts(), QStringList());
        QVERIFY(editing->isVisible());
        QVERIFY(!Form7->isVisible());

        // Open the teacher window and add a root topic after the selected one.
        editing->trigger();
        QVERIFY(Form4->isVisible());
        QTreeWidget* tree = Form1->treeView();
        const int roots = tree->topLevelItemCount();
        tree->setCurrentItem(tree->topLevelItem(0));
        const QString topic = QStringLiteral("Алгоритмы и исполнители");
        child<QLineEdit>(Form4, "Edit3")->setText(topic);
        child<QPushButton>(Form4, "Button10")->click();
        QCOMPARE(boxTexts(), QStringList());
        QCOMPARE(tree->topLevelItemCount(), roots + 1);
        QTreeWidgetItem* added = tree->topLevelItem(roots);
        QCOMPARE(added->text(0), topic);

        // Attach its page through the choose button.
        FileDialogs::queueAnswer(m_course.filePath(QStringLiteral("lessons/info.htm")));
        child<QPushButton>(Form4, "Button13")->click();
        QCOMPARE(boxTexts(), QStringList());
        const auto requests = FileDialogs::takeRequests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0].startFolder, Form1->courseRoot());
        QCOMPARE(child<QLineEdit>(Form4, "DBEdit1")->text(), QStringLiteral("lessons\\info.htm"));

        // Select it in the main window: its page is shown.
        tree->setCurrentItem(added);
        QCOMPARE(boxTexts(), QStringList());
        QCOMPARE(
            QFileInfo(Form1->lastNavigated()).canonicalFilePath(),
            QFileInfo(m_course.filePath(QStringLiteral("lessons/info.htm"))).canonicalFilePath());
        QTRY_COMPARE(Form1->webBrowser()->title(), QStringLiteral("Информация и её свойства"));

        // Close the program.
        Form1->close();
        QCOMPARE(boxTexts(), QStringList());
        Startup::destroyAll();

        Outline outline;
        OutlineFile(m_course.filePath(QStringLiteral("log.log"))).load(outline);
        QCOMPARE(int(outline.size()), roots + 1);
        QCOMPARE(outline.back().text, topic);
        QVERIFY(outline.back().children.empty());

        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("verify"));
            db.setDatabaseName(m_course.filePath(QStringLiteral("db1.sqlite")));
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.prepare(QStringLiteral("SELECT htm, jpg FROM urok WHERE urok = ?")));
            q.addBindValue(topic);
            QVERIFY(q.exec());
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toString(), QStringLiteral("lessons\\info.htm"));
            QVERIFY(q.value(1).isNull());
            QVERIFY(!q.next());
            // The password stays a hash; the clear text is nowhere in the table.
            QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM pas WHERE pas LIKE '%учитель%'")));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), 0);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("verify"));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestTeacherDemo test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_teacherdemo.moc"
