#include "InOutError.h"

#include "store/LkError.h"

#include <cerrno>

namespace InOutError {

LkError fromErrno(int error, bool folderExists)
{
    QString text;
    switch (error) {
    case ENOENT:
        text = folderExists ? QStringLiteral("File not found") : QStringLiteral("Invalid filename");
        break;
    case ENOTDIR:
    case ENAMETOOLONG:
        text = QStringLiteral("Invalid filename");
        break;
    case EMFILE:
    case ENFILE:
        text = QStringLiteral("Too many open files");
        break;
    case EACCES:
    case EPERM:
    case EISDIR: // a folder where the file should be cannot be read as one
        text = QStringLiteral("File access denied");
        break;
    default:
        text = QStringLiteral("I/O error %1").arg(error);
        break;
    }
    return LkError(text, LkErrorKind::InOut);
}

} // namespace InOutError
