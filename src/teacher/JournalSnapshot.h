#pragma once

#include "JournalRowSource.h"

#include <QList>
#include <QVariant>

#include <array>

// The stored values of the journal view, copied at one moment, in view order. The display
// texts are made only for the rows that are asked for, so a large view is copied quickly and
// a report keeps printing what the view held when it was produced.
class JournalSnapshot : public JournalRowSource
{
public:
    // fio, gruppa, urok, ocenka, data: the order of the report's and the grid's columns.
    using Values = std::array<QVariant, 5>;

    void reserve(int rows) { m_rows.reserve(rows); }
    void append(const Values& values) { m_rows.append(values); }
    void append(const QVariant& fio, const QVariant& gruppa, const QVariant& urok,
                const QVariant& ocenka, const QVariant& data)
    {
        m_rows.append(Values{fio, gruppa, urok, ocenka, data});
    }

    int count() const override { return int(m_rows.size()); }
    JournalRow row(int index) const override;

private:
    QList<Values> m_rows;
};
