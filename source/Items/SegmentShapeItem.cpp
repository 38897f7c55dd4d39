#include "Items/SegmentShapeItem.h"

#include <QGraphicsScene>
#include <QKeyEvent>
#include <QPainter>
#include <QPen>
#include <QStyleOptionGraphicsItem>


#include <cmath>

#include "Toolkit/cpSupport.h"
#include "cpCompat.h"

SegmentShapeItem::SegmentShapeItem(cpSpace* space, cpShape* shape)
    : ShapeItem(space, shape)
    , AbstractEdge()
    , QGraphicsLineItem(nullptr)
{
    QPen pen(physicsShapeColor);
    pen.setCapStyle(Qt::RoundCap);
    pen.setWidthF(2.0 * double(float(radius())));
    setZValue(PhysicsShapeZ);
    setPen(pen);
    adjust();
    setFlags(QGraphicsItem::ItemIsSelectable | QGraphicsItem::ItemIsFocusable);
}

int SegmentShapeItem::type() const
{
    return SegmentShapeItemType;
}

double SegmentShapeItem::radius() const
{
    return cpshape() ? cpSegmentShapeGetRadius(cpshape()) : 0.0;
}

void SegmentShapeItem::setRadius(double r)
{
    cpShape* shape = cpshape();
    if (!shape || !isSaneLength(r) || !(r > 1.0))
        return;
    prepareGeometryChange();
    setSegmentRadius(shape, r);
    if (space() && cpSpaceContainsShape(space(), shape))
        cpSpaceReindexShape(space(), shape);
    QPen p = pen();
    p.setWidthF(2.0 * r);
    setPen(p);
}

QPointF SegmentShapeItem::pointA() const
{
    if (!cpshape())
        return QPointF();
    const cpVect a = cpBodyLocalToWorld(cpShapeGetBody(cpshape()), cpSegmentShapeGetA(cpshape()));
    return QPointF(a.x, a.y);
}

QPointF SegmentShapeItem::pointB() const
{
    if (!cpshape())
        return QPointF();
    const cpVect b = cpBodyLocalToWorld(cpShapeGetBody(cpshape()), cpSegmentShapeGetB(cpshape()));
    return QPointF(b.x, b.y);
}

// Node positions are scene points; the shape keeps its ends in body
// coordinates (identical for the space's static body).
void SegmentShapeItem::updateEndpoints()
{
    cpShape* shape = cpshape();
    if (!shape)
        return;
    cpBody* body = cpShapeGetBody(shape);
    cpVect a = cpSegmentShapeGetA(shape);
    cpVect b = cpSegmentShapeGetB(shape);
    if (m_endA && isSanePoint(m_endA->scenePos()))
        a = cpBodyWorldToLocal(body, cpv(m_endA->scenePos().x(), m_endA->scenePos().y()));
    if (m_endB && isSanePoint(m_endB->scenePos()))
        b = cpBodyWorldToLocal(body, cpv(m_endB->scenePos().x(), m_endB->scenePos().y()));
    setVisible(true);
    setSegmentEndpoints(shape, a, b);
    if (space() && cpSpaceContainsShape(space(), shape))
        cpSpaceReindexShape(space(), shape);
    adjust();
}

void SegmentShapeItem::adjust()
{
    cpShape* shape = cpshape();
    if (!shape)
        return;
    ShapeItemAdjust(this, shape);
    const cpVect a = cpSegmentShapeGetA(shape);
    const cpVect b = cpSegmentShapeGetB(shape);
    setLine(a.x, a.y, b.x, b.y);
}

void SegmentShapeItem::adjustShape()
{
    cpShape* shape = cpshape();
    if (!shape || !space())
        return;
    cpBody* body = cpShapeGetBody(shape);
    // The space's static body is shared by every static shape and never moves.
    if (!oldBody() && !isSharedStaticBody(space(), body))
        moveBodyToItem(body, this);
    const QLineF l = line();
    if (isSanePoint(l.p1()) && isSanePoint(l.p2()))
        setSegmentEndpoints(shape, cpv(l.x1(), l.y1()), cpv(l.x2(), l.y2()));
    cpSpaceReindexShapesForBody(space(), body);
}

SegmentShapeItem* SegmentShapeItem::clone()
{
    cpShape* source = cpshape();
    if (!source || !space())
        return nullptr;
    const QPointF p = pos();
    const cpVect start = cpv(p.x(), p.y());
    cpShape* shape = cpSegmentShapeNew(cpSpaceGetStaticBody(space()), start,
                                       cpvadd(start, cpv(2, 0)), cpSegmentShapeGetRadius(source));
    cpShapeSetCollisionType(shape, cpShapeGetCollisionType(source));
    cpShapeSetFilter(shape, cpShapeGetFilter(source));
    cpShapeSetElasticity(shape, cpShapeGetElasticity(source));
    cpShapeSetFriction(shape, cpShapeGetFriction(source));
    cpSpaceAddShape(space(), shape);

    SegmentShapeItem* copy = new SegmentShapeItem(space(), shape);
    if (scene())
        scene()->addItem(copy);
    return copy;
}

QRectF SegmentShapeItem::boundingRect() const
{
    const qreal grow = radius() + 1.0;
    return QGraphicsLineItem::boundingRect().adjusted(-grow, -grow, grow, grow);
}

void SegmentShapeItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
                             QWidget* widget)
{
    painter->setRenderHint(QPainter::Antialiasing, true);
    QGraphicsLineItem::paint(painter, option, widget);

    // A dotted ring under a pixel across shows no dots, only a costly stroke.
    const qreal ring = radius() + 1.0;
    if (2 * ring * QStyleOptionGraphicsItem::levelOfDetailFromTransform(painter->worldTransform()) < 1.0)
        return;
    static const QPen ringPen(QBrush(Qt::black), 1.0, Qt::DotLine);
    painter->setBrush(Qt::NoBrush);
    painter->setPen(ringPen);
    painter->drawEllipse(line().p2(), ring, ring);
}

void SegmentShapeItem::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        setRadius(radius() + 1.0);
        break;
    case Qt::Key_Down:
        setRadius(radius() - 1.0);
        break;
    default:
        break;
    }
    event->accept();
}
