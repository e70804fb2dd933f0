#include "MhtArchive.h"

#include "store/LkError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>

namespace {

struct Headers
{
    QHash<QByteArray, QByteArray> fields; // lower-cased name -> unfolded value
    QByteArray value(const char* name) const { return fields.value(QByteArray(name)); }
};

// Splits a message into its header block and its body at the first empty line.
void splitMessage(QByteArrayView message, QByteArrayView& headerBlock, QByteArrayView& body)
{
    qsizetype at = 0;
    while (at < message.size()) {
        qsizetype end = message.indexOf('\n', at);
        if (end < 0)
            end = message.size();
        QByteArrayView line = message.sliced(at, end - at);
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty()) {
            headerBlock = message.first(at);
            body = end < message.size() ? message.sliced(end + 1) : QByteArrayView();
            return;
        }
        at = end + 1;
    }
    headerBlock = message;
    body = QByteArrayView();
}

Headers parseHeaders(QByteArrayView block)
{
    Headers headers;
    QByteArray name;
    QByteArray value;
    auto flush = [&] {
        if (!name.isEmpty())
            headers.fields.insert(name.trimmed().toLower(), value.trimmed());
        name.clear();
        value.clear();
    };
    for (QByteArrayView line : QByteArray(block.toByteArray()).split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty() && (line.front() == ' ' || line.front() == '\t')) {
            value += ' ' + line.trimmed().toByteArray(); // a folded continuation
            continue;
        }
        flush();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        name = line.first(colon).toByteArray();
        value = line.sliced(colon + 1).toByteArray();
    }
    flush();
    return headers;
}

// "type/subtype; name=value; name="quoted value"" -> the type (lower case) and the parameters
// (names lower case).
QByteArray parseContentType(const QByteArray& header, QHash<QByteArray, QByteArray>& parameters)
{
    const qsizetype semicolon = header.indexOf(';');
    const QByteArray type = (semicolon < 0 ? header : header.left(semicolon)).trimmed().toLower();
    qsizetype at = semicolon < 0 ? header.size() : semicolon + 1;
    while (at < header.size()) {
        while (at < header.size() && (header[at] == ' ' || header[at] == '\t' || header[at] == ';'))
            ++at;
        const qsizetype equals = header.indexOf('=', at);
        if (equals < 0)
            break;
        const QByteArray name = header.mid(at, equals - at).trimmed().toLower();
        at = equals + 1;
        while (at < header.size() && (header[at] == ' ' || header[at] == '\t'))
            ++at;
        QByteArray value;
        if (at < header.size() && header[at] == '"') {
            ++at;
            while (at < header.size() && header[at] != '"') {
                if (header[at] == '\\' && at + 1 < header.size())
                    ++at;
                value += header[at++];
            }
            ++at; // the closing quote
        } else {
            const qsizetype end = header.indexOf(';', at);
            value = header.mid(at, end < 0 ? -1 : end - at).trimmed();
            at = end < 0 ? header.size() : end;
        }
        parameters.insert(name, value);
    }
    return type;
}

// The bodies between the delimiter lines "--boundary", up to the closing "--boundary--".
std::vector<QByteArrayView> splitMultipart(QByteArrayView body, const QByteArray& boundary)
{
    std::vector<QByteArrayView> bodies;
    const QByteArray delimiter = "--" + boundary;
    qsizetype partStart = -1;
    qsizetype at = 0;
    while (at <= body.size()) {
        const qsizetype found = body.indexOf(delimiter, at);
        if (found < 0)
            break;
        if (found > 0 && body[found - 1] != '\n') {
            at = found + 1;
            continue;
        }
        if (partStart >= 0) {
            qsizetype end = found;
            // The line break before a delimiter belongs to the delimiter.
            if (end > partStart && body[end - 1] == '\n')
                --end;
            if (end > partStart && body[end - 1] == '\r')
                --end;
            bodies.push_back(body.sliced(partStart, end - partStart));
        }
        const qsizetype after = found + delimiter.size();
        if (body.sliced(after).startsWith("--"))
            return bodies;
        const qsizetype lineEnd = body.indexOf('\n', after);
        if (lineEnd < 0)
            break;
        partStart = lineEnd + 1;
        at = partStart;
    }
    // An archive cut short: keep what came after the last delimiter.
    if (partStart >= 0 && partStart < body.size())
        bodies.push_back(body.sliced(partStart));
    return bodies;
}

void readParts(QByteArrayView message, std::vector<MhtArchive::Part>& parts, int depth)
{
    QByteArrayView headerBlock;
    QByteArrayView body;
    splitMessage(message, headerBlock, body);
    const Headers headers = parseHeaders(headerBlock);
    QHash<QByteArray, QByteArray> parameters;
    const QByteArray type = parseContentType(headers.value("content-type"), parameters);

    if (type.startsWith("multipart/") && depth < 8) {
        const QByteArray boundary = parameters.value("boundary");
        if (boundary.isEmpty())
            return;
        for (QByteArrayView part : splitMultipart(body, boundary))
            readParts(part, parts, depth + 1);
        return;
    }
    if (depth == 0)
        return; // a plain message is no archive

    MhtArchive::Part part;
    part.contentType = QString::fromLatin1(type.isEmpty() ? QByteArray("text/plain") : type);
    part.charset = QString::fromLatin1(parameters.value("charset")).trimmed();
    part.location = QString::fromUtf8(headers.value("content-location")).trimmed();
    QByteArray id = headers.value("content-id").trimmed();
    if (id.startsWith('<') && id.endsWith('>'))
        id = id.mid(1, id.size() - 2);
    part.contentId = QString::fromUtf8(id);

    const QByteArray encoding = headers.value("content-transfer-encoding").trimmed().toLower();
    if (encoding == "base64")
        part.data = QByteArray::fromBase64(body.toByteArray());
    else if (encoding == "quoted-printable")
        part.data = MhtArchive::decodeQuotedPrintable(body);
    else
        part.data = body.toByteArray();
    parts.push_back(std::move(part));
}

QString extensionFor(const MhtArchive::Part& part)
{
    static const QHash<QString, QString> byType{
        {QStringLiteral("text/html"), QStringLiteral("htm")},
        {QStringLiteral("text/css"), QStringLiteral("css")},
        {QStringLiteral("text/xml"), QStringLiteral("xml")},
        {QStringLiteral("text/plain"), QStringLiteral("txt")},
        {QStringLiteral("text/javascript"), QStringLiteral("js")},
        {QStringLiteral("application/javascript"), QStringLiteral("js")},
        {QStringLiteral("image/jpeg"), QStringLiteral("jpg")},
        {QStringLiteral("image/pjpeg"), QStringLiteral("jpg")},
        {QStringLiteral("image/png"), QStringLiteral("png")},
        {QStringLiteral("image/gif"), QStringLiteral("gif")},
        {QStringLiteral("image/bmp"), QStringLiteral("bmp")},
        {QStringLiteral("image/svg+xml"), QStringLiteral("svg")},
        {QStringLiteral("image/webp"), QStringLiteral("webp")},
        {QStringLiteral("image/x-icon"), QStringLiteral("ico")},
        {QStringLiteral("image/x-wmf"), QStringLiteral("wmf")},
        {QStringLiteral("image/x-emf"), QStringLiteral("emf")},
    };
    const QString known = byType.value(part.contentType);
    if (!known.isEmpty())
        return known;
    QString path = part.location;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString suffix = QFileInfo(QUrl(path).path()).suffix();
    static const QRegularExpression safe(QStringLiteral("^[A-Za-z0-9]{1,8}$"));
    if (safe.match(suffix).hasMatch())
        return suffix.toLower();
    return QStringLiteral("bin");
}

bool isMarkup(const MhtArchive::Part& part)
{
    return part.contentType == QLatin1String("text/html") ||
           part.contentType == QLatin1String("application/xhtml+xml");
}

bool isStyleSheet(const MhtArchive::Part& part)
{
    return part.contentType == QLatin1String("text/css");
}

QString unescapeMarkup(QString value)
{
    value.replace(QLatin1String("&amp;"), QLatin1String("&"));
    value.replace(QLatin1String("&quot;"), QLatin1String("\""));
    value.replace(QLatin1String("&#39;"), QLatin1String("'"));
    return value;
}

// The key of the location a reference names, relative references resolved against base.
QString referenceKey(const QString& reference, const QString& base)
{
    const QString value = reference.trimmed();
    if (value.startsWith(QLatin1String("cid:"), Qt::CaseInsensitive))
        return QStringLiteral("cid:") + value.mid(4).toLower();
    QString normalised = value;
    normalised.replace(QLatin1Char('\\'), QLatin1Char('/'));
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:/"));
    if (drive.match(normalised).hasMatch())
        return MhtArchive::locationKey(normalised);
    const QUrl url(normalised);
    if (url.isRelative() && !base.isEmpty()) {
        QString baseText = base;
        baseText.replace(QLatin1Char('\\'), QLatin1Char('/'));
        return MhtArchive::locationKey(QUrl(baseText).resolved(url).toString());
    }
    return MhtArchive::locationKey(normalised);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw LkError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString()),
                      LkErrorKind::FileCreate);
}

QByteArray utf8WithMark(const QString& text)
{
    // The byte-order mark outranks any charset the text still declares.
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

} // namespace

MhtArchive MhtArchive::parse(const QByteArray& bytes)
{
    MhtArchive archive;
    readParts(bytes, archive.m_parts, 0);
    if (archive.m_parts.empty())
        throw LkError(QStringLiteral("The file is not a web archive"));

    QByteArrayView headerBlock;
    QByteArrayView body;
    splitMessage(bytes, headerBlock, body);
    QHash<QByteArray, QByteArray> parameters;
    parseContentType(parseHeaders(headerBlock).value("content-type"), parameters);
    QByteArray start = parameters.value("start").trimmed();
    if (start.startsWith('<') && start.endsWith('>'))
        start = start.mid(1, start.size() - 2);
    archive.m_startId = QString::fromUtf8(start);
    return archive;
}

MhtArchive MhtArchive::read(const QString& localPath)
{
    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly))
        throw LkError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(localPath, file.errorString()),
            LkErrorKind::FileOpen);
    return parse(file.readAll());
}

int MhtArchive::pageIndex() const
{
    if (!m_startId.isEmpty()) {
        for (size_t i = 0; i < m_parts.size(); ++i)
            if (m_parts[i].contentId == m_startId)
                return int(i);
    }
    for (size_t i = 0; i < m_parts.size(); ++i)
        if (isMarkup(m_parts[i]))
            return int(i);
    return 0;
}

QString MhtArchive::extractTo(const QString& folder) const
{
    if (!QDir().mkpath(folder))
        throw LkError(QStringLiteral("Cannot create folder \"%1\"").arg(folder),
                      LkErrorKind::FileCreate);
    const int page = pageIndex();

    // Every part gets a file name of its own; a location or content id maps to it.
    std::vector<QString> names(m_parts.size());
    QHash<QString, QString> files;
    for (size_t i = 0; i < m_parts.size(); ++i) {
        const Part& part = m_parts[i];
        names[i] = int(i) == page ? QStringLiteral("index.htm")
                                  : QStringLiteral("part%1.%2").arg(i).arg(extensionFor(part));
        if (!part.location.isEmpty())
            files.insert(locationKey(part.location), names[i]);
        if (!part.contentId.isEmpty())
            files.insert(QStringLiteral("cid:") + part.contentId.toLower(), names[i]);
    }

    static const QRegularExpression metaCharset(
        QStringLiteral("(<meta\\b[^>]*?charset\\s*=\\s*[\"']?)[A-Za-z0-9_\\-:.]+"),
        QRegularExpression::CaseInsensitiveOption);
    for (size_t i = 0; i < m_parts.size(); ++i) {
        const Part& part = m_parts[i];
        const QString path = QDir(folder).filePath(names[i]);
        if (isMarkup(part)) {
            QString text = rewriteReferences(partText(part), part.location, files);
            text.replace(metaCharset, QStringLiteral("\\1utf-8"));
            writeFile(path, utf8WithMark(text));
        } else if (isStyleSheet(part)) {
            writeFile(path, utf8WithMark(rewriteReferences(partText(part), part.location, files)));
        } else {
            writeFile(path, part.data);
        }
    }
    return QDir(folder).filePath(names[size_t(page)]);
}

QString MhtArchive::partText(const Part& part)
{
    QString charset = part.charset;
    if (charset.isEmpty()) {
        // A charset the text declares itself: a meta element, or a style sheet's @charset.
        static const QRegularExpression declared(
            QStringLiteral(
                "(?:<meta\\b[^>]*?charset|@charset)\\s*=?\\s*[\"']?([A-Za-z0-9_\\-:.]+)"),
            QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch match =
            declared.match(QString::fromLatin1(part.data.left(8192)));
        if (match.hasMatch())
            charset = match.captured(1);
    }
    if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.toLatin1().constData());
        if (decoder.isValid())
            return decoder.decode(part.data);
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8.decode(part.data);
    if (!utf8.hasError())
        return text;
    QStringDecoder cyrillic("windows-1251");
    return cyrillic.decode(part.data);
}

QString MhtArchive::rewriteReferences(const QString& text, const QString& base,
                                      const QHash<QString, QString>& files)
{
    static const QRegularExpression reference(
        QStringLiteral("(\\b(?:src|href|background|lowsrc|poster|data)\\s*=\\s*)"
                       "(?:\"([^\"]*)\"|'([^']*)'|([^\\s\"'>]+))"
                       "|(\\burl\\(\\s*)(?:\"([^\"]*)\"|'([^']*)'|([^)\\s]*))(\\s*\\))"),
        QRegularExpression::CaseInsensitiveOption);

    QString result;
    result.reserve(text.size());
    qsizetype copied = 0;
    QRegularExpressionMatchIterator it = reference.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const bool attribute = match.capturedStart(1) >= 0;
        // The value's group: quoted, single-quoted or bare, of an attribute or of url().
        int valueGroup = -1;
        const int first = attribute ? 2 : 6;
        for (int group = first; group < first + 3; ++group) {
            if (match.capturedStart(group) >= 0) {
                valueGroup = group;
                break;
            }
        }
        if (valueGroup < 0)
            continue;
        const QString value = match.captured(valueGroup);
        // A place within the same page is no part of the archive.
        if (value.startsWith(QLatin1Char('#')))
            continue;
        const QString key = referenceKey(attribute ? unescapeMarkup(value) : value, base);
        const auto file = files.constFind(key);
        if (file == files.constEnd())
            continue;
        result += QStringView(text).sliced(copied, match.capturedStart(valueGroup) - copied);
        result += *file;
        const qsizetype fragment = value.indexOf(QLatin1Char('#'));
        if (fragment > 0)
            result += QStringView(value).sliced(fragment);
        copied = match.capturedEnd(valueGroup);
    }
    result += QStringView(text).sliced(copied);
    return result;
}

QString MhtArchive::locationKey(const QString& location)
{
    QString text = location.trimmed();
    text.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // A bare Windows path names the same file as its file URL.
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:/"));
    if (drive.match(text).hasMatch())
        text.prepend(QStringLiteral("file:///"));
    const QUrl url(text);
    if (!url.isValid())
        return text.toLower();
    return QUrl::fromPercentEncoding(url.adjusted(QUrl::RemoveFragment).toEncoded()).toLower();
}

QByteArray MhtArchive::decodeQuotedPrintable(QByteArrayView encoded)
{
    QByteArray decoded;
    decoded.reserve(encoded.size());
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const char c = encoded[i];
        if (c != '=') {
            decoded += c;
            continue;
        }
        // A soft line break: "=" at the end of a line, maybe after trailing blanks.
        qsizetype j = i + 1;
        while (j < encoded.size() && (encoded[j] == ' ' || encoded[j] == '\t'))
            ++j;
        if (j < encoded.size() && (encoded[j] == '\r' || encoded[j] == '\n')) {
            if (encoded[j] == '\r' && j + 1 < encoded.size() && encoded[j + 1] == '\n')
                ++j;
            i = j;
            continue;
        }
        if (j == encoded.size()) {
            i = j;
            continue;
        }
        if (i + 2 < encoded.size() && hex(encoded[i + 1]) >= 0 && hex(encoded[i + 2]) >= 0) {
            decoded += char(hex(encoded[i + 1]) * 16 + hex(encoded[i + 2]));
            i += 2;
            continue;
        }
        decoded += c; // a stray "=" stays as it is
    }
    return decoded;
}
