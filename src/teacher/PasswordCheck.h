#pragma once

#include "store/PasswordHash.h"

#include <QString>
#include <QVariant>

class Dataset;

// The editing password of the course: the value of field pas in the current record of Tpas.
// It is kept as a salted hash; courses from older versions hold the plain password, which is
// still accepted and replaced by its hash at the first match.
class PasswordCheck
{
public:
    // Whether the typed text is the password `stored`: Null matches nothing, not even an empty
    // box; a hash is verified; any other value must equal the typed text exactly (same length,
    // same characters, letter case significant, nothing trimmed).
    static bool matches(const QVariant& stored, const QString& typed);

    // Reads the stored password anew and checks `typed` against it. A plain stored value that
    // matches is replaced by its hash; when the database does not take the change, the plain
    // value stays and still unlocks. `iterations`: the rounds of a hash made here.
    static bool check(Dataset& tpas, const QString& typed,
                      int iterations = PasswordHash::kIterations);

    // Stores `password` (hashed) as the new editing password: edit, assign, post. When the post
    // fails the record stays in edit mode holding the new value, and the error propagates.
    static void store(Dataset& tpas, const QString& password,
                      int iterations = PasswordHash::kIterations);

    static inline const QString Field = QStringLiteral("pas");
};
