#ifndef CCACTION_H
#define CCACTION_H

// Roots of the timed actions that animate a sprite while it is previewed.
// Actions are plain polymorphic objects with exactly one owner: the scheduler
// for an action added to it, or the wrapping action for an inner one.
// Construction is two-phase: a constructor leaving every field zero, an
// initialiser returning success and a static factory returning a new object
// (owned by the caller) or null when the initialiser failed.
//
// All time arithmetic is single precision on purpose: the preview must show
// the same frames as the game engine that plays these actions.

#include "CCActionTarget.h"

class CCAction
{
public:
    CCAction() = default;
    virtual ~CCAction();
    CCAction(const CCAction&) = delete;
    CCAction& operator=(const CCAction&) = delete;

    // A plain action that does nothing and is done at once.
    static CCAction* action();

    virtual bool isDone() const;
    // Remembers the sprite; subclasses capture their start values here.
    virtual void startWithTarget(CCActionTarget* item);
    virtual void stop();
    // Advances by dt seconds.
    virtual void step(float dt);
    // Applies the state at normalised time t (0 at the start, 1 at the end;
    // easing may hand values outside that range).
    virtual void update(float t);

    CCActionTarget* getTarget() const { return target; }

protected:
    CCActionTarget* target = nullptr; // not owned
};

class CCFiniteTimeAction : public CCAction
{
public:
    float getDuration() const { return duration; }
    // A new action (owned by the caller) that plays this one backwards, or
    // null where there is none.
    virtual CCFiniteTimeAction* reverse() const;

protected:
    float duration = 0;
};

// An action that runs over its duration.
class CCActionInterval : public CCFiniteTimeAction
{
public:
    // An action that only takes time.
    static CCActionInterval* actionWithDuration(float d);
    // A duration of exactly 0 is kept as 0.000001 so that no step divides by zero.
    bool initWithDuration(float d);

    float getElapsed() const { return elapsed; }
    bool isDone() const override;
    void startWithTarget(CCActionTarget* item) override;
    // The first step after a start applies update(0) and discards its dt.
    void step(float dt) override;

    void setAmplitudeRate(double) {}
    double getAmplitudeRate() const { return 0; }

protected:
    float elapsed = 0;
    bool firstTick = false;
};

// An action that completes in one step; subclasses act in startWithTarget.
class CCActionInstant : public CCFiniteTimeAction
{
public:
    bool isDone() const override;
    void step(float dt) override;
    void update(float t) override;
};

// The tail of every static factory: the new action when its initialiser
// succeeded, otherwise null (the action, and what it already holds, deleted).
template <class T>
T* ccKeepIfInitialised(T* action, bool initialised)
{
    if (initialised)
        return action;
    delete action;
    return nullptr;
}

// The reverse of an interval action as an interval action, or null (the
// reverse, if any, of another kind is deleted).
CCActionInterval* reverseAsInterval(const CCActionInterval* action);

#endif // CCACTION_H
