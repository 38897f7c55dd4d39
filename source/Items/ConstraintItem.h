#ifndef CONSTRAINTITEM_H
#define CONSTRAINTITEM_H

#include <QObject>

#include <chipmunk/chipmunk.h>

// The QObject side of a joint item: it owns one constraint of the level's space,
// moves it into and out of the space, and publishes the constraint values every
// joint kind shares. While the constraint is in the space its user data is this
// item as QObject*.
class ConstraintItem : public QObject
{
    Q_OBJECT
    Q_PROPERTY(float maxForce READ maxForce WRITE setMaxForce DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(float errorBias READ errorBias WRITE setErrorBias DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(float maxBias READ maxBias WRITE setMaxBias DESIGNABLE true SCRIPTABLE true STORED true USER true)

public:
    // Takes ownership of the constraint; the space is not owned and must outlive the item.
    ConstraintItem(cpSpace* space, cpConstraint* constraint);
    // Takes the constraint out of the space and frees it.
    ~ConstraintItem() override;

    // Engine to item; called for each constraint of the space after every step.
    virtual void adjust() = 0;
    // Into the space (user data := this) unless it is there already. A constraint
    // without two bodies, or whose body was freed since it was last bound, stays out.
    virtual void addToSpace();
    // Out of the space (user data := null) when it is there.
    virtual void removeFromSpace();

    cpSpace* space() const { return m_space; }
    cpConstraint* constraint() const { return m_constraint; }

    // Both bodies are set and none of them was freed since the constraint was
    // last added: only then may the bodies be read.
    bool hasBodies() const;

    float maxForce() const;
    // Negative stores infinity; NaN is refused.
    void setMaxForce(float value);
    float errorBias() const;
    // Negative or non-finite is refused (the engine cannot step with it).
    void setErrorBias(float value);
    float maxBias() const;
    // Negative stores infinity; NaN is refused.
    void setMaxBias(float value);

    // Called just before a body is freed: every live item of the space whose
    // constraint names the body is told through bodyFreed().
    static void forgetBody(cpSpace* space, cpBody* body);

protected:
    // The body is about to be freed while the constraint still names it. The
    // constraint leaves the space, and hasBodies() answers false and
    // addToSpace() refuses until bodiesRebound() is called.
    virtual void bodyFreed(cpBody* body);
    // A joint kind calls this after it re-initialised the constraint with live
    // (or null) bodies.
    void bodiesRebound() { m_bodyFreed = false; }

    cpSpace* m_space;
    cpConstraint* m_constraint;
    bool m_bodyFreed = false;
};

#endif // CONSTRAINTITEM_H
