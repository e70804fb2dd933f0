#pragma once

#include <memory>

class Dataset;
class JournalSnapshot;

// Reads the journal view (Tjurnal as currently filtered, in its order) for the report and the
// CSV export.
class JournalView
{
public:
    // The view's values at this moment. Going to the first record first posts a pending edit
    // of the current record (and drops an unmodified one), as a walk over the view does.
    static std::shared_ptr<JournalSnapshot> snapshot(Dataset& jurnal);

    // The report walks the view from its first record to its end, which leaves the current
    // record on the last one; this moves it there.
    static void endWalk(Dataset& jurnal);
};
