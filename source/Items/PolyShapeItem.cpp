#include "Items/PolyShapeItem.h"

#include <QBrush>
#include <QKeyEvent>
#include <QPainter>
#include <QPen>
#include <QStyleOptionGraphicsItem>


#include <cmath>
#include <vector>

#include "Toolkit/cpSupport.h"
#include "cpCompat.h"

PolyShapeItem::PolyShapeItem(cpSpace* space, cpShape* shape, QGraphicsItem* parent)
    : ShapeItem(space, shape)
    , ShapeGraphicsItem<AbstractPolyItem>(this, true, parent)
{
    color = shapeColor(false);
    setZValue(PhysicsShapeZ);
    setFlags(QGraphicsItem::ItemIsSelectable | QGraphicsItem::ItemIsFocusable
             | QGraphicsItem::ItemIsMovable);

    if (shape) {
        const bool standsForBody = ShapeDragDropBehavior::standsForBody(this, shape, space);
        const std::vector<cpVect> verts = polyVerticesClockwise(shape);
        QList<QPointF> points;
        points.reserve(qsizetype(verts.size()));
        for (const cpVect& v : verts) {
            QPointF p(v.x, v.y);
            if (!standsForBody)
                p = mapFromParent(ShapeDragDropBehavior::mapFromBodyFrame(this, shape, space, p));
            points.append(p);
        }
        addPoints(points);
    }
    adjust();
}

PolyShapeItem::~PolyShapeItem() = default;

int PolyShapeItem::type() const
{
    return PolyShapeItemType;
}

const QList<ItemNode*>& PolyShapeItem::handles() const
{
    return nodes;
}

QList<QPointF> PolyShapeItem::handlePositions() const
{
    QList<QPointF> out;
    for (ItemNode* node : nodes)
        out.append(node->pos());
    return out;
}

bool PolyShapeItem::setShapeVerts(const QList<QPointF>& clockwise)
{
    std::vector<cpVect> verts;
    verts.reserve(size_t(clockwise.size()));
    for (const QPointF& p : clockwise) {
        if (!isSanePoint(p))
            return false;
        verts.push_back(cpv(p.x(), p.y()));
    }
    // The reader refuses any other outline, and the collision code cannot take it.
    if (!isValidClockwisePolygon(verts.data(), int(verts.size())))
        return false;
    setPolyVerticesClockwise(cpshape(), int(verts.size()), verts.data());
    return true;
}

void PolyShapeItem::adjustVerts()
{
    cpShape* shape = cpshape();
    // A polygon below three vertices is on its way out; Chipmunk never sees it.
    if (!shape || nodes.size() < 3)
        return;
    const QList<QPointF> clockwise = handlePositions();
    cpBody* body = cpShapeGetBody(shape);
    // An outline the shape does not take keeps the moment of the one it has.
    if (setShapeVerts(clockwise)) {
        std::vector<cpVect> ccw;
        ccw.reserve(size_t(clockwise.size()));
        for (auto it = clockwise.crbegin(); it != clockwise.crend(); ++it)
            ccw.push_back(cpv(it->x(), it->y()));
        const double moment =
            cpMomentForPoly(cpBodyGetMass(body), int(ccw.size()), ccw.data(), cpvzero, 0);
        if (std::isfinite(moment) && moment > 0 && cpBodyGetType(body) == CP_BODY_TYPE_DYNAMIC)
            ShapeItem::setMoment(float(moment));
    }

    if (space())
        cpSpaceReindexShapesForBody(space(), body);
}

void PolyShapeItem::adjust()
{
    cpShape* shape = cpshape();
    if (!shape)
        return;
    // A glued or static polygon carries its placement in its vertices.
    if (ShapeDragDropBehavior::standsForBody(this, shape, space()))
        ShapeItemAdjust(this, shape);
    if (syncPair())
        syncPair()->sync();
}

void PolyShapeItem::adjustShape()
{
    cpShape* shape = cpshape();
    if (!shape || !space() || nodes.size() < 3)
        return;
    cpBody* body = cpShapeGetBody(shape);
    if (ShapeDragDropBehavior::standsForBody(this, shape, space())) {
        moveBodyToItem(body, this);
        adjustVerts();
        return;
    }

    QList<QPointF> clockwise;
    for (ItemNode* node : nodes)
        clockwise.append(ShapeDragDropBehavior::mapToBodyFrame(this, shape, space(), node->pos()));
    setShapeVerts(clockwise);
    cpSpaceReindexShapesForBody(space(), body);

    // Shapes glued onto this one share its body frame: place them again too.
    adjustGluedChildren(this);
}

void PolyShapeItem::setOldBody(cpBody* body)
{
    ShapeItem::setOldBody(body);
    color = shapeColor(body != nullptr);
    update();
}

void PolyShapeItem::setMoment(float moment)
{
    if (moment == computedMomentRequest) {
        if (ShapeDragDropBehavior::standsForBody(this, cpshape(), space()))
            adjustVerts();
        return;
    }
    ShapeItem::setMoment(moment);
}

void PolyShapeItem::addPoint(QPointF point)
{
    AbstractPolyItem::addPoint(point);
}

void PolyShapeItem::updatePosition(ItemNode* node)
{
    AbstractPolyItem::updatePosition(node);
    adjustShape();
}

void PolyShapeItem::deleteNode(ItemNode* node)
{
    const int index = nodes.indexOf(node);
    if (index < 0)
        return;
    nodes.removeAt(index);
    // The handle goes at once: left behind it could still be dragged.
    delete node;
    if (nodes.size() >= 3) {
        adjustShape();
        calcRect();
        colorNodes();
        return;
    }
    const QList<ItemNode*> rest = nodes;
    nodes.clear();
    qDeleteAll(rest);
    deleteLater();
}

void PolyShapeItem::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    // On the space's shared static body the vertices turn instead of the body.
    case Qt::Key_Left:
        if (turnBy(1.0f))
            adjustShape();
        break;
    case Qt::Key_Right:
        if (turnBy(-1.0f))
            adjustShape();
        break;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        deleteLater();
        break;
    default:
        AbstractPolyItem::keyPressEvent(event);
        break;
    }
}

void PolyShapeItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
                          QWidget* widget)
{
    AbstractPolyItem::paint(painter, option, widget);
    // The centre mark is 4 units across: below a pixel it does not show.
    if (4 * QStyleOptionGraphicsItem::levelOfDetailFromTransform(painter->worldTransform()) < 1.0)
        return;
    static const QPen markPen(QBrush(Qt::yellow), 0);
    static const QBrush markBrush(QColor(0, 0, 255, 110), Qt::SolidPattern);
    painter->setPen(markPen);
    painter->setBrush(markBrush);
    painter->drawRect(QRect(-2, -2, 4, 4));
}
