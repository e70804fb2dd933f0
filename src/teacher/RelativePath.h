#pragma once

#include <QString>

// How a file chosen in the lesson editor is stored in a media field: its path with the course
// root and the separator after it taken off, written with "\" separators so the course folder
// stays usable on Windows (course root C:\Kurs, file C:\Kurs\lessons\1.htm: lessons\1.htm).
namespace RelativePath {
// The stored value for `chosen`. Throws LkError with a message for the teacher when the file
// does not lie below `root`, or when `root` is the root of the file system (then no stored
// value could name the file).
QString fromChosen(const QString& root, const QString& chosen);
} // namespace RelativePath
