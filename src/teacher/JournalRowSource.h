#pragma once

#include <QString>

// The five texts one journal record shows in the report, the grid and the CSV export,
// in column order.
struct JournalRow
{
    QString fio;
    QString gruppa;
    QString urok;
    QString ocenka;
    QString data;
};

// The journal view as the report reads it: a row count and the display texts of any row.
// The report asks only for the rows of the pages it paints, so a source must answer
// row(i) without walking the rows before it.
class JournalRowSource
{
public:
    virtual ~JournalRowSource() = default;
    virtual int count() const = 0;
    virtual JournalRow row(int index) const = 0;
};
