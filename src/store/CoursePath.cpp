#include "CoursePath.h"

#include <QDir>
#include <QFileInfo>

QString CoursePath::currentRoot()
{
    QString root = QDir::toNativeSeparators(QDir::currentPath());
    while (root.size() > 1 && root.endsWith(QDir::separator()) && !QDir(root).isRoot())
        root.chop(1);
    return root;
}

QString CoursePath::join(const QString& root, const QString& relative)
{
    return root + QLatin1Char('\\') + relative;
}

QString CoursePath::toLocal(const QString& coursePath)
{
    QString path = coursePath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    path = QDir::cleanPath(path);
    if (path.isEmpty() || QFileInfo::exists(path))
        return path;

    // Find each missing component by a case-blind match in its folder.
    const bool absolute = path.startsWith(QLatin1Char('/'));
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString resolved = absolute ? QStringLiteral("/") : QString();
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        QString candidate = resolved.isEmpty() || resolved.endsWith(QLatin1Char('/'))
                                ? resolved + part
                                : resolved + QLatin1Char('/') + part;
        if (!QFileInfo::exists(candidate)) {
            const QDir folder(resolved.isEmpty() ? QStringLiteral(".") : resolved);
            const QStringList entries = folder.entryList(QDir::AllEntries | QDir::Hidden |
                                                         QDir::System | QDir::NoDotAndDotDot);
            for (const QString& entry : entries) {
                if (entry.compare(part, Qt::CaseInsensitive) == 0) {
                    candidate = resolved.isEmpty() || resolved.endsWith(QLatin1Char('/'))
                                    ? resolved + entry
                                    : resolved + QLatin1Char('/') + entry;
                    break;
                }
            }
            if (!QFileInfo::exists(candidate)) {
                // Nothing matches: the rest stays as written.
                QStringList rest = parts.mid(i);
                return (resolved.isEmpty() || resolved.endsWith(QLatin1Char('/'))
                            ? resolved
                            : resolved + QLatin1Char('/')) +
                       rest.join(QLatin1Char('/'));
            }
        }
        resolved = candidate;
    }
    return resolved;
}

bool CoursePath::isFile(const QString& coursePath)
{
    // A path ending in a separator names a folder, never a file.
    if (coursePath.endsWith(QLatin1Char('\\')) || coursePath.endsWith(QLatin1Char('/')))
        return false;
    return QFileInfo(toLocal(coursePath)).isFile();
}
