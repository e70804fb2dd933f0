// The test window and the result window on a small fixture course: layout, the clock, a whole
// run with the red and black captions and the pages the web view is sent to, failed starts, the
// result and the grade record in the course database.
#include "app/Globals.h"
#include "app/MessageBoxes.h"
#include "app/TForm6.h"
#include "store/Dataset.h"
#include "store/DateValue.h"
#include "store/TDataModule2.h"
#include "testing/Grade.h"
#include "testing/TForm13.h"
#include "testing/TForm5.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>

namespace {

const QColor Red(255, 0, 0);

// Caption → component name of the forty number buttons.
int nameOfCaption(int k)
{
    static const int names[] = {1,  2,  3,  4,  5,  6,  10, 11, 12, 7,  8,  9,  24, 23,
                                22, 21, 20, 19, 16, 17, 13, 14, 15, 18, 25, 26, 27, 28,
                                29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40};
    return names[k - 1];
}

bool isRed(const QWidget* w)
{
    return w->palette().color(QPalette::Active, QPalette::ButtonText) == Red &&
           w->palette().color(QPalette::Inactive, QPalette::ButtonText) == Red;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray page(int n)
{
    return "<html><head><meta charset=\"utf-8\"><title>Вопрос " + QByteArray::number(n) +
           "</title></head><body><p>Вопрос " + QByteArray::number(n) +
           "</p><p>A) … B) … C) … D) … E) …</p></body></html>";
}

struct JournalRow
{
    QVariant urok;
    QVariant data;
    QVariant ocenka;
    QVariant fio;
    QVariant gruppa;
};

} // namespace

class TestTestWindows : public QObject
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
    static QPushButton* button13(const QString& name) { return child<QPushButton>(Form13, name); }
    static QPushButton* numberButton(int k)
    {
        return button13(QStringLiteral("BitBtn%1").arg(nameOfCaption(k)));
    }
    static QPushButton* optionButton(int k)
    {
        return button13(QStringLiteral("BitBtn%1").arg(42 + k));
    }
    static QString label5(const char* name) { return child<QLabel>(Form5, name)->text(); }

    static void typeStudent(const QString& name, const QString& group)
    {
        child<QLineEdit>(Form6, "Edit1")->setText(name);
        child<QLineEdit>(Form6, "Edit2")->setText(group);
    }
    static void selectLesson(const QVariant& title)
    {
        Dataset* lessons = DataModule2->Turok;
        if (title.isNull()) {
            for (int row = 0; row < lessons->recordCount(); ++row)
                if (lessons->viewValue(row, lessons->field("urok")).isNull())
                    lessons->moveTo(row);
            QVERIFY(lessons->value("urok").isNull());
            return;
        }
        QVERIFY(lessons->locate("urok", title));
    }
    static void addLesson(const QVariant& title, const QVariant& test)
    {
        Dataset* lessons = DataModule2->Turok;
        lessons->insert();
        lessons->setValue("urok", title);
        lessons->setValue("test", test);
        lessons->post();
    }

    // The journal as it stands in the database file, read over a connection of its own.
    QList<JournalRow> journal() const
    {
        QList<JournalRow> rows;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "verify");
            db.setDatabaseName(m_course.filePath("db1.sqlite"));
            if (!db.open())
                qFatal("cannot open the journal");
            QSqlQuery q(db);
            q.exec("SELECT urok, data, ocenka, fio, gruppa FROM jurnal ORDER BY \"код\"");
            while (q.next())
                rows.append({q.value(0), q.value(1), q.value(2), q.value(3), q.value(4)});
        }
        QSqlDatabase::removeDatabase("verify");
        return rows;
    }

    // Starts a run on the lesson and checks that it runs.
    static void startOn(const QVariant& title)
    {
        selectLesson(title);
        button13("BitBtn41")->click();
        const auto boxes = MessageBoxes::shown();
        QVERIFY2(Form13->run().isRunning(),
                 qPrintable(boxes.isEmpty() ? QString() : boxes.last().text));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_course.isValid());
        MessageBoxes::startRecording();
        m_previousDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_course.path()));

        // A test folder written in other letter case than the lesson names it, as courses
        // copied from Windows are.
        writeFile(m_course.filePath("Voprosy/T1/OTWET.TXT"),
                  "1) A\r\n2) C\r\n3) E\r\n4) B\r\n5) D\r\n");
        for (int n = 1; n <= 5; ++n)
            writeFile(m_course.filePath(QStringLiteral("Voprosy/T1/%1.htm").arg(n)), page(n));
        QByteArray pool;
        for (int n = 1; n <= 60; ++n)
            pool += "A\r\n";
        writeFile(m_course.filePath("tests/pool/otwet.txt"), pool);
        writeFile(m_course.filePath("tests/empty/otwet.txt"), QByteArray());
        QDir(m_course.path()).mkpath("tests/nokey");

        Form6 = new TForm6();
        Form13 = new TForm13();
        DataModule2 = new TDataModule2();
        DataModule2->load([](const LkError&) {});
        DataModule2->DataModuleCreate();
        Form5 = new TForm5();
        QVERIFY(DataModule2->Turok->isActive());
        QVERIFY(DataModule2->Tjurnal->isActive());

        addLesson("Урок с тестом", "voprosy\\t1\\1.htm");
        addLesson("Большой тест", "tests\\pool\\1.htm");
        addLesson("Пустой тест", "tests\\empty\\1.htm");
        addLesson("Без теста", QVariant());
        addLesson("Нет папки", "nowhere\\1.htm");
        addLesson("Нет ключа", "tests\\nokey\\1.htm");
        addLesson(QVariant(), "voprosy\\t1\\1.htm");
        QVERIFY(MessageBoxes::takeShown().isEmpty());
        Form13->show();
    }

    void cleanupTestCase()
    {
        delete std::exchange(Form5, nullptr);
        delete std::exchange(DataModule2, nullptr);
        delete std::exchange(Form13, nullptr);
        delete std::exchange(Form6, nullptr);
        QDir::setCurrent(m_previousDir);
    }

    void init()
    {
        MessageBoxes::takeShown();
        typeStudent("Иванов Иван", "ИС-21");
        if (!Form13->isVisible())
            Form13->show();
    }

    // Finish with no run started shows no result and writes nothing.
    void finishBeforeAnyStart()
    {
        const auto before = journal().size();
        button13("BitBtn42")->click();
        QVERIFY(!Form5->isVisible());
        QVERIFY(child<QLabel>(Form5, "Label4")->text() == "Label4");
        QCOMPARE(journal().size(), before);
        QVERIFY(MessageBoxes::takeShown().isEmpty());
    }

    void testWindowLayout()
    {
        QCOMPARE(Form13->windowTitle(), QStringLiteral("Тестирование"));
        QCOMPARE(Form13->font().family(), QStringLiteral("Times New Roman"));
        QCOMPARE(Form13->font().pixelSize(), 11);
        QVERIFY(!(Form13->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(Form13->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(Form13->windowFlags() & Qt::WindowCloseButtonHint);

        auto* panel1 = child(Form13, "Panel1");
        QCOMPARE(panel1->height(), 81);
        auto* label1 = child<QLabel>(Form13, "Label1");
        QCOMPARE(label1->text(), QStringLiteral("Выберите правильный ответ"));
        QCOMPARE(label1->pos(), QPoint(152, 8));
        QVERIFY(label1->font().bold());
        QCOMPARE(label1->font().pixelSize(), 19);

        QCOMPARE(button13("BitBtn41")->text(), QStringLiteral("Начать  тест"));
        QCOMPARE(button13("BitBtn41")->geometry(), QRect(16, 6, 105, 22));
        QCOMPARE(button13("BitBtn41")->font().pixelSize(), 13);
        QCOMPARE(button13("BitBtn42")->text(), QStringLiteral("Закончить  тест"));
        QCOMPARE(button13("BitBtn42")->geometry(), QRect(864, 6, 105, 21));
        const char* letters[] = {"A)", "B)", "C)", "D)", "E)"};
        for (int k = 1; k <= 5; ++k) {
            QCOMPARE(optionButton(k)->text(), QString::fromLatin1(letters[k - 1]));
            QCOMPARE(optionButton(k)->geometry(), QRect(416 + 40 * (k - 1), 5, 33, 25));
            QVERIFY(optionButton(k)->font().bold());
            QCOMPARE(optionButton(k)->font().pixelSize(), 19);
        }

        auto* panel2 = child(Form13, "Panel2");
        QCOMPARE(panel2->parentWidget(), panel1);
        QCOMPARE(panel2->geometry(), QRect(0, 32, 985, 41));
        for (int k = 1; k <= 40; ++k) {
            QPushButton* b = numberButton(k);
            QCOMPARE(b->text(), QString::number(k));
            QCOMPARE(b->parentWidget(), panel2);
            QCOMPARE(b->geometry(), QRect(16 + 24 * (k - 1), 11, 22, 22));
            QCOMPARE(Form13->numberButton(k), b);
        }

        auto* web = child<QWebEngineView>(Form13, "WebBrowser1");
        QVERIFY(web->geometry().top() >= panel1->geometry().bottom());
        auto* status = child<QStatusBar>(Form13, "StatusBar1");
        QVERIFY(web->geometry().bottom() < status->geometry().top());
        // Resizing keeps the panel's height; the web view takes the rest.
        const QSize size = Form13->size();
        Form13->resize(800, 700);
        QTRY_COMPARE(panel1->height(), 81);
        QTRY_VERIFY(web->height() > 500);
        Form13->resize(size);

        auto* timer = Form13->findChild<QTimer*>("Timer1");
        QVERIFY(timer != nullptr);
        QCOMPARE(timer->interval(), 1000);
        QVERIFY(timer->isActive());
    }

    void resultWindowLayout()
    {
        QCOMPARE(Form5->windowTitle(), QStringLiteral("Результат тестирования"));
        QCOMPARE(Form5->size(), QSize(486, 232));
        QCOMPARE(Form5->minimumSize(), Form5->maximumSize());
        QCOMPARE(Form5->font().family(), QStringLiteral("MS Sans Serif"));
        const struct
        {
            const char* name;
            const char* text;
            QPoint pos;
        } captions[] = {{"Label1", "Вы  правильно ответили на   -  ", {16, 40}},
                        {"Label2", "Что  составляет    -           %", {16, 88}},
                        {"Label3", "Ваша  оценка        -   ", {16, 128}}};
        for (const auto& c : captions) {
            auto* label = child<QLabel>(Form5, c.name);
            QCOMPARE(label->text(), QString::fromUtf8(c.text));
            QCOMPARE(label->pos(), c.pos);
            QVERIFY(label->font().bold());
            QCOMPARE(label->font().pixelSize(), 24);
        }
        const struct
        {
            const char* name;
            QRect geometry;
        } values[] = {{"Label4", {400, 40, 81, 29}},
                      {"Label5", {264, 88, 65, 29}},
                      {"Label6", {264, 128, 81, 29}}};
        for (const auto& v : values) {
            auto* label = child<QLabel>(Form5, v.name);
            QCOMPARE(label->geometry(), v.geometry);
            QCOMPARE(label->palette().color(QPalette::WindowText), Red);
            QCOMPARE(label->font().pixelSize(), 24);
        }
        auto* ok = child<QPushButton>(Form5, "Button1");
        QCOMPARE(ok->text(), QStringLiteral("Ок"));
        QCOMPARE(ok->geometry(), QRect(184, 184, 129, 33));
        QCOMPARE(ok->font().pixelSize(), 16);
    }

    // The clock shows the user's short date and long time, also while the window is hidden.
    void clock()
    {
        Form13->hide();
        QTRY_VERIFY(!Form13->statusPanelText(0).isEmpty());
        const QLocale locale = QLocale::system();
        QCOMPARE(Form13->statusPanelText(0),
                 locale.toString(QDate::currentDate(), QLocale::ShortFormat));
        QStringList recent;
        const QTime now = QTime::currentTime();
        for (int s = -3; s <= 1; ++s)
            recent << locale.toString(now.addSecs(s), DateValue::longTimeFormat());
        QVERIFY2(recent.contains(Form13->statusPanelText(1)),
                 qPrintable(Form13->statusPanelText(1) + " / " + recent.join(", ")));
        QVERIFY(Form13->statusPanelText(2).isEmpty());
        Form13->show();
    }

    // A whole run: Start, questions opened by their buttons, options marked, Finish, "Ок", and
    // the grade record in the database.
    void wholeRun()
    {
        const auto before = journal().size();
        startOn("Урок с тестом");
        QVERIFY(!button13("BitBtn41")->isEnabled());
        QVERIFY(child(Form13, "Panel2")->isVisible());
        for (int k = 1; k <= 40; ++k) {
            QCOMPARE(numberButton(k)->isEnabled(), k <= 5);
            QVERIFY(!isRed(numberButton(k)));
        }

        const TestRun& run = Form13->run();
        // Slot 1 right, slot 2 wrong, slot 3 right after a change of mind; 4 and 5 unanswered.
        numberButton(1)->click();
        QVERIFY(isRed(numberButton(1)));
        QCOMPARE(run.currentSlot(), 1);
        const QString expectedPage =
            m_course.filePath(QStringLiteral("Voprosy/T1/%1.htm").arg(run.slot(1).question));
        QCOMPARE(Form13->lastNavigated(), expectedPage);
        auto* web = child<QWebEngineView>(Form13, "WebBrowser1");
        QCOMPARE(web->url(), QUrl::fromLocalFile(expectedPage));
        QTRY_COMPARE(web->title(), QStringLiteral("Вопрос %1").arg(run.slot(1).question));

        optionButton(run.slot(1).correct)->click();
        QVERIFY(isRed(optionButton(run.slot(1).correct)));

        numberButton(2)->click();
        for (int k = 1; k <= 5; ++k)
            QVERIFY(!isRed(optionButton(k)));
        optionButton(run.slot(2).correct % 5 + 1)->click();

        numberButton(3)->click();
        optionButton(run.slot(3).correct % 5 + 1)->click();
        optionButton(run.slot(3).correct)->click();
        for (int k = 1; k <= 5; ++k)
            QCOMPARE(isRed(optionButton(k)), k == run.slot(3).correct);

        // Back to slot 1: its mark shows again.
        numberButton(1)->click();
        for (int k = 1; k <= 5; ++k)
            QCOMPARE(isRed(optionButton(k)), k == run.slot(1).correct);
        QVERIFY(isRed(numberButton(2)) && isRed(numberButton(3)));
        QVERIFY(!isRed(numberButton(4)) && !isRed(numberButton(5)));

        button13("BitBtn42")->click();
        QVERIFY(button13("BitBtn41")->isEnabled());
        QVERIFY(!child(Form13, "Panel2")->isVisible());
        for (int k = 1; k <= 5; ++k)
            QVERIFY(!isRed(optionButton(k)));
        QVERIFY(isRed(numberButton(1))); // until the next Start
        QCOMPARE(run.right(), 2);
        QCOMPARE(run.wrong(), 3);

        QTRY_VERIFY(Form5->isVisible());
        QCOMPARE(label5("Label4"), QStringLiteral("2"));
        QCOMPARE(label5("Label5"), QStringLiteral("40"));
        QCOMPARE(label5("Label6"), QStringLiteral("2"));

        child<QPushButton>(Form5, "Button1")->click();
        QVERIFY(!Form5->isVisible());
        QVERIFY(!Form13->isVisible());
        const auto rows = journal();
        QCOMPARE(rows.size(), before + 1);
        const JournalRow& row = rows.last();
        QCOMPARE(row.urok.toString(), QStringLiteral("Урок с тестом"));
        QCOMPARE(row.fio.toString(), QStringLiteral("Иванов Иван"));
        QCOMPARE(row.gruppa.toString(), QStringLiteral("ИС-21"));
        QCOMPARE(row.ocenka.toInt(), 40);
        QCOMPARE(DateValue::toDateTime(row.data.toDouble()),
                 QDateTime(QDate::currentDate(), QTime(0, 0)));
        QVERIFY(MessageBoxes::takeShown().isEmpty());
    }

    // The shared handler takes the slot from the caption, whatever the button's name.
    void numberButtonsFollowCaptions()
    {
        startOn("Большой тест");
        const TestRun& run = Form13->run();
        QCOMPARE(run.key().questionCount(), 60);
        for (int k = 1; k <= 40; ++k)
            QVERIFY(numberButton(k)->isEnabled());
        for (int k : {7, 13, 21, 10}) {
            numberButton(k)->click();
            QCOMPARE(run.currentSlot(), k);
            QCOMPARE(
                Form13->lastNavigated(),
                m_course.filePath(QStringLiteral("tests/pool/%1.htm").arg(run.slot(k).question)));
        }
        QVERIFY(isRed(button13("BitBtn10"))); // caption 7
        QVERIFY(isRed(button13("BitBtn24"))); // caption 13
        QVERIFY(isRed(button13("BitBtn13"))); // caption 21
        QVERIFY(isRed(button13("BitBtn7")));  // caption 10
        QVERIFY(!isRed(button13("BitBtn21")));
        button13("BitBtn42")->click();
        QCOMPARE(run.right() + run.wrong(), 40);
        Form5->hide();
    }

    void failedStart_data()
    {
        QTest::addColumn<QString>("lesson");
        QTest::addColumn<QString>("shown");
        QTest::newRow("test value Null")
            << "Без теста"
            << "Could not convert variant of type (Null) into type (String)";
        QTest::newRow("missing folder") << "Нет папки"
                                        << "Invalid filename.";
        QTest::newRow("missing otwet.txt") << "Нет ключа"
                                           << "File not found.";
    }
    // A Start that fails shows the error, clears the marks and fonts and stays idle.
    void failedStart()
    {
        QFETCH(QString, lesson);
        QFETCH(QString, shown);
        startOn("Урок с тестом");
        numberButton(2)->click();
        optionButton(1)->click();
        button13("BitBtn42")->click();
        Form5->hide();
        QVERIFY(isRed(numberButton(2)));

        selectLesson(lesson);
        button13("BitBtn41")->click();
        const auto boxes = MessageBoxes::takeShown();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, shown);
        QCOMPARE(boxes[0].icon, MessageBoxes::Icon::Error);
        QVERIFY(button13("BitBtn41")->isEnabled());
        QVERIFY(!child(Form13, "Panel2")->isVisible());
        for (int k = 1; k <= 40; ++k)
            QVERIFY(!isRed(numberButton(k)));
        for (int k = 1; k <= 5; ++k)
            QVERIFY(!isRed(optionButton(k)));
        QCOMPARE(Form13->run().right() + Form13->run().wrong(), 0);

        // Nothing to show and nothing to write until a run succeeds.
        const auto before = journal().size();
        button13("BitBtn42")->click();
        QVERIFY(!Form5->isVisible());
        QCOMPARE(journal().size(), before);
    }

    // A run ends at Finish: marks after it change nothing, Finish again only brings the result
    // to the front, and "Ок" writes one record per run.
    void oneRecordPerRun()
    {
        const auto before = journal().size();
        startOn("Урок с тестом");
        const TestRun& run = Form13->run();
        for (int k = 1; k <= 5; ++k) {
            numberButton(k)->click();
            optionButton(run.slot(k).correct)->click();
        }
        button13("BitBtn42")->click();
        QCOMPARE(run.right(), 5);
        QTRY_VERIFY(Form5->isVisible());
        QCOMPARE(label5("Label5"), QStringLiteral("100"));
        QCOMPARE(label5("Label6"), QStringLiteral("5"));

        optionButton(run.slot(5).correct % 5 + 1)->click(); // after Finish: marks nothing
        for (int k = 1; k <= 5; ++k)
            QVERIFY(!isRed(optionButton(k)));
        button13("BitBtn42")->click();
        QCOMPARE(run.right(), 5);
        QVERIFY(Form5->isVisible());

        child<QPushButton>(Form5, "Button1")->click();
        QCOMPARE(journal().size(), before + 1);
        QCOMPARE(journal().last().ocenka.toInt(), 100);

        Form13->show();
        button13("BitBtn42")->click();
        QTRY_VERIFY(Form5->isVisible());
        child<QPushButton>(Form5, "Button1")->click();
        QCOMPARE(journal().size(), before + 1);
    }

    // With no count to report the result shows 0, 0 and 0 and "Ок" writes nothing: an empty
    // key, and a Start pressed while the result of the last run is still open.
    void nothingToReport()
    {
        const auto before = journal().size();
        startOn("Пустой тест");
        for (int k = 1; k <= 40; ++k)
            QVERIFY(!numberButton(k)->isEnabled());
        button13("BitBtn42")->click();
        QTRY_VERIFY(Form5->isVisible());
        QCOMPARE(label5("Label4"), QStringLiteral("0"));
        QCOMPARE(label5("Label5"), QStringLiteral("0"));
        QCOMPARE(label5("Label6"), QStringLiteral("0"));
        child<QPushButton>(Form5, "Button1")->click();
        QCOMPARE(journal().size(), before);

        Form13->show();
        startOn("Урок с тестом");
        button13("BitBtn42")->click(); // 0 of 5 right
        QTRY_VERIFY(Form5->isVisible());
        startOn("Урок с тестом");
        Form5->FormActivate(); // the student comes back to the result window
        QCOMPARE(label5("Label4"), QStringLiteral("0"));
        QCOMPARE(label5("Label5"), QStringLiteral("0"));
        child<QPushButton>(Form5, "Button1")->click();
        QCOMPARE(journal().size(), before);
        Form13->show();
        button13("BitBtn42")->click();
        Form5->hide();
    }

    // The record takes the lesson current at "Ок", Null included, and nothing is written
    // without a student name.
    void gradeRecordFields_data()
    {
        QTest::addColumn<QVariant>("lessonAtOk");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("written");
        QTest::newRow("other lesson") << QVariant("Без теста") << "Петров" << true;
        QTest::newRow("lesson without title") << QVariant() << "Петров" << true;
        QTest::newRow("blank name counts") << QVariant("Урок с тестом") << " " << true;
        QTest::newRow("no name") << QVariant("Урок с тестом") << "" << false;
    }
    void gradeRecordFields()
    {
        QFETCH(QVariant, lessonAtOk);
        QFETCH(QString, name);
        QFETCH(bool, written);
        typeStudent(name, "Группа 7");
        const auto before = journal().size();
        startOn("Урок с тестом");
        const TestRun& run = Form13->run();
        numberButton(4)->click();
        optionButton(run.slot(4).correct)->click();
        button13("BitBtn42")->click();
        QCOMPARE(run.right(), 1);
        QTRY_VERIFY(Form5->isVisible());

        selectLesson(lessonAtOk);
        child<QPushButton>(Form5, "Button1")->click();
        QVERIFY(!Form13->isVisible());
        QVERIFY(!Form5->isVisible());
        const auto rows = journal();
        QCOMPARE(rows.size(), before + (written ? 1 : 0));
        if (!written)
            return;
        QCOMPARE(rows.last().urok.isNull(), lessonAtOk.isNull());
        if (!lessonAtOk.isNull())
            QCOMPARE(rows.last().urok.toString(), lessonAtOk.toString());
        QCOMPARE(rows.last().fio.toString(), name);
        QCOMPARE(rows.last().gruppa.toString(), QStringLiteral("Группа 7"));
        QCOMPARE(rows.last().ocenka.toInt(), 20);
    }

    // A journal that cannot take the record: the error box, the test window already hidden, the
    // result window still open; a later "Ок" writes the record once.
    void journalError()
    {
        const auto before = journal().size();
        startOn("Урок с тестом");
        button13("BitBtn42")->click();
        QTRY_VERIFY(Form5->isVisible());
        DataModule2->Tjurnal->close();
        child<QPushButton>(Form5, "Button1")->click();
        const auto boxes = MessageBoxes::takeShown();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text,
                 QStringLiteral("Tjurnal: Cannot perform this operation on a closed dataset."));
        QVERIFY(!Form13->isVisible());
        QVERIFY(Form5->isVisible());

        DataModule2->Tjurnal->open();
        child<QPushButton>(Form5, "Button1")->click();
        QVERIFY(!Form5->isVisible());
        QCOMPARE(journal().size(), before + 1);
        QVERIFY(MessageBoxes::takeShown().isEmpty());
    }
};

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestTestWindows test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_testwindows.moc"
