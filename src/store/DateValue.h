#pragma once

#include <QDateTime>
#include <QVariant>

// Dates are kept as the number of days since 1899-12-30, the fraction being the time of day,
// the way course databases have always stored them. A date at midnight thus has no time of day.
namespace DateValue {
double fromDateTime(const QDateTime& dateTime);
QDateTime toDateTime(double days);
// Today's date at 00:00, the value journal records carry.
QDateTime today();
// Accepts a QDateTime, a QDate or a number of days; Null stays Null.
QVariant toDays(const QVariant& value);
// The text a grid or report shows: the short date, and the time only when there is one.
QString display(const QDateTime& dateTime);
} // namespace DateValue
