#pragma once

#include <QLabel>
#include <QPointer>

class DataSource;
class Dataset;

// A read-only label showing one field of the current record of a data source's dataset. It
// follows every move and change of the record; it is empty while the dataset is closed or
// has no record.
class DBText : public QLabel
{
    Q_OBJECT
public:
    explicit DBText(QWidget* parent = nullptr);

    void setDataSource(DataSource* source, const QString& field);
    // When set, the label takes the width of its text.
    void setAutoSize(bool on);

    // A field value as the data-aware controls show it: Null as nothing, dates in the short
    // date format, the rest as text.
    static QString displayText(const QVariant& value);

private:
    void showValue();

    QPointer<Dataset> m_dataset;
    QString m_field;
    bool m_autoSize = false;
};
