#pragma once

#include <QByteArray>

// The computer-architecture diagram of the demo course, drawn as a Windows metafile and as
// an enhanced metafile (demo/pictures/shema.wmf and shema.emf).
class DemoDiagram
{
public:
    static QByteArray wmf();
    static QByteArray emf();
};
