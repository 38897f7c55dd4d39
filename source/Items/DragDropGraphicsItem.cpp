#include "Items/DragDropGraphicsItem.h"

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QTransform>


#include "Items/ShapeItem.h"
#include "Toolkit/cpSupport.h"

namespace {

bool shiftHeld(QGraphicsSceneMouseEvent* event)
{
    return event && event->modifiers().testFlag(Qt::ShiftModifier);
}

// Puts an item's shape onto another body; Chipmunk refuses a body change while
// the shape is in the space.
void moveShapeToBody(cpSpace* space, ShapeItem* item, cpBody* body)
{
    cpShape* shape = item->cpshape();
    cpBody* previous = cpShapeGetBody(shape);
    if (previous == body)
        return;
    if (cpSpaceContainsShape(space, shape))
        cpSpaceRemoveShape(space, shape);
    cpShapeSetBody(shape, body);
    if (!cpSpaceContainsShape(space, shape))
        cpSpaceAddShape(space, shape);
    item->shapeBodyChanged(previous);
}

// Shape items below item in the item tree, parents before children.
void collectShapeDescendants(QGraphicsItem* item, QList<ShapeItem*>& out)
{
    const QList<QGraphicsItem*> children = item->childItems();
    for (QGraphicsItem* child : children) {
        if (shapeType(ItemType(child->type()))) {
            if (ShapeItem* shape = dynamic_cast<ShapeItem*>(child))
                out.append(shape);
        }
        collectShapeDescendants(child, out);
    }
}

// Shapes glued onto a host ride on the host's body: when the host's own shape
// changes body, theirs follow.
void moveGluedDescendants(QGraphicsItem* item, cpSpace* space, cpBody* from, cpBody* to)
{
    QList<ShapeItem*> glued;
    collectShapeDescendants(item, glued);
    for (ShapeItem* shape : glued) {
        if (shape->cpshape() && cpShapeGetBody(shape->cpshape()) == from)
            moveShapeToBody(space, shape, to);
    }
}

void adjustDescendants(QGraphicsItem* item)
{
    QList<ShapeItem*> glued;
    collectShapeDescendants(item, glued);
    for (ShapeItem* shape : glued)
        shape->adjustShape();
}

} // namespace

// ---------------------------------------------------------------------------
// BasicDragDropBehavior

BasicDragDropBehavior::BasicDragDropBehavior()
    : m_target(nullptr)
    , m_savedOpacity(1.0f)
    , m_targetIsObject(false)
{
}

BasicDragDropBehavior::~BasicDragDropBehavior() = default;

DragDropGraphicsItem* BasicDragDropBehavior::currentTarget() const
{
    if (m_target && m_targetIsObject && m_targetGuard.isNull())
        return nullptr;
    return m_target;
}

void BasicDragDropBehavior::setTarget(QGraphicsItem* target)
{
    m_target = target ? dynamic_cast<DragDropGraphicsItem*>(target) : nullptr;
    QObject* object = m_target ? dynamic_cast<QObject*>(target) : nullptr;
    m_targetGuard = object;
    m_targetIsObject = object != nullptr;
}

void BasicDragDropBehavior::leaveTarget(QGraphicsItem* item)
{
    if (DragDropGraphicsItem* target = currentTarget())
        target->dragLeaving(item);
    clearTarget();
}

void BasicDragDropBehavior::handleMouseMove(QGraphicsItem* item, QGraphicsSceneMouseEvent* event)
{
    if (!item)
        return;
    if (!shiftHeld(event)) {
        leaveTarget(item);
        return;
    }
    QGraphicsScene* scene = item->scene();
    if (!scene)
        return;

    QGraphicsItem* found = nullptr;
    const QList<QGraphicsItem*> under = scene->items(event->scenePos(), Qt::IntersectsItemShape,
                                                      Qt::AscendingOrder, QTransform());
    for (auto it = under.crbegin(); it != under.crend(); ++it) {
        QGraphicsItem* candidate = *it;
        // An item may never become a child of itself or of its own descendant.
        if (candidate == item || item->isAncestorOf(candidate))
            continue;
        if (canDropOnType(ItemType(candidate->type()))) {
            found = candidate;
            break;
        }
    }

    DragDropGraphicsItem* current = currentTarget();
    DragDropGraphicsItem* foundTarget = found ? dynamic_cast<DragDropGraphicsItem*>(found) : nullptr;
    if (current && foundTarget == current)
        return;
    if (!current && !foundTarget)
        return;
    leaveTarget(item);
    if (foundTarget) {
        setTarget(found);
        if (!foundTarget->dragEntering(item))
            clearTarget();
    }
}

void BasicDragDropBehavior::reparentKeepingScenePos(QGraphicsItem* item, QGraphicsItem* parent)
{
    QGraphicsScene* scene = item->scene();
    const QPointF scenePos = item->scenePos();
    const QPointF newPos = parent ? parent->mapFromScene(scenePos) : scenePos;
    if (scene)
        scene->removeItem(item);
    item->setParentItem(parent);
    item->setPos(newPos);
    if (!parent && scene)
        scene->addItem(item);
}

void BasicDragDropBehavior::handleMouseRelease(QGraphicsItem* item, QGraphicsItem* defaultParent,
                                               QGraphicsSceneMouseEvent* event)
{
    if (!item)
        return;
    if (DragDropGraphicsItem* target = currentTarget()) {
        clearTarget();
        target->dropped(item);
        return;
    }
    clearTarget();
    if (shiftHeld(event) && item->parentItem() != defaultParent
        && !(defaultParent && item->isAncestorOf(defaultParent))) {
        reparentKeepingScenePos(item, defaultParent);
    }
}

bool BasicDragDropBehavior::canDropOnType(ItemType type)
{
    return parentableType(type);
}

bool BasicDragDropBehavior::handleDragEntering(QGraphicsItem*, QGraphicsItem* target)
{
    if (!target)
        return false;
    m_savedOpacity = float(target->opacity());
    target->setOpacity(m_savedOpacity * 0.5);
    return true;
}

void BasicDragDropBehavior::handleDragLeaving(QGraphicsItem*, QGraphicsItem* target)
{
    if (target)
        target->setOpacity(m_savedOpacity);
}

void BasicDragDropBehavior::handleDrop(QGraphicsItem* item, QGraphicsItem* target)
{
    if (!item || !target)
        return;
    // Never make an item a child of itself or of its own descendant.
    if (item == target || item->isAncestorOf(target)) {
        handleDragLeaving(item, target);
        return;
    }
    const QPointF pos = item->mapToItem(target, QPointF(0, 0));
    if (QGraphicsScene* scene = item->scene())
        scene->removeItem(item);
    item->setParentItem(target);
    item->setPos(pos);
    item->setRotation(0);
    handleDragLeaving(item, target);
}

// ---------------------------------------------------------------------------
// ShapeDragDropBehavior

ShapeDragDropBehavior::ShapeDragDropBehavior(cpShape* shape, cpSpace* space)
    : m_shape(shape)
    , m_space(space)
{
}

void ShapeDragDropBehavior::handleMouseMove(QGraphicsItem* item, QGraphicsSceneMouseEvent* event)
{
    BasicDragDropBehavior::handleMouseMove(item, event);
}

bool ShapeDragDropBehavior::canDropOnType(ItemType type)
{
    return shapeType(type);
}

void ShapeDragDropBehavior::freezeShape()
{
    if (!m_shape)
        return;
    cpBody* body = cpShapeGetBody(m_shape);
    if (!body || cpBodyGetType(body) != CP_BODY_TYPE_DYNAMIC)
        return;
    cpBodySetVelocity(body, cpvzero);
    cpBodySetAngularVelocity(body, 0);
}

void ShapeDragDropBehavior::handleDrop(QGraphicsItem* item, QGraphicsItem* target)
{
    if (!item || !target)
        return;
    // A sprite is not re-parented: it follows the shape from where it is.
    if (item->type() == GraphicItemType) {
        if (ShapeItem* host = dynamic_cast<ShapeItem*>(target)) {
            host->syncWithSyncee(dynamic_cast<AbstractSyncItem*>(item));
            host->adjust();
        }
        handleDragLeaving(item, target);
        return;
    }
    if (!m_shape || !m_space)
        return;
    if (!shapeType(ItemType(item->type())))
        return;
    ShapeItem* dropped = dynamic_cast<ShapeItem*>(item);
    if (!dropped || !dropped->cpshape() || dropped->cpshape() == m_shape)
        return;
    if (item == target || item->isAncestorOf(target)) {
        handleDragLeaving(item, target);
        return;
    }

    cpShape* shape = dropped->cpshape();
    cpBody* hostBody = cpShapeGetBody(m_shape);
    cpBody* current = cpShapeGetBody(shape);

    if (!dropped->oldBody() && current != hostBody) {
        dropped->setOldBody(current);
        // The space's static body is shared by every static shape and is never
        // taken out; a body already out of the space stays as it is.
        if (!isStaticOrOutside(m_space, current))
            cpSpaceRemoveBody(m_space, current);
    }

    moveShapeToBody(m_space, dropped, hostBody);
    moveGluedDescendants(item, m_space, current, hostBody);

    BasicDragDropBehavior::handleDrop(item, target);

    dropped->adjustShape();
    adjustDescendants(item);
}

void ShapeDragDropBehavior::handleMouseRelease(QGraphicsItem* item, QGraphicsItem* defaultParent,
                                               QGraphicsSceneMouseEvent* event)
{
    if (!item)
        return;
    const bool freeing = !currentTarget() && shiftHeld(event) && item->parentItem() != defaultParent;
    ShapeItem* shapeItem = shapeType(ItemType(item->type())) ? dynamic_cast<ShapeItem*>(item) : nullptr;

    // A child shape without a body of its own to return to stays where it is:
    // handing it back would leave its shape riding on the host's body.
    if (freeing && shapeItem && !shapeItem->oldBody()) {
        clearTarget();
        return;
    }

    BasicDragDropBehavior::handleMouseRelease(item, defaultParent, event);

    if (!freeing || !shapeItem || !m_shape || !m_space)
        return;

    cpBody* ownBody = shapeItem->oldBody();
    cpBody* hostBody = cpShapeGetBody(m_shape);
    const bool staticBody = isSharedStaticBody(m_space, ownBody);

    if (cpSpaceContainsShape(m_space, m_shape))
        cpSpaceRemoveShape(m_space, m_shape);
    cpShapeSetBody(m_shape, ownBody);
    if (!staticBody) {
        const QPointF scenePos = item->scenePos();
        cpBodySetPosition(ownBody, cpv(scenePos.x(), scenePos.y()));
    }
    shapeItem->setOldBody(nullptr);
    shapeItem->shapeBodyChanged(hostBody);

    // The body goes back before its shape; only a dynamic body returns to the
    // simulation (a static or infinite one was out of it before).
    if (!staticBody && cpBodyGetType(ownBody) == CP_BODY_TYPE_DYNAMIC
        && !cpSpaceContainsBody(m_space, ownBody)) {
        cpSpaceAddBody(m_space, ownBody);
    }
    if (!cpSpaceContainsShape(m_space, m_shape))
        cpSpaceAddShape(m_space, m_shape);
    if (!staticBody)
        cpBodySetUserData(ownBody, static_cast<QObject*>(shapeItem));
    if (getShapeType(m_shape) == ShapeKind::Circle)
        setCircleOffset(m_shape, cpvzero);

    moveGluedDescendants(item, m_space, hostBody, ownBody);
    shapeItem->adjustShape();
    adjustDescendants(item);
}

// ---------------------------------------------------------------------------
// Body frames

bool ShapeDragDropBehavior::standsForBody(QGraphicsItem* item, cpShape* shape, cpSpace* space)
{
    if (!item || !shape || item->parentItem())
        return false;
    return !isSharedStaticBody(space, cpShapeGetBody(shape));
}

QPointF ShapeDragDropBehavior::mapToBodyFrame(QGraphicsItem* item, cpShape* shape, cpSpace* space,
                                              const QPointF& point)
{
    if (isSharedStaticBody(space, cpShapeGetBody(shape)))
        return item->mapToScene(point);
    return item->mapToItem(item->topLevelItem(), point);
}

QPointF ShapeDragDropBehavior::mapFromBodyFrame(QGraphicsItem* item, cpShape* shape, cpSpace* space,
                                                const QPointF& point)
{
    QGraphicsItem* parent = item->parentItem();
    if (isSharedStaticBody(space, cpShapeGetBody(shape)))
        return parent ? parent->mapFromScene(point) : point;
    if (!parent)
        return point;
    return parent->mapFromItem(item->topLevelItem(), point);
}
