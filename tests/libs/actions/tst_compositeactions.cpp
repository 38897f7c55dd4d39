// Actions over other actions: phases, padding, repeats, reverses, ownership
// of the parts, and the blocking wrapper.

#include "ActionTestSupport.h"
#include "CCBlockingAction.h"
#include "CCCompositeActions.h"
#include "CCIntervalActions.h"

#include <QtTest>

#include <functional>
#include <memory>

// Declared before the first data table names the type: a later declaration
// specialises QMetaTypeId after its use, which GCC refuses when optimising.
Q_DECLARE_METATYPE(std::function<CCAction*()>)

class TestCompositeActions : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sequencePhases();
    void sequenceRunsSkippedFirstPhase();
    void spawnPadsShorterPart();
    void repeatRestartsInnerAction();
    void repeatOvershootLeavesStartState();
    void repeatForeverRestarts();
    void reverseTimeAndSpeed();
    void compositeReverses();
    void reverseOverActionWithoutReverse_data();
    void reverseOverActionWithoutReverse();
    void nullPartsFail_data();
    void nullPartsFail();
    void partsDeletedWithComposite();
    void actionsWithArray_data();
    void actionsWithArray();
    void variadicFold();
    void blockingHoldsInnerAction();

private:
    TestTarget* sprite = nullptr;
    int liveAtStart = 0;
};

void TestCompositeActions::init()
{
    sprite = new TestTarget;
    liveAtStart = RecordingAction::live();
}

void TestCompositeActions::cleanup()
{
    delete sprite;
    sprite = nullptr;
    // No test leaves a part behind.
    QCOMPARE(RecordingAction::live(), liveAtStart);
}

// 1 s then 1 s: at t = 0.5 the first part gets its end and stops, the second
// starts at 0.
void TestCompositeActions::sequencePhases()
{
    RecordingAction* one = RecordingAction::actionWithDuration(1);
    RecordingAction* two = RecordingAction::actionWithDuration(1);
    std::unique_ptr<CCSequence> seq(CCSequence::actionOneTwo(one, two));
    QCOMPARE(seq->getDuration(), 2.0f);
    seq->startWithTarget(sprite);
    seq->update(0);
    seq->update(0.25f);
    QCOMPARE(one->updates, (QVector<float>{ 0, 0.5f }));
    seq->update(0.5f);
    QCOMPARE(one->updates.last(), 1.0f);
    QCOMPARE(one->stops, 1);
    QCOMPARE(two->starts, 1);
    QCOMPARE(two->updates, (QVector<float>{ 0 }));
    seq->update(1);
    QCOMPARE(two->updates.last(), 1.0f);
    seq->stop();
    QCOMPARE(two->stops, 1);
}

// A zero first part (0.000001) is passed at once: start, end and stop before
// the second part starts.
void TestCompositeActions::sequenceRunsSkippedFirstPhase()
{
    RecordingAction* one = RecordingAction::actionWithDuration(0);
    RecordingAction* two = RecordingAction::actionWithDuration(1);
    std::unique_ptr<CCSequence> seq(CCSequence::actionOneTwo(one, two));
    seq->startWithTarget(sprite);
    seq->update(0.5f);
    QCOMPARE(one->starts, 1);
    QCOMPARE(one->updates, (QVector<float>{ 1 }));
    QCOMPARE(one->stops, 1);
    QCOMPARE(two->starts, 1);
    QCOMPARE(two->updates.size(), 1);
}

void TestCompositeActions::spawnPadsShorterPart()
{
    RecordingAction* shortPart = RecordingAction::actionWithDuration(1);
    RecordingAction* longPart = RecordingAction::actionWithDuration(3);
    std::unique_ptr<CCSpawn> spawn(CCSpawn::actionOneTwo(shortPart, longPart));
    QCOMPARE(spawn->getDuration(), 3.0f);
    spawn->startWithTarget(sprite);
    spawn->update(0.5f);
    // The short part, followed by a 2 s delay, has ended by a third.
    QCOMPARE(shortPart->updates.last(), 1.0f);
    QCOMPARE(longPart->updates.last(), 0.5f);
}

// Repeat of a 1 s move by (10, 0), twice.
void TestCompositeActions::repeatRestartsInnerAction()
{
    std::unique_ptr<CCRepeat> repeat(CCRepeat::actionWithAction(CCMoveBy::actionWithDuration(1, QPointF(10, 0)), 2));
    QCOMPARE(repeat->getDuration(), 2.0f);
    repeat->startWithTarget(sprite);
    repeat->update(0.25f);
    QCOMPARE(sprite->pos(), QPointF(5, 0));
    repeat->update(0.75f); // crosses the half: restarted from (10, 0)
    QCOMPARE(sprite->pos(), QPointF(15, 0));
    QVERIFY(!repeat->isDone());
    repeat->update(1);
    QCOMPARE(sprite->pos(), QPointF(20, 0));
    QVERIFY(repeat->isDone());
}

// An easing that overshoots crosses the last boundary: the inner action is
// left at the start state of its last run.
void TestCompositeActions::repeatOvershootLeavesStartState()
{
    std::unique_ptr<CCRepeat> repeat(CCRepeat::actionWithAction(CCMoveBy::actionWithDuration(1, QPointF(10, 0)), 2));
    repeat->startWithTarget(sprite);
    repeat->update(0.75f);
    repeat->update(1.2f);
    QVERIFY(repeat->isDone());
    QCOMPARE(sprite->pos(), QPointF(20, 0));
}

void TestCompositeActions::repeatForeverRestarts()
{
    RecordingAction* inner = RecordingAction::actionWithDuration(0.1f);
    std::unique_ptr<CCRepeatForever> looping(CCRepeatForever::actionWithAction(inner));
    looping->startWithTarget(sprite);
    for (int i = 0; i < 40; ++i)
        looping->step(kTick);
    QVERIFY(!looping->isDone());
    QVERIFY(inner->starts >= 8);
    // Each restart applies the inner start state.
    QVERIFY(inner->updates.count(0.0f) >= 8);
}

void TestCompositeActions::reverseTimeAndSpeed()
{
    RecordingAction* inner = RecordingAction::actionWithDuration(1);
    std::unique_ptr<CCReverseTime> back(CCReverseTime::actionWithAction(inner));
    back->startWithTarget(sprite);
    back->update(0.25f);
    QCOMPARE(inner->updates, (QVector<float>{ 0.75f }));
    QCOMPARE(back->reverse(), nullptr);

    std::unique_ptr<CCSpeed> fast(CCSpeed::actionWithAction(CCMoveBy::actionWithDuration(1, QPointF(10, 0)), 2));
    fast->startWithTarget(sprite);
    int steps = 0;
    while (!fast->isDone() && steps < 100) {
        fast->step(kTick);
        ++steps;
    }
    QCOMPARE(steps, 16);
    QCOMPARE(sprite->pos(), QPointF(10, 0));
    std::unique_ptr<CCSpeed> slow(fast->reverse());
    QVERIFY(slow);
    QCOMPARE(slow->getSpeed(), 2.0f);
}

// A reversed composite played after the original brings the sprite back.
void TestCompositeActions::compositeReverses()
{
    const auto build = [] {
        return QList<CCFiniteTimeAction*>{
            CCSequence::actionOneTwo(CCMoveBy::actionWithDuration(1, QPointF(30, 0)), CCRotateBy::actionWithDuration(1, 45)),
            CCSpawn::actionOneTwo(CCMoveBy::actionWithDuration(1, QPointF(0, 20)), CCScaleBy::actionWithDuration(2, 2)),
            CCRepeat::actionWithAction(CCMoveBy::actionWithDuration(1, QPointF(5, 5)), 3),
        };
    };
    for (CCFiniteTimeAction* action : build()) {
        std::unique_ptr<CCFiniteTimeAction> owned(action);
        std::unique_ptr<CCFiniteTimeAction> reversed(action->reverse());
        QVERIFY(reversed);
        QCOMPARE(reversed->getDuration(), action->getDuration());
        sprite->setPos(1, 2);
        sprite->setRotation(0);
        sprite->setScale(1);
        action->startWithTarget(sprite);
        action->update(0);
        action->update(0.5f);
        action->update(1);
        reversed->startWithTarget(sprite);
        reversed->update(0);
        reversed->update(0.5f);
        reversed->update(1);
        QCOMPARE(sprite->pos(), QPointF(1, 2));
        QCOMPARE(sprite->rotation(), 0.0);
        QCOMPARE(sprite->scale(), 1.0);
    }
}

// Over a part without a reverse (Move To) the composite has none either,
// and the reverses already made are not leaked.
void TestCompositeActions::reverseOverActionWithoutReverse_data()
{
    QTest::addColumn<std::shared_ptr<CCFiniteTimeAction>>("action");
    auto row = [](const char* name, CCFiniteTimeAction* a) {
        QTest::newRow(name) << std::shared_ptr<CCFiniteTimeAction>(a);
    };
    auto moveTo = [] { return CCMoveTo::actionWithDuration(1, QPointF(1, 1)); };
    row("sequence, first part", CCSequence::actionOneTwo(moveTo(), RecordingAction::actionWithDuration(1)));
    row("sequence, second part", CCSequence::actionOneTwo(CCDelayTime::actionWithDuration(1), moveTo()));
    row("spawn", CCSpawn::actionOneTwo(CCDelayTime::actionWithDuration(2), moveTo()));
    row("repeat", CCRepeat::actionWithAction(moveTo(), 2));
    row("repeat forever", CCRepeatForever::actionWithAction(moveTo()));
}

void TestCompositeActions::reverseOverActionWithoutReverse()
{
    QFETCH(std::shared_ptr<CCFiniteTimeAction>, action);
    QCOMPARE(action->reverse(), nullptr);
}

// Every factory over a missing part fails and deletes the part it was given.
void TestCompositeActions::nullPartsFail_data()
{
    QTest::addColumn<std::function<CCAction*()>>("make");
    auto part = [] { return RecordingAction::actionWithDuration(1); };
    QTest::newRow("sequence, second") << std::function<CCAction*()>([=] { return CCSequence::actionOneTwo(part(), nullptr); });
    QTest::newRow("sequence, first") << std::function<CCAction*()>([=] { return CCSequence::actionOneTwo(nullptr, part()); });
    QTest::newRow("spawn") << std::function<CCAction*()>([=] { return CCSpawn::actionOneTwo(nullptr, part()); });
    QTest::newRow("repeat") << std::function<CCAction*()>([] { return CCRepeat::actionWithAction(nullptr, 2); });
    QTest::newRow("repeat forever") << std::function<CCAction*()>([] { return CCRepeatForever::actionWithAction(nullptr); });
    QTest::newRow("reverse time") << std::function<CCAction*()>([] { return CCReverseTime::actionWithAction(nullptr); });
    QTest::newRow("speed") << std::function<CCAction*()>([] { return CCSpeed::actionWithAction(nullptr, 2); });
    QTest::newRow("blocking") << std::function<CCAction*()>([] { return CCBlockingAction::actionWithAction(nullptr); });
}

void TestCompositeActions::nullPartsFail()
{
    QFETCH(std::function<CCAction*()>, make);
    QCOMPARE(make(), nullptr);
}

void TestCompositeActions::partsDeletedWithComposite()
{
    delete CCSequence::actionOneTwo(RecordingAction::actionWithDuration(1), RecordingAction::actionWithDuration(2));
    delete CCSpawn::actionOneTwo(RecordingAction::actionWithDuration(1), RecordingAction::actionWithDuration(2));
    delete CCRepeat::actionWithAction(RecordingAction::actionWithDuration(1), 3);
    delete CCRepeatForever::actionWithAction(RecordingAction::actionWithDuration(1));
    delete CCSpeed::actionWithAction(RecordingAction::actionWithDuration(1), 2);
    delete CCBlockingAction::actionWithAction(RecordingAction::actionWithDuration(1));
    QCOMPARE(RecordingAction::live(), liveAtStart);
}

// Lists of parts given as durations; 0 stands for an action that is no
// finite-time action (a blocking action).
void TestCompositeActions::actionsWithArray_data()
{
    QTest::addColumn<QList<float>>("parts");
    QTest::addColumn<float>("sequenceDuration");
    QTest::addColumn<float>("spawnDuration");

    QTest::newRow("three parts fold from the left") << QList<float>{ 1, 2, 3 } << 6.0f << 3.0f;
    QTest::newRow("one part is itself") << QList<float>{ 2 } << 2.0f << 2.0f;
    QTest::newRow("later blocking part skipped") << QList<float>{ 1, 0, 2 } << 3.0f << 2.0f;
    QTest::newRow("first blocking part gives null") << QList<float>{ 0, 1, 2 } << -1.0f << -1.0f;
    QTest::newRow("empty list gives null") << QList<float>{} << -1.0f << -1.0f;
}

void TestCompositeActions::actionsWithArray()
{
    QFETCH(QList<float>, parts);
    QFETCH(float, sequenceDuration);
    QFETCH(float, spawnDuration);

    for (int kind = 0; kind < 2; ++kind) {
        QList<CCAction*> list;
        for (float d : parts) {
            if (d == 0)
                list.append(CCBlockingAction::actionWithAction(RecordingAction::actionWithDuration(1)));
            else
                list.append(RecordingAction::actionWithDuration(d));
        }
        std::unique_ptr<CCFiniteTimeAction> result(kind == 0 ? CCSequence::actionsWithArray(list)
                                                               : CCSpawn::actionsWithArray(list));
        const float expected = kind == 0 ? sequenceDuration : spawnDuration;
        if (expected < 0) {
            QCOMPARE(result.get(), nullptr);
        } else {
            QVERIFY(result);
            QCOMPARE(result->getDuration(), expected);
        }
        result.reset();
        QCOMPARE(RecordingAction::live(), liveAtStart);
    }
}

void TestCompositeActions::variadicFold()
{
    std::unique_ptr<CCFiniteTimeAction> seq(CCSequence::actions(RecordingAction::actionWithDuration(1),
                                                               RecordingAction::actionWithDuration(2),
                                                               RecordingAction::actionWithDuration(4), nullptr));
    QCOMPARE(seq->getDuration(), 7.0f);
    std::unique_ptr<CCFiniteTimeAction> spawn(CCSpawn::actions(RecordingAction::actionWithDuration(1),
                                                              RecordingAction::actionWithDuration(2), nullptr));
    QCOMPARE(spawn->getDuration(), 2.0f);
}

// The inner action starts with the blocking one but is stepped only after
// the release.
void TestCompositeActions::blockingHoldsInnerAction()
{
    RecordingAction* inner = RecordingAction::actionWithDuration(0.1f);
    std::unique_ptr<CCBlockingAction> blocking(CCBlockingAction::actionWithAction(inner));
    blocking->startWithTarget(sprite);
    QCOMPARE(inner->starts, 1);
    for (int i = 0; i < 10; ++i)
        blocking->step(kTick);
    QVERIFY(inner->updates.isEmpty());
    QVERIFY(!blocking->isDone());
    blocking->unblock();
    QVERIFY(!blocking->isDone());
    for (int i = 0; i < 5; ++i)
        blocking->step(kTick);
    QCOMPARE(inner->updates.first(), 0.0f);
    QVERIFY(blocking->isDone());
    blocking->stop();
    QCOMPARE(inner->stops, 1);
    // A restart blocks again.
    blocking->startWithTarget(sprite);
    QVERIFY(!blocking->isUnblocked());
}

QTEST_MAIN(TestCompositeActions)
#include "tst_compositeactions.moc"
