#pragma once

#include <QByteArray>
#include <QString>

class JournalRowSource;
struct JournalRow;
class QIODevice;

// Writes the journal view as CSV for spreadsheet programs: UTF-8 with a byte-order mark (so
// Cyrillic opens correctly), CR LF line ends, a header row with the grid's column titles and
// the same five columns as the grid. Fields are separated by semicolons: spreadsheets set up
// for Russian use the comma as the decimal sign and the semicolon as the list separator, and
// open such a file straight into columns.
// Rows are written a chunk at a time so that a caller can show progress and cancel.
class JournalCsv
{
public:
    static constexpr char Separator = ';';

    JournalCsv(const JournalRowSource& rows, QIODevice* device);

    // Writes the header (first call) and up to maxRows rows; returns true while rows remain.
    // On a write error, returns false and error() is set.
    bool writeSome(int maxRows);

    int total() const;
    int written() const { return m_next; }
    bool atEnd() const;
    QString error() const { return m_error; }

    static QByteArray header();
    static QByteArray line(const JournalRow& row);
    // One field, quoted when needed. Texts that a spreadsheet would take for a formula get a
    // leading apostrophe, so a typed student name can never run as a formula.
    static QString field(const QString& text, bool guardFormula);

private:
    bool put(const QByteArray& bytes);

    const JournalRowSource& m_rows;
    QIODevice* m_device;
    bool m_started = false;
    int m_next = 0;
    QString m_error;
};
