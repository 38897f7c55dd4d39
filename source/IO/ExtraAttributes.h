#ifndef EXTRAATTRIBUTES_H
#define EXTRAATTRIBUTES_H

#include <QHash>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

#include "IO/iotransformer.h"
#include "IO/textcodec.h"

// The attributes of an element that its reader does not know, in file order,
// so that a save writes them back as they came, whatever their names. Kept
// apart from Qt properties: a name may be one a widget or item declares, and
// setting thousands of dynamic properties takes time quadratic in their count.
// Held by value by the item or canvas whose element they belong to.
class ExtraAttributes
{
public:
    using Entry = std::pair<QString, QString>;

    bool isEmpty() const { return m_entries.empty(); }
    int size() const { return int(m_entries.size()); }
    void clear();

    bool contains(const QString& name) const { return m_index.contains(name); }
    // The empty text for a name that is not held.
    QString value(const QString& name) const;
    // Replaces the value of a held name in its place, or appends the name.
    void set(const QString& name, const QString& value);
    QStringList names() const;
    const std::vector<Entry>& entries() const { return m_entries; }

    // The encoded pairs for IOTransformer::writeAttributes, leaving out the names
    // for which skip answers true (attributes the element already wrote).
    template <typename Skip>
    IOTransformer::Attributes toAttributes(Skip skip) const
    {
        IOTransformer::Attributes out;
        out.reserve(m_entries.size());
        for (const Entry& entry : m_entries) {
            if (!skip(entry.first))
                out.emplace_back(encodeText(entry.first), encodeText(entry.second));
        }
        return out;
    }

private:
    std::vector<Entry> m_entries;
    QHash<QString, int> m_index;
};

#endif // EXTRAATTRIBUTES_H
