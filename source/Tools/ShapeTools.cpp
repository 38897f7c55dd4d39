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

// The item for a new shape made at p, shown in the scene; empty when the view
// has no space.
template <typename Item>
DropItemTool::Placed placeItem(EditorView* view, QGraphicsScene* scene, const QPointF& p,
                               cpShape* (*createShape)(cpSpace*, cpVect))
{
    cpSpace* space = view ? view->space() : nullptr;
    // Out past the bounds the physics file keeps, the shape would not come back.
    if (!space || !isSanePoint(cpv(p.x(), p.y())))
        return {};
    Item* item = new Item(space, createShape(space, cpv(p.x(), p.y())), nullptr);
    scene->addItem(item);
    return item;
}

DropItemTool::Placed makeCircle(EditorView* view, QGraphicsScene* scene, const QPointF& p)
{
    return placeItem<CircleShapeItem>(view, scene, p, &CircleTool::createDefaultShape);
}

DropItemTool::Placed makeBox(EditorView* view, QGraphicsScene* scene, const QPointF& p)
{
    return placeItem<PolyShapeItem>(view, scene, p, &PolyTool::createDefaultShape);
}

// Placement moves the new body with the pointer.
void dragPlaced(const DropItemTool::Placed& held, const QPointF& p)
{
    auto* item = qobject_cast<ShapeItem*>(held.object);
    if (!item || !isSanePoint(cpv(p.x(), p.y())))
        return;
    cpSpace* space = item->space();
    cpShape* shape = item->cpshape();
    cpBodySetPosition(cpShapeGetBody(shape), cpv(p.x(), p.y()));
    if (space && cpSpaceContainsShape(space, shape))
        cpSpaceReindexShape(space, shape);
    item->adjust();
}

using Tool = DropItemTool;
//                                make         follow       finish               move  release keeps  click  Control
const Tool::Rule kCircleRule = {&makeCircle, &dragPlaced, &Tool::takeSelection, true, true,   false, false, false};
const Tool::Rule kBoxRule    = {&makeBox,    &dragPlaced, &Tool::takeSelection, true, true,   false, false, false};

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
    : DropItemTool(view, kCircleRule)
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

// ---------------------------------------------------------------------------

PolyTool::PolyTool(EditorView* view)
    : DropItemTool(view, kBoxRule)
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
        m_segment = nullptr;
        return;
    }
    m_segment = new SegmentShapeItem(sp, createDefaultShape(sp, p));
    view->scene()->addItem(m_segment);
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
    if (m_segment)
        createHandle(nullptr, m_segment, p);
    return true;
}

bool SegmentTool::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_segment)
        return false;
    const QPointF p = scenePoint(event);
    if (!isSanePoint(cpv(p.x(), p.y())))
        return true;
    cpShape* shape = m_segment->cpshape();
    setSegmentEndpoints(shape, cpSegmentShapeGetA(shape), cpv(p.x(), p.y()));
    m_segment->adjust();
    if (m_segment->space() && cpSpaceContainsShape(m_segment->space(), shape))
        cpSpaceReindexShape(m_segment->space(), shape);
    return true;
}

bool SegmentTool::mouseReleaseEvent(QMouseEvent*)
{
    if (m_segment) {
        const cpVect b = cpSegmentShapeGetB(m_segment->cpshape());
        createHandle(m_segment, nullptr, QPointF(b.x, b.y));
    }
    m_segment = nullptr;
    return true;
}

bool SegmentTool::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Control || !m_segment)
        return false;
    const cpVect b = cpSegmentShapeGetB(m_segment->cpshape());
    SegmentShapeItem* previous = m_segment;
    createNewSegment(b);
    if (!m_segment)
        return true;
    createHandle(previous, m_segment, QPointF(b.x, b.y));
    return true;
}

