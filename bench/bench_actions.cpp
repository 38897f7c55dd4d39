// Scheduler tick: 5,000 running actions on 1,000 sprites in a scene
// (sequences of moves, rotations, scalings and eases, repeated forever so
// that every action runs for the whole measurement). Prints the median and
// the slowest of the measured ticks; the target is 2 ms per tick.

#include "CCActionEase.h"
#include "CCActionManager.h"
#include "CCCompositeActions.h"
#include "CCIntervalActions.h"
#include "Items/GraphicItem.h"

#include <QApplication>
#include <QGraphicsScene>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr int kSprites = 1000;
constexpr int kActionsPerSprite = 5;
constexpr int kWarmUpTicks = 60;
constexpr int kMeasuredTicks = 600;
const float kTick = 0.033333335f;

CCActionInterval* seq(CCFiniteTimeAction* a, CCFiniteTimeAction* b)
{
    return CCSequence::actionOneTwo(a, b);
}

// The five actions of sprite i, with durations spread so that phases switch
// on different ticks.
std::vector<CCAction*> actionsFor(int i)
{
    const float d = 0.5f + (i % 7) * 0.25f;
    return {
        CCRepeatForever::actionWithAction(seq(CCMoveBy::actionWithDuration(d, QPointF(20, 0)),
                                              CCMoveBy::actionWithDuration(d, QPointF(-20, 0)))),
        CCRepeatForever::actionWithAction(seq(CCRotateBy::actionWithDuration(d * 2, 90),
                                              CCRotateTo::actionWithDuration(d, 0))),
        CCRepeatForever::actionWithAction(CCEaseInOut::actionWithAction(
            seq(CCMoveBy::actionWithDuration(d, QPointF(0, 15)), CCMoveBy::actionWithDuration(d, QPointF(0, -15))), 2)),
        CCRepeatForever::actionWithAction(seq(CCEaseInOut::actionWithAction(CCScaleTo::actionWithDuration(d, 1.5f), 3),
                                              CCScaleTo::actionWithDuration(d, 1))),
        CCRepeatForever::actionWithAction(CCSpawn::actionOneTwo(
            CCEaseInOut::actionWithAction(CCRotateBy::actionWithDuration(d, 30), 2),
            seq(CCFadeOut::actionWithDuration(d), CCFadeIn::actionWithDuration(d)))),
    };
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QGraphicsScene scene;
    std::vector<GraphicItem*> sprites;
    for (int i = 0; i < kSprites; ++i) {
        GraphicItem* sprite = new GraphicItem(nullptr, nullptr);
        sprite->setPos((i % 40) * 25, (i / 40) * 25);
        scene.addItem(sprite);
        sprites.push_back(sprite);
    }
    CCActionManager* manager = CCActionManager::get();
    int actions = 0;
    for (int i = 0; i < kSprites; ++i) {
        for (CCAction* a : actionsFor(i)) {
            manager->addAction(a, sprites[i], false);
            ++actions;
        }
    }

    for (int i = 0; i < kWarmUpTicks; ++i)
        manager->update(kTick);
    std::vector<double> times;
    times.reserve(kMeasuredTicks);
    for (int i = 0; i < kMeasuredTicks; ++i) {
        const auto start = std::chrono::steady_clock::now();
        manager->update(kTick);
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    int running = 0;
    for (GraphicItem* sprite : sprites)
        running += manager->numberOfRunningActionsInTarget(sprite);

    std::printf("scheduler: %d sprites, %d actions added, %d running after %d ticks\n", kSprites, actions, running,
                kWarmUpTicks + kMeasuredTicks);
    std::printf("tick median      %9.3f ms\n", times[times.size() / 2]);
    std::printf("tick slowest     %9.3f ms  (target 2 ms)\n", times.back());

    CCActionManager::destroy();
    return running == kSprites * kActionsPerSprite ? 0 : 1;
}
