#include "JournalSnapshot.h"

#include "JournalText.h"

JournalRow JournalSnapshot::row(int index) const
{
    const Values& v = m_rows.at(index);
    return JournalText::row(v[0], v[1], v[2], v[3], v[4]);
}
