// The data-aware controls over a real dataset: a field's label and edit box, the record
// navigator with its confirmation, and the grid whose current row moves with the record.
#include "CourseFixture.h"

#include "app/DBEdit.h"
#include "app/DBGrid.h"
#include "app/DBNavigator.h"
#include "app/DBText.h"
#include "app/MessageBoxes.h"
#include "store/DataSource.h"
#include "store/DateValue.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QTest>
#include <QToolButton>

namespace {
using B = DBNavigator::Button;

// Types the text key by key, as a user would (QTest's own key clicks take Latin-1 only).
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}
} // namespace

class TestDbControls : public QObject
{
    Q_OBJECT

    std::unique_ptr<CourseFixture> m_course;

    Dataset& lessons() { return m_course->lessons(); }
    Dataset& journal() { return m_course->journal(); }
    DataSource* lessonSource() { return m_course->module->DSUrok; }
    DataSource* journalSource() { return m_course->module->DSjurnal; }
    QString title() { return lessons().value(QStringLiteral("urok")).toString(); }

    void addJournal(const QString& fio, int ocenka)
    {
        journal().insert();
        journal().setValue(QStringLiteral("fio"), fio);
        journal().setValue(QStringLiteral("ocenka"), ocenka);
        journal().setValue(QStringLiteral("data"), QDateTime(QDate(2024, 3, 5), QTime()));
        journal().post();
    }
    QList<bool> enabled(const DBNavigator& nav)
    {
        QList<bool> states;
        for (int i = 0; i < DBNavigator::ButtonCount; ++i)
            states.append(nav.button(B(i))->isEnabled());
        return states;
    }

private slots:
    void init()
    {
        MessageBoxes::startRecording();
        m_course = std::make_unique<CourseFixture>();
        m_course->open();
        for (const char* t : {"Первый", "Второй", "Третий"})
            m_course->addLesson(QString::fromUtf8(t));
        lessons().first();
    }
    void cleanup()
    {
        m_course.reset();
        QVERIFY(MessageBoxes::takeShown().isEmpty());
    }

    void textFollowsTheRecord()
    {
        DBText text;
        text.setDataSource(lessonSource(), QStringLiteral("urok"));
        QCOMPARE(text.text(), QStringLiteral("Первый"));
        lessons().next();
        QCOMPARE(text.text(), QStringLiteral("Второй"));
        lessons().edit();
        lessons().setValue(QStringLiteral("urok"), QStringLiteral("Изменён"));
        QCOMPARE(text.text(), QStringLiteral("Изменён"));
        lessons().cancel();
        QCOMPARE(text.text(), QStringLiteral("Второй"));
        // A Null field, an unknown field and a closed dataset show nothing.
        lessons().insert();
        QCOMPARE(text.text(), QString());
        lessons().cancel();
        DBText other;
        other.setDataSource(lessonSource(), QStringLiteral("nosuchfield"));
        QCOMPARE(other.text(), QString());
        lessons().close();
        QCOMPARE(text.text(), QString());
    }

    void textShowsDates()
    {
        addJournal(QStringLiteral("Иванов"), 80);
        DBText date;
        date.setDataSource(journalSource(), QStringLiteral("data"));
        QCOMPARE(date.text(), DateValue::display(QDateTime(QDate(2024, 3, 5), QTime())));
        DBText score;
        score.setDataSource(journalSource(), QStringLiteral("ocenka"));
        QCOMPARE(score.text(), QStringLiteral("80"));
        score.setAutoSize(true);
        QCOMPARE(score.width(), score.sizeHint().width());
    }

    void editTypingEditsTheRecord()
    {
        DBEdit edit;
        edit.setDataSource(lessonSource(), QStringLiteral("htm"));
        QCOMPARE(edit.text(), QString());
        QVERIFY(!edit.isReadOnly());

        edit.setFocus();
        typeText(&edit, QStringLiteral("a.htm"));
        QCOMPARE(lessons().state(), Dataset::State::Edit);
        QCOMPARE(lessons().value(QStringLiteral("htm")).toString(), QStringLiteral("a.htm"));
        // Typing in the middle leaves the cursor where it is.
        edit.setCursorPosition(1);
        typeText(&edit, QStringLiteral("b"));
        QCOMPARE(edit.text(), QStringLiteral("ab.htm"));
        QCOMPARE(edit.cursorPosition(), 2);

        // Moving posts it; the box shows the next record.
        lessons().next();
        QCOMPARE(edit.text(), QString());
        QCOMPARE(
            m_course->raw(QStringLiteral("SELECT htm FROM urok WHERE urok='Первый'")).toString(),
            QStringLiteral("ab.htm"));
        lessons().prior();
        QCOMPARE(edit.text(), QStringLiteral("ab.htm"));

        lessons().close();
        QVERIFY(edit.isReadOnly());
        QCOMPARE(edit.text(), QString());
    }

    void editOnAnEmptyTableInserts()
    {
        m_course->raw(QStringLiteral("DELETE FROM urok"));
        lessons().refresh();
        DBEdit edit;
        edit.setDataSource(lessonSource(), QStringLiteral("urok"));
        typeText(&edit, QStringLiteral("Новый"));
        QCOMPARE(lessons().state(), Dataset::State::Insert);
        lessons().post();
        QCOMPARE(m_course->raw(QStringLiteral("SELECT urok FROM urok")).toString(),
                 QStringLiteral("Новый"));
    }

    void navigatorButtons()
    {
        DBNavigator nav;
        nav.setDataSource(lessonSource());
        for (int i = 0; i < DBNavigator::ButtonCount; ++i) {
            static const char* names[] = {"nbFirst",  "nbPrior", "nbNext", "nbLast",   "nbInsert",
                                          "nbDelete", "nbEdit",  "nbPost", "nbCancel", "nbRefresh"};
            QCOMPARE(nav.button(B(i))->objectName(), QLatin1String(names[i]));
        }
        // first prior next last insert delete edit post cancel refresh
        using L = QList<bool>;
        QCOMPARE(enabled(nav), (L{false, false, true, true, true, true, true, false, false, true}));
        nav.button(B::Last)->click();
        QCOMPARE(title(), QStringLiteral("Третий"));
        QCOMPARE(enabled(nav), (L{true, true, false, false, true, true, true, false, false, true}));
        nav.button(B::Prior)->click();
        QCOMPARE(title(), QStringLiteral("Второй"));
        nav.button(B::First)->click();
        QCOMPARE(title(), QStringLiteral("Первый"));
        nav.button(B::Next)->click();
        QCOMPARE(title(), QStringLiteral("Второй"));

        nav.button(B::Edit)->click();
        QCOMPARE(lessons().state(), Dataset::State::Edit);
        QCOMPARE(enabled(nav), (L{true, true, true, true, true, true, false, true, true, true}));
        lessons().setValue(QStringLiteral("urok"), QStringLiteral("Второй!"));
        nav.button(B::Cancel)->click();
        QCOMPARE(title(), QStringLiteral("Второй"));
        nav.button(B::Insert)->click();
        QCOMPARE(lessons().state(), Dataset::State::Insert);
        lessons().setValue(QStringLiteral("urok"), QStringLiteral("Четвёртый"));
        nav.button(B::Post)->click();
        QCOMPARE(lessons().state(), Dataset::State::Browse);
        QCOMPARE(m_course->raw(QStringLiteral("SELECT COUNT(*) FROM urok")).toInt(), 4);

        // Refresh reads what another program wrote.
        m_course->raw(QStringLiteral("INSERT INTO urok (urok) VALUES ('Пятый')"));
        nav.button(B::Refresh)->click();
        QCOMPARE(lessons().recordCount(), 5);
        QCOMPARE(title(), QStringLiteral("Четвёртый"));

        lessons().close();
        QCOMPARE(enabled(nav), L(DBNavigator::ButtonCount, false));
    }

    void navigatorDeleteAsks_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("left");
        QTest::newRow("OK") << "OK" << 2;
        QTest::newRow("Cancel") << "Cancel" << 3;
    }
    void navigatorDeleteAsks()
    {
        QFETCH(QString, answer);
        QFETCH(int, left);
        DBNavigator nav;
        nav.setDataSource(lessonSource());
        lessons().next();
        MessageBoxes::queueAnswer(answer);
        nav.button(B::Delete)->click();
        const auto boxes = MessageBoxes::takeShown();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].caption, QStringLiteral("Confirm"));
        QCOMPARE(boxes[0].text, QStringLiteral("Delete record?"));
        QCOMPARE(boxes[0].buttons, (QStringList{"OK", "Cancel"}));
        QCOMPARE(m_course->raw(QStringLiteral("SELECT COUNT(*) FROM urok")).toInt(), left);
        QCOMPARE(
            m_course->raw(QStringLiteral("SELECT COUNT(*) FROM urok WHERE urok='Второй'")).toInt(),
            left - 2);
        QCOMPARE(title(), left == 2 ? QStringLiteral("Третий") : QStringLiteral("Второй"));
    }

    void navigatorSubset()
    {
        DBNavigator nav;
        nav.setVisibleButtons(
            {B::First, B::Prior, B::Next, B::Last, B::Delete, B::Post, B::Cancel, B::Refresh});
        nav.resize(176, 18);
        nav.show();
        QVERIFY(QTest::qWaitForWindowExposed(&nav));
        QVERIFY(!nav.button(B::Insert)->isVisible());
        QVERIFY(!nav.button(B::Edit)->isVisible());
        int width = 0;
        for (B b :
             {B::First, B::Prior, B::Next, B::Last, B::Delete, B::Post, B::Cancel, B::Refresh}) {
            QVERIFY(nav.button(b)->isVisible());
            width += nav.button(b)->width();
        }
        QCOMPARE(width, 176);
    }

    // A delete the database refuses shows the error box; the record stays.
    void navigatorFailedDelete()
    {
        DBNavigator nav;
        nav.setDataSource(lessonSource());
        m_course->raw(QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON urok BEGIN "
                                     "SELECT RAISE(ABORT, 'lesson is in use'); END"));
        MessageBoxes::queueAnswer(QStringLiteral("OK"));
        nav.button(B::Delete)->click();
        const auto boxes = MessageBoxes::takeShown();
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes[1].icon, MessageBoxes::Icon::Error);
        QVERIFY(boxes[1].text.contains(QStringLiteral("lesson is in use")));
        QCOMPARE(lessons().recordCount(), 3);
        QCOMPARE(title(), QStringLiteral("Первый"));
    }

    void gridAndRecordMoveTogether()
    {
        DBGrid grid;
        grid.setDataSource(lessonSource(),
                           {{QStringLiteral("urok"), QStringLiteral("Тема урока"), true, {}},
                            {QStringLiteral("htm"), {}, true, {}}},
                           {393, 51});
        QAbstractItemModelTester tester(grid.datasetModel(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QCOMPARE(grid.columnWidth(0), 393);
        QCOMPARE(grid.columnWidth(1), 51);
        QCOMPARE(grid.model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("Тема урока"));
        QCOMPARE(grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("htm"));
        QCOMPARE(grid.currentIndex().row(), 0);

        // A click moves the record.
        const QRect cell = grid.visualRect(grid.model()->index(2, 0));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(title(), QStringLiteral("Третий"));
        // A key moves it.
        QTest::keyClick(&grid, Qt::Key_Up);
        QCOMPARE(title(), QStringLiteral("Второй"));
        // A move elsewhere moves the grid.
        lessons().first();
        QCOMPARE(grid.currentIndex().row(), 0);
        QVERIFY(lessons().locate(QStringLiteral("urok"), QStringLiteral("Третий")));
        QCOMPARE(grid.currentIndex().row(), 2);

        // Inserting, deleting and refreshing keep them in step.
        lessons().insert();
        QCOMPARE(grid.currentIndex().row(), 3);
        lessons().cancel();
        QCOMPARE(grid.currentIndex().row(), 2);
        lessons().moveTo(1);
        lessons().remove();
        QCOMPARE(title(), QStringLiteral("Третий"));
        QCOMPARE(grid.currentIndex().row(), lessons().currentRow());
        QCOMPARE(grid.model()->rowCount(), 2);
        lessons().refresh();
        QCOMPARE(grid.currentIndex().row(), lessons().currentRow());
        lessons().close();
        QCOMPARE(grid.model()->rowCount(), 0);
        QVERIFY(!grid.currentIndex().isValid());
        lessons().open();
        QCOMPARE(grid.currentIndex().row(), 0);
    }

    // A move that fails to post the pending change shows the error and the grid stays on it.
    void failedMoveKeepsTheRow()
    {
        DBGrid grid;
        grid.setDataSource(lessonSource(), {{QStringLiteral("urok"), {}, false, {}}});
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        m_course->raw(QStringLiteral("CREATE TRIGGER no_change BEFORE UPDATE ON urok BEGIN "
                                     "SELECT RAISE(ABORT, 'locked'); END"));
        lessons().edit();
        lessons().setValue(QStringLiteral("urok"), QStringLiteral("Изменён"));
        QTest::keyClick(&grid, Qt::Key_Down);
        const auto boxes = MessageBoxes::takeShown();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes[0].text.contains(QStringLiteral("locked")));
        QCOMPARE(lessons().currentRow(), 0);
        QCOMPARE(lessons().state(), Dataset::State::Edit);
        QCOMPARE(grid.currentIndex().row(), 0);
    }

    // Editing a cell edits the record; read-only columns cannot be edited; the colours show.
    void gridEditing()
    {
        addJournal(QStringLiteral("Иванов"), 0);
        addJournal(QStringLiteral("Петров"), 90);
        const QColor grey(200, 200, 200);
        DBGrid grid;
        grid.setDataSource(journalSource(),
                           {{QStringLiteral("fio"), QStringLiteral("ФИО  учащихся"), false, {}},
                            {QStringLiteral("ocenka"), QStringLiteral("Баллы"), true, grey},
                            {QStringLiteral("data"), {}, true, grey}});
        QAbstractItemModelTester tester(grid.datasetModel(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModel* model = grid.model();
        QVERIFY(model->flags(model->index(0, 0)) & Qt::ItemIsEditable);
        QVERIFY(!(model->flags(model->index(0, 1)) & Qt::ItemIsEditable));
        QCOMPARE(model->data(model->index(0, 1), Qt::BackgroundRole).value<QColor>(), grey);
        QVERIFY(!model->data(model->index(0, 0), Qt::BackgroundRole).isValid());
        QCOMPARE(model->data(model->index(0, 2)).toString(),
                 DateValue::display(QDateTime(QDate(2024, 3, 5), QTime())));

        QVERIFY(model->setData(model->index(0, 0), QStringLiteral("Иванова")));
        QCOMPARE(journal().state(), Dataset::State::Edit);
        // Moving to the other row posts it.
        grid.setCurrentIndex(model->index(1, 0));
        QCOMPARE(journal().currentRow(), 1);
        QCOMPARE(journal().state(), Dataset::State::Browse);
        QCOMPARE(m_course->raw(QStringLiteral("SELECT COUNT(*) FROM jurnal WHERE fio='Иванова'"))
                     .toInt(),
                 1);

        // Filtering the dataset resets the grid onto the view's first record.
        journal().setFilterText(QStringLiteral("ocenka=90"));
        journal().setFiltered(true);
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(grid.currentIndex().row(), 0);
        QCOMPARE(model->data(model->index(0, 0)).toString(), QStringLiteral("Петров"));
    }
};

QTEST_MAIN(TestDbControls)
#include "tst_dbcontrols.moc"
