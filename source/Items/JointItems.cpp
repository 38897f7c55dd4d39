#include "Items/JointItems.h"

#include <QLineF>

#include "Items/GrooveJointItem.h"
#include "Items/item.h"
#include "cpCompat.h"

namespace {

using Layout = JointItemKind::Layout;

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

template <typename Item>
AbstractLineJointItem* makeItem(cpSpace* space, cpConstraint* constraint)
{
    return new Item(space, constraint);
}

// Rest length := the line's length; stiffness and damping stay.
void bindSpring(cpConstraint* c, cpBody* a, cpBody* b, const QLineF& l)
{
    cpVect anchorA, anchorB;
    anchorsOnBodies(l, a, b, &anchorA, &anchorB);
    cpDampedSpringInit(as<cpDampedSpring>(c), a, b, anchorA, anchorB, l.length(), cpDampedSpringGetStiffness(c),
                       cpDampedSpringGetDamping(c));
}

// The engine measures the distance between the two anchor points.
void bindPin(cpConstraint* c, cpBody* a, cpBody* b, const QLineF& l)
{
    cpVect anchorA, anchorB;
    anchorsOnBodies(l, a, b, &anchorA, &anchorB);
    cpPinJointInit(as<cpPinJoint>(c), a, b, anchorA, anchorB);
}

void bindPivot(cpConstraint* c, cpBody* a, cpBody* b, const QLineF& l)
{
    cpVect anchorA, anchorB;
    anchorsOnBodies(l, a, b, &anchorA, &anchorB);
    cpPivotJointInit(as<cpPivotJoint>(c), a, b, anchorA, anchorB);
}

// The rate returns to 2.
void bindMotor(cpConstraint* c, cpBody* a, cpBody* b, const QLineF&)
{
    cpSimpleMotorInit(as<cpSimpleMotor>(c), a, b, 2.0);
}

// Minimum 0, maximum the line's length.
void bindSlide(cpConstraint* c, cpBody* a, cpBody* b, const QLineF& l)
{
    cpVect anchorA, anchorB;
    anchorsOnBodies(l, a, b, &anchorA, &anchorB);
    cpSlideJointInit(as<cpSlideJoint>(c), a, b, anchorA, anchorB, 0, l.length());
}

// Ratio -1, phase the bodies' present angle difference.
void bindGear(cpConstraint* c, cpBody* a, cpBody* b, const QLineF&)
{
    cpGearJointInit(as<cpGearJoint>(c), a, b, cpBodyGetAngle(a) - cpBodyGetAngle(b), -1.0);
}

// All three values stay.
void bindRotarySpring(cpConstraint* c, cpBody* a, cpBody* b, const QLineF&)
{
    cpDampedRotarySpringInit(as<cpDampedRotarySpring>(c), a, b, cpDampedRotarySpringGetRestAngle(c),
                             cpDampedRotarySpringGetStiffness(c), cpDampedRotarySpringGetDamping(c));
}

// Both limits stay, passed through the panel's float degrees as they are shown.
double keptLimit(cpFloat radians)
{
    return float(radians * degreesPerRadian) * radiansPerDegree;
}

void bindRotaryLimit(cpConstraint* c, cpBody* a, cpBody* b, const QLineF&)
{
    cpRotaryLimitJointInit(as<cpRotaryLimitJoint>(c), a, b, keptLimit(cpRotaryLimitJointGetMin(c)),
                           keptLimit(cpRotaryLimitJointGetMax(c)));
}

} // namespace

// Type id, icon, layout, kind test, item, new constraint, binding.
const JointItemKind springJointKind = { SpringJointItemType, ":/images/spring.png", Layout::Anchors,
                                        cpConstraintIsDampedSpring, makeItem<SpringJointItem>,
                                        SpringJointItem::defaultConstraint, bindSpring };
const JointItemKind pinJointKind = { PinJointItemType, ":/images/pin.png", Layout::Anchors,
                                     cpConstraintIsPinJoint, makeItem<PinJointItem>,
                                     PinJointItem::defaultConstraint, bindPin };
const JointItemKind pivotJointKind = { PivotJointItemType, ":/images/pivot.png", Layout::Anchors,
                                       cpConstraintIsPivotJoint, makeItem<PivotJointItem>,
                                       PivotJointItem::defaultConstraint, bindPivot };
const JointItemKind motorJointKind = { MotorJointItemType, ":/images/motor.png", Layout::Bodies,
                                       cpConstraintIsSimpleMotor, makeItem<MotorJointItem>,
                                       MotorJointItem::defaultConstraint, bindMotor };
const JointItemKind slideJointKind = { SlideJointItemType, ":/images/sliding.png", Layout::Anchors,
                                       cpConstraintIsSlideJoint, makeItem<SlideJointItem>,
                                       SlideJointItem::defaultConstraint, bindSlide };
const JointItemKind gearJointKind = { GearJointItemType, ":/images/gear.png", Layout::Bodies,
                                      cpConstraintIsGearJoint, makeItem<GearJointItem>,
                                      GearJointItem::defaultConstraint, bindGear };
const JointItemKind rotarySpringJointKind = { RotarySpringJointItemType, ":/images/rotaryspring.png", Layout::Bodies,
                                              cpConstraintIsDampedRotarySpring, makeItem<RotarySpringJointItem>,
                                              RotarySpringJointItem::defaultConstraint, bindRotarySpring };
const JointItemKind rotaryLimitJointKind = { RotaryLimitJointItemType, ":/images/rotarylimit.png", Layout::Bodies,
                                             cpConstraintIsRotaryLimitJoint, makeItem<RotaryLimitJointItem>,
                                             RotaryLimitJointItem::defaultConstraint, bindRotaryLimit };

AbstractLineJointItem* newJointItem(cpSpace* space, cpConstraint* constraint)
{
    static const JointItemKind* const kinds[] = { &pinJointKind, &slideJointKind, &pivotJointKind,
                                                  &grooveJointKind, &motorJointKind, &gearJointKind,
                                                  &springJointKind, &rotarySpringJointKind,
                                                  &rotaryLimitJointKind };
    if (!constraint)
        return nullptr;
    for (const JointItemKind* kind : kinds) {
        if (kind->is(constraint))
            return kind->make(space, constraint);
    }
    return nullptr;
}

SpringJointItem::SpringJointItem(cpSpace* space, cpConstraint* constraint)
    : AbstractLineJointItem(space, constraint, &springJointKind)
{
}

cpConstraint* SpringJointItem::defaultConstraint()
{
    return cpDampedSpringNew(nullptr, nullptr, cpvzero, cpvzero, 0, 400, 0.97);
}

PinJointItem::PinJointItem(cpSpace* space, cpConstraint* constraint)
    : AbstractLineJointItem(space, constraint, &pinJointKind)
{
}

cpConstraint* PinJointItem::defaultConstraint()
{
    // Made apart and then closed, so that Chipmunk does not warn about a pin
    // of length 0 for every new joint; the result is the same.
    cpConstraint* c = cpPinJointNew(nullptr, nullptr, cpvzero, cpv(1, 0));
    cpPinJointSetAnchorB(c, cpvzero);
    cpPinJointSetDist(c, 0);
    return c;
}

PivotJointItem::PivotJointItem(cpSpace* space, cpConstraint* constraint)
    : AbstractLineJointItem(space, constraint, &pivotJointKind)
{
}

cpConstraint* PivotJointItem::defaultConstraint()
{
    return cpPivotJointNew(nullptr, nullptr, cpvzero);
}

QPointF PivotJointItem::worldPoint() const
{
    cpBody* a = cpConstraintGetBodyA(m_constraint);
    if (!a)
        return QPointF(0, 0);
    const cpVect p = cpBodyLocalToWorld(a, cpPivotJointGetAnchorA(m_constraint));
    return QPointF(p.x, p.y);
}

void PivotJointItem::setWorldPoint(QPointF value)
{
    const cpVect p = cpv(value.x(), value.y());
    if (!isSanePoint(p))
        return;
    const cpVect oldA = cpPivotJointGetAnchorA(m_constraint);
    const cpVect oldB = cpPivotJointGetAnchorB(m_constraint);
    if (cpBody* a = cpConstraintGetBodyA(m_constraint))
        cpPivotJointSetAnchorA(m_constraint, cpBodyWorldToLocal(a, p));
    if (cpBody* b = cpConstraintGetBodyB(m_constraint))
        cpPivotJointSetAnchorB(m_constraint, cpBodyWorldToLocal(b, p));
    if (!isSanePoint(cpPivotJointGetAnchorA(m_constraint)) || !isSanePoint(cpPivotJointGetAnchorB(m_constraint))
        || !canBeSolved()) {
        cpPivotJointSetAnchorA(m_constraint, oldA);
        cpPivotJointSetAnchorB(m_constraint, oldB);
        return;
    }
    adjust();
}

MotorJointItem::MotorJointItem(cpSpace* space, cpConstraint* constraint)
    : AbstractLineJointItem(space, constraint, &motorJointKind)
{
}

cpConstraint* MotorJointItem::defaultConstraint()
{
    return cpSimpleMotorNew(nullptr, nullptr, 0);
}

SlideJointItem::SlideJointItem(cpSpace* space, cpConstraint* constraint)
    : AbstractLineJointItem(space, constraint, &slideJointKind)
{
}

cpConstraint* SlideJointItem::defaultConstraint()
{
    return cpSlideJointNew(nullptr, nullptr, cpvzero, cpvzero, 0, 0);
}

GearJointItem::GearJointItem(cpSpace* space, cpConstraint* constraint)
    : AbstractLineJointItem(space, constraint, &gearJointKind)
{
}

cpConstraint* GearJointItem::defaultConstraint()
{
    return cpGearJointNew(nullptr, nullptr, 0, 0);
}

RotarySpringJointItem::RotarySpringJointItem(cpSpace* space, cpConstraint* constraint)
    : AbstractLineJointItem(space, constraint, &rotarySpringJointKind)
{
}

cpConstraint* RotarySpringJointItem::defaultConstraint()
{
    return cpDampedRotarySpringNew(nullptr, nullptr, 0, 100000, 0.97);
}

RotaryLimitJointItem::RotaryLimitJointItem(cpSpace* space, cpConstraint* constraint)
    : AbstractLineJointItem(space, constraint, &rotaryLimitJointKind)
{
}

cpConstraint* RotaryLimitJointItem::defaultConstraint()
{
    return cpRotaryLimitJointNew(nullptr, nullptr, 0, 0.7853981633975);
}

float RotaryLimitJointItem::degrees(const char* name) const
{
    return float(parameterValue(name) * degreesPerRadian);
}

void RotaryLimitJointItem::setDegrees(const char* name, float degrees)
{
    setParameterValue(name, degrees * radiansPerDegree);
}
