#pragma once

#include <QByteArray>
#include <QImage>

// Metafiles that use a wide range of records, as seeds for the damaged-file tests and for a
// smoke test that plays every kind of record.
class SampleMetafiles
{
public:
    static QByteArray wmf();
    static QByteArray emf();
    // A 4 x 4 picture with four coloured quarters: red, green / blue, yellow.
    static QImage quarters();
};
