#ifndef SHAPEGRAPHICSITEM_H
#define SHAPEGRAPHICSITEM_H

#include <QColor>
#include <QGraphicsItem>
#include <QPointF>
#include <QVariant>

#include <cmath>
#include <utility>

#include "Items/DragDropGraphicsItem.h"
#include "Items/PolyItem.h"
#include "Items/ShapeItem.h"
#include "cpCompat.h"

class QGraphicsSceneMouseEvent;

// The graphics half shared by the circle and polygon shape items: G is the
// drawing's graphics item class. It forwards drags and drops to the shape's
// drag behaviour, which it owns, moves and turns the drawing, and tells a
// polygon it is glued to before its geometry changes. The ShapeItem half comes
// first in the item and outlives this part.
template <class G>
class ShapeGraphicsItem : public G, public DragDropGraphicsItem
{
public:
    ShapeDragDropBehavior* behavior() const { return m_behavior; }

    bool dragEntering(QGraphicsItem* item) override { return m_behavior->handleDragEntering(item, this); }
    void dragLeaving(QGraphicsItem* item) override { m_behavior->handleDragLeaving(item, this); }
    void dropped(QGraphicsItem* item) override { m_behavior->handleDrop(item, this); }

    QPointF position() const { return this->pos(); }
    // Moves or turns the drawing only; the body follows at the next adjustShape.
    void setPosition(const QPointF& position)
    {
        if (isSanePoint(cpv(position.x(), position.y())))
            this->setPos(position);
    }
    float itemRotation() const { return float(this->rotation()); }
    void setItemRotation(float degrees)
    {
        if (isSaneMagnitude(radiansFromDegrees(degrees)))
            this->QGraphicsItem::setRotation(degrees);
    }

protected:
    template <class... Args>
    explicit ShapeGraphicsItem(ShapeItem* shapeItem, Args&&... args)
        : G(std::forward<Args>(args)...)
        , m_shapeItem(shapeItem)
        , m_behavior(new ShapeDragDropBehavior(shapeItem->cpshape(), shapeItem->space()))
    {
    }
    ~ShapeGraphicsItem() override { delete m_behavior; }

    // Fill of a shape with a body of its own, and of one glued onto another's.
    static QColor shapeColor(bool glued) { return glued ? QColor(0, 100, 180, 200) : physicsShapeColor; }

    // Turns drawing and body by degrees. True when the body is the space's
    // static body, which is shared by every static shape and never turns.
    bool turnBy(float degrees)
    {
        cpShape* shape = m_shapeItem->cpshape();
        if (!shape)
            return false;
        const float newRotation = float(this->rotation()) + degrees;
        cpBody* body = cpShapeGetBody(shape);
        cpSpace* space = m_shapeItem->space();
        const bool sharedStatic = isSharedStaticBody(space, body);
        this->QGraphicsItem::setRotation(newRotation);
        if (!sharedStatic)
            cpBodySetAngle(body, radiansFromDegrees(newRotation));
        return sharedStatic;
    }

    void mousePressEvent(QGraphicsSceneMouseEvent* event) override
    {
        G::mousePressEvent(event);
        m_behavior->handleMouseMove(this, event);
    }
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override
    {
        G::mouseMoveEvent(event);
        m_shapeItem->adjustShape();
        m_behavior->freezeShape();
        m_behavior->handleMouseMove(this, event);
    }
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override
    {
        G::mouseReleaseEvent(event);
        m_behavior->handleMouseRelease(this, nullptr, event);
    }

    QVariant itemChange(QGraphicsItem::GraphicsItemChange change, const QVariant& value) override
    {
        switch (change) {
        case QGraphicsItem::ItemParentHasChanged:
            AbstractPolyItem::followHost(this);
            break;
        case QGraphicsItem::ItemParentChange:
        case QGraphicsItem::ItemPositionChange:
        case QGraphicsItem::ItemRotationChange:
        case QGraphicsItem::ItemScaleChange:
        case QGraphicsItem::ItemTransformChange:
            AbstractPolyItem::childGeometryChanging(this);
            break;
        default:
            break;
        }
        return G::itemChange(change, value);
    }

    ShapeItem* m_shapeItem;
    ShapeDragDropBehavior* m_behavior;
};

#endif // SHAPEGRAPHICSITEM_H
