#include "DatasetModel.h"

#include "Dataset.h"
#include "DateValue.h"
#include "LkError.h"

#include <QDateTime>

DatasetModel::DatasetModel(Dataset* dataset, QList<Column> columns, QObject* parent)
    : QAbstractTableModel(parent), m_dataset(dataset), m_columns(std::move(columns))
{
    connect(dataset, &Dataset::aboutToReset, this, [this] { beginResetModel(); });
    connect(dataset, &Dataset::reset, this, [this] { endResetModel(); });
    connect(dataset, &Dataset::rowAboutToBeInserted, this,
            [this](int row) { beginInsertRows({}, row, row); });
    connect(dataset, &Dataset::rowInserted, this, [this] { endInsertRows(); });
    connect(dataset, &Dataset::rowAboutToBeRemoved, this,
            [this](int row) { beginRemoveRows({}, row, row); });
    connect(dataset, &Dataset::rowRemoved, this, [this] { endRemoveRows(); });
    connect(dataset, &Dataset::rowChanged, this, [this](int row) {
        if (row >= 0 && row < rowCount() && columnCount() > 0)
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
}

void DatasetModel::setErrorHandler(std::function<void(const LkError&)> handler)
{
    m_onError = std::move(handler);
}

int DatasetModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_dataset->isActive())
        return 0;
    return m_dataset->recordCount();
}

int DatasetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

int DatasetModel::fieldOf(int column) const
{
    return m_dataset->fieldIndex(m_columns.at(column).field);
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    if (role == Qt::BackgroundRole) {
        const QColor& c = m_columns.at(index.column()).background;
        return c.isValid() ? QVariant(c) : QVariant();
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const int f = fieldOf(index.column());
    if (f < 0)
        return {};
    const QVariant v = m_dataset->viewValue(index.row(), f);
    if (!v.isValid())
        return role == Qt::EditRole ? QVariant(QString()) : QVariant();
    if (v.typeId() == QMetaType::QDateTime && role == Qt::DisplayRole)
        return DateValue::display(v.toDateTime());
    return v;
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    const Column& c = m_columns.at(section);
    return c.title.isEmpty() ? c.field : c.title;
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && !m_columns.at(index.column()).readOnly)
        f |= Qt::ItemIsEditable;
    return f;
}

bool DatasetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid) ||
        m_columns.at(index.column()).readOnly)
        return false;
    try {
        m_dataset->moveTo(index.row());
        m_dataset->edit();
        m_dataset->setValue(m_columns.at(index.column()).field, value);
        return true;
    } catch (const LkError& e) {
        if (m_onError)
            m_onError(e);
        return false;
    }
}
