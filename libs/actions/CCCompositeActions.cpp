#include "CCCompositeActions.h"

#include "CCIntervalActions.h"

#include <cstdarg>
#include <math.h>

namespace {

// The left fold of actionsWithArray, over either composite. The list's
// actions are taken over whatever the outcome, and the list is emptied.
template <class Composite>
CCFiniteTimeAction* foldActions(QList<CCAction*>& list)
{
    const QList<CCAction*> parts = list;
    list.clear();
    if (parts.isEmpty())
        return nullptr;
    CCFiniteTimeAction* result = dynamic_cast<CCFiniteTimeAction*>(parts.first());
    if (!result) {
        qDeleteAll(parts);
        return nullptr;
    }
    for (int i = 1; i < parts.size(); ++i) {
        CCFiniteTimeAction* next = dynamic_cast<CCFiniteTimeAction*>(parts.at(i));
        if (!next) {
            // No second part to combine with (an "On Collision" action, say).
            delete parts.at(i);
            continue;
        }
        result = Composite::actionOneTwo(result, next);
        if (!result) {
            qDeleteAll(parts.mid(i + 1));
            return nullptr;
        }
    }
    return result;
}

template <class Composite>
CCFiniteTimeAction* foldArguments(CCFiniteTimeAction* first, va_list args)
{
    QList<CCAction*> list;
    for (CCFiniteTimeAction* a = first; a; a = va_arg(args, CCFiniteTimeAction*))
        list.append(a);
    return foldActions<Composite>(list);
}

} // namespace

// --- Sequence ---------------------------------------------------------------

CCSequence::~CCSequence()
{
    delete m_actions[0];
    delete m_actions[1];
}

CCSequence* CCSequence::actionOneTwo(CCFiniteTimeAction* one, CCFiniteTimeAction* two)
{
    CCSequence* action = new CCSequence;
    return ccKeepIfInitialised(action, action->initOneTwo(one, two));
}

CCFiniteTimeAction* CCSequence::actionsWithArray(QList<CCAction*>& list)
{
    return foldActions<CCSequence>(list);
}

CCFiniteTimeAction* CCSequence::actions(CCFiniteTimeAction* first, ...)
{
    va_list args;
    va_start(args, first);
    CCFiniteTimeAction* result = foldArguments<CCSequence>(first, args);
    va_end(args);
    return result;
}

bool CCSequence::initOneTwo(CCFiniteTimeAction* one, CCFiniteTimeAction* two)
{
    // Held before the check, so that a failed init still deletes them.
    m_actions[0] = one;
    m_actions[1] = two;
    if (!one || !two)
        return false;
    CCActionInterval::initWithDuration(one->getDuration() + two->getDuration());
    return true;
}

void CCSequence::startWithTarget(CCActionTarget* item)
{
    CCActionInterval::startWithTarget(item);
    split = m_actions[0]->getDuration() / duration;
    last = -1;
}

void CCSequence::stop()
{
    m_actions[0]->stop();
    m_actions[1]->stop();
    CCActionInterval::stop();
}

void CCSequence::update(float t)
{
    int found;
    float newT;
    if (t >= split) {
        found = 1;
        newT = split == 1 ? 1 : (t - split) / (1 - split);
    } else {
        found = 0;
        newT = split != 0 ? t / split : 1;
    }
    if (last == -1 && found == 1) {
        // The first phase was skipped entirely: run it to its end.
        m_actions[0]->startWithTarget(target);
        m_actions[0]->update(1);
        m_actions[0]->stop();
    }
    if (last != found) {
        if (last != -1) {
            m_actions[last]->update(1);
            m_actions[last]->stop();
        }
        m_actions[found]->startWithTarget(target);
    }
    m_actions[found]->update(newT);
    last = found;
}

CCFiniteTimeAction* CCSequence::reverse() const
{
    return CCSequence::actionOneTwo(m_actions[1]->reverse(), m_actions[0]->reverse());
}

// --- Spawn ------------------------------------------------------------------

CCSpawn::~CCSpawn()
{
    delete one;
    delete two;
}

CCSpawn* CCSpawn::actionOneTwo(CCFiniteTimeAction* one, CCFiniteTimeAction* two)
{
    CCSpawn* action = new CCSpawn;
    return ccKeepIfInitialised(action, action->initOneTwo(one, two));
}

CCFiniteTimeAction* CCSpawn::actionsWithArray(QList<CCAction*>& list)
{
    return foldActions<CCSpawn>(list);
}

CCFiniteTimeAction* CCSpawn::actions(CCFiniteTimeAction* first, ...)
{
    va_list args;
    va_start(args, first);
    CCFiniteTimeAction* result = foldArguments<CCSpawn>(first, args);
    va_end(args);
    return result;
}

bool CCSpawn::initOneTwo(CCFiniteTimeAction* first, CCFiniteTimeAction* second)
{
    one = first;
    two = second;
    if (!one || !two)
        return false;
    const float d1 = one->getDuration();
    const float d2 = two->getDuration();
    CCActionInterval::initWithDuration(d1 > d2 ? d1 : d2);
    // Both parts end together.
    if (d1 > d2)
        two = CCSequence::actionOneTwo(two, CCDelayTime::actionWithDuration(d1 - d2));
    else if (d2 > d1)
        one = CCSequence::actionOneTwo(one, CCDelayTime::actionWithDuration(d2 - d1));
    return true;
}

void CCSpawn::startWithTarget(CCActionTarget* item)
{
    CCActionInterval::startWithTarget(item);
    one->startWithTarget(target);
    two->startWithTarget(target);
}

void CCSpawn::stop()
{
    one->stop();
    two->stop();
    CCActionInterval::stop();
}

void CCSpawn::update(float t)
{
    if (one)
        one->update(t);
    if (two)
        two->update(t);
}

CCFiniteTimeAction* CCSpawn::reverse() const
{
    return CCSpawn::actionOneTwo(one->reverse(), two->reverse());
}

// --- Repeat -----------------------------------------------------------------

CCRepeat::~CCRepeat()
{
    delete other;
}

CCRepeat* CCRepeat::actionWithAction(CCFiniteTimeAction* action, unsigned times)
{
    CCRepeat* repeat = new CCRepeat;
    return ccKeepIfInitialised(repeat, repeat->initWithAction(action, times));
}

bool CCRepeat::initWithAction(CCFiniteTimeAction* action, unsigned count)
{
    other = action;
    if (!action)
        return false;
    CCActionInterval::initWithDuration(action->getDuration() * count);
    times = count;
    total = 0;
    return true;
}

bool CCRepeat::isDone() const
{
    return total == times;
}

void CCRepeat::startWithTarget(CCActionTarget* item)
{
    total = 0;
    CCActionInterval::startWithTarget(item);
    other->startWithTarget(target);
}

void CCRepeat::stop()
{
    other->stop();
    CCActionInterval::stop();
}

void CCRepeat::update(float t)
{
    const float x = t * times;
    const float next = float(total + 1);
    // Landing exactly on a boundary before the end counts as crossing it;
    // otherwise the inner action would show its start state for one tick.
    if (x > next || (x == next && x < float(times))) {
        other->update(1);
        ++total;
        other->stop();
        other->startWithTarget(target);
        if (total == times)
            other->update(0);
        else
            other->update(x - total);
    } else {
        float r = fmodf(x, 1.0f);
        if (t == 1.0f) {
            r = 1;
            ++total;
        }
        other->update(r < 1 ? r : 1);
    }
}

CCFiniteTimeAction* CCRepeat::reverse() const
{
    return CCRepeat::actionWithAction(other->reverse(), times);
}

// --- Repeat forever -----------------------------------------------------------

CCRepeatForever::~CCRepeatForever()
{
    delete other;
}

CCRepeatForever* CCRepeatForever::actionWithAction(CCActionInterval* action)
{
    CCRepeatForever* repeat = new CCRepeatForever;
    return ccKeepIfInitialised(repeat, repeat->initWithAction(action));
}

bool CCRepeatForever::initWithAction(CCActionInterval* action)
{
    other = action;
    return action != nullptr;
}

bool CCRepeatForever::isDone() const
{
    return false;
}

void CCRepeatForever::startWithTarget(CCActionTarget* item)
{
    CCActionInterval::startWithTarget(item);
    other->startWithTarget(target);
}

void CCRepeatForever::step(float dt)
{
    other->step(dt);
    if (other->isDone()) {
        const float diff = (other->getDuration() + dt) - other->getElapsed();
        other->startWithTarget(target);
        // The restart's first tick applies the start state; diff has no effect.
        other->step(diff);
    }
}

CCFiniteTimeAction* CCRepeatForever::reverse() const
{
    return CCRepeatForever::actionWithAction(reverseAsInterval(other));
}

// --- Reverse time ---------------------------------------------------------------

CCReverseTime::~CCReverseTime()
{
    delete other;
}

CCReverseTime* CCReverseTime::actionWithAction(CCFiniteTimeAction* action)
{
    CCReverseTime* reversed = new CCReverseTime;
    return ccKeepIfInitialised(reversed, reversed->initWithAction(action));
}

bool CCReverseTime::initWithAction(CCFiniteTimeAction* action)
{
    if (other != action)
        delete other;
    other = action;
    if (!action)
        return false;
    CCActionInterval::initWithDuration(action->getDuration());
    return true;
}

void CCReverseTime::startWithTarget(CCActionTarget* item)
{
    CCActionInterval::startWithTarget(item);
    other->startWithTarget(target);
}

void CCReverseTime::stop()
{
    other->stop();
    CCActionInterval::stop();
}

void CCReverseTime::update(float t)
{
    if (other)
        other->update(1 - t);
}

CCFiniteTimeAction* CCReverseTime::reverse() const
{
    return nullptr;
}

// --- Speed ------------------------------------------------------------------

CCSpeed::~CCSpeed()
{
    delete other;
}

CCSpeed* CCSpeed::actionWithAction(CCActionInterval* action, float speed)
{
    CCSpeed* fast = new CCSpeed;
    return ccKeepIfInitialised(fast, fast->initWithAction(action, speed));
}

bool CCSpeed::initWithAction(CCActionInterval* action, float s)
{
    other = action;
    speed = s;
    return action != nullptr;
}

bool CCSpeed::isDone() const
{
    return !other || other->isDone();
}

void CCSpeed::startWithTarget(CCActionTarget* item)
{
    CCAction::startWithTarget(item);
    if (other)
        other->startWithTarget(target);
}

void CCSpeed::stop()
{
    if (other)
        other->stop();
    CCAction::stop();
}

void CCSpeed::step(float dt)
{
    if (other)
        other->step(speed * dt);
}

CCSpeed* CCSpeed::reverse() const
{
    return CCSpeed::actionWithAction(reverseAsInterval(other), speed);
}

void CCSpeed::setInnerAction(CCActionInterval* action)
{
    if (action != other)
        other = action;
}
