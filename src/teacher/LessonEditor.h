#pragma once

#include <QString>

class Dataset;
class TopicTree;

// The rules of the lesson editor, over the lessons dataset Turok and the main window's topic
// tree. Every change of a lesson record is posted at once; the tree reaches the topic outline
// file only when the main window closes.
class LessonEditor
{
public:
    LessonEditor(Dataset& lessons, TopicTree& tree) : m_lessons(lessons), m_tree(tree) {}

    // "Добавить новую корневой раздел" (asChild false) and "Добавить подраздел" (true): a new
    // lesson record titled `title` is posted and becomes the current one, then a node with the
    // same text is added. A failed post leaves the record in insert mode and adds no node.
    void addTopic(const QString& title, bool asChild);

    // "Удалить подраздел": deletes the first lesson record titled as the selected node (if there
    // is one) and the node with its whole branch; the branch's other records stay. With no node
    // selected there is nothing to delete.
    void removeSelectedTopic();

    // "Ввод": posts a record being edited or inserted; does nothing otherwise.
    void enter();

    // A choose button: stores `chosenPath` relative to `root` in `field` of the current lesson
    // (a new record when the table has none; a pending edit or insert receives the value) and
    // posts. A file outside the course folder is refused before anything changes.
    void attach(const QString& field, const QString& root, const QString& chosenPath);

    // A clear button: the empty string (never Null) into `field`, then post.
    void clear(const QString& field);

private:
    void assign(const QString& field, const QString& value);

    Dataset& m_lessons;
    TopicTree& m_tree;
};
