#include "Tools/ShapeTools.h"

#include <QGraphicsScene>
#include <QKeyEvent>
#include <QMouseEvent>

#include "Items/AbstractLineItem.h"
#include "Items/CircleShapeItem.h"
#include "Items/PolyShapeItem.h"
#include "Items/SegmentShapeItem.h"
#include "cpCompat.h"
#include "Tools/ToolSupport.h"
#include "Views/EditorView.h"

namespace {

const double kElasticity = 0.5;
const double kFriction = 0.8;
const double kSegmentRadius = 3;

// A new dynamic body at p, in the space.
cpBody* addBody(cpSpace* space, double mass, double moment, cpVect p)
{
    cpBody* body = cpBodyNew(mass, moment);
    cpBodySetPosition(body, p);
    cpSpaceAddBody(space, body);
    return body;
}

// Puts a new shape into the space with the surface every new shape gets.
cpShape* addShape(cpSpace* space, cpShape* shape)
{
    cpSpaceAddShape(space, shape);
    cpShapeSetFriction(shape, kFriction);
    cpShapeSetElasticity(shape, kElasticity);
    return shape;
}

// The item for a new shape made at p, shown in the view's scene; null when
// the view has no space or no scene.
template <typename Item>
Item* placeItem(EditorView* view, cpSpace* space, const QPointF& p,
                cpShape* (*createShape)(cpSpace*, cpVect))
{
    // Out past the bounds the physics file keeps, the shape would not come back.
    if (!space || !view->scene() || !isSanePoint(cpv(p.x(), p.y())))
        return nullptr;
    Item* item = new Item(space, createShape(space, cpv(p.x(), p.y())), nullptr);
    view->scene()->addItem(item);
    return item;
}

// Placement moves the new body with the pointer.
bool dragPlaced(ShapeItem* item, const QPointF& p)
{
    if (!item)
        return false;
    if (!isSanePoint(cpv(p.x(), p.y())))
        return true;
    cpSpace* space = item->space();
    cpShape* shape = item->cpshape();
    cpBodySetPosition(cpShapeGetBody(shape), cpv(p.x(), p.y()));
    if (space && cpSpaceContainsShape(space, shape))
        cpSpaceReindexShape(space, shape);
    item->adjust();
    return true;
}

} // namespace

// ---------------------------------------------------------------------------

AbstractPhysicItemTool::AbstractPhysicItemTool(EditorView* view)
    : AbstractItemTool(view)
{
}

QPointF AbstractPhysicItemTool::scenePoint(QMouseEvent* event) const
{
    return ::scenePoint(view, event);
}

cpSpace* AbstractPhysicItemTool::space() const
{
    return view ? view->space() : nullptr;
}

// ---------------------------------------------------------------------------

CircleTool::CircleTool(EditorView* view)
    : AbstractPhysicItemTool(view)
{
}

double CircleTool::defaultMass()
{
    return 130;
}

double CircleTool::defaultRadius()
{
    return 10;
}

cpShape* CircleTool::createDefaultShape(cpSpace* space, cpVect p)
{
    const double moment = cpMomentForCircle(defaultMass(), defaultRadius(), defaultRadius(), cpvzero);
    cpBody* body = addBody(space, defaultMass(), moment, p);
    return addShape(space, cpCircleShapeNew(body, defaultRadius(), cpvzero));
}

bool CircleTool::mousePressEvent(QMouseEvent* event)
{
    if (auto* placed = placeItem<CircleShapeItem>(view, space(), scenePoint(event), &createDefaultShape))
        item = placed;
    return true;
}

bool CircleTool::mouseMoveEvent(QMouseEvent* event)
{
    return dragPlaced(item, scenePoint(event));
}

bool CircleTool::mouseReleaseEvent(QMouseEvent*)
{
    if (item)
        selectAndFocus(item);
    item = nullptr;
    return true;
}

// ---------------------------------------------------------------------------

PolyTool::PolyTool(EditorView* view)
    : AbstractPhysicItemTool(view)
{
}

double PolyTool::defaultMass()
{
    return 130;
}

cpShape* PolyTool::createDefaultShape(cpSpace* space, cpVect p)
{
    // Clockwise in the y-up scene, as the item and the physics file keep them.
    const cpVect clockwise[4] = {cpv(-15, 15), cpv(15, 15), cpv(15, -15), cpv(-15, -15)};
    const double moment = cpMomentForPoly(defaultMass(), 4, clockwise, cpvzero, 0);
    cpBody* body = addBody(space, defaultMass(), moment, p);
    return addShape(space, newClockwisePolyShape(body, 4, clockwise));
}

bool PolyTool::mousePressEvent(QMouseEvent* event)
{
    if (auto* placed = placeItem<PolyShapeItem>(view, space(), scenePoint(event), &createDefaultShape))
        item = placed;
    return true;
}

bool PolyTool::mouseMoveEvent(QMouseEvent* event)
{
    return dragPlaced(item, scenePoint(event));
}

bool PolyTool::mouseReleaseEvent(QMouseEvent*)
{
    if (item)
        selectAndFocus(item);
    item = nullptr;
    return true;
}

// ---------------------------------------------------------------------------

SegmentTool::SegmentTool(EditorView* view)
    : AbstractPhysicItemTool(view)
{
}

cpShape* SegmentTool::createDefaultShape(cpSpace* space, cpVect p)
{
    return addShape(space, cpSegmentShapeNew(cpSpaceGetStaticBody(space), p, cpvadd(p, cpv(2, 0)),
                                             kSegmentRadius));
}

void SegmentTool::createNewSegment(cpVect p)
{
    cpSpace* sp = space();
    if (!sp || !view->scene() || !isSanePoint(p)) {
        segment = nullptr;
        return;
    }
    segment = new SegmentShapeItem(sp, createDefaultShape(sp, p));
    view->scene()->addItem(segment);
}

LineItemNode* SegmentTool::createHandle(SegmentShapeItem* a, SegmentShapeItem* b, QPointF pos)
{
    LineItemNode* node = new LineItemNode(a, b);
    node->setPos(pos);
    if (view && view->scene())
        view->scene()->addItem(node);
    return node;
}

bool SegmentTool::mousePressEvent(QMouseEvent* event)
{
    const QPointF p = scenePoint(event);
    createNewSegment(cpv(p.x(), p.y()));
    if (segment)
        createHandle(nullptr, segment, p);
    return true;
}

bool SegmentTool::mouseMoveEvent(QMouseEvent* event)
{
    if (!segment)
        return false;
    const QPointF p = scenePoint(event);
    if (!isSanePoint(cpv(p.x(), p.y())))
        return true;
    cpShape* shape = segment->cpshape();
    setSegmentEndpoints(shape, cpSegmentShapeGetA(shape), cpv(p.x(), p.y()));
    segment->adjust();
    if (segment->space() && cpSpaceContainsShape(segment->space(), shape))
        cpSpaceReindexShape(segment->space(), shape);
    return true;
}

bool SegmentTool::mouseReleaseEvent(QMouseEvent*)
{
    if (segment) {
        const cpVect b = cpSegmentShapeGetB(segment->cpshape());
        createHandle(segment, nullptr, QPointF(b.x, b.y));
    }
    segment = nullptr;
    return true;
}

bool SegmentTool::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Control || !segment)
        return false;
    const cpVect b = cpSegmentShapeGetB(segment->cpshape());
    SegmentShapeItem* previous = segment;
    createNewSegment(b);
    if (!segment)
        return true;
    createHandle(previous, segment, QPointF(b.x, b.y));
    return true;
}

