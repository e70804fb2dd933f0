#pragma once

#include <QList>
#include <QString>
#include <QVariant>

// The filter language of the datasets: clauses `field = 'text'` or `field = number`, joined by
// " and ". Within quotes two apostrophes stand for one. Field names are matched without regard
// to letter case by the dataset.
class FilterExpression
{
public:
    struct Clause
    {
        QString field;
        QVariant value; // QString for quoted text, qlonglong or double for a number
        bool isText = true;
    };

    // Throws LkError ("Invalid filter expression …") on text that does not parse.
    static FilterExpression parse(const QString& text);
    // 'text' with every apostrophe doubled, so no typed text can change an expression.
    static QString quote(const QString& text);

    const QList<Clause>& clauses() const { return m_clauses; }
    bool isEmpty() const { return m_clauses.isEmpty(); }

private:
    QList<Clause> m_clauses;
};
