#include "SpaceHelpers.h"
#include "TestSupport.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

// The physics file as written: exact text, ids, and the round trip of every
// shape and constraint kind through a second space.
class TestPhysicsWriter : public QObject
{
    Q_OBJECT

private slots:
    void exactText();
    void addressIdsWithoutDelegate();
    void emptySpace();
    void roundTripEveryKind();
    void failedSaveKeepsOldFile();
    void secondSaveReplacesFirst();

private:
    QTemporaryDir dir;
};

namespace {

// The space of the exact-text fixture: a circle on the space's static body, a
// dynamic body carrying a circle and a box, a static body kept outside the
// space with a segment, a shapeless body, a pin joint and a pivot joint.
struct SampleSpace
{
    cpSpace* space;
    cpBody* body;
    cpBody* rock;
    cpBody* loose;

    SampleSpace()
    {
        space = cpSpaceNew();
        cpSpaceSetIterations(space, 12);
        cpSpaceSetGravity(space, cpv(0, -100));
        cpSpaceSetDamping(space, 0.5);

        cpSpaceAddShape(space, cpCircleShapeNew(cpSpaceGetStaticBody(space), 5, cpv(1, 2)));

        body = cpSpaceAddBody(space, cpBodyNew(2, 1.0 / 3));
        cpBodySetPosition(body, cpv(2500003, -0.00001));
        cpBodySetVelocity(body, cpv(1.5, 0));
        cpBodySetAngle(body, 0.25);
        cpBodySetAngularVelocity(body, 0.5);
        cpShape* ball = cpSpaceAddShape(space, cpCircleShapeNew(body, 3, cpvzero));
        cpShapeSetSensor(ball, true);
        cpShapeSetElasticity(ball, 0.5);
        cpShapeSetFriction(ball, 0.7);
        cpShapeSetCollisionType(ball, 3);
        cpShapeSetFilter(ball, cpShapeFilterNew(2, 5, 5));
        const cpVect box[4] = { cpv(-1, -1), cpv(1, -1), cpv(1, 1), cpv(-1, 1) }; // counter-clockwise
        cpSpaceAddShape(space, cpPolyShapeNewRaw(body, 4, box, 0));

        rock = cpBodyNewStatic();
        cpBodySetPosition(rock, cpv(10, 20));
        cpSpaceAddShape(space, cpSegmentShapeNew(rock, cpv(0, 0), cpv(4, 0), 0.5));

        loose = cpSpaceAddBody(space, cpBodyNew(1, 1));
        cpSpaceAddConstraint(space, cpPinJointNew(body, loose, cpvzero, cpvzero));
        cpSpaceAddConstraint(space, cpPivotJointNew(cpSpaceGetStaticBody(space), body, cpv(2500003, 1)));
    }
    ~SampleSpace() { freeSpaceAndContents(space); }
};

} // namespace

void TestPhysicsWriter::exactText()
{
    SampleSpace s;
    RecordingDelegate ids;
    cpSpaceSerializer serializer(&ids);
    const QString path = dir.filePath(QStringLiteral("exact.phyxml"));
    QVERIFY(serializer.save(s.space, path.toLocal8Bit().constData()));

    const QByteArray expected = readAll(testDataPath(QStringLiteral("physics/exact.phyxml")));
    QVERIFY(!expected.isEmpty());
    QCOMPARE(QString::fromUtf8(readAll(path)), QString::fromUtf8(expected));

    // Each shape announces itself and its body, then its body element announces the body again.
    QCOMPARE(ids.calls.mid(0, 3), QStringList({ "write shape 1", "write body 2", "write body 2" }));
    QCOMPARE(ids.calls.filter(QStringLiteral("constraint")).size(), 2);
}

void TestPhysicsWriter::addressIdsWithoutDelegate()
{
    SampleSpace s;
    cpSpaceSerializer serializer;
    const QString path = dir.filePath(QStringLiteral("address.phyxml"));
    QVERIFY(serializer.save(s.space, path.toLocal8Bit().constData()));
    const QString text = QString::fromUtf8(readAll(path));

    const QString bodyId = QString::number(reinterpret_cast<std::intptr_t>(s.body));
    QCOMPARE(text.count(QStringLiteral("<body_id>%1</body_id>").arg(bodyId)), 2);
    QCOMPARE(text.count(QStringLiteral("<id>%1</id>").arg(bodyId)), 1); // written in full once
    QCOMPARE(text.count(QStringLiteral("<body_a_id>%1</body_a_id>").arg(bodyId)), 1);
    // The shapeless body is named by the pin joint but has no element of its own.
    const QString looseId = QString::number(reinterpret_cast<std::intptr_t>(s.loose));
    QCOMPARE(text.count(looseId), 1);
    for (cpShape* shape : shapesOf(s.space))
        QVERIFY(text.contains(QStringLiteral("<id>%1</id>").arg(reinterpret_cast<std::intptr_t>(shape))));
}

void TestPhysicsWriter::emptySpace()
{
    cpSpace* space = cpSpaceNew();
    cpSpaceSerializer serializer;
    const QString path = dir.filePath(QStringLiteral("empty.phyxml"));
    QVERIFY(serializer.save(space, path.toLocal8Bit().constData()));
    QCOMPARE(readAll(path), QByteArray("<space>\n"
                                       "    <iterations>10</iterations>\n"
                                       "    <gravity x=\"0\" y=\"0\" />\n"
                                       "    <damping>1</damping>\n"
                                       "</space>\n"));
    cpSpaceFree(space);
}

void TestPhysicsWriter::roundTripEveryKind()
{
    cpSpace* space = cpSpaceNew();
    cpSpaceSetIterations(space, 7);
    cpSpaceSetGravity(space, cpv(1.5, -9.25));
    cpSpaceSetDamping(space, 0.875);
    cpBody* ground = cpSpaceGetStaticBody(space);

    cpBody* a = cpSpaceAddBody(space, cpBodyNew(3, 40));
    cpBodySetPosition(a, cpv(100, 200));
    cpBodySetAngle(a, 0.5);
    cpBodySetVelocity(a, cpv(-3, 4));
    cpBodySetAngularVelocity(a, 0.125);
    cpBodySetForce(a, cpv(7, 8));
    cpBodySetTorque(a, 9);
    cpBody* b = cpSpaceAddBody(space, cpBodyNew(5, INFINITY));
    cpBodySetPosition(b, cpv(-50, 25));

    cpShape* circle = cpSpaceAddShape(space, cpCircleShapeNew(a, 12.5, cpv(1, -2)));
    cpShapeSetSensor(circle, true);
    cpShapeSetElasticity(circle, 0.25);
    cpShapeSetFriction(circle, 0.75);
    cpShapeSetSurfaceVelocity(circle, cpv(2, 3));
    cpShapeSetCollisionType(circle, 42);
    cpShapeSetFilter(circle, cpShapeFilterNew(6, 0x30, 0x30));
    // A pentagon on the same body: its vertex cycle must come back unchanged.
    const cpVect penta[5] = { cpv(0, -10), cpv(10, -3), cpv(6, 8), cpv(-6, 8), cpv(-10, -3) };
    cpShape* poly = cpSpaceAddShape(space, cpPolyShapeNewRaw(a, 5, penta, 0));
    cpShape* segment = cpSpaceAddShape(space, cpSegmentShapeNew(ground, cpv(-100, 0), cpv(100, 5), 2));
    cpShape* ball = cpSpaceAddShape(space, cpCircleShapeNew(b, 4, cpvzero));

    const cpVect anchorA = cpv(1, 2), anchorB = cpv(-3, 0.5);
    std::vector<cpConstraint*> joints = {
        cpPinJointNew(a, b, anchorA, anchorB),
        cpSlideJointNew(a, ground, anchorA, anchorB, 2, 30),
        cpPivotJointNew(a, b, cpv(10, 20)),
        cpGrooveJointNew(ground, a, cpv(-5, 0), cpv(5, 0), anchorB),
        cpSimpleMotorNew(a, b, 1.25),
        cpGearJointNew(a, b, 0.5, 3),
        cpDampedSpringNew(a, b, anchorA, anchorB, 15, 120, 2.5),
        cpRotaryLimitJointNew(a, ground, -0.75, 1.5),
        cpRatchetJointNew(a, b, 0.25, 0.625),
        cpDampedRotarySpringNew(ground, a, 0.375, 80, 1.75),
    };
    cpPinJointSetDist(joints[0], 33);
    cpRatchetJointSetAngle(joints[8], 1.125);
    for (cpConstraint* c : joints) {
        cpConstraintSetMaxForce(c, 1000);
        cpConstraintSetMaxBias(c, 5);
        cpConstraintSetErrorBias(c, 0.25);
        cpSpaceAddConstraint(space, c);
    }

    const QString first = dir.filePath(QStringLiteral("round1.phyxml"));
    cpSpaceSerializer writer;
    QVERIFY(writer.save(space, first.toLocal8Bit().constData()));
    const QString text = QString::fromUtf8(readAll(first));
    // Clockwise in the file: Chipmunk's counter-clockwise cycle reversed.
    QVERIFY(text.contains(QStringLiteral("<verts numVerts=\"5\">\n"
                                         "            <vert x=\"-10\" y=\"-3\" />\n"
                                         "            <vert x=\"-6\" y=\"8\" />\n"
                                         "            <vert x=\"6\" y=\"8\" />\n"
                                         "            <vert x=\"10\" y=\"-3\" />\n"
                                         "            <vert x=\"0\" y=\"-10\" />\n")));

    RecordingDelegate reader;
    cpSpaceSerializer loader(&reader);
    cpSpace* copy = cpSpaceNew();
    QCOMPARE(loader.load(copy, first.toLocal8Bit().constData()), copy);

    QCOMPARE(cpSpaceGetIterations(copy), 7);
    QCOMPARE(cpSpaceGetGravity(copy).y, -9.25);
    QCOMPARE(cpSpaceGetDamping(copy), 0.875);
    QCOMPARE(shapeCount(copy), 4);
    QCOMPARE(bodyCount(copy), 2);
    QCOMPARE(constraintCount(copy), 10);

    auto loaded = [&](cpShape* original) {
        return loader.shapeMap().at(reinterpret_cast<std::intptr_t>(original));
    };
    cpShape* circle2 = loaded(circle);
    cpShape* poly2 = loaded(poly);
    cpShape* segment2 = loaded(segment);
    cpShape* ball2 = loaded(ball);
    QVERIFY(shapeTypeOf(circle2) == ShapeKind::Circle && shapeTypeOf(poly2) == ShapeKind::Poly
            && shapeTypeOf(segment2) == ShapeKind::Segment);

    // Bodies shared, the static body mapped to the new space's own.
    cpBody* a2 = cpShapeGetBody(circle2);
    QCOMPARE(cpShapeGetBody(poly2), a2);
    QCOMPARE(cpShapeGetBody(segment2), cpSpaceGetStaticBody(copy));
    cpBody* b2 = cpShapeGetBody(ball2);
    QVERIFY(cpSpaceContainsBody(copy, a2) && cpSpaceContainsBody(copy, b2));
    QCOMPARE(cpBodyGetMass(a2), 3.0);
    QCOMPARE(cpBodyGetMoment(a2), 40.0);
    QVERIFY(std::isinf(cpBodyGetMoment(b2)));
    QCOMPARE(cpBodyGetPosition(a2).x, 100.0);
    QCOMPARE(cpBodyGetAngle(a2), 0.5);
    QCOMPARE(cpBodyGetVelocity(a2).y, 4.0);
    QCOMPARE(cpBodyGetAngularVelocity(a2), 0.125);
    QCOMPARE(cpBodyGetForce(a2).x, 7.0);
    QCOMPARE(cpBodyGetTorque(a2), 9.0);

    QVERIFY(cpShapeGetSensor(circle2));
    QCOMPARE(cpShapeGetElasticity(circle2), 0.25);
    QCOMPARE(cpShapeGetFriction(circle2), 0.75);
    QCOMPARE(cpShapeGetSurfaceVelocity(circle2).y, 3.0);
    QCOMPARE(cpShapeGetCollisionType(circle2), cpCollisionType(42));
    QCOMPARE(cpShapeGetFilter(circle2).group, cpGroup(6));
    QCOMPARE(cpShapeGetFilter(circle2).categories, cpBitmask(0x30));
    QCOMPARE(cpShapeGetFilter(circle2).mask, cpBitmask(0x30));
    QCOMPARE(shapeLayers(ball2), allLayers);
    QCOMPARE(cpCircleShapeGetRadius(circle2), 12.5);
    QCOMPARE(cpCircleShapeGetOffset(circle2).y, -2.0);
    QCOMPARE(cpSegmentShapeGetB(segment2).y, 5.0);
    QCOMPARE(cpSegmentShapeGetRadius(segment2), 2.0);
    QCOMPARE(cpPolyShapeGetCount(poly2), 5);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(cpPolyShapeGetVert(poly2, i).x, penta[i].x);
        QCOMPARE(cpPolyShapeGetVert(poly2, i).y, penta[i].y);
    }
    QCOMPARE(cpPolyShapeGetRadius(poly2), 0.0);

    std::vector<cpConstraint*> loadedJoints = constraintsOf(copy);
    QCOMPARE(loadedJoints.size(), size_t(10));
    auto find = [&](cpBool (*is)(const cpConstraint*)) -> cpConstraint* {
        for (cpConstraint* c : loadedJoints)
            if (is(c))
                return c;
        return nullptr;
    };
    for (cpConstraint* c : loadedJoints) {
        QCOMPARE(cpConstraintGetMaxForce(c), 1000.0);
        QCOMPARE(cpConstraintGetMaxBias(c), 5.0);
        QCOMPARE(cpConstraintGetErrorBias(c), 0.25);
    }
    cpConstraint* pin = find(cpConstraintIsPinJoint);
    QVERIFY(pin);
    QCOMPARE(cpConstraintGetBodyA(pin), a2);
    QCOMPARE(cpConstraintGetBodyB(pin), b2);
    QCOMPARE(cpPinJointGetDist(pin), 33.0);
    QCOMPARE(cpPinJointGetAnchorB(pin).y, 0.5);
    cpConstraint* slide = find(cpConstraintIsSlideJoint);
    QCOMPARE(cpConstraintGetBodyB(slide), cpSpaceGetStaticBody(copy));
    QCOMPARE(cpSlideJointGetMin(slide), 2.0);
    QCOMPARE(cpSlideJointGetMax(slide), 30.0);
    cpConstraint* pivot = find(cpConstraintIsPivotJoint);
    const cpVect world = cpBodyLocalToWorld(a2, cpPivotJointGetAnchorA(pivot));
    QVERIFY(cpvnear(world, cpv(10, 20), 1e-4));
    QVERIFY(cpvnear(cpBodyLocalToWorld(b2, cpPivotJointGetAnchorB(pivot)), cpv(10, 20), 1e-4));
    cpConstraint* groove = find(cpConstraintIsGrooveJoint);
    QCOMPARE(cpConstraintGetBodyA(groove), cpSpaceGetStaticBody(copy));
    QCOMPARE(cpGrooveJointGetGrooveA(groove).x, -5.0);
    QCOMPARE(cpGrooveJointGetGrooveB(groove).x, 5.0);
    QCOMPARE(cpGrooveJointGetAnchorB(groove).x, -3.0);
    QCOMPARE(cpSimpleMotorGetRate(find(cpConstraintIsSimpleMotor)), 1.25);
    cpConstraint* gear = find(cpConstraintIsGearJoint);
    QCOMPARE(cpGearJointGetPhase(gear), 0.5);
    QCOMPARE(cpGearJointGetRatio(gear), 3.0);
    cpConstraint* spring = find(cpConstraintIsDampedSpring);
    QCOMPARE(cpDampedSpringGetRestLength(spring), 15.0);
    QCOMPARE(cpDampedSpringGetStiffness(spring), 120.0);
    QCOMPARE(cpDampedSpringGetDamping(spring), 2.5);
    QCOMPARE(cpDampedSpringGetAnchorA(spring).y, 2.0);
    cpConstraint* limit = find(cpConstraintIsRotaryLimitJoint);
    QCOMPARE(cpRotaryLimitJointGetMin(limit), -0.75);
    QCOMPARE(cpRotaryLimitJointGetMax(limit), 1.5);
    cpConstraint* ratchet = find(cpConstraintIsRatchetJoint);
    QCOMPARE(cpRatchetJointGetAngle(ratchet), 1.125);
    QCOMPARE(cpRatchetJointGetPhase(ratchet), 0.25);
    QCOMPARE(cpRatchetJointGetRatchet(ratchet), 0.625);
    cpConstraint* rotarySpring = find(cpConstraintIsDampedRotarySpring);
    QCOMPARE(cpConstraintGetBodyA(rotarySpring), cpSpaceGetStaticBody(copy));
    QCOMPARE(cpDampedRotarySpringGetRestAngle(rotarySpring), 0.375);
    QCOMPARE(cpDampedRotarySpringGetStiffness(rotarySpring), 80.0);
    QCOMPARE(cpDampedRotarySpringGetDamping(rotarySpring), 1.75);

    // Written again from the loaded space, the file is the same up to the ids.
    const QString second = dir.filePath(QStringLiteral("round2.phyxml"));
    cpSpaceSerializer rewriter;
    QVERIFY(rewriter.save(copy, second.toLocal8Bit().constData()));
    QCOMPARE(normaliseIds(QString::fromUtf8(readAll(second))), normaliseIds(text));

    for (int i = 0; i < 10; ++i)
        cpSpaceStep(copy, 1.0 / 30);
    freeSpaceAndContents(copy);
    freeSpaceAndContents(space);
}

void TestPhysicsWriter::failedSaveKeepsOldFile()
{
    SampleSpace s;
    const QString path = dir.filePath(QStringLiteral("keep.phyxml"));
    QVERIFY(writeAll(path, "old content"));
    cpSpaceSerializer serializer;
    // The target is a directory's child that cannot be created: nothing is written.
    QVERIFY(!serializer.save(s.space, dir.filePath(QStringLiteral("missing/sub.phyxml")).toLocal8Bit().constData()));
    QVERIFY(!serializer.save(s.space, ""));
    QCOMPARE(readAll(path), QByteArray("old content"));

    QVERIFY(serializer.save(s.space, path.toLocal8Bit().constData()));
    QVERIFY(readAll(path).startsWith("<space>"));
    // No temporary file is left beside the target.
    QCOMPARE(QDir(dir.path()).entryList({ QStringLiteral("keep.phyxml*") }, QDir::Files).size(), 1);
}

void TestPhysicsWriter::secondSaveReplacesFirst()
{
    SampleSpace s;
    const QString path = dir.filePath(QStringLiteral("twice.phyxml"));
    cpSpaceSerializer serializer;
    QVERIFY(serializer.save(s.space, path.toLocal8Bit().constData()));
    cpSpaceSetIterations(s.space, 3);
    QVERIFY(serializer.save(s.space, path.toLocal8Bit().constData()));
    const QByteArray text = readAll(path);
    QCOMPARE(text.count("<space>"), 1);
    QVERIFY(text.contains("<iterations>3</iterations>"));
}

QTEST_GUILESS_MAIN(TestPhysicsWriter)
#include "tst_physicswriter.moc"
