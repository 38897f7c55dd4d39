#include "CCBlockingAction.h"

CCBlockingAction::~CCBlockingAction()
{
    delete inner;
}

CCBlockingAction* CCBlockingAction::actionWithAction(CCAction* action)
{
    CCBlockingAction* blocking = new CCBlockingAction;
    return ccKeepIfInitialised(blocking, blocking->initWithAction(action));
}

bool CCBlockingAction::initWithAction(CCAction* action)
{
    inner = action;
    unblocked = false;
    return action != nullptr;
}

bool CCBlockingAction::isDone() const
{
    return unblocked && (!inner || inner->isDone());
}

void CCBlockingAction::startWithTarget(CCActionTarget* item)
{
    CCAction::startWithTarget(item);
    unblocked = false;
    if (inner)
        inner->startWithTarget(item);
}

void CCBlockingAction::stop()
{
    if (inner)
        inner->stop();
    CCAction::stop();
}

void CCBlockingAction::step(float dt)
{
    if (unblocked && inner)
        inner->step(dt);
}

void CCBlockingAction::unblock()
{
    unblocked = true;
}

void CCBlockingAction::setInnerAction(CCAction* action)
{
    if (action != inner)
        inner = action;
}
