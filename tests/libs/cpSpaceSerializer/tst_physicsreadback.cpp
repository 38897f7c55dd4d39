// What the writer puts into a file is what the reader takes out of it, for the
// values the simulation or the editor can reach: stretched pivots, polygons of
// thousands of vertices, bodies flung past the bounds, coefficients at their
// bounds. Steps run on what was read, so a value the engine cannot take ends
// this program, not the others.

#include "SpaceHelpers.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

class TestPhysicsReadBack : public QObject
{
    Q_OBJECT

private slots:
    void pivotAnchorsComeBack_data();
    void pivotAnchorsComeBack();
    void stretchedPivotSavesAgainTheSame();
    void finePolygonsReopen_data();
    void finePolygonsReopen();
    void ordinaryPolygonsKeepTheirText();
    void runawayStateIsWrittenAtTheBound();
    void coefficientsAtTheirBounds_data();
    void coefficientsAtTheirBounds();
    void coefficientsAtTheirBoundsStepFinite();

private:
    QByteArray path(const char* name) { return dir.filePath(QString::fromLatin1(name)).toLocal8Bit(); }
    // Writes the space, frees it, and loads the file into a new space.
    cpSpace* roundTrip(cpSpace* space, const char* name)
    {
        const QByteArray p = path(name);
        const bool saved = cpSpaceSerializer().save(space, p.constData());
        freeSpaceAndContents(space);
        if (!saved)
            return nullptr;
        cpSpace* loaded = cpSpaceNew();
        cpSpaceSerializer().load(loaded, p.constData());
        return loaded;
    }
    QTemporaryDir dir;
};

namespace {

cpBody* addBody(cpSpace* space, cpVect at, double mass = 1, double moment = 100)
{
    cpBody* body = cpSpaceAddBody(space, cpBodyNew(mass, moment));
    cpBodySetPosition(body, at);
    cpSpaceAddShape(space, cpCircleShapeNew(body, 5, cpvzero));
    return body;
}

bool finiteBody(cpBody* body, void*)
{
    const cpVect p = cpBodyGetPosition(body);
    const cpVect v = cpBodyGetVelocity(body);
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(v.x) && std::isfinite(v.y)
        && std::isfinite(cpBodyGetAngle(body)) && std::isfinite(cpBodyGetAngularVelocity(body));
}

bool allBodiesFinite(cpSpace* space)
{
    bool finite = true;
    cpSpaceEachBody(space, [](cpBody* b, void* d) { *static_cast<bool*>(d) &= finiteBody(b, nullptr); }, &finite);
    return finite;
}

// n vertices on a circle of the given radius around centre, clockwise.
std::vector<cpVect> clockwiseCircle(int n, double radius, cpVect centre)
{
    std::vector<cpVect> out;
    for (int i = 0; i < n; ++i) {
        const double t = -2 * M_PI * i / n;
        out.push_back(cpvadd(centre, cpv(radius * std::cos(t), radius * std::sin(t))));
    }
    return out;
}

} // namespace

void TestPhysicsReadBack::pivotAnchorsComeBack_data()
{
    QTest::addColumn<QByteArray>("anchors");
    QTest::addColumn<QPointF>("anchorB");
    // As written: both anchors and the world anchor; the two bodies have pulled apart.
    QTest::newRow("written") << QByteArray("<anchr1 x=\"50\" y=\"0\" /><anchr2 x=\"50\" y=\"0\" />"
                                           "<worldAnchor x=\"50\" y=\"0\" />")
                             << QPointF(50, 0);
    QTest::newRow("anchors meeting") << QByteArray("<anchr1 x=\"50\" y=\"0\" /><anchr2 x=\"-50\" y=\"0\" />"
                                                   "<worldAnchor x=\"50\" y=\"0\" />")
                                     << QPointF(-50, 0);
    // Files of older writers hold the world anchor only.
    QTest::newRow("world anchor only") << QByteArray("<worldAnchor x=\"50\" y=\"0\" />") << QPointF(-50, 0);
}

void TestPhysicsReadBack::pivotAnchorsComeBack()
{
    QFETCH(QByteArray, anchors);
    QFETCH(QPointF, anchorB);
    const QByteArray body = "<body><mass>1</mass><inertia>100</inertia><p x=\"%1\" y=\"0\" /></body>";
    const QByteArray file = "<space><iterations>10</iterations>"
        "<shape type=\"circle\"><radius>5</radius><id>1</id><body_id>2</body_id>"
        + QByteArray(body).replace("%1", "0") + "</shape>"
        "<shape type=\"circle\"><radius>5</radius><id>3</id><body_id>4</body_id>"
        + QByteArray(body).replace("%1", "100") + "</shape>"
        "<constraint type=\"pivot\">" + anchors + "<id>5</id><body_a_id>2</body_a_id><body_b_id>4</body_b_id></constraint>"
        "</space>";
    const QByteArray p = path("pivot.phyxml");
    QVERIFY(writeAll(QString::fromLocal8Bit(p), file));
    cpSpace* s = cpSpaceNew();
    cpSpaceSerializer().load(s, p.constData());
    const std::vector<cpConstraint*> joints = constraintsOf(s);
    QCOMPARE(joints.size(), size_t(1));
    QCOMPARE(cpPivotJointGetAnchorA(joints[0]).x, 50.0);
    QCOMPARE(cpPivotJointGetAnchorB(joints[0]).x, anchorB.x());
    QCOMPARE(cpPivotJointGetAnchorB(joints[0]).y, anchorB.y());

    // Written and read again, a stretched joint stays as it is.
    cpSpace* again = roundTrip(s, "pivot2.phyxml");
    QVERIFY(again);
    const std::vector<cpConstraint*> reread = constraintsOf(again);
    QCOMPARE(reread.size(), size_t(1));
    QCOMPARE(cpPivotJointGetAnchorB(reread[0]).x, anchorB.x());
    freeSpaceAndContents(again);
}

// A pivot whose anchors have pulled apart, on bodies whose position and angle
// take more than the six digits written: read back from its anchors, and
// saved again, it is the same file.
void TestPhysicsReadBack::stretchedPivotSavesAgainTheSame()
{
    cpSpace* s = cpSpaceNew();
    cpBody* a = addBody(s, cpv(12.3456789, -7.7777777));
    cpBody* b = addBody(s, cpv(140.1234567, 33.3333333));
    cpBodySetAngle(a, 10.74641234);
    cpBodySetAngle(b, -3.21987654);
    const cpVect world = cpv(80.5, 10.25);
    cpConstraint* pivot = cpSpaceAddConstraint(s, cpPivotJointNew(a, b, world));
    cpPivotJointSetAnchorB(pivot, cpvadd(cpPivotJointGetAnchorB(pivot), cpv(30, -20)));
    const QByteArray first = path("first.phyxml");
    const QByteArray second = path("second.phyxml");
    QVERIFY(cpSpaceSerializer().save(s, first.constData()));
    freeSpaceAndContents(s);
    cpSpace* loaded = cpSpaceNew();
    cpSpaceSerializer().load(loaded, first.constData());
    QCOMPARE(constraintsOf(loaded).size(), size_t(1));
    QVERIFY(cpSpaceSerializer().save(loaded, second.constData()));
    freeSpaceAndContents(loaded);
    QCOMPARE(normaliseIds(QString::fromUtf8(readAll(QString::fromLocal8Bit(second)))),
             normaliseIds(QString::fromUtf8(readAll(QString::fromLocal8Bit(first)))));
}

void TestPhysicsReadBack::finePolygonsReopen_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("radius");
    QTest::addColumn<QPointF>("centre");
    QTest::newRow("2000") << 2000 << 100.0 << QPointF(0, 0);
    QTest::newRow("4000") << 4000 << 100.0 << QPointF(0, 0);
    QTest::newRow("20000") << 20000 << 100.0 << QPointF(0, 0);
    QTest::newRow("4000 far out") << 4000 << 50.0 << QPointF(1e5, -1e5);
}

// Neighbours of a fine polygon are so nearly collinear that six digits make
// some of them turn the wrong way, or fall onto one another.
void TestPhysicsReadBack::finePolygonsReopen()
{
    QFETCH(int, count);
    QFETCH(double, radius);
    QFETCH(QPointF, centre);
    const std::vector<cpVect> verts = clockwiseCircle(count, radius, cpv(centre.x(), centre.y()));
    QVERIFY(isValidClockwisePolygon(verts.data(), count));
    cpSpace* s = cpSpaceNew();
    cpBody* body = cpSpaceAddBody(s, cpBodyNew(1, 100));
    cpSpaceAddShape(s, newClockwisePolyShape(body, count, verts.data()));

    cpSpace* loaded = roundTrip(s, "fine.phyxml");
    QVERIFY(loaded);
    const std::vector<cpShape*> shapes = shapesOf(loaded);
    QCOMPARE(shapes.size(), size_t(1));
    QCOMPARE(cpPolyShapeGetCount(shapes[0]), count);
    const std::vector<cpVect> back = polyVerticesClockwise(shapes[0]);
    for (int i = 0; i < count; ++i)
        QVERIFY(cpvdist(back[i], verts[i]) <= 1e-5 * cpvlength(verts[i]));
    cpSpaceStep(loaded, 1.0 / 60);
    freeSpaceAndContents(loaded);
}

// A polygon that survives six digits is written with six digits, as before.
void TestPhysicsReadBack::ordinaryPolygonsKeepTheirText()
{
    cpSpace* s = cpSpaceNew();
    cpBody* body = cpSpaceAddBody(s, cpBodyNew(1, 100));
    const cpVect box[] = { cpv(-12.3456789, 10), cpv(10, 10), cpv(10, -10), cpv(-10, -10) };
    cpSpaceAddShape(s, newClockwisePolyShape(body, 4, box));
    const QByteArray p = path("box.phyxml");
    QVERIFY(cpSpaceSerializer().save(s, p.constData()));
    freeSpaceAndContents(s);
    const QByteArray text = readAll(QString::fromLocal8Bit(p));
    QVERIFY(text.contains("<vert x=\"-12.3457\" y=\"10\" />"));
}

// A body the simulation carried past the bound comes back at the bound, not
// at the origin.
void TestPhysicsReadBack::runawayStateIsWrittenAtTheBound()
{
    cpSpace* s = cpSpaceNew();
    cpBody* body = addBody(s, cpv(2e9, -3e9));
    cpBodySetVelocity(body, cpv(5e9, 7));
    cpBodySetAngle(body, 4e9);
    cpBodySetAngularVelocity(body, -2e9);

    cpSpace* loaded = roundTrip(s, "runaway.phyxml");
    QVERIFY(loaded);
    const std::vector<cpShape*> shapes = shapesOf(loaded);
    QCOMPARE(shapes.size(), size_t(1));
    cpBody* back = cpShapeGetBody(shapes[0]);
    QCOMPARE(cpBodyGetPosition(back).x, saneMaxMagnitude);
    QCOMPARE(cpBodyGetPosition(back).y, -saneMaxMagnitude);
    QCOMPARE(cpBodyGetVelocity(back).x, saneMaxMagnitude);
    QCOMPARE(cpBodyGetVelocity(back).y, 7.0);
    QCOMPARE(cpBodyGetAngle(back), saneMaxMagnitude);
    QCOMPARE(cpBodyGetAngularVelocity(back), -saneMaxMagnitude);
    freeSpaceAndContents(loaded);
}

void TestPhysicsReadBack::coefficientsAtTheirBounds_data()
{
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");
    QTest::newRow("elasticity at bound") << QByteArray("e") << 100.0 << 100.0;
    QTest::newRow("elasticity past") << QByteArray("e") << 1e9 << 0.0;
    QTest::newRow("friction at bound") << QByteArray("u") << 1e4 << 1e4;
    QTest::newRow("friction past") << QByteArray("u") << 1e9 << 0.0;
    QTest::newRow("gravity at bound") << QByteArray("gravity") << -1e6 << -1e6;
    QTest::newRow("gravity past") << QByteArray("gravity") << 1e9 << 0.0;
}

void TestPhysicsReadBack::coefficientsAtTheirBounds()
{
    QFETCH(QByteArray, element);
    QFETCH(double, value);
    QFETCH(double, expected);
    const QByteArray number = QByteArray::number(value, 'g', 17);
    const QByteArray gravity = element == "gravity" ? "<gravity x=\"" + number + "\" y=\"" + number + "\" />" : "";
    const QByteArray coefficient = element == "gravity" ? "" : "<" + element + ">" + number + "</" + element + ">";
    const QByteArray p = path("coefficients.phyxml");
    QVERIFY(writeAll(QString::fromLocal8Bit(p),
                     "<space><iterations>10</iterations>" + gravity
                         + "<shape type=\"circle\"><radius>5</radius><id>1</id>" + coefficient
                         + "<body_id>2</body_id><body><mass>1</mass><inertia>1</inertia></body></shape></space>"));
    cpSpace* s = cpSpaceNew();
    cpSpaceSetGravity(s, cpvzero);
    cpSpaceSerializer().load(s, p.constData());
    const std::vector<cpShape*> shapes = shapesOf(s);
    QCOMPARE(shapes.size(), size_t(1));
    if (element == "gravity") {
        QCOMPARE(cpSpaceGetGravity(s).x, expected);
        QCOMPARE(cpSpaceGetGravity(s).y, expected);
    } else if (element == "e") {
        QCOMPARE(cpShapeGetElasticity(shapes[0]), expected);
    } else {
        QCOMPARE(cpShapeGetFriction(shapes[0]), expected);
    }
    freeSpaceAndContents(s);
}

// Light bodies thrown into each other and onto a floor with the coefficients
// and gravity at their bounds: every step stays finite.
void TestPhysicsReadBack::coefficientsAtTheirBoundsStepFinite()
{
    const QByteArray shape = "<shape type=\"circle\"><radius>50</radius><id>%1</id><e>E</e><u>U</u>"
                             "<body_id>%1</body_id><body><mass>1e-9</mass><inertia>1e-9</inertia>"
                             "<p x=\"%2\" y=\"0\" /><v x=\"%3\" y=\"0\" /></body></shape>";
    QByteArray shapes;
    for (int i = 0; i < 4; ++i)
        shapes += QByteArray(shape)
                      .replace("%1", QByteArray::number(i + 1))
                      .replace("%2", QByteArray::number(i * 60))
                      .replace("%3", i % 2 ? "-1e9" : "1e9");
    const QByteArray floor = "<shape type=\"segment\"><a x=\"-1e6\" y=\"-40\" /><b x=\"1e6\" y=\"-40\" /><radius>1</radius>"
                             "<id>9</id><e>E</e><u>U</u><body_id>0</body_id></shape>";
    const QByteArray p = path("extreme.phyxml");
    const QByteArray file = "<space><iterations>10</iterations><gravity x=\"G\" y=\"-G\" />" + shapes + floor + "</space>";
    QVERIFY(writeAll(QString::fromLocal8Bit(p),
                     QByteArray(file).replace("E", "100").replace("U", "1e4").replace("G", "1e6")));
    cpSpace* s = cpSpaceNew();
    cpSpaceSerializer().load(s, p.constData());
    QCOMPARE(shapeCount(s), 5);
    for (int i = 0; i < 30; ++i) {
        cpSpaceStep(s, 1.0 / 60);
        QVERIFY2(allBodiesFinite(s), qPrintable(QStringLiteral("step %1").arg(i)));
    }
    freeSpaceAndContents(s);
}

QTEST_GUILESS_MAIN(TestPhysicsReadBack)
#include "tst_physicsreadback.moc"
