// The scheduler driven tick by tick, with the exact single-precision values a
// preview shows.

#include "ActionTestSupport.h"
#include "CCActionEase.h"
#include "CCActionManager.h"
#include "CCCompositeActions.h"
#include "CCIntervalActions.h"

#include <QtTest>

#include <cmath>

class TestActionManager : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void moveByTimeline_data();
    void moveByTimeline();
    void rotateToShortestTurn_data();
    void rotateToShortestTurn();
    void scaleBy();
    void easeInOut_data();
    void easeInOut();
    void sequenceSwitchesPhaseAtTick31();
    void repeatTwiceEndsAtTwenty();
    void repeatLandingOnBoundaryDoesNotJumpBack();
    void spawnPadsShorterPart();
    void repeatForeverIsNeverRemoved();
    void zeroAndNegativeDuration_data();
    void zeroAndNegativeDuration();
    void pauseAndResume();
    void removeAllActionsRestoresAtOnce();
    void shorterTopLevelActionGoesFirst();
    void playTwiceSnapshotsTheSameState();
    void deletedSpriteLeavesScheduler();
    void spriteDeletedDuringTick();

private:
    CCActionManager* manager() { return CCActionManager::get(); }
    TestTarget* sprite = nullptr;
};

void TestActionManager::init()
{
    sprite = new TestTarget;
}

void TestActionManager::cleanup()
{
    delete sprite;
    sprite = nullptr;
    CCActionManager::destroy();
}

// Move By (1 s, (50, 50)) from (0, 0): the first tick applies the start, the
// end shows at tick 31 (elapsed 1.00000036), the action goes at tick 32 and
// the sprite snaps back at tick 33.
void TestActionManager::moveByTimeline_data()
{
    QTest::addColumn<int>("ticks");
    QTest::addColumn<double>("x");
    QTest::addColumn<int>("running");

    QTest::newRow("first tick is the start") << 1 << 0.0 << 1;
    QTest::newRow("tick 2") << 2 << 1.666666753590107 << 1;
    QTest::newRow("tick 16") << 16 << 25.0 << 1;
    QTest::newRow("tick 30") << 30 << 48.33335280418396 << 1;
    QTest::newRow("tick 31 done") << 31 << 50.0 << 1;
    QTest::newRow("tick 32 deleted") << 32 << 50.0 << 0;
    QTest::newRow("tick 33 snapshot back") << 33 << 0.0 << 0;
}

void TestActionManager::moveByTimeline()
{
    QFETCH(int, ticks);
    QFETCH(double, x);
    QFETCH(int, running);

    CCMoveBy* move = CCMoveBy::actionWithDuration(1, QPointF(50, 50));
    manager()->addAction(move, sprite, false);
    tick(ticks);
    QCOMPARE(sprite->pos().x(), x);
    QCOMPARE(sprite->pos().y(), x);
    QCOMPARE(manager()->numberOfRunningActionsInTarget(sprite), running);
    if (ticks == 31)
        QVERIFY(move->isDone());
}

void TestActionManager::rotateToShortestTurn_data()
{
    QTest::addColumn<double>("from");
    QTest::addColumn<float>("to");
    QTest::addColumn<double>("first");
    QTest::addColumn<double>("end");

    QTest::newRow("300 to 90 turns forward") << 300.0 << 90.0f << 300.0 << 450.0;
    QTest::newRow("-190 to 0 turns backward") << -190.0 << 0.0f << -190.0 << -360.0;
    QTest::newRow("0 to 720 turns once") << 0.0 << 720.0f << 0.0 << 360.0;
    QTest::newRow("730 reduced to 10, to 0") << 730.0 << 0.0f << 10.0 << 0.0;
    QTest::newRow("-730 reduced to -10, to 350") << -730.0 << 350.0f << -10.0 << -10.0;
}

void TestActionManager::rotateToShortestTurn()
{
    QFETCH(double, from);
    QFETCH(float, to);
    QFETCH(double, first);
    QFETCH(double, end);

    sprite->setRotation(from);
    manager()->addAction(CCRotateTo::actionWithDuration(1, to), sprite, false);
    tick(1);
    QCOMPARE(sprite->rotation(), first);
    tick(30);
    QCOMPARE(sprite->rotation(), end);
    tick(2);
    QCOMPARE(sprite->rotation(), from);
}

void TestActionManager::scaleBy()
{
    sprite->setScale(1.5);
    manager()->addAction(CCScaleBy::actionWithDuration(1, 2), sprite, false);
    tick(16);
    QCOMPARE(sprite->scale(), 2.25); // 1.5 + 1.5 * 0.5
    tick(15);
    QCOMPARE(sprite->scale(), 3.0);
    tick(2);
    QCOMPARE(sprite->scale(), 1.5);
}

void TestActionManager::easeInOut_data()
{
    QTest::addColumn<float>("rate");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<double>("x");

    // Tick 16 is t = 0.5 exactly; tick 8 is t = 7/30, tick 24 is t = 23/30.
    QTest::newRow("rate 2 middle") << 2.0f << 16 << 50.0;
    QTest::newRow("rate 2 early") << 2.0f << 8 << 0.5 * std::pow(14 / 30.0, 2) * 100;
    QTest::newRow("rate 2 late") << 2.0f << 24 << (1 - 0.5 * std::pow(2 - 46 / 30.0, 2)) * 100;
    QTest::newRow("rate 3 middle") << 3.0f << 16 << 50.0;
    QTest::newRow("rate 3 early") << 3.0f << 8 << 0.5 * std::pow(14 / 30.0, 3) * 100;
    QTest::newRow("rate 3 late") << 3.0f << 24 << (1 - 0.5 * std::pow(2 - 46 / 30.0, 3)) * 100;
    QTest::newRow("rate 3 end") << 3.0f << 31 << 100.0;
}

void TestActionManager::easeInOut()
{
    QFETCH(float, rate);
    QFETCH(int, ticks);
    QFETCH(double, x);

    manager()->addAction(CCEaseInOut::actionWithAction(CCMoveBy::actionWithDuration(1, QPointF(100, 0)), rate),
                         sprite, false);
    tick(ticks);
    QCOMPARE(float(sprite->pos().x()), float(x));
}

// Move (1 s) then rotate (1 s): tick 31 is the first past the split, so the
// move is finished and the rotation starts.
void TestActionManager::sequenceSwitchesPhaseAtTick31()
{
    manager()->addAction(CCSequence::actionOneTwo(CCMoveBy::actionWithDuration(1, QPointF(30, 0)),
                                                  CCRotateBy::actionWithDuration(1, 90)),
                         sprite, false);
    tick(30);
    QVERIFY(sprite->pos().x() < 30);
    QCOMPARE(sprite->rotation(), 0.0);
    tick(1);
    QCOMPARE(sprite->pos().x(), 30.0);
    QVERIFY(sprite->rotation() > 0 && sprite->rotation() < 0.001);
    tick(30);
    QVERIFY(sprite->rotation() > 80 && sprite->rotation() < 90);
    tick(1);
    QCOMPARE(sprite->rotation(), 90.0);
    QCOMPARE(sprite->pos().x(), 30.0);
}

void TestActionManager::repeatTwiceEndsAtTwenty()
{
    CCRepeat* repeat = CCRepeat::actionWithAction(CCMoveBy::actionWithDuration(1, QPointF(10, 0)), 2);
    manager()->addAction(repeat, sprite, false);
    double previous = -1;
    int ticks = 0;
    while (!repeat->isDone() && ticks < 100) {
        tick();
        ++ticks;
        QVERIFY2(sprite->pos().x() >= previous, qPrintable(QString("went back at tick %1").arg(ticks)));
        previous = sprite->pos().x();
    }
    QCOMPARE(ticks, 62); // elapsed 1.9999994 at tick 61
    QCOMPARE(sprite->pos(), QPointF(20, 0));
}

// Three repeats of 0.5 s: at tick 16 t * 3 is exactly 1, a whole repetition.
void TestActionManager::repeatLandingOnBoundaryDoesNotJumpBack()
{
    manager()->addAction(CCRepeat::actionWithAction(CCMoveBy::actionWithDuration(0.5f, QPointF(10, 0)), 3),
                         sprite, false);
    tick(15);
    QVERIFY(sprite->pos().x() > 9 && sprite->pos().x() < 10);
    tick(1);
    QCOMPARE(sprite->pos().x(), 10.0);
    tick(1);
    QVERIFY(sprite->pos().x() > 10);
}

// A 1 s move beside a 3 s rotation: the move ends at a third of the spawn and
// the sprite stays there while the rotation goes on.
void TestActionManager::spawnPadsShorterPart()
{
    CCSpawn* spawn = CCSpawn::actionOneTwo(CCMoveBy::actionWithDuration(1, QPointF(30, 0)),
                                           CCRotateBy::actionWithDuration(3, 90));
    QCOMPARE(spawn->getDuration(), 3.0f);
    manager()->addAction(spawn, sprite, false);
    tick(30);
    QVERIFY(sprite->pos().x() < 30);
    tick(1); // t = 0.333333462, just past the move's end
    QCOMPARE(sprite->pos().x(), 30.0);
    tick(59);
    QCOMPARE(sprite->pos().x(), 30.0);
    QVERIFY(sprite->rotation() < 90);
    tick(1); // tick 91
    QVERIFY(!spawn->isDone());
    tick(1);
    QVERIFY(spawn->isDone());
    QCOMPARE(sprite->rotation(), 90.0);
    QCOMPARE(sprite->pos().x(), 30.0);
}

void TestActionManager::repeatForeverIsNeverRemoved()
{
    manager()->addAction(CCRepeatForever::actionWithAction(CCSequence::actionOneTwo(
                             CCMoveBy::actionWithDuration(1, QPointF(10, 0)), CCMoveBy::actionWithDuration(1, QPointF(-10, 0)))),
                         sprite, false);
    double largest = 0;
    for (int i = 0; i < 200; ++i) {
        tick();
        largest = qMax(largest, sprite->pos().x());
        QVERIFY(sprite->pos().x() >= 0 && sprite->pos().x() <= 10);
    }
    QVERIFY(largest > 9.99); // it keeps turning back
    QCOMPARE(manager()->numberOfRunningActionsInTarget(sprite), 1);
    manager()->removeAllActionsFromTarget(sprite);
    QCOMPARE(sprite->pos(), QPointF(0, 0));
}

// Zero is kept as 0.000001: start, end, deleted, snapshot back. A negative
// duration is done as soon as it starts and is never stepped.
void TestActionManager::zeroAndNegativeDuration_data()
{
    QTest::addColumn<float>("duration");
    QTest::addColumn<QList<double>>("xPerTick");
    QTest::addColumn<QList<int>>("runningPerTick");

    QTest::newRow("zero") << 0.0f << QList<double>{ 0, 10, 10, 0 } << QList<int>{ 1, 1, 0, 0 };
    QTest::newRow("negative") << -1.0f << QList<double>{ 0, 0, 0 } << QList<int>{ 0, 0, 0 };
}

void TestActionManager::zeroAndNegativeDuration()
{
    QFETCH(float, duration);
    QFETCH(QList<double>, xPerTick);
    QFETCH(QList<int>, runningPerTick);

    CCMoveBy* move = CCMoveBy::actionWithDuration(duration, QPointF(10, 0));
    QCOMPARE(move->getDuration(), duration == 0 ? 0.000001f : duration);
    manager()->addAction(move, sprite, false);
    for (int i = 0; i < xPerTick.size(); ++i) {
        tick();
        QCOMPARE(sprite->pos().x(), xPerTick.at(i));
        QCOMPARE(manager()->numberOfRunningActionsInTarget(sprite), runningPerTick.at(i));
    }
}

void TestActionManager::pauseAndResume()
{
    manager()->addAction(CCMoveBy::actionWithDuration(1, QPointF(30, 0)), sprite, false);
    tick(10);
    const double x = sprite->pos().x();
    manager()->pauseTarget(sprite);
    tick(100);
    QCOMPARE(sprite->pos().x(), x);
    QCOMPARE(manager()->numberOfRunningActionsInTarget(sprite), 1);
    manager()->resumeTarget(sprite);
    tick(21);
    QCOMPARE(sprite->pos().x(), 30.0);
    // Pausing or resuming a sprite without actions does nothing.
    TestTarget other;
    manager()->pauseTarget(&other);
    manager()->resumeTarget(&other);
    QCOMPARE(manager()->numberOfRunningActionsInTarget(&other), 0);
}

void TestActionManager::removeAllActionsRestoresAtOnce()
{
    sprite->setPos(5, 6);
    sprite->setRotation(10);
    sprite->setOpacity(0.75);
    sprite->setScale(2);
    manager()->addAction(CCMoveBy::actionWithDuration(2, QPointF(30, 0)), sprite, false);
    manager()->addAction(CCRotateBy::actionWithDuration(2, 90), sprite, false);
    manager()->addAction(CCFadeOut::actionWithDuration(2), sprite, false);
    manager()->addAction(CCScaleTo::actionWithDuration(2, 4), sprite, false);
    tick(20);
    QVERIFY(sprite->pos().x() > 5 && sprite->rotation() > 10 && sprite->opacity() < 0.75 && sprite->scale() > 2);
    QCOMPARE(manager()->numberOfRunningActionsInTarget(sprite), 4);

    manager()->removeAllActionsFromTarget(sprite);
    QCOMPARE(sprite->pos(), QPointF(5, 6));
    QCOMPARE(sprite->rotation(), 10.0);
    QCOMPARE(sprite->opacity(), 0.75);
    QCOMPARE(sprite->scale(), 2.0);
    QCOMPARE(manager()->numberOfRunningActionsInTarget(sprite), 0);
    tick(5);
    QCOMPARE(sprite->pos(), QPointF(5, 6));
}

// Two top-level actions of 1 s and 3 s: the short one goes first, the sprite
// keeps what it left, and the snapshot comes back after the long one.
void TestActionManager::shorterTopLevelActionGoesFirst()
{
    manager()->addAction(CCMoveBy::actionWithDuration(1, QPointF(30, 0)), sprite, false);
    manager()->addAction(CCRotateBy::actionWithDuration(3, 90), sprite, false);
    tick(32);
    QCOMPARE(manager()->numberOfRunningActionsInTarget(sprite), 1);
    tick(60);
    QCOMPARE(sprite->pos().x(), 30.0);
    QCOMPARE(sprite->rotation(), 90.0);
    tick(2);
    QCOMPARE(sprite->pos().x(), 0.0);
    QCOMPARE(sprite->rotation(), 0.0);
}

void TestActionManager::playTwiceSnapshotsTheSameState()
{
    for (int play = 0; play < 2; ++play) {
        manager()->removeAllActionsFromTarget(sprite);
        QCOMPARE(sprite->pos(), QPointF(0, 0));
        manager()->addAction(CCMoveBy::actionWithDuration(1, QPointF(30, 0)), sprite, false);
        tick(10);
    }
    manager()->removeAllActionsFromTarget(sprite);
    QCOMPARE(sprite->pos(), QPointF(0, 0));
}

// The sprite's destructor takes its actions out of the scheduler, so later
// ticks and removals never reach the freed sprite (AddressSanitizer shows it).
void TestActionManager::deletedSpriteLeavesScheduler()
{
    TestTarget* doomed = new TestTarget;
    manager()->addAction(CCRepeatForever::actionWithAction(CCRotateBy::actionWithDuration(1, 90)), doomed, false);
    manager()->addAction(RecordingAction::actionWithDuration(1), doomed, false);
    manager()->addAction(CCMoveBy::actionWithDuration(1, QPointF(10, 0)), sprite, false);
    tick(3);
    const int before = RecordingAction::live();
    delete doomed;
    QCOMPARE(RecordingAction::live(), before - 1);
    QCOMPARE(manager()->numberOfRunningActionsInTarget(doomed), 0);
    tick(5);
    manager()->removeAllActionsFromTarget(doomed);
    // The other sprite runs on.
    QCOMPARE(manager()->numberOfRunningActionsInTarget(sprite), 1);
    QVERIFY(sprite->pos().x() > 0);

    // A sprite made afterwards, even at the same address, starts afresh.
    TestTarget* next = new TestTarget;
    QCOMPARE(manager()->numberOfRunningActionsInTarget(next), 0);
    delete next;
}

namespace {

// Deletes other sprites from inside its step.
class DeletingAction : public CCActionInterval
{
public:
    explicit DeletingAction(QList<TestTarget*>* victims)
        : victims(victims)
    {
        initWithDuration(10);
    }
    void step(float dt) override
    {
        CCActionInterval::step(dt);
        qDeleteAll(*victims);
        victims->clear();
    }

private:
    QList<TestTarget*>* victims;
};

} // namespace

// Sprites destroyed while the tick runs are skipped for the rest of it,
// wherever they come in the walk, and their elements are never touched again.
void TestActionManager::spriteDeletedDuringTick()
{
    QList<TestTarget*> victims;
    for (int i = 0; i < 6; ++i) {
        TestTarget* victim = new TestTarget;
        manager()->addAction(CCRepeatForever::actionWithAction(CCMoveBy::actionWithDuration(1, QPointF(1, 0))),
                             victim, false);
        manager()->addAction(CCMoveBy::actionWithDuration(1, QPointF(1, 0)), victim, false);
        victims.append(victim);
    }
    manager()->addAction(new DeletingAction(&victims), sprite, false);
    tick(5);
    QVERIFY(victims.isEmpty());
    QCOMPARE(manager()->numberOfRunningActionsInTarget(sprite), 1);
}

QTEST_MAIN(TestActionManager)
#include "tst_actionmanager.moc"
