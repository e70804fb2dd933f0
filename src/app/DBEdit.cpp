#include "DBEdit.h"

#include "DBText.h"
#include "Guard.h"

#include "store/DataSource.h"
#include "store/Dataset.h"

DBEdit::DBEdit(QWidget* parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this,
            guarded([this](const QString& text) { assignTyped(text); }));
}

void DBEdit::setDataSource(DataSource* source, const QString& field)
{
    Dataset* dataset = source ? source->dataset() : nullptr;
    DataSource::follow(m_dataset.data(), dataset, this, &DBEdit::showValue);
    m_dataset = dataset;
    m_field = field;
    showValue();
}

void DBEdit::showValue()
{
    if (m_assigning)
        return;
    QString text;
    const bool active = m_dataset && m_dataset->isActive();
    if (active) {
        const int field = m_dataset->fieldIndex(m_field);
        if (field >= 0)
            text = DBText::displayText(m_dataset->value(field));
    }
    setReadOnly(!active);
    // Leave the box alone while it shows the value already, so the cursor stays put.
    if (text != this->text())
        setText(text);
}

void DBEdit::assignTyped(const QString& text)
{
    if (!m_dataset)
        return;
    // The record's signals would write the box while the typed text is being assigned; once it
    // is done the box shows what the record holds (the typed text, or the old value on failure).
    struct ShowAfterwards
    {
        DBEdit* edit;
        ~ShowAfterwards()
        {
            edit->m_assigning = false;
            edit->showValue();
        }
    } showAfterwards{this};
    m_assigning = true;
    const int field = m_dataset->field(m_field);
    m_dataset->edit();
    m_dataset->setValue(field, text);
}
