#pragma once

#include <QLineEdit>
#include <QPointer>

class DataSource;
class Dataset;

// An edit box bound to one field of the current record. It shows the field's value and
// follows the record; typing puts the dataset into edit mode (on an empty table, insert mode)
// and assigns the text, which a post, or a move to another record, stores.
class DBEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit DBEdit(QWidget* parent = nullptr);

    void setDataSource(DataSource* source, const QString& field);

private:
    void showValue();
    void assignTyped(const QString& text);

    QPointer<Dataset> m_dataset;
    QString m_field;
    bool m_assigning = false;
};
