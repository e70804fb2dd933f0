// The password dialog and the teacher window in the running program, on a small course of our
// own: layout, the password check and change with the editing menu item, the lesson editor's
// buttons over the real topic tree, and the journal browser's filter and deletes.
#include "CourseFixture.h"

#include "app/DBGrid.h"
#include "app/DBNavigator.h"
#include "app/DBText.h"
#include "app/FileDialogs.h"
#include "app/Globals.h"
#include "app/MessageBoxes.h"
#include "app/Startup.h"
#include "store/DateValue.h"
#include "store/PasswordHash.h"
#include "teacher/ReportPreview.h"
#include "teacher/TForm4.h"
#include "teacher/TForm7.h"
#include "teacher/TForm8.h"
#include "viewer/TForm1.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

namespace {
using B = DBNavigator::Button;

// Types the text key by key, as a user would (QTest's own key clicks take Latin-1 only).
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

template <typename T = QWidget> T* child(QWidget* form, const QString& name)
{
    auto* w = form->findChild<T*>(name);
    if (w == nullptr)
        qFatal("no child %s", qPrintable(name));
    return w;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The widget the Tab key goes to from `w`.
QWidget* nextTabStop(QWidget* w)
{
    QWidget* next = w->nextInFocusChain();
    while (next != w && !(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    return next;
}

QStringList texts(const QList<MessageBoxes::Box>& boxes)
{
    QStringList result;
    for (const auto& box : boxes)
        result.append(box.text);
    return result;
}
} // namespace

class TestTeacherWindows : public QObject
{
    Q_OBJECT

    CourseFixture m_course;
    QString m_previousDir;

    static QAction* n1() { return Form1->menuItem(QStringLiteral("N1")); }
    static QLineEdit* edit7(const char* name) { return child<QLineEdit>(Form7, name); }
    static QPushButton* button7(const char* name) { return child<QPushButton>(Form7, name); }
    static QPushButton* button4(const QString& name) { return child<QPushButton>(Form4, name); }
    static QLineEdit* edit4(const QString& name) { return child<QLineEdit>(Form4, name); }
    static QCheckBox* checkBox1() { return child<QCheckBox>(Form4, QStringLiteral("CheckBox1")); }
    static Dataset& lessons() { return *DataModule2->Turok; }
    static Dataset& journal() { return *DataModule2->Tjurnal; }

    void setStoredPassword(const QVariant& value)
    {
        m_course.raw(value.isNull()
                         ? QStringLiteral("UPDATE pas SET pas = NULL")
                         : QStringLiteral("UPDATE pas SET pas = '%1'").arg(value.toString()));
        DataModule2->Tpas->refresh();
    }
    QString storedPassword()
    {
        return m_course.raw(QStringLiteral("SELECT pas FROM pas")).toString();
    }
    void typePassword(const QString& text) { edit7("Edit1")->setText(text); }

    // The lessons table as another program sees it: title -> the media field asked for.
    QVariant lessonField(const QString& title, const QString& field)
    {
        return m_course.raw(
            QStringLiteral("SELECT %1 FROM urok WHERE urok = '%2'").arg(field, title));
    }
    int lessonCount(const QString& where = QStringLiteral("1"))
    {
        return m_course.raw(QStringLiteral("SELECT COUNT(*) FROM urok WHERE ") + where).toInt();
    }
    // Sets the lessons table to exactly these titles and the tree to the course's outline.
    void resetLessons(const QStringList& titles)
    {
        QStringList sql{QStringLiteral("DELETE FROM urok")};
        for (const QString& t : titles)
            sql.append(QStringLiteral("INSERT INTO urok (urok) VALUES ('%1')").arg(t));
        m_course.raw(sql);
        lessons().refresh();
        lessons().first();
        QTreeWidget* tree = Form1->treeView();
        tree->setCurrentItem(nullptr);
        tree->clear();
        auto* t1 = new QTreeWidgetItem(tree, {QStringLiteral("Тема 1")});
        auto* t11 = new QTreeWidgetItem(t1, {QStringLiteral("Тема 1.1")});
        new QTreeWidgetItem(t11, {QStringLiteral("Тема 1.1.1")});
        new QTreeWidgetItem(t1, {QStringLiteral("Тема 1.2")});
        new QTreeWidgetItem(tree, {QStringLiteral("Тема 2")});
    }
    QTreeWidgetItem* node(const QList<int>& path)
    {
        QTreeWidgetItem* item = Form1->treeView()->topLevelItem(path.first());
        for (int i = 1; i < path.size(); ++i)
            item = item->child(path[i]);
        return item;
    }
    QString outlineText()
    {
        return QStringDecoder("Windows-1251").decode(OutlineFile::serialize(Form1->topicOutline()));
    }

    struct Entry
    {
        const char* fio;
        const char* gruppa;
        int ocenka;
    };
    void resetJournal(std::initializer_list<Entry> entries)
    {
        checkBox1()->setChecked(false);
        edit4(QStringLiteral("Edit1"))->clear();
        edit4(QStringLiteral("Edit2"))->clear();
        QStringList sql{QStringLiteral("DELETE FROM jurnal")};
        for (const Entry& e : entries)
            sql.append(QStringLiteral("INSERT INTO jurnal (urok, data, ocenka, fio, gruppa) "
                                      "VALUES ('Тема 1', 45356, %1, '%2', '%3')")
                           .arg(e.ocenka)
                           .arg(QString::fromUtf8(e.fio).replace(u'\'', QStringLiteral("''")),
                                QString::fromUtf8(e.gruppa)));
        m_course.raw(sql);
        journal().refresh();
        journal().first();
    }
    int journalCount(const QString& where = QStringLiteral("1"))
    {
        return m_course.raw(QStringLiteral("SELECT COUNT(*) FROM jurnal WHERE ") + where).toInt();
    }
    QStringList gridNames()
    {
        QStringList names;
        QAbstractItemModel* model = child<DBGrid>(Form4, QStringLiteral("DBGrid4"))->model();
        for (int row = 0; row < model->rowCount(); ++row)
            names.append(model->index(row, 0).data().toString());
        return names;
    }

private slots:
    void initTestCase()
    {
        MessageBoxes::startRecording();
        FileDialogs::startRecording();
        const QString root = m_course.dir.path();
        QByteArray outline = QStringLiteral("Тема 1\r\n\tТема 1.1\r\nТема 2\r\n").toUtf8();
        writeFile(root + QStringLiteral("/log.log"),
                  QStringEncoder("Windows-1251").encode(QString::fromUtf8(outline)));
        writeFile(root + QStringLiteral("/zas.mht"), "<html><body>title</body></html>");
        writeFile(root + QStringLiteral("/pages/p1.htm"), "<html><body>p1</body></html>");
        writeFile(root + QStringLiteral("/pictures/a.jpg"), "jpg");
        m_course.open();
        m_course.close();
        m_course.raw(QStringList{QStringLiteral("UPDATE pas SET pas = 'секрет'"),
                                 QStringLiteral("INSERT INTO urok (urok) VALUES ('Тема 1')")});

        m_previousDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(root));
        Startup::createAll();
        QVERIFY(Form1 && Form4 && Form7 && Form8 && DataModule2);
        QVERIFY(DataModule2->Tpas->isActive());
        QCOMPARE(texts(MessageBoxes::takeShown()), QStringList());
    }

    void cleanupTestCase()
    {
        Startup::destroyAll();
        QDir::setCurrent(m_previousDir);
    }

    void init()
    {
        MessageBoxes::takeShown();
        FileDialogs::takeRequests();
    }
    void cleanup()
    {
        // Every test says which boxes it expects.
        QCOMPARE(texts(MessageBoxes::takeShown()), QStringList());
    }

    // ---- password dialog ---------------------------------------------------------------------

    void passwordDialogLayout()
    {
        QCOMPARE(Form7->windowTitle(), QStringLiteral("Ввод пароля для редактирования"));
        QVERIFY(!(Form7->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(Form7->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(Form7->size(), QSize(497, 73));
        QVERIFY(!child(Form7, QStringLiteral("Panel2"))->isVisibleTo(Form7));
        QCOMPARE(child<QLabel>(Form7, QStringLiteral("Label1"))->text(),
                 QStringLiteral("Введите пароль"));
        QCOMPARE(child<QLabel>(Form7, QStringLiteral("Label3"))->text(),
                 QStringLiteral("Подтвердите пароль"));
        QCOMPARE(button7("Button1")->text(), QStringLiteral("Ок"));
        QCOMPARE(button7("Button2")->text(), QStringLiteral("Сменить пароль"));
        QCOMPARE(button7("Button3")->text(), QStringLiteral("Ввод"));
        QCOMPARE(edit7("Edit1")->geometry(), QRect(184, 16, 297, 28));
        QCOMPARE(button7("Button3")->geometry(), QRect(16, 80, 465, 17));
        for (const char* name : {"Edit1", "Edit2", "Edit3"})
            QCOMPARE(edit7(name)->echoMode(), QLineEdit::Password);
        QCOMPARE(
            child<QLabel>(Form7, QStringLiteral("Label1"))->palette().color(QPalette::WindowText),
            QColor(0, 0, 128));
        for (const char* name : {"Button1", "Button2", "Button3"})
            QVERIFY(!button7(name)->autoDefault() && !button7(name)->isDefault());
        // Tab order: Edit1, Button1, Button2, then Edit2, Button3, Edit3.
        QCOMPARE(nextTabStop(edit7("Edit1")), button7("Button1"));
        QCOMPARE(nextTabStop(button7("Button1")), button7("Button2"));
        QCOMPARE(nextTabStop(edit7("Edit2")), button7("Button3"));
        QCOMPARE(nextTabStop(button7("Button3")), edit7("Edit3"));
        QVERIFY(!n1()->isVisible());
    }

    void okShowsAndHidesTheEditingItem()
    {
        setStoredPassword(QStringLiteral("секрет"));
        Form7->show();
        typePassword(QStringLiteral("Секрет"));
        button7("Button1")->click();
        QVERIFY(!n1()->isVisible());
        QVERIFY(!Form7->isVisible());
        auto boxes = MessageBoxes::takeShown();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, QStringLiteral("Пароль неверный"));
        QCOMPARE(boxes[0].icon, MessageBoxes::Icon::None);
        QCOMPARE(boxes[0].caption, QStringLiteral("Лекторика"));
        QCOMPARE(boxes[0].buttons, QStringList{"OK"});

        // The right one: the plain value of an older course is taken, and kept hashed from now.
        Form7->show();
        typePassword(QStringLiteral("секрет"));
        button7("Button1")->click();
        QVERIFY(n1()->isVisible());
        QVERIFY(!Form7->isVisible());
        QVERIFY(PasswordHash::verify(QStringLiteral("секрет"), storedPassword()));

        // With a trailing blank it is wrong again, and the item hides.
        Form7->show();
        typePassword(QStringLiteral("секрет "));
        button7("Button1")->click();
        QVERIFY(!n1()->isVisible());
        QCOMPARE(texts(MessageBoxes::takeShown()), QStringList{"Пароль неверный"});
    }

    void nullPasswordMatchesNothing()
    {
        setStoredPassword(QVariant());
        for (const QString& typed : {QString(), QStringLiteral("секрет")}) {
            Form7->show();
            typePassword(typed);
            button7("Button2")->click();
            QVERIFY(!child(Form7, QStringLiteral("Panel2"))->isVisible());
            QVERIFY(Form7->isVisible());
            button7("Button1")->click();
            QVERIFY(!n1()->isVisible());
            QCOMPARE(texts(MessageBoxes::takeShown()),
                     (QStringList{"Пароль неверный", "Пароль неверный"}));
        }
    }

    void changePassword()
    {
        setStoredPassword(PasswordHash::make(QStringLiteral("секрет"), 1000));
        n1()->setVisible(false);
        Form7->show();
        QWidget* panel2 = child(Form7, QStringLiteral("Panel2"));

        // A wrong password opens nothing and leaves the item as it was.
        typePassword(QStringLiteral("нет"));
        button7("Button2")->click();
        QCOMPARE(texts(MessageBoxes::takeShown()), QStringList{"Пароль неверный"});
        QVERIFY(!panel2->isVisible());
        QVERIFY(Form7->isVisible());

        // The right one opens the lower panel; the item stays hidden.
        typePassword(QStringLiteral("секрет"));
        button7("Button2")->click();
        QVERIFY(panel2->isVisible());
        QCOMPARE(Form7->size(), QSize(497, 177));
        QCOMPARE(panel2->geometry(), QRect(0, 73, 497, 104));
        QVERIFY(!n1()->isVisible());

        // The panel and the boxes survive hiding.
        edit7("Edit2")->setText(QStringLiteral("Новый"));
        edit7("Edit3")->setText(QStringLiteral("новый"));
        Form7->close();
        QVERIFY(!Form7->isVisible());
        Form7->show();
        QVERIFY(panel2->isVisible());
        QCOMPARE(edit7("Edit1")->text(), QStringLiteral("секрет"));
        QCOMPARE(edit7("Edit2")->text(), QStringLiteral("Новый"));

        // Different texts: nothing stored, the panel hides and the dialog closes.
        const QString before = storedPassword();
        button7("Button3")->click();
        QCOMPARE(texts(MessageBoxes::takeShown()), QStringList{"Пароли не совпадают"});
        QCOMPARE(storedPassword(), before);
        QVERIFY(!panel2->isVisibleTo(Form7));
        QVERIFY(!Form7->isVisible());
        QCOMPARE(Form7->size(), QSize(497, 73));

        // Equal texts: stored as a hash of the new password.
        Form7->show();
        button7("Button2")->click();
        edit7("Edit3")->setText(QStringLiteral("Новый"));
        button7("Button3")->click();
        QCOMPARE(texts(MessageBoxes::takeShown()), QStringList{"Пароль успешно изменен"});
        QVERIFY(!Form7->isVisible());
        QVERIFY(!panel2->isVisibleTo(Form7));
        QVERIFY(!n1()->isVisible());
        const QString stored = storedPassword();
        QVERIFY(PasswordHash::isHash(stored));
        QVERIFY(!stored.contains(QStringLiteral("Новый")));

        Form7->show();
        button7("Button1")->click(); // the old one, still in the box
        QVERIFY(!n1()->isVisible());
        QCOMPARE(texts(MessageBoxes::takeShown()), QStringList{"Пароль неверный"});
        Form7->show();
        typePassword(QStringLiteral("Новый"));
        button7("Button1")->click();
        QVERIFY(n1()->isVisible());
    }

    // A new password the database refuses: the error box, the panel and dialog stay, the
    // record stays in edit mode.
    void changeRefused()
    {
        setStoredPassword(PasswordHash::make(QString(), 1000));
        Form7->show();
        typePassword(QString());
        button7("Button2")->click();
        m_course.raw(QStringLiteral("CREATE TRIGGER no_change BEFORE UPDATE ON pas BEGIN "
                                    "SELECT RAISE(ABORT, 'read-only course'); END"));
        edit7("Edit2")->setText(QStringLiteral("x"));
        edit7("Edit3")->setText(QStringLiteral("x"));
        button7("Button3")->click();
        m_course.raw(QStringLiteral("DROP TRIGGER no_change"));
        const auto boxes = MessageBoxes::takeShown();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].icon, MessageBoxes::Icon::Error);
        QVERIFY(boxes[0].text.contains(QStringLiteral("read-only course")));
        QVERIFY(Form7->isVisible());
        QVERIFY(child(Form7, QStringLiteral("Panel2"))->isVisible());
        QCOMPARE(DataModule2->Tpas->state(), Dataset::State::Edit);
        DataModule2->Tpas->cancel();
        Form7->hide();
    }

    // ---- teacher window: layout --------------------------------------------------------------

    void teacherWindowLayout()
    {
        Form4->show();
        QCOMPARE(Form4->windowTitle(), QStringLiteral("Редактирование  уроков"));
        QCOMPARE(Form4->size(), QSize(777, 601));
        QCOMPARE(Form4->minimumSize(), Form4->maximumSize());
        QVERIFY(Form4->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!(Form4->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(Form4->windowFlags() & Qt::WindowMaximizeButtonHint));
        auto* pages = child<QTabWidget>(Form4, QStringLiteral("PageControl1"));
        QCOMPARE(pages->count(), 2);
        QCOMPARE(pages->tabText(0), QStringLiteral("Редактирование  Урока"));
        QCOMPARE(pages->tabText(1), QStringLiteral("Журнал"));
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("TabSheet6"));

        const char* choose[] = {"Выбрать HTML документ",   "Выбрать рисунок или схему",
                                "Выбрать видеоурок",       "Выбрать тест",
                                "Выбрать музыку",          "Выбрать озвучку",
                                "Выбрать запускаемый файл"};
        for (int row = 0; row < 7; ++row) {
            const int top = 40 + 24 * row;
            QPushButton* b = button4(QStringLiteral("Button%1").arg(13 + row));
            QCOMPARE(b->text(), QString::fromUtf8(choose[row]));
            QCOMPARE(b->geometry(), QRect(8, top, 162, 25));
            QCOMPARE(edit4(QStringLiteral("DBEdit%1").arg(row + 1))->geometry(),
                     QRect(176, top, 545, 21));
            QPushButton* x = button4(QStringLiteral("BitBtn%1").arg(row + 1));
            QCOMPARE(x->text(), QStringLiteral("X"));
            QCOMPARE(x->geometry(),
                     row < 6 ? QRect(726, top + 1, 15, 18) : QRect(728, top + 1, 13, 18));
            QCOMPARE(x->palette().color(QPalette::ButtonText), QColor(255, 0, 0));
        }
        QCOMPARE(button4(QStringLiteral("Button10"))->text(),
                 QStringLiteral("Добавить новую корневой раздел"));
        QCOMPARE(button4(QStringLiteral("Button11"))->text(), QStringLiteral("Добавить подраздел"));
        QCOMPARE(button4(QStringLiteral("Button1"))->text(), QStringLiteral("Удалить подраздел"));
        QCOMPARE(button4(QStringLiteral("Button12"))->geometry(), QRect(696, 279, 66, 25));
        QCOMPARE(child<QLabel>(Form4, QStringLiteral("Label1"))->text(),
                 QStringLiteral("Введите новый  раздел"));
        auto* title = child<DBText>(Form4, QStringLiteral("DBText1"));
        QVERIFY(title->font().bold());
        QCOMPARE(title->font().pointSize(), 14);

        auto* nav4 = child<DBNavigator>(Form4, QStringLiteral("DBNavigator4"));
        auto* nav7 = child<DBNavigator>(Form4, QStringLiteral("DBNavigator7"));
        for (int i = 0; i < DBNavigator::ButtonCount; ++i) {
            const auto b = B(i);
            QVERIFY(!nav4->button(b)->isHidden());
            QCOMPARE(nav7->button(b)->isHidden(), b == B::Insert || b == B::Edit);
        }

        auto* grid5 = child<DBGrid>(Form4, QStringLiteral("DBGrid5"));
        QCOMPARE(grid5->geometry(), QRect(0, 320, 769, 249));
        const QStringList titles5{"Тема урока", "htm", "jpg", "wav", "mid", "avi", "test", "exe"};
        const int widths5[] = {393, 51, 48, 50, 54, 47, 46, 48};
        for (int c = 0; c < titles5.size(); ++c) {
            QCOMPARE(grid5->model()->headerData(c, Qt::Horizontal).toString(), titles5[c]);
            QCOMPARE(grid5->columnWidth(c), widths5[c]);
            QVERIFY(!(grid5->model()->flags(grid5->model()->index(0, c)) & Qt::ItemIsEditable));
        }
        QCOMPARE(grid5->palette().color(QPalette::Base), grid5->palette().color(QPalette::Button));

        auto* grid4 = child<DBGrid>(Form4, QStringLiteral("DBGrid4"));
        const QStringList titles4{"ФИО  учащихся", "Учебная группа", "Тема занятия", "Баллы",
                                  "Дата занятия"};
        const int widths4[] = {218, 116, 267, 43, 87};
        for (int c = 0; c < titles4.size(); ++c) {
            QCOMPARE(grid4->model()->headerData(c, Qt::Horizontal).toString(), titles4[c]);
            QCOMPARE(grid4->columnWidth(c), widths4[c]);
        }
        QCOMPARE(checkBox1()->text(), QStringLiteral("Вкл/выкл  фильтраци."));
        QVERIFY(!checkBox1()->isChecked());
        QCOMPARE(button4(QStringLiteral("Button20"))->text(),
                 QStringLiteral("Удалить записи без оценок"));
        QCOMPARE(button4(QStringLiteral("Button21"))->text(), QStringLiteral("Удалить все записи"));
        QCOMPARE(button4(QStringLiteral("Button2"))->text(), QStringLiteral("Печать"));
        QCOMPARE(edit4(QStringLiteral("Edit2"))->geometry(), QRect(528, 8, 185, 21));
    }

    // ---- lesson editor ---------------------------------------------------------------------

    void addTopic_data()
    {
        QTest::addColumn<QList<int>>("selected"); // empty: no node selected
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("outline");
        const QString base =
            QStringLiteral("Тема 1\r\n\tТема 1.1\r\n\t\tТема 1.1.1\r\n\tТема 1.2\r\n");
        QTest::newRow("root level, none selected")
            << QList<int>{} << "Button10" << base + "Тема 2\r\nНовая\r\n";
        QTest::newRow("child, none selected")
            << QList<int>{} << "Button11" << base + "Тема 2\r\nНовая\r\n";
        QTest::newRow("root level, root selected")
            << QList<int>{1} << "Button10" << base + "Тема 2\r\nНовая\r\n";
        QTest::newRow("child of a root")
            << QList<int>{1} << "Button11" << base + "Тема 2\r\n\tНовая\r\n";
        QTest::newRow("root level, child selected: a sibling")
            << QList<int>{0, 0} << "Button10" << base + "\tНовая\r\nТема 2\r\n";
        QTest::newRow("child of a child")
            << QList<int>{0, 0} << "Button11"
            << "Тема 1\r\n\tТема 1.1\r\n\t\tТема 1.1.1\r\n\t\tНовая\r\n"
               "\tТема 1.2\r\nТема 2\r\n";
    }
    void addTopic()
    {
        QFETCH(QList<int>, selected);
        QFETCH(QString, button);
        QFETCH(QString, outline);
        resetLessons({QStringLiteral("Тема 1"), QStringLiteral("Тема 2")});
        QTreeWidgetItem* chosen = selected.isEmpty() ? nullptr : node(selected);
        Form1->treeView()->setCurrentItem(chosen);
        Form4->show();
        edit4(QStringLiteral("Edit3"))->setText(QStringLiteral("Новая"));

        button4(button)->click();

        QCOMPARE(outlineText(), outline);
        QCOMPARE(Form1->selectedTopic(), chosen);
        QCOMPARE(lessonCount(), 3);
        QVERIFY(lessonField(QStringLiteral("Новая"), QStringLiteral("htm")).isNull());
        // The new lesson is the current one: the editor shows it.
        QCOMPARE(child<DBText>(Form4, QStringLiteral("DBText1"))->text(), QStringLiteral("Новая"));
        QCOMPARE(edit4(QStringLiteral("Edit3"))->text(), QStringLiteral("Новая"));
    }

    void removeTopic_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QString>("outline");
        QTest::addColumn<int>("lessonsLeft");
        QTest::newRow("with descendants: the branch, one record") << QList<int>{0} << "Тема 2\r\n"
                                                                  << 3;
        QTest::newRow("no matching record: the node only")
            << QList<int>{0, 1} << "Тема 1\r\n\tТема 1.1\r\n\t\tТема 1.1.1\r\nТема 2\r\n"
            << 4;
        QTest::newRow("no node selected: nothing")
            << QList<int>{} << "Тема 1\r\n\tТема 1.1\r\n\t\tТема 1.1.1\r\n\tТема 1.2\r\nТема 2\r\n"
            << 4;
    }
    void removeTopic()
    {
        QFETCH(QList<int>, selected);
        QFETCH(QString, outline);
        QFETCH(int, lessonsLeft);
        resetLessons({QStringLiteral("Тема 1"), QStringLiteral("Тема 1.1"),
                      QStringLiteral("Тема 1.1.1"), QStringLiteral("Тема 2")});
        Form1->treeView()->setCurrentItem(selected.isEmpty() ? nullptr : node(selected));
        button4(QStringLiteral("Button1"))->click();
        QCOMPARE(outlineText(), outline);
        QCOMPARE(lessonCount(), lessonsLeft);
        if (lessonsLeft == 3) {
            QCOMPARE(lessonCount(QStringLiteral("urok = 'Тема 1'")), 0);
            QCOMPARE(lessonCount(QStringLiteral("urok = 'Тема 1.1.1'")), 1);
        }
    }

    void chooseAndClear_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("file");
        QTest::newRow("page") << 0 << "htm"
                              << "HTML документы|*.htm;*.mht;*.html|Все файлы|*.*"
                              << "pages/p1.htm";
        QTest::newRow("picture") << 1 << "jpg"
                                 << "Рисунки|*.jpg;*.bmp;*.wmf;*.ico|Все файлы|*.*"
                                 << "pictures/a.jpg";
        QTest::newRow("video") << 2 << "avi"
                               << "Видио|*.avi;*.mp4|Все файлы|*.*"
                               << "v.avi";
        QTest::newRow("test") << 3 << "test"
                              << "Test|*.htm;*.txt|Все файлы|*.*"
                              << "t/1.htm";
        QTest::newRow("melody") << 4 << "mid"
                                << "Музыка|*.mid;*.kar;*.wav;*.mp3|Все файлы|*.*"
                                << "m.mid";
        QTest::newRow("narration") << 5 << "wav"
                                   << "Музыка|*.mid;*.kar;*.wav;*.mp3|Все файлы|*.*"
                                   << "s/n.wav";
        QTest::newRow("program") << 6 << "exe"
                                 << "Программы|*.exe|Все файлы|*.*"
                                 << "calc.exe";
    }
    void chooseAndClear()
    {
        QFETCH(int, row);
        QFETCH(QString, field);
        QFETCH(QString, filter);
        QFETCH(QString, file);
        resetLessons({QStringLiteral("Тема 1"), QStringLiteral("Тема 2")});
        lessons().next();
        const QString root = Form1->courseRoot();
        QPushButton* choose = button4(QStringLiteral("Button%1").arg(13 + row));
        auto* box = edit4(QStringLiteral("DBEdit%1").arg(row + 1));

        FileDialogs::queueAnswer(root + QLatin1Char('/') + file);
        choose->click();
        const auto requests = FileDialogs::takeRequests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0].startFolder, root);
        QCOMPARE(requests[0].filter, filter);
        QCOMPARE(requests[0].picturePreview, row == 1);
        const QString stored = QString(file).replace(u'/', u'\\');
        QCOMPARE(lessonField(QStringLiteral("Тема 2"), field).toString(), stored);
        QCOMPARE(box->text(), stored);
        QCOMPARE(lessons().state(), Dataset::State::Browse);

        // A cancelled dialog changes nothing.
        lessons().edit();
        choose->click();
        QCOMPARE(FileDialogs::takeRequests().size(), 1);
        QCOMPARE(lessons().state(), Dataset::State::Edit);
        lessons().cancel();
        QCOMPARE(lessonField(QStringLiteral("Тема 2"), field).toString(), stored);

        button4(QStringLiteral("BitBtn%1").arg(row + 1))->click();
        const QVariant cleared = lessonField(QStringLiteral("Тема 2"), field);
        QVERIFY(!cleared.isNull());
        QCOMPARE(cleared.toString(), QString());
        QCOMPARE(box->text(), QString());
        QCOMPARE(lessonCount(), 2);
    }

    void chooseOutsideTheCourse()
    {
        resetLessons({QStringLiteral("Тема 1")});
        FileDialogs::queueAnswer(QDir::tempPath() + QStringLiteral("/elsewhere/p.htm"));
        button4(QStringLiteral("Button13"))->click();
        const auto boxes = MessageBoxes::takeShown();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].icon, MessageBoxes::Icon::Error);
        QVERIFY(boxes[0].text.contains(QStringLiteral("вне папки курса")));
        QVERIFY(lessonField(QStringLiteral("Тема 1"), QStringLiteral("htm")).isNull());
        QCOMPARE(lessons().state(), Dataset::State::Browse);
    }

    void chooseAndClearOnAnEmptyTable_data()
    {
        QTest::addColumn<bool>("choose");
        QTest::newRow("choose") << true;
        QTest::newRow("clear") << false;
    }
    void chooseAndClearOnAnEmptyTable()
    {
        QFETCH(bool, choose);
        resetLessons({});
        if (choose) {
            FileDialogs::queueAnswer(Form1->courseRoot() + QStringLiteral("/pictures/a.jpg"));
            button4(QStringLiteral("Button14"))->click();
        } else {
            button4(QStringLiteral("BitBtn2"))->click();
        }
        QCOMPARE(lessonCount(), 1);
        QCOMPARE(m_course.raw(QStringLiteral("SELECT jpg FROM urok")).toString(),
                 choose ? QStringLiteral("pictures\\a.jpg") : QString());
        QVERIFY(
            m_course.raw(QStringLiteral("SELECT urok IS NULL AND htm IS NULL FROM urok")).toBool());
    }

    void enterOutsideEditMode()
    {
        resetLessons({QStringLiteral("Тема 1")});
        button4(QStringLiteral("Button12"))->click();
        QCOMPARE(lessons().state(), Dataset::State::Browse);
        // Typing into a bound box edits; "Ввод" posts.
        auto* box = edit4(QStringLiteral("DBEdit7"));
        box->setFocus();
        typeText(box, QStringLiteral("run.exe"));
        QCOMPARE(lessons().state(), Dataset::State::Edit);
        button4(QStringLiteral("Button12"))->click();
        QCOMPARE(lessons().state(), Dataset::State::Browse);
        QCOMPARE(lessonField(QStringLiteral("Тема 1"), QStringLiteral("exe")).toString(),
                 QStringLiteral("run.exe"));
    }

    // The grid and the navigator move the lesson the main window uses.
    void gridAndNavigatorMoveTheLesson()
    {
        resetLessons(
            {QStringLiteral("Тема 1"), QStringLiteral("Тема 2"), QStringLiteral("Тема 3")});
        auto* pages = child<QTabWidget>(Form4, QStringLiteral("PageControl1"));
        pages->setCurrentIndex(0);
        auto* grid = child<DBGrid>(Form4, QStringLiteral("DBGrid5"));
        QAbstractItemModelTester tester(grid->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QTRY_VERIFY(grid->isVisible());
        const QRect cell = grid->visualRect(grid->model()->index(2, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(lessons().value(QStringLiteral("urok")).toString(), QStringLiteral("Тема 3"));
        auto* nav = child<DBNavigator>(Form4, QStringLiteral("DBNavigator4"));
        nav->button(B::First)->click();
        QCOMPARE(lessons().value(QStringLiteral("urok")).toString(), QStringLiteral("Тема 1"));
        QCOMPARE(grid->currentIndex().row(), 0);
        QCOMPARE(child<DBText>(Form4, QStringLiteral("DBText1"))->text(), QStringLiteral("Тема 1"));

        // The navigator's delete asks first and touches the table alone.
        MessageBoxes::queueAnswer(QStringLiteral("Cancel"));
        nav->button(B::Delete)->click();
        QCOMPARE(lessonCount(), 3);
        MessageBoxes::queueAnswer(QStringLiteral("OK"));
        nav->button(B::Delete)->click();
        QCOMPARE(lessonCount(), 2);
        QCOMPARE(texts(MessageBoxes::takeShown()),
                 (QStringList{"Delete record?", "Delete record?"}));
        QCOMPARE(outlineText().count(QStringLiteral("Тема 1\r\n")), 1);
        // The tab chosen stays while the window is hidden.
        Form4->hide();
        Form4->show();
        QCOMPARE(pages->currentIndex(), 0);
        pages->setCurrentIndex(1);
    }

    // ---- journal browser ---------------------------------------------------------------------

    void typingWithFilteringOnAndOff()
    {
        resetJournal({{"Иванов", "ПИ-1", 0},
                      {"Петров", "ПИ-1", 80},
                      {"Иванов", "ПИ-2", 90},
                      {"O'Brien", "ПИ-2", 0}});
        auto* grid = child<DBGrid>(Form4, QStringLiteral("DBGrid4"));
        QAbstractItemModelTester tester(grid->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QLineEdit* name = edit4(QStringLiteral("Edit1"));
        QLineEdit* group = edit4(QStringLiteral("Edit2"));

        // Off: typing stores the filter but the grid shows everything.
        name->setFocus();
        typeText(name, QStringLiteral("Иванов"));
        QCOMPARE(journal().filterText(), QStringLiteral("fio='Иванов'"));
        QCOMPARE(gridNames().size(), 4);
        // The check box shows the view for the boxes.
        checkBox1()->click();
        QVERIFY(journal().isFiltered());
        QCOMPARE(gridNames(), (QStringList{"Иванов", "Иванов"}));
        // On: every keystroke changes the view.
        QTest::keyClick(name, Qt::Key_Backspace);
        QCOMPARE(gridNames(), QStringList());
        typeText(name, QStringLiteral("в"));
        QCOMPARE(gridNames().size(), 2);
        group->setFocus();
        typeText(group, QStringLiteral("ПИ-2"));
        QCOMPARE(journal().filterText(), QStringLiteral("fio='Иванов' and gruppa='ПИ-2'"));
        QCOMPARE(gridNames(), QStringList{"Иванов"});
        name->clear();
        QCOMPARE(journal().filterText(), QStringLiteral("gruppa='ПИ-2'"));
        QCOMPARE(gridNames(), (QStringList{"Иванов", "O'Brien"}));
        // An apostrophe filters like any other letter.
        name->setText(QStringLiteral("O'Brien"));
        QCOMPARE(gridNames(), QStringList{"O'Brien"});
        QCOMPARE(grid->currentIndex().row(), 0);
        // Both boxes empty: everything, with the box checked.
        name->clear();
        group->clear();
        QCOMPARE(journal().filterText(), QString());
        QCOMPARE(gridNames().size(), 4);
        checkBox1()->click();
        QVERIFY(!journal().isFiltered());
    }

    void deleteUngraded_data()
    {
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QStringList>("gridAfter");
        QTest::addColumn<int>("leftAfterDeleteAll");
        QTest::newRow("unchecked: score 0 in the whole journal")
            << false << QStringList{"Петров", "Иванов"} << 0;
        QTest::newRow("checked: within the name filter, which then shows again")
            << true << QStringList{"Иванов"} << 2;
    }
    void deleteUngraded()
    {
        QFETCH(bool, checked);
        QFETCH(QStringList, gridAfter);
        QFETCH(int, leftAfterDeleteAll);
        resetJournal({{"Иванов", "ПИ-1", 0},
                      {"Петров", "ПИ-1", 80},
                      {"Иванов", "ПИ-2", 90},
                      {"Петров", "ПИ-2", 0}});
        edit4(QStringLiteral("Edit1"))->setText(QStringLiteral("Иванов"));
        checkBox1()->setChecked(checked);

        button4(QStringLiteral("Button20"))->click();

        QCOMPARE(journalCount(), checked ? 3 : 2);
        QCOMPARE(journalCount(QStringLiteral("ocenka = 0 AND fio = 'Петров'")), checked ? 1 : 0);
        QCOMPARE(checkBox1()->isChecked(), checked);
        QCOMPARE(journal().isFiltered(), checked);
        QCOMPARE(gridNames(), gridAfter);

        // "Удалить все записи" then deletes what the grid shows.
        button4(QStringLiteral("Button21"))->click();
        QCOMPARE(journalCount(), leftAfterDeleteAll);
        QCOMPARE(gridNames(), QStringList());
        // On an empty view it does nothing.
        button4(QStringLiteral("Button21"))->click();
        QCOMPARE(journalCount(), leftAfterDeleteAll);
    }

    void journalNavigatorAndEditing()
    {
        resetJournal({{"Иванов", "ПИ-1", 0}, {"Петров", "ПИ-1", 80}});
        auto* grid = child<DBGrid>(Form4, QStringLiteral("DBGrid4"));
        QAbstractItemModel* model = grid->model();
        QCOMPARE(model->index(0, 4).data().toString(),
                 DateValue::display(DateValue::toDateTime(45356)));
        QCOMPARE(model->index(1, 3).data().toString(), QStringLiteral("80"));
        QVERIFY(!(model->flags(model->index(0, 2)) & Qt::ItemIsEditable));
        QVERIFY(model->flags(model->index(0, 1)) & Qt::ItemIsEditable);
        QCOMPARE(model->index(0, 2).data(Qt::BackgroundRole).value<QColor>(),
                 Form4->palette().color(QPalette::Button));

        // Correcting a group in place; the navigator's post stores it.
        QVERIFY(model->setData(model->index(0, 1), QStringLiteral("ПИ-3")));
        auto* nav = child<DBNavigator>(Form4, QStringLiteral("DBNavigator7"));
        nav->button(B::Post)->click();
        QCOMPARE(journalCount(QStringLiteral("gruppa = 'ПИ-3'")), 1);

        MessageBoxes::queueAnswer(QStringLiteral("Cancel"));
        nav->button(B::Delete)->click();
        QCOMPARE(journalCount(), 2);
        MessageBoxes::queueAnswer(QStringLiteral("OK"));
        nav->button(B::Delete)->click();
        QCOMPARE(journalCount(), 1);
        QCOMPARE(texts(MessageBoxes::takeShown()),
                 (QStringList{"Delete record?", "Delete record?"}));
    }

    // "Печать" opens the preview once; the view's current record is then its last.
    void printOpensThePreview()
    {
        resetJournal({{"Иванов", "ПИ-1", 0}, {"Петров", "ПИ-1", 80}, {"Сидоров", "ПИ-1", 70}});
        button4(QStringLiteral("Button2"))->click();
        QTRY_VERIFY(Form8->isPreviewOpen());
        QCOMPARE(journal().currentRow(), 2);
        QCOMPARE(child<DBGrid>(Form4, QStringLiteral("DBGrid4"))->currentIndex().row(), 2);
        QWidget* preview = Form8->previewWindow();
        journal().first();
        button4(QStringLiteral("Button2"))->click();
        QCOMPARE(static_cast<QWidget*>(Form8->previewWindow()), preview);
        QCOMPARE(journal().currentRow(), 0);
        preview->close();
        QTRY_VERIFY(!Form8->isPreviewOpen());
    }

    void exportCsv()
    {
        resetJournal({{"Мар'яна", "Гр-1", 90}});
        const QString path = m_course.dir.filePath(QStringLiteral("export/journal.csv"));
        QDir().mkpath(QFileInfo(path).absolutePath());
        FileDialogs::queueAnswer(path);
        button4(QStringLiteral("ButtonCsv"))->click();
        QCOMPARE(FileDialogs::takeRequests().size(), 1);
        QTRY_VERIFY(QFileInfo(path).size() > 0);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        QVERIFY(QString::fromUtf8(bytes).contains(QStringLiteral("Мар'яна;Гр-1;")));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestTeacherWindows test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_teacherwindows.moc"
