#include "LessonFiles.h"

#include "store/CoursePath.h"

bool LessonFiles::holdsFileName(const QVariant& value)
{
    if (value.isNull())
        return false;
    return !value.toString().isEmpty();
}

std::optional<QString> LessonFiles::lookup(const QString& root, const QVariant& value)
{
    if (value.isNull())
        return std::nullopt;
    const QString path = CoursePath::join(root, value.toString());
    if (!CoursePath::isFile(path))
        return std::nullopt;
    return path;
}
