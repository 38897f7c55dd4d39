#include "CCIntervalActions.h"


#include <math.h>

// --- Move -------------------------------------------------------------------

CCMoveTo* CCMoveTo::actionWithDuration(float d, const QPointF& position)
{
    CCMoveTo* action = new CCMoveTo;
    return ccKeepIfInitialised(action, action->initWithDuration(d, position));
}

bool CCMoveTo::initWithDuration(float d, const QPointF& position)
{
    CCActionInterval::initWithDuration(d);
    endPosition = position;
    return true;
}

void CCMoveTo::startWithTarget(CCActionTarget* item)
{
    CCActionInterval::startWithTarget(item);
    if (!target)
        return;
    startPosition = target->targetPos();
    delta = endPosition - startPosition;
}

void CCMoveTo::update(float t)
{
    if (target)
        target->setTargetPos(startPosition + delta * double(t));
}

CCMoveBy* CCMoveBy::actionWithDuration(float d, const QPointF& delta)
{
    CCMoveBy* action = new CCMoveBy;
    return ccKeepIfInitialised(action, action->initWithDuration(d, delta));
}

bool CCMoveBy::initWithDuration(float d, const QPointF& by)
{
    CCActionInterval::initWithDuration(d);
    delta = by;
    return true;
}

void CCMoveBy::startWithTarget(CCActionTarget* item)
{
    CCActionInterval::startWithTarget(item);
    if (target)
        startPosition = target->targetPos();
}

CCFiniteTimeAction* CCMoveBy::reverse() const
{
    return CCMoveBy::actionWithDuration(duration, -delta);
}

// --- Rotate -----------------------------------------------------------------

CCRotateTo* CCRotateTo::actionWithDuration(float d, float angle)
{
    CCRotateTo* action = new CCRotateTo;
    return ccKeepIfInitialised(action, action->initWithDuration(d, angle));
}

bool CCRotateTo::initWithDuration(float d, float angle)
{
    CCActionInterval::initWithDuration(d);
    dstAngle = angle;
    return true;
}

void CCRotateTo::startWithTarget(CCActionTarget* item)
{
    CCActionInterval::startWithTarget(item);
    if (!target)
        return;
    startAngle = float(target->targetRotation());
    // The remainder keeps the sign of the angle.
    startAngle = startAngle > 0 ? fmodf(startAngle, 360.0f) : fmodf(startAngle, -360.0f);
    diffAngle = dstAngle - startAngle;
    if (diffAngle > 180)
        diffAngle -= 360;
    if (diffAngle < -180)
        diffAngle += 360;
}

void CCRotateTo::update(float t)
{
    if (target)
        target->setTargetRotation(startAngle + diffAngle * t);
}

CCRotateBy* CCRotateBy::actionWithDuration(float d, float angle)
{
    CCRotateBy* action = new CCRotateBy;
    return ccKeepIfInitialised(action, action->initWithDuration(d, angle));
}

bool CCRotateBy::initWithDuration(float d, float by)
{
    CCActionInterval::initWithDuration(d);
    angle = by;
    return true;
}

void CCRotateBy::startWithTarget(CCActionTarget* item)
{
    CCActionInterval::startWithTarget(item);
    if (target)
        startAngle = float(target->targetRotation());
}

void CCRotateBy::update(float t)
{
    if (target)
        target->setTargetRotation(startAngle + angle * t);
}

CCFiniteTimeAction* CCRotateBy::reverse() const
{
    return CCRotateBy::actionWithDuration(duration, -angle);
}

// --- Scale ------------------------------------------------------------------

CCScaleTo* CCScaleTo::actionWithDuration(float d, float s)
{
    CCScaleTo* action = new CCScaleTo;
    return ccKeepIfInitialised(action, action->initWithDuration(d, s));
}

CCScaleTo* CCScaleTo::actionWithDuration(float d, float sx, float sy)
{
    CCScaleTo* action = new CCScaleTo;
    return ccKeepIfInitialised(action, action->initWithDuration(d, sx, sy));
}

bool CCScaleTo::initWithDuration(float d, float s)
{
    CCActionInterval::initWithDuration(d);
    endScale = s;
    return true;
}

bool CCScaleTo::initWithDuration(float d, float sx, float)
{
    return initWithDuration(d, sx);
}

void CCScaleTo::startWithTarget(CCActionTarget* item)
{
    CCActionInterval::startWithTarget(item);
    if (!target)
        return;
    startScale = float(target->targetScale());
    deltaScale = endScale - startScale;
}

void CCScaleTo::update(float t)
{
    if (target)
        target->setTargetScale(startScale + deltaScale * t);
}

CCScaleBy* CCScaleBy::actionWithDuration(float d, float s)
{
    CCScaleBy* action = new CCScaleBy;
    return ccKeepIfInitialised(action, action->initWithDuration(d, s));
}

CCScaleBy* CCScaleBy::actionWithDuration(float d, float sx, float sy)
{
    CCScaleBy* action = new CCScaleBy;
    return ccKeepIfInitialised(action, action->initWithDuration(d, sx, sy));
}

void CCScaleBy::startWithTarget(CCActionTarget* item)
{
    CCScaleTo::startWithTarget(item);
    if (target)
        deltaScale = startScale * endScale - startScale;
}

CCFiniteTimeAction* CCScaleBy::reverse() const
{
    return CCScaleBy::actionWithDuration(duration, 1 / endScale, 1 / endScale);
}

// --- Jump -------------------------------------------------------------------

CCJumpBy* CCJumpBy::actionWithDuration(float d, const QPointF& delta, float height, unsigned jumps)
{
    CCJumpBy* action = new CCJumpBy;
    return ccKeepIfInitialised(action, action->initWithDuration(d, delta, height, jumps));
}

bool CCJumpBy::initWithDuration(float d, const QPointF& by, float h, unsigned count)
{
    CCActionInterval::initWithDuration(d);
    delta = by;
    height = h;
    jumps = count;
    return true;
}

void CCJumpBy::startWithTarget(CCActionTarget* item)
{
    CCActionInterval::startWithTarget(item);
    if (target)
        startPosition = target->targetPos();
}

void CCJumpBy::update(float t)
{
    if (!target)
        return;
    const float frac = fmodf(t * jumps, 1.0f);
    float y = height * 4 * frac * (1 - frac);
    y = float(y + delta.y() * t);
    const float x = float(delta.x() * t);
    target->setTargetPos(QPointF(startPosition.x() + x, startPosition.y() + y));
}

CCFiniteTimeAction* CCJumpBy::reverse() const
{
    return CCJumpBy::actionWithDuration(duration, -delta, height, jumps);
}

CCJumpTo* CCJumpTo::actionWithDuration(float d, const QPointF& position, float height, int jumps)
{
    CCJumpTo* action = new CCJumpTo;
    action->endPosition = position;
    return ccKeepIfInitialised(action, action->initWithDuration(d, position, height, unsigned(jumps)));
}

void CCJumpTo::startWithTarget(CCActionTarget* item)
{
    CCJumpBy::startWithTarget(item);
    if (target)
        delta = endPosition - startPosition;
}

// --- Bezier -----------------------------------------------------------------

float bezierat(float a, float b, float c, float d, float t)
{
    return powf(1 - t, 3.0f) * a + 3 * t * powf(1 - t, 2.0f) * b + 3 * powf(t, 2.0f) * (1 - t) * c
        + powf(t, 3.0f) * d;
}

CCBezierBy* CCBezierBy::actionWithDuration(float d, const _ccBezierConfig& config)
{
    CCBezierBy* action = new CCBezierBy;
    return ccKeepIfInitialised(action, action->initWithDuration(d, config));
}

bool CCBezierBy::initWithDuration(float d, const _ccBezierConfig& c)
{
    CCActionInterval::initWithDuration(d);
    config = c;
    return true;
}

void CCBezierBy::startWithTarget(CCActionTarget* item)
{
    CCActionInterval::startWithTarget(item);
    if (target)
        startPosition = target->targetPos();
}

void CCBezierBy::update(float t)
{
    if (!target)
        return;
    const float x = bezierat(0, float(config.controlPoint_1.x()), float(config.controlPoint_2.x()),
                             float(config.endPosition.x()), t);
    const float y = bezierat(0, float(config.controlPoint_1.y()), float(config.controlPoint_2.y()),
                             float(config.endPosition.y()), t);
    target->setTargetPos(startPosition + QPointF(x, y));
}

CCFiniteTimeAction* CCBezierBy::reverse() const
{
    _ccBezierConfig r;
    r.endPosition = -config.endPosition;
    r.controlPoint_1 = config.controlPoint_2 - config.endPosition;
    r.controlPoint_2 = config.controlPoint_1 - config.endPosition;
    return CCBezierBy::actionWithDuration(duration, r);
}

CCBezierTo* CCBezierTo::actionWithDuration(float d, const _ccBezierConfig& config)
{
    CCBezierTo* action = new CCBezierTo;
    action->absoluteConfig = config;
    return ccKeepIfInitialised(action, action->initWithDuration(d, config));
}

void CCBezierTo::startWithTarget(CCActionTarget* item)
{
    CCBezierBy::startWithTarget(item);
    if (!target)
        return;
    config.endPosition = absoluteConfig.endPosition - startPosition;
    config.controlPoint_1 = absoluteConfig.controlPoint_1 - startPosition;
    config.controlPoint_2 = absoluteConfig.controlPoint_2 - startPosition;
}

// --- Blink and fades ----------------------------------------------------------

CCBlink* CCBlink::actionWithDuration(float d, unsigned times)
{
    CCBlink* action = new CCBlink;
    return ccKeepIfInitialised(action, action->initWithDuration(d, times));
}

bool CCBlink::initWithDuration(float d, unsigned count)
{
    CCActionInterval::initWithDuration(d);
    times = count;
    return true;
}

void CCBlink::update(float t)
{
    if (!target || isDone())
        return;
    // With times 0 the slice is infinite and the sprite stays hidden.
    const float slice = 1.0f / times;
    target->setTargetVisible(fmodf(t, slice) > slice / 2);
}

CCFiniteTimeAction* CCBlink::reverse() const
{
    return CCBlink::actionWithDuration(duration, times);
}

CCFadeIn* CCFadeIn::actionWithDuration(float d)
{
    CCFadeIn* action = new CCFadeIn;
    return ccKeepIfInitialised(action, action->initWithDuration(d));
}

void CCFadeIn::update(float t)
{
    if (target)
        target->setTargetOpacity(t);
}

CCFiniteTimeAction* CCFadeIn::reverse() const
{
    return CCFadeOut::actionWithDuration(duration);
}

CCFadeOut* CCFadeOut::actionWithDuration(float d)
{
    CCFadeOut* action = new CCFadeOut;
    return ccKeepIfInitialised(action, action->initWithDuration(d));
}

void CCFadeOut::update(float t)
{
    if (target)
        target->setTargetOpacity(1 - t);
}

CCFiniteTimeAction* CCFadeOut::reverse() const
{
    return CCFadeIn::actionWithDuration(duration);
}

CCFadeTo* CCFadeTo::actionWithDuration(float d, unsigned char opacity)
{
    CCFadeTo* action = new CCFadeTo;
    return ccKeepIfInitialised(action, action->initWithDuration(d, opacity));
}

bool CCFadeTo::initWithDuration(float d, unsigned char opacity)
{
    CCActionInterval::initWithDuration(d);
    toOpacity = opacity;
    return true;
}

void CCFadeTo::startWithTarget(CCActionTarget* item)
{
    CCActionInterval::startWithTarget(item);
    if (target)
        fromOpacity = static_cast<unsigned char>(std::lround(qBound(0.0, target->targetOpacity(), 1.0) * 255));
}

void CCFadeTo::update(float t)
{
    if (target)
        target->setTargetOpacity((fromOpacity + (toOpacity - fromOpacity) * t) / 255.0f);
}

CCDelayTime* CCDelayTime::actionWithDuration(float d)
{
    CCDelayTime* action = new CCDelayTime;
    return ccKeepIfInitialised(action, action->initWithDuration(d));
}

CCFiniteTimeAction* CCDelayTime::reverse() const
{
    return CCDelayTime::actionWithDuration(duration);
}
