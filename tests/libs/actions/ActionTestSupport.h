#ifndef ACTIONTESTSUPPORT_H
#define ACTIONTESTSUPPORT_H

#include "CCAction.h"
#include "CCActionManager.h"
#include "CCActionTarget.h"

#include <QMetaType>
#include <QVector>

#include <algorithm>

#include <memory>

// Actions as rows of a data table.
Q_DECLARE_METATYPE(std::shared_ptr<CCFiniteTimeAction>)
Q_DECLARE_METATYPE(std::shared_ptr<CCAction>)

// The scheduler's fixed tick, 1/30 s in single precision.
const float kTick = 0.033333335f;

// Runs n scheduler ticks.
inline void tick(int n = 1)
{
    for (int i = 0; i < n; ++i)
        CCActionManager::get()->update(kTick);
}

// A target with the sprite's getters and setters and nothing else; opacity is
// kept within [0, 1] as a graphics item keeps it.
class TestTarget : public CCActionTarget
{
public:
    QPointF pos() const { return m_pos; }
    void setPos(const QPointF& pos) { m_pos = pos; }
    void setPos(qreal x, qreal y) { m_pos = QPointF(x, y); }
    qreal rotation() const { return m_rotation; }
    void setRotation(qreal degrees) { m_rotation = degrees; }
    qreal scale() const { return m_scale; }
    void setScale(qreal scale) { m_scale = scale; }
    qreal opacity() const { return m_opacity; }
    void setOpacity(qreal opacity) { m_opacity = std::clamp(opacity, qreal(0), qreal(1)); }
    bool isVisible() const { return m_visible; }
    bool flipX() const { return m_flipX; }
    bool flipY() const { return m_flipY; }

    QPointF targetPos() const override { return pos(); }
    void setTargetPos(const QPointF& pos) override { setPos(pos); }
    qreal targetRotation() const override { return rotation(); }
    void setTargetRotation(qreal degrees) override { setRotation(degrees); }
    qreal targetScale() const override { return scale(); }
    void setTargetScale(qreal scale) override { setScale(scale); }
    qreal targetOpacity() const override { return opacity(); }
    void setTargetOpacity(qreal opacity) override { setOpacity(opacity); }
    bool targetVisible() const override { return m_visible; }
    void setTargetVisible(bool visible) override { m_visible = visible; }
    void setTargetFlipX(bool flip) override { m_flipX = flip; }
    void setTargetFlipY(bool flip) override { m_flipY = flip; }

private:
    QPointF m_pos;
    qreal m_rotation = 0;
    qreal m_scale = 1;
    qreal m_opacity = 1;
    bool m_visible = true;
    bool m_flipX = false;
    bool m_flipY = false;
};

// An interval action that records the times it is updated with and counts
// its live instances, to show what a composite or factory deleted.
class RecordingAction : public CCActionInterval
{
public:
    static RecordingAction* actionWithDuration(float d)
    {
        RecordingAction* a = new RecordingAction;
        a->initWithDuration(d);
        return a;
    }
    RecordingAction() { ++live(); }
    ~RecordingAction() override { --live(); }
    void startWithTarget(CCActionTarget* item) override
    {
        CCActionInterval::startWithTarget(item);
        ++starts;
    }
    void stop() override
    {
        CCActionInterval::stop();
        ++stops;
    }
    void update(float t) override { updates.append(t); }
    static int& live()
    {
        static int count = 0;
        return count;
    }

    QVector<float> updates;
    int starts = 0;
    int stops = 0;
};

#endif // ACTIONTESTSUPPORT_H
