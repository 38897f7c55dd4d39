#include "Items/ConstraintItem.h"
#include "Items/ShapeItem.h"
#include "Toolkit/cpSupport.h"
#include "cpCompat.h"

#include <QGraphicsEllipseItem>
#include <QGraphicsRectItem>
#include <QPointer>
#include <QtTest>

#include <cmath>
#include <limits>

#include "SpaceTestSupport.h"

namespace {

const double kStep = 1.0 / 30.0;
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

// The smallest concrete shape item: a circle drawn as an ellipse.
class TestCircleItem : public ShapeItem, public QGraphicsEllipseItem
{
public:
    TestCircleItem(cpSpace* space, cpShape* shape)
        : ShapeItem(space, shape)
        , QGraphicsEllipseItem(-10, -10, 20, 20)
    {
        adjust();
    }

    void adjust() override
    {
        ShapeItemAdjust(this, cpshape());
        if (syncPair())
            syncPair()->sync();
    }

    void adjustShape() override
    {
        cpBody* b = cpShapeGetBody(cpshape());
        cpBodySetPosition(b, cpv(pos().x(), pos().y()));
        cpBodySetAngle(b, rotation() * radiansPerDegree);
        cpSpaceReindexShapesForBody(space(), b);
    }
};

// A sprite stand-in that takes the position of the item it follows.
class FollowerItem : public AbstractSyncItem, public QGraphicsRectItem
{
public:
    void sync(AbstractSyncItem* other) override
    {
        if (QGraphicsItem* leader = dynamic_cast<QGraphicsItem*>(other)) {
            setPos(leader->pos());
            setRotation(leader->rotation());
        }
    }
};

class TestJoint : public ConstraintItem
{
public:
    using ConstraintItem::ConstraintItem;
    void adjust() override { ++adjusted; }
    int adjusted = 0;
};

void collectBodyItem(cpBody* body, void* data)
{
    if (QObject* object = static_cast<QObject*>(cpBodyGetUserData(body)))
        static_cast<QList<QObject*>*>(data)->append(object);
}

} // namespace

class TestShapeItem : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void newItemNamesItself();
    void negativeMassMakesBodyStatic();
    void infiniteMassCanReturnToTheSpace();
    void moment();
    void refusedValuesKeepTheOldOne_data();
    void refusedValuesKeepTheOldOne();
    void staticBodyIsNeverWritten();
    void layers();
    void layerRows_data();
    void layerRows();
    void shapeFields();
    void forceKeepsActing();
    void adjustAfterStepping();
    void teardownFreesLastBodyAndEndsJoints();
    void teardownKeepsSharedBodyAndHandsOverUserData();
    void staticBodyUserDataHandOver();
    void unownedConstraintLeavesBeforeBodyIsFreed();
    void gluedItemFreesItsOwnBody();
    void unsolvableJointsLeaveTheSpace();
    void spriteFollowsAndIsUnlinked();

private:
    cpShape* makeCircle(cpVect at, double mass = 130, double moment = 5000);
    TestCircleItem* makeItem(cpVect at, double mass = 130, double moment = 5000);
    void step(int times = 3);
    int bodyCount() const { return ::bodyCount(m_space); }
    int constraintCount() const { return ::constraintCount(m_space); }

    cpSpace* m_space = nullptr;
    QList<QGraphicsItem*> m_items; // deleted before the space
};

void TestShapeItem::init()
{
    m_space = cpSpaceNew();
    cpSpaceSetIterations(m_space, 25);
    cpSpaceSetGravity(m_space, cpv(0, -10));
}

void TestShapeItem::cleanup()
{
    qDeleteAll(m_items);
    m_items.clear();
    flushDeletes();
    cpSpaceFree(m_space);
    m_space = nullptr;
}

cpShape* TestShapeItem::makeCircle(cpVect at, double mass, double moment)
{
    cpBody* body = cpSpaceAddBody(m_space, cpBodyNew(mass, moment));
    cpBodySetPosition(body, at);
    cpShape* shape = cpSpaceAddShape(m_space, cpCircleShapeNew(body, 10, cpvzero));
    cpShapeSetFriction(shape, 0.8);
    cpShapeSetElasticity(shape, 0.5);
    return shape;
}

TestCircleItem* TestShapeItem::makeItem(cpVect at, double mass, double moment)
{
    TestCircleItem* item = new TestCircleItem(m_space, makeCircle(at, mass, moment));
    m_items.append(item);
    return item;
}

void TestShapeItem::step(int times)
{
    for (int i = 0; i < times; ++i)
        cpSpaceStep(m_space, kStep);
}

void TestShapeItem::newItemNamesItself()
{
    TestCircleItem* item = makeItem(cpv(5, 6), 130);
    cpBody* body = cpShapeGetBody(item->cpshape());
    QCOMPARE(item->objectName(), QStringLiteral("mass: 130"));
    QCOMPARE(item->property("uid"), QVariant(-1));
    QCOMPARE(cpBodyGetUserData(body), static_cast<void*>(static_cast<QObject*>(item)));
    QVERIFY(item->bodyInSpace());
    QCOMPARE(item->pos(), QPointF(5, 6));

    // A later item on the same body leaves the body naming the first one.
    cpShape* second = cpSpaceAddShape(m_space, cpCircleShapeNew(body, 3, cpv(4, 0)));
    TestCircleItem* other = new TestCircleItem(m_space, second);
    m_items.prepend(other);
    QCOMPARE(cpBodyGetUserData(body), static_cast<void*>(static_cast<QObject*>(item)));

    item->setMass(0.5f);
    QCOMPARE(item->objectName(), QStringLiteral("mass: 0.5"));
    QCOMPARE(other->mass(), 0.5f);
}

void TestShapeItem::negativeMassMakesBodyStatic()
{
    TestCircleItem* item = makeItem(cpv(0, 0), 130, 5000);
    cpBody* body = cpShapeGetBody(item->cpshape());

    QVERIFY(item->setProperty("Mass", -1.0f));
    QVERIFY(std::isinf(item->mass()));
    QVERIFY(std::isinf(item->moment()));
    QVERIFY(!item->bodyInSpace());
    QVERIFY(!cpSpaceContainsBody(m_space, body));
    QCOMPARE(item->objectName(), QStringLiteral("mass: static"));
    step();
    QCOMPARE(item->pos(), QPointF(0, 0));

    // A second negative mass keeps the moment put aside by the first.
    item->setMass(-1);
    item->setMass(10);
    QCOMPARE(item->mass(), 10.0f);
    QCOMPARE(item->moment(), 5000.0f);
    QCOMPARE(item->objectName(), QStringLiteral("mass: 10"));
    QVERIFY(!item->bodyInSpace());

    item->setBodyInSpace(true);
    QVERIFY(item->bodyInSpace());
    step();
    QVERIFY(cpBodyGetPosition(body).y < 0);

    // Infinity typed in asks for infinite mass as well.
    item->setMass(kInf);
    QCOMPARE(item->objectName(), QStringLiteral("mass: static"));
    QVERIFY(!item->bodyInSpace());
}

void TestShapeItem::infiniteMassCanReturnToTheSpace()
{
    TestCircleItem* item = makeItem(cpv(0, 0));
    TestCircleItem* ground = makeItem(cpv(0, -15));
    item->setMass(-1);
    item->setBodyInSpace(true);
    QVERIFY(item->bodyInSpace());
    // Resting on another body while immovable must step without trouble.
    step(10);
    QCOMPARE(item->pos(), QPointF(0, 0));
    QVERIFY(cpBodyGetPosition(cpShapeGetBody(ground->cpshape())).y < -15);

    item->setMass(20);
    QVERIFY(item->bodyInSpace());
    QCOMPARE(item->moment(), 5000.0f);
    step();
    QVERIFY(item->velocity().y() < 0);
}

void TestShapeItem::moment()
{
    TestCircleItem* item = makeItem(cpv(0, 0));
    QVERIFY(item->setProperty("Moment", -1.0f));
    QVERIFY(std::isinf(item->moment()));
    QCOMPARE(item->objectName(), QStringLiteral("mass: 130"));
    step();
    item->setMoment(250);
    QCOMPARE(item->moment(), 250.0f);
}

void TestShapeItem::refusedValuesKeepTheOldOne_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("value");

    QTest::newRow("mass 0") << QByteArray("Mass") << QVariant(0.0f);
    QTest::newRow("mass NaN") << QByteArray("Mass") << QVariant(kNaN);
    QTest::newRow("moment 0") << QByteArray("Moment") << QVariant(0.0f);
    QTest::newRow("moment NaN") << QByteArray("Moment") << QVariant(kNaN);
    QTest::newRow("elasticity negative") << QByteArray("Elasticity") << QVariant(-0.5f);
    QTest::newRow("elasticity NaN") << QByteArray("Elasticity") << QVariant(kNaN);
    QTest::newRow("elasticity infinite") << QByteArray("Elasticity") << QVariant(kInf);
    QTest::newRow("friction negative") << QByteArray("Friction") << QVariant(-1.0f);
    QTest::newRow("friction NaN") << QByteArray("Friction") << QVariant(kNaN);
    QTest::newRow("friction infinite") << QByteArray("Friction") << QVariant(kInf);
    QTest::newRow("velocity NaN") << QByteArray("Velocity") << QVariant(QPointF(qQNaN(), 1));
    QTest::newRow("velocity infinite") << QByteArray("Velocity") << QVariant(QPointF(1, qInf()));
    QTest::newRow("force NaN") << QByteArray("Force") << QVariant(QPointF(2, qQNaN()));
    QTest::newRow("force infinite") << QByteArray("Force") << QVariant(QPointF(-qInf(), 0));
    // Finite but absurd: a few steps later the velocity overflows and Chipmunk aborts.
    QTest::newRow("mass tiny") << QByteArray("Mass") << QVariant(1e-30f);
    QTest::newRow("mass huge") << QByteArray("Mass") << QVariant(1e30f);
    QTest::newRow("moment tiny") << QByteArray("Moment") << QVariant(1e-30f);
    QTest::newRow("velocity huge") << QByteArray("Velocity") << QVariant(QPointF(1e300, 0));
    QTest::newRow("force huge") << QByteArray("Force") << QVariant(QPointF(0, -1e30));
}

// Values that would make Chipmunk abort, at once or in the next step.
void TestShapeItem::refusedValuesKeepTheOldOne()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, value);

    TestCircleItem* item = makeItem(cpv(0, 0));
    item->setVelocity(QPointF(1, 2));
    item->setForce(QPointF(3, 4));
    const QVariant before = item->property(property);

    item->setProperty(property, value);
    QCOMPARE(item->property(property), before);
    QCOMPARE(item->objectName(), QStringLiteral("mass: 130"));
    step();
}

void TestShapeItem::staticBodyIsNeverWritten()
{
    cpBody* staticBody = cpSpaceGetStaticBody(m_space);
    cpShape* segment = cpSpaceAddShape(m_space, cpSegmentShapeNew(staticBody, cpv(-50, 0), cpv(50, 0), 1));
    TestCircleItem* item = new TestCircleItem(m_space, segment);
    m_items.append(item);

    QCOMPARE(item->objectName(), QStringLiteral("mass: static"));
    QVERIFY(!item->bodyInSpace());

    item->setMass(10);
    item->setMass(-1);
    item->setMoment(5);
    item->setMoment(-1);
    item->setBodyInSpace(true);
    item->setBodyInSpace(false);
    item->setVelocity(QPointF(3, 3));
    item->setForce(QPointF(3, 3));

    QVERIFY(!item->bodyInSpace());
    QCOMPARE(item->objectName(), QStringLiteral("mass: static"));
    QCOMPARE(cpBodyGetType(staticBody), CP_BODY_TYPE_STATIC);
    QVERIFY(std::isinf(cpBodyGetMass(staticBody)));
    QCOMPARE(item->velocity(), QPointF(0, 0));
    QCOMPARE(item->force(), QPointF(0, 0));

    // Shape values still apply to a static shape.
    item->setFriction(0.3f);
    QCOMPARE(item->friction(), 0.3f);
    makeItem(cpv(0, 20));
    step(20);
}

void TestShapeItem::layers()
{
    TestCircleItem* item = makeItem(cpv(0, 0));
    item->setLayers(0);
    QVERIFY(item->setProperty("Layer_1", true));
    QCOMPARE(item->layers(), 1);
    item->setProperty("Layer_32", true);
    QCOMPARE(item->layers(), int(0x80000001u));
    QVERIFY(item->layers() < 0);
    QCOMPARE(item->property("Layer_32"), QVariant(true));
    QCOMPARE(item->property("Layer_2"), QVariant(false));
    item->setProperty("Layer_1", false);
    QCOMPARE(item->layers(), int(0x80000000u));

    item->setProperty("Layers", -1);
    for (int n = 1; n <= 32; ++n)
        QVERIFY2(item->property(QByteArray("Layer_") + QByteArray::number(n)).toBool(), QByteArray::number(n));

    // Layers are the filter's categories and mask alike.
    item->setLayers(0x0F0u);
    const cpShapeFilter filter = cpShapeGetFilter(item->cpshape());
    QCOMPARE(filter.categories, cpBitmask(0x0F0u));
    QCOMPARE(filter.mask, cpBitmask(0x0F0u));
}

void TestShapeItem::layerRows_data()
{
    QTest::addColumn<int>("n");
    for (int n = 1; n <= 32; ++n)
        QTest::newRow(qPrintable(QStringLiteral("Layer_%1").arg(n))) << n;
}

// Each layer row is a panel property of its own, right after Layers in bit
// order, and reads and writes bit n-1 alone.
void TestShapeItem::layerRows()
{
    QFETCH(int, n);
    const QByteArray name = QByteArray("Layer_") + QByteArray::number(n);
    const QMetaObject* meta = &ShapeItem::staticMetaObject;
    const int index = meta->indexOfProperty(name);
    QVERIFY(index >= 0);
    QCOMPARE(index, meta->indexOfProperty("Layers") + n);
    const QMetaProperty row = meta->property(index);
    QCOMPARE(row.metaType(), QMetaType::fromType<bool>());
    QVERIFY(row.isReadable() && row.isWritable() && row.isDesignable() && row.isScriptable());
    QVERIFY(row.isStored() && row.isUser());

    TestCircleItem* item = makeItem(cpv(0, 0));
    const unsigned int bit = 1u << (n - 1);
    item->setLayers(0);
    QVERIFY(item->setProperty(name, true));
    QCOMPARE(static_cast<unsigned int>(item->layers()), bit);
    item->setLayers(~bit);
    QCOMPARE(item->property(name), QVariant(false));
    QVERIFY(item->setProperty(name, true));
    QCOMPARE(item->layers(), -1);
    item->setProperty(name, false);
    QCOMPARE(static_cast<unsigned int>(item->layers()), ~bit);
}

void TestShapeItem::shapeFields()
{
    TestCircleItem* item = makeItem(cpv(0, 0));
    QCOMPARE(item->property("Sensor"), QVariant(false));
    item->setProperty("Sensor", true);
    QVERIFY(item->sensor());
    QVERIFY(cpShapeGetSensor(item->cpshape()));
    item->setSensor(false);
    QVERIFY(!item->sensor());

    item->setProperty("CollisionType", 7);
    QCOMPARE(item->collisionType(), 7);
    item->setCollisionType(-1);
    QCOMPARE(item->collisionType(), -1);

    item->setProperty("Group", 3);
    // QGraphicsItem has a group() of its own.
    QCOMPARE(static_cast<ShapeItem*>(item)->group(), 3);
    QCOMPARE(cpShapeGetFilter(item->cpshape()).group, cpGroup(3));

    item->setProperty("Elasticity", 0.0f);
    QCOMPARE(item->elasticity(), 0.0f);
    step();
}

void TestShapeItem::forceKeepsActing()
{
    cpSpaceSetGravity(m_space, cpvzero);
    TestCircleItem* item = makeItem(cpv(0, 0), 10);
    item->setProperty("Force", QPointF(0, 300));
    step(3);
    QCOMPARE(item->force(), QPointF(0, 300));
    // Three steps of a = F/m = 30.
    QVERIFY(qAbs(item->velocity().y() - 3 * 30 * kStep) < 1e-9);

    item->setForce(QPointF(0, 0));
    const QPointF velocity = item->velocity();
    step(3);
    QCOMPARE(item->velocity(), velocity);
}

// The canvas's tick: step, then adjust the item named by every body.
void TestShapeItem::adjustAfterStepping()
{
    TestCircleItem* falling = makeItem(cpv(10, 100));
    TestCircleItem* turned = makeItem(cpv(-40, 0));
    cpBodySetAngle(cpShapeGetBody(turned->cpshape()), M_PI / 2);
    turned->setMass(-1);
    turned->setBodyInSpace(true);

    // Chipmunk moves a body by the velocity it had before the step.
    step(2);
    QList<QObject*> objects;
    cpSpaceEachBody(m_space, collectBodyItem, &objects);
    QCOMPARE(objects.size(), 2);
    for (QObject* object : objects)
        dynamic_cast<ShapeItem*>(object)->adjust();

    const cpVect p = cpBodyGetPosition(cpShapeGetBody(falling->cpshape()));
    QVERIFY(p.y < 100);
    QCOMPARE(falling->pos(), QPointF(p.x, p.y));
    QVERIFY(qAbs(turned->rotation() - 90.0) < 1e-4);
}

void TestShapeItem::teardownFreesLastBodyAndEndsJoints()
{
    TestCircleItem* a = makeItem(cpv(0, 0));
    TestCircleItem* b = makeItem(cpv(50, 0));
    cpBody* bodyA = cpShapeGetBody(a->cpshape());
    cpBody* bodyB = cpShapeGetBody(b->cpshape());

    QPointer<TestJoint> bound = new TestJoint(m_space, cpPinJointNew(bodyA, bodyB, cpvzero, cpvzero));
    bound->addToSpace();
    QPointer<TestJoint> other = new TestJoint(m_space, cpPivotJointNew(bodyB, cpSpaceGetStaticBody(m_space), cpv(50, 0)));
    other->addToSpace();
    QCOMPARE(constraintCount(), 2);

    m_items.removeOne(a);
    delete a;
    // The joint left the space at once and dies with the next deferred deletion.
    QCOMPARE(constraintCount(), 1);
    QVERIFY(bound);
    QCOMPARE(bodyCount(), 1);
    flushDeletes();
    QVERIFY(!bound);
    QVERIFY(other);
    step();

    m_items.removeOne(b);
    delete b;
    flushDeletes();
    QVERIFY(!other);
    QCOMPARE(bodyCount(), 0);
    QCOMPARE(constraintCount(), 0);
    step();
}

void TestShapeItem::teardownKeepsSharedBodyAndHandsOverUserData()
{
    TestCircleItem* first = makeItem(cpv(0, 0));
    cpBody* body = cpShapeGetBody(first->cpshape());
    TestCircleItem* second = new TestCircleItem(m_space, cpSpaceAddShape(m_space, cpCircleShapeNew(body, 4, cpv(12, 0))));
    m_items.append(second);
    QPointer<TestJoint> joint = new TestJoint(m_space, cpPivotJointNew(body, cpSpaceGetStaticBody(m_space), cpvzero));
    joint->addToSpace();

    m_items.removeOne(first);
    delete first;
    QCOMPARE(shapeCountOnBody(body), 1);
    QCOMPARE(bodyCount(), 1);
    QCOMPARE(cpBodyGetUserData(body), static_cast<void*>(static_cast<QObject*>(second)));
    // The joints of the shared body end with either shape.
    QCOMPARE(constraintCount(), 0);
    flushDeletes();
    QVERIFY(!joint);

    QList<QObject*> objects;
    step();
    cpSpaceEachBody(m_space, collectBodyItem, &objects);
    QCOMPARE(objects, QList<QObject*>() << second);
    second->adjust();

    m_items.removeOne(second);
    delete second;
    QCOMPARE(bodyCount(), 0);
}

void TestShapeItem::staticBodyUserDataHandOver()
{
    cpBody* staticBody = cpSpaceGetStaticBody(m_space);
    TestCircleItem* left = new TestCircleItem(m_space, cpSpaceAddShape(m_space, cpSegmentShapeNew(staticBody, cpv(-50, 0), cpv(0, 0), 1)));
    TestCircleItem* right = new TestCircleItem(m_space, cpSpaceAddShape(m_space, cpSegmentShapeNew(staticBody, cpv(0, 0), cpv(50, 0), 1)));
    m_items << left << right;
    TestCircleItem* ball = makeItem(cpv(0, 30));
    QPointer<TestJoint> joint = new TestJoint(m_space, cpPivotJointNew(cpShapeGetBody(ball->cpshape()), staticBody, cpv(0, 30)));
    joint->addToSpace();
    QCOMPARE(cpBodyGetUserData(staticBody), static_cast<void*>(static_cast<QObject*>(left)));

    m_items.removeOne(left);
    delete left;
    QCOMPARE(cpBodyGetUserData(staticBody), static_cast<void*>(static_cast<QObject*>(right)));
    m_items.removeOne(right);
    delete right;
    QCOMPARE(cpBodyGetUserData(staticBody), static_cast<void*>(nullptr));

    // Deleting a static shape ends no joint.
    flushDeletes();
    QVERIFY(joint);
    QCOMPARE(constraintCount(), 1);
    step();
    delete joint;
}

void TestShapeItem::unownedConstraintLeavesBeforeBodyIsFreed()
{
    TestCircleItem* item = makeItem(cpv(0, 0));
    cpBody* body = cpShapeGetBody(item->cpshape());
    // A constraint no item owns, such as the physics pointer's.
    cpConstraint* pointer = cpSpaceAddConstraint(m_space, cpPivotJointNew(cpSpaceGetStaticBody(m_space), body, cpvzero));
    // An unbound joint still naming the body.
    TestJoint* unbound = new TestJoint(m_space, cpPinJointNew(body, cpSpaceGetStaticBody(m_space), cpvzero, cpv(0, 50)));
    QVERIFY(unbound->hasBodies());

    m_items.removeOne(item);
    delete item;
    QCOMPARE(constraintCount(), 0);
    QVERIFY(!cpSpaceContainsConstraint(m_space, pointer));
    QVERIFY(!unbound->hasBodies());
    unbound->addToSpace();
    QVERIFY(!cpSpaceContainsConstraint(m_space, unbound->constraint()));
    step();

    cpConstraintFree(pointer);
    delete unbound;
}

// The own body a glued shape keeps aside goes with it.
void TestShapeItem::gluedItemFreesItsOwnBody()
{
    TestCircleItem* host = makeItem(cpv(0, 0));
    TestCircleItem* glued = makeItem(cpv(15, 0));
    cpBody* hostBody = cpShapeGetBody(host->cpshape());
    cpBody* ownBody = cpShapeGetBody(glued->cpshape());

    glued->setOldBody(ownBody);
    cpSpaceRemoveBody(m_space, ownBody);
    cpSpaceRemoveShape(m_space, glued->cpshape());
    cpShapeSetBody(glued->cpshape(), hostBody);
    cpSpaceAddShape(m_space, glued->cpshape());
    QCOMPARE(shapeCountOnBody(hostBody), 2);

    glued->setMass(20); // acts on the host's body
    QCOMPARE(host->mass(), 20.0f);

    m_items.removeOne(glued);
    delete glued; // ASan reports if the own body leaks or the host's is freed
    QCOMPARE(shapeCountOnBody(hostBody), 1);
    QCOMPARE(bodyCount(), 1);
    step();
}

// The solver aborts on joints between two bodies that cannot move or turn.
void TestShapeItem::unsolvableJointsLeaveTheSpace()
{
    TestCircleItem* item = makeItem(cpv(0, 0));
    TestCircleItem* other = makeItem(cpv(40, 0));
    cpBody* body = cpShapeGetBody(item->cpshape());
    cpBody* staticBody = cpSpaceGetStaticBody(m_space);
    TestJoint* pivot = new TestJoint(m_space, cpPivotJointNew(body, staticBody, cpvzero));
    TestJoint* gear = new TestJoint(m_space, cpGearJointNew(body, staticBody, 0, 1));
    TestJoint* pin = new TestJoint(m_space, cpPinJointNew(body, cpShapeGetBody(other->cpshape()), cpvzero, cpvzero));
    pivot->addToSpace();
    gear->addToSpace();
    pin->addToSpace();
    step();

    item->setMoment(-1);
    QVERIFY(!cpSpaceContainsConstraint(m_space, gear->constraint()));
    QVERIFY(cpSpaceContainsConstraint(m_space, pivot->constraint()));
    step();

    item->setMass(-1);
    item->setBodyInSpace(true);
    QVERIFY(!cpSpaceContainsConstraint(m_space, pivot->constraint()));
    QVERIFY(cpSpaceContainsConstraint(m_space, pin->constraint()));
    QCOMPARE(cpConstraintGetUserData(pivot->constraint()), static_cast<void*>(nullptr));
    step();

    delete pivot;
    delete gear;
    delete pin;
}

void TestShapeItem::spriteFollowsAndIsUnlinked()
{
    TestCircleItem* item = makeItem(cpv(20, 30));
    FollowerItem* sprite = new FollowerItem;
    m_items.append(sprite);

    item->syncWithSyncee(nullptr);
    QVERIFY(!item->syncPair());

    item->syncWithSyncee(sprite);
    QCOMPARE(sprite->pos(), QPointF(20, 30));
    QVERIFY(sprite->syncPair());
    QCOMPARE(sprite->syncPair()->syncer(), static_cast<AbstractSyncItem*>(item));

    step();
    item->adjust();
    QCOMPARE(sprite->pos(), item->pos());

    // Linking again replaces the pairing instead of stacking a second one.
    item->syncWithSyncee(sprite);
    QCOMPARE(item->syncPair(), sprite->syncPair());

    m_items.removeOne(item);
    delete item;
    QVERIFY(!sprite->syncPair());
}

QTEST_MAIN(TestShapeItem)
#include "tst_shapeitem.moc"
