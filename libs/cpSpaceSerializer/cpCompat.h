#ifndef CPCOMPAT_H
#define CPCOMPAT_H

// The editor speaks the physics vocabulary of the level format (shape layers
// and groups, clockwise polygons, "first shape at a point"); Chipmunk 7 spells
// these differently. Every such mapping lives here, so that the items, tools
// and the serializer agree on it. This is also the only header that reaches
// into Chipmunk's private structures or includes its unsafe setters (shape
// radius, offset, endpoints and vertices), which callers reach through it.

#include <chipmunk/chipmunk.h>
#include <chipmunk/chipmunk_private.h>
#include <chipmunk/chipmunk_unsafe.h>

#include "physicsrules.h"

#include <cmath>
#include <set>
#include <vector>

// ---------------------------------------------------------------------------
// Angles: items turn in degrees, the engine in radians. These factors are the
// ones every stored level was made with, so a round trip keeps every digit.

const double cpRadiansPerDegree = 0.017453292519944444;
const double cpDegreesPerRadian = 57.29577951307855;
inline double cpRadiansFromDegrees(double degrees) { return degrees * cpRadiansPerDegree; }
// Through single precision, as an item's rotation is shown.
inline double cpDegreesFromRadians(double radians) { return double(float(radians)) * cpDegreesPerRadian; }

// ---------------------------------------------------------------------------
// Layers and groups over shape filters.
// A shape's layers are its filter categories; it collides with another shape
// when their layers share a bit and their groups differ (or are 0). Setting the
// layers sets categories and mask alike, which keeps exactly that rule.

typedef cpBitmask cpLayers;
#define CP_ALL_LAYERS (~(cpLayers)0)

// The shape's layer bits (its filter categories).
inline cpLayers cpShapeGetLayers(const cpShape* shape) { return cpShapeGetFilter(shape).categories; }
// Sets the layer bits: categories and mask both become layers.
inline void cpShapeSetLayers(cpShape* shape, cpLayers layers)
{
    cpShapeFilter f = cpShapeGetFilter(shape);
    f.categories = layers;
    f.mask = layers;
    cpShapeSetFilter(shape, f);
}
// The shape's collision group (0: no group).
inline cpGroup cpShapeGetGroup(const cpShape* shape) { return cpShapeGetFilter(shape).group; }
// Sets the collision group; shapes of one non-zero group never collide.
inline void cpShapeSetGroup(cpShape* shape, cpGroup group)
{
    cpShapeFilter f = cpShapeGetFilter(shape);
    f.group = group;
    cpShapeSetFilter(shape, f);
}
// The filter that selects shapes on the given layers and outside the given group.
inline cpShapeFilter cpLayersFilter(cpLayers layers = CP_ALL_LAYERS, cpGroup group = CP_NO_GROUP)
{
    return cpShapeFilterNew(group, layers, layers);
}

// ---------------------------------------------------------------------------
// Point queries.

// A non-sensor shape that contains the point, or null; with the defaults any layer and group.
inline cpShape* cpSpacePointQueryFirst(cpSpace* space, cpVect point,
                                       cpLayers layers = CP_ALL_LAYERS, cpGroup group = CP_NO_GROUP)
{
    if (layers == CP_ALL_LAYERS && group == CP_NO_GROUP)
        return cpSpacePointQueryNearest(space, point, 0, CP_SHAPE_FILTER_ALL, nullptr);
    return cpSpacePointQueryNearest(space, point, 0, cpLayersFilter(layers, group), nullptr);
}

// ---------------------------------------------------------------------------
// Body names of the older API.

// Position of the body's origin in world coordinates.
inline cpVect cpBodyGetPos(const cpBody* body) { return cpBodyGetPosition(body); }
// Moves the body's origin (also updates its transform).
inline void cpBodySetPos(cpBody* body, cpVect pos) { cpBodySetPosition(body, pos); }
// Linear velocity.
inline cpVect cpBodyGetVel(const cpBody* body) { return cpBodyGetVelocity(body); }
// Sets the linear velocity.
inline void cpBodySetVel(cpBody* body, cpVect vel) { cpBodySetVelocity(body, vel); }
// Angular velocity in radians per second.
inline cpFloat cpBodyGetAngVel(const cpBody* body) { return cpBodyGetAngularVelocity(body); }
// Sets the angular velocity.
inline void cpBodySetAngVel(cpBody* body, cpFloat w) { cpBodySetAngularVelocity(body, w); }
// Unit vector of the body's angle (cos, sin).
inline cpVect cpBodyGetRot(const cpBody* body) { return cpBodyGetRotation(body); }
// Body-local point carried into world coordinates.
inline cpVect cpBodyLocal2World(const cpBody* body, cpVect local) { return cpBodyLocalToWorld(body, local); }
// World point carried into the body's local coordinates.
inline cpVect cpBodyWorld2Local(const cpBody* body, cpVect world) { return cpBodyWorldToLocal(body, world); }
// True for the space's static body and every static-type body.
inline bool cpBodyIsStaticKind(const cpBody* body) { return cpBodyGetType(const_cast<cpBody*>(body)) == CP_BODY_TYPE_STATIC; }
// True when the body has infinite mass (static or kinematic): it is never moved by forces.
inline bool cpBodyHasInfiniteMass(const cpBody* body) { return std::isinf(cpBodyGetMass(body)); }
// True for the space's own static body, which every static shape shares and
// which never moves, turns or leaves the space.
inline bool cpSpaceIsSharedStaticBody(cpSpace* space, const cpBody* body)
{
    return space && body && body == cpSpaceGetStaticBody(space);
}
// True for the space's own static body and every other static-type body.
inline bool cpSpaceIsStaticBody(cpSpace* space, const cpBody* body)
{
    return body && (body == cpSpaceGetStaticBody(space) || cpBodyIsStaticKind(body));
}
// True when the body takes no part in the simulation of the space: it is
// static, or it has been taken out of the space (or never was in it).
inline bool cpSpaceBodyIsStaticOrOutside(cpSpace* space, cpBody* body)
{
    return !body || cpSpaceIsStaticBody(space, body) || !cpSpaceContainsBody(space, body);
}
// Stops the body dead: velocities, force and torque become zero. Written into
// the fields: the public setters check the whole body first and abort on the
// very state (infinite or no number) being cleared.
inline void cpBodyClearMotion(cpBody* body)
{
    body->v = cpvzero;
    body->w = 0;
    body->f = cpvzero;
    body->t = 0;
}
// True when the body's position, velocity, angle and spin are all sane
// magnitudes. Read from the fields: the canvas checks every body after every
// step, where a call per value would cost more than the check.
inline bool cpBodyMotionSane(const cpBody* body)
{
    const cpVect p = cpTransformPoint(body->transform, cpvzero);
    return cpIsSaneMagnitude(p.x) && cpIsSaneMagnitude(p.y) && cpIsSaneMagnitude(body->v.x)
        && cpIsSaneMagnitude(body->v.y) && cpIsSaneMagnitude(body->a) && cpIsSaneMagnitude(body->w);
}
// Stops the body dead and, where its position or angle is no sane magnitude,
// puts it at the given place instead, so that every setter, the writer and the
// reader take it afterwards. The fields are written before the setters run:
// those check the whole body and abort on the very values being replaced.
inline void cpBodySettle(cpBody* body, cpVect position, cpFloat angle)
{
    cpBodyClearMotion(body);
    const cpVect p = cpTransformPoint(body->transform, cpvzero);
    const bool placeSane = cpIsSaneMagnitude(p.x) && cpIsSaneMagnitude(p.y) && cpIsSaneMagnitude(body->a)
        && cpIsSaneMagnitude(body->p.x) && cpIsSaneMagnitude(body->p.y);
    if (placeSane)
        return;
    body->a = angle;
    body->p = position;
    cpBodySetAngle(body, angle);
    cpBodySetPosition(body, position);
}
// True when the body is one that the space simulates: added to it and dynamic.
// The space's static body, other static bodies and rogue bodies are not.
inline bool cpSpaceSimulatesBody(cpSpace* space, cpBody* body)
{
    return body && cpBodyGetType(body) == CP_BODY_TYPE_DYNAMIC && cpSpaceContainsBody(space, body);
}

// ---------------------------------------------------------------------------
// Shapes: kind and direct fields.

// The kind of a shape: CP_CIRCLE_SHAPE, CP_SEGMENT_SHAPE or CP_POLY_SHAPE.
inline cpShapeType cpShapeGetType(const cpShape* shape) { return shape->klass->type; }
// True for a circle shape.
inline bool cpShapeIsCircle(const cpShape* shape) { return cpShapeGetType(shape) == CP_CIRCLE_SHAPE; }
// True for a segment shape.
inline bool cpShapeIsSegment(const cpShape* shape) { return cpShapeGetType(shape) == CP_SEGMENT_SHAPE; }
// True for a polygon shape.
inline bool cpShapeIsPoly(const cpShape* shape) { return cpShapeGetType(shape) == CP_POLY_SHAPE; }
// Elasticity ("e").
inline cpFloat cpShapeGetE(const cpShape* shape) { return shape->e; }
// Friction ("u").
inline cpFloat cpShapeGetU(const cpShape* shape) { return shape->u; }
// Surface velocity.
inline cpVect cpShapeGetSurfaceV(const cpShape* shape) { return shape->surfaceV; }
// Sensor flag as 0 or 1.
inline int cpShapeGetSensorInt(const cpShape* shape) { return shape->sensor ? 1 : 0; }

// ---------------------------------------------------------------------------
// Polygons without a radius, in clockwise order.
// The level format keeps polygon vertices clockwise (as the game's engine
// requires); Chipmunk 7 keeps them counter-clockwise. These wrappers take and
// give clockwise vertices and never take a hull, so the vertex list is kept.

// True when the clockwise vertices form a convex polygon of positive area that
// winds once (collinear vertices allowed, repeated vertices not).
inline bool cpPolyValidateClockwise(const cpVect* verts, int count)
{
    if (!verts || count < 3)
        return false;
    for (int i = 0; i < count; ++i)
        if (!std::isfinite(verts[i].x) || !std::isfinite(verts[i].y))
            return false;
    double turning = 0;
    double area2 = 0;
    for (int i = 0; i < count; ++i) {
        const cpVect a = verts[i];
        const cpVect b = verts[(i + 1) % count];
        const cpVect c = verts[(i + 2) % count];
        const cpVect ab = cpvsub(b, a);
        const cpVect bc = cpvsub(c, b);
        if (ab.x == 0 && ab.y == 0)
            return false;
        const double cross = cpvcross(ab, bc);
        const double dot = cpvdot(ab, bc);
        if (!std::isfinite(cross) || cross > 0) // a left turn: not clockwise-convex
            return false;
        if (cross == 0 && dot < 0) // the outline doubles back on itself
            return false;
        turning += std::atan2(-cross, dot);
        area2 += cpvcross(a, b);
    }
    if (!(area2 < 0) || !std::isfinite(area2))
        return false;
    // Convex and clockwise: the edges turn exactly once around (a star polygon turns twice).
    const double fullTurn = 6.283185307179586;
    return std::fabs(turning - fullTurn) < 1e-6;
}

// A polygon shape from clockwise vertices, kept as given (no hull), without radius.
// The caller checks the vertices with cpPolyValidateClockwise first.
inline cpShape* cpPolyShapeNewClockwise(cpBody* body, int count, const cpVect* clockwiseVerts)
{
    std::vector<cpVect> ccw(clockwiseVerts, clockwiseVerts + count);
    std::vector<cpVect> rev(ccw.rbegin(), ccw.rend());
    return cpPolyShapeNewRaw(body, count, rev.data(), 0);
}
// Number of vertices of a polygon shape.
inline int cpPolyShapeGetNumVerts(const cpShape* shape) { return cpPolyShapeGetCount(shape); }
// Vertex i of the polygon in clockwise order, body coordinates.
inline cpVect cpPolyShapeGetVertClockwise(const cpShape* shape, int i)
{
    return cpPolyShapeGetVert(shape, cpPolyShapeGetCount(shape) - 1 - i);
}
// All vertices in clockwise order, body coordinates.
inline std::vector<cpVect> cpPolyShapeGetVertsClockwise(const cpShape* shape)
{
    const int n = cpPolyShapeGetCount(shape);
    std::vector<cpVect> out;
    out.reserve(n);
    for (int i = n - 1; i >= 0; --i)
        out.push_back(cpPolyShapeGetVert(shape, i));
    return out;
}
// Replaces the vertices (clockwise, body coordinates), kept as given.
inline void cpPolyShapeSetVertsClockwise(cpShape* shape, int count, const cpVect* clockwiseVerts)
{
    std::vector<cpVect> rev(count);
    for (int i = 0; i < count; ++i)
        rev[i] = clockwiseVerts[count - 1 - i];
    cpPolyShapeSetVertsRaw(shape, count, rev.data());
}

// ---------------------------------------------------------------------------
// Constraint kinds and the accumulated impulses that have no public getter.

// Accumulated normal impulse of a pin joint.
inline cpFloat cpPinJointGetJnAcc(const cpConstraint* c) { return reinterpret_cast<const cpPinJoint*>(c)->jnAcc; }
// Accumulated normal impulse of a slide joint.
inline cpFloat cpSlideJointGetJnAcc(const cpConstraint* c) { return reinterpret_cast<const cpSlideJoint*>(c)->jnAcc; }
// Accumulated impulse of a pivot joint.
inline cpVect cpPivotJointGetJAcc(const cpConstraint* c) { return reinterpret_cast<const cpPivotJoint*>(c)->jAcc; }
// Accumulated impulse of a groove joint.
inline cpVect cpGrooveJointGetJAcc(const cpConstraint* c) { return reinterpret_cast<const cpGrooveJoint*>(c)->jAcc; }
// Accumulated impulse of a gear joint.
inline cpFloat cpGearJointGetJAcc(const cpConstraint* c) { return reinterpret_cast<const cpGearJoint*>(c)->jAcc; }
// Accumulated impulse of a rotary limit joint.
inline cpFloat cpRotaryLimitJointGetJAcc(const cpConstraint* c) { return reinterpret_cast<const cpRotaryLimitJoint*>(c)->jAcc; }
// Accumulated impulse of a ratchet joint.
inline cpFloat cpRatchetJointGetJAcc(const cpConstraint* c) { return reinterpret_cast<const cpRatchetJoint*>(c)->jAcc; }

// ---------------------------------------------------------------------------
// What the solver can take, and how a constraint leaves the space.

// True for the kinds that act on the bodies' angles only (gear, motor, rotary
// spring, rotary limit, ratchet).
inline bool cpConstraintIsRotaryKind(const cpConstraint* c)
{
    return c
        && (cpConstraintIsGearJoint(c) || cpConstraintIsSimpleMotor(c) || cpConstraintIsDampedRotarySpring(c)
            || cpConstraintIsRotaryLimitJoint(c) || cpConstraintIsRatchetJoint(c));
}
// True when a joint between a and b can be solved: two different bodies of
// which one can move (for a rotary kind: one can turn). Otherwise the solver
// divides by zero, and a body joined to itself breaks its own joint list.
inline bool cpJointBodiesSolvable(const cpBody* a, const cpBody* b, bool rotary)
{
    if (!a || !b || a == b)
        return false;
    if (std::isinf(cpBodyGetMass(a)) && std::isinf(cpBodyGetMass(b)))
        return false;
    return !(rotary && std::isinf(cpBodyGetMoment(a)) && std::isinf(cpBodyGetMoment(b)));
}
// True when the constraint could be solved between the bodies a and b.
inline bool cpConstraintSolvable(const cpConstraint* c, const cpBody* a, const cpBody* b)
{
    return c && cpJointBodiesSolvable(a, b, cpConstraintIsRotaryKind(c));
}
// True when the constraint could be solved between the bodies it names now,
// with its own anchors and grooves.
inline bool cpConstraintSolvableNow(const cpConstraint* c)
{
    return c && cpConstraintSolvable(c, cpConstraintGetBodyA(c), cpConstraintGetBodyB(c))
        && isConstraintWithinRules(c);
}
// Takes the constraint out of the space if it is in it, and clears its user
// data, which names an owner only while the constraint is in the space.
inline void cpSpaceTakeOutConstraint(cpSpace* space, cpConstraint* c)
{
    if (!space || !c || !cpSpaceContainsConstraint(space, c))
        return;
    cpSpaceRemoveConstraint(space, c);
    cpConstraintSetUserData(c, nullptr);
}
// Drops the body from the constraint's ends (to null), for a body about to be
// freed. Only for a constraint outside the space: there it is on no body's
// list and its body pointers are plain fields.
inline void cpConstraintForgetBody(cpConstraint* c, const cpBody* body)
{
    if (c->a == body)
        c->a = nullptr;
    if (c->b == body)
        c->b = nullptr;
}
// Sets the three solver limits without waking the bodies (the public setters
// wake both, which would start a sleeping level moving).
inline void cpConstraintStoreLimits(cpConstraint* c, cpFloat maxForce, cpFloat maxBias, cpFloat errorBias)
{
    c->maxForce = maxForce;
    c->maxBias = maxBias;
    c->errorBias = errorBias;
}

// ---------------------------------------------------------------------------
// Collision handlers with a post-solve callback.

// The handler of the pair of collision types (made on first use; never null).
inline cpCollisionHandler* cpSpaceGetCollisionHandler(cpSpace* space, cpCollisionType a, cpCollisionType b)
{
    return cpSpaceAddCollisionHandler(space, a, b);
}
// A post-solve callback that does nothing, as a fresh handler has.
inline void cpCompatPostSolveNothing(cpArbiter*, cpSpace*, cpDataPointer) { }
// Installs func with data as the post-solve callback of the pair (a, b).
inline cpCollisionHandler* cpSpaceSetPostSolve(cpSpace* space, cpCollisionType a, cpCollisionType b,
                                               cpCollisionPostSolveFunc func, cpDataPointer data)
{
    cpCollisionHandler* h = cpSpaceAddCollisionHandler(space, a, b);
    h->postSolveFunc = func;
    h->userData = data;
    return h;
}
// Puts the pair's post-solve callback back to doing nothing and clears its data.
inline void cpSpaceRemovePostSolve(cpSpace* space, cpCollisionType a, cpCollisionType b)
{
    cpCollisionHandler* h = cpSpaceAddCollisionHandler(space, a, b);
    h->postSolveFunc = cpCompatPostSolveNothing;
    h->userData = nullptr;
}

// ---------------------------------------------------------------------------
// Teardown of a space that no scene items own (loaders, tools, tests): removes
// and frees every constraint, shape and body (bodies outside the space that a
// shape or constraint names too, but never the space's own static body), then
// the space itself.
inline void cpSpaceFreeWithContents(cpSpace* space)
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

// ---------------------------------------------------------------------------
// Collision handlers of a pair of collision types, as the older API had them:
// one per unordered pair, carrying a post-solve callback and its data, and
// removable. Chipmunk 7 only makes or returns a pair's handler (and keeps the
// type order of its first registration), so removal is emulated by putting
// back the post-solve callback that the handler had before and clearing its data.

// The handler of the unordered pair (a, b); made with the default callbacks when missing.
inline cpCollisionHandler* cpSpacePairHandler(cpSpace* space, cpCollisionType a, cpCollisionType b)
{
    return cpSpaceAddCollisionHandler(space, a, b);
}
// Installs a post-solve callback with its data; returns the callback it replaced.
inline cpCollisionPostSolveFunc cpPairHandlerSetPostSolve(cpCollisionHandler* handler,
                                                          cpCollisionPostSolveFunc func, cpDataPointer data)
{
    cpCollisionPostSolveFunc previous = handler->postSolveFunc;
    handler->postSolveFunc = func;
    handler->userData = data;
    return previous;
}
// The emulated removal: the handler's earlier post-solve callback back, no data.
inline void cpPairHandlerReset(cpCollisionHandler* handler, cpCollisionPostSolveFunc previous)
{
    handler->postSolveFunc = previous;
    handler->userData = nullptr;
}

#endif // CPCOMPAT_H
