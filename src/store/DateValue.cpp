#include "DateValue.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace {
const qint64 kEpochJulianDay = QDate(1899, 12, 30).toJulianDay();
constexpr qint64 kMsPerDay = 24LL * 60 * 60 * 1000;
} // namespace

double DateValue::fromDateTime(const QDateTime& dateTime)
{
    const qint64 day = dateTime.date().toJulianDay() - kEpochJulianDay;
    const qint64 ms = dateTime.time().msecsSinceStartOfDay();
    return double(day) + double(ms) / double(kMsPerDay);
}

QDateTime DateValue::toDateTime(double days)
{
    const double whole = std::floor(days);
    const qint64 ms = qint64(std::llround((days - whole) * double(kMsPerDay)));
    QDate date = QDate::fromJulianDay(kEpochJulianDay + qint64(whole));
    if (ms >= kMsPerDay)
        return QDateTime(date.addDays(1), QTime(0, 0));
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(ms)));
}

QDateTime DateValue::today()
{
    return QDateTime(QDate::currentDate(), QTime(0, 0));
}

QVariant DateValue::toDays(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return fromDateTime(value.toDateTime());
    case QMetaType::QDate:
        return fromDateTime(QDateTime(value.toDate(), QTime(0, 0)));
    default:
        break;
    }
    bool ok = false;
    const double days = value.toDouble(&ok);
    if (ok)
        return days;
    const QDateTime parsed = QDateTime::fromString(value.toString(), Qt::ISODate);
    if (parsed.isValid())
        return fromDateTime(parsed);
    return {};
}

QString DateValue::display(const QDateTime& dateTime)
{
    const QLocale locale = QLocale::system();
    QString text = locale.toString(dateTime.date(), QLocale::ShortFormat);
    if (dateTime.time() != QTime(0, 0))
        text += QLatin1Char(' ') + longTime(dateTime.time());
    return text;
}

QString DateValue::longTimeFormat()
{
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b\\s*"));
    format.replace(zone, QStringLiteral(" "));
    return format.trimmed();
}

QString DateValue::shortDate(const QDate& date)
{
    return QLocale::system().toString(date, QLocale::ShortFormat);
}

QString DateValue::longTime(const QTime& time)
{
    return QLocale::system().toString(time, longTimeFormat());
}
