#pragma once

#include <memory>

class Dataset;
class JournalSnapshot;

// Reads the journal view (Tjurnal as currently filtered, in its order) for the report and the
// CSV export.
class JournalView
{
public:
    // The view's values at this moment, as the grid shows them (a pending edit included).
    // The current record does not move.
    static std::shared_ptr<JournalSnapshot> snapshot(Dataset& jurnal);

    // The report walks the view from its first record to its end. Going to the first record
    // posts a pending edit of the current record (and drops an unmodified one); the walk
    // leaves the current record on the last one.
    static void startWalk(Dataset& jurnal);
    static void endWalk(Dataset& jurnal);
};
