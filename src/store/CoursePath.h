#pragma once

#include <QString>

// Paths of the course: the course root is the working directory at start-up; a stored path p
// names the file course root + "\" + p. Stored paths come from Windows courses, so "\" counts as
// a separator, and where the exact path does not exist on a case-sensitive file system each
// component is matched without regard to case.
namespace CoursePath {
// The working directory, without a trailing separator (the root of the file system keeps it).
QString currentRoot();
// course root + "\" + relative, as the system forms it.
QString join(const QString& root, const QString& relative);
// The local file path a course path names.
QString toLocal(const QString& coursePath);
// Whether a file (not a folder) exists at the course path.
bool isFile(const QString& coursePath);
} // namespace CoursePath
