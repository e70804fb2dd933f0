#pragma once

#include <QString>

#include <functional>

class CourseDatabase;

// Copies a course's tables from one course database to another: lessons (urok) in their order,
// journal records (jurnal) with their keys, and the password (pas). Used to move a course's
// embedded file onto a classroom server once, and back.
//
// The copy is one transaction on the target: all of it or, on an error, none of it.
class CourseCopy
{
public:
    struct Counts
    {
        qint64 lessons = 0;
        qint64 journal = 0;
        qint64 passwords = 0;
    };

    // `progress(table, done)` is called now and then while rows are written.
    using Progress = std::function<void(const QString& table, qint64 done)>;

    // Opens both databases (creating missing tables on the target) and copies. A target that
    // already holds lessons or journal records is left alone unless `replace` is set, in which
    // case its records are replaced. Throws LkError.
    static Counts copy(CourseDatabase& from, CourseDatabase& to, bool replace,
                       const Progress& progress = {});
};
