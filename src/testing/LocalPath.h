#pragma once

#include <QString>

// Turns a logical course path ("/tmp/course\tests\t1\\otwet.txt") into a local file path:
// "\" and "/" both separate, doubled separators count as one, and a component that does not
// exist with its exact spelling is matched without regard to letter case.
QString localPathOf(const QString& logicalPath);
