#include "cpCompat.h"

// The only file that reaches into Chipmunk's private structures and its unsafe
// setters; every caller goes through the named functions of cpCompat.h.
#include <chipmunk/chipmunk_private.h>
#include <chipmunk/chipmunk_unsafe.h>

#include <algorithm>
#include <set>
#include <vector>

bool bodyMotionSane(const cpBody* body)
{
    const cpVect p = cpTransformPoint(body->transform, cpvzero);
    return isSaneMagnitude(p.x) && isSaneMagnitude(p.y) && isSaneMagnitude(body->v.x)
        && isSaneMagnitude(body->v.y) && isSaneMagnitude(body->a) && isSaneMagnitude(body->w);
}

void settleBody(cpBody* body, cpVect position, cpFloat angle)
{
    // The fields are written before the setters run: those check the whole
    // body and abort on the very values (infinite or no number) being replaced.
    body->v = cpvzero;
    body->w = 0;
    body->f = cpvzero;
    body->t = 0;
    const cpVect p = cpTransformPoint(body->transform, cpvzero);
    const bool placeSane = isSaneMagnitude(p.x) && isSaneMagnitude(p.y) && isSaneMagnitude(body->a)
        && isSaneMagnitude(body->p.x) && isSaneMagnitude(body->p.y);
    if (placeSane)
        return;
    body->a = angle;
    body->p = position;
    cpBodySetAngle(body, angle);
    cpBodySetPosition(body, position);
}

ShapeKind shapeTypeOf(const cpShape* shape)
{
    switch (shape->klass->type) {
    case CP_CIRCLE_SHAPE: return ShapeKind::Circle;
    case CP_SEGMENT_SHAPE: return ShapeKind::Segment;
    default: return ShapeKind::Poly;
    }
}

void setCircleOffset(cpShape* circle, cpVect offset) { cpCircleShapeSetOffset(circle, offset); }
void setCircleRadius(cpShape* circle, cpFloat radius) { cpCircleShapeSetRadius(circle, radius); }
void setSegmentEndpoints(cpShape* segment, cpVect a, cpVect b) { cpSegmentShapeSetEndpoints(segment, a, b); }
void setSegmentRadius(cpShape* segment, cpFloat radius) { cpSegmentShapeSetRadius(segment, radius); }
void setPolyVertsRaw(cpShape* polygon, int count, const cpVect* verts)
{
    cpPolyShapeSetVertsRaw(polygon, count, const_cast<cpVect*>(verts));
}

cpShape* newClockwisePolyShape(cpBody* body, int count, const cpVect* clockwiseVerts)
{
    std::vector<cpVect> counterClockwise(clockwiseVerts, clockwiseVerts + count);
    std::reverse(counterClockwise.begin(), counterClockwise.end());
    return cpPolyShapeNewRaw(body, count, counterClockwise.data(), 0);
}

void setPolyVerticesClockwise(cpShape* shape, int count, const cpVect* clockwiseVerts)
{
    std::vector<cpVect> counterClockwise(clockwiseVerts, clockwiseVerts + count);
    std::reverse(counterClockwise.begin(), counterClockwise.end());
    cpPolyShapeSetVertsRaw(shape, count, counterClockwise.data());
}

cpFloat pinJointJnAcc(const cpConstraint* c) { return reinterpret_cast<const cpPinJoint*>(c)->jnAcc; }
cpFloat slideJointJnAcc(const cpConstraint* c) { return reinterpret_cast<const cpSlideJoint*>(c)->jnAcc; }
cpVect pivotJointJAcc(const cpConstraint* c) { return reinterpret_cast<const cpPivotJoint*>(c)->jAcc; }
cpVect grooveJointJAcc(const cpConstraint* c) { return reinterpret_cast<const cpGrooveJoint*>(c)->jAcc; }
cpFloat gearJointJAcc(const cpConstraint* c) { return reinterpret_cast<const cpGearJoint*>(c)->jAcc; }
cpFloat rotaryLimitJointJAcc(const cpConstraint* c) { return reinterpret_cast<const cpRotaryLimitJoint*>(c)->jAcc; }
cpFloat ratchetJointJAcc(const cpConstraint* c) { return reinterpret_cast<const cpRatchetJoint*>(c)->jAcc; }

void constraintForgetBody(cpConstraint* c, const cpBody* body)
{
    if (c->a == body)
        c->a = nullptr;
    if (c->b == body)
        c->b = nullptr;
}

void storeConstraintLimits(cpConstraint* c, cpFloat maxForce, cpFloat maxBias, cpFloat errorBias)
{
    c->maxForce = maxForce;
    c->maxBias = maxBias;
    c->errorBias = errorBias;
}

void freeSpaceWithContents(cpSpace* space)
{
    std::vector<cpConstraint*> constraints;
    std::vector<cpShape*> shapes;
    std::set<cpBody*> bodies;
    cpSpaceEachConstraint(space, [](cpConstraint* c, void* d) { static_cast<std::vector<cpConstraint*>*>(d)->push_back(c); }, &constraints);
    cpSpaceEachShape(space, [](cpShape* s, void* d) { static_cast<std::vector<cpShape*>*>(d)->push_back(s); }, &shapes);
    cpSpaceEachBody(space, [](cpBody* b, void* d) { static_cast<std::set<cpBody*>*>(d)->insert(b); }, &bodies);
    for (cpConstraint* c : constraints) {
        bodies.insert(cpConstraintGetBodyA(c));
        bodies.insert(cpConstraintGetBodyB(c));
        cpSpaceRemoveConstraint(space, c);
        cpConstraintFree(c);
    }
    for (cpShape* s : shapes) {
        bodies.insert(cpShapeGetBody(s));
        cpSpaceRemoveShape(space, s);
        cpShapeFree(s);
    }
    bodies.erase(cpSpaceGetStaticBody(space));
    bodies.erase(nullptr);
    for (cpBody* b : bodies) {
        if (cpSpaceContainsBody(space, b))
            cpSpaceRemoveBody(space, b);
        cpBodyFree(b);
    }
    cpSpaceFree(space);
}

namespace {

void collectBodyByType(cpBody* body, void* data)
{
    auto* lists = static_cast<std::vector<cpBody*>*>(data);
    lists[cpBodyGetType(body) == CP_BODY_TYPE_STATIC ? 1 : 0].push_back(body);
}

} // namespace

void takeOutAllBodies(cpSpace* space)
{
    // Listed in the engine's own order, static and other bodies apart, as it
    // keeps them: the first, then from the last back, is always at the front.
    std::vector<cpBody*> lists[2];
    cpSpaceEachBody(space, collectBodyByType, lists);
    for (const std::vector<cpBody*>& list : lists) {
        if (list.empty())
            continue;
        cpSpaceRemoveBody(space, list.front());
        for (size_t i = list.size() - 1; i > 0; --i)
            cpSpaceRemoveBody(space, list[i]);
    }
}

cpCollisionPostSolveFunc setPairPostSolve(cpCollisionHandler* handler, cpCollisionPostSolveFunc func,
                                                   cpDataPointer data)
{
    cpCollisionPostSolveFunc previous = handler->postSolveFunc;
    handler->postSolveFunc = func;
    handler->userData = data;
    return previous;
}

void resetPairPostSolve(cpCollisionHandler* handler, cpCollisionPostSolveFunc previous)
{
    handler->postSolveFunc = previous;
    handler->userData = nullptr;
}
