#include "IO/ExtraAttributes.h"

#include "IO/textcodec.h"

void ExtraAttributes::clear()
{
    m_entries.clear();
    m_index.clear();
}

QString ExtraAttributes::value(const QString& name) const
{
    const auto found = m_index.constFind(name);
    return found == m_index.constEnd() ? QString() : m_entries[size_t(*found)].second;
}

void ExtraAttributes::set(const QString& name, const QString& text)
{
    // An edit in the panel is held as the save will write it.
    const QString value = writableText(text);
    const auto found = m_index.constFind(name);
    if (found != m_index.constEnd()) {
        m_entries[size_t(*found)].second = value;
        return;
    }
    m_index.insert(name, int(m_entries.size()));
    m_entries.emplace_back(name, value);
}

QStringList ExtraAttributes::names() const
{
    QStringList out;
    out.reserve(qsizetype(m_entries.size()));
    for (const Entry& entry : m_entries)
        out.append(entry.first);
    return out;
}
