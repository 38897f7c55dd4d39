#ifndef CCACTIONEASE_H
#define CCACTIONEASE_H

// Easing wrappers: each has the duration of the interval action it wraps
// (and owns) and hands it a remapped time f(t) in update. Single precision
// with the float maths functions throughout.

#include "CCAction.h"

class CCActionEase : public CCActionInterval
{
public:
    ~CCActionEase() override;
    static CCActionEase* actionWithAction(CCActionInterval* action);
    bool initWithAction(CCActionInterval* action);

    void startWithTarget(CCActionTarget* item) override;
    void stop() override;
    void update(float t) override;
    CCFiniteTimeAction* reverse() const override;

    // The remapped time; the linear base hands t on unchanged.
    virtual float ease(float t);

protected:
    template <class T>
    static T* make(CCActionInterval* action)
    {
        T* e = new T;
        return ccKeepIfInitialised(e, e->initWithAction(action));
    }
    template <class T, class P>
    static T* make(CCActionInterval* action, P parameter)
    {
        T* e = new T;
        return ccKeepIfInitialised(e, e->initWithAction(action, parameter));
    }

    CCActionInterval* other = nullptr; // owned
};

class CCEaseRateAction : public CCActionEase
{
public:
    static CCEaseRateAction* actionWithAction(CCActionInterval* action, float rate) { return make<CCEaseRateAction>(action, rate); }
    using CCActionEase::initWithAction;
    bool initWithAction(CCActionInterval* action, float rate);
    CCFiniteTimeAction* reverse() const override;
    float getRate() const { return rate; }

protected:
    float rate = 0;
};

class CCEaseIn : public CCEaseRateAction
{
public:
    static CCEaseIn* actionWithAction(CCActionInterval* action, float rate) { return make<CCEaseIn>(action, rate); }
    float ease(float t) override;
};

class CCEaseOut : public CCEaseRateAction
{
public:
    static CCEaseOut* actionWithAction(CCActionInterval* action, float rate) { return make<CCEaseOut>(action, rate); }
    float ease(float t) override;
};

class CCEaseInOut : public CCEaseRateAction
{
public:
    static CCEaseInOut* actionWithAction(CCActionInterval* action, float rate) { return make<CCEaseInOut>(action, rate); }
    float ease(float t) override;
    CCFiniteTimeAction* reverse() const override;
};

class CCEaseElastic : public CCActionEase
{
public:
    static CCEaseElastic* actionWithAction(CCActionInterval* action) { return make<CCEaseElastic>(action); }
    static CCEaseElastic* actionWithAction(CCActionInterval* action, float period) { return make<CCEaseElastic>(action, period); }
    // The period 0.3.
    bool initWithAction(CCActionInterval* action);
    bool initWithAction(CCActionInterval* action, float period);
    CCFiniteTimeAction* reverse() const override;
    float getPeriod() const { return period; }

protected:
    float period = 0;
};

class CCEaseBounce : public CCActionEase
{
public:
    static CCEaseBounce* actionWithAction(CCActionInterval* action) { return make<CCEaseBounce>(action); }
    float bounceTime(float t) const;
};

class CCEaseElasticIn : public CCEaseElastic
{
public:
    static CCEaseElasticIn* actionWithAction(CCActionInterval* action) { return make<CCEaseElasticIn>(action); }
    static CCEaseElasticIn* actionWithAction(CCActionInterval* action, float period) { return make<CCEaseElasticIn>(action, period); }
    float ease(float t) override;
    CCFiniteTimeAction* reverse() const override;
};

class CCEaseElasticOut : public CCEaseElastic
{
public:
    static CCEaseElasticOut* actionWithAction(CCActionInterval* action) { return make<CCEaseElasticOut>(action); }
    static CCEaseElasticOut* actionWithAction(CCActionInterval* action, float period) { return make<CCEaseElasticOut>(action, period); }
    float ease(float t) override;
    CCFiniteTimeAction* reverse() const override;
};

class CCEaseElasticInOut : public CCEaseElastic
{
public:
    static CCEaseElasticInOut* actionWithAction(CCActionInterval* action) { return make<CCEaseElasticInOut>(action); }
    static CCEaseElasticInOut* actionWithAction(CCActionInterval* action, float period) { return make<CCEaseElasticInOut>(action, period); }
    float ease(float t) override;
    CCFiniteTimeAction* reverse() const override;
};

class CCEaseExponentialIn : public CCActionEase
{
public:
    static CCEaseExponentialIn* actionWithAction(CCActionInterval* action) { return make<CCEaseExponentialIn>(action); }
    float ease(float t) override;
    CCFiniteTimeAction* reverse() const override;
};

class CCEaseExponentialOut : public CCActionEase
{
public:
    static CCEaseExponentialOut* actionWithAction(CCActionInterval* action) { return make<CCEaseExponentialOut>(action); }
    float ease(float t) override;
    CCFiniteTimeAction* reverse() const override;
};

class CCEaseExponentialInOut : public CCActionEase
{
public:
    static CCEaseExponentialInOut* actionWithAction(CCActionInterval* action) { return make<CCEaseExponentialInOut>(action); }
    float ease(float t) override;
    CCFiniteTimeAction* reverse() const override;
};

class CCEaseSineIn : public CCActionEase
{
public:
    static CCEaseSineIn* actionWithAction(CCActionInterval* action) { return make<CCEaseSineIn>(action); }
    float ease(float t) override;
    CCFiniteTimeAction* reverse() const override;
};

class CCEaseSineOut : public CCActionEase
{
public:
    static CCEaseSineOut* actionWithAction(CCActionInterval* action) { return make<CCEaseSineOut>(action); }
    float ease(float t) override;
    CCFiniteTimeAction* reverse() const override;
};

class CCEaseSineInOut : public CCActionEase
{
public:
    static CCEaseSineInOut* actionWithAction(CCActionInterval* action) { return make<CCEaseSineInOut>(action); }
    float ease(float t) override;
    CCFiniteTimeAction* reverse() const override;
};

class CCEaseBounceIn : public CCEaseBounce
{
public:
    static CCEaseBounceIn* actionWithAction(CCActionInterval* action) { return make<CCEaseBounceIn>(action); }
    float ease(float t) override;
    CCFiniteTimeAction* reverse() const override;
};

class CCEaseBounceOut : public CCEaseBounce
{
public:
    static CCEaseBounceOut* actionWithAction(CCActionInterval* action) { return make<CCEaseBounceOut>(action); }
    float ease(float t) override;
    CCFiniteTimeAction* reverse() const override;
};

class CCEaseBounceInOut : public CCEaseBounce
{
public:
    static CCEaseBounceInOut* actionWithAction(CCActionInterval* action) { return make<CCEaseBounceInOut>(action); }
    float ease(float t) override;
    CCFiniteTimeAction* reverse() const override;
};

class CCEaseBackIn : public CCActionEase
{
public:
    static CCEaseBackIn* actionWithAction(CCActionInterval* action) { return make<CCEaseBackIn>(action); }
    float ease(float t) override;
    CCFiniteTimeAction* reverse() const override;
};

class CCEaseBackOut : public CCActionEase
{
public:
    static CCEaseBackOut* actionWithAction(CCActionInterval* action) { return make<CCEaseBackOut>(action); }
    float ease(float t) override;
    CCFiniteTimeAction* reverse() const override;
};

class CCEaseBackInOut : public CCActionEase
{
public:
    static CCEaseBackInOut* actionWithAction(CCActionInterval* action) { return make<CCEaseBackInOut>(action); }
    float ease(float t) override;
    CCFiniteTimeAction* reverse() const override;
};

#endif // CCACTIONEASE_H
