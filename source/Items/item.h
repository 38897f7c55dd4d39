#ifndef ITEM_H
#define ITEM_H

#include <QColor>
#include <QGraphicsEllipseItem>
#include <QGraphicsItem>
#include <QObject>
#include <QString>

// Graphics item type ids reported by type(). UserType+19 and +22 have no class
// but still count as joint ids.
enum ItemType : int {
    TriGradientItemType = QGraphicsItem::UserType + 1,
    PolyItemType = QGraphicsItem::UserType + 2,
    LineItemType = QGraphicsItem::UserType + 3,
    PathSegmentItemType = QGraphicsItem::UserType + 4,
    TextItemType = QGraphicsItem::UserType + 5,
    PathItemType = QGraphicsItem::UserType + 6,
    SpriteSheetItemType = QGraphicsItem::UserType + 7,
    GraphicItemType = QGraphicsItem::UserType + 8,
    ColorMarkerItemType = QGraphicsItem::UserType + 9,
    SegmentShapeItemType = QGraphicsItem::UserType + 10,
    CircleShapeItemType = QGraphicsItem::UserType + 11,
    PolyShapeItemType = QGraphicsItem::UserType + 12,
    PinJointItemType = QGraphicsItem::UserType + 13,
    MotorJointItemType = QGraphicsItem::UserType + 14,
    PivotJointItemType = QGraphicsItem::UserType + 15,
    SlideJointItemType = QGraphicsItem::UserType + 16,
    SpringJointItemType = QGraphicsItem::UserType + 17,
    GearJointItemType = QGraphicsItem::UserType + 18,
    RotarySpringJointItemType = QGraphicsItem::UserType + 20,
    RotaryLimitJointItemType = QGraphicsItem::UserType + 21,
    LineItemNodeType = QGraphicsItem::UserType + 23
};

// Stacking order of the canvas, lowest first: the z each kind takes when made.
// Sprites and sprite sheets then take the z their level file gives them; every
// other kind keeps its own.
enum ItemZ : qint64 {
    BackgroundZ = 0,
    SpriteZ = 1,
    SpriteSheetZ = 100,
    BoundsZ = 1000,
    LineZ = 10000,
    ColorMarkerZ = 100000,
    PhysicsShapeZ = 1000000000,
    JointZ = 1000000001,
    LineEndNodeZ = 1000000002
};

// Outline of a physics shape that has a body of its own.
inline const QColor physicsShapeColor(0, 100, 255, 200);
// Line of a joint between its bodies.
inline const QColor jointColor(200, 0, 255, 200);

// The moment a circle or polygon is given to compute its own from its geometry;
// any other negative moment means infinite.
constexpr float computedMomentRequest = -2.0f;

// Items the property panel may show: every id above UserType (signed compare).
bool propertiesType(ItemType type);
// Circle, segment and polygon physics shapes.
bool shapeType(ItemType type);
// The joint id range UserType+13..+22.
bool jointType(ItemType type);
// Items written as elements of their own in the level file.
bool writeableType(ItemType type);
// Items that accept dropped items.
bool parentableType(ItemType type);

// Graphics item that draws the standard selection outline on top of its content.
// Derived items call paint() after drawing themselves.
class SelectableQGraphicsItem : public QGraphicsItem
{
public:
    explicit SelectableQGraphicsItem(QGraphicsItem* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;
};

class ItemNode;

// Owner of ItemNode handles; told after each handle move.
class AbstractNodeParent
{
public:
    virtual ~AbstractNodeParent() = default;
    virtual void updatePosition(ItemNode* node) = 0;
    virtual void deleteNode(ItemNode* node) = 0;
};

// The 6x6 draggable vertex handle. It is a graphics child of its node parent
// when that parent is a graphics item, and reports every drag step to it.
class ItemNode : public QObject, public QGraphicsEllipseItem
{
public:
    explicit ItemNode(AbstractNodeParent* parent);

    AbstractNodeParent* nodeParent() const { return m_nodeParent; }
    void notifyParentOfUpdate();
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;

    AbstractNodeParent* m_nodeParent;
};

class SyncedItemPair;

// An item that can follow another one (a sprite following a physics shape).
class AbstractSyncItem
{
public:
    AbstractSyncItem() = default;
    AbstractSyncItem(const AbstractSyncItem&) = delete;
    AbstractSyncItem& operator=(const AbstractSyncItem&) = delete;
    // Dissolves the pairing, so the partner never keeps a freed pointer.
    virtual ~AbstractSyncItem();

    // Make this item follow other.
    virtual void sync(AbstractSyncItem* other) = 0;

    void deleteSyncPair();
    SyncedItemPair* syncPair() const { return pair; }

protected:
    friend class SyncedItemPair;
    SyncedItemPair* pair = nullptr;
};

// Two items kept in step: the syncee follows the syncer. Owned by the two items;
// whichever dissolves the pairing deletes it.
class SyncedItemPair
{
public:
    SyncedItemPair() = default;
    SyncedItemPair(const SyncedItemPair&) = delete;
    SyncedItemPair& operator=(const SyncedItemPair&) = delete;
    ~SyncedItemPair();

    void syncItems(AbstractSyncItem* syncer, AbstractSyncItem* syncee);
    void sync();

    AbstractSyncItem* syncer() const { return m_syncer; }
    AbstractSyncItem* syncee() const { return m_syncee; }

private:
    AbstractSyncItem* m_syncer = nullptr;
    AbstractSyncItem* m_syncee = nullptr;
};

// Group id, name and visibility of items listed in the canvas's group registry.
// Items override setGroupId to move themselves in the registry before storing the id.
class GroupableItem
{
public:
    GroupableItem() = default;
    virtual ~GroupableItem() = default;

    virtual QString groupId() const;
    virtual void setGroupId(QString groupId);
    virtual QString name() const;
    virtual void setName(QString name);
    virtual bool active() const = 0;
    virtual void setActive(bool active) = 0;

protected:
    QString m_groupId;
    QString m_name;
};

#endif // ITEM_H
