#include "StringPool.h"

QString StringPool::intern(std::string_view utf8, int row)
{
    if (const auto found = m_texts.find(utf8); found != m_texts.end()) {
        if (row >= 0)
            found->second.rows.push_back(row);
        return found->second.text;
    }
    QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    if (!m_complete)
        return text;
    if (m_texts.size() >= kMaxDistinct) {
        m_complete = false;
        m_texts.clear();
        return text;
    }
    Entry& entry = m_texts.emplace(std::string(utf8), Entry{text, {}}).first->second;
    if (row >= 0)
        entry.rows.push_back(row);
    return text;
}

QString StringPool::intern(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return intern(std::string_view(utf8.constData(), size_t(utf8.size())));
}

const StringPool::Entry* StringPool::find(const QString& text) const
{
    const QByteArray utf8 = text.toUtf8();
    const auto found = m_texts.find(std::string_view(utf8.constData(), size_t(utf8.size())));
    return found == m_texts.end() ? nullptr : &found->second;
}

void StringPool::rebuildRows(const std::vector<QVariant>& cells, size_t stride, size_t column,
                             int rows)
{
    std::unordered_map<const QChar*, Entry*> byData;
    byData.reserve(m_texts.size());
    for (auto& [key, entry] : m_texts) {
        entry.rows.clear();
        byData.emplace(entry.text.constData(), &entry);
    }
    for (int row = 0; row < rows; ++row) {
        const QVariant& v = cells[size_t(row) * stride + column];
        if (v.typeId() != QMetaType::QString)
            continue;
        const auto found = byData.find(static_cast<const QString*>(v.constData())->constData());
        if (found != byData.end())
            found->second->rows.push_back(row);
    }
    m_rowsValid = true;
}

void StringPool::clear()
{
    m_texts.clear();
    m_complete = true;
    m_rowsValid = true;
}
