#include "CharsetDecoder.h"

#include <QStringDecoder>

namespace {

// The Symbol font's own encoding for its letters and signs, as far as Unicode has them.
char16_t symbolCharacter(uchar c)
{
    static const char16_t upper[26] = {u'Α', u'Β', u'Χ', u'Δ', u'Ε', u'Φ', u'Γ', u'Η', u'Ι',
                                       u'ϑ', u'Κ', u'Λ', u'Μ', u'Ν', u'Ο', u'Π', u'Θ', u'Ρ',
                                       u'Σ', u'Τ', u'Υ', u'ς', u'Ω', u'Ξ', u'Ψ', u'Ζ'};
    static const char16_t lower[26] = {u'α', u'β', u'χ', u'δ', u'ε', u'φ', u'γ', u'η', u'ι',
                                       u'ϕ', u'κ', u'λ', u'μ', u'ν', u'ο', u'π', u'θ', u'ρ',
                                       u'σ', u'τ', u'υ', u'ϖ', u'ω', u'ξ', u'ψ', u'ζ'};
    if (c >= 'A' && c <= 'Z')
        return upper[c - 'A'];
    if (c >= 'a' && c <= 'z')
        return lower[c - 'a'];
    switch (c) {
    case 0x22:
        return u'∀';
    case 0x24:
        return u'∃';
    case 0x27:
        return u'∋';
    case 0x2A:
        return u'∗';
    case 0x2D:
        return u'−';
    case 0x40:
        return u'≅';
    case 0x5C:
        return u'∴';
    case 0x5E:
        return u'⊥';
    case 0x7E:
        return u'∼';
    case 0xA2:
        return u'′';
    case 0xA3:
        return u'≤';
    case 0xA5:
        return u'∞';
    case 0xA6:
        return u'ƒ';
    case 0xAB:
        return u'↔';
    case 0xAC:
        return u'←';
    case 0xAD:
        return u'↑';
    case 0xAE:
        return u'→';
    case 0xAF:
        return u'↓';
    case 0xB0:
        return u'°';
    case 0xB1:
        return u'±';
    case 0xB2:
        return u'″';
    case 0xB3:
        return u'≥';
    case 0xB4:
        return u'×';
    case 0xB6:
        return u'∂';
    case 0xB7:
        return u'•';
    case 0xB8:
        return u'÷';
    case 0xB9:
        return u'≠';
    case 0xBA:
        return u'≡';
    case 0xBB:
        return u'≈';
    case 0xBC:
        return u'…';
    case 0xC0:
        return u'ℵ';
    case 0xC4:
        return u'⊗';
    case 0xC5:
        return u'⊕';
    case 0xC6:
        return u'∅';
    case 0xC7:
        return u'∩';
    case 0xC8:
        return u'∪';
    case 0xC9:
        return u'⊃';
    case 0xCC:
        return u'⊂';
    case 0xCE:
        return u'∈';
    case 0xCF:
        return u'∉';
    case 0xD0:
        return u'∠';
    case 0xD1:
        return u'∇';
    case 0xD5:
        return u'∏';
    case 0xD6:
        return u'√';
    case 0xD8:
        return u'¬';
    case 0xD9:
        return u'∧';
    case 0xDA:
        return u'∨';
    case 0xDB:
        return u'⇔';
    case 0xDC:
        return u'⇐';
    case 0xDE:
        return u'⇒';
    case 0xE5:
        return u'∑';
    case 0xF2:
        return u'∫';
    default:
        return c < 0x80 ? char16_t(c) : u'\uFFFD';
    }
}

} // namespace

const char* CharsetDecoder::codePage(int charset)
{
    switch (charset) {
    case 0: // ANSI_CHARSET
        return "windows-1252";
    case 1:   // DEFAULT_CHARSET
    case 204: // RUSSIAN_CHARSET
        return "windows-1251";
    case 77: // MAC_CHARSET
        return "macintosh";
    case 128: // SHIFTJIS_CHARSET
        return "windows-932";
    case 129: // HANGUL_CHARSET
    case 130: // JOHAB_CHARSET (read as Unified Hangul; Johab is not available)
        return "windows-949";
    case 134: // GB2312_CHARSET
        return "windows-936";
    case 136: // CHINESEBIG5_CHARSET
        return "windows-950";
    case 161: // GREEK_CHARSET
        return "windows-1253";
    case 162: // TURKISH_CHARSET
        return "windows-1254";
    case 163: // VIETNAMESE_CHARSET
        return "windows-1258";
    case 177: // HEBREW_CHARSET
        return "windows-1255";
    case 178: // ARABIC_CHARSET
        return "windows-1256";
    case 186: // BALTIC_CHARSET
        return "windows-1257";
    case 222: // THAI_CHARSET
        return "windows-874";
    case 238: // EASTEUROPE_CHARSET
        return "windows-1250";
    case 255: // OEM_CHARSET: the Russian DOS code page
        return "IBM866";
    default:
        return "windows-1252";
    }
}

QString CharsetDecoder::decode(QByteArrayView bytes, int charset, const QString& face)
{
    if (charset == 2) { // SYMBOL_CHARSET
        if (face.contains(QLatin1String("Symbol"), Qt::CaseInsensitive)) {
            QString text;
            text.reserve(bytes.size());
            for (char c : bytes)
                text.append(QChar(symbolCharacter(uchar(c))));
            return text;
        }
        return QString::fromLatin1(bytes);
    }
    QStringDecoder decoder(codePage(charset));
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}
