#include "CCActionEase.h"

#include <math.h>

CCActionEase::~CCActionEase()
{
    delete other;
}

CCActionEase* CCActionEase::actionWithAction(CCActionInterval* action)
{
    return make<CCActionEase>(action);
}

bool CCActionEase::initWithAction(CCActionInterval* action)
{
    other = action;
    if (!action)
        return false;
    CCActionInterval::initWithDuration(action->getDuration());
    return true;
}

void CCActionEase::startWithTarget(CCActionTarget* item)
{
    CCActionInterval::startWithTarget(item);
    other->startWithTarget(target);
}

void CCActionEase::stop()
{
    other->stop();
    CCActionInterval::stop();
}

void CCActionEase::update(float t)
{
    other->update(ease(t));
}

float CCActionEase::ease(float t)
{
    return t;
}

CCFiniteTimeAction* CCActionEase::reverse() const
{
    return CCActionEase::actionWithAction(reverseAsInterval(other));
}

// --- Rate -------------------------------------------------------------------

bool CCEaseRateAction::initWithAction(CCActionInterval* action, float r)
{
    rate = r;
    return CCActionEase::initWithAction(action);
}

CCFiniteTimeAction* CCEaseRateAction::reverse() const
{
    return CCEaseRateAction::actionWithAction(reverseAsInterval(other), 1 / rate);
}

float CCEaseIn::ease(float t)
{
    return powf(t, rate);
}

float CCEaseOut::ease(float t)
{
    return powf(t, 1 / rate);
}

float CCEaseInOut::ease(float t)
{
    const float u = t * 2;
    if (u < 1)
        return 0.5f * powf(u, rate);
    // Mirrors the first half through (1, 1). Equal, bit for bit, to the signed
    // form for whole rates, and a real number for fractional ones too.
    return 1 - 0.5f * powf(2 - u, rate);
}

CCFiniteTimeAction* CCEaseInOut::reverse() const
{
    return CCEaseInOut::actionWithAction(reverseAsInterval(other), rate);
}

// --- Elastic ------------------------------------------------------------------

bool CCEaseElastic::initWithAction(CCActionInterval* action)
{
    return initWithAction(action, 0.3f);
}

bool CCEaseElastic::initWithAction(CCActionInterval* action, float p)
{
    period = p;
    return CCActionEase::initWithAction(action);
}

CCFiniteTimeAction* CCEaseElastic::reverse() const
{
    return nullptr;
}

// --- Bounce -----------------------------------------------------------------

float CCEaseBounce::bounceTime(float t) const
{
    // Bounds compared in double, arithmetic in single precision.
    if (t < 1 / 2.75) {
        return 7.5625f * t * t;
    } else if (t < 2 / 2.75) {
        t -= 1.5f / 2.75f;
        return 7.5625f * t * t + 0.75f;
    } else if (t < 2.5 / 2.75) {
        t -= 2.25f / 2.75f;
        return 7.5625f * t * t + 0.9375f;
    }
    t -= 2.625f / 2.75f;
    return 7.5625f * t * t + 0.984375f;
}

// --- Curves -------------------------------------------------------------------

float CCEaseElasticIn::ease(float t)
{
    if (t == 0 || t == 1)
        return t;
    const float s = period / 4;
    const float u = t - 1;
    return -(powf(2, 10 * u) * sinf((u - s) * 3.1415927f * 2 / period));
}

CCFiniteTimeAction* CCEaseElasticIn::reverse() const
{
    return CCEaseElasticOut::actionWithAction(reverseAsInterval(other), period);
}

float CCEaseElasticOut::ease(float t)
{
    if (t == 0 || t == 1)
        return t;
    const float s = period / 4;
    return powf(2, -10 * t) * sinf((t - s) * 3.1415927f * 2 / period) + 1;
}

CCFiniteTimeAction* CCEaseElasticOut::reverse() const
{
    return CCEaseElasticIn::actionWithAction(reverseAsInterval(other), period);
}

float CCEaseElasticInOut::ease(float t)
{
    if (t == 0 || t == 1)
        return t;
    if (period == 0)
        period = 0.45f; // kept from here on
    const float s = period / 4;
    const float u = t * 2 - 1;
    if (u < 0)
        return -0.5f * powf(2, 10 * u) * sinf((u - s) * 3.1415927f * 2 / period);
    return powf(2, -10 * u) * sinf((u - s) * 3.1415927f * 2 / period) * 0.5f + 1;
}

CCFiniteTimeAction* CCEaseElasticInOut::reverse() const
{
    return CCEaseInOut::actionWithAction(reverseAsInterval(other), period);
}

float CCEaseExponentialIn::ease(float t)
{
    return t == 0 ? 0 : powf(2, 10 * (t - 1)) - 0.001f;
}

CCFiniteTimeAction* CCEaseExponentialIn::reverse() const
{
    return CCEaseExponentialOut::actionWithAction(reverseAsInterval(other));
}

float CCEaseExponentialOut::ease(float t)
{
    return t == 1 ? 1 : 1 - powf(2, -10 * t);
}

CCFiniteTimeAction* CCEaseExponentialOut::reverse() const
{
    return CCEaseExponentialIn::actionWithAction(reverseAsInterval(other));
}

float CCEaseExponentialInOut::ease(float t)
{
    const float u = t / 0.5f;
    if (u < 1)
        return 0.5f * powf(2, 10 * (u - 1));
    return 0.5f * (2 - powf(2, -10 * (u - 1)));
}

CCFiniteTimeAction* CCEaseExponentialInOut::reverse() const
{
    return CCActionEase::actionWithAction(reverseAsInterval(other));
}

float CCEaseSineIn::ease(float t)
{
    return 1 - cosf(t * 1.5707964f);
}

CCFiniteTimeAction* CCEaseSineIn::reverse() const
{
    return CCEaseSineOut::actionWithAction(reverseAsInterval(other));
}

float CCEaseSineOut::ease(float t)
{
    return sinf(t * 1.5707964f);
}

CCFiniteTimeAction* CCEaseSineOut::reverse() const
{
    return CCEaseSineIn::actionWithAction(reverseAsInterval(other));
}

float CCEaseSineInOut::ease(float t)
{
    return -0.5f * (cosf(t * 3.1415927f) - 1);
}

CCFiniteTimeAction* CCEaseSineInOut::reverse() const
{
    return CCActionEase::actionWithAction(reverseAsInterval(other));
}

float CCEaseBounceIn::ease(float t)
{
    return 1 - bounceTime(1 - t);
}

CCFiniteTimeAction* CCEaseBounceIn::reverse() const
{
    return CCEaseBounceOut::actionWithAction(reverseAsInterval(other));
}

float CCEaseBounceOut::ease(float t)
{
    return bounceTime(t);
}

CCFiniteTimeAction* CCEaseBounceOut::reverse() const
{
    return CCEaseBounceIn::actionWithAction(reverseAsInterval(other));
}

float CCEaseBounceInOut::ease(float t)
{
    if (t < 0.5f)
        return (1 - bounceTime(1 - t * 2)) * 0.5f;
    return bounceTime(t * 2 - 1) * 0.5f + 0.5f;
}

CCFiniteTimeAction* CCEaseBounceInOut::reverse() const
{
    return CCActionEase::actionWithAction(reverseAsInterval(other));
}

float CCEaseBackIn::ease(float t)
{
    const float o = 1.70158f;
    return t * t * ((o + 1) * t - o);
}

CCFiniteTimeAction* CCEaseBackIn::reverse() const
{
    return CCEaseBackOut::actionWithAction(reverseAsInterval(other));
}

float CCEaseBackOut::ease(float t)
{
    const float o = 1.70158f;
    const float u = t - 1;
    return u * u * ((o + 1) * u + o) + 1;
}

CCFiniteTimeAction* CCEaseBackOut::reverse() const
{
    return CCEaseBackIn::actionWithAction(reverseAsInterval(other));
}

float CCEaseBackInOut::ease(float t)
{
    const float o = 1.70158f * 1.525f;
    const float u = t * 2;
    if (u < 1)
        return (u * u * ((o + 1) * u - o)) / 2;
    const float w = u - 2;
    return (w * w * ((o + 1) * w + o)) / 2 + 1;
}

CCFiniteTimeAction* CCEaseBackInOut::reverse() const
{
    return CCActionEase::actionWithAction(reverseAsInterval(other));
}
