// The lesson editor's rules over the lessons table and a topic tree.
#include "CourseFixture.h"

#include "store/OutlineFile.h"
#include "teacher/LessonEditor.h"
#include "teacher/TopicTree.h"

#include <QTest>

namespace {
// A topic tree held as an outline, with the selected node as a path of child indexes.
class OutlineTree : public TopicTree
{
public:
    Outline roots;
    std::vector<size_t> selected; // empty: no node selected

    bool hasSelection() const override { return !selected.empty(); }
    QString selectedText() const override { return node(selected).text; }
    void addSibling(const QString& text) override { levelOf(selected).push_back({text, {}}); }
    void addChild(const QString& text) override
    {
        (selected.empty() ? roots : node(selected).children).push_back({text, {}});
    }
    void removeSelected() override
    {
        Outline& level = levelOf(selected);
        level.erase(level.begin() + qsizetype(selected.back()));
        selected.clear();
    }

    // The outline as the topic file would hold it, "\t" for each level.
    QString text() const { return QString::fromLocal8Bit(OutlineFile::serialize(roots)); }

private:
    OutlineNode& node(const std::vector<size_t>& path) const
    {
        auto* level = const_cast<Outline*>(&roots);
        OutlineNode* n = nullptr;
        for (size_t i : path) {
            n = &level->at(i);
            level = &n->children;
        }
        return *n;
    }
    Outline& levelOf(const std::vector<size_t>& path)
    {
        if (path.size() <= 1)
            return roots;
        return node({path.begin(), path.end() - 1}).children;
    }
};

// Root "A" with children "A1" (child "A1a") and "A2"; root "B".
Outline sampleOutline()
{
    return {{QStringLiteral("A"),
             {{QStringLiteral("A1"), {{QStringLiteral("A1a"), {}}}}, {QStringLiteral("A2"), {}}}},
            {QStringLiteral("B"), {}}};
}

using Path = std::vector<size_t>;
} // namespace

Q_DECLARE_METATYPE(Path)

class TestLessonEditor : public QObject
{
    Q_OBJECT

    std::unique_ptr<CourseFixture> m_course;
    OutlineTree m_tree;
    std::unique_ptr<LessonEditor> m_editor;

    Dataset& lessons() { return m_course->lessons(); }
    QString root() const { return QStringLiteral("/courses/kurs"); }
    QStringList titlesInFile()
    {
        QStringList titles;
        const int n = m_course->raw(QStringLiteral("SELECT COUNT(*) FROM urok")).toInt();
        for (int i = 0; i < n; ++i)
            titles.append(
                m_course
                    ->raw(QStringLiteral("SELECT urok FROM urok ORDER BY rowid LIMIT 1 OFFSET %1")
                              .arg(i))
                    .toString());
        return titles;
    }
    QVariant inFile(const QString& column, const QString& title)
    {
        return m_course->raw(
            QStringLiteral("SELECT %1 FROM urok WHERE urok='%2'").arg(column, title));
    }
    QVariant rowsInFile() { return m_course->raw(QStringLiteral("SELECT COUNT(*) FROM urok")); }

private slots:
    void init()
    {
        m_course = std::make_unique<CourseFixture>();
        m_course->open();
        m_tree = OutlineTree();
        m_editor = std::make_unique<LessonEditor>(lessons(), m_tree);
    }
    void cleanup()
    {
        m_editor.reset();
        m_course.reset();
    }

    void addTopic_data()
    {
        QTest::addColumn<Path>("selected");
        QTest::addColumn<bool>("asChild");
        QTest::addColumn<QString>("outline");
        const char* sample = "A\r\n\tA1\r\n\t\tA1a\r\n\tA2\r\nB\r\n";
        QTest::newRow("root level, none selected")
            << Path{} << false << QString::fromLatin1(sample) + "New\r\n";
        QTest::newRow("child, none selected")
            << Path{} << true << QString::fromLatin1(sample) + "New\r\n";
        QTest::newRow("root level, root selected")
            << Path{0} << false << QString::fromLatin1(sample) + "New\r\n";
        QTest::newRow("child of a root")
            << Path{0} << true << "A\r\n\tA1\r\n\t\tA1a\r\n\tA2\r\n\tNew\r\nB\r\n";
        QTest::newRow("root level, child selected: a sibling")
            << Path{0, 0} << false << "A\r\n\tA1\r\n\t\tA1a\r\n\tA2\r\n\tNew\r\nB\r\n";
        QTest::newRow("child of a child")
            << Path{0, 0} << true << "A\r\n\tA1\r\n\t\tA1a\r\n\t\tNew\r\n\tA2\r\nB\r\n";
        QTest::newRow("child of a leaf")
            << Path{1} << true << QString::fromLatin1(sample) + "\tNew\r\n";
    }
    void addTopic()
    {
        QFETCH(Path, selected);
        QFETCH(bool, asChild);
        QFETCH(QString, outline);
        m_course->addLesson(QStringLiteral("A"));
        m_tree.roots = sampleOutline();
        m_tree.selected = selected;

        m_editor->addTopic(QStringLiteral("New"), asChild);

        QCOMPARE(m_tree.text(), outline);
        QCOMPARE(m_tree.selected, selected);
        QCOMPARE(titlesInFile(), (QStringList{"A", "New"}));
        // The new lesson is the current one, with its media fields empty.
        QCOMPARE(lessons().state(), Dataset::State::Browse);
        QCOMPARE(lessons().value(QStringLiteral("urok")).toString(), QStringLiteral("New"));
        QVERIFY(!lessons().value(QStringLiteral("htm")).isValid());
    }

    void emptyTitle()
    {
        m_editor->addTopic(QString(), false);
        QCOMPARE(m_tree.text(), QStringLiteral("\r\n"));
        QCOMPARE(rowsInFile().toInt(), 1);
        QCOMPARE(m_course->raw(QStringLiteral("SELECT COUNT(*) FROM urok WHERE urok=''")).toInt(),
                 1);
    }

    void failedAddAddsNoNode()
    {
        m_course->raw(QStringLiteral("CREATE TRIGGER no_add BEFORE INSERT ON urok BEGIN "
                                     "SELECT RAISE(ABORT, 'no new lessons'); END"));
        QVERIFY(!errorOf([&] { m_editor->addTopic(QStringLiteral("New"), false); }).isEmpty());
        QVERIFY(m_tree.roots.empty());
        QCOMPARE(lessons().state(), Dataset::State::Insert);

        // "Ввод" tries the post again.
        m_course->raw(QStringLiteral("DROP TRIGGER no_add"));
        m_editor->enter();
        QCOMPARE(lessons().state(), Dataset::State::Browse);
        QCOMPARE(titlesInFile(), QStringList{"New"});
    }

    void removeTopic_data()
    {
        QTest::addColumn<Path>("selected");
        QTest::addColumn<QString>("outline");
        QTest::addColumn<QStringList>("titles");
        // Lessons in the table: A, A1, A1a, B, B (twice).
        QTest::newRow("node with descendants: one record")
            << Path{0} << "B\r\n"
            << QStringList{"A1", "A1a", "A2", "B", "B"};
        QTest::newRow("inner node") << Path{0, 0} << "A\r\n\tA2\r\nB\r\n"
                                    << QStringList{"A", "A1a", "A2", "B", "B"};
        QTest::newRow("several records with the title: the first")
            << Path{1} << "A\r\n\tA1\r\n\t\tA1a\r\n\tA2\r\n"
            << QStringList{"A", "A1", "A1a", "A2", "B"};
        QTest::newRow("no node selected: nothing")
            << Path{} << "A\r\n\tA1\r\n\t\tA1a\r\n\tA2\r\nB\r\n"
            << QStringList{"A", "A1", "A1a", "A2", "B", "B"};
    }
    void removeTopic()
    {
        QFETCH(Path, selected);
        QFETCH(QString, outline);
        QFETCH(QStringList, titles);
        for (const char* title : {"A", "A1", "A1a", "A2", "B", "B"})
            m_course->addLesson(QString::fromLatin1(title));
        m_tree.roots = sampleOutline();
        m_tree.selected = selected;

        m_editor->removeSelectedTopic();

        QCOMPARE(m_tree.text(), outline);
        QCOMPARE(titlesInFile(), titles);
    }

    void removeTopicWithoutRecord()
    {
        m_course->addLesson(QStringLiteral("Other"));
        m_tree.roots = sampleOutline();
        m_tree.selected = {0, 1};
        m_editor->removeSelectedTopic();
        QCOMPARE(m_tree.text(), QStringLiteral("A\r\n\tA1\r\n\t\tA1a\r\nB\r\n"));
        QCOMPARE(titlesInFile(), QStringList{"Other"});
    }

    // A pending change is posted before the title is looked up.
    void removeTopicPostsAPendingEdit()
    {
        m_course->addLesson(QStringLiteral("A"));
        lessons().edit();
        lessons().setValue(QStringLiteral("htm"), QStringLiteral("a.htm"));
        m_tree.roots = {{QStringLiteral("X"), {}}};
        m_tree.selected = {0};
        m_editor->removeSelectedTopic();
        QCOMPARE(inFile(QStringLiteral("htm"), QStringLiteral("A")).toString(),
                 QStringLiteral("a.htm"));
        QVERIFY(m_tree.roots.empty());
    }

    void enter_data()
    {
        QTest::addColumn<int>("mode"); // 0 browse, 1 edit, 2 insert
        QTest::newRow("browse: nothing") << 0;
        QTest::newRow("edit: posted") << 1;
        QTest::newRow("insert: posted") << 2;
    }
    void enter()
    {
        QFETCH(int, mode);
        m_course->addLesson(QStringLiteral("A"));
        if (mode == 1)
            lessons().edit();
        if (mode == 2)
            lessons().insert();
        if (mode != 0)
            lessons().setValue(QStringLiteral("jpg"), QStringLiteral("p.jpg"));
        m_editor->enter();
        QCOMPARE(lessons().state(), Dataset::State::Browse);
        QCOMPARE(
            m_course->raw(QStringLiteral("SELECT COUNT(*) FROM urok WHERE jpg='p.jpg'")).toInt(),
            mode == 0 ? 0 : 1);
        QCOMPARE(rowsInFile().toInt(), mode == 2 ? 2 : 1);
    }

    void attachAndClear()
    {
        m_course->addLesson(QStringLiteral("A"));
        m_editor->attach(QStringLiteral("htm"), root(), root() + QStringLiteral("/pages/a.htm"));
        QCOMPARE(inFile(QStringLiteral("htm"), QStringLiteral("A")).toString(),
                 QStringLiteral("pages\\a.htm"));
        QCOMPARE(lessons().state(), Dataset::State::Browse);

        m_editor->clear(QStringLiteral("htm"));
        const QVariant cleared = inFile(QStringLiteral("htm"), QStringLiteral("A"));
        QVERIFY(cleared.isValid() && !cleared.isNull());
        QCOMPARE(cleared.toString(), QString());
        QCOMPARE(rowsInFile().toInt(), 1);
    }

    // On an empty table, choosing or clearing makes a record that holds just that field.
    void onEmptyTable_data()
    {
        QTest::addColumn<bool>("choose");
        QTest::newRow("choose") << true;
        QTest::newRow("clear") << false;
    }
    void onEmptyTable()
    {
        QFETCH(bool, choose);
        if (choose)
            m_editor->attach(QStringLiteral("test"), root(),
                             root() + QStringLiteral("/tests/t1/1.htm"));
        else
            m_editor->clear(QStringLiteral("test"));
        QCOMPARE(rowsInFile().toInt(), 1);
        QCOMPARE(m_course->raw(QStringLiteral("SELECT test FROM urok")).toString(),
                 choose ? QStringLiteral("tests\\t1\\1.htm") : QString());
        QVERIFY(m_course->raw(QStringLiteral("SELECT test IS NOT NULL FROM urok")).toBool());
        for (const char* column : {"urok", "htm", "jpg", "avi", "mid", "wav", "exe"})
            QVERIFY(
                m_course
                    ->raw(QStringLiteral("SELECT %1 IS NULL FROM urok").arg(QLatin1String(column)))
                    .toBool());
        QCOMPARE(lessons().state(), Dataset::State::Browse);
    }

    // A pending insert receives the value and is posted with it.
    void attachToAPendingRecord()
    {
        lessons().insert();
        lessons().setValue(QStringLiteral("urok"), QStringLiteral("Draft"));
        m_editor->attach(QStringLiteral("wav"), root(), root() + QStringLiteral("/s.wav"));
        QCOMPARE(inFile(QStringLiteral("wav"), QStringLiteral("Draft")).toString(),
                 QStringLiteral("s.wav"));
        QCOMPARE(rowsInFile().toInt(), 1);
    }

    // A file outside the course folder is refused before anything changes.
    void outsideFileIsRefused()
    {
        m_course->addLesson(QStringLiteral("A"));
        lessons().edit();
        lessons().setValue(QStringLiteral("htm"), QStringLiteral("pending.htm"));
        const QString error = errorOf([&] {
            m_editor->attach(QStringLiteral("jpg"), root(), QStringLiteral("/elsewhere/p.jpg"));
        });
        QVERIFY2(error.contains(QStringLiteral("/elsewhere/p.jpg")), qPrintable(error));
        QCOMPARE(lessons().state(), Dataset::State::Edit);
        QVERIFY(!lessons().value(QStringLiteral("jpg")).isValid());
        QVERIFY(inFile(QStringLiteral("htm"), QStringLiteral("A")).isNull());

        QVERIFY(!errorOf([&] {
                     m_editor->attach(QStringLiteral("jpg"), QStringLiteral("/"),
                                      QStringLiteral("/p.jpg"));
                 }).isEmpty());
        QCOMPARE(lessons().state(), Dataset::State::Edit);
    }

    void failedPostStaysInEditMode()
    {
        m_course->addLesson(QStringLiteral("A"));
        m_course->raw(QStringLiteral("CREATE TRIGGER no_change BEFORE UPDATE ON urok BEGIN "
                                     "SELECT RAISE(ABORT, 'locked'); END"));
        QVERIFY(!errorOf([&] { m_editor->clear(QStringLiteral("exe")); }).isEmpty());
        QCOMPARE(lessons().state(), Dataset::State::Edit);
        QCOMPARE(lessons().value(QStringLiteral("exe")).toString(), QString());
    }
};

QTEST_GUILESS_MAIN(TestLessonEditor)
#include "tst_lessoneditor.moc"
