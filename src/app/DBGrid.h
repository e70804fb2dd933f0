#pragma once

#include "store/DatasetModel.h"

#include <QPointer>
#include <QTableView>

class DataSource;
class Dataset;

// A grid over a data source: one row per record of the dataset's view, the chosen columns.
// Its current row and the dataset's current record move together, both ways: a click or a key
// moves the record, and a move of the record elsewhere (a navigator, a lookup, a filter)
// moves the grid.
class DBGrid : public QTableView
{
    Q_OBJECT
public:
    explicit DBGrid(QWidget* parent = nullptr);

    // Builds the grid's model over the source's dataset. Column widths in pixels, in order.
    void setDataSource(DataSource* source, const QList<DatasetModel::Column>& columns,
                       const QList<int>& widths = {});
    DatasetModel* datasetModel() const { return m_model; }

private:
    void showCurrentRecord();
    void moveRecordTo(const QModelIndex& current);

    QPointer<Dataset> m_dataset;
    DatasetModel* m_model = nullptr;
    // Rows are being inserted or removed, or the model is being reset: the view's current index
    // then moves on its own and must not move the record.
    int m_changing = 0;
    bool m_showing = false;
};
