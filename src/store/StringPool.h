#pragma once

#include <QString>
#include <QVariant>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Keeps one shared copy of each distinct text of a column, with the rows that hold it. Journal
// columns repeat the same names, groups and topics over and over: sharing them makes opening a
// large table fast and small, and the row lists let a filter go straight to the matching rows.
class StringPool
{
public:
    // Beyond this many distinct texts the column is left alone (its values are not repetitive).
    static constexpr size_t kMaxDistinct = 200000;

    struct Entry
    {
        QString text;
        std::vector<int> rows; // ascending stored rows holding the text (while rowsValid())
    };

    // The shared copy of a text; with `row` >= 0 the row is noted as holding it.
    QString intern(std::string_view utf8, int row = -1);
    QString intern(const QString& text);
    // The entry of `text`, or null when the pool has never seen it.
    const Entry* find(const QString& text) const;
    // True while every text of the column went through the pool, so that two equal texts of
    // the column are the same shared copy.
    bool isComplete() const { return m_complete; }

    bool rowsValid() const { return m_rowsValid; }
    // The stored rows changed: the row lists are rebuilt when next needed.
    void invalidateRows() { m_rowsValid = false; }
    // Rebuilds the row lists from a column of cells (`stride` cells a row, text at `column`).
    void rebuildRows(const std::vector<QVariant>& cells, size_t stride, size_t column, int rows);
    void clear();

private:
    struct Hash
    {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };

    std::unordered_map<std::string, Entry, Hash, std::equal_to<>> m_texts;
    bool m_complete = true;
    bool m_rowsValid = true;
};
