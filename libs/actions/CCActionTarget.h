#ifndef CCACTIONTARGET_H
#define CCACTIONTARGET_H

#include <QPointF>

// What an action may change on the item it runs on. The sprite implements it;
// the actions and the scheduler know nothing else of their target.
class CCActionTarget
{
public:
    // Tells the scheduler, which then drops the target's actions without
    // touching the target again.
    virtual ~CCActionTarget();

    virtual QPointF targetPos() const = 0;
    virtual void setTargetPos(const QPointF& pos) = 0;
    // Degrees, clockwise on screen.
    virtual qreal targetRotation() const = 0;
    virtual void setTargetRotation(qreal degrees) = 0;
    virtual qreal targetScale() const = 0;
    virtual void setTargetScale(qreal scale) = 0;
    virtual qreal targetOpacity() const = 0;
    virtual void setTargetOpacity(qreal opacity) = 0;
    virtual bool targetVisible() const = 0;
    virtual void setTargetVisible(bool visible) = 0;
    virtual void setTargetFlipX(bool flip) = 0;
    virtual void setTargetFlipY(bool flip) = 0;

protected:
    CCActionTarget() = default;
    CCActionTarget(const CCActionTarget&) = default;
    CCActionTarget& operator=(const CCActionTarget&) = default;
};

#endif // CCACTIONTARGET_H
