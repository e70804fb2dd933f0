#include "DBGrid.h"

#include "Guard.h"
#include "MessageBoxes.h"

#include "store/DataSource.h"
#include "store/Dataset.h"
#include "store/LkError.h"

#include <QHeaderView>

DBGrid::DBGrid(QWidget* parent) : QTableView(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    // Rows of one fixed height: a view of many thousand records is laid out at once.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
}

void DBGrid::setDataSource(DataSource* source, const QList<DatasetModel::Column>& columns,
                           const QList<int>& widths)
{
    Q_ASSERT(!m_model);
    m_dataset = source->dataset();

    // The model follows the dataset's changes through connections of its own; these two sets
    // are made before and after it, so they run before it starts a change and after it ends one.
    const auto begin = [this] { ++m_changing; };
    connect(m_dataset, &Dataset::aboutToReset, this, begin);
    connect(m_dataset, &Dataset::rowAboutToBeInserted, this, begin);
    connect(m_dataset, &Dataset::rowAboutToBeRemoved, this, begin);
    m_model = new DatasetModel(m_dataset, columns, this);
    const auto end = [this] {
        --m_changing;
        showCurrentRecord();
    };
    connect(m_dataset, &Dataset::reset, this, end);
    connect(m_dataset, &Dataset::rowInserted, this, end);
    connect(m_dataset, &Dataset::rowRemoved, this, end);
    connect(m_dataset, &Dataset::currentChanged, this, &DBGrid::showCurrentRecord);
    m_model->setErrorHandler([](const LkError& e) { MessageBoxes::error(e.message()); });

    setModel(m_model);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { moveRecordTo(current); });
    for (int i = 0; i < widths.size(); ++i)
        setColumnWidth(i, widths.at(i));
    showCurrentRecord();
}

void DBGrid::showCurrentRecord()
{
    if (!m_model || m_changing > 0)
        return;
    const int row = m_dataset && m_dataset->isActive() ? m_dataset->currentRow() : -1;
    const QModelIndex current = currentIndex();
    if (row < 0 || row >= m_model->rowCount()) {
        if (current.isValid()) {
            m_showing = true;
            selectionModel()->clearCurrentIndex();
            m_showing = false;
        }
        return;
    }
    if (current.isValid() && current.row() == row)
        return;
    const QModelIndex target = m_model->index(row, current.isValid() ? current.column() : 0);
    m_showing = true;
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    m_showing = false;
    scrollTo(target);
}

void DBGrid::moveRecordTo(const QModelIndex& current)
{
    if (m_showing || m_changing > 0 || !m_dataset || !current.isValid())
        return;
    if (current.row() != m_dataset->currentRow())
        runGuarded([&] { m_dataset->moveTo(current.row()); });
    // A move that failed (a pending change that could not be posted) leaves the record where it
    // was, and the grid goes back to it.
    showCurrentRecord();
}
