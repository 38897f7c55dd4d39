#ifndef CPCOMPAT_H
#define CPCOMPAT_H

// The editor speaks the physics vocabulary of the level format (shape layers
// and groups, clockwise polygons, "first shape at a point"); Chipmunk 7 spells
// these differently. Every such mapping lives here, so that the items, tools
// and the serializer agree on it. The functions that reach into Chipmunk's
// private structures or its unsafe setters (shape radius, offset, endpoints and
// vertices) are defined in cpCompat.cpp, the only file that includes those
// headers.

#include <chipmunk/chipmunk.h>

#include "physicsrules.h"

#include <cmath>
#include <vector>

// ---------------------------------------------------------------------------
// Angles: items turn in degrees, the engine in radians. These factors are the
// ones every stored level was made with, so a round trip keeps every digit.

const double radiansPerDegree = 0.017453292519944444;
const double degreesPerRadian = 57.29577951307855;
inline double radiansFromDegrees(double degrees) { return degrees * radiansPerDegree; }
// Through single precision, as an item's rotation is shown.
inline double degreesFromRadians(double radians) { return double(float(radians)) * degreesPerRadian; }

// ---------------------------------------------------------------------------
// Layers and groups over shape filters.
// A shape's layers are its filter categories; it collides with another shape
// when their layers share a bit and their groups differ (or are 0). Setting the
// layers sets categories and mask alike, which keeps exactly that rule.

typedef cpBitmask ShapeLayers;
#define allLayers (~(ShapeLayers)0)

// The shape's layer bits (its filter categories).
inline ShapeLayers shapeLayers(const cpShape* shape) { return cpShapeGetFilter(shape).categories; }
// Sets the layer bits: categories and mask both become layers.
inline void setShapeLayers(cpShape* shape, ShapeLayers layers)
{
    cpShapeFilter f = cpShapeGetFilter(shape);
    f.categories = layers;
    f.mask = layers;
    cpShapeSetFilter(shape, f);
}
// The shape's collision group (0: no group).
inline cpGroup shapeGroup(const cpShape* shape) { return cpShapeGetFilter(shape).group; }
// Sets the collision group; shapes of one non-zero group never collide.
inline void setShapeGroup(cpShape* shape, cpGroup group)
{
    cpShapeFilter f = cpShapeGetFilter(shape);
    f.group = group;
    cpShapeSetFilter(shape, f);
}

// ---------------------------------------------------------------------------
// Point queries.

// A non-sensor shape that contains the point, or null; with the defaults any layer and group.
inline cpShape* cpSpacePointQueryFirst(cpSpace* space, cpVect point,
                                       ShapeLayers layers = allLayers, cpGroup group = CP_NO_GROUP)
{
    if (layers == allLayers && group == CP_NO_GROUP)
        return cpSpacePointQueryNearest(space, point, 0, CP_SHAPE_FILTER_ALL, nullptr);
    return cpSpacePointQueryNearest(space, point, 0, cpShapeFilterNew(group, layers, layers), nullptr);
}

// ---------------------------------------------------------------------------
// Bodies.

// True when the body has infinite mass (static or kinematic): it is never moved by forces.
inline bool bodyHasInfiniteMass(const cpBody* body) { return std::isinf(cpBodyGetMass(body)); }
// True for the space's own static body, which every static shape shares and
// which never moves, turns or leaves the space.
inline bool isSharedStaticBody(cpSpace* space, const cpBody* body)
{
    return space && body && body == cpSpaceGetStaticBody(space);
}
// True for the space's own static body and every other static-type body.
inline bool isStaticBody(cpSpace* space, const cpBody* body)
{
    return body && (body == cpSpaceGetStaticBody(space) || cpBodyGetType(const_cast<cpBody*>(body)) == CP_BODY_TYPE_STATIC);
}
// True when the body takes no part in the simulation of the space: it is
// static, or it has been taken out of the space (or never was in it).
inline bool isStaticOrOutside(cpSpace* space, cpBody* body)
{
    return !body || isStaticBody(space, body) || !cpSpaceContainsBody(space, body);
}
// True when the body's position, velocity, angle and spin are all sane
// magnitudes. Read from the fields: the canvas checks every body after every
// step, where a call per value would cost more than the check.
bool bodyMotionSane(const cpBody* body);
// Stops the body dead and, where its position or angle is no sane magnitude,
// puts it at the given place instead, so that every setter, the writer and the
// reader take it afterwards.
void settleBody(cpBody* body, cpVect position, cpFloat angle);
// True when the body is one that the space simulates: added to it and dynamic.
// The space's static body, other static bodies and rogue bodies are not.
inline bool spaceSimulatesBody(cpSpace* space, cpBody* body)
{
    return body && cpBodyGetType(body) == CP_BODY_TYPE_DYNAMIC && cpSpaceContainsBody(space, body);
}

// ---------------------------------------------------------------------------
// Shapes: kind and direct fields.

// The kind of a shape: ShapeKind::Circle, ShapeKind::Segment or ShapeKind::Poly.
// The three shape kinds; the engine's own enumeration is in its private headers.
enum class ShapeKind { Circle, Segment, Poly };
ShapeKind shapeTypeOf(const cpShape* shape);
// The unsafe setters of a shape's geometry: the caller moves or resizes the
// shape of an item in place, where a new shape would lose its body and space.
void setCircleOffset(cpShape* circle, cpVect offset);
void setCircleRadius(cpShape* circle, cpFloat radius);
void setSegmentEndpoints(cpShape* segment, cpVect a, cpVect b);
void setSegmentRadius(cpShape* segment, cpFloat radius);
void setPolyVertsRaw(cpShape* polygon, int count, const cpVect* verts);

// ---------------------------------------------------------------------------
// Polygons without a radius, in clockwise order.
// The level format keeps polygon vertices clockwise (as the game's engine
// requires); Chipmunk 7 keeps them counter-clockwise. These wrappers take and
// give clockwise vertices and never take a hull, so the vertex list is kept.

// True when the clockwise vertices form a convex polygon of positive area that
// winds once (collinear vertices allowed, repeated vertices not).
inline bool isValidClockwisePolygon(const cpVect* verts, int count)
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
// The caller checks the vertices with isValidClockwisePolygon first.
cpShape* newClockwisePolyShape(cpBody* body, int count, const cpVect* clockwiseVerts);
// All vertices in clockwise order, body coordinates.
inline std::vector<cpVect> polyVerticesClockwise(const cpShape* shape)
{
    const int n = cpPolyShapeGetCount(shape);
    std::vector<cpVect> out;
    out.reserve(n);
    for (int i = n - 1; i >= 0; --i)
        out.push_back(cpPolyShapeGetVert(shape, i));
    return out;
}
// Replaces the vertices (clockwise, body coordinates), kept as given.
void setPolyVerticesClockwise(cpShape* shape, int count, const cpVect* clockwiseVerts);

// ---------------------------------------------------------------------------
// Constraint kinds and the accumulated impulses that have no public getter.

// Accumulated normal impulse of a pin joint.
cpFloat pinJointJnAcc(const cpConstraint* c);
// Accumulated normal impulse of a slide joint.
cpFloat slideJointJnAcc(const cpConstraint* c);
// Accumulated impulse of a pivot joint.
cpVect pivotJointJAcc(const cpConstraint* c);
// Accumulated impulse of a groove joint.
cpVect grooveJointJAcc(const cpConstraint* c);
// Accumulated impulse of a gear joint.
cpFloat gearJointJAcc(const cpConstraint* c);
// Accumulated impulse of a rotary limit joint.
cpFloat rotaryLimitJointJAcc(const cpConstraint* c);
// Accumulated impulse of a ratchet joint.
cpFloat ratchetJointJAcc(const cpConstraint* c);

// ---------------------------------------------------------------------------
// What the solver can take, and how a constraint leaves the space.

// True for the kinds that act on the bodies' angles only (gear, motor, rotary
// spring, rotary limit, ratchet).
inline bool isRotaryConstraint(const cpConstraint* c)
{
    return c
        && (cpConstraintIsGearJoint(c) || cpConstraintIsSimpleMotor(c) || cpConstraintIsDampedRotarySpring(c)
            || cpConstraintIsRotaryLimitJoint(c) || cpConstraintIsRatchetJoint(c));
}
// True when a joint between a and b can be solved: two different bodies of
// which one can move (for a rotary kind: one can turn). Otherwise the solver
// divides by zero, and a body joined to itself breaks its own joint list.
inline bool jointBodiesSolvable(const cpBody* a, const cpBody* b, bool rotary)
{
    if (!a || !b || a == b)
        return false;
    if (std::isinf(cpBodyGetMass(a)) && std::isinf(cpBodyGetMass(b)))
        return false;
    return !(rotary && std::isinf(cpBodyGetMoment(a)) && std::isinf(cpBodyGetMoment(b)));
}
// True when the constraint could be solved between the bodies a and b.
inline bool constraintSolvable(const cpConstraint* c, const cpBody* a, const cpBody* b)
{
    return c && jointBodiesSolvable(a, b, isRotaryConstraint(c));
}
// True when the constraint could be solved between the bodies it names now,
// with its own anchors and grooves.
inline bool constraintSolvableNow(const cpConstraint* c)
{
    return c && constraintSolvable(c, cpConstraintGetBodyA(c), cpConstraintGetBodyB(c))
        && isConstraintWithinRules(c);
}
// Takes the constraint out of the space if it is in it, and clears its user
// data, which names an owner only while the constraint is in the space.
inline void takeOutConstraint(cpSpace* space, cpConstraint* c)
{
    if (!space || !c || !cpSpaceContainsConstraint(space, c))
        return;
    cpSpaceRemoveConstraint(space, c);
    cpConstraintSetUserData(c, nullptr);
}
// Drops the body from the constraint's ends (to null), for a body about to be
// freed. Only for a constraint outside the space: there it is on no body's
// list and its body pointers are plain fields.
void constraintForgetBody(cpConstraint* c, const cpBody* body);
// Sets the three solver limits without waking the bodies (the public setters
// wake both, which would start a sleeping level moving).
void storeConstraintLimits(cpConstraint* c, cpFloat maxForce, cpFloat maxBias, cpFloat errorBias);

// ---------------------------------------------------------------------------
// Teardown of a space that no scene items own (loaders, tools, tests): removes
// and frees every constraint, shape and body (bodies outside the space that a
// shape or constraint names too, but never the space's own static body), then
// the space itself.
void freeSpaceWithContents(cpSpace* space);
// Takes every body out of the space (the space's own static body stays), in
// an order that costs n steps: the engine finds a body it takes out by a scan
// of its list from the front and fills the gap with the last one, so taking
// bodies out in any other order (as freeing items one by one does) costs up
// to n * n / 2. Shapes, constraints and the bodies themselves are left alone.
void takeOutAllBodies(cpSpace* space);

// ---------------------------------------------------------------------------
// Collision handlers of a pair of collision types, as the older API had them:
// one per unordered pair, carrying a post-solve callback and its data, and
// removable. Chipmunk 7 only makes or returns a pair's handler (and keeps the
// type order of its first registration), so removal is emulated by putting
// back the post-solve callback that the handler had before and clearing its data.

// The handler of the unordered pair (a, b); made with the default callbacks when missing.
inline cpCollisionHandler* pairHandler(cpSpace* space, cpCollisionType a, cpCollisionType b)
{
    return cpSpaceAddCollisionHandler(space, a, b);
}
// Installs a post-solve callback with its data; returns the callback it replaced.
cpCollisionPostSolveFunc setPairPostSolve(cpCollisionHandler* handler, cpCollisionPostSolveFunc func,
                                                   cpDataPointer data);
// The emulated removal: the handler's earlier post-solve callback back, no data.
void resetPairPostSolve(cpCollisionHandler* handler, cpCollisionPostSolveFunc previous);

#endif // CPCOMPAT_H
