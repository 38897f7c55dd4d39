#ifndef CIRCLESHAPEITEM_H
#define CIRCLESHAPEITEM_H

#include <QGraphicsEllipseItem>
#include <QPointF>

#include "Items/DragDropGraphicsItem.h"
#include "Items/ShapeItem.h"

// A Chipmunk circle drawn as an ellipse. Sprites dropped on it follow it, and
// shapes dropped on it with Shift are glued onto its body.
class CircleShapeItem : public ShapeItem, public QGraphicsEllipseItem, public DragDropGraphicsItem
{
    Q_OBJECT
    Q_PROPERTY(QPointF Position READ position WRITE setPosition DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(float Rotation READ itemRotation WRITE setItemRotation DESIGNABLE true SCRIPTABLE true STORED true USER true)

public:
    CircleShapeItem(cpSpace* space, cpShape* shape, QGraphicsItem* parent = nullptr);
    ~CircleShapeItem() override;

    void adjust() override;
    void adjustShape() override;
    void setOldBody(cpBody* body) override;
    void setMoment(float moment) override;

    QPointF position() const { return pos(); }
    // Moves or turns the drawing only; the body follows at the next adjustShape.
    void setPosition(const QPointF& position);
    float itemRotation() const { return float(rotation()); }
    void setItemRotation(float degrees);

    int type() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

    bool dragEntering(QGraphicsItem* item) override;
    void dragLeaving(QGraphicsItem* item) override;
    void dropped(QGraphicsItem* item) override;

    ShapeDragDropBehavior* behavior() const { return mBehavior; }

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;

private:
    float radius() const;
    void setRadius(float r);
    void updateRect();
    void turnBy(float degrees);

    ShapeDragDropBehavior* mBehavior;
};

#endif // CIRCLESHAPEITEM_H
