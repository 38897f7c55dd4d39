#include "Tools/ShapeTools.h"

#include <QGraphicsScene>
#include <QKeyEvent>
#include <QMouseEvent>

#include <chipmunk/chipmunk_unsafe.h>

#include "Items/AbstractLineItem.h"
#include "Items/CircleShapeItem.h"
#include "Items/PolyShapeItem.h"
#include "Items/SegmentShapeItem.h"
#include "cpCompat.h"
#include "Views/EditorView.h"

namespace {

const double kElasticity = 0.5;
const double kFriction = 0.8;
const double kSegmentRadius = 3;

void selectAndFocus(QGraphicsItem* item)
{
    if (QGraphicsScene* scene = item->scene())
        scene->clearSelection();
    item->setSelected(true);
    item->setFocus(Qt::OtherFocusReason);
}

// Placement moves the new body with the pointer.
void moveBodyTo(cpSpace* space, cpShape* shape, const QPointF& p)
{
    cpBodySetPosition(cpShapeGetBody(shape), cpv(p.x(), p.y()));
    if (space && cpSpaceContainsShape(space, shape))
        cpSpaceReindexShape(space, shape);
}

} // namespace

// ---------------------------------------------------------------------------

AbstractPhysicItemTool::AbstractPhysicItemTool(EditorView* view)
    : AbstractItemTool(view)
{
}

QPointF AbstractPhysicItemTool::scenePoint(QMouseEvent* event) const
{
    if (!view)
        return event->position();
    return view->mapToScene(event->position().toPoint());
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
    cpBody* body = cpBodyNew(defaultMass(), moment);
    cpBodySetPosition(body, p);
    cpSpaceAddBody(space, body);
    cpShape* shape = cpCircleShapeNew(body, defaultRadius(), cpvzero);
    cpSpaceAddShape(space, shape);
    cpShapeSetFriction(shape, kFriction);
    cpShapeSetElasticity(shape, kElasticity);
    return shape;
}

bool CircleTool::mousePressEvent(QMouseEvent* event)
{
    cpSpace* sp = space();
    if (!sp || !view->scene())
        return true;
    const QPointF p = scenePoint(event);
    cpShape* shape = createDefaultShape(sp, cpv(p.x(), p.y()));
    item = new CircleShapeItem(sp, shape, nullptr);
    view->scene()->addItem(item);
    return true;
}

bool CircleTool::mouseMoveEvent(QMouseEvent* event)
{
    if (!item)
        return false;
    moveBodyTo(item->space(), item->cpshape(), scenePoint(event));
    item->adjust();
    return true;
}

bool CircleTool::mouseReleaseEvent(QMouseEvent*)
{
    if (item)
        selectAndFocus(item);
    item = nullptr;
    return true;
}

bool CircleTool::keyPressEvent(QKeyEvent*)
{
    return false;
}

bool CircleTool::priorityClick(QMouseEvent*)
{
    return false;
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
    cpBody* body = cpBodyNew(defaultMass(), moment);
    cpBodySetPosition(body, p);
    cpSpaceAddBody(space, body);
    cpShape* shape = cpPolyShapeNewClockwise(body, 4, clockwise);
    cpSpaceAddShape(space, shape);
    cpShapeSetFriction(shape, kFriction);
    cpShapeSetElasticity(shape, kElasticity);
    return shape;
}

bool PolyTool::mousePressEvent(QMouseEvent* event)
{
    cpSpace* sp = space();
    if (!sp || !view->scene())
        return true;
    const QPointF p = scenePoint(event);
    cpShape* shape = createDefaultShape(sp, cpv(p.x(), p.y()));
    item = new PolyShapeItem(sp, shape, nullptr);
    view->scene()->addItem(item);
    return true;
}

bool PolyTool::mouseMoveEvent(QMouseEvent* event)
{
    if (!item)
        return false;
    moveBodyTo(item->space(), item->cpshape(), scenePoint(event));
    item->adjust();
    return true;
}

bool PolyTool::mouseReleaseEvent(QMouseEvent*)
{
    if (item)
        selectAndFocus(item);
    item = nullptr;
    return true;
}

bool PolyTool::keyPressEvent(QKeyEvent*)
{
    return false;
}

bool PolyTool::priorityClick(QMouseEvent*)
{
    return false;
}

// ---------------------------------------------------------------------------

SegmentTool::SegmentTool(EditorView* view)
    : AbstractPhysicItemTool(view)
{
}

cpShape* SegmentTool::createDefaultShape(cpSpace* space, cpVect p)
{
    cpShape* shape = cpSegmentShapeNew(cpSpaceGetStaticBody(space), p, cpvadd(p, cpv(2, 0)),
                                       kSegmentRadius);
    cpSpaceAddShape(space, shape);
    cpShapeSetFriction(shape, kFriction);
    cpShapeSetElasticity(shape, kElasticity);
    return shape;
}

void SegmentTool::createNewSegment(cpVect p)
{
    cpSpace* sp = space();
    if (!sp || !view->scene()) {
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
    cpShape* shape = segment->cpshape();
    cpSegmentShapeSetEndpoints(shape, cpSegmentShapeGetA(shape), cpv(p.x(), p.y()));
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

bool SegmentTool::priorityClick(QMouseEvent*)
{
    return false;
}
