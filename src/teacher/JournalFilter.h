#pragma once

#include <QString>

// The filter texts of the journal browser, in the datasets' filter language. Typed texts go
// in as they are, nothing trimmed; every apostrophe is doubled inside the quoted value, so no
// typed name or group (O'Brien, Мар'яна) can end the value early or change the expression.
namespace JournalFilter {
// The student and group filter, one of four forms: "", "fio='name'", "gruppa='group'",
// "fio='name' and gruppa='group'".
QString compose(const QString& name, const QString& group);
// The view of "Удалить записи без оценок": the score-0 records, within the current filter
// when the filter check box is checked, else within the whole journal.
QString ungraded(bool checked, const QString& currentFilter);
} // namespace JournalFilter
