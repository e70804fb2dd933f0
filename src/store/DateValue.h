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
// The user's long time format without the time zone that the locale data of some systems
// append; the clocks and the journal show times in it.
QString longTimeFormat();
// Today's date in the user's short date format and the time in the long time format, as the
// status bar clocks show them.
QString shortDate(const QDate& date);
QString longTime(const QTime& time);
} // namespace DateValue
