#pragma once

#include <QAbstractTableModel>
#include <QColor>

#include <functional>

class Dataset;
class LkError;

// A grid's view of a dataset: one row per record of the view, one column per chosen field.
// Edits go through the dataset (edit, assign), so its rules apply; errors are handed to the
// error handler, never thrown through the view.
class DatasetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    struct Column
    {
        QString field;
        QString title; // empty: the field name
        bool readOnly = false;
        QColor background; // invalid: the view's own
    };

    DatasetModel(Dataset* dataset, QList<Column> columns, QObject* parent = nullptr);

    void setErrorHandler(std::function<void(const LkError&)> handler);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    Dataset* dataset() const { return m_dataset; }
    const QList<Column>& columns() const { return m_columns; }

private:
    int fieldOf(int column) const;

    Dataset* m_dataset;
    QList<Column> m_columns;
    std::function<void(const LkError&)> m_onError;
};
