#include "AnswerKey.h"

#include "InOutError.h"
#include "store/CoursePath.h"
#include "store/LkError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char CtrlZ = 0x1A;

// Closes a file descriptor on every way out of the reading.
class FileHandle
{
public:
    explicit FileHandle(int fd) : m_fd(fd) {}
    ~FileHandle()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// Opens the key for reading and reports a failure with the platform's error mapped onto the
// input/output messages. Qt's file classes do not give the error number, so the descriptor is
// opened here directly.
int openForReading(const QString& localPath)
{
    const QByteArray encoded = QFile::encodeName(localPath);
    int fd = -1;
    do {
        fd = ::open(encoded.constData(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    int error = fd < 0 ? errno : 0;
    if (fd >= 0) {
        struct stat st
        {
        };
        if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
            ::close(fd);
            fd = -1;
            error = EISDIR;
        }
    }
    if (fd < 0)
        throw InOutError::fromErrno(error, QFileInfo(localPath).absoluteDir().exists());
    return fd;
}

} // namespace

void AnswerKey::read(const QString& courseRoot, const QVariant& testValue)
{
    if (testValue.isNull())
        throw LkError(QStringLiteral("Could not convert variant of type (Null) into type (String)"),
                      LkErrorKind::VariantCast);

    m_prefix = folderPrefixOf(testValue.toString());
    const QString localPath = CoursePath::toLocal(keyPath(courseRoot, m_prefix));
    FileHandle file(openForReading(localPath));

    m_key.fill(0);
    m_count = 0;

    // A line ends at LF or CR LF; a lone CR is dropped; Ctrl-Z at a line start ends the file,
    // inside a line it ends the line's text. Only the letters seen per line are kept, so a line
    // may be of any length.
    bool lineOpen = false;
    bool pendingCr = false;
    bool skipRest = false;
    unsigned letters = 0;
    const auto finishLine = [&] {
        if (letters != 0) {
            int code = 5;
            while ((letters & (1u << (code - 1))) == 0)
                --code;
            m_key[static_cast<std::size_t>(m_count)] = static_cast<OptionCode>(code);
        }
        lineOpen = false;
    };

    char buffer[65536];
    bool done = false;
    while (!done) {
        ssize_t got = ::read(file.fd(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw InOutError::fromErrno(errno, true);
        }
        if (got == 0)
            break;
        for (ssize_t i = 0; i < got; ++i) {
            const char b = buffer[i];
            if (!lineOpen) {
                if (b == CtrlZ || m_count == MaxQuestions) {
                    done = true;
                    break;
                }
                lineOpen = true;
                ++m_count;
                letters = 0;
                skipRest = false;
                pendingCr = false;
            }
            if (pendingCr) {
                pendingCr = false;
                if (b == '\n') {
                    finishLine();
                    continue;
                }
            }
            if (b == '\n') {
                finishLine();
            } else if (b == '\r') {
                pendingCr = true;
            } else if (!skipRest) {
                if (b == CtrlZ)
                    skipRest = true;
                else if (b >= 'A' && b <= 'E')
                    letters |= 1u << (b - 'A');
            }
        }
    }
    if (lineOpen)
        finishLine();
}

OptionCode AnswerKey::answer(int n) const
{
    if (n < 1 || n > MaxQuestions)
        return 0;
    return m_key[static_cast<std::size_t>(n)];
}

QString AnswerKey::keyPath(const QString& courseRoot, const QString& folderPrefix)
{
    return courseRoot + folderPrefix + QStringLiteral("\\otwet.txt");
}

QString AnswerKey::pagePath(const QString& courseRoot, int n) const
{
    return courseRoot + m_prefix + QString::number(n) + QStringLiteral(".htm");
}

QString AnswerKey::folderPrefixOf(const QString& testValue)
{
    qsizetype cut = -1;
    for (qsizetype i = testValue.size() - 1; i >= 0; --i) {
        const QChar c = testValue.at(i);
        if (c == QLatin1Char('\\') || c == QLatin1Char('/') || c == QLatin1Char(':')) {
            cut = i;
            break;
        }
    }
    return QStringLiteral("\\") + testValue.left(cut + 1);
}
