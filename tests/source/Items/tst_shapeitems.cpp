#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QtTest>

#include <cmath>
#include <functional>
#include <vector>

#include "Items/AbstractLineItem.h"
#include "Items/CircleShapeItem.h"
#include "Items/PolyShapeItem.h"
#include "Items/SegmentShapeItem.h"
#include "Toolkit/cpSupport.h"
#include "cpCompat.h"

#include "SceneMouse.h"

#include "SpaceTestSupport.h"

namespace {

const QColor kFree(0, 100, 255, 200);
const QColor kGlued(0, 100, 180, 200);

QPointF toPoint(cpVect v) { return QPointF(v.x, v.y); }

bool near(const QPointF& a, const QPointF& b, double eps = 1e-6)
{
    return std::fabs(a.x() - b.x()) < eps && std::fabs(a.y() - b.y()) < eps;
}

// A scene and a space with gravity; every item is deleted before the space goes.
struct World
{
    QGraphicsScene scene;
    cpSpace* space;

    World()
        : space(cpSpaceNew())
    {
        cpSpaceSetGravity(space, cpv(0, -10));
    }
    ~World()
    {
        scene.clear();
        flushDeletes();
        cpSpaceFree(space);
    }

    cpBody* newBody(QPointF at, double mass = 130, double moment = 1000)
    {
        cpBody* body = cpBodyNew(mass, moment);
        cpBodySetPosition(body, cpv(at.x(), at.y()));
        cpSpaceAddBody(space, body);
        return body;
    }

    CircleShapeItem* circle(QPointF at, double radius = 10, cpBody* body = nullptr)
    {
        if (!body)
            body = newBody(at, 130, cpMomentForCircle(130, radius, radius, cpvzero));
        cpShape* shape = cpSpaceAddShape(space, cpCircleShapeNew(body, radius, cpvzero));
        auto* item = new CircleShapeItem(space, shape, nullptr);
        scene.addItem(item);
        return item;
    }

    // A square of half side h, clockwise.
    PolyShapeItem* box(QPointF at, double h = 15, cpBody* body = nullptr)
    {
        const cpVect cw[4] = {cpv(-h, h), cpv(h, h), cpv(h, -h), cpv(-h, -h)};
        if (!body)
            body = newBody(at, 130, cpMomentForPoly(130, 4, cw, cpvzero, 0));
        cpShape* shape = cpSpaceAddShape(space, newClockwisePolyShape(body, 4, cw));
        auto* item = new PolyShapeItem(space, shape, nullptr);
        scene.addItem(item);
        return item;
    }

    SegmentShapeItem* segment(QPointF a, QPointF b, cpBody* body = nullptr)
    {
        if (!body)
            body = cpSpaceGetStaticBody(space);
        cpShape* shape = cpSpaceAddShape(
            space, cpSegmentShapeNew(body, cpv(a.x(), a.y()), cpv(b.x(), b.y()), 3));
        auto* item = new SegmentShapeItem(space, shape);
        scene.addItem(item);
        auto* na = new LineItemNode(nullptr, item);
        na->setPos(item->pointA());
        scene.addItem(na);
        auto* nb = new LineItemNode(item, nullptr);
        nb->setPos(item->pointB());
        scene.addItem(nb);
        return item;
    }

    void step(int n = 10)
    {
        for (int i = 0; i < n; ++i)
            cpSpaceStep(space, 1.0 / 30);
    }

    void mouse(QEvent::Type type, QPointF at, QPointF down, Qt::KeyboardModifiers mods = {})
    {
        sendSceneMouse(&scene, type, at, down, mods);
    }

    // Press at from, move to to in a few steps, release there.
    void drag(QPointF from, QPointF to, Qt::KeyboardModifiers mods = {})
    {
        mouse(QEvent::GraphicsSceneMousePress, from, from, mods);
        for (int i = 1; i <= 4; ++i)
            mouse(QEvent::GraphicsSceneMouseMove, from + (to - from) * (i / 4.0), from, mods);
        mouse(QEvent::GraphicsSceneMouseRelease, to, from, mods);
    }

    void key(QGraphicsItem* item, int key)
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        scene.sendEvent(item, &event);
    }
};

QColor brushColor(CircleShapeItem* item) { return item->brush().color(); }

// Stands in for a sprite: only its type and what it follows matter here.
class FakeSprite : public QGraphicsRectItem, public AbstractSyncItem
{
public:
    FakeSprite()
        : QGraphicsRectItem(0, 0, 8, 8)
    {
    }
    int type() const override { return GraphicItemType; }
    void sync(AbstractSyncItem* other) override { followed = other; }

    AbstractSyncItem* followed = nullptr;
};

} // namespace

class TestShapeItems : public QObject
{
    Q_OBJECT

private slots:
    void teardownFreesBody_data();
    void teardownFreesBody();
    void adjustAfterStepping_data();
    void adjustAfterStepping();
    void glueAndUnglueByShiftDrag();
    void spriteDroppedFollowsShape_data();
    void spriteDroppedFollowsShape();
    void targetSearch();
    void hostCarriesGluedShapes();
    void polygonHandleDrag();
    void largePolygonBuiltInOnePass();
    void staticShapesNeverMoveStaticBody();
    void circleKeysAndMoment();
    void circleCentreMarkAtZoom_data();
    void circleCentreMarkAtZoom();
    void segmentEndsFollowNodes();
    void faultsDoNotAbort_data();
    void faultsDoNotAbort();
};

// Deleting the only shape of a body frees the body; a shared body survives.
void TestShapeItems::teardownFreesBody_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("bodiesLeft");
    QTest::addColumn<int>("shapesLeft");
    QTest::newRow("circle by Delete") << "circle" << 1 << 1;
    QTest::newRow("box by Backspace") << "box" << 1 << 1;
    QTest::newRow("static segment by node") << "segment" << 1 << 1;
    QTest::newRow("glued shape keeps host body") << "glued" << 1 << 1;
    QTest::newRow("host takes glued shape along") << "host" << 0 << 0;
}

void TestShapeItems::teardownFreesBody()
{
    QFETCH(QString, kind);
    QFETCH(int, bodiesLeft);
    QFETCH(int, shapesLeft);

    World w;
    // A bystander that must stay untouched (one body, one shape), except in
    // the glue rows, where the pair is the whole world.
    const bool pair = kind == "glued" || kind == "host";
    if (!pair)
        w.circle(QPointF(300, 300));

    if (kind == "circle") {
        w.key(w.circle(QPointF(0, 0)), Qt::Key_Delete);
    } else if (kind == "box") {
        w.key(w.box(QPointF(0, 0)), Qt::Key_Backspace);
    } else if (kind == "segment") {
        SegmentShapeItem* s = w.segment(QPointF(0, 0), QPointF(50, 0));
        s->endA()->deleteThis();
    } else {
        PolyShapeItem* host = w.box(QPointF(0, 0));
        CircleShapeItem* glued = w.circle(QPointF(5, 5));
        host->dropped(glued);
        QCOMPARE(glued->parentItem(), static_cast<QGraphicsItem*>(host));
        w.key(kind == "glued" ? static_cast<QGraphicsItem*>(glued) : host, Qt::Key_Delete);
    }
    flushDeletes();
    flushDeletes();

    QCOMPARE(bodyCount(w.space), bodiesLeft);
    QCOMPARE(shapeCount(w.space), shapesLeft);
    w.step();
}

// After the space moved the bodies, adjust() puts each item where Chipmunk has it.
void TestShapeItems::adjustAfterStepping_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("circle") << "circle";
    QTest::newRow("box") << "box";
    QTest::newRow("segment on a dynamic body") << "segment";
    QTest::newRow("circle glued onto a box") << "glued";
}

void TestShapeItems::adjustAfterStepping()
{
    QFETCH(QString, kind);
    World w;
    ShapeItem* item = nullptr;
    QGraphicsItem* graphics = nullptr;
    cpBody* body = nullptr;
    if (kind == "circle") {
        CircleShapeItem* c = w.circle(QPointF(10, 20));
        item = c;
        graphics = c;
    } else if (kind == "box") {
        PolyShapeItem* b = w.box(QPointF(10, 20));
        item = b;
        graphics = b;
    } else if (kind == "segment") {
        body = w.newBody(QPointF(10, 20));
        SegmentShapeItem* s = w.segment(QPointF(0, 0), QPointF(40, 0), body);
        item = s;
        graphics = s;
    } else {
        PolyShapeItem* host = w.box(QPointF(10, 20));
        CircleShapeItem* c = w.circle(QPointF(20, 30));
        host->dropped(c);
        item = host;
        graphics = host;
    }
    body = cpShapeGetBody(item->cpshape());
    cpBodySetAngularVelocity(body, 1.5);
    cpBodySetVelocity(body, cpv(3, 4));
    w.step(15);
    item->adjust();

    const QPointF bodyPos = toPoint(cpBodyGetPosition(body));
    QVERIFY(!near(bodyPos, QPointF(10, 20), 1));
    QVERIFY(near(graphics->pos(), bodyPos));
    QVERIFY(std::fabs(graphics->rotation() - cpBodyGetAngle(body) * degreesPerRadian) < 1e-3);

    if (kind == "segment") {
        auto* s = static_cast<SegmentShapeItem*>(item);
        QVERIFY(near(s->line().p2(), QPointF(40, 0)));
        QVERIFY(near(s->mapToScene(s->line().p2()), s->pointB(), 1e-6));
    }
    if (kind == "glued") {
        // The glued circle rides on the host's body: its drawing stands where
        // Chipmunk puts its offset.
        CircleShapeItem* c = nullptr;
        for (QGraphicsItem* child : graphics->childItems()) {
            if (child->type() == CircleShapeItemType)
                c = static_cast<CircleShapeItem*>(child);
        }
        QVERIFY(c);
        const QPointF world = toPoint(cpBodyLocalToWorld(body, cpCircleShapeGetOffset(c->cpshape())));
        QVERIFY(near(c->scenePos(), world, 1e-6));
    }
}

// Shift-drag a circle onto a box and away again, through the scene's mouse events.
void TestShapeItems::glueAndUnglueByShiftDrag()
{
    World w;
    PolyShapeItem* box = w.box(QPointF(100, 100));
    CircleShapeItem* circle = w.circle(QPointF(0, 0), 5);
    cpBody* own = cpShapeGetBody(circle->cpshape());
    cpBody* boxBody = cpShapeGetBody(box->cpshape());
    box->setOpacity(0.6);

    // Over the box with Shift the box dims to half; the release glues.
    w.mouse(QEvent::GraphicsSceneMousePress, QPointF(0, 0), QPointF(0, 0), Qt::ShiftModifier);
    w.mouse(QEvent::GraphicsSceneMouseMove, QPointF(104, 103), QPointF(0, 0), Qt::ShiftModifier);
    QCOMPARE(float(box->opacity()), 0.3f);
    w.mouse(QEvent::GraphicsSceneMouseRelease, QPointF(104, 103), QPointF(0, 0), Qt::ShiftModifier);

    QCOMPARE(circle->parentItem(), static_cast<QGraphicsItem*>(box));
    QCOMPARE(float(box->opacity()), 0.6f);
    QCOMPARE(cpShapeGetBody(circle->cpshape()), boxBody);
    QCOMPARE(circle->oldBody(), own);
    QVERIFY(!cpSpaceContainsBody(w.space, own));
    QCOMPARE(brushColor(circle), kGlued);
    QCOMPARE(circle->rotation(), 0.0);
    QVERIFY(near(circle->scenePos(), QPointF(104, 103)));
    QVERIFY(near(toPoint(cpCircleShapeGetOffset(circle->cpshape())), QPointF(4, 3)));
    QCOMPARE(cpBodyGetUserData(boxBody), static_cast<void*>(static_cast<QObject*>(box)));

    // Shift-release over empty canvas frees it onto its own body.
    w.drag(QPointF(104, 103), QPointF(-50, -40), Qt::ShiftModifier);
    QCOMPARE(circle->parentItem(), static_cast<QGraphicsItem*>(nullptr));
    QCOMPARE(circle->scene(), &w.scene);
    QCOMPARE(cpShapeGetBody(circle->cpshape()), own);
    QCOMPARE(circle->oldBody(), static_cast<cpBody*>(nullptr));
    QVERIFY(cpSpaceContainsBody(w.space, own));
    QVERIFY(cpSpaceContainsShape(w.space, circle->cpshape()));
    QCOMPARE(cpBodyGetUserData(own), static_cast<void*>(static_cast<QObject*>(circle)));
    QVERIFY(near(toPoint(cpBodyGetPosition(own)), QPointF(-50, -40)));
    QVERIFY(near(toPoint(cpCircleShapeGetOffset(circle->cpshape())), QPointF(0, 0)));
    QCOMPARE(brushColor(circle), kFree);
    QVERIFY(near(circle->rect().center(), QPointF(0, 0)));

    // The freed circle falls on its own; the box's body carries only the box.
    w.step(10);
    QCOMPARE(shapeCountOnBody(boxBody), 1);
    circle->adjust();
    QVERIFY(circle->pos().y() < -40);
}

// A sprite dropped on a circle or a polygon is linked to follow the shape and
// stays where it is in the scene; the dimmed shape comes back.
void TestShapeItems::spriteDroppedFollowsShape_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("circle") << "circle";
    QTest::newRow("box") << "box";
}

void TestShapeItems::spriteDroppedFollowsShape()
{
    QFETCH(QString, kind);
    World w;
    ShapeItem* host = nullptr;
    QGraphicsItem* graphics = nullptr;
    DragDropGraphicsItem* target = nullptr;
    if (kind == "circle") {
        CircleShapeItem* c = w.circle(QPointF(0, 0));
        host = c;
        graphics = c;
        target = c;
    } else {
        PolyShapeItem* b = w.box(QPointF(0, 0));
        host = b;
        graphics = b;
        target = b;
    }
    auto* sprite = new FakeSprite;
    w.scene.addItem(sprite);
    sprite->setPos(40, 40);

    QVERIFY(target->dragEntering(sprite));
    QCOMPARE(graphics->opacity(), 0.5);
    target->dropped(sprite);

    QCOMPARE(sprite->followed, static_cast<AbstractSyncItem*>(host));
    QVERIFY(sprite->syncPair());
    QCOMPARE(sprite->syncPair()->syncer(), static_cast<AbstractSyncItem*>(host));
    QCOMPARE(sprite->parentItem(), static_cast<QGraphicsItem*>(nullptr));
    QCOMPARE(sprite->scenePos(), QPointF(40, 40));
    QCOMPARE(graphics->opacity(), 1.0);
}

// The target under a Shift-drag: the uppermost shape item, never a segment (no
// drop target), forgotten on a move without Shift.
void TestShapeItems::targetSearch()
{
    World w;
    PolyShapeItem* lower = w.box(QPointF(100, 0));
    PolyShapeItem* upper = w.box(QPointF(110, 0), 10);
    upper->setZValue(lower->zValue() + 1);
    w.segment(QPointF(-20, 100), QPointF(20, 100));
    CircleShapeItem* circle = w.circle(QPointF(0, 0), 3);
    const QPointF down(0, 0);

    w.mouse(QEvent::GraphicsSceneMousePress, down, down, Qt::ShiftModifier);
    for (int i = 0; i < 3; ++i)
        w.mouse(QEvent::GraphicsSceneMouseMove, QPointF(108 + i, 2), down, Qt::ShiftModifier);
    QCOMPARE(upper->opacity(), 0.5);
    QCOMPARE(lower->opacity(), 1.0);

    // Over the segment: no target, the box gets its opacity back.
    w.mouse(QEvent::GraphicsSceneMouseMove, QPointF(0, 100), down, Qt::ShiftModifier);
    QCOMPARE(upper->opacity(), 1.0);

    // Back over the boxes, then a move without Shift: the release drops nothing.
    w.mouse(QEvent::GraphicsSceneMouseMove, QPointF(110, 2), down, Qt::ShiftModifier);
    QCOMPARE(upper->opacity(), 0.5);
    w.mouse(QEvent::GraphicsSceneMouseMove, QPointF(111, 2), down, Qt::NoModifier);
    QCOMPARE(upper->opacity(), 1.0);
    w.mouse(QEvent::GraphicsSceneMouseRelease, QPointF(111, 2), down, Qt::ShiftModifier);
    QCOMPARE(circle->parentItem(), static_cast<QGraphicsItem*>(nullptr));
    QCOMPARE(circle->oldBody(), static_cast<cpBody*>(nullptr));
    // The plain drag moved the body along with the drawing.
    QVERIFY(near(toPoint(cpBodyGetPosition(cpShapeGetBody(circle->cpshape()))), QPointF(111, 2)));
}

// A host that carries glued shapes takes them along when it is glued itself,
// and an item is never dropped onto its own descendant.
void TestShapeItems::hostCarriesGluedShapes()
{
    World w;
    PolyShapeItem* target = w.box(QPointF(200, 0));
    PolyShapeItem* host = w.box(QPointF(0, 0));
    CircleShapeItem* rider = w.circle(QPointF(5, 0), 4);
    host->dropped(rider);
    cpBody* hostBody = cpShapeGetBody(host->cpshape());
    QCOMPARE(cpShapeGetBody(rider->cpshape()), hostBody);

    // The host onto its own rider: refused, nothing moves.
    rider->dropped(host);
    QCOMPARE(host->parentItem(), static_cast<QGraphicsItem*>(nullptr));
    QCOMPARE(rider->parentItem(), static_cast<QGraphicsItem*>(host));
    QCOMPARE(cpShapeGetBody(host->cpshape()), hostBody);

    QCOMPARE(host->scene(), &w.scene);

    // Nor is the rider offered as a target when the host's drag passes over it.
    QGraphicsSceneMouseEvent over(QEvent::GraphicsSceneMouseMove);
    over.setScenePos(rider->scenePos());
    over.setModifiers(Qt::ShiftModifier);
    host->behavior()->handleMouseMove(host, &over);
    QCOMPARE(rider->opacity(), 1.0);
    QCOMPARE(host->behavior()->currentTarget(), static_cast<DragDropGraphicsItem*>(nullptr));

    // The host glued onto the target: the rider's shape moves to the target's body
    // and keeps its place in the world.
    const QPointF riderScene = rider->scenePos();
    target->dropped(host);
    cpBody* targetBody = cpShapeGetBody(target->cpshape());
    QCOMPARE(cpShapeGetBody(host->cpshape()), targetBody);
    QCOMPARE(cpShapeGetBody(rider->cpshape()), targetBody);
    QCOMPARE(rider->oldBody() != nullptr, true);
    QVERIFY(!cpSpaceContainsBody(w.space, hostBody));
    QVERIFY(near(rider->scenePos(), riderScene, 1e-6));
    QVERIFY(near(toPoint(cpBodyLocalToWorld(targetBody, cpCircleShapeGetOffset(rider->cpshape()))),
                 riderScene, 1e-6));

    // Dragging the glued host inside the target moves the rider's placement too.
    const QPointF hostScene = host->scenePos();
    w.drag(hostScene + QPointF(-10, 10), hostScene + QPointF(-10, 30));
    QVERIFY(near(rider->scenePos(), riderScene + QPointF(0, 20), 1e-6));
    QVERIFY(near(toPoint(cpBodyLocalToWorld(targetBody, cpCircleShapeGetOffset(rider->cpshape()))),
                 rider->scenePos(), 1e-6));

    // Freed again, the host returns to its own body and the rider with it.
    w.drag(host->scenePos() + QPointF(-10, 10), QPointF(-100, 0), Qt::ShiftModifier);
    QCOMPARE(host->parentItem(), static_cast<QGraphicsItem*>(nullptr));
    QCOMPARE(cpShapeGetBody(host->cpshape()), hostBody);
    QCOMPARE(cpShapeGetBody(rider->cpshape()), hostBody);
    QVERIFY(cpSpaceContainsBody(w.space, hostBody));
    QVERIFY(near(toPoint(cpBodyLocalToWorld(hostBody, cpCircleShapeGetOffset(rider->cpshape()))),
                 rider->scenePos(), 1e-6));
    w.step();
}

// Dragging a handle rewrites the vertices (clockwise in the item, reversed for
// Chipmunk) and the moment; an outline that is not convex and clockwise keeps
// the last good shape and its moment, so the shape always reopens from a file.
void TestShapeItems::polygonHandleDrag()
{
    World w;
    PolyShapeItem* box = w.box(QPointF(50, 50));
    cpShape* shape = box->cpshape();
    cpBody* body = cpShapeGetBody(shape);
    QCOMPARE(box->handles().size(), 4);
    QCOMPARE(box->handlePositions().first(), QPointF(-15, 15));

    // Drag the handle at (15, 15) (scene (65, 65)) out to (25, 15).
    box->setFocus();
    w.drag(QPointF(65, 65), QPointF(75, 65));
    QVERIFY(near(box->handlePositions().at(1), QPointF(25, 15)));
    QVERIFY(near(toPoint(cpBodyGetPosition(body)), QPointF(50, 50)));

    const std::vector<cpVect> cw = polyVerticesClockwise(shape);
    QCOMPARE(int(cw.size()), 4);
    for (int i = 0; i < 4; ++i)
        QVERIFY(near(toPoint(cw[size_t(i)]), box->handlePositions().at(i)));
    // Chipmunk holds them counter-clockwise: the first one it stores is our last.
    QVERIFY(near(toPoint(cpPolyShapeGetVert(shape, 0)), QPointF(-15, -15)));
    QVERIFY(isValidClockwisePolygon(cw.data(), 4));
    const double expected = cpMomentForPoly(130, 4, cw.data(), cpvzero, 0);
    QVERIFY(std::fabs(cpBodyGetMoment(body) - expected) < 1e-3 * expected);
    QVERIFY(std::fabs(expected - 19500) > 100);

    // Handles moved one after the other onto one line: the shape keeps a convex
    // clockwise outline all the way, with the moment of that outline.
    const QList<ItemNode*> handles = box->handles();
    for (int i = 0; i < handles.size(); ++i) {
        handles[i]->setPos(QPointF(i * 10, 0));
        const std::vector<cpVect> now = polyVerticesClockwise(shape);
        QVERIFY(isValidClockwisePolygon(now.data(), int(now.size())));
        const double m = cpMomentForPoly(130, int(now.size()), now.data(), cpvzero, 0);
        QVERIFY(std::fabs(cpBodyGetMoment(body) - m) < 1e-3 * m);
    }
    QVERIFY(!near(toPoint(polyVerticesClockwise(shape)[3]), QPointF(30, 0)));
    w.circle(QPointF(60, 80), 5);
    w.step(30);
    QVERIFY(std::isfinite(cpBodyGetPosition(body).y));

    // setMoment(-2) with the handles on one line keeps the shape's moment too; -1 is infinite.
    const double kept = cpBodyGetMoment(body);
    box->setMoment(-2);
    QVERIFY(std::fabs(cpBodyGetMoment(body) - kept) < 1e-3 * kept);
    box->setMoment(-1);
    QVERIFY(std::isinf(cpBodyGetMoment(body)));
}

// Shapes on the space's static body are placed by their drawing; the shared
// body itself never moves or turns.
// Handles added one by one recomputed the rectangle and colours over every
// handle each time: a polygon of this size from a file never finished.
void TestShapeItems::largePolygonBuiltInOnePass()
{
    World w;
    const int count = 100000;
    const double radius = 1000;
    std::vector<cpVect> clockwise(count);
    for (int i = 0; i < count; ++i) {
        const double angle = -2 * M_PI * i / count;
        clockwise[size_t(i)] = cpv(radius * std::cos(angle), radius * std::sin(angle));
    }
    QVERIFY(isValidClockwisePolygon(clockwise.data(), count));
    cpBody* body = w.newBody(QPointF(0, 0), 130, cpMomentForCircle(130, 0, radius, cpvzero));
    cpShape* shape = cpSpaceAddShape(w.space, newClockwisePolyShape(body, count, clockwise.data()));
    auto* poly = new PolyShapeItem(w.space, shape, nullptr);
    w.scene.addItem(poly);

    QCOMPARE(poly->handles().size(), count);
    QCOMPARE(poly->handlePositions().at(count / 4), QPointF(clockwise[count / 4].x, clockwise[count / 4].y));
    QVERIFY(poly->boundingRect().contains(QRectF(-radius + 1, -radius + 1, 2 * radius - 2, 2 * radius - 2)));
    // The last handle is the one that stands out.
    QCOMPARE(poly->handles().last()->brush().color(), QColor(Qt::red));
    QCOMPARE(poly->handles().first()->brush().color(), QColor(Qt::yellow));
}

void TestShapeItems::staticShapesNeverMoveStaticBody()
{
    World w;
    cpBody* staticBody = cpSpaceGetStaticBody(w.space);
    cpShape* cs = cpSpaceAddShape(w.space, cpCircleShapeNew(staticBody, 8, cpv(40, 30)));
    auto* circle = new CircleShapeItem(w.space, cs, nullptr);
    w.scene.addItem(circle);
    const cpVect cw[3] = {cpv(100, 10), cpv(120, -10), cpv(80, -10)};
    cpShape* ps = cpSpaceAddShape(w.space, newClockwisePolyShape(staticBody, 3, cw));
    auto* poly = new PolyShapeItem(w.space, ps, nullptr);
    w.scene.addItem(poly);

    // Each stands where its shape is.
    QVERIFY(near(circle->scenePos(), QPointF(40, 30)));
    QVERIFY(near(poly->mapToScene(poly->handlePositions().at(1)), QPointF(120, -10)));

    w.drag(QPointF(40, 30), QPointF(60, 50));
    w.key(circle, Qt::Key_Left);
    w.drag(QPointF(100, -5), QPointF(100, 15));
    w.key(poly, Qt::Key_Right);

    QVERIFY(near(toPoint(cpBodyGetPosition(staticBody)), QPointF(0, 0)));
    QCOMPARE(cpBodyGetAngle(staticBody), 0.0);
    QVERIFY(near(toPoint(cpCircleShapeGetOffset(cs)), QPointF(60, 50)));
    // The polygon's vertices took the drag and the turn.
    for (int i = 0; i < 3; ++i)
        QVERIFY(near(toPoint(polyVerticesClockwise(ps)[size_t(i)]),
                     poly->mapToScene(poly->handlePositions().at(i)), 1e-6));
    QVERIFY(!near(toPoint(polyVerticesClockwise(ps)[1]), QPointF(120, 10), 1e-3));

    // Glued onto a dynamic box and freed again, the circle returns to the
    // static body without moving it.
    PolyShapeItem* box = w.box(QPointF(200, 0));
    box->dropped(circle);
    QCOMPARE(cpShapeGetBody(cs), cpShapeGetBody(box->cpshape()));
    QCOMPARE(circle->oldBody(), staticBody);
    w.step(3);
    w.drag(circle->scenePos(), QPointF(-30, -30), Qt::ShiftModifier);
    QCOMPARE(cpShapeGetBody(cs), staticBody);
    QVERIFY(near(toPoint(cpBodyGetPosition(staticBody)), QPointF(0, 0)));
    QVERIFY(near(toPoint(cpCircleShapeGetOffset(cs)), QPointF(-30, -30)));
    w.step();
}

// The marks of a circle show at every zoom where they are a pixel or more
// across, in their places, and are left out below that, where they would only
// smudge the disc.
void TestShapeItems::circleCentreMarkAtZoom_data()
{
    QTest::addColumn<double>("zoom");
    QTest::addColumn<bool>("markShown");
    QTest::addColumn<bool>("turnMarkSampled");
    QTest::newRow("magnified") << 4.0 << true << true;
    QTest::newRow("one to one") << 1.0 << true << false;
    QTest::newRow("a pixel across") << 0.25 << true << false;
    QTest::newRow("under a pixel") << 0.2 << false << false;
}

void TestShapeItems::circleCentreMarkAtZoom()
{
    QFETCH(double, zoom);
    QFETCH(bool, markShown);
    QFETCH(bool, turnMarkSampled);
    World w;
    w.circle(QPointF(0, 0), 10);
    // The scene's origin falls on the corner of the sampled pixel.
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        const double half = 32 / zoom;
        w.scene.render(&painter, QRectF(image.rect()), QRectF(-half, -half, 2 * half, 2 * half));
    }
    const QColor centre = image.pixelColor(32, 32);
    if (markShown) {
        QVERIFY2(centre.green() < 100, qPrintable(centre.name()));
    } else {
        // The disc's own colour over the white ground.
        QVERIFY2(centre.green() > 120 && centre.blue() > 230, qPrintable(centre.name()));
    }
    // The mark that shows the turn: two units across, its middle at (6, 1).
    if (turnMarkSampled) {
        const QColor mark = image.pixelColor(QPointF(32 + 6 * zoom, 32 + 1 * zoom).toPoint());
        QVERIFY2(mark.green() < 100, qPrintable(mark.name()));
    }
}

void TestShapeItems::circleKeysAndMoment()
{
    World w;
    CircleShapeItem* c = w.circle(QPointF(0, 0));
    cpBody* body = cpShapeGetBody(c->cpshape());
    const double moment = cpBodyGetMoment(body);

    w.key(c, Qt::Key_Up);
    QCOMPARE(cpCircleShapeGetRadius(c->cpshape()), 11.0);
    QCOMPARE(c->rect(), QRectF(-11, -11, 22, 22));
    QCOMPARE(cpBodyGetMoment(body), moment);
    c->setMoment(-2);
    QCOMPARE(cpBodyGetMoment(body), 130.0 * 121);
    c->setMoment(-2.5f);
    QVERIFY(std::isinf(cpBodyGetMoment(body)));

    for (int i = 0; i < 15; ++i)
        w.key(c, Qt::Key_Down);
    QCOMPARE(cpCircleShapeGetRadius(c->cpshape()), 1.0);

    w.key(c, Qt::Key_Left);
    w.key(c, Qt::Key_Left);
    QCOMPARE(c->rotation(), 2.0);
    QVERIFY(std::fabs(cpBodyGetAngle(body) - 2 * radiansPerDegree) < 1e-7);
    w.key(c, Qt::Key_Right);
    w.key(c, Qt::Key_Right);
    QCOMPARE(c->rotation(), 0.0);
    QCOMPARE(cpBodyGetAngle(body), 0.0);

    // Position and Rotation move only the drawing.
    QVERIFY(c->setProperty("Position", QPointF(30, 40)));
    QVERIFY(c->setProperty("Rotation", 45.0f));
    QVERIFY(near(toPoint(cpBodyGetPosition(body)), QPointF(0, 0)));
    c->adjustShape();
    QVERIFY(near(toPoint(cpBodyGetPosition(body)), QPointF(30, 40)));
    QVERIFY(std::fabs(cpBodyGetAngle(body) - 45 * radiansPerDegree) < 1e-7);
}

// Moving a shared node moves the end of every segment on it; the radius keys
// refuse radii of 1 and less.
void TestShapeItems::segmentEndsFollowNodes()
{
    World w;
    SegmentShapeItem* s1 = w.segment(QPointF(0, 0), QPointF(50, 0));
    SegmentShapeItem* s2 = w.segment(QPointF(50, 0), QPointF(100, 20));
    s1->endB()->mergeWithNode(s2->endA());
    flushDeletes();
    LineItemNode* shared = s1->endB();
    QCOMPARE(s2->endA(), shared);

    shared->setPos(60, 30);
    shared->updateEdges();
    QVERIFY(near(toPoint(cpSegmentShapeGetB(s1->cpshape())), QPointF(60, 30)));
    QVERIFY(near(toPoint(cpSegmentShapeGetA(s2->cpshape())), QPointF(60, 30)));
    QVERIFY(near(s1->line().p2(), QPointF(60, 30)));

    QCOMPARE(s1->pen().widthF(), 6.0);
    w.key(s1, Qt::Key_Down);
    QCOMPARE(s1->radius(), 2.0);
    w.key(s1, Qt::Key_Down);
    QCOMPARE(s1->radius(), 2.0);
    s1->setRadius(1.0001);
    QCOMPARE(s1->pen().widthF(), 2.0002);
    s1->setRadius(std::nan(""));
    QCOMPARE(s1->radius(), 1.0001);

    QGraphicsLineItem plain(s2->line());
    plain.setPen(s2->pen());
    QCOMPARE(s2->boundingRect(), plain.boundingRect().adjusted(-4, -4, 4, 4));

    // A clone is a static segment of the same surface, without ends.
    cpBody* dynamicBody = w.newBody(QPointF(0, 0));
    SegmentShapeItem* d = w.segment(QPointF(0, 0), QPointF(10, 0), dynamicBody);
    cpShapeSetElasticity(d->cpshape(), 0.3);
    cpShapeSetFriction(d->cpshape(), 0.7);
    cpShapeSetCollisionType(d->cpshape(), 4);
    setShapeGroup(d->cpshape(), 9);
    setShapeLayers(d->cpshape(), 6);
    cpShapeSetSensor(d->cpshape(), true);
    SegmentShapeItem* copy = d->clone();
    QVERIFY(copy);
    QCOMPARE(copy->scene(), &w.scene);
    QCOMPARE(cpShapeGetBody(copy->cpshape()), cpSpaceGetStaticBody(w.space));
    QCOMPARE(cpShapeGetElasticity(copy->cpshape()), 0.3);
    QCOMPARE(cpShapeGetFriction(copy->cpshape()), 0.7);
    QCOMPARE(cpShapeGetCollisionType(copy->cpshape()), cpCollisionType(4));
    QCOMPARE(shapeGroup(copy->cpshape()), cpGroup(9));
    QCOMPARE(shapeLayers(copy->cpshape()), ShapeLayers(6));
    QVERIFY(!cpShapeGetSensor(copy->cpshape()));
    QCOMPARE(copy->endA(), static_cast<LineItemNode*>(nullptr));
    QVERIFY(cpSpaceContainsShape(w.space, copy->cpshape()));
    w.step();
}

// Each row does something a user can do with the mouse, the keyboard or the
// property panel, then the space is stepped: none may abort or touch freed memory.
void TestShapeItems::faultsDoNotAbort_data()
{
    QTest::addColumn<int>("fault");
    QTest::newRow("polygon handles collapsed onto one point") << 0;
    QTest::newRow("moment -2 on an infinite circle") << 1;
    QTest::newRow("glue and free a shape of an infinite body") << 2;
    QTest::newRow("glue a body out of the space") << 3;
    QTest::newRow("delete the host of a glued shape") << 4;
    QTest::newRow("delete polygon vertices down to two") << 5;
    QTest::newRow("drop target deleted during the drag") << 6;
    QTest::newRow("non-finite Position and Rotation") << 7;
    QTest::newRow("Shift-release of a child without a body of its own") << 8;
    QTest::newRow("free a glued shape whose host was made infinite") << 9;
    QTest::newRow("Control doubles a vertex, circle lands on it") << 10;
    QTest::newRow("handles dragged into a bow tie, circle lands on it") << 11;
}

void TestShapeItems::faultsDoNotAbort()
{
    QFETCH(int, fault);
    World w;
    w.segment(QPointF(-200, -60), QPointF(200, -60));
    CircleShapeItem* circle = w.circle(QPointF(0, 0));
    PolyShapeItem* box = w.box(QPointF(60, 0));

    switch (fault) {
    case 0: {
        for (ItemNode* node : box->handles())
            node->setPos(QPointF(1, 1));
        const double moment = cpBodyGetMoment(cpShapeGetBody(box->cpshape()));
        QVERIFY(std::isfinite(moment) && moment > 0);
        break;
    }
    case 1:
        circle->setMass(-1);
        circle->setMoment(-2);
        QVERIFY(std::isinf(cpBodyGetMoment(cpShapeGetBody(circle->cpshape()))));
        break;
    case 2: {
        circle->setMass(-1);
        cpBody* own = cpShapeGetBody(circle->cpshape());
        box->dropped(circle);
        w.step(2);
        w.drag(circle->scenePos(), QPointF(-100, 100), Qt::ShiftModifier);
        QCOMPARE(cpShapeGetBody(circle->cpshape()), own);
        QVERIFY(!cpSpaceContainsBody(w.space, own));
        break;
    }
    case 3: {
        circle->setBodyInSpace(false);
        box->dropped(circle);
        w.step(2);
        w.drag(circle->scenePos(), QPointF(-100, 100), Qt::ShiftModifier);
        break;
    }
    case 4:
        box->dropped(circle);
        w.key(box, Qt::Key_Delete);
        flushDeletes();
        QCOMPARE(shapeCount(w.space), 1);
        break;
    case 5: {
        const QList<ItemNode*> handles = box->handles();
        box->deleteNode(handles.at(0));
        QCOMPARE(cpPolyShapeGetCount(box->cpshape()), 3);
        box->deleteNode(handles.at(0)); // no longer listed: nothing happens
        box->deleteNode(box->handles().at(0));
        flushDeletes();
        QCOMPARE(shapeCount(w.space), 2);
        QCOMPARE(bodyCount(w.space), 1);
        break;
    }
    case 6: {
        w.mouse(QEvent::GraphicsSceneMousePress, QPointF(0, 0), QPointF(0, 0), Qt::ShiftModifier);
        w.mouse(QEvent::GraphicsSceneMouseMove, QPointF(60, 0), QPointF(0, 0), Qt::ShiftModifier);
        QCOMPARE(box->opacity(), 0.5);
        delete box;
        w.mouse(QEvent::GraphicsSceneMouseRelease, QPointF(60, 0), QPointF(0, 0), Qt::ShiftModifier);
        QCOMPARE(circle->parentItem(), static_cast<QGraphicsItem*>(nullptr));
        break;
    }
    case 7:
        circle->setProperty("Position", QPointF(std::nan(""), 0));
        circle->setProperty("Rotation", float(INFINITY));
        box->setProperty("Position", QPointF(0, INFINITY));
        circle->adjustShape();
        box->adjustShape();
        QVERIFY(near(circle->pos(), QPointF(0, 0)));
        break;
    case 8: {
        // Built as a loader may build it: a child sharing its parent's body.
        cpShape* shape = cpSpaceAddShape(
            w.space, cpCircleShapeNew(cpShapeGetBody(box->cpshape()), 3, cpv(5, 5)));
        auto* child = new CircleShapeItem(w.space, shape, box);
        w.drag(child->scenePos(), QPointF(-150, 150), Qt::ShiftModifier);
        QCOMPARE(child->parentItem(), static_cast<QGraphicsItem*>(box));
        QCOMPARE(cpShapeGetBody(shape), cpShapeGetBody(box->cpshape()));
        break;
    }
    case 9:
        box->dropped(circle);
        box->setMass(-1);
        w.drag(circle->scenePos(), QPointF(-100, 100), Qt::ShiftModifier);
        QVERIFY(cpSpaceContainsBody(w.space, cpShapeGetBody(circle->cpshape())));
        break;
    case 10: {
        box->handles().at(1)->setSelected(true);
        w.key(box, Qt::Key_Control);
        QCOMPARE(box->handles().size(), 5);
        box->adjustShape();
        // Two vertices on one point make no outline a file keeps: the shape
        // stays as it was until the new vertex is moved away.
        QCOMPARE(cpPolyShapeGetCount(box->cpshape()), 4);
        w.circle(QPointF(70, 19), 4)->setVelocity(QPointF(0, -30));
        break;
    }
    case 11: {
        const QList<ItemNode*> handles = box->handles();
        handles.at(0)->setPos(QPointF(15, 15));
        handles.at(1)->setPos(QPointF(-15, 15));
        QCOMPARE(cpPolyShapeGetCount(box->cpshape()), 4);
        w.circle(QPointF(60, 19), 4)->setVelocity(QPointF(0, -30));
        w.circle(QPointF(52, 0), 2);
        break;
    }
    }
    w.step(30);
    flushDeletes();
    w.step(5);
}

QTEST_MAIN(TestShapeItems)
#include "tst_shapeitems.moc"
