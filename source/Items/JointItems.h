#ifndef JOINTITEMS_H
#define JOINTITEMS_H

#include <QPointF>

#include "Items/ConstraintItem.h"

// The eight joint kinds drawn as one line. Each holds no values of its own:
// they live in the constraint. Setters refuse values that are not finite, and
// points a million units or more out; the anchor setters re-lay the line from
// the bodies when the joint has both.

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
    ~SpringJointItem() override;

    // No bodies, anchors at the origin, rest length 0, stiffness 400, damping 0.97.
    static cpConstraint* defaultConstraint();

    void adjust() override;
    void setupNodes() override;
    // Rest length := the line's length; stiffness and damping stay.
    void addToSpace() override;
    int type() const override;

    float restLength() const;
    void setRestLength(float value);
    float stiffness() const;
    void setStiffness(float value);
    float damping() const;
    void setDamping(float value);
    QPointF anchor1() const;
    void setAnchor1(QPointF value);
    QPointF anchor2() const;
    void setAnchor2(QPointF value);
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
    ~PinJointItem() override;

    // No bodies, anchors at the origin.
    static cpConstraint* defaultConstraint();

    void adjust() override;
    void setupNodes() override;
    // The length becomes the line's length.
    void addToSpace() override;
    int type() const override;

    float length() const;
    void setLength(float value);
    QPointF anchor1() const;
    void setAnchor1(QPointF value);
    QPointF anchor2() const;
    void setAnchor2(QPointF value);
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
    ~PivotJointItem() override;

    // No bodies, pivot at the origin.
    static cpConstraint* defaultConstraint();

    void adjust() override;
    void setupNodes() override;
    void addToSpace() override;
    int type() const override;

    QPointF anchor1() const;
    void setAnchor1(QPointF value);
    QPointF anchor2() const;
    void setAnchor2(QPointF value);
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
    ~MotorJointItem() override;

    // No bodies, rate 0.
    static cpConstraint* defaultConstraint();

    void adjust() override;
    void setupNodes() override;
    // The rate returns to 2.
    void addToSpace() override;
    int type() const override;

    float rate() const;
    void setRate(float value);
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
    ~SlideJointItem() override;

    // No bodies, anchors at the origin, minimum and maximum 0.
    static cpConstraint* defaultConstraint();

    void adjust() override;
    void setupNodes() override;
    // Minimum 0, maximum the line's length.
    void addToSpace() override;
    int type() const override;

    float minLength() const;
    void setMinLength(float value);
    float maxLength() const;
    void setMaxLength(float value);
    QPointF anchor1() const;
    void setAnchor1(QPointF value);
    QPointF anchor2() const;
    void setAnchor2(QPointF value);
};

// Keeps the bodies' angles in a ratio.
class GearJointItem : public AbstractLineJointItem
{
    Q_OBJECT
    Q_PROPERTY(float ratio READ ratio WRITE setRatio DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(float phase READ phase WRITE setPhase DESIGNABLE true SCRIPTABLE true STORED true USER true)

public:
    GearJointItem(cpSpace* space, cpConstraint* constraint);
    ~GearJointItem() override;

    // No bodies, phase 0, ratio 0.
    static cpConstraint* defaultConstraint();

    void adjust() override;
    void setupNodes() override;
    // Ratio -1, phase the bodies' present angle difference.
    void addToSpace() override;
    int type() const override;

    float ratio() const;
    // A ratio of 0 is refused: the engine divides by it.
    void setRatio(float value);
    float phase() const;
    void setPhase(float value);
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
    ~RotarySpringJointItem() override;

    // No bodies, rest angle 0, stiffness 100000, damping 0.97.
    static cpConstraint* defaultConstraint();

    void adjust() override;
    void setupNodes() override;
    // All three values stay.
    void addToSpace() override;
    int type() const override;

    float restAngle() const;
    void setRestAngle(float value);
    float stiffness() const;
    void setStiffness(float value);
    float damping() const;
    void setDamping(float value);
};

// Keeps the bodies' angle difference between two limits, shown in degrees.
class RotaryLimitJointItem : public AbstractLineJointItem
{
    Q_OBJECT
    Q_PROPERTY(float minAngle READ minAngle WRITE setMinAngle DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(float maxAngle READ maxAngle WRITE setMaxAngle DESIGNABLE true SCRIPTABLE true STORED true USER true)

public:
    RotaryLimitJointItem(cpSpace* space, cpConstraint* constraint);
    ~RotaryLimitJointItem() override;

    // No bodies, minimum 0, maximum 0.7853981633975 radians.
    static cpConstraint* defaultConstraint();

    void adjust() override;
    void setupNodes() override;
    // Both limits stay.
    void addToSpace() override;
    int type() const override;

    float minAngle() const;
    void setMinAngle(float degrees);
    float maxAngle() const;
    void setMaxAngle(float degrees);
};

#endif // JOINTITEMS_H
