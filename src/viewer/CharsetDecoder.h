#pragma once

#include <QByteArrayView>
#include <QString>

// Decodes 8-bit text of a Windows metafile in the code page that belongs to the character set
// of the selected font (LOGFONT's lfCharSet).
class CharsetDecoder
{
public:
    // The code page name for a character set. DEFAULT_CHARSET means the system's ANSI code
    // page; the courses this program shows come from Russian Windows, so that is Windows-1251.
    static const char* codePage(int charset);
    static QString decode(QByteArrayView bytes, int charset, const QString& face = {});
};
