#ifndef PHYSICSRULES_H
#define PHYSICSRULES_H

// The one rule book of the physics values the editor takes: what the physics
// reader keeps, what the property setters and tools accept, and what the writer
// puts into a file all follow these bounds, so that a value the editor accepts
// is a value it reads back. The debug build of Chipmunk aborts on any value it
// cannot simulate; a finite but absurd one (a velocity of 1e300, a mass of
// 1e-300) overflows or divides by zero within a few steps and ends the same way.

#include <chipmunk/chipmunk.h>

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------------------
// Bounds.

// Largest coordinate, speed, force, angle, length, anchor or spring constant.
const double saneMaxMagnitude = 1e9;
// Range of a finite mass or moment of inertia: their inverses are taken.
const double saneMinMass = 1e-9;
const double saneMaxMass = 1e15;
// Range of the size of a gear ratio or ratchet interval: their inverses are taken.
const double physicsMinRatio = 1e-9;
const double physicsMaxRatio = 1e9;
// Shortest groove: below it the groove's direction is lost and the solver divides 0 by 0.
const double physicsMinGrooveLength = 1e-9;
// A pivot or groove whose rotational term outweighs the linear one by more than
// this cannot be solved in double precision (the solver's determinant cancels to
// 0, which Chipmunk treats as fatal).
const double physicsMaxConditioning = 1e12;
// Elasticity: two shapes multiply theirs, so a bounce gains at most 1e4 times its
// speed; sensible values lie in [0, 1], a few toys go slightly above.
const double physicsMaxElasticity = 100;
// Friction: two shapes multiply theirs; sensible values lie in [0, 2].
const double physicsMaxFriction = 1e4;
// Gravity per axis: a million times the usual pull still takes a body a thousand
// seconds of falling to reach saneMaxMagnitude.
const double physicsMaxGravity = 1e6;
// Upper bound of the solver iterations: more only makes a step take seconds.
const int physicsMaxIterations = 1000;

// ---------------------------------------------------------------------------
// Tests of single values.

// True for a finite value no larger in size than saneMaxMagnitude.
inline bool isSaneMagnitude(double v) { return std::isfinite(v) && std::fabs(v) <= saneMaxMagnitude; }
// True for a point whose coordinates are both sane magnitudes.
inline bool isSanePoint(cpVect p) { return isSaneMagnitude(p.x) && isSaneMagnitude(p.y); }
// True for a finite mass (or moment) within [saneMinMass, saneMaxMass].
inline bool isSaneMass(double m) { return std::isfinite(m) && m >= saneMinMass && m <= saneMaxMass; }
// A moment may also be infinite: the body then never turns.
inline bool isSaneMoment(double i) { return i == INFINITY || isSaneMass(i); }
// A length, distance, radius or spring constant: a sane magnitude that is not
// negative (a negative spring constant or pin length drives the bodies apart
// ever faster until the step aborts).
inline bool isSaneLength(double v) { return isSaneMagnitude(v) && v >= 0; }
// A gear ratio or ratchet interval.
inline bool isSaneRatio(double r)
{
    return std::isfinite(r) && std::fabs(r) >= physicsMinRatio && std::fabs(r) <= physicsMaxRatio;
}
inline bool isSaneElasticity(double e) { return e >= 0 && e <= physicsMaxElasticity; }
inline bool isSaneFriction(double u) { return u >= 0 && u <= physicsMaxFriction; }
inline bool isSaneGravity(cpVect g) { return std::fabs(g.x) <= physicsMaxGravity && std::fabs(g.y) <= physicsMaxGravity; }
// Damping is the fraction of velocity kept per second: above 1 it speeds every
// body up each step until the velocity overflows; below 0 Chipmunk aborts.
inline bool isSaneDamping(double d) { return d >= 0 && d <= 1; }
// The bias of a constraint is the fraction of its error left after a second:
// above 1 the solver pushes the bodies apart ever faster.
inline bool isSaneErrorBias(double b) { return b >= 0 && b <= 1; }
inline bool isSaneIterations(int n) { return n > 0 && n <= physicsMaxIterations; }
// A groove from a to b: both ends sane and apart.
inline bool isSaneGroove(cpVect a, cpVect b)
{
    return isSanePoint(a) && isSanePoint(b) && cpvdist(a, b) >= physicsMinGrooveLength;
}

// The value as the writer puts it into a file: a value that is no number as 0,
// a finite one past the bound at the bound, so the reader keeps what is written.
inline double boundedMagnitude(double v)
{
    if (std::isnan(v))
        return 0;
    return std::clamp(v, -saneMaxMagnitude, saneMaxMagnitude);
}
inline cpVect boundedPoint(cpVect p) { return cpv(boundedMagnitude(p.x), boundedMagnitude(p.y)); }

// ---------------------------------------------------------------------------
// What the solver can take of a joint between two bodies.

// True when a pivot or groove with anchors at squared distances ra2 and rb2 from
// the bodies' origins has a 2x2 mass whose determinant survives in doubles.
inline bool isWellConditioned(const cpBody* a, const cpBody* b, double ra2, double rb2)
{
    const auto inverse = [](double v) { return std::isinf(v) ? 0.0 : 1.0 / v; };
    cpBody* ma = const_cast<cpBody*>(a);
    cpBody* mb = const_cast<cpBody*>(b);
    const double massTerm = inverse(cpBodyGetMass(ma)) + inverse(cpBodyGetMass(mb));
    const double turnTerm = ra2 * inverse(cpBodyGetMoment(ma)) + rb2 * inverse(cpBodyGetMoment(mb));
    return massTerm > 0 && turnTerm <= physicsMaxConditioning * massTerm;
}

// True when the constraint's own values, between the bodies it names, are ones
// the solver can take and the reader keeps: sane anchors, a pivot's or groove's
// conditioning and a groove's length. The other kinds solve one value at a time
// and have nothing to cancel.
inline bool isConstraintWithinRules(const cpConstraint* constraint)
{
    cpConstraint* c = const_cast<cpConstraint*>(constraint);
    cpBody* a = cpConstraintGetBodyA(c);
    cpBody* b = cpConstraintGetBodyB(c);
    if (!a || !b)
        return false;
    if (cpConstraintIsPinJoint(c))
        return isSanePoint(cpPinJointGetAnchorA(c)) && isSanePoint(cpPinJointGetAnchorB(c));
    if (cpConstraintIsSlideJoint(c))
        return isSanePoint(cpSlideJointGetAnchorA(c)) && isSanePoint(cpSlideJointGetAnchorB(c));
    if (cpConstraintIsDampedSpring(c))
        return isSanePoint(cpDampedSpringGetAnchorA(c)) && isSanePoint(cpDampedSpringGetAnchorB(c));
    if (cpConstraintIsPivotJoint(c))
        return isSanePoint(cpPivotJointGetAnchorA(c)) && isSanePoint(cpPivotJointGetAnchorB(c))
            && isWellConditioned(a, b, cpvlengthsq(cpPivotJointGetAnchorA(c)), cpvlengthsq(cpPivotJointGetAnchorB(c)));
    if (cpConstraintIsGrooveJoint(c)) {
        const cpVect ga = cpGrooveJointGetGrooveA(c);
        const cpVect gb = cpGrooveJointGetGrooveB(c);
        return isSaneGroove(ga, gb) && isSanePoint(cpGrooveJointGetAnchorB(c))
            && isWellConditioned(a, b, std::max(cpvlengthsq(ga), cpvlengthsq(gb)),
                                 cpvlengthsq(cpGrooveJointGetAnchorB(c)));
    }
    return true;
}

// True when a pivot written with these anchors and this world anchor is read
// back from the world anchor: both anchors meet there to the digits written,
// and rebuilding them from it gives them back (far from the origin six digits
// of the world point cannot place them, and the anchors are read instead).
inline bool pivotReadsFromWorld(const cpBody* a, const cpBody* b, cpVect anchorA, cpVect anchorB, cpVect world)
{
    const cpVect worldA = cpBodyLocalToWorld(a, anchorA);
    const cpVect worldB = cpBodyLocalToWorld(b, anchorB);
    const double scale = cpvlength(cpBodyGetPosition(a)) + cpvlength(cpBodyGetPosition(b)) + cpvlength(anchorA)
        + cpvlength(anchorB) + cpvlength(world);
    const double precision = 1e-5 * scale + 1e-12;
    if (cpvdist(worldA, world) > precision || cpvdist(worldB, world) > precision)
        return false;
    // Each anchor to its own six digits.
    return cpvdist(cpBodyWorldToLocal(a, world), anchorA) <= 1e-5 * cpvlength(anchorA) + 1e-9
        && cpvdist(cpBodyWorldToLocal(b, world), anchorB) <= 1e-5 * cpvlength(anchorB) + 1e-9;
}

#endif // PHYSICSRULES_H
