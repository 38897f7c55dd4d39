#include "CCInstantActions.h"


CCShow* CCShow::action()
{
    return new CCShow;
}

void CCShow::startWithTarget(CCActionTarget* item)
{
    CCAction::startWithTarget(item);
    if (target)
        target->setTargetVisible(true);
}

CCFiniteTimeAction* CCShow::reverse() const
{
    return CCHide::action();
}

CCHide* CCHide::action()
{
    return new CCHide;
}

void CCHide::startWithTarget(CCActionTarget* item)
{
    CCAction::startWithTarget(item);
    if (target)
        target->setTargetVisible(false);
}

CCFiniteTimeAction* CCHide::reverse() const
{
    return CCShow::action();
}

CCToggleVisibility* CCToggleVisibility::action()
{
    return new CCToggleVisibility;
}

void CCToggleVisibility::startWithTarget(CCActionTarget* item)
{
    CCAction::startWithTarget(item);
    if (target)
        target->setTargetVisible(!target->targetVisible());
}

CCFlipX* CCFlipX::actionWithFlipX(bool x)
{
    CCFlipX* action = new CCFlipX;
    return ccKeepIfInitialised(action, action->initWithFlipX(x));
}

bool CCFlipX::initWithFlipX(bool x)
{
    flipX = x;
    return true;
}

void CCFlipX::startWithTarget(CCActionTarget* item)
{
    CCAction::startWithTarget(item);
    if (target)
        target->setTargetFlipX(flipX);
}

CCFiniteTimeAction* CCFlipX::reverse() const
{
    return CCFlipX::actionWithFlipX(!flipX);
}

CCFlipY* CCFlipY::actionWithFlipY(bool y)
{
    CCFlipY* action = new CCFlipY;
    return ccKeepIfInitialised(action, action->initWithFlipY(y));
}

bool CCFlipY::initWithFlipY(bool y)
{
    flipY = y;
    return true;
}

void CCFlipY::startWithTarget(CCActionTarget* item)
{
    CCAction::startWithTarget(item);
    if (target)
        target->setTargetFlipY(flipY);
}

CCFiniteTimeAction* CCFlipY::reverse() const
{
    return CCFlipY::actionWithFlipY(!flipY);
}

CCPlace* CCPlace::actionWithPosition(const QPointF& position)
{
    CCPlace* action = new CCPlace;
    return ccKeepIfInitialised(action, action->initWithPosition(position));
}

bool CCPlace::initWithPosition(const QPointF& p)
{
    position = p;
    return true;
}

void CCPlace::startWithTarget(CCActionTarget* item)
{
    CCAction::startWithTarget(item);
    if (target)
        target->setTargetPos(position);
}
