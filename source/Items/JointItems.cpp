#include "Items/JointItems.h"

#include <QLineF>

#include <cmath>

#include "Items/item.h"
#include "cpCompat.h"

namespace {

QPointF toPoint(cpVect v)
{
    return QPointF(v.x, v.y);
}

cpVect toVect(QPointF p)
{
    return cpv(p.x(), p.y());
}

// A point for an anchor.
bool usable(QPointF p)
{
    return isSanePoint(toVect(p));
}

// The line from anchor A on body a to anchor B on body b, in scene
// coordinates; nothing is laid from bodies the joint does not have.
void layFromAnchors(AbstractLineJointItem* item, cpVect anchorA, cpVect anchorB)
{
    if (!item->hasBodies())
        return;
    cpConstraint* c = item->constraint();
    item->setLine(QLineF(toPoint(cpBodyLocalToWorld(cpConstraintGetBodyA(c), anchorA)),
                         toPoint(cpBodyLocalToWorld(cpConstraintGetBodyB(c), anchorB))));
}

// The line between the two bodies' positions (the static body sits at the origin).
void layFromBodies(AbstractLineJointItem* item)
{
    if (!item->hasBodies())
        return;
    cpConstraint* c = item->constraint();
    item->setLine(QLineF(toPoint(cpBodyGetPosition(cpConstraintGetBodyA(c))),
                         toPoint(cpBodyGetPosition(cpConstraintGetBodyB(c)))));
}

// The line's two ends in the local coordinates of a and b.
void anchorsOnBodies(const QLineF& l, cpBody* a, cpBody* b, cpVect* anchorA, cpVect* anchorB)
{
    *anchorA = cpBodyWorldToLocal(a, cpv(l.x1(), l.y1()));
    *anchorB = cpBodyWorldToLocal(b, cpv(l.x2(), l.y2()));
}

template <typename T>
T* as(cpConstraint* c)
{
    return reinterpret_cast<T*>(c);
}

} // namespace

// ---------------------------------------------------------------------------
// SpringJointItem

SpringJointItem::SpringJointItem(cpSpace* space, cpConstraint* constraint)
    : AbstractLineJointItem(space, constraint)
{
}

SpringJointItem::~SpringJointItem() = default;

cpConstraint* SpringJointItem::defaultConstraint()
{
    return cpDampedSpringNew(nullptr, nullptr, cpvzero, cpvzero, 0, 400, 0.97);
}

void SpringJointItem::adjust()
{
    layFromAnchors(this, cpDampedSpringGetAnchorA(m_constraint), cpDampedSpringGetAnchorB(m_constraint));
    AbstractLineJointItem::adjust();
}

void SpringJointItem::setupNodes()
{
    finishSetup(QStringLiteral(":/images/spring.png"));
}

void SpringJointItem::addToSpace()
{
    cpBody* a = nullptr;
    cpBody* b = nullptr;
    if (!bodiesAtEnds(&a, &b))
        return;
    cpVect anchorA, anchorB;
    const QLineF l = line();
    anchorsOnBodies(l, a, b, &anchorA, &anchorB);
    cpDampedSpringInit(as<cpDampedSpring>(m_constraint), a, b, anchorA, anchorB, l.length(),
                       cpDampedSpringGetStiffness(m_constraint), cpDampedSpringGetDamping(m_constraint));
    AbstractLineJointItem::addToSpace();
}

int SpringJointItem::type() const
{
    return SpringJointItemType;
}

float SpringJointItem::restLength() const
{
    return float(cpDampedSpringGetRestLength(m_constraint));
}

void SpringJointItem::setRestLength(float value)
{
    if (isSaneLength(value))
        cpDampedSpringSetRestLength(m_constraint, value);
}

float SpringJointItem::stiffness() const
{
    return float(cpDampedSpringGetStiffness(m_constraint));
}

void SpringJointItem::setStiffness(float value)
{
    // Negative only pushes the bodies apart until the step aborts.
    if (isSaneLength(value))
        cpDampedSpringSetStiffness(m_constraint, value);
}

float SpringJointItem::damping() const
{
    return float(cpDampedSpringGetDamping(m_constraint));
}

void SpringJointItem::setDamping(float value)
{
    // Negative only pushes the bodies apart until the step aborts.
    if (isSaneLength(value))
        cpDampedSpringSetDamping(m_constraint, value);
}

QPointF SpringJointItem::anchor1() const
{
    return toPoint(cpDampedSpringGetAnchorA(m_constraint));
}

void SpringJointItem::setAnchor1(QPointF value)
{
    if (!usable(value))
        return;
    cpDampedSpringSetAnchorA(m_constraint, toVect(value));
    adjust();
}

QPointF SpringJointItem::anchor2() const
{
    return toPoint(cpDampedSpringGetAnchorB(m_constraint));
}

void SpringJointItem::setAnchor2(QPointF value)
{
    if (!usable(value))
        return;
    cpDampedSpringSetAnchorB(m_constraint, toVect(value));
    adjust();
}

// ---------------------------------------------------------------------------
// PinJointItem

PinJointItem::PinJointItem(cpSpace* space, cpConstraint* constraint)
    : AbstractLineJointItem(space, constraint)
{
}

PinJointItem::~PinJointItem() = default;

cpConstraint* PinJointItem::defaultConstraint()
{
    // Made apart and then closed, so that Chipmunk does not warn about a pin
    // of length 0 for every new joint; the result is the same.
    cpConstraint* c = cpPinJointNew(nullptr, nullptr, cpvzero, cpv(1, 0));
    cpPinJointSetAnchorB(c, cpvzero);
    cpPinJointSetDist(c, 0);
    return c;
}

void PinJointItem::adjust()
{
    layFromAnchors(this, cpPinJointGetAnchorA(m_constraint), cpPinJointGetAnchorB(m_constraint));
    AbstractLineJointItem::adjust();
}

void PinJointItem::setupNodes()
{
    finishSetup(QStringLiteral(":/images/pin.png"));
}

void PinJointItem::addToSpace()
{
    cpBody* a = nullptr;
    cpBody* b = nullptr;
    if (!bodiesAtEnds(&a, &b))
        return;
    cpVect anchorA, anchorB;
    anchorsOnBodies(line(), a, b, &anchorA, &anchorB);
    // The engine measures the distance between the two anchor points.
    cpPinJointInit(as<cpPinJoint>(m_constraint), a, b, anchorA, anchorB);
    AbstractLineJointItem::addToSpace();
}

int PinJointItem::type() const
{
    return PinJointItemType;
}

float PinJointItem::length() const
{
    return float(cpPinJointGetDist(m_constraint));
}

void PinJointItem::setLength(float value)
{
    if (isSaneLength(value))
        cpPinJointSetDist(m_constraint, value);
}

QPointF PinJointItem::anchor1() const
{
    return toPoint(cpPinJointGetAnchorA(m_constraint));
}

void PinJointItem::setAnchor1(QPointF value)
{
    if (!usable(value))
        return;
    cpPinJointSetAnchorA(m_constraint, toVect(value));
    adjust();
}

QPointF PinJointItem::anchor2() const
{
    return toPoint(cpPinJointGetAnchorB(m_constraint));
}

void PinJointItem::setAnchor2(QPointF value)
{
    if (!usable(value))
        return;
    cpPinJointSetAnchorB(m_constraint, toVect(value));
    adjust();
}

// ---------------------------------------------------------------------------
// PivotJointItem

PivotJointItem::PivotJointItem(cpSpace* space, cpConstraint* constraint)
    : AbstractLineJointItem(space, constraint)
{
}

PivotJointItem::~PivotJointItem() = default;

cpConstraint* PivotJointItem::defaultConstraint()
{
    return cpPivotJointNew(nullptr, nullptr, cpvzero);
}

void PivotJointItem::adjust()
{
    layFromAnchors(this, cpPivotJointGetAnchorA(m_constraint), cpPivotJointGetAnchorB(m_constraint));
    AbstractLineJointItem::adjust();
}

void PivotJointItem::setupNodes()
{
    finishSetup(QStringLiteral(":/images/pivot.png"));
}

void PivotJointItem::addToSpace()
{
    cpBody* a = nullptr;
    cpBody* b = nullptr;
    if (!bodiesAtEnds(&a, &b))
        return;
    cpVect anchorA, anchorB;
    anchorsOnBodies(line(), a, b, &anchorA, &anchorB);
    cpPivotJointInit(as<cpPivotJoint>(m_constraint), a, b, anchorA, anchorB);
    AbstractLineJointItem::addToSpace();
}

int PivotJointItem::type() const
{
    return PivotJointItemType;
}

QPointF PivotJointItem::anchor1() const
{
    return toPoint(cpPivotJointGetAnchorA(m_constraint));
}

void PivotJointItem::setAnchor1(QPointF value)
{
    if (!usable(value))
        return;
    const cpVect old = cpPivotJointGetAnchorA(m_constraint);
    cpPivotJointSetAnchorA(m_constraint, toVect(value));
    if (!canBeSolved()) {
        cpPivotJointSetAnchorA(m_constraint, old);
        return;
    }
    adjust();
}

QPointF PivotJointItem::anchor2() const
{
    return toPoint(cpPivotJointGetAnchorB(m_constraint));
}

void PivotJointItem::setAnchor2(QPointF value)
{
    if (!usable(value))
        return;
    const cpVect old = cpPivotJointGetAnchorB(m_constraint);
    cpPivotJointSetAnchorB(m_constraint, toVect(value));
    if (!canBeSolved()) {
        cpPivotJointSetAnchorB(m_constraint, old);
        return;
    }
    adjust();
}

QPointF PivotJointItem::worldPoint() const
{
    cpBody* a = cpConstraintGetBodyA(m_constraint);
    if (!a)
        return QPointF(0, 0);
    return toPoint(cpBodyLocalToWorld(a, cpPivotJointGetAnchorA(m_constraint)));
}

void PivotJointItem::setWorldPoint(QPointF value)
{
    if (!usable(value))
        return;
    const cpVect p = toVect(value);
    const cpVect oldA = cpPivotJointGetAnchorA(m_constraint);
    const cpVect oldB = cpPivotJointGetAnchorB(m_constraint);
    if (cpBody* a = cpConstraintGetBodyA(m_constraint))
        cpPivotJointSetAnchorA(m_constraint, cpBodyWorldToLocal(a, p));
    if (cpBody* b = cpConstraintGetBodyB(m_constraint))
        cpPivotJointSetAnchorB(m_constraint, cpBodyWorldToLocal(b, p));
    if (!usable(anchor1()) || !usable(anchor2()) || !canBeSolved()) {
        cpPivotJointSetAnchorA(m_constraint, oldA);
        cpPivotJointSetAnchorB(m_constraint, oldB);
        return;
    }
    adjust();
}

// ---------------------------------------------------------------------------
// MotorJointItem

MotorJointItem::MotorJointItem(cpSpace* space, cpConstraint* constraint)
    : AbstractLineJointItem(space, constraint)
{
}

MotorJointItem::~MotorJointItem() = default;

cpConstraint* MotorJointItem::defaultConstraint()
{
    return cpSimpleMotorNew(nullptr, nullptr, 0);
}

void MotorJointItem::adjust()
{
    layFromBodies(this);
    AbstractLineJointItem::adjust();
}

void MotorJointItem::setupNodes()
{
    finishSetup(QStringLiteral(":/images/motor.png"));
}

void MotorJointItem::addToSpace()
{
    cpBody* a = nullptr;
    cpBody* b = nullptr;
    if (!bodiesAtEnds(&a, &b))
        return;
    cpSimpleMotorInit(as<cpSimpleMotor>(m_constraint), a, b, 2.0);
    AbstractLineJointItem::addToSpace();
}

int MotorJointItem::type() const
{
    return MotorJointItemType;
}

float MotorJointItem::rate() const
{
    return float(cpSimpleMotorGetRate(m_constraint));
}

void MotorJointItem::setRate(float value)
{
    if (isSaneMagnitude(value))
        cpSimpleMotorSetRate(m_constraint, value);
}

// ---------------------------------------------------------------------------
// SlideJointItem

SlideJointItem::SlideJointItem(cpSpace* space, cpConstraint* constraint)
    : AbstractLineJointItem(space, constraint)
{
}

SlideJointItem::~SlideJointItem() = default;

cpConstraint* SlideJointItem::defaultConstraint()
{
    return cpSlideJointNew(nullptr, nullptr, cpvzero, cpvzero, 0, 0);
}

void SlideJointItem::adjust()
{
    layFromAnchors(this, cpSlideJointGetAnchorA(m_constraint), cpSlideJointGetAnchorB(m_constraint));
    AbstractLineJointItem::adjust();
}

void SlideJointItem::setupNodes()
{
    finishSetup(QStringLiteral(":/images/sliding.png"));
}

void SlideJointItem::addToSpace()
{
    cpBody* a = nullptr;
    cpBody* b = nullptr;
    if (!bodiesAtEnds(&a, &b))
        return;
    cpVect anchorA, anchorB;
    const QLineF l = line();
    anchorsOnBodies(l, a, b, &anchorA, &anchorB);
    cpSlideJointInit(as<cpSlideJoint>(m_constraint), a, b, anchorA, anchorB, 0, l.length());
    AbstractLineJointItem::addToSpace();
}

int SlideJointItem::type() const
{
    return SlideJointItemType;
}

float SlideJointItem::minLength() const
{
    return float(cpSlideJointGetMin(m_constraint));
}

void SlideJointItem::setMinLength(float value)
{
    if (isSaneLength(value))
        cpSlideJointSetMin(m_constraint, value);
}

float SlideJointItem::maxLength() const
{
    return float(cpSlideJointGetMax(m_constraint));
}

void SlideJointItem::setMaxLength(float value)
{
    if (isSaneLength(value))
        cpSlideJointSetMax(m_constraint, value);
}

QPointF SlideJointItem::anchor1() const
{
    return toPoint(cpSlideJointGetAnchorA(m_constraint));
}

void SlideJointItem::setAnchor1(QPointF value)
{
    if (!usable(value))
        return;
    cpSlideJointSetAnchorA(m_constraint, toVect(value));
    adjust();
}

QPointF SlideJointItem::anchor2() const
{
    return toPoint(cpSlideJointGetAnchorB(m_constraint));
}

void SlideJointItem::setAnchor2(QPointF value)
{
    if (!usable(value))
        return;
    cpSlideJointSetAnchorB(m_constraint, toVect(value));
    adjust();
}

// ---------------------------------------------------------------------------
// GearJointItem

GearJointItem::GearJointItem(cpSpace* space, cpConstraint* constraint)
    : AbstractLineJointItem(space, constraint)
{
}

GearJointItem::~GearJointItem() = default;

cpConstraint* GearJointItem::defaultConstraint()
{
    return cpGearJointNew(nullptr, nullptr, 0, 0);
}

void GearJointItem::adjust()
{
    layFromBodies(this);
    AbstractLineJointItem::adjust();
}

void GearJointItem::setupNodes()
{
    finishSetup(QStringLiteral(":/images/gear.png"));
}

void GearJointItem::addToSpace()
{
    cpBody* a = nullptr;
    cpBody* b = nullptr;
    if (!bodiesAtEnds(&a, &b))
        return;
    cpGearJointInit(as<cpGearJoint>(m_constraint), a, b, cpBodyGetAngle(a) - cpBodyGetAngle(b), -1.0);
    AbstractLineJointItem::addToSpace();
}

int GearJointItem::type() const
{
    return GearJointItemType;
}

float GearJointItem::ratio() const
{
    return float(cpGearJointGetRatio(m_constraint));
}

void GearJointItem::setRatio(float value)
{
    // The engine keeps 1 / ratio: 0 would give the solver an infinity.
    if (isSaneRatio(value))
        cpGearJointSetRatio(m_constraint, value);
}

float GearJointItem::phase() const
{
    return float(cpGearJointGetPhase(m_constraint));
}

void GearJointItem::setPhase(float value)
{
    if (isSaneMagnitude(value))
        cpGearJointSetPhase(m_constraint, value);
}

// ---------------------------------------------------------------------------
// RotarySpringJointItem

RotarySpringJointItem::RotarySpringJointItem(cpSpace* space, cpConstraint* constraint)
    : AbstractLineJointItem(space, constraint)
{
}

RotarySpringJointItem::~RotarySpringJointItem() = default;

cpConstraint* RotarySpringJointItem::defaultConstraint()
{
    return cpDampedRotarySpringNew(nullptr, nullptr, 0, 100000, 0.97);
}

void RotarySpringJointItem::adjust()
{
    layFromBodies(this);
    AbstractLineJointItem::adjust();
}

void RotarySpringJointItem::setupNodes()
{
    finishSetup(QStringLiteral(":/images/rotaryspring.png"));
}

void RotarySpringJointItem::addToSpace()
{
    cpBody* a = nullptr;
    cpBody* b = nullptr;
    if (!bodiesAtEnds(&a, &b))
        return;
    cpDampedRotarySpringInit(as<cpDampedRotarySpring>(m_constraint), a, b,
                             cpDampedRotarySpringGetRestAngle(m_constraint),
                             cpDampedRotarySpringGetStiffness(m_constraint),
                             cpDampedRotarySpringGetDamping(m_constraint));
    AbstractLineJointItem::addToSpace();
}

int RotarySpringJointItem::type() const
{
    return RotarySpringJointItemType;
}

float RotarySpringJointItem::restAngle() const
{
    return float(cpDampedRotarySpringGetRestAngle(m_constraint));
}

void RotarySpringJointItem::setRestAngle(float value)
{
    if (isSaneMagnitude(value))
        cpDampedRotarySpringSetRestAngle(m_constraint, value);
}

float RotarySpringJointItem::stiffness() const
{
    return float(cpDampedRotarySpringGetStiffness(m_constraint));
}

void RotarySpringJointItem::setStiffness(float value)
{
    // Negative only pushes the bodies apart until the step aborts.
    if (isSaneLength(value))
        cpDampedRotarySpringSetStiffness(m_constraint, value);
}

float RotarySpringJointItem::damping() const
{
    return float(cpDampedRotarySpringGetDamping(m_constraint));
}

void RotarySpringJointItem::setDamping(float value)
{
    // Negative only pushes the bodies apart until the step aborts.
    if (isSaneLength(value))
        cpDampedRotarySpringSetDamping(m_constraint, value);
}

// ---------------------------------------------------------------------------
// RotaryLimitJointItem

RotaryLimitJointItem::RotaryLimitJointItem(cpSpace* space, cpConstraint* constraint)
    : AbstractLineJointItem(space, constraint)
{
}

RotaryLimitJointItem::~RotaryLimitJointItem() = default;

cpConstraint* RotaryLimitJointItem::defaultConstraint()
{
    return cpRotaryLimitJointNew(nullptr, nullptr, 0, 0.7853981633975);
}

void RotaryLimitJointItem::adjust()
{
    layFromBodies(this);
    AbstractLineJointItem::adjust();
}

void RotaryLimitJointItem::setupNodes()
{
    finishSetup(QStringLiteral(":/images/rotarylimit.png"));
}

void RotaryLimitJointItem::addToSpace()
{
    cpBody* a = nullptr;
    cpBody* b = nullptr;
    if (!bodiesAtEnds(&a, &b))
        return;
    // The kept limits pass through their degree getters.
    cpRotaryLimitJointInit(as<cpRotaryLimitJoint>(m_constraint), a, b, minAngle() * radiansPerDegree,
                           maxAngle() * radiansPerDegree);
    AbstractLineJointItem::addToSpace();
}

int RotaryLimitJointItem::type() const
{
    return RotaryLimitJointItemType;
}

float RotaryLimitJointItem::minAngle() const
{
    return float(cpRotaryLimitJointGetMin(m_constraint) * degreesPerRadian);
}

void RotaryLimitJointItem::setMinAngle(float degrees)
{
    if (isSaneMagnitude(degrees * radiansPerDegree))
        cpRotaryLimitJointSetMin(m_constraint, degrees * radiansPerDegree);
}

float RotaryLimitJointItem::maxAngle() const
{
    return float(cpRotaryLimitJointGetMax(m_constraint) * degreesPerRadian);
}

void RotaryLimitJointItem::setMaxAngle(float degrees)
{
    if (isSaneMagnitude(degrees * radiansPerDegree))
        cpRotaryLimitJointSetMax(m_constraint, degrees * radiansPerDegree);
}
