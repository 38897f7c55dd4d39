#include "jointkinds.h"

#include <cstring>

#include "cpCompat.h"
#include "physicsrules.h"

namespace {

using Bound = JointParameter::Bound;

constexpr JointParameter point(const char* name, cpVect (*get)(const cpConstraint*),
                               void (*set)(cpConstraint*, cpVect) = nullptr)
{
    return JointParameter { name, Bound::Point, get, set, nullptr, nullptr };
}

constexpr JointParameter number(const char* name, Bound bound, cpFloat (*get)(const cpConstraint*),
                                void (*set)(cpConstraint*, cpFloat) = nullptr)
{
    return JointParameter { name, bound, nullptr, nullptr, get, set };
}

// Solver state the file keeps and no reader takes back.
constexpr JointParameter written(const char* name, cpFloat (*get)(const cpConstraint*))
{
    return number(name, Bound::Written, get);
}

constexpr JointParameter writtenPoint(const char* name, cpVect (*get)(const cpConstraint*))
{
    return JointParameter { name, Bound::Written, get, nullptr, nullptr, nullptr };
}

// Chipmunk 7 keeps no maximum correction or impulse; the fields stay for the file's readers.
cpFloat none(const cpConstraint*)
{
    return 0.0;
}

cpVect pivotWorldAnchor(const cpConstraint* c)
{
    return cpBodyLocalToWorld(cpConstraintGetBodyA(c), cpPivotJointGetAnchorA(c));
}

// The simulation may have carried it past the bound the reader keeps.
cpFloat ratchetAngle(const cpConstraint* c)
{
    return boundedMagnitude(cpRatchetJointGetAngle(c));
}

const JointParameter pinParameters[] = {
    point("anchr1", cpPinJointGetAnchorA, cpPinJointSetAnchorA),
    point("anchr2", cpPinJointGetAnchorB, cpPinJointSetAnchorB),
    number("dist", Bound::Length, cpPinJointGetDist, cpPinJointSetDist),
    written("jnAcc", pinJointJnAcc),
};

const JointParameter slideParameters[] = {
    point("anchr1", cpSlideJointGetAnchorA, cpSlideJointSetAnchorA),
    point("anchr2", cpSlideJointGetAnchorB, cpSlideJointSetAnchorB),
    number("min", Bound::Length, cpSlideJointGetMin, cpSlideJointSetMin),
    number("max", Bound::Length, cpSlideJointGetMax, cpSlideJointSetMax),
    written("jnAcc", slideJointJnAcc),
};

const JointParameter pivotParameters[] = {
    point("anchr1", cpPivotJointGetAnchorA, cpPivotJointSetAnchorA),
    point("anchr2", cpPivotJointGetAnchorB, cpPivotJointSetAnchorB),
    point("worldAnchor", pivotWorldAnchor),
    writtenPoint("jAcc", pivotJointJAcc),
};

const JointParameter grooveParameters[] = {
    point("grv_a", cpGrooveJointGetGrooveA, cpGrooveJointSetGrooveA),
    point("grv_b", cpGrooveJointGetGrooveB, cpGrooveJointSetGrooveB),
    point("anchr2", cpGrooveJointGetAnchorB, cpGrooveJointSetAnchorB),
    writtenPoint("jAcc", grooveJointJAcc),
    written("jMaxLen", none),
};

const JointParameter motorParameters[] = {
    number("rate", Bound::Magnitude, cpSimpleMotorGetRate, cpSimpleMotorSetRate),
    written("jMax", none),
};

const JointParameter gearParameters[] = {
    number("phase", Bound::Magnitude, cpGearJointGetPhase, cpGearJointSetPhase),
    number("ratio", Bound::Ratio, cpGearJointGetRatio, cpGearJointSetRatio),
    written("jAcc", gearJointJAcc),
};

const JointParameter springParameters[] = {
    point("anchr1", cpDampedSpringGetAnchorA, cpDampedSpringSetAnchorA),
    point("anchr2", cpDampedSpringGetAnchorB, cpDampedSpringSetAnchorB),
    number("restLength", Bound::Length, cpDampedSpringGetRestLength, cpDampedSpringSetRestLength),
    number("stiffness", Bound::Length, cpDampedSpringGetStiffness, cpDampedSpringSetStiffness),
    number("damping", Bound::Length, cpDampedSpringGetDamping, cpDampedSpringSetDamping),
};

const JointParameter rotaryLimitParameters[] = {
    number("min", Bound::Magnitude, cpRotaryLimitJointGetMin, cpRotaryLimitJointSetMin),
    number("max", Bound::Magnitude, cpRotaryLimitJointGetMax, cpRotaryLimitJointSetMax),
    written("jAcc", rotaryLimitJointJAcc),
};

const JointParameter ratchetParameters[] = {
    number("angle", Bound::Magnitude, ratchetAngle, cpRatchetJointSetAngle),
    number("phase", Bound::Magnitude, cpRatchetJointGetPhase, cpRatchetJointSetPhase),
    number("ratchet", Bound::Ratio, cpRatchetJointGetRatchet, cpRatchetJointSetRatchet),
    written("jAcc", ratchetJointJAcc),
};

const JointParameter rotarySpringParameters[] = {
    number("restAngle", Bound::Magnitude, cpDampedRotarySpringGetRestAngle, cpDampedRotarySpringSetRestAngle),
    number("stiffness", Bound::Length, cpDampedRotarySpringGetStiffness, cpDampedRotarySpringSetStiffness),
    number("damping", Bound::Length, cpDampedRotarySpringGetDamping, cpDampedRotarySpringSetDamping),
};

cpConstraint* makePin(cpBody* a, cpBody* b, const JointValues& v)
{
    cpConstraint* c = cpPinJointNew(a, b, v.points[0], v.points[1]);
    cpPinJointSetDist(c, v.numbers[2]);
    return c;
}

cpConstraint* makeSlide(cpBody* a, cpBody* b, const JointValues& v)
{
    return cpSlideJointNew(a, b, v.points[0], v.points[1], v.numbers[2], v.numbers[3]);
}

cpConstraint* makePivot(cpBody* a, cpBody* b, const JointValues& v)
{
    // A stretched joint (its two anchors apart in the world) is read from its
    // anchors: the world anchor would move the second one onto the first. One
    // whose anchors meet at the world anchor, to the six digits written, is read
    // from that point, which keeps it exact; so are files with nothing else.
    // One saved outside the space was never held to one point: its anchors are
    // what the editor kept.
    bool fromWorld = v.present[2] && !v.outside;
    if (fromWorld && (v.present[0] || v.present[1]))
        fromWorld = pivotReadsFromWorld(a, b, v.points[0], v.points[1], v.points[2]);
    return fromWorld ? cpPivotJointNew(a, b, v.points[2]) : cpPivotJointNew2(a, b, v.points[0], v.points[1]);
}

cpConstraint* makeGroove(cpBody* a, cpBody* b, const JointValues& v)
{
    return cpGrooveJointNew(a, b, v.points[0], v.points[1], v.points[2]);
}

bool grooveHasLength(const JointValues& v)
{
    return isSaneGroove(v.points[0], v.points[1]);
}

cpConstraint* makeMotor(cpBody* a, cpBody* b, const JointValues& v)
{
    return cpSimpleMotorNew(a, b, v.numbers[0]);
}

cpConstraint* makeGear(cpBody* a, cpBody* b, const JointValues& v)
{
    return cpGearJointNew(a, b, v.numbers[0], v.numbers[1]);
}

cpConstraint* makeSpring(cpBody* a, cpBody* b, const JointValues& v)
{
    return cpDampedSpringNew(a, b, v.points[0], v.points[1], v.numbers[2], v.numbers[3], v.numbers[4]);
}

cpConstraint* makeRotaryLimit(cpBody* a, cpBody* b, const JointValues& v)
{
    return cpRotaryLimitJointNew(a, b, v.numbers[0], v.numbers[1]);
}

cpConstraint* makeRatchet(cpBody* a, cpBody* b, const JointValues& v)
{
    cpConstraint* c = cpRatchetJointNew(a, b, v.numbers[1], v.numbers[2]);
    cpRatchetJointSetAngle(c, v.numbers[0]);
    return c;
}

cpConstraint* makeRotarySpring(cpBody* a, cpBody* b, const JointValues& v)
{
    return cpDampedRotarySpringNew(a, b, v.numbers[0], v.numbers[1], v.numbers[2]);
}

template <int N>
constexpr int countOf(const JointParameter (&)[N])
{
    static_assert(N <= JointValues::capacity, "more parameters than JointValues holds");
    return N;
}

const JointKind kinds[] = {
    { "pin", cpConstraintIsPinJoint, pinParameters, countOf(pinParameters), makePin, nullptr, nullptr },
    { "slide", cpConstraintIsSlideJoint, slideParameters, countOf(slideParameters), makeSlide, nullptr, nullptr },
    { "pivot", cpConstraintIsPivotJoint, pivotParameters, countOf(pivotParameters), makePivot, nullptr, nullptr },
    { "groove", cpConstraintIsGrooveJoint, grooveParameters, countOf(grooveParameters), makeGroove,
      "groove joint whose groove has no length", grooveHasLength },
    { "motor", cpConstraintIsSimpleMotor, motorParameters, countOf(motorParameters), makeMotor, nullptr, nullptr },
    { "gear", cpConstraintIsGearJoint, gearParameters, countOf(gearParameters), makeGear,
      "gear joint with a zero or absurd ratio", nullptr },
    { "spring", cpConstraintIsDampedSpring, springParameters, countOf(springParameters), makeSpring, nullptr, nullptr },
    { "rotaryLimit", cpConstraintIsRotaryLimitJoint, rotaryLimitParameters, countOf(rotaryLimitParameters),
      makeRotaryLimit, nullptr, nullptr },
    { "ratchet", cpConstraintIsRatchetJoint, ratchetParameters, countOf(ratchetParameters), makeRatchet,
      "ratchet joint with a zero or absurd interval", nullptr },
    { "rotarySpring", cpConstraintIsDampedRotarySpring, rotarySpringParameters, countOf(rotarySpringParameters),
      makeRotarySpring, nullptr, nullptr },
};

} // namespace

bool JointParameter::accepts(double value) const
{
    switch (bound) {
    case Bound::Magnitude: return isSaneMagnitude(value);
    case Bound::Length: return isSaneLength(value);
    case Bound::Ratio: return isSaneRatio(value);
    case Bound::Point: return isSaneMagnitude(value);
    case Bound::Written: return true;
    }
    return false;
}

bool JointParameter::accepts(cpVect value) const
{
    return bound == Bound::Written || isSanePoint(value);
}

double JointParameter::kept(double value) const
{
    if (bound == Bound::Ratio || bound == Bound::Written)
        return value;
    return accepts(value) ? value : 0.0;
}

const JointParameter* JointKind::parameter(const char* name) const
{
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(parameters[i].name, name) == 0)
            return &parameters[i];
    }
    return nullptr;
}

bool JointKind::accepts(const JointValues& values) const
{
    for (int i = 0; i < count; ++i) {
        if (parameters[i].bound == Bound::Ratio && !parameters[i].accepts(values.numbers[i]))
            return false;
    }
    return !acceptsValues || acceptsValues(values);
}

const JointKind* jointKinds(int* count)
{
    if (count)
        *count = int(sizeof(kinds) / sizeof(kinds[0]));
    return kinds;
}

const JointKind* jointKindOf(const cpConstraint* constraint)
{
    if (!constraint)
        return nullptr;
    for (const JointKind& kind : kinds) {
        if (kind.is(constraint))
            return &kind;
    }
    return nullptr;
}

const JointKind* jointKindNamed(const char* type)
{
    if (!type)
        return nullptr;
    for (const JointKind& kind : kinds) {
        if (std::strcmp(kind.type, type) == 0)
            return &kind;
    }
    return nullptr;
}
