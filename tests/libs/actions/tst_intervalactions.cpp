// The base classes and the simple actions, stepped by hand on a real sprite.

#include "ActionTestSupport.h"
#include "CCInstantActions.h"
#include "CCIntervalActions.h"

#include <QtTest>

#include <memory>

class TestIntervalActions : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstStepAppliesStartAndDiscardsTime();
    void zeroDurationEndsOnSecondStep();
    void negativeDurationIsDoneAtStart();
    void nanDurationNeverFinishes();
    void instantStepsUpdateOnce();
    void endStates_data();
    void endStates();
    void scaleToUsesXFactorOnly();
    void jumpArc();
    void toActionsRestartFromTheirEndPoint();
    void blink_data();
    void blink();
    void fadeToMapsOpacityRange();
    void instantActions();
    void reverses_data();
    void reverses();
    void noReverse_data();
    void noReverse();

private:
    TestTarget* sprite = nullptr;
};

void TestIntervalActions::init()
{
    sprite = new TestTarget;
}

void TestIntervalActions::cleanup()
{
    delete sprite;
    sprite = nullptr;
}

void TestIntervalActions::firstStepAppliesStartAndDiscardsTime()
{
    std::unique_ptr<RecordingAction> a(RecordingAction::actionWithDuration(2));
    a->startWithTarget(sprite);
    a->step(100);
    a->step(0.5f);
    QCOMPARE(a->updates, (QVector<float>{ 0, 0.25f }));
    // A restart resets the elapsed time and discards the next dt again.
    a->startWithTarget(sprite);
    QCOMPARE(a->getElapsed(), 0.0f);
    a->step(1);
    a->step(1);
    a->step(5);
    QCOMPARE(a->updates.mid(2), (QVector<float>{ 0, 0.5f, 1 }));
    QVERIFY(a->isDone());
}

void TestIntervalActions::zeroDurationEndsOnSecondStep()
{
    std::unique_ptr<RecordingAction> a(RecordingAction::actionWithDuration(0));
    QCOMPARE(a->getDuration(), 0.000001f);
    a->startWithTarget(sprite);
    a->step(kTick);
    QVERIFY(!a->isDone());
    a->step(kTick);
    QCOMPARE(a->updates, (QVector<float>{ 0, 1 }));
    QVERIFY(a->isDone());
}

void TestIntervalActions::negativeDurationIsDoneAtStart()
{
    std::unique_ptr<RecordingAction> a(RecordingAction::actionWithDuration(-1));
    a->startWithTarget(sprite);
    QVERIFY(a->isDone());
}

void TestIntervalActions::nanDurationNeverFinishes()
{
    std::unique_ptr<RecordingAction> a(RecordingAction::actionWithDuration(qQNaN()));
    a->startWithTarget(sprite);
    for (int i = 0; i < 5; ++i)
        a->step(kTick);
    QVERIFY(!a->isDone());
    // A quotient that is not a number is clamped to the end.
    QCOMPARE(a->updates.last(), 1.0f);
}

namespace {
class RecordingInstant : public CCActionInstant
{
public:
    void update(float t) override { updates.append(t); }
    QVector<float> updates;
};
} // namespace

void TestIntervalActions::instantStepsUpdateOnce()
{
    RecordingInstant a;
    QVERIFY(a.isDone());
    a.startWithTarget(sprite);
    a.step(0);
    a.step(7);
    QCOMPARE(a.updates, (QVector<float>{ 1, 1 }));
    QVERIFY(a.isDone());
    QCOMPARE(a.getDuration(), 0.0f);
}

// Each action from the sprite at (10, 20), rotation 30, scale 2, opacity 1,
// half way and at its end.
void TestIntervalActions::endStates_data()
{
    QTest::addColumn<std::shared_ptr<CCFiniteTimeAction>>("action");
    QTest::addColumn<QPointF>("halfPos");
    QTest::addColumn<QPointF>("endPos");
    QTest::addColumn<double>("halfRotation");
    QTest::addColumn<double>("endRotation");
    QTest::addColumn<double>("endScale");
    QTest::addColumn<double>("endOpacity");

    auto row = [](const char* name, CCFiniteTimeAction* a) -> QTestData& {
        return QTest::newRow(name) << std::shared_ptr<CCFiniteTimeAction>(a);
    };
    const QPointF p(10, 20);
    row("move to", CCMoveTo::actionWithDuration(1, QPointF(30, 0))) << QPointF(20, 10) << QPointF(30, 0) << 30.0 << 30.0 << 2.0 << 1.0;
    row("move by", CCMoveBy::actionWithDuration(1, QPointF(30, 0))) << QPointF(25, 20) << QPointF(40, 20) << 30.0 << 30.0 << 2.0 << 1.0;
    row("rotate by", CCRotateBy::actionWithDuration(1, -90)) << p << p << -15.0 << -60.0 << 2.0 << 1.0;
    row("rotate to", CCRotateTo::actionWithDuration(1, 90)) << p << p << 60.0 << 90.0 << 2.0 << 1.0;
    row("scale to", CCScaleTo::actionWithDuration(1, 3)) << p << p << 30.0 << 30.0 << 3.0 << 1.0;
    row("scale by", CCScaleBy::actionWithDuration(1, 3)) << p << p << 30.0 << 30.0 << 6.0 << 1.0;
    row("jump by", CCJumpBy::actionWithDuration(1, QPointF(40, 0), 5, 1)) << QPointF(30, 25) << QPointF(50, 20) << 30.0 << 30.0 << 2.0 << 1.0;
    _ccBezierConfig c;
    c.controlPoint_1 = QPointF(0, 40);
    c.controlPoint_2 = QPointF(40, 40);
    c.endPosition = QPointF(40, 0);
    row("bezier by", CCBezierBy::actionWithDuration(1, c)) << QPointF(30, 50) << QPointF(50, 20) << 30.0 << 30.0 << 2.0 << 1.0;
    row("fade out", CCFadeOut::actionWithDuration(1)) << p << p << 30.0 << 30.0 << 2.0 << 0.0;
    row("delay", CCDelayTime::actionWithDuration(1)) << p << p << 30.0 << 30.0 << 2.0 << 1.0;
}

void TestIntervalActions::endStates()
{
    QFETCH(std::shared_ptr<CCFiniteTimeAction>, action);
    QFETCH(QPointF, halfPos);
    QFETCH(QPointF, endPos);
    QFETCH(double, halfRotation);
    QFETCH(double, endRotation);
    QFETCH(double, endScale);
    QFETCH(double, endOpacity);

    sprite->setPos(10, 20);
    sprite->setRotation(30);
    sprite->setScale(2);
    action->startWithTarget(sprite);
    action->update(0.5f);
    QCOMPARE(sprite->pos(), halfPos);
    QCOMPARE(sprite->rotation(), halfRotation);
    action->update(1);
    QCOMPARE(sprite->pos(), endPos);
    QCOMPARE(sprite->rotation(), endRotation);
    QCOMPARE(sprite->scale(), endScale);
    QCOMPARE(sprite->opacity(), endOpacity);
    action->stop();
    QCOMPARE(action->getTarget(), nullptr);
    // Without a target nothing is touched.
    action->update(0);
    QCOMPARE(sprite->pos(), endPos);
}

void TestIntervalActions::scaleToUsesXFactorOnly()
{
    std::unique_ptr<CCScaleTo> a(CCScaleTo::actionWithDuration(1, 3, 7));
    a->startWithTarget(sprite);
    a->update(1);
    QCOMPARE(sprite->scale(), 3.0);
}

// Two jumps of height 20 over (100, 0): the top of the first arc at a quarter.
void TestIntervalActions::jumpArc()
{
    std::unique_ptr<CCJumpBy> a(CCJumpBy::actionWithDuration(1, QPointF(100, 0), 20, 2));
    a->startWithTarget(sprite);
    a->update(0.25f);
    QCOMPARE(sprite->pos(), QPointF(25, 20));
    a->update(0.5f);
    QCOMPARE(sprite->pos(), QPointF(50, 0));
    QCOMPARE(bezierat(0, 40, 40, 0, 0.5f), 30.0f);
}

// A Jump To or Bezier To started again (as a repeat does) heads for the same
// end point, not for one shifted by the first start.
void TestIntervalActions::toActionsRestartFromTheirEndPoint()
{
    std::unique_ptr<CCJumpTo> jump(CCJumpTo::actionWithDuration(1, QPointF(50, 0), 10, 1));
    _ccBezierConfig c;
    c.endPosition = QPointF(50, 0);
    c.controlPoint_1 = QPointF(0, 10);
    c.controlPoint_2 = QPointF(50, 10);
    std::unique_ptr<CCBezierTo> bezier(CCBezierTo::actionWithDuration(1, c));
    for (CCFiniteTimeAction* a : { static_cast<CCFiniteTimeAction*>(jump.get()), static_cast<CCFiniteTimeAction*>(bezier.get()) }) {
        sprite->setPos(10, 0);
        for (int run = 0; run < 2; ++run) {
            a->startWithTarget(sprite);
            a->update(1);
            QCOMPARE(sprite->pos(), QPointF(50, 0));
        }
    }
}

void TestIntervalActions::blink_data()
{
    QTest::addColumn<unsigned>("times");
    QTest::addColumn<float>("t");
    QTest::addColumn<bool>("visible");

    QTest::newRow("2: first quarter hidden") << 2u << 0.1f << false;
    QTest::newRow("2: second quarter shown") << 2u << 0.4f << true;
    QTest::newRow("2: third quarter hidden") << 2u << 0.6f << false;
    QTest::newRow("0: stays hidden") << 0u << 0.9f << false;
}

void TestIntervalActions::blink()
{
    QFETCH(unsigned, times);
    QFETCH(float, t);
    QFETCH(bool, visible);

    std::unique_ptr<CCBlink> a(CCBlink::actionWithDuration(1, times));
    a->startWithTarget(sprite);
    a->update(t);
    QCOMPARE(sprite->isVisible(), visible);
}

void TestIntervalActions::fadeToMapsOpacityRange()
{
    sprite->setOpacity(0.2);
    std::unique_ptr<CCFadeTo> a(CCFadeTo::actionWithDuration(1, 255));
    a->startWithTarget(sprite);
    a->update(0);
    QCOMPARE(float(sprite->opacity()), 51 / 255.0f);
    a->update(1);
    QCOMPARE(sprite->opacity(), 1.0);
    std::unique_ptr<CCFadeTo> down(CCFadeTo::actionWithDuration(1, 0));
    down->startWithTarget(sprite);
    down->update(0.5f);
    QCOMPARE(float(sprite->opacity()), 127.5f / 255);
}

void TestIntervalActions::instantActions()
{
    std::unique_ptr<CCAction> hide(CCHide::action());
    hide->startWithTarget(sprite);
    QVERIFY(!sprite->isVisible());
    std::unique_ptr<CCAction> toggle(CCToggleVisibility::action());
    toggle->startWithTarget(sprite);
    QVERIFY(sprite->isVisible());
    toggle->startWithTarget(sprite);
    QVERIFY(!sprite->isVisible());
    std::unique_ptr<CCAction> show(CCShow::action());
    show->startWithTarget(sprite);
    QVERIFY(sprite->isVisible());

    std::unique_ptr<CCAction> place(CCPlace::actionWithPosition(QPointF(3, 4)));
    place->startWithTarget(sprite);
    QCOMPARE(sprite->pos(), QPointF(3, 4));

    std::unique_ptr<CCFlipX> flipX(CCFlipX::actionWithFlipX(true));
    flipX->startWithTarget(sprite);
    QVERIFY(sprite->flipX());
    std::unique_ptr<CCFiniteTimeAction> unflipX(flipX->reverse());
    unflipX->startWithTarget(sprite);
    QVERIFY(!sprite->flipX());
    std::unique_ptr<CCFlipY> flipY(CCFlipY::actionWithFlipY(true));
    flipY->startWithTarget(sprite);
    QVERIFY(sprite->flipY());
}

// A reverse started where the action ended brings the sprite back.
void TestIntervalActions::reverses_data()
{
    QTest::addColumn<std::shared_ptr<CCFiniteTimeAction>>("action");

    auto row = [](const char* name, CCFiniteTimeAction* a) {
        QTest::newRow(name) << std::shared_ptr<CCFiniteTimeAction>(a);
    };
    row("move by", CCMoveBy::actionWithDuration(1, QPointF(30, -10)));
    row("rotate by", CCRotateBy::actionWithDuration(1, 75));
    row("scale by", CCScaleBy::actionWithDuration(1, 4));
    row("jump by", CCJumpBy::actionWithDuration(1, QPointF(40, 8), 5, 3));
    _ccBezierConfig c;
    c.controlPoint_1 = QPointF(0, 40);
    c.controlPoint_2 = QPointF(40, 30);
    c.endPosition = QPointF(40, 10);
    row("bezier by", CCBezierBy::actionWithDuration(1, c));
    row("fade in", CCFadeIn::actionWithDuration(1));
    row("fade out", CCFadeOut::actionWithDuration(1));
    row("blink", CCBlink::actionWithDuration(1, 3));
    row("delay", CCDelayTime::actionWithDuration(1));
}

void TestIntervalActions::reverses()
{
    QFETCH(std::shared_ptr<CCFiniteTimeAction>, action);

    sprite->setPos(5, 5);
    sprite->setRotation(10);
    sprite->setScale(0.5);
    const QPointF pos = sprite->pos();
    const double rotation = sprite->rotation();
    const double scale = sprite->scale();

    std::unique_ptr<CCFiniteTimeAction> reversed(action->reverse());
    QVERIFY(reversed);
    QCOMPARE(reversed->getDuration(), action->getDuration());
    action->startWithTarget(sprite);
    action->update(0);
    const double startOpacity = sprite->opacity();
    action->update(1);
    reversed->startWithTarget(sprite);
    reversed->update(1);
    QCOMPARE(sprite->pos(), pos);
    QCOMPARE(sprite->rotation(), rotation);
    QCOMPARE(sprite->scale(), scale);
    QCOMPARE(sprite->opacity(), startOpacity);
}

void TestIntervalActions::noReverse_data()
{
    QTest::addColumn<std::shared_ptr<CCFiniteTimeAction>>("action");
    auto row = [](const char* name, CCFiniteTimeAction* a) {
        QTest::newRow(name) << std::shared_ptr<CCFiniteTimeAction>(a);
    };
    row("move to", CCMoveTo::actionWithDuration(1, QPointF(1, 1)));
    row("rotate to", CCRotateTo::actionWithDuration(1, 10));
    row("scale to", CCScaleTo::actionWithDuration(1, 2));
    row("fade to", CCFadeTo::actionWithDuration(1, 10));
    row("interval", CCActionInterval::actionWithDuration(1));
    row("toggle", CCToggleVisibility::action());
    row("place", CCPlace::actionWithPosition(QPointF(1, 1)));
}

void TestIntervalActions::noReverse()
{
    QFETCH(std::shared_ptr<CCFiniteTimeAction>, action);
    QCOMPARE(action->reverse(), nullptr);
}

QTEST_MAIN(TestIntervalActions)
#include "tst_intervalactions.moc"
