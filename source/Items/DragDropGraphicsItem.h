#ifndef DRAGDROPGRAPHICSITEM_H
#define DRAGDROPGRAPHICSITEM_H

#include <QPointF>
#include <QPointer>

#include <chipmunk/chipmunk.h>

#include "Items/item.h"

class QGraphicsItem;
class QGraphicsSceneMouseEvent;
class ShapeItem;

// A drop target: sprites, circle shapes and polygon shapes.
class DragDropGraphicsItem
{
public:
    virtual ~DragDropGraphicsItem() {}
    // The dragged item came over this target; true when it is accepted.
    virtual bool dragEntering(QGraphicsItem* item) = 0;
    virtual void dragLeaving(QGraphicsItem* item) = 0;
    virtual void dropped(QGraphicsItem* item) = 0;
};

// Shift-drag re-parenting. The dragged item's behaviour finds and remembers the
// target; the target's own behaviour dims it and performs the drop.
class BasicDragDropBehavior
{
public:
    BasicDragDropBehavior();
    virtual ~BasicDragDropBehavior();

    BasicDragDropBehavior(const BasicDragDropBehavior&) = delete;
    BasicDragDropBehavior& operator=(const BasicDragDropBehavior&) = delete;

    virtual void handleMouseMove(QGraphicsItem* item, QGraphicsSceneMouseEvent* event);
    virtual void handleMouseRelease(QGraphicsItem* item, QGraphicsItem* defaultParent,
                                    QGraphicsSceneMouseEvent* event);
    virtual bool canDropOnType(ItemType type);
    virtual bool handleDragEntering(QGraphicsItem* item, QGraphicsItem* target);
    virtual void handleDragLeaving(QGraphicsItem* item, QGraphicsItem* target);
    virtual void handleDrop(QGraphicsItem* item, QGraphicsItem* target);

    // The remembered target, null when there is none (or it has gone away).
    DragDropGraphicsItem* currentTarget() const;

protected:
    void setTarget(QGraphicsItem* target);
    void clearTarget() { setTarget(nullptr); }
    // Tells the current target that the item left it, then forgets the target.
    void leaveTarget(QGraphicsItem* item);
    // Re-parents item under parent (null: top level) keeping its scene position.
    static void reparentKeepingScenePos(QGraphicsItem* item, QGraphicsItem* parent);

    DragDropGraphicsItem* m_target;
    float m_savedOpacity;

private:
    // Watches a target that is also a QObject, so one destroyed during the drag
    // is never called.
    QPointer<QObject> m_targetGuard;
    bool m_targetIsObject;
};

// The behaviour of a circle or polygon shape item: gluing a dragged shape onto
// the target's body, and freeing it onto its own body again. A sprite dropped
// on the shape is linked to follow it.
class ShapeDragDropBehavior : public BasicDragDropBehavior
{
public:
    ShapeDragDropBehavior(cpShape* shape, cpSpace* space);

    void handleMouseMove(QGraphicsItem* item, QGraphicsSceneMouseEvent* event) override;
    void handleMouseRelease(QGraphicsItem* item, QGraphicsItem* defaultParent,
                            QGraphicsSceneMouseEvent* event) override;
    bool canDropOnType(ItemType type) override;
    void handleDrop(QGraphicsItem* item, QGraphicsItem* target) override;

    // Stops the shape's body, so a dragged body does not fly off when simulated.
    void freezeShape();

    cpShape* shape() const { return m_shape; }
    cpSpace* space() const { return m_space; }

    // Where a shape item's geometry lives. A top-level item of a body of its own
    // stands for that body (its position and rotation are the body's). Any other
    // shape is placed in its body's frame: the top-level item of its glue chain,
    // or the scene for the space's static body, which is never moved.
    static bool standsForBody(QGraphicsItem* item, cpShape* shape, cpSpace* space);
    // A point of the item's coordinates in the body's frame.
    static QPointF mapToBodyFrame(QGraphicsItem* item, cpShape* shape, cpSpace* space,
                                  const QPointF& point);
    // A point of the body's frame in the coordinates of the item's parent.
    static QPointF mapFromBodyFrame(QGraphicsItem* item, cpShape* shape, cpSpace* space,
                                    const QPointF& point);

private:
    cpShape* m_shape;
    cpSpace* m_space;
};

#endif // DRAGDROPGRAPHICSITEM_H
