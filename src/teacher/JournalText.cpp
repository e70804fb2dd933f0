#include "JournalText.h"

#include "store/DateValue.h"

#include <QDateTime>

#include <cmath>

QString JournalText::text(const QVariant& value)
{
    if (value.isNull() || !value.canConvert<QString>())
        return {};
    return value.toString();
}

QString JournalText::score(const QVariant& value)
{
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return QString::number(value.toLongLong());
    default:
        break;
    }
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return {};
    return QString::number(std::llround(number));
}

QString JournalText::date(const QVariant& value)
{
    if (value.isNull())
        return {};
    QDateTime stamp;
    switch (value.typeId()) {
    case QMetaType::QDate:
        stamp = QDateTime(value.toDate(), QTime(0, 0));
        break;
    case QMetaType::QDateTime:
        stamp = value.toDateTime();
        break;
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        stamp = QDateTime::fromString(text, Qt::ISODateWithMs);
        if (!stamp.isValid())
            stamp = QDateTime(QDate::fromString(text, Qt::ISODate), QTime(0, 0));
        break;
    }
    default:
        break;
    }
    if (!stamp.isValid())
        return {};
    // The grid's own date text, so the report and the export show what the grid shows.
    return DateValue::display(stamp);
}

JournalRow JournalText::row(const QVariant& fio, const QVariant& gruppa, const QVariant& urok,
                            const QVariant& ocenka, const QVariant& data)
{
    return {text(fio), text(gruppa), text(urok), score(ocenka), date(data)};
}
