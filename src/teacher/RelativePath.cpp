#include "RelativePath.h"

#include "store/LkError.h"

#include <QDir>
#include <QFileInfo>

namespace {
QString slashed(QString path)
{
    return path.replace(QLatin1Char('\\'), QLatin1Char('/'));
}

// The part of `path` below `root` (both with "/" separators), or a null string when `path`
// does not lie below it. A ".." step could lead out of the root again, so it does not count.
QString below(const QString& root, const QString& path)
{
    if (path.size() <= root.size() + 1 || !path.startsWith(root) ||
        path.at(root.size()) != QLatin1Char('/'))
        return {};
    const QString rest = path.mid(root.size() + 1);
    if (rest.split(QLatin1Char('/')).contains(QStringLiteral("..")))
        return {};
    return rest;
}
} // namespace

QString RelativePath::fromChosen(const QString& root, const QString& chosen)
{
    const QString r = slashed(root);
    if (r.isEmpty() || r.endsWith(QLatin1Char('/')))
        throw LkError(QStringLiteral("Папка курса \"%1\" является корнем диска: путь к файлу "
                                     "нельзя сохранить относительно неё. Перенесите курс в "
                                     "отдельную папку.")
                          .arg(root));

    // The path as the dialog gave it: the course root and one separator come off.
    if (!below(r, slashed(chosen)).isNull())
        return slashed(chosen.mid(root.size() + 1)).replace(QLatin1Char('/'), QLatin1Char('\\'));

    // The same folder reached by another way (a symbolic link): compare the real paths.
    const QString realRoot = QDir(root).canonicalPath();
    const QString realFile = QFileInfo(chosen).canonicalFilePath();
    if (!realRoot.isEmpty() && !realFile.isEmpty()) {
        const QString rest = below(realRoot, realFile);
        if (!rest.isNull())
            return QString(rest).replace(QLatin1Char('/'), QLatin1Char('\\'));
    }

    throw LkError(QStringLiteral("Файл \"%1\" лежит вне папки курса \"%2\". Выберите файл в "
                                 "папке курса или в одной из её подпапок.")
                      .arg(QDir::toNativeSeparators(chosen), root));
}
