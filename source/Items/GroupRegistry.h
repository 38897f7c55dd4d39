#ifndef GROUPREGISTRY_H
#define GROUPREGISTRY_H

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

class GroupableItem;

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

#endif // GROUPREGISTRY_H
