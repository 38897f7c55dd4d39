#include "CCInstantActions.h"

#include "Items/GraphicItem.h"

CCShow* CCShow::action()
{
    return new CCShow;
}

void CCShow::startWithTarget(GraphicItem* item)
{
    CCAction::startWithTarget(item);
    if (target)
        target->setVisible(true);
}

CCFiniteTimeAction* CCShow::reverse() const
{
    return CCHide::action();
}

CCHide* CCHide::action()
{
    return new CCHide;
}

void CCHide::startWithTarget(GraphicItem* item)
{
    CCAction::startWithTarget(item);
    if (target)
        target->setVisible(false);
}

CCFiniteTimeAction* CCHide::reverse() const
{
    return CCShow::action();
}

CCToggleVisibility* CCToggleVisibility::action()
{
    return new CCToggleVisibility;
}

void CCToggleVisibility::startWithTarget(GraphicItem* item)
{
    CCAction::startWithTarget(item);
    if (target)
        target->setVisible(!target->isVisible());
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

void CCFlipX::startWithTarget(GraphicItem* item)
{
    CCAction::startWithTarget(item);
    if (target)
        target->setFlipX(flipX);
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

void CCFlipY::startWithTarget(GraphicItem* item)
{
    CCAction::startWithTarget(item);
    if (target)
        target->setFlipY(flipY);
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

void CCPlace::startWithTarget(GraphicItem* item)
{
    CCAction::startWithTarget(item);
    if (target)
        target->setPos(position);
}
