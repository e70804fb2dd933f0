#include "store/CoursePath.h"
#include "store/LkError.h"
#include "testing/AnswerKey.h"
#include "testing/InOutError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

Q_DECLARE_METATYPE(std::vector<int>)

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray lines(std::initializer_list<const char*> texts)
{
    QByteArray out;
    for (const char* text : texts)
        out += QByteArray(text) + "\r\n";
    return out;
}

} // namespace

class TestAnswerKey : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString root() const { return m_dir.path(); }
    const QString testValue = QStringLiteral("tests\\t1\\q.htm");
    QString keyFile() const { return root() + QStringLiteral("/tests/t1/otwet.txt"); }

    void expectError(AnswerKey& key, const QVariant& value, const QString& message,
                     const QString& kind)
    {
        try {
            key.read(root(), value);
            QFAIL("no error");
        } catch (const LkError& error) {
            QCOMPARE(error.message(), message);
            QCOMPARE(error.kind(), kind);
        }
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void lineRules_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("count");
        QTest::addColumn<std::vector<int>>("codes");

        QTest::newRow("empty file") << QByteArray() << 0 << std::vector<int>{};
        QTest::newRow("one line end") << QByteArray("\n") << 1 << std::vector<int>{0};
        QTest::newRow("one CR LF") << QByteArray("\r\n") << 1 << std::vector<int>{0};
        QTest::newRow("three lines, no final end")
            << QByteArray("A\nB\nC") << 3 << std::vector<int>{1, 2, 3};
        QTest::newRow("three lines, final LF")
            << QByteArray("A\nB\nC\n") << 3 << std::vector<int>{1, 2, 3};
        QTest::newRow("three lines, CR LF")
            << QByteArray("D\r\nE\r\nA\r\n") << 3 << std::vector<int>{4, 5, 1};
        QTest::newRow("CR only is one line") << QByteArray("A\rC\rB\r") << 1 << std::vector<int>{3};
        QTest::newRow("lone CR dropped inside a line")
            << QByteArray("A\rB\nC") << 2 << std::vector<int>{2, 3};
        QTest::newRow("Ctrl-Z at a line start ends the file") << QByteArray("A\nB\n\x1A"
                                                                            "C\nD\n")
                                                              << 2 << std::vector<int>{1, 2, 0, 0};
        QTest::newRow("Ctrl-Z after the last line end is no line")
            << QByteArray("A\nB\n\x1A") << 2 << std::vector<int>{1, 2, 0};
        QTest::newRow("Ctrl-Z as first byte") << QByteArray("\x1A"
                                                            "A\n")
                                              << 0 << std::vector<int>{0};
        QTest::newRow("Ctrl-Z inside a line ends its text") << QByteArray("A\x1A"
                                                                          "E\nB")
                                                            << 2 << std::vector<int>{1, 2};
        QTest::newRow("Ctrl-Z inside a line, rest skipped to CR LF") << QByteArray("A\x1A"
                                                                                   "E\r\x1A"
                                                                                   "D\r\nB\r\n")
                                                                     << 2 << std::vector<int>{1, 2};
        QTest::newRow("lone CR then Ctrl-Z inside a line") << QByteArray("A\r\x1A"
                                                                         "E\nC")
                                                           << 2 << std::vector<int>{1, 3};
        QTest::newRow("line texts")
            << lines({"A", "3) C", "Answer B", "Correct: a", "E or D", "", "no capitals here"}) << 7
            << std::vector<int>{1, 3, 2, 3, 5, 0, 0};
        QTest::newRow("lower-case key gives no codes")
            << QByteArray("a\nb\nc\nd\ne\n") << 5 << std::vector<int>{0, 0, 0, 0, 0};
        // А, В, С, Е in Windows-1251 look like Latin capitals but are free text.
        QTest::newRow("Cyrillic capitals are free text")
            << QByteArray("\xC0\n\xC2\n\xD1\n\xC5") << 4 << std::vector<int>{0, 0, 0, 0};
        QTest::newRow("very long line")
            << QByteArray(200000, 'x') + "D" + QByteArray(100000, 'y') + "\nA" << 2
            << std::vector<int>{4, 1};
        // The CR of the CR LF is the last byte of one read, its LF the first of the next.
        QTest::newRow("CR LF across a read boundary")
            << QByteArray(65535, 'x') + "\r\nB" << 2 << std::vector<int>{0, 2};
    }
    void lineRules()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, count);
        QFETCH(std::vector<int>, codes);

        writeFile(keyFile(), content);
        AnswerKey key;
        key.read(root(), testValue);
        QCOMPARE(key.questionCount(), count);
        for (std::size_t i = 0; i < codes.size(); ++i)
            QCOMPARE(int(key.answer(int(i) + 1)), codes[i]);
    }

    // Every reading starts from an empty key: a line without a letter never keeps the answer
    // an earlier test gave to the same line number.
    void keyEmptiedAtEveryReading()
    {
        writeFile(root() + "/x/otwet.txt", "A\nB\nC\nD\nB\nE\n");
        writeFile(root() + "/y/otwet.txt", "E\nE\n\n");
        AnswerKey key;
        key.read(root(), "x\\q.htm");
        QCOMPARE(key.answer(5), OptionCode(2));
        QCOMPARE(key.answer(6), OptionCode(5));
        key.read(root(), "y\\q.htm");
        QCOMPARE(key.questionCount(), 3);
        QCOMPARE(key.answer(1), OptionCode(5));
        QCOMPARE(key.answer(3), OptionCode(0));
        QCOMPARE(key.answer(5), OptionCode(0));
        QCOMPARE(key.answer(6), OptionCode(0));
    }

    void poolIsCutAtThousandLines()
    {
        QByteArray content;
        for (int i = 1; i <= 1005; ++i)
            content += i > 998 ? "E\n" : "A\n";
        writeFile(keyFile(), content);
        AnswerKey key;
        key.read(root(), testValue);
        QCOMPARE(key.questionCount(), AnswerKey::MaxQuestions);
        QCOMPARE(key.answer(1), OptionCode(1));
        QCOMPARE(key.answer(1000), OptionCode(5));
        QCOMPARE(key.answer(1001), OptionCode(0));
        QCOMPARE(key.answer(0), OptionCode(0));
    }

    void paths_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("keyFolder"); // where otwet.txt lies, relative to the root

        QTest::newRow("backslashes") << "tests\\t1\\q.htm"
                                     << "\\tests\\t1\\"
                                     << "tests/t1";
        QTest::newRow("bare file name is the course root") << "q.htm"
                                                           << "\\"
                                                           << "";
        QTest::newRow("other letter case") << "TESTS\\T1\\Otwet.TXT"
                                           << "\\TESTS\\T1\\"
                                           << "tests/t1";
        QTest::newRow("forward slashes") << "tests/t1/q.htm"
                                         << "\\tests/t1/"
                                         << "tests/t1";
        QTest::newRow("mixed, Cyrillic folder") << "тесты/Тема 2\\1.htm"
                                                << "\\тесты/Тема 2\\"
                                                << "тесты/тема 2";
    }
    void paths()
    {
        QFETCH(QString, value);
        QFETCH(QString, prefix);
        QFETCH(QString, keyFolder);

        QTemporaryDir dir;
        const QString folder = keyFolder.isEmpty() ? dir.path() : dir.path() + "/" + keyFolder;
        writeFile(folder + "/otwet.txt", "C\nD\n");
        writeFile(folder + "/12.htm", "<html></html>");

        AnswerKey key;
        key.read(dir.path(), value);
        QCOMPARE(key.folderPrefix(), prefix);
        QCOMPARE(key.questionCount(), 2);
        QCOMPARE(key.answer(2), OptionCode(4));
        QCOMPARE(AnswerKey::keyPath(dir.path(), prefix), dir.path() + prefix + "\\otwet.txt");
        QCOMPARE(key.pagePath(dir.path(), 12), dir.path() + prefix + "12.htm");
        QCOMPARE(CoursePath::toLocal(key.pagePath(dir.path(), 12)), folder + "/12.htm");
    }

    void nullValueChangesNothing()
    {
        writeFile(keyFile(), "B\nC\n");
        AnswerKey key;
        key.read(root(), testValue);
        expectError(key, QVariant(), "Could not convert variant of type (Null) into type (String)",
                    LkErrorKind::VariantCast);
        expectError(key, QVariant(QMetaType::fromType<QString>()),
                    "Could not convert variant of type (Null) into type (String)",
                    LkErrorKind::VariantCast);
        QCOMPARE(key.folderPrefix(), QStringLiteral("\\tests\\t1\\"));
        QCOMPARE(key.questionCount(), 2);
        QCOMPARE(key.answer(2), OptionCode(3));
        QCOMPARE(LkError::boxText("Could not convert variant of type (Null) into type (String)"),
                 "Could not convert variant of type (Null) into type (String)");
    }

    void openFailures_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("prefix");

        QTest::newRow("missing folder") << "nofolder\\q.htm"
                                        << "Invalid filename"
                                        << "\\nofolder\\";
        QTest::newRow("missing otwet.txt") << "empty\\q.htm"
                                           << "File not found"
                                           << "\\empty\\";
        QTest::newRow("otwet.txt is a folder") << "folderkey\\q.htm"
                                               << "File access denied"
                                               << "\\folderkey\\";
        QTest::newRow("a file in place of the folder") << "plain.txt\\q.htm"
                                                       << "Invalid filename"
                                                       << "\\plain.txt\\";
    }
    // A failed open sets the folder prefix; the question count and the key stay as they were.
    void openFailures()
    {
        QFETCH(QString, value);
        QFETCH(QString, message);
        QFETCH(QString, prefix);

        writeFile(keyFile(), "B\nC\nE\n");
        QDir(root()).mkpath("empty");
        QDir(root()).mkpath("folderkey/otwet.txt");
        writeFile(root() + "/plain.txt", "x");

        AnswerKey key;
        key.read(root(), testValue);
        expectError(key, value, message, LkErrorKind::InOut);
        QCOMPARE(key.folderPrefix(), prefix);
        QCOMPARE(key.questionCount(), 3);
        QCOMPARE(key.answer(3), OptionCode(5));
        QCOMPARE(LkError::boxText(message), message + ".");
    }

    void accessDenied()
    {
        if (::geteuid() == 0)
            QSKIP("running as root: a file without read permission is still readable");
        writeFile(keyFile(), "A\n");
        QFile::setPermissions(keyFile(), QFileDevice::WriteOwner);
        AnswerKey key;
        expectError(key, testValue, "File access denied", LkErrorKind::InOut);
        QFile::setPermissions(keyFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    // Lowers the process's limit of open files to what is open now, so the key cannot be opened.
    void tooManyOpenFiles()
    {
        writeFile(keyFile(), "A\n");
        rlimit saved{};
        QCOMPARE(::getrlimit(RLIMIT_NOFILE, &saved), 0);
        // Fill the descriptor table up to a small limit.
        rlimit low = saved;
        low.rlim_cur = 64;
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &low), 0);
        std::vector<int> held;
        for (;;) {
            const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                break;
            held.push_back(fd);
        }
        QString shown;
        try {
            AnswerKey key;
            key.read(root(), testValue);
        } catch (const LkError& error) {
            shown = error.message();
        }
        for (int fd : held)
            ::close(fd);
        ::setrlimit(RLIMIT_NOFILE, &saved);
        QCOMPARE(shown, QStringLiteral("Too many open files"));
    }

    void errorNumbers_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("folderExists");
        QTest::addColumn<QString>("message");
        QTest::newRow("ENOENT, folder there") << ENOENT << true << "File not found";
        QTest::newRow("ENOENT, no folder") << ENOENT << false << "Invalid filename";
        QTest::newRow("ENOTDIR") << ENOTDIR << false << "Invalid filename";
        QTest::newRow("EMFILE") << EMFILE << true << "Too many open files";
        QTest::newRow("ENFILE") << ENFILE << true << "Too many open files";
        QTest::newRow("EACCES") << EACCES << true << "File access denied";
        QTest::newRow("EPERM") << EPERM << true << "File access denied";
        QTest::newRow("EIO") << EIO << true << QStringLiteral("I/O error %1").arg(EIO);
        QTest::newRow("EBUSY") << EBUSY << true << QStringLiteral("I/O error %1").arg(EBUSY);
    }
    void errorNumbers()
    {
        QFETCH(int, error);
        QFETCH(bool, folderExists);
        QFETCH(QString, message);
        const LkError e = InOutError::fromErrno(error, folderExists);
        QCOMPARE(e.message(), message);
        QCOMPARE(e.kind(), LkErrorKind::InOut);
    }
};

QTEST_GUILESS_MAIN(TestAnswerKey)
#include "tst_answerkey.moc"
