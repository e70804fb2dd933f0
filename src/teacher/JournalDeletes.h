#pragma once

#include <QtGlobal>

#include <functional>

class Dataset;

// The journal browser's two bulk deletes. Each deletes the records of its view in one
// transaction: all of them, or, on an error or when the progress callback cancels, none.
// Neither asks for confirmation.
class JournalDeletes
{
public:
    // Called between chunks with the records done and the total; false cancels.
    using Progress = std::function<bool(qint64 done, qint64 total)>;

    // "Удалить записи без оценок": the score-0 records of the name/group view when `checked`
    // (the filter check box), of the whole journal when not. Afterwards, also after an error or
    // a cancel, filtering is back to what the check box shows, so the grid and a following
    // "Удалить все записи" act on the records the teacher sees. False when cancelled.
    static bool removeUngraded(Dataset& jurnal, bool checked, const Progress& progress = {});

    // "Удалить все записи": every record of the journal view (the whole journal when filtering
    // is off). False when cancelled.
    static bool removeAll(Dataset& jurnal, const Progress& progress = {});
};
