#include "Items/ConstraintItem.h"

#include <QPointer>
#include <QtTest>

#include <cmath>
#include <limits>

#include "SpaceTestSupport.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

class TestJoint : public ConstraintItem
{
public:
    using ConstraintItem::ConstraintItem;
    void adjust() override {}
};

} // namespace

class TestConstraintItem : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void inAndOutOfTheSpace();
    void constraintWithoutBodiesStaysOut();
    void values_data();
    void values();
    void destructorLeavesTheSpace();

private:
    cpSpace* m_space = nullptr;
    cpBody* m_body = nullptr;
};

void TestConstraintItem::init()
{
    m_space = cpSpaceNew();
    m_body = cpSpaceAddBody(m_space, cpBodyNew(10, 100));
    cpBodySetPosition(m_body, cpv(0, 20));
}

void TestConstraintItem::cleanup()
{
    cpSpaceRemoveBody(m_space, m_body);
    cpBodyFree(m_body);
    cpSpaceFree(m_space);
}

void TestConstraintItem::inAndOutOfTheSpace()
{
    TestJoint joint(m_space, cpPivotJointNew(m_body, cpSpaceGetStaticBody(m_space), cpv(0, 20)));
    QObject* self = &joint;
    // Named from construction on, so a loader can find the item before it adds the constraint.
    QCOMPARE(cpConstraintGetUserData(joint.constraint()), static_cast<void*>(self));
    QVERIFY(joint.hasBodies());

    joint.addToSpace();
    joint.addToSpace();
    QVERIFY(cpSpaceContainsConstraint(m_space, joint.constraint()));
    QCOMPARE(cpConstraintGetUserData(joint.constraint()), static_cast<void*>(self));
    cpSpaceStep(m_space, 1.0 / 30);

    joint.removeFromSpace();
    joint.removeFromSpace();
    QVERIFY(!cpSpaceContainsConstraint(m_space, joint.constraint()));
    QCOMPARE(cpConstraintGetUserData(joint.constraint()), static_cast<void*>(nullptr));
}

// A joint kind's default constraint has no bodies until it is bound.
void TestConstraintItem::constraintWithoutBodiesStaysOut()
{
    TestJoint joint(m_space, cpPinJointNew(nullptr, nullptr, cpvzero, cpvzero));
    QVERIFY(!joint.hasBodies());
    joint.addToSpace();
    QVERIFY(!cpSpaceContainsConstraint(m_space, joint.constraint()));
    joint.setMaxForce(5);
    QCOMPARE(joint.maxForce(), 5.0f);
}

void TestConstraintItem::values_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<float>("value");
    QTest::addColumn<float>("expected"); // NaN: the old value stays

    QTest::newRow("maxForce set") << QByteArray("maxForce") << 1000.0f << 1000.0f;
    QTest::newRow("maxForce 0") << QByteArray("maxForce") << 0.0f << 0.0f;
    QTest::newRow("maxForce negative") << QByteArray("maxForce") << -1.0f << kInf;
    QTest::newRow("maxForce NaN") << QByteArray("maxForce") << kNaN << kNaN;
    QTest::newRow("maxBias set") << QByteArray("maxBias") << 5.0f << 5.0f;
    QTest::newRow("maxBias negative") << QByteArray("maxBias") << -3.0f << kInf;
    QTest::newRow("maxBias NaN") << QByteArray("maxBias") << kNaN << kNaN;
    QTest::newRow("errorBias set") << QByteArray("errorBias") << 0.25f << 0.25f;
    QTest::newRow("errorBias 0") << QByteArray("errorBias") << 0.0f << 0.0f;
    QTest::newRow("errorBias negative") << QByteArray("errorBias") << -1.0f << kNaN;
    QTest::newRow("errorBias infinite") << QByteArray("errorBias") << kInf << kNaN;
    QTest::newRow("errorBias NaN") << QByteArray("errorBias") << kNaN << kNaN;
}

void TestConstraintItem::values()
{
    QFETCH(QByteArray, property);
    QFETCH(float, value);
    QFETCH(float, expected);

    TestJoint joint(m_space, cpPivotJointNew(m_body, cpSpaceGetStaticBody(m_space), cpv(0, 20)));
    joint.addToSpace();
    const float before = joint.property(property).toFloat();
    QVERIFY(joint.setProperty(property, value));
    const float after = joint.property(property).toFloat();
    if (std::isnan(expected))
        QCOMPARE(after, before);
    else
        QCOMPARE(after, expected);
    cpSpaceStep(m_space, 1.0 / 30);
    cpSpaceStep(m_space, 1.0 / 30);
}

void TestConstraintItem::destructorLeavesTheSpace()
{
    QPointer<TestJoint> joint = new TestJoint(m_space, cpPivotJointNew(m_body, cpSpaceGetStaticBody(m_space), cpv(0, 20)));
    joint->addToSpace();
    joint->deleteLater();
    flushDeletes();
    QVERIFY(!joint);
    int count = 0;
    cpSpaceEachConstraint(m_space, [](cpConstraint*, void* data) { ++*static_cast<int*>(data); }, &count);
    QCOMPARE(count, 0);
    cpSpaceStep(m_space, 1.0 / 30);
}

QTEST_GUILESS_MAIN(TestConstraintItem)
#include "tst_constraintitem.moc"
