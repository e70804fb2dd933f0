#pragma once

#include "Picture.h"

#include <QString>

// Loads a picture file by its extension, letter case ignored: bmp, ico, jpg and jpeg through
// Qt's image readers, wmf and emf through this program's own metafile players. Any other
// extension, and a file that cannot be read, raise LkError.
class PictureLoader
{
public:
    static Picture load(const QString& path);
    // The same from bytes already read; fileName only chooses the reader and names the file
    // in messages.
    static Picture fromData(const QByteArray& data, const QString& fileName);
};
