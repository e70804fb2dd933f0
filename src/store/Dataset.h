#pragma once

#include "FieldKind.h"
#include "FilterExpression.h"
#include "StringPool.h"

#include <QHash>
#include <QObject>
#include <QSqlQuery>
#include <QVariant>

#include <functional>
#include <vector>

class CourseDatabase;

// A table read whole into memory when it is opened, with one current record, the states
// browse / edit / insert, and posts that write their one record to the database at once.
// Null (an invalid QVariant) is kept apart from the empty string throughout.
//
// Every move, lookup, insert and filter change first posts a modified pending record and drops
// an unmodified one. Errors are LkError: the dataset's own carry its name in front
// ("Turok: Cannot perform this operation on a closed dataset"), the database driver's do not.
class Dataset : public QObject
{
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    // A field the program fixes: it must exist in the table with a fitting kind; texts are cut
    // to `size` characters on assignment (0: no limit).
    struct FieldSpec
    {
        QString name;
        FieldKind kind = FieldKind::WideString;
        int size = 0;
    };

    Dataset(QString name, QString table, CourseDatabase* database, QObject* parent = nullptr);
    ~Dataset() override;

    const QString& name() const { return m_name; }
    const QString& tableName() const { return m_table; }

    // With fixed fields the dataset holds exactly these, in this order, and checks them at open;
    // without, it holds the table's columns as they are.
    void setFieldSpecs(QList<FieldSpec> specs);

    void open();
    void close();
    bool isActive() const { return m_state != State::Inactive; }
    State state() const { return m_state; }
    // Reads the table again (what other users posted since shows up), keeping the current
    // record where it still exists.
    void refresh();

    int fieldCount() const { return int(m_fields.size()); }
    QString fieldName(int field) const { return m_fields.at(field).name; }
    FieldKind fieldKind(int field) const { return m_fields.at(field).kind; }
    // Field names are matched without regard to letter case; -1 when there is none.
    int fieldIndex(const QString& name) const;
    // As fieldIndex, but throws "Field '%s' not found".
    int field(const QString& name) const;

    // The current record's value: Null is an invalid QVariant; dates come as QDateTime.
    QVariant value(const QString& fieldName) const;
    QVariant value(int field) const;
    void setValue(const QString& fieldName, const QVariant& value);
    void setValue(int field, const QVariant& value);

    // The view: the records as currently filtered, in the dataset's order (with a record being
    // inserted at its end).
    int recordCount() const;
    bool isEmpty() const { return recordCount() == 0; }
    int currentRow() const { return m_current; }
    QVariant viewValue(int row, int field) const;
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }

    void first();
    void next();
    void prior();
    void last();
    void moveTo(int row);
    // Makes the first record whose field equals `value` (exactly) the current one; false, and no
    // move, when there is none or the search fails.
    bool locate(const QString& fieldName, const QVariant& value);

    void edit();
    void insert();
    void post();
    void cancel();
    void remove();
    bool isModified() const { return m_modified; }

    QString filterText() const { return m_filterText; }
    void setFilterText(const QString& text);
    bool isFiltered() const { return m_filtered; }
    void setFiltered(bool on);

    // Deletes every record of the view in one transaction: all of them, or, on an error or when
    // `progress` returns false, none. `progress(done, total)` is called between chunks.
    // Returns false when cancelled.
    bool removeAllInView(const std::function<bool(qint64, qint64)>& progress = {});

signals:
    void stateChanged();
    void currentChanged();
    // A value of the current record changed (assigned, posted or cancelled).
    void recordChanged();
    void aboutToReset();
    void reset();
    void rowAboutToBeInserted(int row);
    void rowInserted(int row);
    void rowAboutToBeRemoved(int row);
    void rowRemoved(int row);
    void rowChanged(int row);

private:
    struct Field
    {
        QString name;
        FieldKind kind = FieldKind::Unknown;
        int size = 0;
        int column = 0; // cell index within a stored row
    };

    [[noreturn]] void fail(const QString& text) const;
    void requireActive() const;
    // Posts a modified pending record, drops an unmodified one.
    void checkBrowseMode();
    void setState(State state);
    void readTable();
    // The fast path for the embedded engine: rows straight from SQLite into the cells.
    bool readTableNative(const QString& sql, bool hiddenKey);
    QVariant readCell(int field, const QVariant& value);
    int storageRow(int viewRow) const;
    const QVariant& cell(int storageRow, int column) const;
    FilterExpression parsedFilter(const QString& text) const;
    void applyFilter(const FilterExpression& filter);
    void invalidateRowLists();
    void showAll();
    QVariant toStored(const Field& field, const QVariant& value) const;
    QVariant fromStored(const Field& field, const QVariant& stored) const;
    qint64 keyOf(int storageRow) const;
    void removeStorageRows(const std::vector<int>& sortedRows);
    QSqlQuery& preparedInsert(const std::vector<int>& fields);
    void moveCurrent(int row);

    QString m_name;
    QString m_table;
    CourseDatabase* m_db = nullptr;
    QList<FieldSpec> m_specs;

    std::vector<Field> m_fields;
    QHash<QString, int> m_fieldByName; // lower-cased name -> field
    QString m_keyExpression;
    int m_keyColumn = -1; // cell index of the row key
    int m_stride = 0;

    std::vector<QVariant> m_cells;           // stored rows, m_stride cells each
    mutable std::vector<StringPool> m_pools; // one per field, for the texts
    int m_rows = 0;
    bool m_filtered = false;
    QString m_filterText;
    std::vector<int> m_view; // storage rows of the view while filtering is on

    State m_state = State::Inactive;
    int m_current = -1;
    bool m_eof = true;
    bool m_bof = true;
    std::vector<QVariant> m_buffer; // the record being edited or inserted
    bool m_modified = false;
    std::vector<bool> m_assigned;

    QHash<QString, QSqlQuery> m_insertQueries;
};
