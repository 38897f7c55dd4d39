#ifndef POLYSHAPEITEM_H
#define POLYSHAPEITEM_H

#include <QList>
#include <QPointF>

#include "Items/PolyItem.h"
#include "Items/ShapeGraphicsItem.h"
#include "Items/ShapeItem.h"

// A Chipmunk polygon drawn as a triangle fan over one handle per vertex. The
// handles hold the vertices in clockwise order; Chipmunk gets them reversed.
class PolyShapeItem : public ShapeItem, public ShapeGraphicsItem<AbstractPolyItem>
{
    Q_OBJECT
    Q_PROPERTY(QPointF Position READ position WRITE setPosition DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(float Rotation READ itemRotation WRITE setItemRotation DESIGNABLE true SCRIPTABLE true STORED true USER true)

public:
    PolyShapeItem(cpSpace* space, cpShape* shape, QGraphicsItem* parent = nullptr);
    ~PolyShapeItem() override;

    void adjust() override;
    void adjustShape() override;
    // Vertices from the handles, and the moment from them and the body's mass.
    void adjustVerts();
    void setOldBody(cpBody* body) override;
    void setMoment(float moment) override;

    // The handles' positions in vertex order (item coordinates).
    QList<QPointF> handlePositions() const;
    const QList<ItemNode*>& handles() const;

    void addPoint(QPointF point) override;
    void updatePosition(ItemNode* node) override;
    void deleteNode(ItemNode* node) override;

    int type() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // False, with the shape unchanged, for an outline the file could not keep.
    bool setShapeVerts(const QList<QPointF>& clockwise);
};

#endif // POLYSHAPEITEM_H
