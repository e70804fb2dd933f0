#include "OutlineFile.h"

#include "LkError.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {
// The system's reason, without the trailing blanks and full stops the message adds itself.
QString reason(const QString& text)
{
    QString r = text;
    while (!r.isEmpty() && (r.back() == QLatin1Char(' ') || r.back() == QLatin1Char('.')))
        r.chop(1);
    return r;
}

void writeNode(QByteArray& out, QStringEncoder& encoder, const OutlineNode& node, int depth)
{
    out.append(depth, '\t');
    out.append(encoder.encode(node.text));
    out.append("\r\n", 2);
    for (const OutlineNode& child : node.children)
        writeNode(out, encoder, child, depth + 1);
}
} // namespace

OutlineFile::OutlineFile(QString localPath) : m_path(std::move(localPath)) {}

QByteArray OutlineFile::serialize(const Outline& tree)
{
    QByteArray out;
    QStringEncoder encoder("windows-1251");
    for (const OutlineNode& node : tree)
        writeNode(out, encoder, node, 0);
    return out;
}

void OutlineFile::parse(const QByteArray& bytes, Outline& tree)
{
    QByteArrayView data(bytes);
    const qsizetype nul = data.indexOf('\0');
    if (nul >= 0)
        data = data.first(nul);
    QStringDecoder decoder("windows-1251");
    const QString text = decoder.decode(data);

    // The chain of children lists from the top level down to the last node added.
    std::vector<std::vector<OutlineNode>*> levels;
    bool firstLine = true;
    qsizetype pos = 0;
    const qsizetype size = text.size();
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && text[end] != QLatin1Char('\r') && text[end] != QLatin1Char('\n'))
            ++end;
        const QStringView line = QStringView(text).mid(pos, end - pos);
        pos = end;
        if (pos < size) {
            if (text[pos] == QLatin1Char('\r') && pos + 1 < size &&
                text[pos + 1] == QLatin1Char('\n'))
                pos += 2;
            else
                ++pos;
        }

        qsizetype depth = 0;
        while (depth < line.size() &&
               (line[depth] == QLatin1Char('\t') || line[depth] == QLatin1Char(' ')))
            ++depth;
        OutlineNode node{line.mid(depth).toString(), {}};

        if (firstLine) {
            firstLine = false;
            tree.push_back(std::move(node));
            levels = {&tree};
        } else {
            const qsizetype p = qsizetype(levels.size()) - 1; // depth of the previous node
            if (depth > p + 1)
                throw LkError(
                    QStringLiteral("Invalid level (%1) for item \"%2\"").arg(depth).arg(node.text),
                    LkErrorKind::TreeView);
            if (depth == p + 1)
                levels.push_back(&levels.back()->back().children);
            else
                levels.resize(size_t(depth) + 1);
            levels.back()->push_back(std::move(node));
        }
    }
}

void OutlineFile::load(Outline& tree)
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        throw LkError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(m_path, reason(file.errorString())),
            LkErrorKind::FileOpen);
    const QByteArray bytes = file.readAll();
    file.close();

    tree.clear();
    m_incomplete = false;
    try {
        parse(bytes, tree);
    } catch (const LkError&) {
        m_incomplete = true;
        throw;
    }
}

void OutlineFile::save(const Outline& tree)
{
    if (m_incomplete && QFile::exists(m_path)) {
        const QString backup = m_path + QStringLiteral(".bak");
        QFile::remove(backup);
        if (!QFile::copy(m_path, backup))
            throw LkError(QStringLiteral("Cannot create file \"%1\". %2")
                              .arg(backup, QStringLiteral("The outline could not be backed up")),
                          LkErrorKind::FileCreate);
    }

    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        throw LkError(
            QStringLiteral("Cannot create file \"%1\". %2").arg(m_path, reason(file.errorString())),
            LkErrorKind::FileCreate);
    const QByteArray bytes = serialize(tree);
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw LkError(
            QStringLiteral("Cannot write file \"%1\". %2").arg(m_path, reason(file.errorString())),
            LkErrorKind::FileCreate);
    m_incomplete = false;
}
