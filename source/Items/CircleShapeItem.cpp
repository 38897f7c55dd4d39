#include "Items/CircleShapeItem.h"

#include <QBrush>
#include <QKeyEvent>
#include <QPainter>
#include <QPen>


#include <cmath>

#include "Items/PolyItem.h"
#include "Items/item.h"
#include "Toolkit/cpSupport.h"
#include "cpCompat.h"

CircleShapeItem::CircleShapeItem(cpSpace* space, cpShape* shape, QGraphicsItem* parent)
    : ShapeItem(space, shape)
    , ShapeGraphicsItem<QGraphicsEllipseItem>(this, parent)
{
    updateRect();
    setZValue(PhysicsShapeZ);
    setBrush(QBrush(shapeColor(false), Qt::SolidPattern));
    QPen pen(Qt::black);
    pen.setWidthF(0);
    setPen(pen);
    adjust();
    setFlags(QGraphicsItem::ItemIsSelectable | QGraphicsItem::ItemIsFocusable
             | QGraphicsItem::ItemIsMovable);
}

CircleShapeItem::~CircleShapeItem() = default;

int CircleShapeItem::type() const
{
    return CircleShapeItemType;
}

float CircleShapeItem::radius() const
{
    return cpshape() ? float(cpCircleShapeGetRadius(cpshape())) : 0.0f;
}

// A circle that stands for its body is drawn around the shape's offset; any
// other circle carries its offset in its position and is drawn around its origin.
void CircleShapeItem::updateRect()
{
    if (cpshape())
        updateRect(ShapeDragDropBehavior::standsForBody(this, cpshape(), space()));
}

void CircleShapeItem::updateRect(bool standsForBody)
{
    if (!cpshape())
        return;
    const qreal r = radius();
    QPointF centre(0, 0);
    if (standsForBody) {
        const cpVect offset = cpCircleShapeGetOffset(cpshape());
        centre = QPointF(offset.x, offset.y);
    }
    setRect(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
}

void CircleShapeItem::adjust()
{
    cpShape* shape = cpshape();
    if (!shape)
        return;
    const bool standsForBody = ShapeDragDropBehavior::standsForBody(this, shape, space());
    if (standsForBody) {
        ShapeItemAdjust(this, shape);
    } else {
        const cpVect offset = cpCircleShapeGetOffset(shape);
        setPos(ShapeDragDropBehavior::mapFromBodyFrame(this, shape, space(),
                                                       QPointF(offset.x, offset.y)));
    }
    updateRect(standsForBody);
    if (syncPair())
        syncPair()->sync();
}

void CircleShapeItem::adjustShape()
{
    cpShape* shape = cpshape();
    if (!shape || !space())
        return;
    cpBody* body = cpShapeGetBody(shape);
    const bool standsForBody = ShapeDragDropBehavior::standsForBody(this, shape, space());
    if (standsForBody) {
        moveBodyToItem(body, this);
    } else {
        const QPointF offset =
            ShapeDragDropBehavior::mapToBodyFrame(this, shape, space(), QPointF(0, 0));
        if (isSanePoint(offset))
            setCircleOffset(shape, cpv(offset.x(), offset.y()));
    }
    updateRect();
    cpSpaceReindexShapesForBody(space(), body);

    // Shapes glued onto this one are placed in the same body frame; when this
    // item is not that frame itself they have to be placed again.
    if (!standsForBody)
        adjustGluedChildren(this);
}

void CircleShapeItem::setOldBody(cpBody* body)
{
    ShapeItem::setOldBody(body);
    setBrush(QBrush(shapeColor(body != nullptr), Qt::SolidPattern));
}

void CircleShapeItem::setMoment(float moment)
{
    if (moment != computedMomentRequest) {
        ShapeItem::setMoment(moment);
        return;
    }
    cpShape* shape = cpshape();
    if (!shape)
        return;
    cpBody* body = cpShapeGetBody(shape);
    const double r = radius();
    const double computed =
        cpMomentForCircle(cpBodyGetMass(body), r, r, cpCircleShapeGetOffset(shape));
    // A moment that is not finite and positive would abort the engine: keep the old one.
    if (std::isfinite(computed) && computed > 0 && cpBodyGetType(body) == CP_BODY_TYPE_DYNAMIC)
        ShapeItem::setMoment(float(computed));
}

void CircleShapeItem::setRadius(float r)
{
    cpShape* shape = cpshape();
    if (!shape || !isSaneLength(r))
        return;
    if (r <= 1.0f)
        r = 1.0f;
    setCircleRadius(shape, r);
    if (space() && cpSpaceContainsShape(space(), shape))
        cpSpaceReindexShape(space(), shape);
    updateRect();
}

void CircleShapeItem::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        setRadius(radius() + 1.0f);
        break;
    case Qt::Key_Down:
        setRadius(radius() - 1.0f);
        break;
    case Qt::Key_Left:
        turnBy(1.0f);
        break;
    case Qt::Key_Right:
        turnBy(-1.0f);
        break;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        deleteLater();
        break;
    case Qt::Key_Space:
        deleteSyncPair();
        break;
    default:
        break;
    }
}

void CircleShapeItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
                            QWidget* widget)
{
    painter->setRenderHint(QPainter::Antialiasing, true);
    QGraphicsEllipseItem::paint(painter, option, widget);

    const float r = radius();
    const QPointF centre = rect().center();
    painter->setPen(pen());
    painter->setBrush(QBrush(Qt::darkBlue, Qt::SolidPattern));
    const int markSize = int(r * 0.25f);
    painter->drawEllipse(QRectF(QRect(int(r * 0.5f), 0, markSize, markSize)).translated(centre));
    painter->drawEllipse(QRect(-2, -2, 4, 4));
}
