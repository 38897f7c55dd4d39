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
#include "Items/PolyShapeItem.h"
#include "Items/SegmentShapeItem.h"
#include "Tools/ShapeTools.h"
#include "cpCompat.h"
#include "cpSpaceSerializer.h"

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Ids are addresses: number them in order of first appearance (0 stays 0).
QString normaliseIds(const QString& text)
{
    static const QRegularExpression idRe(QStringLiteral("<(id|body_id|body_a_id|body_b_id)>(-?\\d+)</"));
    QStringList seen{QStringLiteral("0")};
    QString out;
    qsizetype last = 0;
    auto it = idRe.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        const QString id = m.captured(2);
        if (!seen.contains(id))
            seen << id;
        out += text.mid(last, m.capturedStart(2) - last);
        out += QString::number(seen.indexOf(id));
        last = m.capturedEnd(2);
    }
    out += text.mid(last);
    return out;
}

// Chipmunk lists the shapes of static-type bodies after all others, and a body
// made infinite in the editor is kinematic until it is loaded as static: put the
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
    cpCircleShapeSetOffset(circleShape, cpv(3.25, -4.125));
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
        QVERIFY(cpPolyValidateClockwise(verts.data(), int(verts.size())));

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
        QCOMPARE(cpShapeGetType(copyShape), cpShapeGetType(original));
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
        QCOMPARE(cpSpaceContainsBody(copy, b), cpSpaceSimulatesBody(space, a));
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
        QVERIFY(sixDigits(cpPolyShapeGetVertClockwise(loaded(boxShape), i), boxCycle[size_t(i)]));
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
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    cpSpaceFree(space);
}

QTEST_MAIN(TestPhysicsRoundTrip)
#include "tst_physicsroundtrip.moc"
