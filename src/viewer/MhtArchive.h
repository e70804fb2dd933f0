#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>

#include <vector>

// A single-file web archive (.mht, .mhtml): a MIME multipart/related message whose parts are a
// page and the pictures, style sheets and frames it uses, each under the location it had when
// the page was saved. Word processors and browsers save those locations as file:///C:/… names
// that a web view does not take from the archive, so the page is shown from a folder instead:
// every part is written there as a file of its own and the page's references to the parts are
// rewritten to those files. Text parts are written as UTF-8, whatever code page they came in.
class MhtArchive
{
public:
    struct Part
    {
        QString contentType; // lower case, without parameters: "text/html"
        QString charset;     // the charset parameter as given, or empty
        QString location;    // Content-Location as given, or empty
        QString contentId;   // Content-ID without its angle brackets, or empty
        QByteArray data;     // the body with its transfer encoding undone
    };

    // Reads a message. Throws LkError when the bytes are not a multipart message with a part.
    static MhtArchive parse(const QByteArray& bytes);
    // The same from a file; throws LkError when it cannot be read.
    static MhtArchive read(const QString& localPath);

    const std::vector<Part>& parts() const { return m_parts; }
    // The part shown: the one the message names as its start, else the first HTML part, else the
    // first part.
    int pageIndex() const;

    // Writes the parts into `folder` (created when missing) and returns the local path of the
    // page file. Throws LkError when a file cannot be written.
    QString extractTo(const QString& folder) const;

    // A text part as text: its charset, else the one its own markup declares, else UTF-8 when
    // the bytes are valid UTF-8, else Windows-1251.
    static QString partText(const Part& part);
    // The references in markup or a style sheet (src, href, background and similar attributes,
    // and url(…) in styles) that name a location of `files` are replaced by the file name it
    // maps to. Relative references are resolved against `base` first; "cid:" references are
    // looked up by content id.
    static QString rewriteReferences(const QString& text, const QString& base,
                                     const QHash<QString, QString>& files);
    // The key under which a location is looked up: a file URL of Windows is matched without
    // regard to letter case or separator kind.
    static QString locationKey(const QString& location);

    static QByteArray decodeQuotedPrintable(QByteArrayView encoded);

private:
    std::vector<Part> m_parts;
    QString m_startId;
};
