#include "DatasetJournal.h"

#include "JournalSnapshot.h"
#include "JournalText.h"
#include "JournalView.h"

#include "store/Dataset.h"

DatasetJournal::DatasetJournal(Dataset& jurnal) : m_jurnal(&jurnal), m_count(jurnal.recordCount())
{
    const char* names[] = {"fio", "gruppa", "urok", "ocenka", "data"};
    for (size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i] = jurnal.field(QString::fromLatin1(names[i]));

    // Each is sent before the view's rows or values change (an edit starts with the record's
    // values still unchanged).
    const auto copyFirst = [this] { detach(); };
    connect(&jurnal, &Dataset::aboutToReset, this, copyFirst);
    connect(&jurnal, &Dataset::rowAboutToBeInserted, this, copyFirst);
    connect(&jurnal, &Dataset::rowAboutToBeRemoved, this, copyFirst);
    connect(&jurnal, &Dataset::stateChanged, this, copyFirst);
    connect(&jurnal, &Dataset::rowChanged, this, copyFirst);
}

DatasetJournal::~DatasetJournal() = default;

void DatasetJournal::detach()
{
    if (m_copy || !m_jurnal)
        return;
    m_copy = JournalView::snapshot(*m_jurnal);
    m_jurnal->disconnect(this);
    // A view read while a record was being inserted may be one longer; keep the count.
}

JournalRow DatasetJournal::row(int index) const
{
    if (m_copy)
        return index < m_copy->count() ? m_copy->row(index) : JournalRow{};
    if (!m_jurnal || index >= m_jurnal->recordCount())
        return {};
    const Dataset& d = *m_jurnal;
    return JournalText::row(d.viewValue(index, m_fields[0]), d.viewValue(index, m_fields[1]),
                            d.viewValue(index, m_fields[2]), d.viewValue(index, m_fields[3]),
                            d.viewValue(index, m_fields[4]));
}
