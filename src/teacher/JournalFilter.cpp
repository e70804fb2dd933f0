#include "JournalFilter.h"

#include "store/FilterExpression.h"

QString JournalFilter::compose(const QString& name, const QString& group)
{
    QString text;
    if (!name.isEmpty())
        text = QStringLiteral("fio=") + FilterExpression::quote(name);
    if (!group.isEmpty()) {
        if (!text.isEmpty())
            text += QStringLiteral(" and ");
        text += QStringLiteral("gruppa=") + FilterExpression::quote(group);
    }
    return text;
}

QString JournalFilter::ungraded(bool checked, const QString& currentFilter)
{
    QString text;
    if (checked && !currentFilter.isEmpty())
        text = currentFilter + QStringLiteral(" and ");
    return text + QStringLiteral("ocenka=0");
}
