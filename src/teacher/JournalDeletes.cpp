#include "JournalDeletes.h"

#include "JournalFilter.h"

#include "store/Dataset.h"

bool JournalDeletes::removeUngraded(Dataset& jurnal, bool checked, const Progress& progress)
{
    const QString nameAndGroup = jurnal.filterText();
    const auto restore = [&] {
        if (checked) {
            jurnal.setFilterText(nameAndGroup);
            jurnal.setFiltered(true);
        } else {
            jurnal.setFiltered(false);
            jurnal.setFilterText(nameAndGroup);
        }
    };

    bool done = false;
    try {
        jurnal.setFilterText(JournalFilter::ungraded(checked, nameAndGroup));
        jurnal.setFiltered(true);
        done = jurnal.removeAllInView(progress);
    } catch (...) {
        try {
            restore();
        } catch (...) {
            // The first error is the one to report.
        }
        throw;
    }
    restore();
    return done;
}

bool JournalDeletes::removeAll(Dataset& jurnal, const Progress& progress)
{
    return jurnal.removeAllInView(progress);
}
