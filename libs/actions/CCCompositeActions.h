#ifndef CCCOMPOSITEACTIONS_H
#define CCCOMPOSITEACTIONS_H

// Actions over other actions. Each composite owns its parts: a factory takes
// over the actions handed to it, also when it fails (it then deletes them and
// returns null), so a part is never shared or leaked.

#include "CCAction.h"

#include <QList>

// Plays two actions one after the other.
class CCSequence : public CCActionInterval
{
public:
    ~CCSequence() override;
    static CCSequence* actionOneTwo(CCFiniteTimeAction* one, CCFiniteTimeAction* two);
    // Left fold: a, b, c gives Sequence(Sequence(a, b), c). Takes over every
    // action of the list; elements after the first that are no finite-time
    // action are skipped (and deleted); a first such element, or an empty
    // list, gives null.
    static CCFiniteTimeAction* actionsWithArray(QList<CCAction*>& list);
    // The same fold over a null-terminated argument list.
    static CCFiniteTimeAction* actions(CCFiniteTimeAction* first, ...);
    bool initOneTwo(CCFiniteTimeAction* one, CCFiniteTimeAction* two);

    void startWithTarget(CCActionTarget* item) override;
    void stop() override;
    void update(float t) override;
    CCFiniteTimeAction* reverse() const override;

protected:
    CCFiniteTimeAction* m_actions[2] = { nullptr, nullptr }; // owned
    float split = 0;
    int last = 0;
};

// Plays two actions side by side; the shorter is lengthened by a delay.
class CCSpawn : public CCActionInterval
{
public:
    ~CCSpawn() override;
    static CCSpawn* actionOneTwo(CCFiniteTimeAction* one, CCFiniteTimeAction* two);
    static CCFiniteTimeAction* actionsWithArray(QList<CCAction*>& list);
    static CCFiniteTimeAction* actions(CCFiniteTimeAction* first, ...);
    bool initOneTwo(CCFiniteTimeAction* one, CCFiniteTimeAction* two);

    void startWithTarget(CCActionTarget* item) override;
    void stop() override;
    void update(float t) override;
    CCFiniteTimeAction* reverse() const override;

protected:
    CCFiniteTimeAction* one = nullptr; // owned
    CCFiniteTimeAction* two = nullptr; // owned
};

class CCRepeat : public CCActionInterval
{
public:
    ~CCRepeat() override;
    static CCRepeat* actionWithAction(CCFiniteTimeAction* action, unsigned times);
    bool initWithAction(CCFiniteTimeAction* action, unsigned times);

    bool isDone() const override;
    void startWithTarget(CCActionTarget* item) override;
    void stop() override;
    void update(float t) override;
    CCFiniteTimeAction* reverse() const override;

protected:
    unsigned times = 0;
    unsigned total = 0; // repeats completed
    CCFiniteTimeAction* other = nullptr; // owned
};

// Never done: only the scheduler's owner ends it.
class CCRepeatForever : public CCActionInterval
{
public:
    ~CCRepeatForever() override;
    static CCRepeatForever* actionWithAction(CCActionInterval* action);
    bool initWithAction(CCActionInterval* action);

    bool isDone() const override;
    void startWithTarget(CCActionTarget* item) override;
    void step(float dt) override;
    CCFiniteTimeAction* reverse() const override;

protected:
    CCActionInterval* other = nullptr; // owned
};

class CCReverseTime : public CCActionInterval
{
public:
    ~CCReverseTime() override;
    static CCReverseTime* actionWithAction(CCFiniteTimeAction* action);
    bool initWithAction(CCFiniteTimeAction* action);

    void startWithTarget(CCActionTarget* item) override;
    void stop() override;
    void update(float t) override;
    CCFiniteTimeAction* reverse() const override;

protected:
    CCFiniteTimeAction* other = nullptr; // owned
};

// Steps its inner action faster or slower.
class CCSpeed : public CCAction
{
public:
    ~CCSpeed() override;
    static CCSpeed* actionWithAction(CCActionInterval* action, float speed);
    bool initWithAction(CCActionInterval* action, float speed);

    bool isDone() const override;
    void startWithTarget(CCActionTarget* item) override;
    void stop() override;
    void step(float dt) override;
    virtual CCSpeed* reverse() const;

    float getSpeed() const { return speed; }
    void setSpeed(float s) { speed = s; }
    // Replaces the inner action; the previous one is not deleted (the caller
    // takes it back).
    void setInnerAction(CCActionInterval* action);

protected:
    float speed = 0;
    CCActionInterval* other = nullptr; // owned
};

#endif // CCCOMPOSITEACTIONS_H
