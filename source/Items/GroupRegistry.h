#ifndef GROUPREGISTRY_H
#define GROUPREGISTRY_H

#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>

class GroupableItem;
class QGraphicsItem;

// The canvas's groups: group name -> items of that group, in joining order.
// The canvas owns it; grouped items reach it through their scene's context
// (EditorScene::groupsOf) and list themselves, the items are not owned.
class GroupRegistry : public QObject
{
    Q_OBJECT
public:
    using GroupMap = QMap<QString, QList<GroupableItem*> >;

    explicit GroupRegistry(QObject* parent = nullptr);

    GroupMap* map() { return &m_groups; }

    // Moves the item from oldGroup to newGroup.
    void update(GroupableItem* item, QString newGroup, QString oldGroup);
    // Takes every occurrence of the item out of the group.
    void remove(GroupableItem* item, QString group);
    void clear();

signals:
    void groupUpdated(QString oldGroup, QString newGroup);

private:
    GroupMap m_groups;
};

// A grouped item's hold on its canvas's registry. It remembers the registry it
// joined, so an item that dies outside any scene (its delete command
// discarded) still leaves the group it is listed in.
class GroupMembership
{
public:
    // Moves member from oldGroup to newGroup in the registry of item's canvas.
    void move(const QGraphicsItem* item, GroupableItem* member, const QString& newGroup,
              const QString& oldGroup);
    // Takes member out of group; called from the item's destructor.
    void leave(const QGraphicsItem* item, GroupableItem* member, const QString& group);

private:
    GroupRegistry* registryOf(const QGraphicsItem* item) const;

    QPointer<GroupRegistry> m_registry;
};

#endif // GROUPREGISTRY_H
