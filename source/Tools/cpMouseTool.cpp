#include "Tools/cpMouseTool.h"

#include <QMouseEvent>

#include <cmath>

#include "Views/EditorView.h"
#include "cpCompat.h"

namespace {

// A body the pointer may pull: one the space simulates, with a finite mass.
bool pullable(cpSpace* space, cpShape* shape)
{
    if (!shape || cpShapeGetSensor(shape))
        return false;
    cpBody* body = cpShapeGetBody(shape);
    return spaceSimulatesBody(space, body) && std::isfinite(cpBodyGetMass(body))
        && cpBodyGetMass(body) > 0;
}

} // namespace

cpMouseTool::cpMouseTool(EditorView* view)
    : AbstractItemTool(view)
{
}

cpMouseTool::~cpMouseTool()
{
    releaseJoint();
}

void cpMouseTool::releaseJoint()
{
    if (!mouseJoint)
        return;
    // The joint knows its space: the canvas takes it out before it frees a space
    // or a body, so a joint no space holds names nothing that is still used.
    takeOutConstraint(cpConstraintGetSpace(mouseJoint), mouseJoint);
    cpConstraintFree(mouseJoint);
    mouseJoint = nullptr;
}

bool cpMouseTool::mousePressEvent(QMouseEvent* event)
{
    // A press while a joint is held (its release went elsewhere) lets go first.
    releaseJoint();

    cpSpace* space = view ? view->space() : nullptr;
    if (!space)
        return false;
    const QPointF pos = view->mapToScene(event->position().toPoint());
    const cpVect p = cpv(pos.x(), pos.y());
    cpShape* shape = cpSpacePointQueryFirst(space, p);
    if (!pullable(space, shape))
        return false;

    mouseJoint = cpPivotJointNew(cpSpaceGetStaticBody(space), cpShapeGetBody(shape), p);
    cpConstraintSetMaxForce(mouseJoint, maxForce);
    // No item: the canvas recognises the pointer's joint by its empty user data.
    cpConstraintSetUserData(mouseJoint, nullptr);
    cpSpaceAddConstraint(space, mouseJoint);
    return true;
}

bool cpMouseTool::mouseMoveEvent(QMouseEvent* event)
{
    if (!mouseJoint)
        return false;
    cpSpace* space = view ? view->space() : nullptr;
    if (!space || !cpSpaceContainsConstraint(space, mouseJoint)) {
        // The level was cleared or the body went away: the joint is stale.
        releaseJoint();
        return false;
    }
    const QPointF pos = view->mapToScene(event->position().toPoint());
    cpPivotJointSetAnchorA(mouseJoint, cpv(pos.x(), pos.y()));
    return false;
}

bool cpMouseTool::mouseReleaseEvent(QMouseEvent*)
{
    releaseJoint();
    return false;
}
