#include "CCAction.h"

CCAction::~CCAction() = default;

CCAction* CCAction::action()
{
    return new CCAction;
}

bool CCAction::isDone() const
{
    return true;
}

void CCAction::startWithTarget(CCActionTarget* item)
{
    target = item;
}

void CCAction::stop()
{
    target = nullptr;
}

void CCAction::step(float)
{
}

void CCAction::update(float)
{
}

CCFiniteTimeAction* CCFiniteTimeAction::reverse() const
{
    return nullptr;
}

CCActionInterval* CCActionInterval::actionWithDuration(float d)
{
    CCActionInterval* action = new CCActionInterval;
    return ccKeepIfInitialised(action, action->initWithDuration(d));
}

bool CCActionInterval::initWithDuration(float d)
{
    duration = d == 0 ? 0.000001f : d;
    elapsed = 0;
    firstTick = true;
    return true;
}

bool CCActionInterval::isDone() const
{
    return elapsed >= duration;
}

void CCActionInterval::startWithTarget(CCActionTarget* item)
{
    CCAction::startWithTarget(item);
    elapsed = 0;
    firstTick = true;
}

void CCActionInterval::step(float dt)
{
    if (firstTick) {
        firstTick = false;
        elapsed = 0;
    } else {
        elapsed += dt;
    }
    const float r = elapsed / duration;
    // Written so that a quotient that is not a number also gives 1.
    update(1 > r ? r : 1);
}

bool CCActionInstant::isDone() const
{
    return true;
}

void CCActionInstant::step(float)
{
    update(1.0f);
}

void CCActionInstant::update(float)
{
}

CCActionInterval* reverseAsInterval(const CCActionInterval* action)
{
    if (!action)
        return nullptr;
    CCFiniteTimeAction* reversed = action->reverse();
    CCActionInterval* interval = dynamic_cast<CCActionInterval*>(reversed);
    if (!interval)
        delete reversed;
    return interval;
}
