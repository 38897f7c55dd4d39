#include "Toolkit/cpSupport.h"

#include <QGraphicsEllipseItem>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

// What a body's user data names: a QObject that is also a graphics item.
class BodyItem : public QObject, public QGraphicsEllipseItem
{
};

} // namespace

class TestCpSupport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void shapesAtPoint();
    void countsAndConstraintsOnBody();
    void bodiesForJoint_data();
    void bodiesForJoint();
    void hiddenItemsAreSkipped();
    void adjustPlacesItem();
    void shapeTypes();
    void polygonOffsetKeepsOrder();
    void takingOutAllBodies();

private:
    cpShape* circle(cpVect at, double radius = 10, cpBody* body = nullptr);
    cpShape* staticSegment(cpVect a, cpVect b);

    cpSpace* m_space = nullptr;
    std::vector<std::unique_ptr<BodyItem>> m_items;
    std::vector<cpBody*> m_bodies;
    std::vector<cpShape*> m_shapes;
};

void TestCpSupport::init()
{
    m_space = cpSpaceNew();
}

void TestCpSupport::cleanup()
{
    for (cpShape* shape : m_shapes) {
        if (cpSpaceContainsShape(m_space, shape))
            cpSpaceRemoveShape(m_space, shape);
        cpShapeFree(shape);
    }
    for (cpBody* body : m_bodies) {
        if (cpSpaceContainsBody(m_space, body))
            cpSpaceRemoveBody(m_space, body);
        cpBodyFree(body);
    }
    m_shapes.clear();
    m_bodies.clear();
    m_items.clear();
    cpSpaceFree(m_space);
}

// A circle on a new dynamic body (or on the given one) whose item is visible.
cpShape* TestCpSupport::circle(cpVect at, double radius, cpBody* body)
{
    if (!body) {
        body = cpSpaceAddBody(m_space, cpBodyNew(130, 5000));
        cpBodySetPosition(body, at);
        m_bodies.push_back(body);
        m_items.emplace_back(new BodyItem);
        cpBodySetUserData(body, static_cast<QObject*>(m_items.back().get()));
        at = cpvzero;
    }
    cpShape* shape = cpSpaceAddShape(m_space, cpCircleShapeNew(body, radius, at));
    m_shapes.push_back(shape);
    return shape;
}

cpShape* TestCpSupport::staticSegment(cpVect a, cpVect b)
{
    cpBody* staticBody = cpSpaceGetStaticBody(m_space);
    if (!cpBodyGetUserData(staticBody)) {
        m_items.emplace_back(new BodyItem);
        cpBodySetUserData(staticBody, static_cast<QObject*>(m_items.back().get()));
    }
    cpShape* shape = cpSpaceAddShape(m_space, cpSegmentShapeNew(staticBody, a, b, 2));
    m_shapes.push_back(shape);
    return shape;
}

void TestCpSupport::shapesAtPoint()
{
    cpShape* a = circle(cpv(0, 0));
    cpShape* b = circle(cpv(5, 0));
    cpShape* far = circle(cpv(100, 0));
    cpShapeSetFilter(b, cpShapeFilterNew(7, 1, 1)); // any layer and group is found

    QList<cpShape*> found = getShapesAt(cpv(2, 0), m_space);
    QCOMPARE(found.size(), 2);
    QVERIFY(found.contains(a));
    QVERIFY(found.contains(b));
    QVERIFY(!found.contains(far));
    QVERIFY(getShapesAt(cpv(50, 50), m_space).isEmpty());
}

void TestCpSupport::countsAndConstraintsOnBody()
{
    cpShape* first = circle(cpv(0, 0));
    cpBody* body = cpShapeGetBody(first);
    cpShape* second = circle(cpv(8, 0), 3, body);
    QCOMPARE(shapeCountOnBody(body), 2);
    QCOMPARE(shapeCountOnBody(nullptr), 0);

    // Only what the space holds is attached.
    cpSpaceRemoveShape(m_space, second);
    QCOMPARE(shapeCountOnBody(body), 1);

    cpBody* other = cpShapeGetBody(circle(cpv(40, 0)));
    cpConstraint* pin = cpSpaceAddConstraint(m_space, cpPinJointNew(body, other, cpvzero, cpvzero));
    cpConstraint* pivot = cpSpaceAddConstraint(m_space, cpPivotJointNew(cpSpaceGetStaticBody(m_space), body, cpvzero));
    QList<cpConstraint*> constraints = getConstraintsOnBody(body);
    QCOMPARE(constraints.size(), 2);
    QVERIFY(constraints.contains(pin) && constraints.contains(pivot));
    QCOMPARE(getConstraintsOnBody(other), QList<cpConstraint*>() << pin);

    cpSpaceRemoveConstraint(m_space, pin);
    QCOMPARE(getConstraintsOnBody(body), QList<cpConstraint*>() << pivot);
    QVERIFY(getConstraintsOnBody(nullptr).isEmpty());

    cpSpaceRemoveConstraint(m_space, pivot);
    cpConstraintFree(pin);
    cpConstraintFree(pivot);
}

void TestCpSupport::bodiesForJoint_data()
{
    QTest::addColumn<QPointF>("p1");
    QTest::addColumn<QPointF>("p2");
    QTest::addColumn<QString>("bodyA"); // "circle", "other", "static"
    QTest::addColumn<QString>("bodyB");
    QTest::addColumn<bool>("accepted");

    // A circle at (0, 0) with a second shape glued at (0, 20), another circle at
    // (50, 0), an immovable circle at (0, -50) and a static segment along y = 100.
    QTest::newRow("circle to empty space") << QPointF(0, 0) << QPointF(200, 200) << "circle" << "static" << true;
    QTest::newRow("empty to circle") << QPointF(200, 200) << QPointF(50, 0) << "static" << "other" << true;
    QTest::newRow("empty to empty") << QPointF(200, 200) << QPointF(-200, 200) << "static" << "static" << false;
    QTest::newRow("two circles") << QPointF(0, 0) << QPointF(50, 0) << "circle" << "other" << true;
    QTest::newRow("inside one lone circle") << QPointF(48, 0) << QPointF(52, 0) << "other" << "static" << true;
    QTest::newRow("glued pair") << QPointF(0, 0) << QPointF(0, 20) << "circle" << "circle" << false;
    QTest::newRow("two static segments") << QPointF(-30, 100) << QPointF(30, 100) << "static" << "static" << false;
    QTest::newRow("static and immovable") << QPointF(0, 100) << QPointF(0, -50) << "static" << "immovable" << false;
    QTest::newRow("circle and immovable") << QPointF(0, 0) << QPointF(0, -50) << "circle" << "immovable" << true;
}

void TestCpSupport::bodiesForJoint()
{
    QFETCH(QPointF, p1);
    QFETCH(QPointF, p2);
    QFETCH(QString, bodyA);
    QFETCH(QString, bodyB);
    QFETCH(bool, accepted);

    QHash<QString, cpBody*> bodies;
    bodies["circle"] = cpShapeGetBody(circle(cpv(0, 0)));
    circle(cpv(0, 20), 5, bodies["circle"]);
    bodies["other"] = cpShapeGetBody(circle(cpv(50, 0)));
    bodies["immovable"] = cpShapeGetBody(circle(cpv(0, -50)));
    cpSpaceRemoveBody(m_space, bodies["immovable"]);
    cpBodySetType(bodies["immovable"], CP_BODY_TYPE_KINEMATIC);
    staticSegment(cpv(-50, 100), cpv(0, 100));
    staticSegment(cpv(0, 100), cpv(50, 100));
    bodies["static"] = cpSpaceGetStaticBody(m_space);

    cpBody* a = nullptr;
    cpBody* b = nullptr;
    QCOMPARE(getBodiesAtPoints(cpv(p1.x(), p1.y()), cpv(p2.x(), p2.y()), &a, &b, m_space), accepted);
    QCOMPARE(a, bodies[bodyA]);
    QCOMPARE(b, bodies[bodyB]);
}

void TestCpSupport::hiddenItemsAreSkipped()
{
    cpBody* left = cpShapeGetBody(circle(cpv(0, 0)));
    cpBody* right = cpShapeGetBody(circle(cpv(50, 0)));
    cpBody* a = nullptr;
    cpBody* b = nullptr;
    QVERIFY(getBodiesAtPoints(cpv(0, 0), cpv(50, 0), &a, &b, m_space));

    for (const auto& item : m_items)
        item->setVisible(false);
    QVERIFY(!getBodiesAtPoints(cpv(0, 0), cpv(50, 0), &a, &b, m_space));
    QCOMPARE(a, cpSpaceGetStaticBody(m_space));
    QCOMPARE(b, cpSpaceGetStaticBody(m_space));

    // A body that names no item counts as hidden too.
    m_items.front()->setVisible(true);
    cpBodySetUserData(left, nullptr);
    QVERIFY(!getBodiesAtPoints(cpv(0, 0), cpv(50, 0), &a, &b, m_space));
    Q_UNUSED(right);
}

void TestCpSupport::adjustPlacesItem()
{
    cpShape* shape = circle(cpv(3, 4));
    cpBodySetAngle(cpShapeGetBody(shape), M_PI / 2);
    QGraphicsEllipseItem item;
    ShapeItemAdjust(&item, shape);
    QCOMPARE(item.pos(), QPointF(3, 4));
    QVERIFY(qAbs(item.rotation() - 90.0) < 1e-4);
}

void TestCpSupport::shapeTypes()
{
    QCOMPARE(int(getShapeType(circle(cpv(0, 0)))), 0);
    QCOMPARE(int(getShapeType(staticSegment(cpv(0, 0), cpv(1, 0)))), 1);
    cpVect verts[] = { cpv(0, 0), cpv(0, 10), cpv(10, 10), cpv(10, 0) };
    cpShape* box = cpPolyShapeNewRaw(cpSpaceGetStaticBody(m_space), 4, verts, 0);
    m_shapes.push_back(box);
    QCOMPARE(int(getShapeType(box)), 2);
}

void TestCpSupport::polygonOffsetKeepsOrder()
{
    cpVect verts[] = { cpv(0, 0), cpv(10, 0), cpv(10, 10), cpv(0, 10) };
    cpShape* box = cpPolyShapeNewRaw(cpSpaceGetStaticBody(m_space), 4, verts, 0);
    m_shapes.push_back(box);
    cpPolyShapeApplyOffset(box, cpv(5, -2));
    QCOMPARE(cpPolyShapeGetCount(box), 4);
    for (int i = 0; i < 4; ++i) {
        const cpVect v = cpPolyShapeGetVert(box, i);
        QCOMPARE(QPointF(v.x, v.y), QPointF(verts[i].x + 5, verts[i].y - 2));
    }
    // Not a polygon: nothing happens.
    cpPolyShapeApplyOffset(circle(cpv(0, 0)), cpv(1, 1));
}

// Every body of every kind leaves the space, whatever the order they were
// added in; their shapes and joints stay for their owners, and the space's
// own static body stays its own.
void TestCpSupport::takingOutAllBodies()
{
    const cpBodyType kinds[] = {CP_BODY_TYPE_DYNAMIC, CP_BODY_TYPE_STATIC, CP_BODY_TYPE_KINEMATIC};
    for (int i = 0; i < 30; ++i) {
        cpBody* body = cpSpaceAddBody(m_space, cpBodyNew(1, 1));
        cpBodySetType(body, kinds[i % 3]);
        m_bodies.push_back(body);
        circle(cpv(i * 30, 0), 10, body);
    }
    cpConstraint* joint = cpSpaceAddConstraint(m_space, cpPinJointNew(m_bodies[0], m_bodies[3], cpvzero, cpvzero));
    cpSpaceRemoveBody(m_space, m_bodies[4]);

    takeOutAllBodies(m_space);
    for (cpBody* body : m_bodies)
        QVERIFY(!cpSpaceContainsBody(m_space, body));
    QVERIFY(cpSpaceContainsBody(m_space, cpSpaceGetStaticBody(m_space)));
    for (cpShape* shape : m_shapes)
        QVERIFY(cpSpaceContainsShape(m_space, shape));
    QVERIFY(cpSpaceContainsConstraint(m_space, joint));
    cpSpaceRemoveConstraint(m_space, joint);
    cpConstraintFree(joint);
}

QTEST_MAIN(TestCpSupport)
#include "tst_cpsupport.moc"
