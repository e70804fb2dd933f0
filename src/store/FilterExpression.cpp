#include "FilterExpression.h"

#include "LkError.h"

namespace {
class Parser
{
public:
    explicit Parser(const QString& text) : m_text(text) {}

    QList<FilterExpression::Clause> run()
    {
        QList<FilterExpression::Clause> clauses;
        skipBlanks();
        if (atEnd())
            return clauses;
        clauses.append(clause());
        while (true) {
            const qsizetype before = m_pos;
            skipBlanks();
            if (atEnd())
                break;
            if (m_pos == before || !keyword(QStringLiteral("and")))
                error(QStringLiteral("\"and\" expected"));
            if (atEnd() || !m_text.at(m_pos).isSpace())
                error(QStringLiteral("blank expected after \"and\""));
            skipBlanks();
            clauses.append(clause());
        }
        return clauses;
    }

private:
    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek() const { return atEnd() ? QChar() : m_text.at(m_pos); }

    void skipBlanks()
    {
        while (!atEnd() && m_text.at(m_pos).isSpace())
            ++m_pos;
    }

    [[noreturn]] void error(const QString& what) const
    {
        throw LkError(
            QStringLiteral("Invalid filter expression at position %1: %2").arg(m_pos + 1).arg(what),
            LkErrorKind::Database);
    }

    bool keyword(const QString& word)
    {
        if (m_text.mid(m_pos, word.size()).compare(word, Qt::CaseInsensitive) != 0)
            return false;
        m_pos += word.size();
        return true;
    }

    FilterExpression::Clause clause()
    {
        FilterExpression::Clause c;
        c.field = identifier();
        skipBlanks();
        if (peek() != QLatin1Char('='))
            error(QStringLiteral("\"=\" expected"));
        ++m_pos;
        skipBlanks();
        if (peek() == QLatin1Char('\'')) {
            c.value = quotedText();
            c.isText = true;
        } else {
            c.value = number();
            c.isText = false;
        }
        return c;
    }

    QString identifier()
    {
        if (peek() == QLatin1Char('[')) {
            const qsizetype close = m_text.indexOf(QLatin1Char(']'), m_pos + 1);
            if (close < 0)
                error(QStringLiteral("\"]\" expected"));
            const QString name = m_text.mid(m_pos + 1, close - m_pos - 1);
            m_pos = close + 1;
            if (name.isEmpty())
                error(QStringLiteral("field name expected"));
            return name;
        }
        const qsizetype start = m_pos;
        while (!atEnd() && (peek().isLetterOrNumber() || peek() == QLatin1Char('_')))
            ++m_pos;
        if (m_pos == start)
            error(QStringLiteral("field name expected"));
        return m_text.mid(start, m_pos - start);
    }

    QString quotedText()
    {
        ++m_pos; // opening apostrophe
        QString value;
        while (true) {
            if (atEnd())
                error(QStringLiteral("unterminated text"));
            const QChar c = m_text.at(m_pos++);
            if (c == QLatin1Char('\'')) {
                if (peek() == QLatin1Char('\'')) {
                    value += c;
                    ++m_pos;
                    continue;
                }
                return value;
            }
            value += c;
        }
    }

    QVariant number()
    {
        const qsizetype start = m_pos;
        if (peek() == QLatin1Char('-') || peek() == QLatin1Char('+'))
            ++m_pos;
        while (!atEnd() && (peek().isDigit() || peek() == QLatin1Char('.')))
            ++m_pos;
        const QString token = m_text.mid(start, m_pos - start);
        bool ok = false;
        const qlonglong whole = token.toLongLong(&ok);
        if (ok)
            return whole;
        const double real = token.toDouble(&ok);
        if (ok)
            return real;
        m_pos = start;
        error(QStringLiteral("quoted text or number expected"));
    }

    const QString& m_text;
    qsizetype m_pos = 0;
};
} // namespace

FilterExpression FilterExpression::parse(const QString& text)
{
    FilterExpression expression;
    expression.m_clauses = Parser(text).run();
    return expression;
}

QString FilterExpression::quote(const QString& text)
{
    QString doubled = text;
    doubled.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}
