#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// One topic of the outline: its text and its children, in order.
struct OutlineNode
{
    QString text;
    std::vector<OutlineNode> children;

    bool operator==(const OutlineNode&) const = default;
};
using Outline = std::vector<OutlineNode>;

// The topic outline file log.log: one line per node in pre-order, a TAB per level of depth,
// CR LF line ends, Windows-1251 text.
class OutlineFile
{
public:
    explicit OutlineFile(QString localPath);

    const QString& path() const { return m_path; }

    // Replaces `tree` with the file's outline. When the file cannot be opened it throws
    // "Cannot open file "%s". %s" and leaves `tree` as it was. A jump of more than one level
    // throws "Invalid level (%d) for item "%s"" with the nodes read so far left in `tree`.
    void load(Outline& tree);
    // Writes the outline to a temporary file and replaces the file with it, so a failed write
    // keeps the previous outline. After a load that stopped early, the file as it was is first
    // kept as log.log.bak, so the part that was never read is not lost.
    void save(const Outline& tree);

    bool lastLoadWasIncomplete() const { return m_incomplete; }

    // The format itself, for tests and the benchmark.
    static QByteArray serialize(const Outline& tree);
    // Parses into `tree` (appending); throws the invalid-level error.
    static void parse(const QByteArray& bytes, Outline& tree);

private:
    QString m_path;
    bool m_incomplete = false;
};
