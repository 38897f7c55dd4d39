#ifndef CIRCLESHAPEITEM_H
#define CIRCLESHAPEITEM_H

#include <QGraphicsEllipseItem>
#include <QPointF>

#include "Items/ShapeGraphicsItem.h"
#include "Items/ShapeItem.h"

// A Chipmunk circle drawn as an ellipse. Sprites dropped on it follow it, and
// shapes dropped on it with Shift are glued onto its body.
class CircleShapeItem : public ShapeItem, public ShapeGraphicsItem<QGraphicsEllipseItem>
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

    int type() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    float radius() const;
    void setRadius(float r);
    void updateRect();
    void updateRect(bool standsForBody);
};

#endif // CIRCLESHAPEITEM_H
