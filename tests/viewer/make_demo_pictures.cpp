// Writes the demo course's diagram pictures: lektorika-demo-pictures <folder>
// (demo/pictures: shema.wmf and shema.emf).

#include "DemoDiagram.h"

#include <QDir>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: lektorika-demo-pictures <folder>\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    const std::pair<const char*, QByteArray> files[] = {{"shema.wmf", DemoDiagram::wmf()},
                                                        {"shema.emf", DemoDiagram::emf()}};
    for (const auto& [name, bytes] : files) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
        std::printf("%s: %lld bytes\n", qPrintable(file.fileName()), qlonglong(bytes.size()));
    }
    return 0;
}
