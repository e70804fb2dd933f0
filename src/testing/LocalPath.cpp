#include "LocalPath.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

QString localPathOf(const QString& logicalPath)
{
    static const QRegularExpression separators(QStringLiteral("[\\\\/]+"));
    const QStringList parts = logicalPath.split(separators, Qt::SkipEmptyParts);
    QString path =
        logicalPath.startsWith(QLatin1Char('/')) || logicalPath.startsWith(QLatin1Char('\\'))
            ? QStringLiteral("/")
            : QString();
    for (const QString& part : parts) {
        QString next = path.isEmpty() || path.endsWith(QLatin1Char('/'))
                           ? path + part
                           : path + QLatin1Char('/') + part;
        if (!QFileInfo::exists(next)) {
            const QDir dir(path.isEmpty() ? QStringLiteral(".") : path);
            const QStringList entries = dir.entryList(QDir::AllEntries | QDir::Hidden |
                                                      QDir::System | QDir::NoDotAndDotDot);
            for (const QString& entry : entries) {
                if (entry.compare(part, Qt::CaseInsensitive) == 0) {
                    next = path.isEmpty() || path.endsWith(QLatin1Char('/'))
                               ? path + entry
                               : path + QLatin1Char('/') + entry;
                    break;
                }
            }
        }
        path = next;
    }
    return path;
}
