#include "LkError.h"

LkError::LkError(QString message, QString kind)
    : m_message(std::move(message)), m_kind(std::move(kind)), m_utf8(m_message.toUtf8())
{}

QString LkError::boxText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}
