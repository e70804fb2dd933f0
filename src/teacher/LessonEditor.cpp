#include "LessonEditor.h"

#include "RelativePath.h"
#include "TopicTree.h"

#include "store/Dataset.h"

namespace {
const QString TitleField = QStringLiteral("urok");
}

void LessonEditor::addTopic(const QString& title, bool asChild)
{
    m_lessons.insert();
    m_lessons.setValue(TitleField, title);
    m_lessons.post();
    if (asChild)
        m_tree.addChild(title);
    else
        m_tree.addSibling(title);
}

void LessonEditor::removeSelectedTopic()
{
    if (!m_tree.hasSelection())
        return;
    const QString title = m_tree.selectedText();
    if (m_lessons.locate(TitleField, title))
        m_lessons.remove();
    m_tree.removeSelected();
}

void LessonEditor::enter()
{
    const Dataset::State state = m_lessons.state();
    if (state == Dataset::State::Edit || state == Dataset::State::Insert)
        m_lessons.post();
}

void LessonEditor::attach(const QString& field, const QString& root, const QString& chosenPath)
{
    assign(field, RelativePath::fromChosen(root, chosenPath));
}

void LessonEditor::clear(const QString& field)
{
    assign(field, QString(QLatin1String("")));
}

void LessonEditor::assign(const QString& field, const QString& value)
{
    const int f = m_lessons.field(field);
    m_lessons.edit();
    m_lessons.setValue(f, value);
    m_lessons.post();
}
