#include "Dataset.h"

#include "CourseDatabase.h"
#include "DateValue.h"
#include "LkError.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>

#include <sqlite3.h>

#ifdef __linux__
#include <sys/mman.h>
#endif

#include <algorithm>

namespace {
const QString kClosed = QStringLiteral("Cannot perform this operation on a closed dataset");
const QString kEmpty = QStringLiteral("Cannot perform this operation on an empty dataset");
const QString kNotEditing = QStringLiteral("Dataset not in edit or insert mode");
const QString kRowChanged = QStringLiteral(
    "Row cannot be located for updating. Some values may have been changed since it was last read");

// A large table's cells fill hundreds of megabytes at once; on Linux, huge pages spare the
// kernel most of the page faults of touching them for the first time.
void adviseHugePages([[maybe_unused]] void* data, [[maybe_unused]] size_t bytes)
{
#ifdef __linux__
    constexpr uintptr_t kHuge = 2 * 1024 * 1024;
    if (bytes < 4 * kHuge)
        return;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kHuge - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
}

bool isNullValue(const QVariant& v)
{
    return !v.isValid() || v.isNull();
}

// Exact equality of a stored value and a sought one: same text, or same number; Null equals
// nothing.
bool sameValue(const QVariant& stored, const QVariant& wanted)
{
    if (isNullValue(stored) || isNullValue(wanted))
        return false;
    if (stored.typeId() == QMetaType::QString) {
        const QString& s = *static_cast<const QString*>(stored.constData());
        if (wanted.typeId() == QMetaType::QString)
            return s == *static_cast<const QString*>(wanted.constData());
        return s == wanted.toString();
    }
    bool okStored = false;
    bool okWanted = false;
    const double a = stored.toDouble(&okStored);
    const double b = wanted.toDouble(&okWanted);
    if (okStored && okWanted)
        return a == b;
    return stored.toString() == wanted.toString();
}
} // namespace

Dataset::Dataset(QString name, QString table, CourseDatabase* database, QObject* parent)
    : QObject(parent), m_name(std::move(name)), m_table(std::move(table)), m_db(database)
{}

Dataset::~Dataset() = default;

void Dataset::setFieldSpecs(QList<FieldSpec> specs)
{
    m_specs = std::move(specs);
}

void Dataset::fail(const QString& text) const
{
    throw LkError(m_name + QStringLiteral(": ") + text, LkErrorKind::Database);
}

void Dataset::requireActive() const
{
    if (m_state == State::Inactive)
        fail(kClosed);
}

void Dataset::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged();
}

int Dataset::fieldIndex(const QString& name) const
{
    return m_fieldByName.value(name.toLower(), -1);
}

int Dataset::field(const QString& name) const
{
    const int index = fieldIndex(name);
    if (index < 0)
        fail(QStringLiteral("Field '%1' not found").arg(name));
    return index;
}

// ---- opening and closing -------------------------------------------------------------------

void Dataset::open()
{
    if (isActive())
        return;
    m_db->open();

    const QList<ColumnInfo> columns = m_db->columns(m_table);
    std::vector<Field> fields;
    if (m_specs.isEmpty()) {
        for (const ColumnInfo& c : columns)
            fields.push_back({c.name, c.kind, 0, 0});
    } else {
        for (const FieldSpec& fixed : m_specs) {
            const auto found =
                std::find_if(columns.begin(), columns.end(), [&](const ColumnInfo& c) {
                    return c.name.compare(fixed.name, Qt::CaseInsensitive) == 0;
                });
            if (found == columns.end())
                fail(QStringLiteral("Field '%1' not found").arg(fixed.name));
            if (!fieldKindFits(fixed.kind, found->kind))
                fail(QStringLiteral("Type mismatch for field '%1', expecting: %2 actual: %3")
                         .arg(fixed.name, fieldKindName(fixed.kind), fieldKindName(found->kind)));
            fields.push_back({found->name, found->kind, fixed.size, 0});
        }
    }

    m_keyExpression = m_db->rowKey(m_table, columns);
    m_keyColumn = -1;
    for (size_t i = 0; i < fields.size(); ++i) {
        fields[i].column = int(i);
        if (fields[i].name.compare(m_keyExpression, Qt::CaseInsensitive) == 0)
            m_keyColumn = int(i);
    }
    m_stride = int(fields.size());
    if (m_keyColumn < 0)
        m_keyColumn = m_stride++; // a hidden cell after the fields

    m_fields = std::move(fields);
    m_fieldByName.clear();
    for (size_t i = 0; i < m_fields.size(); ++i)
        m_fieldByName.insert(m_fields[i].name.toLower(), int(i));

    emit aboutToReset();
    try {
        readTable();
    } catch (...) {
        m_fields.clear();
        m_fieldByName.clear();
        m_cells.clear();
        m_rows = 0;
        emit reset();
        throw;
    }
    m_insertQueries.clear();
    m_filtered = false;
    m_view.clear();
    m_state = State::Browse;
    m_current = m_rows > 0 ? 0 : -1;
    m_bof = true;
    m_eof = m_rows == 0;
    emit reset();
    emit stateChanged();
    emit currentChanged();
    emit recordChanged();
}

void Dataset::readTable()
{
    QStringList select;
    for (const Field& f : m_fields)
        select.append(m_db->selectSql(f.name, f.kind));
    const bool hiddenKey = m_keyColumn >= int(m_fields.size());
    const QString key = CourseDatabase::keySql(m_keyExpression);
    if (hiddenKey)
        select.append(key);
    const QString sql =
        QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
            .arg(select.join(QStringLiteral(", ")), CourseDatabase::quoted(m_table), key);

    m_pools.assign(m_fields.size(), StringPool());
    if (readTableNative(sql, hiddenKey))
        return;

    QSqlQuery q(m_db->database());
    q.setForwardOnly(true);
    if (!q.exec(sql))
        CourseDatabase::fail(q.lastError());

    std::vector<QVariant> cells;
    int rows = 0;
    const int fieldCount = int(m_fields.size());
    while (q.next()) {
        for (int i = 0; i < fieldCount; ++i)
            cells.push_back(readCell(i, q.value(i)));
        if (hiddenKey)
            cells.push_back(q.value(fieldCount).toLongLong());
        ++rows;
    }
    if (q.lastError().isValid())
        CourseDatabase::fail(q.lastError());
    m_cells = std::move(cells);
    m_rows = rows;
}

QVariant Dataset::readCell(int field, const QVariant& value)
{
    if (isNullValue(value))
        return {};
    const Field& f = m_fields[size_t(field)];
    if (f.kind == FieldKind::WideString)
        return m_pools[size_t(field)].intern(value.toString());
    return toStored(f, value);
}

bool Dataset::readTableNative(const QString& sql, bool hiddenKey)
{
    if (!m_db->isSqlite())
        return false;
    const QVariant handle = m_db->database().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3* db = *static_cast<sqlite3* const*>(handle.constData());
    if (!db)
        return false;

    const auto failNative = [db]() {
        throw LkError(QString::fromUtf8(sqlite3_errmsg(db)), LkErrorKind::Database);
    };

    // Size the cells once: growing a vector of a few million values costs more than a count.
    sqlite3_stmt* count = nullptr;
    const QByteArray countSql =
        QStringLiteral("SELECT COUNT(*) FROM %1").arg(CourseDatabase::quoted(m_table)).toUtf8();
    if (sqlite3_prepare_v2(db, countSql.constData(), -1, &count, nullptr) != SQLITE_OK)
        failNative();
    const qint64 expected = sqlite3_step(count) == SQLITE_ROW ? sqlite3_column_int64(count, 0) : 0;
    sqlite3_finalize(count);

    sqlite3_stmt* st = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db, utf8.constData(), -1, &st, nullptr) != SQLITE_OK)
        failNative();

    std::vector<QVariant> cells;
    // Leave room for the records this run will add: growing a table of a million records on
    // its first new record would copy all of it.
    const size_t room = std::max<size_t>(1024, size_t(expected) / 8);
    cells.reserve((size_t(expected) + room) * size_t(m_stride));
    adviseHugePages(cells.data(), cells.capacity() * sizeof(QVariant));
    const int fieldCount = int(m_fields.size());
    int rows = 0;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        for (int i = 0; i < fieldCount; ++i) {
            const int type = sqlite3_column_type(st, i);
            if (type == SQLITE_NULL) {
                cells.emplace_back();
                continue;
            }
            const Field& f = m_fields[size_t(i)];
            switch (f.kind) {
            case FieldKind::WideString: {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
                const int bytes = sqlite3_column_bytes(st, i);
                cells.emplace_back(
                    m_pools[size_t(i)].intern(std::string_view(text, size_t(bytes)), rows));
                break;
            }
            case FieldKind::Integer:
            case FieldKind::AutoInc:
                if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
                    cells.emplace_back(qlonglong(sqlite3_column_int64(st, i)));
                    break;
                }
                [[fallthrough]];
            case FieldKind::DateTime:
                if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
                    cells.emplace_back(sqlite3_column_double(st, i));
                    break;
                }
                [[fallthrough]];
            default: {
                QVariant v;
                if (type == SQLITE_INTEGER)
                    v = qlonglong(sqlite3_column_int64(st, i));
                else if (type == SQLITE_FLOAT)
                    v = sqlite3_column_double(st, i);
                else if (type == SQLITE_BLOB)
                    v = QByteArray(static_cast<const char*>(sqlite3_column_blob(st, i)),
                                   sqlite3_column_bytes(st, i));
                else
                    v = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)),
                                          sqlite3_column_bytes(st, i));
                // A value the column's kind cannot hold reads as Null rather than stopping the
                // open.
                try {
                    cells.push_back(toStored(f, v));
                } catch (const LkError&) {
                    cells.emplace_back();
                }
            }
            }
        }
        if (hiddenKey)
            cells.emplace_back(qlonglong(sqlite3_column_int64(st, fieldCount)));
        ++rows;
    }
    if (rc != SQLITE_DONE) {
        sqlite3_finalize(st);
        failNative();
    }
    sqlite3_finalize(st);
    m_cells = std::move(cells);
    m_rows = rows;
    return true;
}

void Dataset::close()
{
    if (!isActive())
        return;
    emit aboutToReset();
    m_buffer.clear();
    m_modified = false;
    m_cells.clear();
    m_rows = 0;
    m_view.clear();
    m_fields.clear();
    m_fieldByName.clear();
    m_insertQueries.clear();
    m_current = -1;
    m_bof = m_eof = true;
    m_state = State::Inactive;
    emit reset();
    emit stateChanged();
    emit currentChanged();
    emit recordChanged();
}

void Dataset::refresh()
{
    requireActive();
    checkBrowseMode();
    const bool hadCurrent = m_current >= 0;
    const qint64 currentKey = hadCurrent ? keyOf(storageRow(m_current)) : 0;
    emit aboutToReset();
    try {
        readTable();
    } catch (...) {
        emit reset();
        throw;
    }
    if (m_filtered) {
        try {
            applyFilter(parsedFilter(m_filterText));
        } catch (...) {
            m_filtered = false;
            m_view.clear();
        }
    }
    m_current = recordCount() > 0 ? 0 : -1;
    if (hadCurrent) {
        for (int row = 0; row < recordCount(); ++row) {
            if (keyOf(storageRow(row)) == currentKey) {
                m_current = row;
                break;
            }
        }
    }
    m_bof = m_current <= 0;
    m_eof = recordCount() == 0;
    emit reset();
    emit currentChanged();
    emit recordChanged();
}

// ---- values --------------------------------------------------------------------------------

int Dataset::recordCount() const
{
    return m_filtered ? int(m_view.size()) : m_rows;
}

int Dataset::storageRow(int viewRow) const
{
    return m_filtered ? m_view[size_t(viewRow)] : viewRow;
}

const QVariant& Dataset::cell(int row, int column) const
{
    return m_cells[size_t(row) * size_t(m_stride) + size_t(column)];
}

qint64 Dataset::keyOf(int row) const
{
    return cell(row, m_keyColumn).toLongLong();
}

QVariant Dataset::toStored(const Field& field, const QVariant& value) const
{
    switch (field.kind) {
    case FieldKind::DateTime: {
        const QVariant days = DateValue::toDays(value);
        if (!days.isValid())
            fail(QStringLiteral("'%1' is not a valid date and time").arg(value.toString()));
        return days;
    }
    case FieldKind::Integer:
    case FieldKind::AutoInc: {
        if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int)
            return value.toLongLong();
        bool ok = false;
        const qlonglong number = value.toString().trimmed().toLongLong(&ok);
        if (!ok)
            fail(QStringLiteral("'%1' is not a valid integer value").arg(value.toString()));
        return number;
    }
    case FieldKind::WideString: {
        QString text = value.toString();
        if (field.size > 0 && text.size() > field.size)
            text.truncate(field.size);
        const auto index = size_t(&field - m_fields.data());
        return index < m_pools.size() ? m_pools[index].intern(text) : text;
    }
    default:
        return value;
    }
}

QVariant Dataset::fromStored(const Field& field, const QVariant& stored) const
{
    if (isNullValue(stored))
        return {};
    if (field.kind == FieldKind::DateTime)
        return DateValue::toDateTime(stored.toDouble());
    return stored;
}

QVariant Dataset::viewValue(int row, int f) const
{
    const Field& fd = m_fields.at(size_t(f));
    if (row == m_current && (m_state == State::Edit || m_state == State::Insert))
        return fromStored(fd, m_buffer[size_t(fd.column)]);
    return fromStored(fd, cell(storageRow(row), fd.column));
}

QVariant Dataset::value(const QString& fieldName) const
{
    return value(field(fieldName));
}

QVariant Dataset::value(int f) const
{
    if (m_current < 0)
        return {};
    return viewValue(m_current, f);
}

void Dataset::setValue(const QString& fieldName, const QVariant& v)
{
    setValue(field(fieldName), v);
}

void Dataset::setValue(int f, const QVariant& v)
{
    const Field& fd = m_fields.at(size_t(f));
    if (m_state != State::Edit && m_state != State::Insert)
        fail(kNotEditing);
    if (fd.kind == FieldKind::AutoInc)
        fail(QStringLiteral("Field '%1' cannot be modified").arg(fd.name));
    m_buffer[size_t(fd.column)] = isNullValue(v) ? QVariant() : toStored(fd, v);
    m_assigned[size_t(f)] = true;
    m_modified = true;
    emit recordChanged();
    emit rowChanged(m_current);
}

// ---- moving --------------------------------------------------------------------------------

void Dataset::checkBrowseMode()
{
    requireActive();
    if (m_state == State::Edit || m_state == State::Insert) {
        if (m_modified)
            post();
        else
            cancel();
    }
}

void Dataset::moveCurrent(int row)
{
    if (row == m_current)
        return;
    m_current = row;
    emit currentChanged();
    emit recordChanged();
}

void Dataset::first()
{
    checkBrowseMode();
    moveCurrent(recordCount() > 0 ? 0 : -1);
    m_bof = true;
    m_eof = recordCount() == 0;
}

void Dataset::next()
{
    checkBrowseMode();
    if (m_current + 1 < recordCount()) {
        moveCurrent(m_current + 1);
        m_bof = false;
        m_eof = false;
    } else {
        m_eof = true;
    }
}

void Dataset::prior()
{
    checkBrowseMode();
    if (m_current > 0) {
        moveCurrent(m_current - 1);
        m_bof = false;
        m_eof = false;
    } else {
        m_bof = true;
    }
}

void Dataset::last()
{
    checkBrowseMode();
    moveCurrent(recordCount() - 1);
    m_eof = true;
    m_bof = recordCount() == 0;
}

void Dataset::moveTo(int row)
{
    checkBrowseMode();
    if (row < 0 || row >= recordCount())
        return;
    moveCurrent(row);
    m_bof = m_eof = false;
}

bool Dataset::locate(const QString& fieldName, const QVariant& wanted)
{
    checkBrowseMode();
    const int f = fieldIndex(fieldName);
    if (f < 0)
        return false; // a failing search counts as not found
    const int column = m_fields[size_t(f)].column;
    const int count = recordCount();
    for (int row = 0; row < count; ++row) {
        if (sameValue(cell(storageRow(row), column), wanted)) {
            moveCurrent(row);
            m_bof = m_eof = false;
            return true;
        }
    }
    return false;
}

// ---- changing ------------------------------------------------------------------------------

void Dataset::edit()
{
    requireActive();
    if (m_state == State::Edit || m_state == State::Insert)
        return;
    if (recordCount() == 0) {
        insert();
        return;
    }
    const int row = storageRow(m_current);
    m_buffer.assign(m_cells.begin() + qsizetype(row) * m_stride,
                    m_cells.begin() + qsizetype(row + 1) * m_stride);
    m_assigned.assign(m_fields.size(), false);
    m_modified = false;
    setState(State::Edit);
}

void Dataset::insert()
{
    checkBrowseMode();
    // The new record goes at the end of the view; it is a stored row only once posted.
    const int row = recordCount();
    emit rowAboutToBeInserted(row);
    m_cells.resize(m_cells.size() + size_t(m_stride));
    if (m_filtered)
        m_view.push_back(m_rows);
    ++m_rows;
    m_buffer.assign(size_t(m_stride), QVariant());
    m_assigned.assign(m_fields.size(), false);
    m_modified = false;
    m_state = State::Insert;
    m_current = row;
    m_bof = m_eof = false;
    emit rowInserted(row);
    emit stateChanged();
    emit currentChanged();
    emit recordChanged();
}

QSqlQuery& Dataset::preparedInsert(const std::vector<int>& fields)
{
    QString signature;
    for (int f : fields)
        signature += QString::number(f) + QLatin1Char(',');
    auto found = m_insertQueries.find(signature);
    if (found != m_insertQueries.end())
        return *found;

    QStringList names;
    QStringList marks;
    for (int f : fields) {
        names.append(CourseDatabase::quoted(m_fields[size_t(f)].name));
        marks.append(m_db->parameterSql(m_fields[size_t(f)].kind));
    }
    const QString sql =
        (fields.empty()
             ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(CourseDatabase::quoted(m_table))
             : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                   .arg(CourseDatabase::quoted(m_table), names.join(QStringLiteral(", ")),
                        marks.join(QStringLiteral(", ")))) +
        m_db->returningSql(m_keyExpression);
    QSqlQuery q(m_db->database());
    if (!q.prepare(sql))
        CourseDatabase::fail(q.lastError());
    return *m_insertQueries.insert(signature, q);
}

void Dataset::post()
{
    requireActive();
    if (m_state == State::Insert) {
        std::vector<int> fields;
        for (size_t f = 0; f < m_fields.size(); ++f) {
            if (m_assigned[f] && m_fields[f].kind != FieldKind::AutoInc)
                fields.push_back(int(f));
        }
        QSqlQuery& q = preparedInsert(fields);
        for (size_t i = 0; i < fields.size(); ++i)
            q.bindValue(int(i), m_buffer[size_t(m_fields[size_t(fields[i])].column)]);
        if (!q.exec())
            CourseDatabase::fail(q.lastError());
        m_buffer[size_t(m_keyColumn)] = CourseDatabase::insertedKey(q, m_db->returnsKeys());
        q.finish();
    } else if (m_state == State::Edit) {
        QStringList sets;
        QVariantList values;
        for (size_t f = 0; f < m_fields.size(); ++f) {
            if (!m_assigned[f])
                continue;
            sets.append(CourseDatabase::quoted(m_fields[f].name) + QStringLiteral(" = ") +
                        m_db->parameterSql(m_fields[f].kind));
            values.append(m_buffer[size_t(m_fields[f].column)]);
        }
        if (!sets.isEmpty()) {
            const int row = storageRow(m_current);
            QSqlQuery q(m_db->database());
            const QString key = CourseDatabase::keySql(m_keyExpression);
            if (!q.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                               .arg(CourseDatabase::quoted(m_table),
                                    sets.join(QStringLiteral(", ")), key)))
                CourseDatabase::fail(q.lastError());
            for (const QVariant& v : values)
                q.addBindValue(v);
            q.addBindValue(keyOf(row));
            if (!q.exec())
                CourseDatabase::fail(q.lastError());
            if (q.numRowsAffected() == 0)
                throw LkError(kRowChanged, LkErrorKind::Database);
        }
    } else {
        return;
    }

    const int row = storageRow(m_current);
    std::move(m_buffer.begin(), m_buffer.end(), m_cells.begin() + qsizetype(row) * m_stride);
    invalidateRowLists();
    m_buffer.clear();
    m_modified = false;
    m_state = State::Browse;
    emit rowChanged(m_current);
    emit stateChanged();
    emit recordChanged();
}

void Dataset::cancel()
{
    if (m_state == State::Insert) {
        const int row = m_current;
        emit rowAboutToBeRemoved(row);
        m_cells.resize(m_cells.size() - size_t(m_stride));
        --m_rows;
        if (m_filtered)
            m_view.pop_back();
        m_state = State::Browse;
        m_buffer.clear();
        m_modified = false;
        m_current = recordCount() > 0 ? std::min(row, recordCount() - 1) : -1;
        m_eof = m_bof = recordCount() == 0;
        emit rowRemoved(row);
        emit stateChanged();
        emit currentChanged();
        emit recordChanged();
    } else if (m_state == State::Edit) {
        m_state = State::Browse;
        m_buffer.clear();
        m_modified = false;
        emit rowChanged(m_current);
        emit stateChanged();
        emit recordChanged();
    }
}

void Dataset::remove()
{
    requireActive();
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    if (recordCount() == 0)
        fail(kEmpty);
    if (m_state == State::Edit)
        cancel();

    const int row = m_current;
    const int stored = storageRow(row);
    QSqlQuery q(m_db->database());
    const QString key = CourseDatabase::keySql(m_keyExpression);
    if (!q.prepare(QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
                       .arg(CourseDatabase::quoted(m_table), key)))
        CourseDatabase::fail(q.lastError());
    q.addBindValue(keyOf(stored));
    if (!q.exec())
        CourseDatabase::fail(q.lastError());

    emit rowAboutToBeRemoved(row);
    removeStorageRows({stored});
    m_current = recordCount() > 0 ? std::min(row, recordCount() - 1) : -1;
    // The end of the view is reached only when no record is left.
    m_eof = m_bof = recordCount() == 0;
    emit rowRemoved(row);
    emit currentChanged();
    emit recordChanged();
}

void Dataset::removeStorageRows(const std::vector<int>& sortedRows)
{
    if (sortedRows.empty())
        return;
    // Compact the stored rows in one pass and renumber the view.
    std::vector<int> newIndex(size_t(m_rows), -1);
    size_t next = 0;
    int kept = 0;
    for (int row = 0; row < m_rows; ++row) {
        if (next < sortedRows.size() && sortedRows[next] == row) {
            ++next;
            continue;
        }
        if (kept != row)
            std::move(m_cells.begin() + qsizetype(row) * m_stride,
                      m_cells.begin() + qsizetype(row + 1) * m_stride,
                      m_cells.begin() + qsizetype(kept) * m_stride);
        newIndex[size_t(row)] = kept++;
    }
    m_cells.resize(size_t(kept) * size_t(m_stride));
    m_rows = kept;
    invalidateRowLists();
    if (m_filtered) {
        std::vector<int> view;
        view.reserve(m_view.size());
        for (int row : m_view) {
            if (newIndex[size_t(row)] >= 0)
                view.push_back(newIndex[size_t(row)]);
        }
        m_view = std::move(view);
    }
}

bool Dataset::removeAllInView(const std::function<bool(qint64, qint64)>& progress)
{
    checkBrowseMode();
    const int count = recordCount();
    if (count == 0)
        return true;

    std::vector<int> rows(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        rows[size_t(i)] = storageRow(i);
    std::sort(rows.begin(), rows.end());
    std::vector<qint64> keys;
    keys.reserve(rows.size());
    for (int row : rows)
        keys.push_back(keyOf(row));
    std::sort(keys.begin(), keys.end());

    // Runs of consecutive keys go in one statement each: the whole journal is one range.
    std::vector<std::pair<qint64, qint64>> ranges;
    for (qint64 k : keys) {
        if (!ranges.empty() && ranges.back().second + 1 == k)
            ranges.back().second = k;
        else
            ranges.emplace_back(k, k);
    }

    QSqlDatabase db = m_db->database();
    if (!db.transaction())
        CourseDatabase::fail(db.lastError());
    const QString key = CourseDatabase::keySql(m_keyExpression);
    QSqlQuery q(db);
    if (!q.prepare(QStringLiteral("DELETE FROM %1 WHERE %2 BETWEEN ? AND ?")
                       .arg(CourseDatabase::quoted(m_table), key))) {
        const QSqlError error = q.lastError();
        db.rollback();
        CourseDatabase::fail(error);
    }
    qint64 done = 0;
    qint64 sinceReport = 0;
    for (const auto& [low, high] : ranges) {
        q.bindValue(0, low);
        q.bindValue(1, high);
        if (!q.exec()) {
            const QSqlError error = q.lastError();
            q.finish();
            db.rollback();
            CourseDatabase::fail(error);
        }
        done += high - low + 1;
        sinceReport += high - low + 1;
        if (progress && sinceReport >= 2000) {
            sinceReport = 0;
            if (!progress(done, qint64(keys.size()))) {
                q.finish();
                db.rollback();
                return false;
            }
        }
    }
    q.finish();
    if (!db.commit()) {
        const QSqlError error = db.lastError();
        db.rollback();
        CourseDatabase::fail(error);
    }
    if (progress)
        progress(qint64(keys.size()), qint64(keys.size()));

    emit aboutToReset();
    removeStorageRows(rows);
    m_current = recordCount() > 0 ? 0 : -1;
    m_bof = true;
    m_eof = recordCount() == 0;
    emit reset();
    emit currentChanged();
    emit recordChanged();
    return true;
}

// ---- filtering -----------------------------------------------------------------------------

void Dataset::applyFilter(const FilterExpression& filter)
{
    struct Test
    {
        int column;
        QVariant value;
        // For a text column whose texts are all pooled, equal texts are one shared copy: the
        // test is then a comparison of data pointers.
        bool byIdentity = false;
        const QChar* data = nullptr;
        qsizetype size = 0;
    };
    std::vector<Test> tests;
    const std::vector<int>* candidates = nullptr; // the rows that can match, when known
    bool nothingMatches = false;
    for (const FilterExpression::Clause& c : filter.clauses()) {
        const int f = field(c.field);
        Test t{m_fields[size_t(f)].column, c.value};
        StringPool& pool = m_pools[size_t(f)];
        if (m_fields[size_t(f)].kind == FieldKind::WideString && pool.isComplete()) {
            const StringPool::Entry* entry = pool.find(c.value.toString());
            if (!entry) {
                nothingMatches = true; // no stored text equals the sought one
            } else {
                if (!pool.rowsValid())
                    pool.rebuildRows(m_cells, size_t(m_stride), size_t(t.column), m_rows);
                t.byIdentity = true;
                t.data = entry->text.constData();
                t.size = entry->text.size();
                if (!candidates || entry->rows.size() < candidates->size())
                    candidates = &entry->rows;
            }
        }
        tests.push_back(std::move(t));
    }

    const auto matches = [&](int row) {
        for (const Test& t : tests) {
            const QVariant& v = cell(row, t.column);
            if (t.byIdentity) {
                if (v.typeId() != QMetaType::QString)
                    return false;
                const QString& s = *static_cast<const QString*>(v.constData());
                if (s.constData() != t.data || s.size() != t.size)
                    return false;
            } else if (!sameValue(v, t.value)) {
                return false;
            }
        }
        return true;
    };

    std::vector<int> view;
    if (nothingMatches) {
    } else if (candidates) {
        for (int row : *candidates) {
            if (matches(row))
                view.push_back(row);
        }
    } else {
        for (int row = 0; row < m_rows; ++row) {
            if (tests.empty() || matches(row))
                view.push_back(row);
        }
    }
    m_view = std::move(view);
}

void Dataset::invalidateRowLists()
{
    for (StringPool& pool : m_pools)
        pool.invalidateRows();
}

FilterExpression Dataset::parsedFilter(const QString& text) const
{
    FilterExpression filter;
    try {
        filter = FilterExpression::parse(text);
    } catch (const LkError& e) {
        fail(e.message());
    }
    for (const FilterExpression::Clause& c : filter.clauses())
        field(c.field);
    return filter;
}

void Dataset::setFilterText(const QString& text)
{
    if (text == m_filterText)
        return;
    if (!m_filtered || !isActive()) {
        m_filterText = text;
        return;
    }
    checkBrowseMode();
    const FilterExpression filter = parsedFilter(text);
    emit aboutToReset();
    applyFilter(filter);
    m_filterText = text;
    m_current = recordCount() > 0 ? 0 : -1;
    m_bof = true;
    m_eof = recordCount() == 0;
    emit reset();
    emit currentChanged();
    emit recordChanged();
}

void Dataset::setFiltered(bool on)
{
    if (on == m_filtered)
        return;
    checkBrowseMode();
    if (on) {
        const FilterExpression filter = parsedFilter(m_filterText);
        emit aboutToReset();
        applyFilter(filter);
        m_filtered = true;
    } else {
        emit aboutToReset();
        m_view.clear();
        m_filtered = false;
    }
    m_current = recordCount() > 0 ? 0 : -1;
    m_bof = true;
    m_eof = recordCount() == 0;
    emit reset();
    emit currentChanged();
    emit recordChanged();
}
