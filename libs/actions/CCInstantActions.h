#ifndef CCINSTANTACTIONS_H
#define CCINSTANTACTIONS_H

// One-step actions; each does its work when it is started.

#include "CCAction.h"

#include <QPointF>

class CCShow : public CCActionInstant
{
public:
    static CCShow* action();
    void startWithTarget(CCActionTarget* item) override;
    CCFiniteTimeAction* reverse() const override;
};

class CCHide : public CCActionInstant
{
public:
    static CCHide* action();
    void startWithTarget(CCActionTarget* item) override;
    CCFiniteTimeAction* reverse() const override;
};

class CCToggleVisibility : public CCActionInstant
{
public:
    static CCToggleVisibility* action();
    void startWithTarget(CCActionTarget* item) override;
};

// Sets the sprite's horizontal flip.
class CCFlipX : public CCActionInstant
{
public:
    static CCFlipX* actionWithFlipX(bool x);
    bool initWithFlipX(bool x);
    void startWithTarget(CCActionTarget* item) override;
    CCFiniteTimeAction* reverse() const override;

private:
    bool flipX = false;
};

// Sets the sprite's vertical flip.
class CCFlipY : public CCActionInstant
{
public:
    static CCFlipY* actionWithFlipY(bool y);
    bool initWithFlipY(bool y);
    void startWithTarget(CCActionTarget* item) override;
    CCFiniteTimeAction* reverse() const override;

private:
    bool flipY = false;
};

class CCPlace : public CCActionInstant
{
public:
    static CCPlace* actionWithPosition(const QPointF& position);
    bool initWithPosition(const QPointF& position);
    void startWithTarget(CCActionTarget* item) override;

private:
    QPointF position;
};

#endif // CCINSTANTACTIONS_H
