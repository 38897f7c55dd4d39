#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QKeyEvent>
#include <QPointer>
#include <QtTest>

#include <cmath>
#include <limits>
#include <memory>

#include "Items/CircleShapeItem.h"
#include "Items/GrooveJointItem.h"
#include "Items/JointItems.h"
#include "cpCompat.h"
#include "jointkinds.h"

#include "SpaceTestSupport.h"

namespace {

enum Kind { Spring, Pin, Pivot, Motor, Slide, Gear, RotarySpring, RotaryLimit, Groove };
const char* const kKindNames[] = {"spring", "pin", "pivot", "motor", "slide",
                                  "gear", "rotary spring", "rotary limit", "groove"};
const int kKindCount = 9;

enum State { Unbound, ToStatic, Between };


const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

QPointF toPoint(cpVect v) { return QPointF(v.x, v.y); }
cpVect toVect(QPointF p) { return cpv(p.x(), p.y()); }

bool near(const QPointF& a, const QPointF& b, double eps = 1e-4)
{
    return std::fabs(a.x() - b.x()) < eps && std::fabs(a.y() - b.y()) < eps;
}

bool isRotaryKind(Kind k)
{
    return k == Motor || k == Gear || k == RotarySpring || k == RotaryLimit;
}

AbstractLineJointItem* makeJoint(Kind kind, cpSpace* space)
{
    switch (kind) {
    case Spring: return new SpringJointItem(space, SpringJointItem::defaultConstraint());
    case Pin: return new PinJointItem(space, PinJointItem::defaultConstraint());
    case Pivot: return new PivotJointItem(space, PivotJointItem::defaultConstraint());
    case Motor: return new MotorJointItem(space, MotorJointItem::defaultConstraint());
    case Slide: return new SlideJointItem(space, SlideJointItem::defaultConstraint());
    case Gear: return new GearJointItem(space, GearJointItem::defaultConstraint());
    case RotarySpring: return new RotarySpringJointItem(space, RotarySpringJointItem::defaultConstraint());
    case RotaryLimit: return new RotaryLimitJointItem(space, RotaryLimitJointItem::defaultConstraint());
    case Groove: return new GrooveJointItem(space, GrooveJointItem::defaultConstraint());
    }
    return nullptr;
}

// A scene and a space with gravity; the scene is emptied before the space goes.
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

    cpBody* newBody(QPointF at, double moment = 6500)
    {
        cpBody* body = cpSpaceAddBody(space, cpBodyNew(130, moment));
        cpBodySetPosition(body, toVect(at));
        return body;
    }

    // A circle of radius 10 on its own new body, or on the given body at the
    // given offset (a glued pair).
    CircleShapeItem* circle(QPointF at, cpBody* body = nullptr, QGraphicsItem* parent = nullptr)
    {
        cpVect offset = cpvzero;
        if (!body)
            body = newBody(at);
        else
            offset = cpBodyWorldToLocal(body, toVect(at));
        cpShape* shape = cpSpaceAddShape(space, cpCircleShapeNew(body, 10, offset));
        auto* item = new CircleShapeItem(space, shape, parent);
        if (!parent)
            scene.addItem(item);
        return item;
    }

    // A joint drawn from p1 to p2 as the joint tools do.
    AbstractLineJointItem* joint(Kind kind, QPointF p1, QPointF p2)
    {
        AbstractLineJointItem* j = makeJoint(kind, space);
        j->setLine(QLineF(p1, p2));
        scene.addItem(j);
        j->setupNodes();
        return j;
    }

    bool inSpace(ConstraintItem* j) const { return cpSpaceContainsConstraint(space, j->constraint()); }

    void step(int n = 10)
    {
        for (int i = 0; i < n; ++i)
            cpSpaceStep(space, 1.0 / 30);
    }
};

cpBody* bodyOf(CircleShapeItem* item)
{
    return cpShapeGetBody(item->cpshape());
}

// A drag of one end node, as the node reports it to its edges.
void dragNode(LineItemNode* node, QPointF to, bool release = true)
{
    const QList<AbstractEdge*> edges = node->edges();
    for (AbstractEdge* e : edges)
        e->dragStarted(node);
    node->setPos(to);
    node->updateEdges();
    if (release) {
        for (AbstractEdge* e : edges)
            e->dragEnded(node);
    }
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestJointItems : public QObject
{
    Q_OBJECT

private slots:
    void binding_data();
    void binding();
    void valuesAfterBindingAndRebinding_data();
    void valuesAfterBindingAndRebinding();
    void adjustAfterStepping_data();
    void adjustAfterStepping();
    void anchorSettersRelayTheLine();
    void grooveLines();
    void sharedNodeRebindsBoth();
    void keys();
    void loadedJointKeepsTheFileValues();
    void faults_data();
    void faults();
    void propertiesReachTheirFileValue_data();
    void propertiesReachTheirFileValue();
};

// The binding table: every kind under every arrangement of its two ends.
void TestJointItems::binding_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<int>("expected");

    for (int k = 0; k < kKindCount; ++k) {
        const Kind kind = Kind(k);
        const QByteArray name(kKindNames[k]);
        QTest::newRow(name + ", empty canvas") << kind << "empty" << int(Unbound);
        QTest::newRow(name + ", shape to empty") << kind << "toStatic" << int(ToStatic);
        QTest::newRow(name + ", two bodies") << kind << "between" << int(Between);
        QTest::newRow(name + ", hidden shape") << kind << "hidden" << int(ToStatic);
        QTest::newRow(name + ", glued pair") << kind << "glued" << int(Unbound);
        // Rotary kinds need one body that can turn.
        QTest::newRow(name + ", bodies that cannot turn")
            << kind << "turnless" << int(isRotaryKind(kind) ? Unbound : Between);
    }
}

void TestJointItems::binding()
{
    QFETCH(Kind, kind);
    QFETCH(QString, scenario);
    QFETCH(int, expected);

    World w;
    CircleShapeItem* a = nullptr;
    CircleShapeItem* b = nullptr;
    QPointF p1(0, 0), p2(100, 0);
    if (scenario == "empty") {
        p1 = QPointF(-300, 0);
        p2 = QPointF(-300, 80);
    } else if (scenario == "toStatic") {
        a = w.circle(p1);
        p2 = QPointF(300, 300);
    } else if (scenario == "between") {
        a = w.circle(p1);
        b = w.circle(p2);
    } else if (scenario == "hidden") {
        CircleShapeItem* hidden = w.circle(p1);
        hidden->setVisible(false);
        // The hidden shape is passed over: its end takes the static body.
        b = w.circle(p2);
    } else if (scenario == "glued") {
        a = w.circle(p1);
        w.circle(p2, bodyOf(a), a);
    } else if (scenario == "turnless") {
        a = w.circle(p1, w.newBody(p1, INFINITY));
        b = w.circle(p2, w.newBody(p2, INFINITY));
    }

    AbstractLineJointItem* j = w.joint(kind, p1, p2);
    cpConstraint* c = j->constraint();
    cpBody* staticBody = cpSpaceGetStaticBody(w.space);

    QCOMPARE(w.inSpace(j), expected != Unbound);
    const QColor colours[] = {kJointUnbound, kJointStatic, kJointBetween};
    QCOMPARE(j->pen().color(), colours[expected]);
    QCOMPARE(j->pen().widthF(), 4.0);
    QVERIFY(j->endA() && j->endB());
    QCOMPARE(j->endA()->pos(), p1);
    QCOMPARE(j->endB()->pos(), p2);
    QVERIFY(j->symbol());

    if (expected == Unbound) {
        QVERIFY(!j->hasBodies());
    } else {
        QCOMPARE(j->endA()->pen().color(), colours[expected]);
        QCOMPARE(j->endB()->pen().color(), colours[expected]);
        QCOMPARE(cpConstraintGetUserData(c), static_cast<void*>(static_cast<QObject*>(j)));
        QCOMPARE(cpConstraintGetBodyA(c), a ? bodyOf(a) : staticBody);
        QCOMPARE(cpConstraintGetBodyB(c), b ? bodyOf(b) : staticBody);
    }
    w.step();
    j->adjust();
}

void TestJointItems::valuesAfterBindingAndRebinding_data()
{
    QTest::addColumn<Kind>("kind");
    for (int k = 0; k < kKindCount; ++k)
        QTest::newRow(kKindNames[k]) << Kind(k);
}

// Each kind's values after the first binding, then after the user changed them
// and dropped an end node elsewhere: the three engine-wide values survive, the
// kind's own ones follow the binding rules.
void TestJointItems::valuesAfterBindingAndRebinding()
{
    QFETCH(Kind, kind);

    World w;
    CircleShapeItem* a = w.circle(QPointF(0, 0));
    CircleShapeItem* b = w.circle(QPointF(100, 0));
    cpBodySetAngle(bodyOf(a), 0.5);
    cpBodySetAngle(bodyOf(b), 0.2);
    cpSpaceReindexShapesForBody(w.space, bodyOf(a));
    cpSpaceReindexShapesForBody(w.space, bodyOf(b));

    const QPointF p1(5, 0), p2(95, 0);
    AbstractLineJointItem* j = w.joint(kind, p1, p2);
    QVERIFY(w.inSpace(j));
    const QPointF local1 = toPoint(cpBodyWorldToLocal(bodyOf(a), toVect(p1)));
    const QPointF local2 = toPoint(cpBodyWorldToLocal(bodyOf(b), toVect(p2)));

    switch (kind) {
    case Spring: {
        auto* s = static_cast<SpringJointItem*>(j);
        QCOMPARE(s->restLength(), 90.0f);
        QCOMPARE(s->stiffness(), 400.0f);
        QCOMPARE(s->damping(), 0.97f);
        QVERIFY(near(s->anchor1(), local1));
        QVERIFY(near(s->anchor2(), local2));
        s->setStiffness(800);
        break;
    }
    case Pin: {
        auto* s = static_cast<PinJointItem*>(j);
        QCOMPARE(s->length(), 90.0f);
        QVERIFY(near(s->anchor1(), local1));
        s->setLength(7);
        break;
    }
    case Pivot: {
        auto* s = static_cast<PivotJointItem*>(j);
        QVERIFY(near(s->anchor1(), local1));
        QVERIFY(near(s->anchor2(), local2));
        QVERIFY(near(s->worldPoint(), p1));
        break;
    }
    case Motor: {
        auto* s = static_cast<MotorJointItem*>(j);
        QCOMPARE(s->rate(), 2.0f);
        s->setRate(5);
        break;
    }
    case Slide: {
        auto* s = static_cast<SlideJointItem*>(j);
        QCOMPARE(s->minLength(), 0.0f);
        QCOMPARE(s->maxLength(), 90.0f);
        s->setMinLength(3);
        s->setMaxLength(10);
        break;
    }
    case Gear: {
        auto* s = static_cast<GearJointItem*>(j);
        QCOMPARE(s->phase(), 0.3f);
        QCOMPARE(s->ratio(), -1.0f);
        s->setRatio(3);
        break;
    }
    case RotarySpring: {
        auto* s = static_cast<RotarySpringJointItem*>(j);
        QCOMPARE(s->restAngle(), 0.0f);
        QCOMPARE(s->stiffness(), 100000.0f);
        QCOMPARE(s->damping(), 0.97f);
        s->setRestAngle(0.4f);
        s->setStiffness(5);
        s->setDamping(0.5f);
        break;
    }
    case RotaryLimit: {
        auto* s = static_cast<RotaryLimitJointItem*>(j);
        QCOMPARE(s->minAngle(), 0.0f);
        QCOMPARE(s->maxAngle(), 45.0f);
        s->setMaxAngle(90);
        QCOMPARE(cpRotaryLimitJointGetMax(j->constraint()), 90.0f * radiansPerDegree);
        break;
    }
    case Groove: {
        auto* s = static_cast<GrooveJointItem*>(j);
        QVERIFY(near(s->groove1(), local1));
        QVERIFY(near(s->groove2(), toPoint(cpBodyWorldToLocal(bodyOf(a), cpv(40, 0)))));
        QVERIFY(near(s->anchor2(), local2));
        break;
    }
    }

    j->setMaxForce(1000);
    j->setMaxBias(5);
    j->setErrorBias(0.25f);

    // Pressing the end node takes the joint out of the space and turns it red.
    dragNode(j->endB(), QPointF(100, 0), false);
    QVERIFY(!w.inSpace(j));
    QCOMPARE(j->pen().color(), kJointUnbound);
    QCOMPARE(j->dragDepth(), 1);
    j->dragEnded(j->endB());
    QCOMPARE(j->dragDepth(), 0);
    QVERIFY(w.inSpace(j));
    QCOMPARE(j->pen().color(), kJointBetween);
    QCOMPARE(j->maxForce(), 1000.0f);
    QCOMPARE(j->maxBias(), 5.0f);
    QCOMPARE(j->errorBias(), 0.25f);
    const QPointF moved = toPoint(cpBodyWorldToLocal(bodyOf(b), cpv(100, 0)));

    switch (kind) {
    case Spring: {
        auto* s = static_cast<SpringJointItem*>(j);
        QCOMPARE(s->restLength(), 95.0f);
        QCOMPARE(s->stiffness(), 800.0f);
        QVERIFY(near(s->anchor2(), moved));
        break;
    }
    case Pin:
        QCOMPARE(static_cast<PinJointItem*>(j)->length(), 95.0f);
        break;
    case Pivot:
        QVERIFY(near(static_cast<PivotJointItem*>(j)->anchor2(), moved));
        break;
    case Motor:
        QCOMPARE(static_cast<MotorJointItem*>(j)->rate(), 2.0f);
        break;
    case Slide:
        QCOMPARE(static_cast<SlideJointItem*>(j)->minLength(), 0.0f);
        QCOMPARE(static_cast<SlideJointItem*>(j)->maxLength(), 95.0f);
        break;
    case Gear:
        QCOMPARE(static_cast<GearJointItem*>(j)->ratio(), -1.0f);
        QCOMPARE(static_cast<GearJointItem*>(j)->phase(), 0.3f);
        break;
    case RotarySpring: {
        auto* s = static_cast<RotarySpringJointItem*>(j);
        QCOMPARE(s->restAngle(), 0.4f);
        QCOMPARE(s->stiffness(), 5.0f);
        QCOMPARE(s->damping(), 0.5f);
        break;
    }
    case RotaryLimit:
        QCOMPARE(static_cast<RotaryLimitJointItem*>(j)->minAngle(), 0.0f);
        QCOMPARE(static_cast<RotaryLimitJointItem*>(j)->maxAngle(), 90.0f);
        break;
    case Groove:
        QVERIFY(near(static_cast<GrooveJointItem*>(j)->anchor2(), moved));
        break;
    }
    w.step();
}

void TestJointItems::adjustAfterStepping_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<bool>("toStatic");
    for (int k = 0; k < kKindCount; ++k) {
        QTest::newRow(QByteArray(kKindNames[k]) + ", two bodies") << Kind(k) << false;
        QTest::newRow(QByteArray(kKindNames[k]) + ", to the static body") << Kind(k) << true;
    }
}

// After steps the line follows the bodies: anchored kinds from anchor to anchor,
// rotary kinds from centre to centre (the static body sits at the origin).
void TestJointItems::adjustAfterStepping()
{
    QFETCH(Kind, kind);
    QFETCH(bool, toStatic);

    World w;
    CircleShapeItem* a = w.circle(QPointF(20, 50));
    if (!toStatic)
        w.circle(QPointF(120, 50));
    AbstractLineJointItem* j = w.joint(kind, QPointF(25, 50), toStatic ? QPointF(200, 300) : QPointF(115, 50));
    QVERIFY(w.inSpace(j));
    cpBodySetAngularVelocity(bodyOf(a), 1.5);
    w.step(20);
    j->adjust();

    cpConstraint* c = j->constraint();
    cpBody* ba = cpConstraintGetBodyA(c);
    cpBody* bb = cpConstraintGetBodyB(c);
    QPointF from, to;
    switch (kind) {
    case Spring:
        from = toPoint(cpBodyLocalToWorld(ba, cpDampedSpringGetAnchorA(c)));
        to = toPoint(cpBodyLocalToWorld(bb, cpDampedSpringGetAnchorB(c)));
        break;
    case Pin:
        from = toPoint(cpBodyLocalToWorld(ba, cpPinJointGetAnchorA(c)));
        to = toPoint(cpBodyLocalToWorld(bb, cpPinJointGetAnchorB(c)));
        break;
    case Pivot:
        from = toPoint(cpBodyLocalToWorld(ba, cpPivotJointGetAnchorA(c)));
        to = toPoint(cpBodyLocalToWorld(bb, cpPivotJointGetAnchorB(c)));
        break;
    case Slide:
        from = toPoint(cpBodyLocalToWorld(ba, cpSlideJointGetAnchorA(c)));
        to = toPoint(cpBodyLocalToWorld(bb, cpSlideJointGetAnchorB(c)));
        break;
    case Groove: {
        from = toPoint(cpBodyLocalToWorld(ba, cpGrooveJointGetGrooveA(c)));
        to = toPoint(cpBodyLocalToWorld(bb, cpGrooveJointGetAnchorB(c)));
        auto* g = static_cast<GrooveJointItem*>(j);
        const QPointF grooveB = toPoint(cpBodyLocalToWorld(ba, cpGrooveJointGetGrooveB(c)));
        QVERIFY(near(g->bLine()->line().p1(), from));
        QVERIFY(near(g->bLine()->line().p2(), grooveB));
        QVERIFY(near(g->bLine()->endB()->pos(), grooveB));
        break;
    }
    default:
        from = toPoint(cpBodyGetPosition(ba));
        to = toPoint(cpBodyGetPosition(bb));
        if (toStatic)
            QCOMPARE(to, QPointF(0, 0));
        break;
    }
    // The body has fallen and turned since the joint was drawn.
    QVERIFY(!near(from, QPointF(25, 50), 1));
    QVERIFY(near(j->line().p1(), from));
    QVERIFY(near(j->line().p2(), to));
    QVERIFY(near(j->endA()->pos(), from));
    QVERIFY(near(j->endB()->pos(), to));
    QVERIFY(near(j->symbol()->pos(), (from + to) / 2));
}

void TestJointItems::anchorSettersRelayTheLine()
{
    World w;
    CircleShapeItem* a = w.circle(QPointF(0, 0));
    CircleShapeItem* b = w.circle(QPointF(100, 0));
    cpBodySetAngle(bodyOf(a), 0.3);

    auto* pin = static_cast<PinJointItem*>(w.joint(Pin, QPointF(0, 0), QPointF(100, 0)));
    pin->setAnchor1(QPointF(3, 4));
    QVERIFY(near(pin->line().p1(), toPoint(cpBodyLocalToWorld(bodyOf(a), cpv(3, 4)))));
    QVERIFY(near(pin->endA()->pos(), pin->line().p1()));

    auto* pivot = static_cast<PivotJointItem*>(w.joint(Pivot, QPointF(2, 0), QPointF(98, 0)));
    pivot->setWorldPoint(QPointF(50, 20));
    QVERIFY(near(pivot->worldPoint(), QPointF(50, 20)));
    QVERIFY(near(pivot->line().p1(), QPointF(50, 20)));
    QVERIFY(near(pivot->line().p2(), QPointF(50, 20)));
    QVERIFY(near(pivot->endB()->pos(), QPointF(50, 20)));
    QVERIFY(near(pivot->symbol()->pos(), QPointF(50, 20)));
    QVERIFY(near(toPoint(cpBodyLocalToWorld(bodyOf(b), toVect(pivot->anchor2()))), QPointF(50, 20)));

    // Never bound: no bodies to read, the line stays.
    auto* loose = static_cast<PivotJointItem*>(w.joint(Pivot, QPointF(-300, 0), QPointF(-250, 0)));
    QCOMPARE(loose->worldPoint(), QPointF(0, 0));
    loose->setWorldPoint(QPointF(7, 7));
    loose->setAnchor1(QPointF(1, 1));
    QCOMPARE(loose->line(), QLineF(-300, 0, -250, 0));
    w.step();
}

void TestJointItems::grooveLines()
{
    World w;
    CircleShapeItem* a = w.circle(QPointF(0, 0));
    CircleShapeItem* b = w.circle(QPointF(100, 0));
    auto* g = static_cast<GrooveJointItem*>(w.joint(Groove, QPointF(-5, 0), QPointF(100, 5)));
    GrooveJointItem::GrooveBLine* dashed = g->bLine();
    QVERIFY(dashed);
    QCOMPARE(dashed->endA(), g->endA());
    QCOMPARE(dashed->line(), QLineF(-5, 0, 30, 0));
    QCOMPARE(dashed->pen().style(), Qt::DashLine);

    // One type id for groove and slide; only the class tells them apart.
    SlideJointItem slide(w.space, SlideJointItem::defaultConstraint());
    QCOMPARE(g->type(), slide.type());
    QGraphicsItem* asItem = g;
    QVERIFY(!dynamic_cast<SlideJointItem*>(asItem));
    QVERIFY(dynamic_cast<GrooveJointItem*>(asItem));

    // The dashed line's own handle re-binds with the new groove end B; the
    // joint's line stays.
    const QLineF before = g->line();
    dragNode(dashed->endB(), QPointF(5, 3));
    QVERIFY(w.inSpace(g));
    QCOMPARE(g->line(), before);
    QVERIFY(near(g->groove2(), toPoint(cpBodyWorldToLocal(bodyOf(a), cpv(5, 3)))));

    // The shared handle A moves both lines and re-binds once.
    dragNode(g->endA(), QPointF(-2, -2));
    QVERIFY(w.inSpace(g));
    QCOMPARE(g->line().p1(), QPointF(-2, -2));
    QCOMPARE(dashed->line().p1(), QPointF(-2, -2));
    QCOMPARE(g->dragDepth(), 0);
    QVERIFY(near(g->groove1(), toPoint(cpBodyWorldToLocal(bodyOf(a), cpv(-2, -2)))));
    QVERIFY(near(g->anchor2(), toPoint(cpBodyWorldToLocal(bodyOf(b), cpv(100, 5)))));

    // groove2 moves the dashed line at the next adjust, not at once.
    const QLineF dashedBefore = dashed->line();
    g->setGroove2(QPointF(8, 0));
    QCOMPARE(dashed->line(), dashedBefore);
    g->adjust();
    QVERIFY(near(dashed->line().p2(), toPoint(cpBodyLocalToWorld(bodyOf(a), cpv(8, 0)))));
    w.step();

    // Deleting the joint takes the dashed line and all three handles along.
    QPointer<LineItemNode> nodeA = g->endA();
    QPointer<LineItemNode> nodeB = g->endB();
    QPointer<LineItemNode> dashedB = dashed->endB();
    g->deleteLater();
    flushDeletes();
    flushDeletes();
    QVERIFY(!nodeA && !nodeB && !dashedB);
    QCOMPARE(constraintCount(w.space), 0);
    for (QGraphicsItem* item : w.scene.items())
        QVERIFY(item->type() != QGraphicsLineItem::Type && item->type() != LineItemNodeType);
}

// A node shared by two joints takes both out while pressed and binds both again.
void TestJointItems::sharedNodeRebindsBoth()
{
    World w;
    w.circle(QPointF(0, 0));
    w.circle(QPointF(100, 0));
    w.circle(QPointF(0, 100));
    AbstractLineJointItem* j1 = w.joint(Pin, QPointF(0, 100), QPointF(0, 0));
    AbstractLineJointItem* j2 = w.joint(Slide, QPointF(0, 0), QPointF(100, 0));
    LineItemNode* shared = j1->endB();
    shared->mergeWithNode(j2->endA());
    flushDeletes();
    QCOMPARE(j2->endA(), shared);

    dragNode(shared, QPointF(3, 3), false);
    QVERIFY(!w.inSpace(j1) && !w.inSpace(j2));
    for (AbstractEdge* e : shared->edges())
        e->dragEnded(shared);
    QVERIFY(w.inSpace(j1) && w.inSpace(j2));
    QCOMPARE(j1->line().p2(), QPointF(3, 3));
    QCOMPARE(j2->line().p1(), QPointF(3, 3));
    w.step();
}

void TestJointItems::keys()
{
    World w;
    w.circle(QPointF(0, 0));
    AbstractLineJointItem* j = w.joint(Motor, QPointF(0, 0), QPointF(50, 50));
    QPointer<LineItemNode> nodeA = j->endA();
    QPointer<LineItemNode> nodeB = j->endB();
    // Keys given to a handle reach the joint.
    QCOMPARE(nodeA->focusProxy(), static_cast<QGraphicsItem*>(j));

    for (int key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right, Qt::Key_A}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        w.scene.sendEvent(j, &press);
    }
    QCOMPARE(j->pen().widthF(), 4.0);
    QCOMPARE(j->line(), QLineF(0, 0, 50, 50));

    QPointer<QObject> alive(static_cast<ConstraintItem*>(j));
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    w.scene.sendEvent(j, &del);
    flushDeletes();
    flushDeletes();
    QVERIFY(!alive && !nodeA && !nodeB);
    QCOMPARE(constraintCount(w.space), 0);
    w.step();
}

// The physics reader sets up a joint whose constraint already has the bodies,
// anchors and values of the file, and adds it to the space itself afterwards.
void TestJointItems::loadedJointKeepsTheFileValues()
{
    World w;
    CircleShapeItem* a = w.circle(QPointF(0, 0));
    CircleShapeItem* b = w.circle(QPointF(100, 0));
    cpConstraint* c = cpPinJointNew(bodyOf(a), bodyOf(b), cpv(1, 2), cpv(-3, 4));
    cpPinJointSetDist(c, 33);
    auto* pin = new PinJointItem(w.space, c);
    w.scene.addItem(pin);
    pin->setupNodes();
    QVERIFY(!w.inSpace(pin));
    cpSpaceAddConstraint(w.space, c); // the reader's add
    pin->adjust();
    pin->determineColor();

    QCOMPARE(pin->length(), 33.0f);
    QCOMPARE(pin->anchor1(), QPointF(1, 2));
    QCOMPARE(pin->line(), QLineF(1, 2, 97, 4));
    QCOMPARE(pin->endB()->pos(), QPointF(97, 4));
    QCOMPARE(pin->pen().color(), kJointBetween);
    QCOMPARE(cpConstraintGetUserData(c), static_cast<void*>(static_cast<QObject*>(pin)));
    w.step();
}

void TestJointItems::faults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("setters and adjust of a joint never bound") << "unbound";
    QTest::newRow("body freed while the joint is dragged") << "freedWhileDragged";
    QTest::newRow("body freed under a bound joint") << "freedWhileBound";
    QTest::newRow("gear ratio 0") << "gearRatioZero";
    QTest::newRow("error bias negative, above one or infinite") << "errorBias";
    QTest::newRow("values that are no numbers, points far out") << "nan";
    QTest::newRow("release without press") << "releaseWithoutPress";
}

// Each runs, then the space is stepped: nothing may reach a Chipmunk abort or a
// freed body.
void TestJointItems::faults()
{
    QFETCH(QString, fault);

    World w;
    CircleShapeItem* a = w.circle(QPointF(0, 0));
    CircleShapeItem* b = w.circle(QPointF(100, 0));

    if (fault == "unbound") {
        for (int k = 0; k < kKindCount; ++k) {
            AbstractLineJointItem* j = w.joint(Kind(k), QPointF(-300, 0), QPointF(-200, 0));
            QVERIFY(!w.inSpace(j));
            j->setProperty("anchor1", QPointF(5, 5));
            j->setProperty("anchor2", QPointF(5, 5));
            j->setProperty("worldPoint", QPointF(5, 5));
            j->setProperty("groove2", QPointF(5, 5));
            j->adjust();
            QCOMPARE(j->line(), QLineF(-300, 0, -200, 0));
        }
    } else if (fault == "freedWhileDragged") {
        auto* pivot = static_cast<PivotJointItem*>(w.joint(Pivot, QPointF(0, 0), QPointF(100, 0)));
        auto* gear = static_cast<GearJointItem*>(w.joint(Gear, QPointF(0, 0), QPointF(100, 0)));
        dragNode(pivot->endB(), QPointF(100, 3), false);
        dragNode(gear->endB(), QPointF(100, 3), false);
        cpBody* freed = bodyOf(a);
        delete a;
        flushDeletes();
        // Out of the space they were not ended, but they name the body no more.
        QVERIFY(pivot && gear);
        QVERIFY(cpConstraintGetBodyA(pivot->constraint()) != freed);
        QVERIFY(!pivot->hasBodies());
        const QLineF line = pivot->line();
        pivot->adjust();
        pivot->setWorldPoint(QPointF(1, 1));
        pivot->setAnchor2(QPointF(1, 1));
        gear->adjust();
        gear->setPhase(1);
        QCOMPARE(pivot->line(), line);
        // Dropped again: bound to what lies under the ends now.
        pivot->dragEnded(pivot->endB());
        gear->dragEnded(gear->endB());
        QVERIFY(w.inSpace(pivot) && w.inSpace(gear));
        QCOMPARE(cpConstraintGetBodyA(pivot->constraint()), cpSpaceGetStaticBody(w.space));
        QCOMPARE(pivot->pen().color(), kJointStatic);
    } else if (fault == "freedWhileBound") {
        QPointer<QObject> bound(static_cast<ConstraintItem*>(w.joint(Spring, QPointF(0, 0), QPointF(100, 0))));
        // An unbound joint on the same body: pressed, so out of the space.
        AbstractLineJointItem* loose = w.joint(Pin, QPointF(0, 0), QPointF(100, 0));
        dragNode(loose->endB(), QPointF(100, 0), false);
        QCOMPARE(constraintCount(w.space), 1);
        delete b;
        flushDeletes();
        QVERIFY(!bound);
        QCOMPARE(constraintCount(w.space), 0);
        QVERIFY(!loose->hasBodies());
        loose->adjust();
        loose->dragEnded(loose->endB());
        // Only the static body lies under the end: the joint binds to a and the
        // static body.
        QVERIFY(w.inSpace(loose));
    } else if (fault == "gearRatioZero") {
        auto* gear = static_cast<GearJointItem*>(w.joint(Gear, QPointF(0, 0), QPointF(100, 0)));
        gear->setRatio(0);
        QCOMPARE(gear->ratio(), -1.0f);
        gear->setRatio(kInf);
        QCOMPARE(gear->ratio(), -1.0f);
        gear->setRatio(0.5f);
        QCOMPARE(gear->ratio(), 0.5f);
    } else if (fault == "errorBias") {
        AbstractLineJointItem* j = w.joint(Pin, QPointF(0, 0), QPointF(100, 0));
        j->setErrorBias(0.25f);
        j->setErrorBias(-1);
        j->setErrorBias(kInf);
        j->setErrorBias(1.5f);
        QCOMPARE(j->errorBias(), 0.25f);
        j->setErrorBias(1);
        QCOMPARE(j->errorBias(), 1.0f);
        j->setMaxForce(-1);
        j->setMaxBias(-1);
        QCOMPARE(j->maxForce(), kInf);
        QCOMPARE(j->maxBias(), kInf);
    } else if (fault == "nan") {
        auto* spring = static_cast<SpringJointItem*>(w.joint(Spring, QPointF(0, 0), QPointF(100, 0)));
        auto* limit = static_cast<RotaryLimitJointItem*>(w.joint(RotaryLimit, QPointF(0, 0), QPointF(100, 0)));
        auto* pivot = static_cast<PivotJointItem*>(w.joint(Pivot, QPointF(0, 0), QPointF(100, 0)));
        auto* rotarySpring = static_cast<RotarySpringJointItem*>(w.joint(RotarySpring, QPointF(0, 0), QPointF(100, 0)));
        const float damping = spring->damping();
        const float rotaryStiffness = rotarySpring->stiffness();
        const float rotaryDamping = rotarySpring->damping();
        // A negative spring constant only pushes the bodies apart until the step aborts.
        spring->setStiffness(-5);
        spring->setDamping(-1);
        rotarySpring->setStiffness(-5);
        rotarySpring->setDamping(-1);
        spring->setStiffness(kNaN);
        spring->setRestLength(kInf);
        spring->setAnchor1(QPointF(kNaN, 0));
        limit->setMaxAngle(kNaN);
        limit->setMinAngle(-kInf);
        pivot->setWorldPoint(QPointF(0, kInf));
        // So far out the engine finds the pivot unsolvable and aborts.
        pivot->setAnchor2(QPointF(3e38, -3e38));
        pivot->setWorldPoint(QPointF(1e30, 0));
        spring->setMaxForce(kNaN);
        QCOMPARE(spring->stiffness(), 400.0f);
        QCOMPARE(spring->damping(), damping);
        QCOMPARE(rotarySpring->stiffness(), rotaryStiffness);
        QCOMPARE(rotarySpring->damping(), rotaryDamping);
        QCOMPARE(spring->restLength(), 100.0f);
        QCOMPARE(spring->anchor1(), QPointF(0, 0));
        QCOMPARE(limit->maxAngle(), 45.0f);
        QCOMPARE(limit->minAngle(), 0.0f);
        QVERIFY(near(pivot->worldPoint(), QPointF(0, 0)));
        QCOMPARE(spring->maxForce(), kInf);
    } else if (fault == "releaseWithoutPress") {
        AbstractLineJointItem* j = w.joint(Pin, QPointF(0, 0), QPointF(100, 0));
        j->dragEnded(j->endA());
        QCOMPARE(j->dragDepth(), 0);
        QVERIFY(w.inSpace(j));
    }
    w.step(30);
}

// Every property of a kind's own is the value the file keeps under its element
// name: the item and the file read one descriptor, and a property that reached
// another value (or none, by a misspelt name) would save what the panel does
// not show. A value outside the rule book is refused by both.
void TestJointItems::propertiesReachTheirFileValue_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("refused");
    // The file's value per unit of the property's (degrees shown, radians kept).
    QTest::addColumn<double>("scale");

    const QVariant far = QVariant(QPointF(2e9, 0));
    const QVariant nan = QVariant(kNaN);
    const double radians = radiansPerDegree;
    QTest::newRow("spring rest length") << Spring << QByteArray("restLength") << QByteArray("restLength")
                                        << QVariant(12.5f) << QVariant(-1.0f) << 1.0;
    QTest::newRow("spring stiffness") << Spring << QByteArray("stiffness") << QByteArray("stiffness")
                                      << QVariant(300.0f) << QVariant(-1.0f) << 1.0;
    QTest::newRow("spring damping") << Spring << QByteArray("damping") << QByteArray("damping") << QVariant(0.5f)
                                    << QVariant(-1.0f) << 1.0;
    QTest::newRow("spring anchor 1") << Spring << QByteArray("anchor1") << QByteArray("anchr1")
                                     << QVariant(QPointF(3, 4)) << far << 1.0;
    QTest::newRow("spring anchor 2") << Spring << QByteArray("anchor2") << QByteArray("anchr2")
                                     << QVariant(QPointF(5, 6)) << far << 1.0;
    QTest::newRow("pin length") << Pin << QByteArray("length") << QByteArray("dist") << QVariant(7.0f)
                                << QVariant(-1.0f) << 1.0;
    QTest::newRow("pin anchor 1") << Pin << QByteArray("anchor1") << QByteArray("anchr1") << QVariant(QPointF(3, 4))
                                  << far << 1.0;
    QTest::newRow("pin anchor 2") << Pin << QByteArray("anchor2") << QByteArray("anchr2") << QVariant(QPointF(5, 6))
                                  << far << 1.0;
    QTest::newRow("pivot anchor 1") << Pivot << QByteArray("anchor1") << QByteArray("anchr1")
                                    << QVariant(QPointF(3, 4)) << far << 1.0;
    QTest::newRow("pivot anchor 2") << Pivot << QByteArray("anchor2") << QByteArray("anchr2")
                                    << QVariant(QPointF(5, 6)) << far << 1.0;
    QTest::newRow("motor rate") << Motor << QByteArray("rate") << QByteArray("rate") << QVariant(3.0f) << nan << 1.0;
    QTest::newRow("slide minimum") << Slide << QByteArray("minLength") << QByteArray("min") << QVariant(2.0f)
                                   << QVariant(-1.0f) << 1.0;
    QTest::newRow("slide maximum") << Slide << QByteArray("maxLength") << QByteArray("max") << QVariant(9.0f)
                                   << QVariant(-1.0f) << 1.0;
    QTest::newRow("slide anchor 1") << Slide << QByteArray("anchor1") << QByteArray("anchr1")
                                    << QVariant(QPointF(3, 4)) << far << 1.0;
    QTest::newRow("slide anchor 2") << Slide << QByteArray("anchor2") << QByteArray("anchr2")
                                    << QVariant(QPointF(5, 6)) << far << 1.0;
    QTest::newRow("gear ratio") << Gear << QByteArray("ratio") << QByteArray("ratio") << QVariant(2.5f)
                                << QVariant(0.0f) << 1.0;
    QTest::newRow("gear phase") << Gear << QByteArray("phase") << QByteArray("phase") << QVariant(0.25f)
                                << QVariant(kInf) << 1.0;
    QTest::newRow("rotary spring rest angle") << RotarySpring << QByteArray("restAngle") << QByteArray("restAngle")
                                              << QVariant(0.5f) << nan << 1.0;
    QTest::newRow("rotary spring stiffness") << RotarySpring << QByteArray("stiffness") << QByteArray("stiffness")
                                             << QVariant(250.0f) << QVariant(-1.0f) << 1.0;
    QTest::newRow("rotary spring damping") << RotarySpring << QByteArray("damping") << QByteArray("damping")
                                           << QVariant(0.25f) << QVariant(-1.0f) << 1.0;
    QTest::newRow("rotary limit minimum") << RotaryLimit << QByteArray("minAngle") << QByteArray("min")
                                          << QVariant(30.0f) << nan << radians;
    QTest::newRow("rotary limit maximum") << RotaryLimit << QByteArray("maxAngle") << QByteArray("max")
                                          << QVariant(60.0f) << nan << radians;
    QTest::newRow("groove end 1") << Groove << QByteArray("groove1") << QByteArray("grv_a")
                                  << QVariant(QPointF(1, 2)) << QVariant(QPointF(0, 0)) << 1.0;
    QTest::newRow("groove end 2") << Groove << QByteArray("groove2") << QByteArray("grv_b")
                                  << QVariant(QPointF(8, 9)) << far << 1.0;
    QTest::newRow("groove pin") << Groove << QByteArray("anchor2") << QByteArray("anchr2")
                                << QVariant(QPointF(5, 6)) << far << 1.0;
}

void TestJointItems::propertiesReachTheirFileValue()
{
    QFETCH(Kind, kind);
    QFETCH(QByteArray, property);
    QFETCH(QByteArray, element);
    QFETCH(QVariant, value);
    QFETCH(QVariant, refused);
    QFETCH(double, scale);

    World w;
    std::unique_ptr<AbstractLineJointItem> item(makeJoint(kind, w.space));
    ConstraintItem* object = item.get();
    const JointKind* fileKind = jointKindOf(item->constraint());
    QVERIFY(fileKind);
    const JointParameter* parameter = fileKind->parameter(element.constData());
    QVERIFY2(parameter, element.constData());

    QVERIFY(object->setProperty(property.constData(), value));
    QCOMPARE(object->property(property.constData()), value);
    if (value.typeId() == QMetaType::QPointF) {
        QVERIFY(parameter->isPoint());
        QCOMPARE(toPoint(parameter->point(item->constraint())), value.toPointF());
    } else {
        QVERIFY(!parameter->isPoint());
        QVERIFY(std::fabs(parameter->number(item->constraint()) - value.toDouble() * scale) < 1e-6);
    }

    object->setProperty(property.constData(), refused);
    QCOMPARE(object->property(property.constData()), value);
}

QTEST_MAIN(TestJointItems)
#include "tst_jointitems.moc"
