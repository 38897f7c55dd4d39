#ifndef CCINTERVALACTIONS_H
#define CCINTERVALACTIONS_H

// The simple interval actions: each captures its start values from the sprite
// in startWithTarget and computes its state from them in update(t), so that
// any t (also outside 0..1) gives a consistent state.

#include "CCAction.h"

#include <QPointF>

class CCMoveTo : public CCActionInterval
{
public:
    static CCMoveTo* actionWithDuration(float d, const QPointF& position);
    bool initWithDuration(float d, const QPointF& position);
    void startWithTarget(CCActionTarget* item) override;
    void update(float t) override;

protected:
    QPointF endPosition;
    QPointF startPosition;
    QPointF delta;
};

class CCMoveBy : public CCMoveTo
{
public:
    static CCMoveBy* actionWithDuration(float d, const QPointF& delta);
    bool initWithDuration(float d, const QPointF& delta);
    void startWithTarget(CCActionTarget* item) override;
    CCFiniteTimeAction* reverse() const override;
};

// Turns to the angle by the shorter way round (at most one correction of 360).
class CCRotateTo : public CCActionInterval
{
public:
    static CCRotateTo* actionWithDuration(float d, float angle);
    bool initWithDuration(float d, float angle);
    void startWithTarget(CCActionTarget* item) override;
    void update(float t) override;

protected:
    float dstAngle = 0;
    float startAngle = 0;
    float diffAngle = 0;
};

class CCRotateBy : public CCActionInterval
{
public:
    static CCRotateBy* actionWithDuration(float d, float angle);
    bool initWithDuration(float d, float angle);
    void startWithTarget(CCActionTarget* item) override;
    void update(float t) override;
    CCFiniteTimeAction* reverse() const override;

protected:
    float angle = 0;
    float startAngle = 0;
};

// The sprite's scale is uniform: only the x factor is used.
class CCScaleTo : public CCActionInterval
{
public:
    static CCScaleTo* actionWithDuration(float d, float s);
    static CCScaleTo* actionWithDuration(float d, float sx, float sy);
    bool initWithDuration(float d, float s);
    bool initWithDuration(float d, float sx, float sy);
    void startWithTarget(CCActionTarget* item) override;
    void update(float t) override;

protected:
    float startScale = 0;
    float endScale = 0;
    float deltaScale = 0;
};

// endScale holds the factor.
class CCScaleBy : public CCScaleTo
{
public:
    static CCScaleBy* actionWithDuration(float d, float s);
    static CCScaleBy* actionWithDuration(float d, float sx, float sy);
    void startWithTarget(CCActionTarget* item) override;
    CCFiniteTimeAction* reverse() const override;
};

class CCJumpBy : public CCActionInterval
{
public:
    static CCJumpBy* actionWithDuration(float d, const QPointF& delta, float height, unsigned jumps);
    bool initWithDuration(float d, const QPointF& delta, float height, unsigned jumps);
    void startWithTarget(CCActionTarget* item) override;
    void update(float t) override;
    CCFiniteTimeAction* reverse() const override;

protected:
    QPointF startPosition;
    QPointF delta;
    float height = 0;
    unsigned jumps = 0;
};

class CCJumpTo : public CCJumpBy
{
public:
    static CCJumpTo* actionWithDuration(float d, const QPointF& position, float height, int jumps);
    // The delta is taken from the end position at every start, so a repeated
    // jump lands on the same point each time.
    void startWithTarget(CCActionTarget* item) override;

private:
    QPointF endPosition;
};

// Control points relative to the start (absolute for CCBezierTo).
struct _ccBezierConfig
{
    QPointF endPosition;
    QPointF controlPoint_1;
    QPointF controlPoint_2;
};

// The cubic Bezier blend of a, b, c, d at t.
float bezierat(float a, float b, float c, float d, float t);

class CCBezierBy : public CCActionInterval
{
public:
    static CCBezierBy* actionWithDuration(float d, const _ccBezierConfig& config);
    bool initWithDuration(float d, const _ccBezierConfig& config);
    void startWithTarget(CCActionTarget* item) override;
    void update(float t) override;
    CCFiniteTimeAction* reverse() const override;

protected:
    _ccBezierConfig config;
    QPointF startPosition;
};

class CCBezierTo : public CCBezierBy
{
public:
    static CCBezierTo* actionWithDuration(float d, const _ccBezierConfig& config);
    // Made relative from the absolute points at every start (see CCJumpTo).
    void startWithTarget(CCActionTarget* item) override;

private:
    _ccBezierConfig absoluteConfig;
};

class CCBlink : public CCActionInterval
{
public:
    static CCBlink* actionWithDuration(float d, unsigned times);
    bool initWithDuration(float d, unsigned times);
    void update(float t) override;
    CCFiniteTimeAction* reverse() const override;

protected:
    unsigned times = 0;
};

class CCFadeIn : public CCActionInterval
{
public:
    static CCFadeIn* actionWithDuration(float d);
    void update(float t) override;
    CCFiniteTimeAction* reverse() const override;
};

class CCFadeOut : public CCActionInterval
{
public:
    static CCFadeOut* actionWithDuration(float d);
    void update(float t) override;
    CCFiniteTimeAction* reverse() const override;
};

// Opacities here run from 0 to 255; the sprite's run from 0 to 1.
class CCFadeTo : public CCActionInterval
{
public:
    static CCFadeTo* actionWithDuration(float d, unsigned char opacity);
    bool initWithDuration(float d, unsigned char opacity);
    void startWithTarget(CCActionTarget* item) override;
    void update(float t) override;

protected:
    unsigned char toOpacity = 0;
    unsigned char fromOpacity = 0;
};

class CCDelayTime : public CCActionInterval
{
public:
    static CCDelayTime* actionWithDuration(float d);
    CCFiniteTimeAction* reverse() const override;
};

#endif // CCINTERVALACTIONS_H
