#include "JournalCsv.h"

#include "JournalRowSource.h"

#include <QIODevice>

JournalCsv::JournalCsv(const JournalRowSource& rows, QIODevice* device)
    : m_rows(rows), m_device(device)
{}

int JournalCsv::total() const
{
    return m_rows.count();
}

bool JournalCsv::atEnd() const
{
    return m_started && m_next >= m_rows.count();
}

QString JournalCsv::field(const QString& text, bool guardFormula)
{
    QString value = text;
    if (guardFormula && !value.isEmpty()) {
        const QChar first = value.front();
        if (first == QLatin1Char('=') || first == QLatin1Char('+') || first == QLatin1Char('-') ||
            first == QLatin1Char('@') || first == QLatin1Char('\t') || first == QLatin1Char('\r'))
            value.prepend(QLatin1Char('\''));
    }
    const bool quote = value.contains(QLatin1Char(Separator)) || value.contains(QLatin1Char('"')) ||
                       value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')) ||
                       (!value.isEmpty() && (value.front().isSpace() || value.back().isSpace()));
    if (!quote)
        return value;
    value.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + value + QLatin1Char('"');
}

QByteArray JournalCsv::header()
{
    const QChar sep = QLatin1Char(Separator);
    const QString text = QStringLiteral("ФИО  учащихся") + sep + QStringLiteral("Учебная группа") +
                         sep + QStringLiteral("Тема занятия") + sep + QStringLiteral("Баллы") +
                         sep + QStringLiteral("Дата занятия") + QStringLiteral("\r\n");
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QByteArray JournalCsv::line(const JournalRow& row)
{
    const QChar sep = QLatin1Char(Separator);
    const QString text = field(row.fio, true) + sep + field(row.gruppa, true) + sep +
                         field(row.urok, true) + sep + field(row.ocenka, false) + sep +
                         field(row.data, false) + QStringLiteral("\r\n");
    return text.toUtf8();
}

bool JournalCsv::put(const QByteArray& bytes)
{
    if (m_device->write(bytes) == bytes.size())
        return true;
    m_error = m_device->errorString();
    return false;
}

bool JournalCsv::writeSome(int maxRows)
{
    if (!m_error.isEmpty())
        return false;
    if (!m_started) {
        m_started = true;
        if (!put(header()))
            return false;
    }
    QByteArray chunk;
    const int end = std::min(m_rows.count(), m_next + maxRows);
    for (; m_next < end; ++m_next)
        chunk += line(m_rows.row(m_next));
    if (!chunk.isEmpty() && !put(chunk))
        return false;
    return m_next < m_rows.count();
}
