#pragma once

#include <QString>
#include <QVariant>

#include <array>
#include <cstdint>

// Option code of an answer: 0 when no answer is known, 1 to 5 for A to E.
using OptionCode = std::uint8_t;

// The answer key of a test folder: reads otwet.txt (line k holds the answer of question k as
// the alphabetically last Latin capital A to E anywhere in the line) and forms the paths of the
// question pages. The key is emptied at every reading, so a line without a letter never keeps
// an answer left by another test.
class AnswerKey
{
public:
    // Lines beyond this many are ignored: a key is a pool of at most this many questions.
    static constexpr int MaxQuestions = 1000;

    // Reads the key of the test whose file is named by testValue (a path relative to the course
    // root, e.g. "tests\t1\q.htm"; may be a Null QVariant). Throws LkError: Null gives the
    // variant-cast error and changes nothing; a failed open sets the folder prefix only.
    void read(const QString& courseRoot, const QVariant& testValue);

    // The number of lines of the key read last (at most MaxQuestions).
    int questionCount() const { return m_count; }
    // "\" + the folder part of the test value read last, e.g. "\tests\t1\".
    const QString& folderPrefix() const { return m_prefix; }
    // Answer of question n (1-based); 0 outside 1..MaxQuestions.
    OptionCode answer(int n) const;

    // The logical key path: course root + folder prefix + "\otwet.txt".
    static QString keyPath(const QString& courseRoot, const QString& folderPrefix);
    // The logical page path of question n: course root + folder prefix + n + ".htm".
    QString pagePath(const QString& courseRoot, int n) const;
    // The folder prefix a test value gives: "\" + the value up to and including its last
    // separator ("\", "/" or ":"), or "\" alone for a bare file name.
    static QString folderPrefixOf(const QString& testValue);

private:
    std::array<OptionCode, MaxQuestions + 1> m_key{}; // index 0 unused
    int m_count = 0;
    QString m_prefix;
};
