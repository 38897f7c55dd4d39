#ifndef JOINTITEMS_H
#define JOINTITEMS_H

#include <QPointF>

#include "Items/ConstraintItem.h"

// The eight joint kinds drawn as one line. Each holds no values of its own:
// they live in the constraint, and the accessors forward to the kind's
// descriptor, whose bounds come from the physics rule book. Setters refuse
// values that are not finite, and points a million units or more out; the
// anchor setters re-lay the line from the bodies when the joint has both. How
// each kind lays its line, binds and shows is its JointItemKind below.

// Damped spring between two anchors.
class SpringJointItem : public AbstractLineJointItem
{
    Q_OBJECT
    Q_PROPERTY(float restLength READ restLength WRITE setRestLength DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(float stiffness READ stiffness WRITE setStiffness DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(float damping READ damping WRITE setDamping DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(QPointF anchor1 READ anchor1 WRITE setAnchor1 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(QPointF anchor2 READ anchor2 WRITE setAnchor2 DESIGNABLE true SCRIPTABLE true STORED true USER true)

public:
    SpringJointItem(cpSpace* space, cpConstraint* constraint);

    // No bodies, anchors at the origin, rest length 0, stiffness 400, damping 0.97.
    static cpConstraint* defaultConstraint();

    float restLength() const { return float(parameterValue("restLength")); }
    void setRestLength(float value) { setParameterValue("restLength", value); }
    float stiffness() const { return float(parameterValue("stiffness")); }
    void setStiffness(float value) { setParameterValue("stiffness", value); }
    float damping() const { return float(parameterValue("damping")); }
    void setDamping(float value) { setParameterValue("damping", value); }
    QPointF anchor1() const { return parameterPoint("anchr1"); }
    void setAnchor1(QPointF value) { setAnchor("anchr1", value); }
    QPointF anchor2() const { return parameterPoint("anchr2"); }
    void setAnchor2(QPointF value) { setAnchor("anchr2", value); }
};

// Keeps the two anchors at a fixed distance.
class PinJointItem : public AbstractLineJointItem
{
    Q_OBJECT
    Q_PROPERTY(float length READ length WRITE setLength DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(QPointF anchor1 READ anchor1 WRITE setAnchor1 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(QPointF anchor2 READ anchor2 WRITE setAnchor2 DESIGNABLE true SCRIPTABLE true STORED true USER true)

public:
    PinJointItem(cpSpace* space, cpConstraint* constraint);

    // No bodies, anchors at the origin.
    static cpConstraint* defaultConstraint();

    float length() const { return float(parameterValue("dist")); }
    void setLength(float value) { setParameterValue("dist", value); }
    QPointF anchor1() const { return parameterPoint("anchr1"); }
    void setAnchor1(QPointF value) { setAnchor("anchr1", value); }
    QPointF anchor2() const { return parameterPoint("anchr2"); }
    void setAnchor2(QPointF value) { setAnchor("anchr2", value); }
};

// Pins the two anchors onto one point.
class PivotJointItem : public AbstractLineJointItem
{
    Q_OBJECT
    Q_PROPERTY(QPointF anchor1 READ anchor1 WRITE setAnchor1 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(QPointF anchor2 READ anchor2 WRITE setAnchor2 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(QPointF worldPoint READ worldPoint WRITE setWorldPoint DESIGNABLE true SCRIPTABLE true STORED true USER true)

public:
    PivotJointItem(cpSpace* space, cpConstraint* constraint);

    // No bodies, pivot at the origin.
    static cpConstraint* defaultConstraint();

    // An anchor that would leave the pivot unsolvable is taken back.
    QPointF anchor1() const { return parameterPoint("anchr1"); }
    void setAnchor1(QPointF value) { setAnchor("anchr1", value, true); }
    QPointF anchor2() const { return parameterPoint("anchr2"); }
    void setAnchor2(QPointF value) { setAnchor("anchr2", value, true); }
    // Anchor 1 in scene coordinates; (0, 0) without body a.
    QPointF worldPoint() const;
    // Both anchors (of the bodies the joint has) onto the scene point.
    void setWorldPoint(QPointF value);
};

// Turns body b against body a at a fixed rate.
class MotorJointItem : public AbstractLineJointItem
{
    Q_OBJECT
    Q_PROPERTY(float rate READ rate WRITE setRate DESIGNABLE true SCRIPTABLE true STORED true USER true)

public:
    MotorJointItem(cpSpace* space, cpConstraint* constraint);

    // No bodies, rate 0.
    static cpConstraint* defaultConstraint();

    float rate() const { return float(parameterValue("rate")); }
    void setRate(float value) { setParameterValue("rate", value); }
};

// Keeps the anchors' distance between a minimum and a maximum. Shares its type
// id with the groove joint: tell them apart with dynamic_cast.
class SlideJointItem : public AbstractLineJointItem
{
    Q_OBJECT
    Q_PROPERTY(float minLength READ minLength WRITE setMinLength DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(float maxLength READ maxLength WRITE setMaxLength DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(QPointF anchor1 READ anchor1 WRITE setAnchor1 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(QPointF anchor2 READ anchor2 WRITE setAnchor2 DESIGNABLE true SCRIPTABLE true STORED true USER true)

public:
    SlideJointItem(cpSpace* space, cpConstraint* constraint);

    // No bodies, anchors at the origin, minimum and maximum 0.
    static cpConstraint* defaultConstraint();

    float minLength() const { return float(parameterValue("min")); }
    void setMinLength(float value) { setParameterValue("min", value); }
    float maxLength() const { return float(parameterValue("max")); }
    void setMaxLength(float value) { setParameterValue("max", value); }
    QPointF anchor1() const { return parameterPoint("anchr1"); }
    void setAnchor1(QPointF value) { setAnchor("anchr1", value); }
    QPointF anchor2() const { return parameterPoint("anchr2"); }
    void setAnchor2(QPointF value) { setAnchor("anchr2", value); }
};

// Keeps the bodies' angles in a ratio.
class GearJointItem : public AbstractLineJointItem
{
    Q_OBJECT
    Q_PROPERTY(float ratio READ ratio WRITE setRatio DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(float phase READ phase WRITE setPhase DESIGNABLE true SCRIPTABLE true STORED true USER true)

public:
    GearJointItem(cpSpace* space, cpConstraint* constraint);

    // No bodies, phase 0, ratio 0.
    static cpConstraint* defaultConstraint();

    float ratio() const { return float(parameterValue("ratio")); }
    // A ratio of 0 is refused: the engine keeps 1 / ratio, and the solver would get an infinity.
    void setRatio(float value) { setParameterValue("ratio", value); }
    float phase() const { return float(parameterValue("phase")); }
    void setPhase(float value) { setParameterValue("phase", value); }
};

// Damped spring between the bodies' angles.
class RotarySpringJointItem : public AbstractLineJointItem
{
    Q_OBJECT
    Q_PROPERTY(float restAngle READ restAngle WRITE setRestAngle DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(float stiffness READ stiffness WRITE setStiffness DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(float damping READ damping WRITE setDamping DESIGNABLE true SCRIPTABLE true STORED true USER true)

public:
    RotarySpringJointItem(cpSpace* space, cpConstraint* constraint);

    // No bodies, rest angle 0, stiffness 100000, damping 0.97.
    static cpConstraint* defaultConstraint();

    float restAngle() const { return float(parameterValue("restAngle")); }
    void setRestAngle(float value) { setParameterValue("restAngle", value); }
    float stiffness() const { return float(parameterValue("stiffness")); }
    void setStiffness(float value) { setParameterValue("stiffness", value); }
    float damping() const { return float(parameterValue("damping")); }
    void setDamping(float value) { setParameterValue("damping", value); }
};

// Keeps the bodies' angle difference between two limits, shown in degrees.
class RotaryLimitJointItem : public AbstractLineJointItem
{
    Q_OBJECT
    Q_PROPERTY(float minAngle READ minAngle WRITE setMinAngle DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(float maxAngle READ maxAngle WRITE setMaxAngle DESIGNABLE true SCRIPTABLE true STORED true USER true)

public:
    RotaryLimitJointItem(cpSpace* space, cpConstraint* constraint);

    // No bodies, minimum 0, maximum 0.7853981633975 radians.
    static cpConstraint* defaultConstraint();

    float minAngle() const { return degrees("min"); }
    void setMinAngle(float degrees) { setDegrees("min", degrees); }
    float maxAngle() const { return degrees("max"); }
    void setMaxAngle(float degrees) { setDegrees("max", degrees); }

private:
    float degrees(const char* name) const;
    void setDegrees(const char* name, float degrees);
};

// The descriptors of the kinds above; the groove's is in GrooveJointItem.h.
extern const JointItemKind springJointKind;
extern const JointItemKind pinJointKind;
extern const JointItemKind pivotJointKind;
extern const JointItemKind motorJointKind;
extern const JointItemKind slideJointKind;
extern const JointItemKind gearJointKind;
extern const JointItemKind rotarySpringJointKind;
extern const JointItemKind rotaryLimitJointKind;

// The item for a constraint of one of the editor's kinds, not yet in a scene;
// null for a kind the editor draws no item for. The item takes the constraint.
AbstractLineJointItem* newJointItem(cpSpace* space, cpConstraint* constraint);

#endif // JOINTITEMS_H
