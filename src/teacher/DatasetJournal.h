#pragma once

#include "JournalRowSource.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <memory>

class Dataset;
class JournalSnapshot;

// The journal view as it is at the moment this is made, read from Tjurnal row by row as the
// report asks for rows, so producing a report of a large view costs nothing up front. The
// first time the dataset is about to change (an edit starts, a record is inserted or deleted,
// the filter changes, the table is read again or closed) the rows are copied, so a report
// keeps printing the view of its moment.
class DatasetJournal : public QObject, public JournalRowSource
{
    Q_OBJECT
public:
    explicit DatasetJournal(Dataset& jurnal);
    ~DatasetJournal() override;

    int count() const override { return m_count; }
    JournalRow row(int index) const override;

    // True once the rows have been copied away from the dataset.
    bool isDetached() const { return m_copy != nullptr; }

private:
    void detach();

    QPointer<Dataset> m_jurnal;
    std::array<int, 5> m_fields{};
    int m_count = 0;
    std::shared_ptr<JournalSnapshot> m_copy;
};
