#pragma once

#include "JournalRowSource.h"

#include <QString>
#include <QVariant>

// Turns stored journal values into the texts the journal shows: texts as stored, the score as
// a whole number, the date in the user's short date format (the time of day only when the
// value has one). Null, and a value that cannot be read as its kind, shows as nothing.
class JournalText
{
public:
    static QString text(const QVariant& value);
    static QString score(const QVariant& value);
    static QString date(const QVariant& value);

    static JournalRow row(const QVariant& fio, const QVariant& gruppa, const QVariant& urok,
                          const QVariant& ocenka, const QVariant& data);
};
