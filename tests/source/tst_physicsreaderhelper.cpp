#include <QGraphicsItem>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

#include "GuiTestMain.h"
#include "Items/AbstractLineItem.h"
#include "Items/CircleShapeItem.h"
#include "Items/ConstraintItem.h"
#include "Items/PolyShapeItem.h"
#include "Items/SegmentShapeItem.h"
#include "Items/item.h"
#include "Toolkit/cpSupport.h"
#include "PhysicsReaderHelper.h"
#include "Views/EditorView.h"
#include "cpCompat.h"
#include "cpSpaceSerializer.h"

namespace {

cpBody* addDynamicBody(cpSpace* space, cpVect at)
{
    cpBody* body = cpSpaceAddBody(space, cpBodyNew(5, 50));
    cpBodySetPosition(body, at);
    return body;
}

// Builds a raw space, writes it as a physics file and frees it again.
QString writeSpace(const QTemporaryDir& dir, const std::function<void(cpSpace*)>& fill)
{
    cpSpace* space = cpSpaceNew();
    fill(space);
    const QString path = dir.filePath(QStringLiteral("level.kfml.phyxml"));
    cpSpaceSerializer writer;
    const bool saved = writer.save(space, path.toLocal8Bit().constData());
    freeSpaceWithContents(space);
    return saved ? path : QString();
}

void loadInto(EditorView& view, const QString& path)
{
    PhysicsReaderHelper helper(&view);
    cpSpaceSerializer reader(&helper);
    reader.load(view.space(), path.toLocal8Bit().constData());
}

QList<QGraphicsItem*> itemsOfType(EditorView& view, int type)
{
    QList<QGraphicsItem*> out;
    for (QGraphicsItem* item : view.editorScene()->items())
        if (item->type() == type)
            out << item;
    return out;
}

int constraintCount(cpSpace* space)
{
    int n = 0;
    cpSpaceEachConstraint(space, [](cpConstraint*, void* d) { ++*static_cast<int*>(d); }, &n);
    return n;
}

} // namespace

class TestPhysicsReaderHelper : public QObject
{
    Q_OBJECT

private slots:
    void shapesOnOneBodyAreGluedUnderTheFirst();
    void staticShapesStayTopLevel();
    void segmentsSharingAnEndShareANode();
    void everyJointKindGetsItsItem_data();
    void everyJointKindGetsItsItem();
};

// Three circles and a polygon on one body: the first circle is the top-level
// item, the rest are its children, each with a spare body of the tool's mass.
void TestPhysicsReaderHelper::shapesOnOneBodyAreGluedUnderTheFirst()
{
    QTemporaryDir dir;
    const QString path = writeSpace(dir, [](cpSpace* space) {
        cpBody* body = addDynamicBody(space, cpv(100, 50));
        cpSpaceAddShape(space, cpCircleShapeNew(body, 10, cpvzero));
        cpSpaceAddShape(space, cpCircleShapeNew(body, 5, cpv(12, 0)));
        cpSpaceAddShape(space, cpCircleShapeNew(body, 5, cpv(-3, 7)));
        const cpVect verts[] = {cpv(20, 20), cpv(40, 20), cpv(40, 40), cpv(20, 40)};
        cpSpaceAddShape(space, cpPolyShapeNewRaw(body, 4, verts, 0));
    });
    QVERIFY(!path.isEmpty());

    EditorView view;
    loadInto(view, path);
    const QList<QGraphicsItem*> circles = itemsOfType(view, CircleShapeItemType);
    QCOMPARE(circles.size(), 3);
    QList<QGraphicsItem*> topLevel;
    for (QGraphicsItem* c : circles)
        if (!c->parentItem())
            topLevel << c;
    QCOMPARE(topLevel.size(), 1);
    QGraphicsItem* parent = topLevel.first();

    QList<QPointF> childOffsets;
    for (QGraphicsItem* c : circles) {
        if (c == parent)
            continue;
        QCOMPARE(c->parentItem(), parent);
        auto* shape = dynamic_cast<ShapeItem*>(c);
        QVERIFY(shape && shape->oldBody());
        QCOMPARE(cpBodyGetMass(shape->oldBody()), 130.0);
        QCOMPARE(cpBodyGetMoment(shape->oldBody()), 13000.0);
        QVERIFY(shape->oldBody() != cpShapeGetBody(shape->cpshape()));
        childOffsets << c->pos();
    }
    QVERIFY(childOffsets.contains(QPointF(12, 0)));
    QVERIFY(childOffsets.contains(QPointF(-3, 7)));

    const QList<QGraphicsItem*> polys = itemsOfType(view, PolyShapeItemType);
    QCOMPARE(polys.size(), 1);
    QCOMPARE(polys.first()->parentItem(), parent);
    QCOMPARE(polys.first()->pos(), QPointF(0, 0));
    QCOMPARE(polys.first()->rotation(), 0.0);
    auto* poly = dynamic_cast<ShapeItem*>(polys.first());
    QVERIFY(poly && poly->oldBody());
    QCOMPARE(cpBodyGetMass(poly->oldBody()), 130.0);
    QVERIFY(cpBodyGetMoment(poly->oldBody()) > 0);

    // The one body names the first item, and every shape went into the space.
    cpBody* body = cpShapeGetBody(dynamic_cast<ShapeItem*>(parent)->cpshape());
    QCOMPARE(static_cast<QObject*>(cpBodyGetUserData(body)), dynamic_cast<QObject*>(dynamic_cast<ShapeItem*>(parent)));
    QCOMPARE(shapeCountOnBody(body), 4);
}

void TestPhysicsReaderHelper::staticShapesStayTopLevel()
{
    QTemporaryDir dir;
    const QString path = writeSpace(dir, [](cpSpace* space) {
        cpBody* ground = cpSpaceGetStaticBody(space);
        cpSpaceAddShape(space, cpCircleShapeNew(ground, 10, cpv(0, 0)));
        cpSpaceAddShape(space, cpCircleShapeNew(ground, 10, cpv(50, 0)));
        const cpVect verts[] = {cpv(0, 20), cpv(10, 20), cpv(10, 30)};
        cpSpaceAddShape(space, cpPolyShapeNewRaw(ground, 3, verts, 0));
    });
    QVERIFY(!path.isEmpty());

    EditorView view;
    loadInto(view, path);
    const QList<QGraphicsItem*> shapes = itemsOfType(view, CircleShapeItemType) + itemsOfType(view, PolyShapeItemType);
    QCOMPARE(shapes.size(), 3);
    for (QGraphicsItem* item : shapes) {
        QVERIFY(!item->parentItem());
        QVERIFY(!dynamic_cast<ShapeItem*>(item)->oldBody());
    }
}

void TestPhysicsReaderHelper::segmentsSharingAnEndShareANode()
{
    QTemporaryDir dir;
    const QString path = writeSpace(dir, [](cpSpace* space) {
        cpBody* ground = cpSpaceGetStaticBody(space);
        cpSpaceAddShape(space, cpSegmentShapeNew(ground, cpv(-100, 0), cpv(0, -10), 3));
        cpSpaceAddShape(space, cpSegmentShapeNew(ground, cpv(0, -10), cpv(100, 20), 3));
    });
    QVERIFY(!path.isEmpty());

    EditorView view;
    loadInto(view, path);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QList<QGraphicsItem*> segments = itemsOfType(view, SegmentShapeItemType);
    QCOMPARE(segments.size(), 2);
    const QList<QGraphicsItem*> nodes = itemsOfType(view, LineItemNodeType);
    QCOMPARE(nodes.size(), 3);
    auto* s1 = dynamic_cast<SegmentShapeItem*>(segments.at(0));
    auto* s2 = dynamic_cast<SegmentShapeItem*>(segments.at(1));
    QVERIFY(s1 && s2);
    const QList<LineItemNode*> ends1 = {s1->endA(), s1->endB()};
    const QList<LineItemNode*> ends2 = {s2->endA(), s2->endB()};
    int shared = 0;
    for (LineItemNode* n : ends1)
        shared += ends2.contains(n) ? 1 : 0;
    QCOMPARE(shared, 1);
    for (LineItemNode* n : ends1 + ends2)
        QVERIFY(n && nodes.contains(n));
}

void TestPhysicsReaderHelper::everyJointKindGetsItsItem_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("itemType"); // 0: refused
    QTest::newRow("pin") << 0 << int(PinJointItemType);
    QTest::newRow("slide") << 1 << int(SlideJointItemType);
    QTest::newRow("pivot") << 2 << int(PivotJointItemType);
    QTest::newRow("groove") << 3 << int(SlideJointItemType);
    QTest::newRow("motor") << 4 << int(MotorJointItemType);
    QTest::newRow("gear") << 5 << int(GearJointItemType);
    QTest::newRow("spring") << 6 << int(SpringJointItemType);
    QTest::newRow("rotary spring") << 7 << int(RotarySpringJointItemType);
    QTest::newRow("rotary limit") << 8 << int(RotaryLimitJointItemType);
    QTest::newRow("ratchet") << 9 << 0;
}

// A joint between two loaded circles becomes its item, bound to both bodies and
// in the space; the ratchet, which has no item, is dropped by the reader.
void TestPhysicsReaderHelper::everyJointKindGetsItsItem()
{
    QFETCH(int, kind);
    QFETCH(int, itemType);
    QTemporaryDir dir;
    const QString path = writeSpace(dir, [kind](cpSpace* space) {
        cpBody* a = addDynamicBody(space, cpv(0, 0));
        cpBody* b = addDynamicBody(space, cpv(100, 0));
        cpSpaceAddShape(space, cpCircleShapeNew(a, 10, cpvzero));
        cpSpaceAddShape(space, cpCircleShapeNew(b, 10, cpvzero));
        cpConstraint* c = nullptr;
        switch (kind) {
        case 0: c = cpPinJointNew(a, b, cpvzero, cpvzero); break;
        case 1: c = cpSlideJointNew(a, b, cpvzero, cpvzero, 10, 120); break;
        case 2: c = cpPivotJointNew(a, b, cpv(50, 0)); break;
        case 3: c = cpGrooveJointNew(a, b, cpv(0, 0), cpv(0, 40), cpvzero); break;
        case 4: c = cpSimpleMotorNew(a, b, 1.5); break;
        case 5: c = cpGearJointNew(a, b, 0, 2); break;
        case 6: c = cpDampedSpringNew(a, b, cpvzero, cpvzero, 100, 20, 0.5); break;
        case 7: c = cpDampedRotarySpringNew(a, b, 0.1, 30, 0.5); break;
        case 8: c = cpRotaryLimitJointNew(a, b, -0.5, 0.5); break;
        default: c = cpRatchetJointNew(a, b, 0, 0.3); break;
        }
        cpSpaceAddConstraint(space, c);
    });
    QVERIFY(!path.isEmpty());

    EditorView view;
    loadInto(view, path);
    QList<QGraphicsItem*> joints;
    for (QGraphicsItem* item : view.editorScene()->items())
        if (jointType(ItemType(item->type())))
            joints << item;
    if (!itemType) {
        QVERIFY(joints.isEmpty());
        QCOMPARE(constraintCount(view.space()), 0);
        return;
    }
    QCOMPARE(joints.size(), 1);
    QCOMPARE(joints.first()->type(), itemType);
    auto* joint = dynamic_cast<ConstraintItem*>(joints.first());
    QVERIFY(joint);
    cpConstraint* c = joint->constraint();
    QVERIFY(cpSpaceContainsConstraint(view.space(), c));
    QVERIFY(cpConstraintGetBodyA(c) != cpConstraintGetBodyB(c));
    QVERIFY(cpConstraintGetBodyA(c) != cpSpaceGetStaticBody(view.space()));
    QCOMPARE(constraintCount(view.space()), 1);
    // A few steps with the loaded joint must be solvable.
    for (int i = 0; i < 5; ++i)
        cpSpaceStep(view.space(), EditorView::physicsStep);
}

LEVELEDITOR_GUI_TEST_MAIN(TestPhysicsReaderHelper)
#include "tst_physicsreaderhelper.moc"
