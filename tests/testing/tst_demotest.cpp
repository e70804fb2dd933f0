// The demo course's test from end to end in the real windows: the whole program is created on a
// copy of the demo course, a student takes the test of a lesson (Start, the questions opened by
// their buttons, options marked, Finish, "Ок"), and the grade record is read back from the
// course database.
#include "app/Globals.h"
#include "app/MessageBoxes.h"
#include "app/Startup.h"
#include "app/TForm6.h"
#include "store/Dataset.h"
#include "store/DateValue.h"
#include "store/TDataModule2.h"
#include "testing/TForm13.h"
#include "testing/TForm5.h"
#include "viewer/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QDirIterator>
#include <QLabel>
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
    QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(source);
        if (!QDir().mkpath(QFileInfo(target).absolutePath()) || !QFile::copy(source, target))
            return false;
    }
    return true;
}

} // namespace

class TestDemoTest : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_course;
    QString m_previousDir;

    template <typename T = QWidget> static T* child(QWidget* form, const QString& name)
    {
        auto* w = form->findChild<T*>(name);
        if (w == nullptr)
            qFatal("no child %s", qPrintable(name));
        return w;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_course.isValid());
        const QString demo = qEnvironmentVariable("LK_SOURCE_DIR") + QStringLiteral("/demo");
        QVERIFY2(QFileInfo::exists(demo + "/tests/t1/otwet.txt"), qPrintable(demo));
        QVERIFY(copyTree(demo, m_course.path()));

        QProcess seed;
        seed.setWorkingDirectory(m_course.path());
        seed.start(QStringLiteral(LK_COURSE_TOOL), {"seed", "db1.sqlite", "seed.sql"});
        QVERIFY(seed.waitForFinished(60000));
        QCOMPARE(seed.exitCode(), 0);

        MessageBoxes::startRecording();
        m_previousDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_course.path()));
        Startup::createAll();
        QVERIFY(Form13 != nullptr && Form5 != nullptr && DataModule2 != nullptr);
        QVERIFY(DataModule2->Tjurnal->isActive());
    }

    void cleanupTestCase()
    {
        Startup::destroyAll();
        QDir::setCurrent(m_previousDir);
    }

    void takeTheTest()
    {
        MessageBoxes::takeShown();
        child<QLineEdit>(Form6, "Edit1")->setText(QStringLiteral("Смирнова Анна"));
        child<QLineEdit>(Form6, "Edit2")->setText(QStringLiteral("ПИ-11"));
        // The topic chosen in the main window's tree, then its test command.
        const QString lesson = QStringLiteral("Единицы измерения информации");
        const auto topics =
            Form1->treeView()->findItems(lesson, Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(topics.size(), 1);
        Form1->treeView()->setCurrentItem(topics.first());
        QCOMPARE(DataModule2->Turok->value("urok").toString(), lesson);
        QAction* testCommand = Form1->menuItem("nn5");
        QVERIFY(testCommand->isEnabled());
        testCommand->trigger();
        QTRY_VERIFY(Form13->isVisible());

        // Start: ten questions in the demo's key, so ten number buttons.
        child<QPushButton>(Form13, "BitBtn41")->click();
        QVERIFY2(MessageBoxes::shown().isEmpty(), qPrintable(MessageBoxes::shown().value(0).text));
        const TestRun& run = Form13->run();
        QVERIFY(run.isRunning());
        QCOMPARE(run.key().questionCount(), 10);
        QVERIFY(child(Form13, "Panel2")->isVisible());

        // Seven right, one wrong, two left open: 7 of 10, 70 %, grade 4 (3.5 to the even 4).
        auto* web = child<QWebEngineView>(Form13, "WebBrowser1");
        for (int k = 1; k <= 10; ++k) {
            QAbstractButton* number = Form13->numberButton(k);
            QVERIFY(number->isEnabled());
            number->click();
            const int question = run.slot(k).question;
            QCOMPARE(Form13->lastNavigated(),
                     m_course.filePath(QStringLiteral("tests/t1/%1.htm").arg(question)));
            QTRY_COMPARE(web->title(), QStringLiteral("Вопрос %1").arg(question));
            const int correct = run.slot(k).correct;
            QVERIFY(correct >= 1 && correct <= 5);
            if (k <= 8) {
                const int option = k <= 7 ? correct : correct % 5 + 1;
                child<QPushButton>(Form13, QStringLiteral("BitBtn%1").arg(42 + option))->click();
            }
        }
        QVERIFY(!Form13->numberButton(11)->isEnabled());

        child<QPushButton>(Form13, "BitBtn42")->click();
        QTRY_VERIFY(Form5->isVisible());
        QCOMPARE(child<QLabel>(Form5, "Label4")->text(), QStringLiteral("7"));
        QCOMPARE(child<QLabel>(Form5, "Label5")->text(), QStringLiteral("70"));
        QCOMPARE(child<QLabel>(Form5, "Label6")->text(), QStringLiteral("4"));

        child<QPushButton>(Form5, "Button1")->click();
        QVERIFY(!Form5->isVisible());
        QVERIFY(!Form13->isVisible());
        QVERIFY2(MessageBoxes::shown().isEmpty(), qPrintable(MessageBoxes::shown().value(0).text));

        // The grade record, as the database file holds it.
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "verify");
            db.setDatabaseName(m_course.filePath("db1.sqlite"));
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec("SELECT urok, data, ocenka, fio, gruppa FROM jurnal WHERE ocenka <> 0"));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toString(), lesson);
            QCOMPARE(DateValue::toDateTime(q.value(1).toDouble()),
                     QDateTime(QDate::currentDate(), QTime(0, 0)));
            QCOMPARE(q.value(2).toInt(), 70);
            QCOMPARE(q.value(3).toString(), QStringLiteral("Смирнова Анна"));
            QCOMPARE(q.value(4).toString(), QStringLiteral("ПИ-11"));
            QVERIFY(!q.next());
        }
        QSqlDatabase::removeDatabase("verify");
    }
};

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestDemoTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_demotest.moc"
