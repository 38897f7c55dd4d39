#ifndef ACTIONTESTSUPPORT_H
#define ACTIONTESTSUPPORT_H

#include "CCAction.h"
#include "CCActionManager.h"

#include <QMetaType>
#include <QVector>

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
    void startWithTarget(GraphicItem* item) override
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
