#pragma once

#include <QString>
#include <QVariant>

#include <optional>

// The two tests on a media field of a lesson record, kept apart on purpose: the menu is enabled
// by whether a field names a file at all, while a command uses a file only when it is there.
class LessonFiles
{
public:
    // True when the value is neither the empty string nor Null.
    static bool holdsFileName(const QVariant& value);

    // The course path root + "\" + value when the value is not Null and a file (not a folder)
    // exists there; nothing otherwise. An empty value names the course folder itself, so it
    // finds nothing.
    static std::optional<QString> lookup(const QString& root, const QVariant& value);
};
