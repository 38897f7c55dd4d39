#include "Items/GroupRegistry.h"

#include <QDebug>

#include "IO/textcodec.h"
#include "Items/item.h"
#include "Views/EditorScene.h"

GroupRegistry::GroupRegistry(QObject* parent)
    : QObject(parent)
{
}

void GroupRegistry::update(GroupableItem* item, QString newGroup, QString oldGroup)
{
    if (!item)
        return;

    if (!oldGroup.isEmpty()) {
        m_groups[oldGroup].removeOne(item);
    } else {
        // Nothing is listed under the empty name; an entry left by older data
        // still loses the item.
        auto it = m_groups.find(QString());
        if (it != m_groups.end())
            it->removeAll(item);
    }

    qDebug("Inserting: %s -> %s", encodeText(newGroup).c_str(), encodeText(item->name()).c_str());

    // An item without a group is in no list: no list may keep an item that its
    // destructor would not take out again.
    if (!newGroup.isEmpty())
        m_groups[newGroup].append(item);

    emit groupUpdated(oldGroup, newGroup);
}

void GroupRegistry::remove(GroupableItem* item, QString group)
{
    if (!item)
        return;
    if (group.isEmpty()) {
        auto it = m_groups.find(QString());
        if (it != m_groups.end())
            it->removeAll(item);
        return;
    }
    // Every occurrence goes: the caller is usually a destructor.
    m_groups[group].removeAll(item);
}

void GroupRegistry::clear()
{
    m_groups.clear();
}

GroupRegistry* GroupMembership::registryOf(const QGraphicsItem* item) const
{
    if (GroupRegistry* groups = EditorScene::groupsOf(item))
        return groups;
    return m_registry.data();
}

void GroupMembership::move(const QGraphicsItem* item, GroupableItem* member, const QString& newGroup,
                           const QString& oldGroup)
{
    if (GroupRegistry* groups = registryOf(item)) {
        groups->update(member, newGroup, oldGroup);
        m_registry = groups;
    }
}

void GroupMembership::leave(const QGraphicsItem* item, GroupableItem* member, const QString& group)
{
    if (GroupRegistry* groups = registryOf(item))
        groups->remove(member, group);
}
