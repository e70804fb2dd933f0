#include "DBText.h"

#include "store/DataSource.h"
#include "store/Dataset.h"
#include "store/DateValue.h"

DBText::DBText(QWidget* parent) : QLabel(parent) {}

QString DBText::displayText(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (value.typeId() == QMetaType::QDateTime)
        return DateValue::display(value.toDateTime());
    return value.toString();
}

void DBText::setDataSource(DataSource* source, const QString& field)
{
    Dataset* dataset = source ? source->dataset() : nullptr;
    DataSource::follow(m_dataset.data(), dataset, this, &DBText::showValue);
    m_dataset = dataset;
    m_field = field;
    showValue();
}

void DBText::setAutoSize(bool on)
{
    m_autoSize = on;
    showValue();
}

void DBText::showValue()
{
    QString text;
    if (m_dataset && m_dataset->isActive()) {
        const int field = m_dataset->fieldIndex(m_field);
        if (field >= 0)
            text = displayText(m_dataset->value(field));
    }
    if (text != this->text())
        setText(text);
    if (m_autoSize)
        adjustSize();
}
