#include "JournalView.h"

#include "JournalSnapshot.h"

#include "store/Dataset.h"

#include <QStringList>

void JournalView::startWalk(Dataset& jurnal)
{
    jurnal.first();
}

std::shared_ptr<JournalSnapshot> JournalView::snapshot(Dataset& jurnal)
{
    static const QStringList names = {QStringLiteral("fio"), QStringLiteral("gruppa"),
                                      QStringLiteral("urok"), QStringLiteral("ocenka"),
                                      QStringLiteral("data")};
    int fields[5];
    for (int i = 0; i < 5; ++i)
        fields[i] = jurnal.field(names.at(i));

    auto result = std::make_shared<JournalSnapshot>();
    const int count = jurnal.recordCount();
    result->reserve(count);
    for (int row = 0; row < count; ++row) {
        result->append({jurnal.viewValue(row, fields[0]), jurnal.viewValue(row, fields[1]),
                        jurnal.viewValue(row, fields[2]), jurnal.viewValue(row, fields[3]),
                        jurnal.viewValue(row, fields[4])});
    }
    return result;
}

void JournalView::endWalk(Dataset& jurnal)
{
    jurnal.last();
}
