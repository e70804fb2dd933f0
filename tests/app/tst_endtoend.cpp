// The whole program offscreen, start to end, in a copy of the demo course: the start-up order,
// the opening screen's fade, entry with a group and a name, topic selection with its menu states,
// pages and attendance records, and the end of the run with the topic outline file.
#include "FileDialogs.h"
#include "Globals.h"
#include "MessageBoxes.h"
#include "Startup.h"
#include "TForm6.h"
#include "store/DateValue.h"
#include "teacher/TopicTree.h"
#include "viewer/ImageView.h"
#include "viewer/MediaDevice.h"
#include "viewer/TForm1.h"
#include "viewer/TForm3.h"

#include <QAction>
#include <QApplication>
#include <QDirIterator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace {

// A copy of the demo course with its database seeded by the course tool.
class DemoCopy
{
public:
    QTemporaryDir dir;

    bool make()
    {
        const QDir source(QStringLiteral(LK_DEMO_DIR));
        QDirIterator it(source.path(), QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString from = it.next();
            const QString to = dir.filePath(source.relativeFilePath(from));
            QDir().mkpath(QFileInfo(to).path());
            if (!QFile::copy(from, to))
                return false;
        }
        QProcess tool;
        tool.start(QStringLiteral(LK_COURSE_TOOL),
                   {QStringLiteral("seed"), dir.filePath(QStringLiteral("db1.sqlite")),
                    dir.filePath(QStringLiteral("seed.sql"))});
        return tool.waitForFinished(60000) && tool.exitCode() == 0;
    }

    QByteArray read(const QString& name) const
    {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(name));
        file.write(bytes);
    }

    // The journal as the database holds it: urok, data, ocenka, fio, gruppa per record.
    QList<QVariantList> journal() const
    {
        QList<QVariantList> rows;
        const QString name = QStringLiteral("endtoend-journal");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(dir.filePath(QStringLiteral("db1.sqlite")));
            if (db.open()) {
                QSqlQuery q(db);
                q.exec(QStringLiteral(
                    "SELECT urok, data, ocenka, fio, gruppa FROM jurnal ORDER BY \"код\""));
                while (q.next())
                    rows.append({q.value(0), q.value(1), q.value(2), q.value(3), q.value(4)});
            }
        }
        QSqlDatabase::removeDatabase(name);
        return rows;
    }
};

QString cp1251(const QByteArray& bytes)
{
    QStringDecoder decoder("windows-1251");
    return decoder.decode(bytes);
}

// Types text key by key, as a keyboard with a Russian layout delivers it.
void type(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

QStringList visibleWindows()
{
    QStringList names;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            names << QString::fromLatin1(w->metaObject()->className());
    return names;
}

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

    QString previousDirectory;

    // Runs the program in the course folder while `drive` works it from inside the event loop;
    // a drive that stops early ends the loop with status 3, and a stuck one after two minutes.
    int run(const DemoCopy& course, const std::function<void()>& drive)
    {
        QDir::setCurrent(course.dir.path());
        QTimer failsafe;
        failsafe.setSingleShot(true);
        connect(&failsafe, &QTimer::timeout, qApp, [] { QCoreApplication::exit(7); });
        failsafe.start(120000);
        QTimer::singleShot(0, qApp, [&drive] {
            bool done = false;
            const auto stop = qScopeGuard([&done] {
                if (!done)
                    QCoreApplication::exit(3);
            });
            drive();
            done = !QTest::currentTestFailed();
        });
        const int status = Startup::execute();
        QDir::setCurrent(previousDirectory);
        return status;
    }

    static QTreeWidgetItem* topic(const QString& text)
    {
        const auto found =
            Form1->treeView()->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }

    static void click(const QString& text)
    {
        QTreeWidget* tree = Form1->treeView();
        QTreeWidgetItem* node = topic(text);
        QVERIFY2(node, qPrintable(text));
        tree->scrollToItem(node);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(node).center());
        QCOMPARE(tree->currentItem(), node);
    }

    static QString enabledItems()
    {
        QStringList on;
        for (const char* item : {"nn1", "nn2", "nn3", "nn4", "nn5", "N8"})
            if (Form1->menuItem(QString::fromLatin1(item))->isEnabled())
                on << QString::fromLatin1(item);
        return on.join(QLatin1Char(' '));
    }

private slots:
    void initTestCase()
    {
        MessageBoxes::startRecording();
        FileDialogs::startRecording();
        previousDirectory = QDir::currentPath();
    }

    void wholeRun()
    {
        DemoCopy course;
        QVERIFY(course.make());
        // The outline indented with blanks: it loads the same and is saved back with TABs, so a
        // save shows in the file.
        const QByteArray tabs = course.read(QStringLiteral("log.log"));
        QVERIFY(tabs.contains('\t'));
        course.write(QStringLiteral("log.log"), QByteArray(tabs).replace('\t', ' '));
        const QString group = QStringLiteral("ИВТ-11");
        const QString name = QStringLiteral("Петров Пётр");
        const QString root = QDir::toNativeSeparators(course.dir.path());

        const int status = run(course, [&] {
            QCOMPARE(Startup::creationLog(),
                     (QStringList{"TForm6", "TForm1", "TForm13", "TForm4", "TDataModule2", "TForm3",
                                  "TForm5", "TForm7", "TForm8"}));
            QCOMPARE(MessageBoxes::takeShown().size(), 0);
            QCOMPARE(visibleWindows(), QStringList{"TForm6"});

            // The main window was made ready while hidden: the title page and the first lesson.
            QCOMPARE(Form1->lastNavigated(), course.dir.filePath(QStringLiteral("zas.mht")));
            QCOMPARE(Form1->findChild<QLabel*>(QStringLiteral("DBText1"))->text(),
                     QStringLiteral("Введение в информатику"));
            QCOMPARE(Form1->treeView()->topLevelItemCount(), 3);
            QCOMPARE(enabledItems(), QStringLiteral("nn1 N8"));

            // The fade-in runs by its own timer up to 250 and stops there.
            auto* timer1 = Form6->findChild<QTimer*>(QStringLiteral("Timer1"));
            auto* timer2 = Form6->findChild<QTimer*>(QStringLiteral("Timer2"));
            QVERIFY(Form6->fadeValue() < 250);
            QTRY_COMPARE_WITH_TIMEOUT(Form6->fadeValue(), 250, 15000);
            QVERIFY(!timer1->isActive());
            QCOMPARE(Form6->windowOpacity(), 250 / 255.0);

            // Group and name, then the painted entry button.
            auto* edit1 = Form6->findChild<QLineEdit*>(QStringLiteral("Edit1"));
            auto* edit2 = Form6->findChild<QLineEdit*>(QStringLiteral("Edit2"));
            type(edit2, group);
            type(edit1, name);
            QCOMPARE(Form6->studentGroup(), group);
            QCOMPARE(Form6->studentName(), name);
            QTest::mouseClick(Form6->findChild<QLabel*>(QStringLiteral("Image2")), Qt::LeftButton);
            QVERIFY(timer2->isActive());

            // The fade-out, tick by tick: 240, 230, … 30, the hand-over at the 22nd.
            timer2->stop();
            QList<int> values;
            while (Form6->isVisible() && values.size() < 40) {
                Form6->Timer2Timer();
                values << Form6->fadeValue();
            }
            QList<int> expected;
            for (int v = 240; v >= 30; v -= 10)
                expected << v;
            QCOMPARE(values, expected);
            QVERIFY(Form1->isVisible());
            QVERIFY(Form1->windowState() & Qt::WindowMaximized);
            QVERIFY(Form6->isHidden());
            QVERIFY(QTest::qWaitForWindowExposed(Form1));

            // Topics: menu states, the page, and a record whenever a page was shown.
            Form1->treeView()->expandAll();
            click(QStringLiteral("Введение в информатику"));
            QCOMPARE(enabledItems(), QStringLiteral("nn1 N8"));
            QCOMPARE(Form1->lastNavigated(),
                     course.dir.filePath(QStringLiteral("lessons/intro.mht")));
            // The narration on the real media device: opened and left stopped, the mark set.
            QAction* sound = Form1->menuItem(QStringLiteral("N8"));
            sound->trigger();
            QCOMPARE(MessageBoxes::takeShown().size(), 0);
            QVERIFY(sound->isChecked());
            QVERIFY(Form1->mediaPlayer1()->isOpen());

            click(QStringLiteral("Единицы измерения информации"));
            QCOMPARE(enabledItems(), QStringLiteral("nn1 nn5"));
            QCOMPARE(Form1->lastNavigated(),
                     course.dir.filePath(QStringLiteral("lessons/units.htm")));
            click(QStringLiteral("Устройство компьютера"));
            QCOMPARE(enabledItems(), QStringLiteral("nn1 nn2 nn3"));
            QCOMPARE(Form1->findChild<QLabel*>(QStringLiteral("DBText1"))->text(),
                     QStringLiteral("Устройство компьютера"));
            // Its scheme is a Windows metafile, shown in the picture window.
            Form1->menuItem(QStringLiteral("nn2"))->trigger();
            QCOMPARE(MessageBoxes::takeShown().size(), 0);
            QVERIFY(Form3->isVisible());
            QVERIFY(Form3->image()->picture().isMetafile());
            Form3->close();
            click(QStringLiteral("Двоичная система счисления"));
            QCOMPARE(enabledItems(), QStringLiteral("nn1 nn4 nn5"));
            QCOMPARE(Form1->courseRoot(), root);
            QCOMPARE(MessageBoxes::takeShown().size(), 0);

            // The exit command saves the outline and ends the program.
            Form1->menuItem(QStringLiteral("N3"))->trigger();
        });
        QCOMPARE(status, 0);
        QVERIFY(Form1 == nullptr && Form6 == nullptr && DataModule2 == nullptr);

        QCOMPARE(course.read(QStringLiteral("log.log")), tabs);
        const QList<QVariantList> journal = course.journal();
        const QStringList topics{"Введение в информатику", "Единицы измерения информации",
                                 "Устройство компьютера", "Двоичная система счисления"};
        QCOMPARE(journal.size(), topics.size());
        const double today = DateValue::fromDateTime(DateValue::today());
        for (int i = 0; i < topics.size(); ++i) {
            QCOMPARE(journal[i][0].toString(), topics[i]);
            QCOMPARE(journal[i][1].toDouble(), today);
            QCOMPARE(journal[i][2].toInt(), 0);
            QCOMPARE(journal[i][3].toString(), name);
            QCOMPARE(journal[i][4].toString(), group);
        }
    }

    // Closing the opening screen ends the run without the main window's close: a tree changed
    // during the run is saved all the same, an unchanged one is not written.
    void openingScreenClosed_data()
    {
        QTest::addColumn<bool>("change");
        QTest::newRow("tree unchanged") << false;
        QTest::newRow("topic added") << true;
    }
    void openingScreenClosed()
    {
        QFETCH(bool, change);
        DemoCopy course;
        QVERIFY(course.make());
        const QByteArray before =
            QByteArray(course.read(QStringLiteral("log.log"))).replace('\t', ' ');
        course.write(QStringLiteral("log.log"), before);

        const int status = run(course, [&] {
            QVERIFY(Form6->isVisible());
            if (change)
                Form1->topicTree().addSibling(QStringLiteral("Новая тема"));
            Form6->close();
        });
        QCOMPARE(status, 0);
        const QByteArray after = course.read(QStringLiteral("log.log"));
        if (!change) {
            QCOMPARE(after, before);
        } else {
            QVERIFY(after.contains('\t'));
            QVERIFY(cp1251(after).endsWith(QStringLiteral("\r\nНовая тема\r\n")));
        }
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
