#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QStringEncoder>

// Web archives the way word processors save them: the page in Windows-1251, quoted-printable,
// under a file:///C:/ location, and its pictures in base64 under locations beside it.
namespace MhtSamples {

inline QByteArray png(const QColor& colour, int width = 8, int height = 6)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

inline QByteArray quotedPrintable(const QByteArray& bytes)
{
    QByteArray out;
    int column = 0;
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        QByteArray piece;
        if (c == '\n') {
            out += "\r\n";
            column = 0;
            continue;
        }
        if (u >= 128 || c == '=' || u < 32)
            piece = "=" + QByteArray::number(u, 16).toUpper().rightJustified(2, '0');
        else
            piece = QByteArray(1, c);
        if (column + piece.size() > 75) {
            out += "=\r\n"; // a soft line break
            column = 0;
        }
        out += piece;
        column += int(piece.size());
    }
    return out;
}

inline QByteArray base64Lines(const QByteArray& bytes)
{
    const QByteArray text = bytes.toBase64();
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); i += 76)
        out += text.mid(i, 76) + "\r\n";
    return out;
}

inline const char* boundary()
{
    return "----=_NextPart_01D9.ABCDEF01";
}

// A page titled `title` with a red picture named relatively, a green one by its full file:///
// location and a blue one by content id.
inline QByteArray wordArchive(const QString& title)
{
    QStringEncoder cp1251("windows-1251");
    const QByteArray html =
        "<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; "
        "charset=windows-1251\">\n<title>" +
        QByteArray(cp1251.encode(title)) +
        "</title>\n</head>\n<body style=\"background: url('page.files/back.png')\">\n<h1>" +
        QByteArray(cp1251.encode(title)) +
        "</h1>\n<p><img id=\"red\" width=8 height=6 src=\"page.files/image001.png\"></p>\n"
        "<p><img id=\"green\" src=\"file:///C:/Kurs/page.files/image002.png\"></p>\n"
        "<p><img id=\"blue\" src=\"cid:image003@01D9\"></p>\n"
        "<p><a href=\"#top\">&#1085;&#1072;&#1074;&#1077;&#1088;&#1093;</a></p>\n"
        "</body>\n</html>\n";
    const QByteArray b = boundary();
    QByteArray out;
    out +=
        "MIME-Version: 1.0\r\nContent-Type: multipart/related;\r\n\tboundary=\"" + b +
        "\";\r\n\ttype=\"text/html\"\r\n\r\nThis is a multi-part message in MIME format.\r\n\r\n";
    out += "--" + b +
           "\r\nContent-Location: file:///C:/Kurs/page.htm\r\n"
           "Content-Transfer-Encoding: quoted-printable\r\n"
           "Content-Type: text/html; charset=\"windows-1251\"\r\n\r\n" +
           quotedPrintable(html) + "\r\n";
    out += "--" + b +
           "\r\nContent-Location: file:///C:/Kurs/page.files/image001.png\r\n"
           "Content-Transfer-Encoding: base64\r\nContent-Type: image/png\r\n\r\n" +
           base64Lines(png(Qt::red)) + "\r\n";
    out += "--" + b +
           "\r\nContent-Location: file:///C:/Kurs/page.files/image002.png\r\n"
           "Content-Transfer-Encoding: base64\r\nContent-Type: image/png\r\n\r\n" +
           base64Lines(png(Qt::green)) + "\r\n";
    out += "--" + b +
           "\r\nContent-ID: <image003@01D9>\r\n"
           "Content-Transfer-Encoding: base64\r\nContent-Type: image/png\r\n\r\n" +
           base64Lines(png(Qt::blue)) + "\r\n";
    out += "--" + b +
           "\r\nContent-Location: file:///C:/Kurs/page.files/back.png\r\n"
           "Content-Transfer-Encoding: base64\r\nContent-Type: image/png\r\n\r\n" +
           base64Lines(png(Qt::yellow)) + "\r\n";
    out += "--" + b + "--\r\n";
    return out;
}

} // namespace MhtSamples
