// "On Collision" actions released inside real physics steps.

#include "Actions/CollisionAction.h"
#include "CCActionManager.h"
#include "CCIntervalActions.h"
#include "Items/GraphicItem.h"

#include <QtTest>

#include <chipmunk/chipmunk.h>

#include <memory>

namespace {

const float kTick = 0.033333335f;

// An action that only counts its steps.
class CountingAction : public CCActionInterval
{
public:
    CountingAction() { initWithDuration(1); }
    void step(float dt) override
    {
        CCActionInterval::step(dt);
        ++steps;
    }
    int steps = 0;
};

} // namespace

class TestCollisionAction : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void releasedByMatchingPair_data();
    void releasedByMatchingPair();
    void actionsShareOneHandler();
    void releaseRunsInnerActionThroughScheduler();
    void unblockOutsideStepLeavesAtOnce();
    void registeringTwiceIsIdempotent();
    void nullSpaceNeverRegisters();
    void nestedActionWaitsForItsOwnCollision();

private:
    // Two overlapping circles of the given collision types, on bodies whose
    // user data carries "uid" 5 and 7.
    void makeBodies(cpCollisionType typeA, cpCollisionType typeB);
    void stepSpace() { cpSpaceStep(space, 1.0 / 30); }
    CollisionActionArray* listOf(cpCollisionType a, cpCollisionType b)
    {
        cpCollisionHandler* h = getCollisionHandler(space, a, b);
        return h->postSolveFunc == collisionPostSolve ? static_cast<CollisionActionArray*>(h->userData) : nullptr;
    }

    cpSpace* space = nullptr;
    QObject itemA;
    QObject itemB;
    std::vector<cpBody*> bodies;
    std::vector<cpShape*> shapes;
};

void TestCollisionAction::init()
{
    space = cpSpaceNew();
    itemA.setProperty("uid", 5);
    itemB.setProperty("uid", 7);
}

void TestCollisionAction::cleanup()
{
    CCActionManager::destroy();
    for (cpShape* s : shapes) {
        cpSpaceRemoveShape(space, s);
        cpShapeFree(s);
    }
    for (cpBody* b : bodies) {
        cpSpaceRemoveBody(space, b);
        cpBodyFree(b);
    }
    shapes.clear();
    bodies.clear();
    cpSpaceFree(space);
    space = nullptr;
}

void TestCollisionAction::makeBodies(cpCollisionType typeA, cpCollisionType typeB)
{
    const cpCollisionType types[2] = { typeA, typeB };
    QObject* items[2] = { &itemA, &itemB };
    for (int i = 0; i < 2; ++i) {
        cpBody* body = cpSpaceAddBody(space, cpBodyNew(1, cpMomentForCircle(1, 0, 10, cpvzero)));
        cpBodySetPosition(body, cpv(i * 15, 0));
        cpBodySetUserData(body, items[i]);
        cpShape* shape = cpSpaceAddShape(space, cpCircleShapeNew(body, 10, cpvzero));
        cpShapeSetCollisionType(shape, types[i]);
        bodies.push_back(body);
        shapes.push_back(shape);
    }
}

// The circle with "uid" 5 has the first shape type, the one with 7 the second.
void TestCollisionAction::releasedByMatchingPair_data()
{
    QTest::addColumn<int>("shapeTypeA");
    QTest::addColumn<int>("shapeTypeB");
    QTest::addColumn<int>("type1");
    QTest::addColumn<int>("type2");
    QTest::addColumn<int>("uid1");
    QTest::addColumn<int>("uid2");
    QTest::addColumn<bool>("released");

    QTest::newRow("any pair") << 1 << 2 << 1 << 2 << -1 << -1 << true;
    QTest::newRow("first uid matches") << 1 << 2 << 1 << 2 << 5 << -1 << true;
    QTest::newRow("first uid differs") << 1 << 2 << 1 << 2 << 7 << -1 << false;
    QTest::newRow("second uid matches") << 1 << 2 << 1 << 2 << -1 << 7 << true;
    QTest::newRow("both uids match") << 1 << 2 << 1 << 2 << 5 << 7 << true;
    QTest::newRow("uids swapped, unequal types") << 1 << 2 << 1 << 2 << 7 << 5 << false;
    QTest::newRow("types given the other way") << 1 << 2 << 2 << 1 << 7 << 5 << true;
    QTest::newRow("types other way, uids not") << 1 << 2 << 2 << 1 << 5 << 7 << false;
    QTest::newRow("other type pair") << 1 << 2 << 1 << 3 << -1 << -1 << false;
    QTest::newRow("equal types") << 3 << 3 << 3 << 3 << 5 << 7 << true;
    QTest::newRow("equal types, crossed") << 3 << 3 << 3 << 3 << 7 << 5 << true;
    QTest::newRow("equal types, one uid wrong") << 3 << 3 << 3 << 3 << 5 << 9 << false;
    QTest::newRow("equal types, same uid twice") << 3 << 3 << 3 << 3 << 5 << 5 << false;
}

void TestCollisionAction::releasedByMatchingPair()
{
    QFETCH(int, shapeTypeA);
    QFETCH(int, shapeTypeB);
    QFETCH(int, type1);
    QFETCH(int, type2);
    QFETCH(int, uid1);
    QFETCH(int, uid2);
    QFETCH(bool, released);

    makeBodies(shapeTypeA, shapeTypeB);
    // The pair's handler made in the shapes' order first, as an earlier action
    // of the level would: it keeps that order for every later action.
    getCollisionHandler(space, shapeTypeA, shapeTypeB);
    std::unique_ptr<CollisionAction> action(
        CollisionAction::actionWithAction(new CountingAction, space, type1, type2, uid1, uid2));
    action->startWithTarget(nullptr);
    QVERIFY(listOf(type1, type2));
    stepSpace();
    QCOMPARE(action->isUnblocked(), released);
    // A released action has left its list after the step; the handler is back
    // to its default callback as it was the last.
    QCOMPARE(listOf(type1, type2) != nullptr, !released);
}

void TestCollisionAction::actionsShareOneHandler()
{
    makeBodies(1, 2);
    CountingAction* innerOne = new CountingAction;
    std::unique_ptr<CollisionAction> one(CollisionAction::actionWithAction(innerOne, space, 1, 2, 9, 9));
    std::unique_ptr<CollisionAction> two(CollisionAction::actionWithAction(new CountingAction, space, 2, 1, 9, 9));
    one->startWithTarget(nullptr);
    two->startWithTarget(nullptr);
    QCOMPARE(getCollisionHandler(space, 1, 2), getCollisionHandler(space, 2, 1));
    CollisionActionArray* list = listOf(1, 2);
    QVERIFY(list);
    QCOMPARE(list->size(), size_t(2));

    one.reset();
    QCOMPARE(listOf(1, 2), list);
    QCOMPARE(list->size(), size_t(1));
    QCOMPARE(list->front(), two.get());

    two.reset();
    cpCollisionHandler* handler = getCollisionHandler(space, 1, 2);
    QVERIFY(handler->postSolveFunc != collisionPostSolve);
    QCOMPARE(handler->userData, nullptr);
    // The shapes still collide as usual, and nothing reaches the deleted actions.
    for (int i = 0; i < 3; ++i)
        stepSpace();
    QVERIFY(cpvlength(cpvsub(cpBodyGetPosition(bodies[0]), cpBodyGetPosition(bodies[1]))) > 15);
}

// The scheduler steps the action without effect until the physics step
// releases it; then the inner move runs and the action is deleted when done.
void TestCollisionAction::releaseRunsInnerActionThroughScheduler()
{
    makeBodies(1, 2);
    GraphicItem sprite(nullptr, space);
    CCActionManager* manager = CCActionManager::get();
    manager->addAction(CollisionAction::actionWithAction(CCMoveBy::actionWithDuration(1, QPointF(30, 0)), space, 1, 2, -1, -1),
                       &sprite, false);
    for (int i = 0; i < 10; ++i)
        manager->update(kTick);
    QCOMPARE(sprite.pos(), QPointF(0, 0));
    QCOMPARE(manager->numberOfRunningActionsInTarget(&sprite), 1);

    stepSpace();
    QCOMPARE(listOf(1, 2), nullptr);
    for (int i = 0; i < 31; ++i)
        manager->update(kTick);
    QCOMPARE(sprite.pos(), QPointF(30, 0));
    manager->update(kTick);
    QCOMPARE(manager->numberOfRunningActionsInTarget(&sprite), 0);
    manager->update(kTick);
    QCOMPARE(sprite.pos(), QPointF(0, 0));
    stepSpace();
}

// Released by hand, outside any physics step: no post-step callback is left
// behind to reach the action after it is deleted.
void TestCollisionAction::unblockOutsideStepLeavesAtOnce()
{
    makeBodies(1, 2);
    CollisionAction* action = CollisionAction::actionWithAction(new CountingAction, space, 1, 2, -1, -1);
    action->startWithTarget(nullptr);
    action->unblock();
    QVERIFY(action->isUnblocked());
    QCOMPARE(listOf(1, 2), nullptr);
    delete action;
    stepSpace();
    stepSpace();
}

void TestCollisionAction::registeringTwiceIsIdempotent()
{
    makeBodies(1, 2);
    std::unique_ptr<CollisionAction> action(CollisionAction::actionWithAction(new CountingAction, space, 1, 2, 9, 9));
    action->startWithTarget(nullptr);
    action->startWithTarget(nullptr);
    addCollisionActionToHandler(action.get(), space);
    QCOMPARE(listOf(1, 2)->size(), size_t(1));
    action.reset();
    QCOMPARE(listOf(1, 2), nullptr);
    stepSpace();
}

void TestCollisionAction::nullSpaceNeverRegisters()
{
    CountingAction* inner = new CountingAction;
    std::unique_ptr<CollisionAction> action(CollisionAction::actionWithAction(inner, nullptr, 1, 2, -1, -1));
    QVERIFY(action);
    action->startWithTarget(nullptr);
    action->step(kTick);
    QCOMPARE(inner->steps, 0);
    QVERIFY(!action->isDone());
    QCOMPARE(CollisionAction::actionWithAction(nullptr, space, 1, 2, -1, -1), nullptr);
}

// An inner collision action registers when the outer one starts; releasing
// the outer one leaves the inner one waiting for its own pair.
void TestCollisionAction::nestedActionWaitsForItsOwnCollision()
{
    makeBodies(1, 2);
    CountingAction* innermost = new CountingAction;
    CollisionAction* inner = CollisionAction::actionWithAction(innermost, space, 1, 2, 9, -1);
    std::unique_ptr<CollisionAction> outer(CollisionAction::actionWithAction(inner, space, 1, 2, 5, 7));
    outer->startWithTarget(nullptr);
    QCOMPARE(listOf(1, 2)->size(), size_t(2));
    stepSpace();
    QVERIFY(outer->isUnblocked());
    QVERIFY(!inner->isUnblocked());
    QCOMPARE(listOf(1, 2)->size(), size_t(1));
    for (int i = 0; i < 5; ++i)
        outer->step(kTick);
    QCOMPARE(innermost->steps, 0);
    outer.reset();
    QCOMPARE(listOf(1, 2), nullptr);
    stepSpace();
}

QTEST_MAIN(TestCollisionAction)
#include "tst_collisionaction.moc"
