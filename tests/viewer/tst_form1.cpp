#include "FakeMediaDevice.h"
#include "ViewerCourse.h"
#include "app/FileDialogs.h"
#include "app/Globals.h"
#include "app/Icons.h"
#include "app/MessageBoxes.h"
#include "app/Startup.h"
#include "app/TForm6.h"
#include "store/CoursePath.h"
#include "store/DateValue.h"
#include "store/LkError.h"
#include "teacher/TForm4.h"
#include "teacher/TForm7.h"
#include "teacher/TopicTree.h"
#include "testing/TForm13.h"
#include "viewer/ImageView.h"
#include "viewer/TForm1.h"
#include "viewer/TForm3.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTest>
#include <QTreeWidget>
#include <QWebEnginePage>
#include <QWebEngineView>

// The main window on a course of its own: creation, topic selection with its menu states,
// pages and attendance records, the lesson commands over recording media devices, the picture
// window, collapse and expand, the topic tree for the lesson editor, and closing.
class TestForm1 : public QObject
{
    Q_OBJECT

    ViewerCourse course;
    QString previousDirectory;
    FakeMediaDevice* player1 = nullptr;
    FakeMediaDevice* player2 = nullptr;

    const QString studentName = QStringLiteral("Иванов Иван");
    const QString studentGroup = QStringLiteral("ИВТ-11");

    QTreeWidgetItem* topic(const QString& text) const
    {
        const auto found =
            Form1->treeView()->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }
    void select(const QString& text)
    {
        QTreeWidgetItem* node = topic(text);
        QVERIFY2(node, qPrintable(text));
        Form1->treeView()->setCurrentItem(node);
    }
    void setStudent(const QString& name, const QString& group)
    {
        Form6->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(name);
        Form6->findChild<QLineEdit*>(QStringLiteral("Edit2"))->setText(group);
    }
    static int journalCount() { return DataModule2->Tjurnal->recordCount(); }
    static QVariant lastJournal(const QString& field)
    {
        Dataset* journal = DataModule2->Tjurnal;
        return journal->viewValue(journal->recordCount() - 1, journal->field(field));
    }
    QString titlePage() const { return course.local(QStringLiteral("zas.mht")); }
    static bool enabled(const char* item)
    {
        return Form1->menuItem(QString::fromLatin1(item))->isEnabled();
    }
    static QLabel* lessonTitle() { return Form1->findChild<QLabel*>(QStringLiteral("DBText1")); }
    static QStringList errors()
    {
        QStringList texts;
        for (const MessageBoxes::Box& box : MessageBoxes::takeShown())
            texts << box.text;
        return texts;
    }

    static QVariant evaluate(QWebEngineView* view, const QString& script)
    {
        QVariant result;
        bool done = false;
        view->page()->runJavaScript(script, [&](const QVariant& v) {
            result = v;
            done = true;
        });
        if (!QTest::qWaitFor([&] { return done; }, 10000))
            return QVariant(QStringLiteral("<no answer>"));
        return result;
    }

private slots:
    void initTestCase()
    {
        MessageBoxes::startRecording();
        FileDialogs::startRecording();
        QVERIFY(course.dir.isValid());

        course.write(QStringLiteral("zas.mht"),
                     MhtSamples::wordArchive(QStringLiteral("Титульная страница")));
        course.write(QStringLiteral("help.mht"),
                     MhtSamples::wordArchive(QStringLiteral("О программе")));
        course.write(QStringLiteral("lessons/intro.htm"), ViewerCourse::page("Введение"));
        course.write(QStringLiteral("lessons/arch.mht"),
                     MhtSamples::wordArchive(QStringLiteral("Устройство компьютера")));
        // A page of Russian Windows that declares no charset.
        QStringEncoder cp1251("windows-1251");
        course.write(QStringLiteral("lessons/cp1251.htm"),
                     cp1251.encode(QStringLiteral("<html><head><title>Кодировка страницы</title>"
                                                  "</head><body><p>Съешь же ещё этих мягких "
                                                  "французских булок</p></body></html>")));
        course.write(QStringLiteral("pictures/scheme.bmp"), ViewerCourse::bitmap(100, 50, Qt::red));
        course.write(QStringLiteral("pictures/bad.xyz"), "not a picture");
        course.write(QStringLiteral("tests/t1/1.htm"), ViewerCourse::page("Вопрос 1"));
        course.write(QStringLiteral("sounds/a.wav"), "RIFF");
        course.write(QStringLiteral("video/v.avi"), "RIFF");
        course.write(QStringLiteral("programs/run"),
                     "#!/bin/sh\npwd > \"$(dirname \"$0\")/ran.txt\"\n");
        QFile::setPermissions(course.local(QStringLiteral("programs/run")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                  QFileDevice::ExeOwner);

        const QString empty = QStringLiteral("");
        course.addLessons({
            {QStringLiteral("Введение"),
             {{"htm", "lessons\\intro.htm"},
              {"jpg", "pictures\\scheme.bmp"},
              {"test", "tests\\t1\\1.htm"},
              {"mid", empty},
              {"wav", "sounds\\a.wav"}}},
            {QStringLiteral("Пустая страница"), {{"htm", empty}}},
            {QStringLiteral("Нет файла"), {{"htm", "lessons\\gone.htm"}, {"exe", "programs\\run"}}},
            {QStringLiteral("Без страницы"), {{"mid", "sounds\\m.mid"}}},
            {QStringLiteral("Архив"), {{"htm", "lessons\\arch.mht"}}},
            {QStringLiteral("Папка"), {{"htm", "lessons"}}},
            {QStringLiteral("Видео"), {{"htm", "lessons\\intro.htm"}, {"avi", "video\\v.avi"}}},
            {QStringLiteral("Картинка"), {{"jpg", "pictures\\bad.xyz"}, {"exe", "programs\\run"}}},
            {QStringLiteral("Кодировка"), {{"htm", "lessons\\cp1251.htm"}}},
        });
        course.writeOutline({
            QStringLiteral("Введение"),
            QStringLiteral("\tПустая страница"),
            QStringLiteral("\tНет файла"),
            QStringLiteral("\tБез страницы"),
            QStringLiteral("Архив"),
            QStringLiteral("\tПапка"),
            QStringLiteral("\tВидео"),
            QStringLiteral("\tКартинка"),
            QStringLiteral("\tКодировка"),
            QStringLiteral("Нет такого урока"),
        });

        previousDirectory = QDir::currentPath();
        QVERIFY(QDir::setCurrent(course.dir.path()));
        Startup::createAll();
        QVERIFY(Form1);
        QCOMPARE(errors(), QStringList());
    }

    void cleanupTestCase()
    {
        Startup::destroyAll();
        QDir::setCurrent(previousDirectory);
    }

    void creation()
    {
        QCOMPARE(Form1->windowTitle(), QStringLiteral("Обучающая система"));
        QCOMPARE(Form1->courseRoot(), CoursePath::currentRoot());
        QTreeWidget* tree = Form1->treeView();
        QCOMPARE(tree->topLevelItemCount(), 3);
        QCOMPARE(tree->topLevelItem(0)->childCount(), 3);
        QCOMPARE(tree->topLevelItem(1)->child(2)->text(0), QStringLiteral("Картинка"));
        // Loading selects nothing, so no topic was shown and no record written.
        QVERIFY(tree->currentItem() == nullptr);
        QCOMPARE(journalCount(), 0);
        QCOMPARE(Form1->lastNavigated(), titlePage());
        QCOMPARE(Form1->statusPanelText(2), TForm1::credit());
        for (const char* item : {"nn1", "N8", "nn6", "nn7", "N5", "N7", "N4", "N2", "N3"})
            QVERIFY2(enabled(item), item);
        for (const char* item : {"nn2", "nn3", "nn4", "nn5"})
            QVERIFY2(!enabled(item), item);
        QVERIFY(!Form1->menuItem(QStringLiteral("N1"))->isVisible());
        QVERIFY(!Form1->menuItem(QStringLiteral("N5"))->isChecked());
        QVERIFY(!Form1->menuItem(QStringLiteral("N8"))->isChecked());
        // The title follows the lessons dataset from the moment it is open: the first lesson.
        QCOMPARE(lessonTitle()->text(), QStringLiteral("Введение"));

        // Getting the focus does not select a topic either.
        Form1->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form1));
        tree->setFocus();
        QCoreApplication::processEvents();
        QVERIFY(tree->currentItem() == nullptr);
        QCOMPARE(journalCount(), 0);
    }

    void menuCaptions()
    {
        const QList<std::pair<const char*, QString>> captions{
            {"nn1", QStringLiteral("HTML  ")},
            {"nn2", QStringLiteral("Схема   ")},
            {"nn3", QStringLiteral("Video    ")},
            {"nn4", QStringLiteral("Приложение")},
            {"nn6", QStringLiteral("Мелодия ")},
            {"nn7", QStringLiteral("   Звук                 ")},
            {"nn5", QStringLiteral("Начать тестирование           ")},
            {"N1", QStringLiteral("Редактирование")},
            {"N4", QStringLiteral("Пароль")},
            {"N2", QStringLiteral("О программе")},
            {"N3", QStringLiteral("Выход")},
        };
        auto* bar = Form1->findChild<QMenuBar*>(QStringLiteral("MainMenu1"));
        QVERIFY(bar);
        const QList<QAction*> actions = bar->actions();
        QCOMPARE(actions.size(), captions.size());
        for (int i = 0; i < captions.size(); ++i) {
            QCOMPARE(actions[i], Form1->menuItem(QString::fromLatin1(captions[i].first)));
            QCOMPARE(actions[i]->text(), captions[i].second);
        }
        QCOMPARE(Form1->menuItem(QStringLiteral("N5"))->text(),
                 QStringLiteral("Вкл\\Выкл. Мелодию"));
        QCOMPARE(Form1->menuItem(QStringLiteral("N7"))->text(), QStringLiteral("Выбрать мелодию"));
        QCOMPARE(Form1->menuItem(QStringLiteral("N8"))->text(), QStringLiteral("Вкл\\выкл звук"));
        QVERIFY(Form1->menuItem(QStringLiteral("N6"))->isSeparator());
        QVERIFY(Form1->menuItem(QStringLiteral("N5"))->isCheckable());
        QVERIFY(Form1->menuItem(QStringLiteral("N8"))->isCheckable());
        const QList<QAction*> melody = Form1->menuItem(QStringLiteral("nn6"))->menu()->actions();
        QCOMPARE(melody, (QList<QAction*>{Form1->menuItem(QStringLiteral("N5")),
                                          Form1->menuItem(QStringLiteral("N6")),
                                          Form1->menuItem(QStringLiteral("N7"))}));
    }

    // Each item with an image shows it beside its caption.
    void menuBarShowsImagesAndCaptions()
    {
        auto* bar = Form1->findChild<QMenuBar*>(QStringLiteral("MainMenu1"));
        const QImage shot = bar->grab().toImage();
        const QColor ground = shot.pixelColor(shot.width() - 2, shot.height() / 2);
        auto differs = [&](const QRect& area) {
            int count = 0;
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    if (shot.rect().contains(x, y) && shot.pixelColor(x, y) != ground)
                        ++count;
            return count;
        };
        for (const char* name : {"nn1", "nn2", "nn5", "nn6"}) {
            QAction* item = Form1->menuItem(QString::fromLatin1(name));
            const QRect geometry = bar->actionGeometry(item);
            const int textWidth = bar->fontMetrics().horizontalAdvance(item->text().trimmed());
            QVERIFY2(geometry.width() >= 16 + textWidth, name);
            // The image at the left of the content, the caption after it.
            const int left =
                geometry.x() +
                (geometry.width() - (16 + 4 + bar->fontMetrics().horizontalAdvance(item->text()))) /
                    2;
            const QRect image(left, geometry.y() + geometry.height() / 2 - 8, 16, 16);
            const QRect caption(left + 20, geometry.y() + 2, textWidth, geometry.height() - 4);
            QVERIFY2(differs(image) > 20, name);
            QVERIFY2(differs(caption) > 20, name);
        }
        // Items without an image show their caption alone.
        QAction* exit = Form1->menuItem(QStringLiteral("N3"));
        QVERIFY(exit->icon().isNull());
        QVERIFY(differs(bar->actionGeometry(exit)) > 20);
    }

    void clock()
    {
        // Panels 0 and 1 fill at the first tick and then follow the clock.
        QTRY_VERIFY_WITH_TIMEOUT(!Form1->statusPanelText(1).isEmpty(), 3000);
        QCOMPARE(Form1->statusPanelText(0),
                 QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
        const QString first = Form1->statusPanelText(1);
        QVERIFY(first.contains(QLatin1Char(':')));
        QTRY_VERIFY_WITH_TIMEOUT(Form1->statusPanelText(1) != first, 3000);
    }

    void selection_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("enabledItems"); // of nn1 nn2 nn3 nn4 nn5 N8
        QTest::addColumn<QString>("page");         // course-relative, or "" for the title page
        QTest::addColumn<int>("records");
        QTest::newRow("page present")
            << QStringLiteral("Введение") << QStringLiteral("nn1 nn2 nn5 N8")
            << QStringLiteral("lessons/intro.htm") << 1;
        QTest::newRow("page empty")
            << QStringLiteral("Пустая страница") << QString() << QString() << 0;
        QTest::newRow("page missing")
            << QStringLiteral("Нет файла") << QStringLiteral("nn1 nn4") << QString() << 0;
        QTest::newRow("page Null, melody only")
            << QStringLiteral("Без страницы") << QString() << QString() << 0;
        QTest::newRow("page is a folder")
            << QStringLiteral("Папка") << QStringLiteral("nn1") << QString() << 0;
        QTest::newRow("web archive") << QStringLiteral("Архив") << QStringLiteral("nn1")
                                     << QStringLiteral("lessons/arch.mht") << 1;
        QTest::newRow("video") << QStringLiteral("Видео") << QStringLiteral("nn1 nn3")
                               << QStringLiteral("lessons/intro.htm") << 1;
    }
    void selection()
    {
        QFETCH(QString, topic);
        QFETCH(QString, enabledItems);
        QFETCH(QString, page);
        QFETCH(int, records);
        setStudent(studentName, studentGroup);
        const int before = journalCount();
        select(topic);

        QCOMPARE(lessonTitle()->text(), topic);
        const QStringList on = enabledItems.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (const char* item : {"nn1", "nn2", "nn3", "nn4", "nn5", "N8"})
            QCOMPARE(enabled(item), on.contains(QString::fromLatin1(item)));
        // The melody items are never disabled.
        for (const char* item : {"nn6", "N5", "N7", "nn7", "N4", "N2", "N3"})
            QVERIFY(enabled(item));
        QCOMPARE(Form1->lastNavigated(), page.isEmpty() ? titlePage() : course.local(page));
        QCOMPARE(journalCount(), before + records);

        // The selected topic now shows the open volume.
        const QTreeWidgetItem* node = this->topic(topic);
        QCOMPARE(node->icon(0).pixmap(16, QIcon::Selected).toImage(),
                 Icons::imageList2(1).pixmap(16).toImage());
        QCOMPARE(node->icon(0).pixmap(16, QIcon::Normal).toImage(),
                 Icons::imageList2(0).pixmap(16).toImage());
    }

    void attendanceRecord()
    {
        setStudent(studentName, studentGroup);
        select(QStringLiteral("Пустая страница"));
        const int before = journalCount();
        select(QStringLiteral("Введение"));
        QCOMPARE(journalCount(), before + 1);
        QCOMPARE(DataModule2->Tjurnal->state(), Dataset::State::Browse);
        QCOMPARE(lastJournal(QStringLiteral("urok")).toString(), QStringLiteral("Введение"));
        QCOMPARE(lastJournal(QStringLiteral("fio")).toString(), studentName);
        QCOMPARE(lastJournal(QStringLiteral("gruppa")).toString(), studentGroup);
        QCOMPARE(lastJournal(QStringLiteral("ocenka")).toInt(), 0);
        const QDateTime data = lastJournal(QStringLiteral("data")).toDateTime();
        QCOMPARE(data.date(), QDate::currentDate());
        QCOMPARE(data.time(), QTime(0, 0));
        QVERIFY(!lastJournal(QStringLiteral("код")).isNull());

        // The same topic again is no change: nothing runs.
        Form1->treeView()->setCurrentItem(topic(QStringLiteral("Введение")));
        const QRect place = Form1->treeView()->visualItemRect(topic(QStringLiteral("Введение")));
        QTest::mouseClick(Form1->treeView()->viewport(), Qt::LeftButton, {}, place.center());
        QCOMPARE(journalCount(), before + 1);
    }

    void studentNames()
    {
        select(QStringLiteral("Пустая страница"));
        // No name: no record. A name of blanks is a name; the group may be empty.
        setStudent(QString(), studentGroup);
        int before = journalCount();
        select(QStringLiteral("Введение"));
        QCOMPARE(journalCount(), before);
        QCOMPARE(Form1->lastNavigated(), course.local(QStringLiteral("lessons/intro.htm")));

        select(QStringLiteral("Пустая страница"));
        setStudent(QStringLiteral("   "), QString());
        before = journalCount();
        select(QStringLiteral("Введение"));
        QCOMPARE(journalCount(), before + 1);
        QCOMPARE(lastJournal(QStringLiteral("fio")).toString(), QStringLiteral("   "));
        QCOMPARE(lastJournal(QStringLiteral("gruppa")).toString(), QString());
    }

    void topicWithoutLesson()
    {
        setStudent(studentName, studentGroup);
        select(QStringLiteral("Нет файла"));
        select(QStringLiteral("Введение"));
        const int before = journalCount();
        select(QStringLiteral("Нет такого урока"));
        // The lesson stays where it was, and everything follows that lesson.
        QCOMPARE(lessonTitle()->text(), QStringLiteral("Введение"));
        QVERIFY(enabled("nn2") && enabled("nn5") && !enabled("nn4"));
        QCOMPARE(Form1->lastNavigated(), course.local(QStringLiteral("lessons/intro.htm")));
        QCOMPARE(journalCount(), before + 1);
        QCOMPARE(lastJournal(QStringLiteral("urok")).toString(),
                 QStringLiteral("Нет такого урока"));
    }

    void arrowKeys()
    {
        setStudent(studentName, studentGroup);
        QTreeWidget* tree = Form1->treeView();
        tree->collapseAll();
        select(QStringLiteral("Введение"));
        const int before = journalCount();
        tree->setFocus();
        // Down passes "Архив" (a page: a record) and reaches the topic without a lesson (the
        // archive's lesson stays current: a record under the topic's own text).
        QTest::keyClick(tree, Qt::Key_Down);
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Архив"));
        QTest::keyClick(tree, Qt::Key_Down);
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Нет такого урока"));
        QCOMPARE(journalCount(), before + 2);
        QCOMPARE(lastJournal(QStringLiteral("urok")).toString(),
                 QStringLiteral("Нет такого урока"));
        QCOMPARE(Form1->lastNavigated(), course.local(QStringLiteral("lessons/arch.mht")));
    }

    // A web archive with file:/// pictures shows them, and its Windows-1251 text reads right.
    void webArchiveShowsItsPictures()
    {
        select(QStringLiteral("Введение"));
        QWebEngineView* view = Form1->webBrowser();
        QSignalSpy loaded(view, &QWebEngineView::loadFinished);
        select(QStringLiteral("Архив"));
        QVERIFY(Form1->shownUrl().isLocalFile());
        QVERIFY(Form1->shownUrl().toLocalFile() != Form1->lastNavigated());
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 30000);
        QVERIFY(loaded.last().at(0).toBool());

        auto evaluate = [view](const QString& script) { return TestForm1::evaluate(view, script); };
        QCOMPARE(evaluate(QStringLiteral("document.title")).toString(),
                 QStringLiteral("Устройство компьютера"));
        QTRY_COMPARE_WITH_TIMEOUT(
            evaluate(QStringLiteral("Array.from(document.images).filter(i => i.complete && "
                                    "i.naturalWidth > 0).length"))
                .toInt(),
            3, 10000);
        QCOMPARE(evaluate(QStringLiteral("document.images[0].naturalWidth")).toInt(), 8);
    }

    void windows1251Page()
    {
        QWebEngineView* view = Form1->webBrowser();
        QSignalSpy loaded(view, &QWebEngineView::loadFinished);
        select(QStringLiteral("Кодировка"));
        QCOMPARE(Form1->lastNavigated(), course.local(QStringLiteral("lessons/cp1251.htm")));
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 30000);
        QCOMPARE(evaluate(view, QStringLiteral("document.title")).toString(),
                 QStringLiteral("Кодировка страницы"));
        QCOMPARE(evaluate(view, QStringLiteral("document.body.innerText")).toString().trimmed(),
                 QStringLiteral("Съешь же ещё этих мягких французских булок"));
    }

    void collapseAndExpand()
    {
        auto* collapse = Form1->findChild<QPushButton*>(QStringLiteral("BitBtn5"));
        auto* expand = Form1->findChild<QPushButton*>(QStringLiteral("BitBtn4"));
        auto* list = Form1->findChild<QWidget*>(QStringLiteral("Panel2"));
        QCOMPARE(collapse->text(), QStringLiteral("Свернуть список тем"));
        QCOMPARE(expand->text(), QStringLiteral("Развернуть список тем"));
        QVERIFY(collapse->isVisible() && !expand->isVisible());
        QCOMPARE(list->width(), 345);

        QTest::mouseClick(collapse, Qt::LeftButton);
        QVERIFY(!collapse->isVisible() && expand->isVisible());
        QTRY_COMPARE(list->width(), 15);
        QCOMPARE(Form1->treeView()->width(), 7); // beside the 8-pixel strip
        QCOMPARE(expand->geometry(), QRect(-7, 1, 344, 25));

        QTest::mouseClick(expand, Qt::LeftButton);
        QVERIFY(collapse->isVisible() && !expand->isVisible());
        QTRY_COMPARE(list->width(), 345);
        QCOMPARE(collapse->geometry(), QRect(0, 1, 337, 25));
    }

    void narrationMarks()
    {
        auto fake1 = std::make_unique<FakeMediaDevice>();
        auto fake2 = std::make_unique<FakeMediaDevice>();
        player1 = fake1.get();
        player2 = fake2.get();
        Form1->setMediaDevices(std::move(fake1), std::move(fake2));

        select(QStringLiteral("Введение"));
        QAction* sound = Form1->menuItem(QStringLiteral("N8"));
        QList<bool> marks;
        QList<bool> playing;
        for (int i = 0; i < 4; ++i) {
            sound->trigger();
            marks << sound->isChecked();
            playing << player1->playing;
        }
        QCOMPARE(marks, (QList<bool>{true, false, true, false}));
        QCOMPARE(playing, (QList<bool>{false, true, false, true}));
        const QString wav = course.root() + QStringLiteral("\\sounds\\a.wav");
        QCOMPARE(player1->openedFile(), wav);

        // The video ends the narration.
        select(QStringLiteral("Видео"));
        player1->log.clear();
        Form1->menuItem(QStringLiteral("nn3"))->trigger();
        const QString avi = course.root() + QStringLiteral("\\video\\v.avi");
        QCOMPARE(player1->log, (QStringList{"close " + wav, "open " + avi, "play " + avi}));
        QVERIFY(!sound->isChecked());

        // A device that cannot open the file: the error, and the mark as it was.
        select(QStringLiteral("Введение"));
        player1->unreadable << wav;
        sound->trigger();
        QCOMPARE(errors(), QStringList{LkError::boxText("Cannot open " + wav)});
        QVERIFY(!sound->isChecked());
        player1->unreadable.clear();
        QVERIFY(player2->log.isEmpty());
    }

    void melodyMarks()
    {
        QAction* melody = Form1->menuItem(QStringLiteral("N5"));
        QAction* choose = Form1->menuItem(QStringLiteral("N7"));
        select(QStringLiteral("Введение")); // mid is empty: no melody of its own
        // Nothing was ever opened: the device error, and the mark changes at each use.
        melody->trigger();
        QCOMPARE(errors(), QStringList{QStringLiteral("No MCI device open.")});
        QVERIFY(melody->isChecked());
        melody->trigger();
        QCOMPARE(errors(), QStringList{QStringLiteral("No MCI device open.")});
        QVERIFY(!melody->isChecked());

        // Choosing cancelled: no sound, the mark set.
        FileDialogs::queueAnswer(QString());
        choose->trigger();
        const QList<FileDialogs::Request> requests = FileDialogs::takeRequests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0].filter,
                 QStringLiteral("Все звуки|*.mid;*.wav;*.mp3;*.kar;*.avi;*.wmv|Все файлы|*.*"));
        QVERIFY(melody->isChecked());
        QVERIFY(player2->log.isEmpty());

        // Chosen: it plays; the lesson without a melody then stops and resumes it.
        const QString chosen = QStringLiteral("/elsewhere/song.mp3");
        FileDialogs::queueAnswer(chosen);
        choose->trigger();
        QVERIFY(melody->isChecked());
        QCOMPARE(player2->log, (QStringList{"open " + chosen, "play " + chosen}));
        melody->trigger();
        QVERIFY(!melody->isChecked());
        QVERIFY(!player2->playing);
        melody->trigger();
        QVERIFY(melody->isChecked());
        QVERIFY(player2->playing);
        QCOMPARE(player2->openedFile(), chosen);
        QVERIFY(errors().isEmpty());

        // A chosen file the device refuses: the error, and the mark is not set.
        melody->trigger(); // clear the mark
        const QStringList first = player1->log;
        FileDialogs::queueAnswer(QStringLiteral("/elsewhere/broken.wav"));
        player2->unreadable << QStringLiteral("/elsewhere/broken.wav");
        choose->trigger();
        QCOMPARE(errors().size(), 1);
        QVERIFY(!melody->isChecked());
        QVERIFY(!player2->isOpen());
        QCOMPARE(player1->log, first); // the melody commands leave the first device alone
    }

    void pictureWindow()
    {
        // An unknown picture kind: the error, and the window is not shown.
        select(QStringLiteral("Картинка"));
        QVERIFY(enabled("nn2"));
        Form1->menuItem(QStringLiteral("nn2"))->trigger();
        QCOMPARE(errors(), QStringList{QStringLiteral("Unknown picture file extension (.xyz)")});
        QVERIFY(!Form3->isVisible());

        select(QStringLiteral("Введение"));
        Form1->menuItem(QStringLiteral("nn2"))->trigger();
        QVERIFY(errors().isEmpty());
        QVERIFY(Form3->isVisible());
        QCOMPARE(Form3->windowTitle(), QStringLiteral("Графическое изображение"));
        QVERIFY(Form3->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!(Form3->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(Form3->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(Form3->size(), QSize(287, 182));
        ImageView* image = Form3->image();
        QCOMPARE(image->size(), QSize(287, 182));
        // 100 × 50 stretched to the width, kept in proportion, from the top left.
        QCOMPARE(image->pictureRect(), QRectF(0, 0, 287, 143.5));
        const QImage shot = image->grab().toImage();
        QCOMPARE(shot.pixelColor(2, 2), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(280, 140), QColor(Qt::red));
        QVERIFY(shot.pixelColor(280, 170) != QColor(Qt::red));

        // Moved and resized by the user, hidden, shown again with the next picture: it stays.
        Form3->move(40, 30);
        Form3->resize(120, 400);
        const QPoint place = Form3->pos();
        Form3->close();
        QVERIFY(!Form3->isVisible());
        Form1->menuItem(QStringLiteral("nn2"))->trigger();
        QVERIFY(Form3->isVisible());
        QCOMPARE(Form3->pos(), place);
        QCOMPARE(Form3->size(), QSize(120, 400));
        QCOMPARE(image->pictureRect(), QRectF(0, 0, 120, 60)); // shrunk to the width

        // A picture that cannot be read leaves the last one in place.
        select(QStringLiteral("Картинка"));
        Form1->menuItem(QStringLiteral("nn2"))->trigger();
        QCOMPARE(errors().size(), 1);
        QCOMPARE(image->picture().naturalSize(), QSize(100, 50));
        Form3->hide();
    }

    void otherCommands()
    {
        // The page again: no journal record.
        select(QStringLiteral("Введение"));
        Form1->menuItem(QStringLiteral("N2"))->trigger();
        QCOMPARE(Form1->lastNavigated(), course.local(QStringLiteral("help.mht")));
        const int before = journalCount();
        Form1->menuItem(QStringLiteral("nn1"))->trigger();
        QCOMPARE(Form1->lastNavigated(), course.local(QStringLiteral("lessons/intro.htm")));
        QCOMPARE(journalCount(), before);

        // The page command on an empty page field does nothing.
        select(QStringLiteral("Пустая страница"));
        Form1->menuItem(QStringLiteral("N2"))->trigger();
        Form1->menuItem(QStringLiteral("nn1"))->trigger();
        QCOMPARE(Form1->lastNavigated(), course.local(QStringLiteral("help.mht")));

        select(QStringLiteral("Введение"));
        Form1->menuItem(QStringLiteral("nn5"))->trigger();
        QVERIFY(Form13->isVisible());
        Form13->hide();
        Form1->menuItem(QStringLiteral("N4"))->trigger();
        QVERIFY(Form7->isVisible());
        Form7->hide();
        Form1->menuItem(QStringLiteral("N1"))->trigger();
        QVERIFY(Form4->isVisible());
        Form4->hide();

        // The companion program runs in the process's current directory.
        select(QStringLiteral("Нет файла"));
        Form1->menuItem(QStringLiteral("nn4"))->trigger();
        const QString ran = course.local(QStringLiteral("programs/ran.txt"));
        QTRY_VERIFY(QFileInfo(ran).size() > 0);
        QFile out(ran);
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(QDir(QString::fromLocal8Bit(out.readAll().trimmed())).canonicalPath(),
                 QDir(course.dir.path()).canonicalPath());
        QVERIFY(errors().isEmpty());
    }

    void topicTreeForTheEditor()
    {
        QTreeWidget* tree = Form1->treeView();
        TopicTree& topics = Form1->topicTree();
        QVERIFY(!Form1->treeChanged());
        select(QStringLiteral("Пустая страница"));
        QVERIFY(topics.hasSelection());
        QCOMPARE(topics.selectedText(), QStringLiteral("Пустая страница"));
        topics.addSibling(QStringLiteral("Новая тема"));
        QVERIFY(Form1->treeChanged());
        QCOMPARE(tree->topLevelItem(0)->child(3)->text(0), QStringLiteral("Новая тема"));
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Пустая страница"));
        topics.addChild(QStringLiteral("Подтема"));
        QCOMPARE(topic(QStringLiteral("Пустая страница"))->child(0)->text(0),
                 QStringLiteral("Подтема"));

        // Removing the selected topic takes its branch; the next one is selected and shown.
        setStudent(studentName, studentGroup);
        topics.removeSelected();
        QVERIFY(topic(QStringLiteral("Подтема")) == nullptr);
        QVERIFY(tree->currentItem() != nullptr);
        QCOMPARE(lessonTitle()->text(), tree->currentItem()->text(0));

        const Outline outline = Form1->topicOutline();
        QCOMPARE(outline.size(), size_t(3));
        QCOMPARE(outline[0].children.size(), size_t(3));
        QCOMPARE(outline[0].children[2].text, QStringLiteral("Новая тема"));

        // A changed tree is saved at the end of the run; an unchanged one is left alone.
        Startup::endOfRun();
        QVERIFY(!Form1->treeChanged());
        Outline saved;
        OutlineFile(course.local(QStringLiteral("log.log"))).load(saved);
        QCOMPARE(saved, outline);
        course.write(QStringLiteral("log.log"), "kept\r\n");
        Startup::endOfRun();
        QFile file(course.local(QStringLiteral("log.log")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("kept\r\n"));
    }

    void closing()
    {
        Form1->show();
        Form6->show();
        // A topic outline that cannot be written: the error, and everything stays open.
        QVERIFY(QFile::remove(course.local(QStringLiteral("log.log"))));
        QVERIFY(QDir().mkpath(course.local(QStringLiteral("log.log"))));
        QVERIFY(!Form1->close());
        const QStringList shown = errors();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].startsWith(QStringLiteral("Cannot create file \"")),
                 qPrintable(shown[0]));
        QVERIFY(Form1->isVisible());
        QVERIFY(Form6->isVisible());

        QVERIFY(QDir(course.local(QStringLiteral("log.log"))).removeRecursively());
        Form1->menuItem(QStringLiteral("N3"))->trigger();
        QVERIFY(!Form1->isVisible());
        QVERIFY(!Form6->isVisible());
        Outline saved;
        OutlineFile(course.local(QStringLiteral("log.log"))).load(saved);
        QCOMPARE(saved, Form1->topicOutline());
        QVERIFY(errors().isEmpty());
    }
};

// The creation of a main window on a course whose outline is missing or malformed.
class TestForm1Creation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        MessageBoxes::startRecording();
        FileDialogs::startRecording();
    }

    void missingOutline()
    {
        ViewerCourse course;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(course.dir.path());
        TForm1 form;
        QString message;
        try {
            form.FormCreate();
        } catch (const LkError& e) {
            message = e.message();
        }
        QDir::setCurrent(previous);
        const QString path = course.local(QStringLiteral("log.log"));
        QVERIFY2(message.startsWith(QStringLiteral("Cannot open file \"%1\". ").arg(path)),
                 qPrintable(message));
        // The tree as laid out, one untitled topic; the rest of the creation did not run.
        QCOMPARE(form.treeView()->topLevelItemCount(), 1);
        QCOMPARE(form.treeView()->topLevelItem(0)->text(0), QString());
        QCOMPARE(form.lastNavigated(), QString());
        QCOMPARE(form.statusPanelText(2), QString());
        for (const char* item : {"nn1", "nn2", "nn3", "nn4", "nn5", "N8", "N5", "N7"})
            QVERIFY2(form.menuItem(QString::fromLatin1(item))->isEnabled(), item);
        QVERIFY(!form.menuItem(QStringLiteral("N1"))->isVisible());
    }

    void malformedOutline()
    {
        ViewerCourse course;
        course.writeOutline({QStringLiteral("Первая"), QStringLiteral("\tВторая"),
                             QStringLiteral("\t\t\tТретья"), QStringLiteral("Четвёртая")});
        const QString previous = QDir::currentPath();
        QDir::setCurrent(course.dir.path());
        TForm1 form;
        QString message;
        try {
            form.FormCreate();
        } catch (const LkError& e) {
            message = e.message();
        }
        QDir::setCurrent(previous);
        QCOMPARE(message, QStringLiteral("Invalid level (3) for item \"Третья\""));
        QCOMPARE(form.treeView()->topLevelItemCount(), 1);
        QCOMPARE(form.treeView()->topLevelItem(0)->child(0)->text(0), QStringLiteral("Вторая"));
        QCOMPARE(form.lastNavigated(), QString());
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int status = 0;
    {
        TestForm1Creation creation;
        status |= QTest::qExec(&creation, argc, argv);
    }
    {
        TestForm1 form1;
        status |= QTest::qExec(&form1, argc, argv);
    }
    return status;
}

#include "tst_form1.moc"
