#ifndef SEGMENTSHAPEITEM_H
#define SEGMENTSHAPEITEM_H

#include <QGraphicsLineItem>
#include <QPointF>

#include "Items/AbstractLineItem.h"
#include "Items/ShapeItem.h"

// A Chipmunk segment drawn as a round-capped line as wide as the segment. Its
// ends are shared line nodes; moving a node moves the segment's end point.
class SegmentShapeItem : public ShapeItem, public AbstractEdge, public QGraphicsLineItem
{
    Q_OBJECT

public:
    // The shape is already in the space; the caller adds the item to a scene and
    // attaches the end nodes.
    SegmentShapeItem(cpSpace* space, cpShape* shape);

    void adjust() override;
    void adjustShape() override;

    double radius() const;
    // Only radii above 1 are taken.
    void setRadius(double r);

    // The shape's end points in scene coordinates (for the editor's own segments,
    // on the space's static body, the same numbers as the shape stores).
    QPointF pointA() const override;
    QPointF pointB() const override;
    void updateEndpoints() override;
    SegmentShapeItem* clone() override;

    int type() const override;
    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

#endif // SEGMENTSHAPEITEM_H
