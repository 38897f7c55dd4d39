#include <QFile>
#include <QGraphicsScene>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <vector>

#include <tinyxml.h>

#include "Items/AbstractLineItem.h"
#include "Items/CircleShapeItem.h"
#include "Items/GrooveJointItem.h"
#include "Items/JointItems.h"
#include "Items/PolyShapeItem.h"
#include "Items/SegmentShapeItem.h"
#include "Tools/ShapeTools.h"
#include "cpCompat.h"
#include "cpSpaceSerializer.h"

#include "PhysicsFileText.h"

#include "SpaceTestSupport.h"

namespace {

// Chipmunk lists the shapes of static-type bodies after all others: put the
// shape elements in one order before comparing two files.
QString sortShapes(const QString& text)
{
    static const QRegularExpression shapeRe(QStringLiteral("    <shape [^\\n]*\\n.*?\\n    </shape>\\n"),
                                            QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression anyId(QStringLiteral("<(id|body_id)>-?\\d+</"));
    QList<QPair<QString, QString>> shapes;
    qsizetype first = -1;
    qsizetype last = 0;
    auto it = shapeRe.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        if (first < 0)
            first = m.capturedStart();
        QString blind = m.captured();
        blind.replace(anyId, QStringLiteral("<\\1>ID</"));
        shapes.append({blind, m.captured()});
        last = m.capturedEnd();
    }
    if (first < 0)
        return text;
    std::stable_sort(shapes.begin(), shapes.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QString out = text.left(first);
    for (const auto& shape : shapes)
        out += shape.second;
    return out + text.mid(last);
}

// The file keeps six significant digits.
bool sixDigits(double loaded, double original)
{
    if (std::isinf(original))
        return loaded == original;
    return std::fabs(loaded - original) <= 5e-6 * std::fabs(original) + 1e-12;
}

bool sixDigits(cpVect loaded, cpVect original)
{
    return sixDigits(loaded.x, original.x) && sixDigits(loaded.y, original.y);
}

void collectShape(cpShape* shape, void* data)
{
    static_cast<std::vector<cpShape*>*>(data)->push_back(shape);
}

void collectBody(cpBody* body, void* data)
{
    static_cast<std::vector<cpBody*>*>(data)->push_back(body);
}

void collectConstraint(cpConstraint* c, void* data)
{
    static_cast<std::vector<cpConstraint*>*>(data)->push_back(c);
}

// Frees a space loaded without items: its constraints, shapes and every body
// they name (also bodies kept out of the space).
void freeLoadedSpace(cpSpace* space)
{
    std::vector<cpConstraint*> constraints;
    cpSpaceEachConstraint(space, collectConstraint, &constraints);
    std::vector<cpShape*> shapes;
    cpSpaceEachShape(space, collectShape, &shapes);
    std::vector<cpBody*> inSpace;
    cpSpaceEachBody(space, collectBody, &inSpace);
    std::set<cpBody*> bodies(inSpace.begin(), inSpace.end());
    for (cpShape* s : shapes)
        bodies.insert(cpShapeGetBody(s));
    bodies.erase(cpSpaceGetStaticBody(space));
    for (cpConstraint* c : constraints) {
        cpSpaceRemoveConstraint(space, c);
        cpConstraintFree(c);
    }
    for (cpShape* s : shapes) {
        cpSpaceRemoveShape(space, s);
        cpShapeFree(s);
    }
    for (cpBody* b : bodies) {
        if (cpSpaceContainsBody(space, b))
            cpSpaceRemoveBody(space, b);
        cpBodyFree(b);
    }
    cpSpaceFree(space);
}

// Clockwise vertices of every "poly" shape element of a physics file.
std::vector<std::vector<cpVect>> polygonsInFile(const QString& path)
{
    std::vector<std::vector<cpVect>> out;
    TiXmlDocument doc;
    if (!doc.LoadFile(path.toLocal8Bit().constData()))
        return out;
    TiXmlElement* space = doc.FirstChildElement("space");
    for (TiXmlElement* shape = space ? space->FirstChildElement("shape") : nullptr; shape;
         shape = shape->NextSiblingElement("shape")) {
        const char* type = shape->Attribute("type");
        if (!type || std::string(type) != "poly")
            continue;
        std::vector<cpVect> verts;
        TiXmlElement* list = shape->FirstChildElement("verts");
        for (TiXmlElement* v = list ? list->FirstChildElement("vert") : nullptr; v;
             v = v->NextSiblingElement("vert")) {
            double x = 0, y = 0;
            v->QueryDoubleAttribute("x", &x);
            v->QueryDoubleAttribute("y", &y);
            verts.push_back(cpv(x, y));
        }
        out.push_back(verts);
    }
    return out;
}

// Same cycle, in the same direction, from any starting vertex.
bool sameCycle(const std::vector<cpVect>& a, const std::vector<cpVect>& b)
{
    if (a.size() != b.size() || a.empty())
        return false;
    for (size_t start = 0; start < b.size(); ++start) {
        bool all = true;
        for (size_t i = 0; i < a.size() && all; ++i)
            all = sixDigits(a[i], b[(start + i) % b.size()]);
        if (all)
            return true;
    }
    return false;
}

} // namespace

class TestPhysicsRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void shapesSurviveTheFile();
    void constraintsSurviveTheFile();
};

// A level of shape items saved to the physics file and loaded into a new space:
// every kind, value, filter, body and polygon cycle survives, and saving the
// loaded space again gives the same file up to the ids.
void TestPhysicsRoundTrip::shapesSurviveTheFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QGraphicsScene scene;
    cpSpace* space = cpSpaceNew();
    cpSpaceSetGravity(space, cpv(0, -10));

    // A circle with an offset, turned and moving, with a filter and a sensor flag.
    cpShape* circleShape = CircleTool::createDefaultShape(space, cpv(123.456789, 50.5));
    setCircleOffset(circleShape, cpv(3.25, -4.125));
    auto* circle = new CircleShapeItem(space, circleShape, nullptr);
    scene.addItem(circle);
    cpBodySetAngle(cpShapeGetBody(circleShape), 0.3);
    circle->setVelocity(QPointF(1.5, -2.25));
    circle->setSensor(true);
    circle->setCollisionType(3);
    QVERIFY(circle->setProperty("Group", 7));
    circle->setLayers(5);
    circle->setElasticity(0.125f);
    circle->setFriction(0.625f);

    // A box whose handle was dragged (clockwise vertices kept as they are).
    cpShape* boxShape = PolyTool::createDefaultShape(space, cpv(-40, 80));
    auto* box = new PolyShapeItem(space, boxShape, nullptr);
    scene.addItem(box);
    box->handles().at(1)->setPos(QPointF(22.5, 17.75));

    // A static chain of two segments sharing a node.
    SegmentTool segmentTool(nullptr);
    cpShape* s1Shape = segmentTool.createDefaultShape(space, cpv(-100, -50));
    cpShape* s2Shape = segmentTool.createDefaultShape(space, cpv(0, -50));
    auto* s1 = new SegmentShapeItem(space, s1Shape);
    auto* s2 = new SegmentShapeItem(space, s2Shape);
    scene.addItem(s1);
    scene.addItem(s2);
    auto* start = new LineItemNode(nullptr, s1);
    auto* bend = new LineItemNode(s1, s2);
    auto* end = new LineItemNode(s2, nullptr);
    for (auto* node : {start, bend, end})
        scene.addItem(node);
    start->setPos(-100, -50);
    bend->setPos(0, -60.5);
    end->setPos(100, -40);
    for (auto* node : {start, bend, end})
        node->updateEdges();

    // A glued pair: a small circle on a second box's body.
    cpShape* hostShape = PolyTool::createDefaultShape(space, cpv(200, 0));
    auto* host = new PolyShapeItem(space, hostShape, nullptr);
    scene.addItem(host);
    cpShape* riderShape = CircleTool::createDefaultShape(space, cpv(207, 5));
    auto* rider = new CircleShapeItem(space, riderShape, nullptr);
    scene.addItem(rider);
    host->dropped(rider);
    QCOMPARE(cpShapeGetBody(riderShape), cpShapeGetBody(hostShape));

    // A body made infinite through the Mass property.
    cpShape* heavyShape = CircleTool::createDefaultShape(space, cpv(-300, 10));
    auto* heavy = new CircleShapeItem(space, heavyShape, nullptr);
    scene.addItem(heavy);
    heavy->setMass(-1);

    for (int i = 0; i < 3; ++i)
        cpSpaceStep(space, 1.0 / 30);

    const QString first = dir.filePath(QStringLiteral("level.kfml.phyxml"));
    cpSpaceSerializer writer;
    QVERIFY(writer.save(space, first.toLocal8Bit().constData()));

    // Polygons are clockwise in the file, the item's own cycle.
    const std::vector<std::vector<cpVect>> filePolys = polygonsInFile(first);
    QCOMPARE(filePolys.size(), size_t(2));
    std::vector<cpVect> boxCycle;
    for (const QPointF& p : box->handlePositions())
        boxCycle.push_back(cpv(p.x(), p.y()));
    QVERIFY(sameCycle(filePolys[0], boxCycle) || sameCycle(filePolys[1], boxCycle));
    for (const auto& verts : filePolys)
        QVERIFY(isValidClockwisePolygon(verts.data(), int(verts.size())));

    cpSpace* copy = cpSpaceNew();
    cpSpaceSerializer reader;
    QCOMPARE(reader.load(copy, first.toLocal8Bit().constData()), copy);
    auto loaded = [&](cpShape* original) -> cpShape* {
        const auto found = reader.shapeMap().find(static_cast<long long>(reinterpret_cast<std::intptr_t>(original)));
        return found == reader.shapeMap().end() ? nullptr : found->second;
    };

    // Every shape came back as its kind, with its surface and filter.
    for (cpShape* original : {circleShape, boxShape, s1Shape, s2Shape, hostShape, riderShape, heavyShape}) {
        cpShape* copyShape = loaded(original);
        QVERIFY(copyShape);
        QVERIFY(cpSpaceContainsShape(copy, copyShape));
        QCOMPARE(shapeTypeOf(copyShape), shapeTypeOf(original));
        QCOMPARE(cpShapeGetSensor(copyShape), cpShapeGetSensor(original));
        QVERIFY(sixDigits(cpShapeGetElasticity(copyShape), cpShapeGetElasticity(original)));
        QVERIFY(sixDigits(cpShapeGetFriction(copyShape), cpShapeGetFriction(original)));
        QCOMPARE(cpShapeGetCollisionType(copyShape), cpShapeGetCollisionType(original));
        QCOMPARE(cpShapeGetFilter(copyShape).group, cpShapeGetFilter(original).group);
        QCOMPARE(cpShapeGetFilter(copyShape).categories, cpShapeGetFilter(original).categories);
        QCOMPARE(cpShapeGetFilter(copyShape).mask, cpShapeGetFilter(original).mask);

        cpBody* a = cpShapeGetBody(original);
        cpBody* b = cpShapeGetBody(copyShape);
        if (a == cpSpaceGetStaticBody(space)) {
            QCOMPARE(b, cpSpaceGetStaticBody(copy));
            continue;
        }
        QVERIFY(sixDigits(cpBodyGetMass(b), cpBodyGetMass(a)));
        QVERIFY(sixDigits(cpBodyGetMoment(b), cpBodyGetMoment(a)));
        QVERIFY(sixDigits(cpBodyGetPosition(b), cpBodyGetPosition(a)));
        QVERIFY(sixDigits(cpBodyGetVelocity(b), cpBodyGetVelocity(a)));
        QVERIFY(sixDigits(cpBodyGetAngle(b), cpBodyGetAngle(a)));
        QCOMPARE(cpSpaceContainsBody(copy, b), spaceSimulatesBody(space, a));
    }
    QCOMPARE(cpShapeGetFilter(circleShape).categories, cpBitmask(5));
    QVERIFY(cpShapeGetSensor(loaded(circleShape)));
    QVERIFY(!cpShapeGetSensor(loaded(boxShape)));

    // Kind by kind.
    QVERIFY(sixDigits(cpCircleShapeGetOffset(loaded(circleShape)), cpv(3.25, -4.125)));
    QCOMPARE(cpCircleShapeGetRadius(loaded(circleShape)), 10.0);
    QCOMPARE(cpBodyGetMoment(cpShapeGetBody(loaded(circleShape))), 13000.0);
    QCOMPARE(cpPolyShapeGetCount(loaded(boxShape)), 4);
    for (int i = 0; i < 4; ++i)
        QVERIFY(sixDigits(polyVerticesClockwise(loaded(boxShape))[size_t(i)], boxCycle[size_t(i)]));
    QVERIFY(sixDigits(cpSegmentShapeGetB(loaded(s1Shape)), cpv(0, -60.5)));
    QVERIFY(sixDigits(cpSegmentShapeGetA(loaded(s2Shape)), cpv(0, -60.5)));
    QVERIFY(sixDigits(cpSegmentShapeGetB(loaded(s2Shape)), cpv(100, -40)));
    QCOMPARE(cpSegmentShapeGetRadius(loaded(s1Shape)), 3.0);
    // The glued pair shares one body again, the rider at its offset.
    QCOMPARE(cpShapeGetBody(loaded(riderShape)), cpShapeGetBody(loaded(hostShape)));
    QVERIFY(sixDigits(cpCircleShapeGetOffset(loaded(riderShape)), cpCircleShapeGetOffset(riderShape)));
    QVERIFY(sixDigits(cpCircleShapeGetOffset(riderShape), cpv(7, 5)));
    // The infinite body stays out of the simulation.
    cpBody* heavyBody = cpShapeGetBody(loaded(heavyShape));
    QVERIFY(std::isinf(cpBodyGetMass(heavyBody)));
    QVERIFY(std::isinf(cpBodyGetMoment(heavyBody)));
    QVERIFY(!cpSpaceContainsBody(copy, heavyBody));

    // Saved again from the loaded space: the same file up to the ids.
    const QString second = dir.filePath(QStringLiteral("again.phyxml"));
    cpSpaceSerializer rewriter;
    QVERIFY(rewriter.save(copy, second.toLocal8Bit().constData()));
    QCOMPARE(normaliseIds(sortShapes(QString::fromUtf8(readAll(second)))),
             normaliseIds(sortShapes(QString::fromUtf8(readAll(first)))));

    for (int i = 0; i < 10; ++i)
        cpSpaceStep(copy, 1.0 / 30);
    freeLoadedSpace(copy);

    scene.clear();
    flushDeletes();
    cpSpaceFree(space);
}

namespace {

// Draws a joint as the joint tools do and gives it the non-default engine-wide values.
template <typename Joint>
Joint* drawJoint(QGraphicsScene& scene, cpSpace* space, QPointF p1, QPointF p2)
{
    auto* joint = new Joint(space, Joint::defaultConstraint());
    joint->setLine(QLineF(p1, p2));
    scene.addItem(joint);
    joint->setupNodes();
    joint->setMaxForce(1000);
    joint->setMaxBias(5);
    joint->setErrorBias(0.25f);
    return joint;
}

std::vector<cpConstraint*> constraintsOf(cpSpace* space)
{
    std::vector<cpConstraint*> out;
    cpSpaceEachConstraint(space, collectConstraint, &out);
    return out;
}

const char* constraintKind(const cpConstraint* c)
{
    if (cpConstraintIsPinJoint(c)) return "pin";
    if (cpConstraintIsSlideJoint(c)) return "slide";
    if (cpConstraintIsPivotJoint(c)) return "pivot";
    if (cpConstraintIsGrooveJoint(c)) return "groove";
    if (cpConstraintIsSimpleMotor(c)) return "motor";
    if (cpConstraintIsGearJoint(c)) return "gear";
    if (cpConstraintIsDampedSpring(c)) return "spring";
    if (cpConstraintIsRotaryLimitJoint(c)) return "rotaryLimit";
    if (cpConstraintIsRatchetJoint(c)) return "ratchet";
    if (cpConstraintIsDampedRotarySpring(c)) return "rotarySpring";
    return "";
}

// The kind's own values of two constraints of the same kind agree to six digits.
bool sameKindValues(const cpConstraint* l, const cpConstraint* o)
{
    const QByteArray kind(constraintKind(o));
    if (kind == "pin")
        return sixDigits(cpPinJointGetAnchorA(l), cpPinJointGetAnchorA(o)) && sixDigits(cpPinJointGetAnchorB(l), cpPinJointGetAnchorB(o))
            && sixDigits(cpPinJointGetDist(l), cpPinJointGetDist(o));
    if (kind == "slide")
        return sixDigits(cpSlideJointGetAnchorA(l), cpSlideJointGetAnchorA(o)) && sixDigits(cpSlideJointGetAnchorB(l), cpSlideJointGetAnchorB(o))
            && sixDigits(cpSlideJointGetMin(l), cpSlideJointGetMin(o)) && sixDigits(cpSlideJointGetMax(l), cpSlideJointGetMax(o));
    if (kind == "pivot")
        return sixDigits(cpPivotJointGetAnchorA(l), cpPivotJointGetAnchorA(o)) && sixDigits(cpPivotJointGetAnchorB(l), cpPivotJointGetAnchorB(o));
    if (kind == "groove")
        return sixDigits(cpGrooveJointGetGrooveA(l), cpGrooveJointGetGrooveA(o)) && sixDigits(cpGrooveJointGetGrooveB(l), cpGrooveJointGetGrooveB(o))
            && sixDigits(cpGrooveJointGetAnchorB(l), cpGrooveJointGetAnchorB(o));
    if (kind == "motor")
        return sixDigits(cpSimpleMotorGetRate(l), cpSimpleMotorGetRate(o));
    if (kind == "gear")
        return sixDigits(cpGearJointGetPhase(l), cpGearJointGetPhase(o)) && sixDigits(cpGearJointGetRatio(l), cpGearJointGetRatio(o));
    if (kind == "spring")
        return sixDigits(cpDampedSpringGetAnchorA(l), cpDampedSpringGetAnchorA(o)) && sixDigits(cpDampedSpringGetAnchorB(l), cpDampedSpringGetAnchorB(o))
            && sixDigits(cpDampedSpringGetRestLength(l), cpDampedSpringGetRestLength(o))
            && sixDigits(cpDampedSpringGetStiffness(l), cpDampedSpringGetStiffness(o))
            && sixDigits(cpDampedSpringGetDamping(l), cpDampedSpringGetDamping(o));
    if (kind == "rotaryLimit")
        return sixDigits(cpRotaryLimitJointGetMin(l), cpRotaryLimitJointGetMin(o)) && sixDigits(cpRotaryLimitJointGetMax(l), cpRotaryLimitJointGetMax(o));
    if (kind == "ratchet")
        return sixDigits(cpRatchetJointGetPhase(l), cpRatchetJointGetPhase(o)) && sixDigits(cpRatchetJointGetRatchet(l), cpRatchetJointGetRatchet(o));
    if (kind == "rotarySpring")
        return sixDigits(cpDampedRotarySpringGetRestAngle(l), cpDampedRotarySpringGetRestAngle(o))
            && sixDigits(cpDampedRotarySpringGetStiffness(l), cpDampedRotarySpringGetStiffness(o))
            && sixDigits(cpDampedRotarySpringGetDamping(l), cpDampedRotarySpringGetDamping(o));
    return false;
}

} // namespace

// One constraint of each of the ten kinds, nine of them drawn as joint items and
// bound, with non-default values, saved and loaded into a new space: kinds,
// bodies and values survive, and saving again gives the same file up to the ids.
void TestPhysicsRoundTrip::constraintsSurviveTheFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QGraphicsScene scene;
    cpSpace* space = cpSpaceNew();
    cpSpaceSetGravity(space, cpv(0, -10));

    std::vector<cpShape*> shapes;
    for (const cpVect at : {cpv(0, 0), cpv(100, 0), cpv(0, 100)}) {
        cpShape* shape = CircleTool::createDefaultShape(space, at);
        scene.addItem(new CircleShapeItem(space, shape, nullptr));
        shapes.push_back(shape);
    }
    cpShape* boxShape = PolyTool::createDefaultShape(space, cpv(100, 100));
    scene.addItem(new PolyShapeItem(space, boxShape, nullptr));
    shapes.push_back(boxShape);
    cpBodySetAngle(cpShapeGetBody(shapes[1]), 0.4);
    cpSpaceReindexShapesForBody(space, cpShapeGetBody(shapes[1]));

    drawJoint<PinJointItem>(scene, space, QPointF(5, 0), QPointF(95, 0))->setLength(80);
    auto* slide = drawJoint<SlideJointItem>(scene, space, QPointF(0, 5), QPointF(0, 95));
    slide->setMinLength(10);
    slide->setMaxLength(120);
    // A click on a shape pins it to the static body at one point. (The file
    // rebuilds a pivot from its one world point.)
    drawJoint<PivotJointItem>(scene, space, QPointF(-5, 0), QPointF(-5, 0));
    drawJoint<GrooveJointItem>(scene, space, QPointF(100, 5), QPointF(100, 95));
    drawJoint<MotorJointItem>(scene, space, QPointF(0, 100), QPointF(100, 100))->setRate(3.5f);
    auto* gear = drawJoint<GearJointItem>(scene, space, QPointF(0, 0), QPointF(100, 100));
    gear->setRatio(2.5f);
    gear->setPhase(0.75f);
    auto* spring = drawJoint<SpringJointItem>(scene, space, QPointF(98, 2), QPointF(2, 98));
    spring->setRestLength(60);
    spring->setStiffness(250);
    spring->setDamping(1.5f);
    auto* rotarySpring = drawJoint<RotarySpringJointItem>(scene, space, QPointF(0, 100), QPointF(100, 0));
    rotarySpring->setRestAngle(0.5f);
    rotarySpring->setStiffness(3000);
    rotarySpring->setDamping(2.25f);
    auto* limit = drawJoint<RotaryLimitJointItem>(scene, space, QPointF(100, 100), QPointF(0, 0));
    limit->setMinAngle(-30);
    limit->setMaxAngle(60);
    // The ratchet has no item; the file carries it all the same.
    cpConstraint* ratchet = cpSpaceAddConstraint(
        space, cpRatchetJointNew(cpShapeGetBody(shapes[1]), cpShapeGetBody(boxShape), 0.1, 0.2));
    cpConstraintSetMaxForce(ratchet, 1000);
    cpConstraintSetMaxBias(ratchet, 5);
    cpConstraintSetErrorBias(ratchet, 0.25);

    const std::vector<cpConstraint*> originals = constraintsOf(space);
    QCOMPARE(originals.size(), size_t(10));
    std::set<QByteArray> kinds;
    for (cpConstraint* c : originals)
        kinds.insert(constraintKind(c));
    QCOMPARE(kinds.size(), size_t(10));

    const QString first = dir.filePath(QStringLiteral("joints.kfml.phyxml"));
    cpSpaceSerializer writer;
    QVERIFY(writer.save(space, first.toLocal8Bit().constData()));

    cpSpace* copy = cpSpaceNew();
    cpSpaceSerializer reader;
    QCOMPARE(reader.load(copy, first.toLocal8Bit().constData()), copy);
    auto loadedBody = [&](cpBody* original) -> cpBody* {
        if (original == cpSpaceGetStaticBody(space))
            return cpSpaceGetStaticBody(copy);
        for (cpShape* shape : shapes) {
            if (cpShapeGetBody(shape) != original)
                continue;
            const auto found = reader.shapeMap().find(static_cast<long long>(reinterpret_cast<std::intptr_t>(shape)));
            return found == reader.shapeMap().end() || !found->second ? nullptr : cpShapeGetBody(found->second);
        }
        return nullptr;
    };

    // The file keeps the order of the space.
    const std::vector<cpConstraint*> copies = constraintsOf(copy);
    QCOMPARE(copies.size(), originals.size());
    for (size_t i = 0; i < originals.size(); ++i) {
        cpConstraint* o = originals[i];
        cpConstraint* l = copies[i];
        const QByteArray kind(constraintKind(o));
        QCOMPARE(QByteArray(constraintKind(l)), kind);
        QVERIFY2(cpConstraintGetBodyA(l) && cpConstraintGetBodyA(l) == loadedBody(cpConstraintGetBodyA(o)), kind);
        QVERIFY2(cpConstraintGetBodyB(l) && cpConstraintGetBodyB(l) == loadedBody(cpConstraintGetBodyB(o)), kind);
        QVERIFY2(sixDigits(cpConstraintGetMaxForce(l), 1000) && sixDigits(cpConstraintGetMaxForce(o), 1000), kind);
        QVERIFY2(sixDigits(cpConstraintGetMaxBias(l), 5) && sixDigits(cpConstraintGetMaxBias(o), 5), kind);
        QVERIFY2(sixDigits(cpConstraintGetErrorBias(l), 0.25) && sixDigits(cpConstraintGetErrorBias(o), 0.25), kind);
        QVERIFY2(sameKindValues(l, o), kind);
    }
    // The one fixed to the static body is fixed to the new space's static body.
    QVERIFY(std::any_of(copies.begin(), copies.end(), [&](cpConstraint* c) {
        return cpConstraintGetBodyB(c) == cpSpaceGetStaticBody(copy);
    }));

    const QString second = dir.filePath(QStringLiteral("again.phyxml"));
    cpSpaceSerializer rewriter;
    QVERIFY(rewriter.save(copy, second.toLocal8Bit().constData()));
    QCOMPARE(normaliseIds(sortShapes(QString::fromUtf8(readAll(second)))),
             normaliseIds(sortShapes(QString::fromUtf8(readAll(first)))));

    for (int i = 0; i < 10; ++i)
        cpSpaceStep(copy, 1.0 / 30);
    freeLoadedSpace(copy);

    // The shape items take the item-less ratchet out of the space with its bodies.
    scene.clear();
    flushDeletes();
    QVERIFY(!cpSpaceContainsConstraint(space, ratchet));
    cpConstraintFree(ratchet);
    cpSpaceFree(space);
}

QTEST_MAIN(TestPhysicsRoundTrip)
#include "tst_physicsroundtrip.moc"
