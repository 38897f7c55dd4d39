#include "Items/CircleShapeItem.h"
#include "Items/SmallShapePaint.h"

#include <QBrush>
#include <QKeyEvent>
#include <QPainter>
#include <QPen>
#include <QStyleOptionGraphicsItem>


#include <array>
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
    const QRectF wanted(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
    // Every placement lands here with the rect it already has; Qt's own check
    // compares fuzzily, a quarter of a circle's placement.
    const QRectF now = rect();
    if (now.x() == wanted.x() && now.y() == wanted.y() && now.width() == wanted.width()
        && now.height() == wanted.height())
        return;
    setRect(wanted);
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

namespace {

// A disc up to this radius on screen is drawn as a polygon of 16 corners: the
// edge then stays within a twelfth of a pixel of the true circle, while the
// painter skips splitting curves, which for a mark a few pixels across costs
// as much as filling it.
const qreal kPolygonRadius = 4.0;
const int kCorners = 16;

void drawSmallDisc(QPainter* painter, const QRectF& box, qreal pixels)
{
    if (drawDiscStamp(painter, box, painter->pen(), painter->brush()))
        return;
    const qreal radius = box.width() / 2;
    if (radius * pixels > kPolygonRadius) {
        painter->drawEllipse(box);
        return;
    }
    static const std::array<QPointF, kCorners> unit = [] {
        std::array<QPointF, kCorners> corners;
        for (int i = 0; i < kCorners; ++i) {
            const double angle = 2 * 3.14159265358979323846 * i / kCorners;
            corners[size_t(i)] = QPointF(std::cos(angle), std::sin(angle));
        }
        return corners;
    }();
    const QPointF centre = box.center();
    std::array<QPointF, kCorners> corners;
    for (int i = 0; i < kCorners; ++i)
        corners[size_t(i)] = centre + radius * unit[size_t(i)];
    painter->drawPolygon(corners.data(), kCorners);
}

} // namespace

void CircleShapeItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
                            QWidget* widget)
{
    painter->setRenderHint(QPainter::Antialiasing, true);
    paintSmallEllipse(painter, option, widget, *this);

    // Each mark costs a full antialiased ellipse; one under a pixel across
    // does not show, and a zoomed-out pile holds thousands of them.
    const qreal pixels = QStyleOptionGraphicsItem::levelOfDetailFromTransform(painter->worldTransform());
    const float r = radius();
    const int markSize = int(r * 0.25f);
    const bool showMark = markSize * pixels >= 1.0;
    const bool showCentre = 4 * pixels >= 1.0;
    if (!showMark && !showCentre)
        return;
    static const QBrush markBrush(Qt::darkBlue, Qt::SolidPattern);
    painter->setPen(pen());
    painter->setBrush(markBrush);
    if (showMark)
        drawSmallDisc(painter, QRectF(QRect(int(r * 0.5f), 0, markSize, markSize)).translated(rect().center()), pixels);
    if (showCentre)
        drawSmallDisc(painter, QRectF(-2, -2, 4, 4), pixels);
}
