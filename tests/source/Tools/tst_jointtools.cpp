#include <QGraphicsScene>
#include <QPointer>
#include <QtTest>

#include <cmath>
#include <memory>

#include "Items/CircleShapeItem.h"
#include "Items/GrooveJointItem.h"
#include "Items/JointItems.h"
#include "Items/SegmentShapeItem.h"
#include "Tools/JointTools.h"
#include "Tools/ShapeTools.h"
#include "Tools/cpMouseTool.h"
#include "Views/EditorView.h"
#include "cpCompat.h"

#include "ToolEvents.h"

#include "SpaceTestSupport.h"

namespace {

QPointF toPoint(cpVect v) { return QPointF(v.x, v.y); }
cpVect toVect(QPointF p) { return cpv(p.x(), p.y()); }

QList<AbstractLineJointItem*> joints(QGraphicsScene* scene)
{
    QList<AbstractLineJointItem*> out;
    for (QGraphicsItem* item : scene->items()) {
        if (jointType(ItemType(item->type())))
            if (auto* j = dynamic_cast<AbstractLineJointItem*>(item))
                out.append(j);
    }
    return out;
}

const char* const kToolNames[] = {"pin", "slide", "pivot", "groove", "motor",
                                  "gear", "spring", "rotary spring", "rotary limit"};

AbstractItemTool* makeTool(int index, EditorView* view)
{
    switch (index) {
    case 0: return new PinJointTool(view);
    case 1: return new SlideJointTool(view);
    case 2: return new PivotJointTool(view);
    case 3: return new GrooveJointTool(view);
    case 4: return new MotorJointTool(view);
    case 5: return new GearJointTool(view);
    case 6: return new SpringJointTool(view);
    case 7: return new RotarySpringJointTool(view);
    case 8: return new RotaryLimitJointTool(view);
    }
    return nullptr;
}

bool madeBy(int index, AbstractLineJointItem* j)
{
    switch (index) {
    case 0: return dynamic_cast<PinJointItem*>(j);
    case 1: return dynamic_cast<SlideJointItem*>(j);
    case 2: return dynamic_cast<PivotJointItem*>(j);
    case 3: return dynamic_cast<GrooveJointItem*>(j);
    case 4: return dynamic_cast<MotorJointItem*>(j);
    case 5: return dynamic_cast<GearJointItem*>(j);
    case 6: return dynamic_cast<SpringJointItem*>(j);
    case 7: return dynamic_cast<RotarySpringJointItem*>(j);
    case 8: return dynamic_cast<RotaryLimitJointItem*>(j);
    }
    return false;
}

} // namespace

class TestJointTools : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void jointTools_data();
    void jointTools();
    void rotaryLimitToolKeepsTheExactDefault();
    void physicsPointer();
    void physicsPointerFaults_data();
    void physicsPointerFaults();

private:
    QPointF scenePoint(QPoint p) const { return view->mapToScene(p); }
    // A dynamic circle of the circle tool under the pixel p.
    CircleShapeItem* circleAt(QPoint p)
    {
        cpShape* shape = CircleTool::createDefaultShape(view->space(), toVect(scenePoint(p)));
        auto* item = new CircleShapeItem(view->space(), shape, nullptr);
        view->scene()->addItem(item);
        return item;
    }
    void step(int n = 10)
    {
        for (int i = 0; i < n; ++i)
            cpSpaceStep(view->space(), EditorView::physicsStep);
    }

    EditorView* view = nullptr;
};

void TestJointTools::init()
{
    view = new EditorView;
    view->resize(640, 480);
}

void TestJointTools::cleanup()
{
    delete view;
    view = nullptr;
    flushDeletes();
}

void TestJointTools::jointTools_data()
{
    QTest::addColumn<int>("tool");
    for (int i = 0; i < 9; ++i)
        QTest::newRow(kToolNames[i]) << i;
}

// Press starts the joint unbound at the pointer, the drag pulls out its second
// end, the release binds it between the bodies under its ends and selects it.
void TestJointTools::jointTools()
{
    QFETCH(int, tool);
    std::unique_ptr<AbstractItemTool> t(makeTool(tool, view));
    cpSpace* space = view->space();
    CircleShapeItem* a = circleAt(QPoint(200, 200));
    CircleShapeItem* b = circleAt(QPoint(320, 200));

    QVERIFY(priority(*t, QPoint(200, 200)));
    QVERIFY(!priority(*t, QPoint(500, 400)));
    // Idle: a move does nothing, a release answers as usual and makes nothing.
    QVERIFY(!move(*t, QPoint(10, 10)));
    QVERIFY(release(*t, QPoint(10, 10)));
    QVERIFY(joints(view->scene()).isEmpty());

    QVERIFY(press(*t, QPoint(200, 200)));
    QList<AbstractLineJointItem*> made = joints(view->scene());
    QCOMPARE(made.size(), 1);
    AbstractLineJointItem* j = made.first();
    QVERIFY(madeBy(tool, j));
    QCOMPARE(j->line(), QLineF(scenePoint(QPoint(200, 200)), scenePoint(QPoint(200, 200))));
    QVERIFY(!cpSpaceContainsConstraint(space, j->constraint()));
    QVERIFY(!j->hasBodies());

    QVERIFY(move(*t, QPoint(260, 240)));
    QCOMPARE(j->line().p2(), scenePoint(QPoint(260, 240)));
    QVERIFY(move(*t, QPoint(320, 200)));
    QCOMPARE(j->line().p1(), scenePoint(QPoint(200, 200)));
    QVERIFY(!j->isSelected());

    QVERIFY(release(*t, QPoint(320, 200)));
    QVERIFY(cpSpaceContainsConstraint(space, j->constraint()));
    QCOMPARE(cpConstraintGetBodyA(j->constraint()), cpShapeGetBody(a->cpshape()));
    QCOMPARE(cpConstraintGetBodyB(j->constraint()), cpShapeGetBody(b->cpshape()));
    QCOMPARE(j->pen().color(), kJointBetween);
    QVERIFY(j->isSelected());
    QCOMPARE(view->scene()->selectedItems().size(), 1);
    if (auto* groove = dynamic_cast<GrooveJointItem*>(j))
        QVERIFY(groove->bLine());
    QVERIFY(!move(*t, QPoint(10, 10)));

    // From empty canvas to empty canvas: the joint stays, out of the space.
    QVERIFY(press(*t, QPoint(500, 400)));
    QVERIFY(move(*t, QPoint(560, 420)));
    QVERIFY(release(*t, QPoint(560, 420)));
    QCOMPARE(joints(view->scene()).size(), 2);
    QCOMPARE(constraintCount(space), 1);

    step(30);
    QVERIFY(!t->keyPressEvent(nullptr));
}

void TestJointTools::rotaryLimitToolKeepsTheExactDefault()
{
    RotaryLimitJointTool tool(view);
    QVERIFY(press(tool, QPoint(500, 400)));
    QVERIFY(release(tool, QPoint(520, 400)));
    auto* j = dynamic_cast<RotaryLimitJointItem*>(joints(view->scene()).value(0));
    QVERIFY(j);
    QCOMPARE(cpRotaryLimitJointGetMin(j->constraint()), 0.0);
    QCOMPARE(cpRotaryLimitJointGetMax(j->constraint()), 0.7853981633975);
}

// The pointer's pivot (max force 90000) exists from press to release and pulls
// the body toward the pointer.
void TestJointTools::physicsPointer()
{
    cpMouseTool tool(view);
    cpSpace* space = view->space();
    CircleShapeItem* circle = circleAt(QPoint(200, 200));
    cpBody* body = cpShapeGetBody(circle->cpshape());
    cpSpaceSetGravity(space, cpvzero);

    QVERIFY(!tool.priorityClick(nullptr));
    QVERIFY(press(tool, QPoint(200, 200)));
    QCOMPARE(constraintCount(space), 1);
    cpConstraint* joint = tool.joint();
    QVERIFY(joint);
    QCOMPARE(cpConstraintGetMaxForce(joint), 90000.0);
    QCOMPARE(cpConstraintGetBodyA(joint), cpSpaceGetStaticBody(space));
    QCOMPARE(cpConstraintGetBodyB(joint), body);
    QCOMPARE(cpConstraintGetUserData(joint), nullptr);
    const QPointF start = toPoint(cpBodyGetPosition(body));

    QVERIFY(!move(tool, QPoint(300, 200)));
    QCOMPARE(toPoint(cpPivotJointGetAnchorA(joint)), scenePoint(QPoint(300, 200)));
    step(20);
    QVERIFY(std::fabs(cpBodyGetPosition(body).x - start.x()) > 1);

    QVERIFY(!release(tool, QPoint(300, 200)));
    QCOMPARE(constraintCount(space), 0);
    QVERIFY(!tool.joint());
    step();

    // Nothing under the pointer: nothing added.
    QVERIFY(!press(tool, QPoint(600, 50)));
    QCOMPARE(constraintCount(space), 0);
    QVERIFY(!move(tool, QPoint(610, 50)));
    QVERIFY(!release(tool, QPoint(610, 50)));
}

void TestJointTools::physicsPointerFaults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("static segment") << "segment";
    QTest::newRow("sensor") << "sensor";
    QTest::newRow("body made infinite and taken out of the space") << "infiniteMass";
    QTest::newRow("kinematic body") << "kinematic";
    QTest::newRow("second press while holding") << "secondPress";
    QTest::newRow("level cleared while holding") << "clearAll";
    QTest::newRow("shape deleted while holding") << "shapeDeleted";
    QTest::newRow("tool deleted while holding") << "toolDeleted";
}

// Each case runs, then the space is stepped: the pointer never leaves an
// unsolvable or stale joint in a space.
void TestJointTools::physicsPointerFaults()
{
    QFETCH(QString, fault);
    auto tool = std::make_unique<cpMouseTool>(view);
    CircleShapeItem* circle = circleAt(QPoint(200, 200));
    cpBody* body = cpShapeGetBody(circle->cpshape());

    if (fault == "segment") {
        cpShape* shape = cpSpaceAddShape(view->space(), cpSegmentShapeNew(cpSpaceGetStaticBody(view->space()),
                                          toVect(scenePoint(QPoint(400, 300))), toVect(scenePoint(QPoint(500, 300))), 3));
        view->scene()->addItem(new SegmentShapeItem(view->space(), shape));
        QVERIFY(!press(*tool, QPoint(450, 300)));
    } else if (fault == "sensor") {
        cpShapeSetSensor(circle->cpshape(), cpTrue);
        QVERIFY(!press(*tool, QPoint(200, 200)));
    } else if (fault == "infiniteMass") {
        circle->setMass(-1);
        QVERIFY(!press(*tool, QPoint(200, 200)));
    } else if (fault == "kinematic") {
        cpBodySetType(body, CP_BODY_TYPE_KINEMATIC);
        QVERIFY(!press(*tool, QPoint(200, 200)));
    } else if (fault == "secondPress") {
        CircleShapeItem* other = circleAt(QPoint(400, 200));
        QVERIFY(press(*tool, QPoint(200, 200)));
        QVERIFY(press(*tool, QPoint(400, 200)));
        QCOMPARE(constraintCount(view->space()), 1);
        QCOMPARE(cpConstraintGetBodyB(tool->joint()), cpShapeGetBody(other->cpshape()));
        step();
        QVERIFY(!release(*tool, QPoint(400, 200)));
    } else if (fault == "clearAll") {
        QVERIFY(press(*tool, QPoint(200, 200)));
        view->clearAll();
        view->init();
        QCOMPARE(constraintCount(view->space()), 0);
        QVERIFY(!move(*tool, QPoint(250, 200)));
        QVERIFY(!tool->joint());
        QVERIFY(!release(*tool, QPoint(250, 200)));
        // The new level works as before.
        circleAt(QPoint(200, 200));
        QVERIFY(press(*tool, QPoint(200, 200)));
        QVERIFY(press(*tool, QPoint(200, 200)));
        view->clearAll();
        view->init();
        QVERIFY(!release(*tool, QPoint(200, 200)));
    } else if (fault == "shapeDeleted") {
        QVERIFY(press(*tool, QPoint(200, 200)));
        delete circle;
        flushDeletes();
        QCOMPARE(constraintCount(view->space()), 0);
        QVERIFY(!move(*tool, QPoint(250, 200)));
        QVERIFY(!release(*tool, QPoint(250, 200)));
    } else if (fault == "toolDeleted") {
        QVERIFY(press(*tool, QPoint(200, 200)));
        tool.reset();
    }
    QCOMPARE(constraintCount(view->space()), 0);
    step(30);
}

QTEST_MAIN(TestJointTools)
#include "tst_jointtools.moc"
