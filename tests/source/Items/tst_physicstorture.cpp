// A small level with every shape and joint kind is put through one hostile
// action after another; the space is stepped after each and the level torn
// down. The engine aborts on anything it cannot solve, so every row passing is
// the proof that the editor kept those values and orders away from it.

#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QMetaProperty>
#include <QPointer>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>

#include "Items/AbstractLineItem.h"
#include "Items/CircleShapeItem.h"
#include "Items/GrooveJointItem.h"
#include "Items/JointItems.h"
#include "Items/PolyShapeItem.h"
#include "Commands/UndoCommands.h"
#include "IO/iotransformer.h"
#include "PhysicsReaderHelper.h"
#include "Items/SegmentShapeItem.h"
#include "Toolkit/cpSupport.h"
#include "Tools/JointTools.h"
#include "Tools/ShapeTools.h"
#include "Tools/cpMouseTool.h"
#include "Views/EditorView.h"
#include "cpCompat.h"
#include "cpSpaceSerializer.h"

#include "ChildProcess.h"
#include "SceneMouse.h"

#include "SpaceTestSupport.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

cpVect toVect(QPointF p) { return cpv(p.x(), p.y()); }

bool saneBody(cpBody* body)
{
    const cpVect p = cpBodyGetPosition(body);
    const cpVect v = cpBodyGetVelocity(body);
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(v.x) && std::isfinite(v.y)
        && std::isfinite(cpBodyGetAngle(body)) && std::isfinite(cpBodyGetAngularVelocity(body));
}

// The canvas with its tick at hand: once the running timer has ticked, more
// of its events are sent at once.
class SteppedView : public EditorView
{
public:
    bool tick()
    {
        if (m_timerId == 0)
            return false;
        QTimerEvent event(m_timerId);
        QCoreApplication::sendEvent(this, &event);
        return true;
    }

protected:
    void timerEvent(QTimerEvent* event) override
    {
        m_timerId = event->timerId();
        EditorView::timerEvent(event);
    }

private:
    int m_timerId = 0;
};

// A level in a scene and space of its own, or in those of a canvas, whose tick
// then steps it.
struct Level
{
    QGraphicsScene ownScene;
    QGraphicsScene* scene;
    cpSpace* space;
    bool ownsSpace;
    SteppedView* canvas;

    QPointer<CircleShapeItem> circle;   // dynamic, at (0, 100)
    QPointer<PolyShapeItem> box;        // dynamic, at (100, 100)
    QPointer<CircleShapeItem> glued;    // glued onto the box at (112, 112)
    QPointer<SegmentShapeItem> ground;  // on the space's static body
    QPointer<PolyShapeItem> staticBox;  // on the space's static body
    QList<QPointer<AbstractLineJointItem>> joints;

    explicit Level(EditorView* view = nullptr)
        : scene(view ? static_cast<QGraphicsScene*>(view->editorScene()) : &ownScene)
        , space(view ? view->space() : cpSpaceNew())
        , ownsSpace(!view)
        , canvas(dynamic_cast<SteppedView*>(view))
    {
        cpSpaceSetGravity(space, cpv(0, -10));
        circle = newCircle(QPointF(0, 100));
        box = newBox(QPointF(100, 100), cpBodyNew(130, cpMomentForBox(130, 30, 30)));
        glued = newCircle(QPointF(112, 112));
        box->dropped(glued);
        ground = newSegment(QPointF(-300, 0), QPointF(300, 0));
        staticBox = newBox(QPointF(-100, 50), cpSpaceGetStaticBody(space));

        // One joint of each kind between the two bodies, one more to the static body.
        const QPointF a(0, 100), b(100, 100);
        joints << joint(new SpringJointItem(space, SpringJointItem::defaultConstraint()), a, b)
               << joint(new PinJointItem(space, PinJointItem::defaultConstraint()), a, b)
               << joint(new PivotJointItem(space, PivotJointItem::defaultConstraint()), a, b)
               << joint(new MotorJointItem(space, MotorJointItem::defaultConstraint()), a, b)
               << joint(new SlideJointItem(space, SlideJointItem::defaultConstraint()), a, b)
               << joint(new GearJointItem(space, GearJointItem::defaultConstraint()), a, b)
               << joint(new RotarySpringJointItem(space, RotarySpringJointItem::defaultConstraint()), a, b)
               << joint(new RotaryLimitJointItem(space, RotaryLimitJointItem::defaultConstraint()), a, b)
               << joint(new GrooveJointItem(space, GrooveJointItem::defaultConstraint()), a, b)
               << joint(new PinJointItem(space, PinJointItem::defaultConstraint()), b, QPointF(100, 300));
    }

    ~Level()
    {
        scene->clear();
        flushDeletes();
        if (ownsSpace)
            cpSpaceFree(space);
    }

    CircleShapeItem* newCircle(QPointF at)
    {
        cpBody* body = cpSpaceAddBody(space, cpBodyNew(130, cpMomentForCircle(130, 10, 10, cpvzero)));
        cpBodySetPosition(body, toVect(at));
        auto* item = new CircleShapeItem(space, cpSpaceAddShape(space, cpCircleShapeNew(body, 10, cpvzero)));
        scene->addItem(item);
        return item;
    }

    PolyShapeItem* newBox(QPointF at, cpBody* body)
    {
        const bool onStatic = body == cpSpaceGetStaticBody(space);
        const cpVect c = onStatic ? toVect(at) : cpvzero;
        const cpVect cw[4] = {cpvadd(c, cpv(-15, 15)), cpvadd(c, cpv(15, 15)), cpvadd(c, cpv(15, -15)),
                              cpvadd(c, cpv(-15, -15))};
        if (!onStatic) {
            cpSpaceAddBody(space, body);
            cpBodySetPosition(body, toVect(at));
        }
        auto* item = new PolyShapeItem(space, cpSpaceAddShape(space, newClockwisePolyShape(body, 4, cw)));
        scene->addItem(item);
        return item;
    }

    SegmentShapeItem* newSegment(QPointF a, QPointF b)
    {
        cpShape* shape =
            cpSpaceAddShape(space, cpSegmentShapeNew(cpSpaceGetStaticBody(space), toVect(a), toVect(b), 3));
        auto* item = new SegmentShapeItem(space, shape);
        scene->addItem(item);
        auto* na = new LineItemNode(nullptr, item);
        na->setPos(a);
        scene->addItem(na);
        auto* nb = new LineItemNode(item, nullptr);
        nb->setPos(b);
        scene->addItem(nb);
        return item;
    }

    AbstractLineJointItem* joint(AbstractLineJointItem* j, QPointF p1, QPointF p2)
    {
        j->setLine(QLineF(p1, p2));
        scene->addItem(j);
        j->setupNodes();
        return j;
    }

    QList<QObject*> items() const
    {
        QList<QObject*> out;
        for (QObject* o : {static_cast<QObject*>(circle.data()), static_cast<QObject*>(box.data()),
                           static_cast<QObject*>(glued.data()), static_cast<QObject*>(ground.data()),
                           static_cast<QObject*>(staticBox.data())}) {
            if (o)
                out << o;
        }
        for (const QPointer<AbstractLineJointItem>& j : joints) {
            if (j)
                out << static_cast<ConstraintItem*>(j.data());
        }
        return out;
    }

    // One tick of the canvas: step, then the item of each simulated body and
    // of each joint in the space follows the engine.
    void step(int n = 1)
    {
        for (int i = 0; i < n; ++i) {
            if (canvas && canvas->tick())
                continue;
            cpSpaceStep(space, 1.0 / 30);
            QList<QPointer<QObject>> owners;
            cpSpaceEachBody(space, [](cpBody* b, void* d) {
                static_cast<QList<QPointer<QObject>>*>(d)->append(static_cast<QObject*>(cpBodyGetUserData(b)));
            }, &owners);
            cpSpaceEachConstraint(space, [](cpConstraint* c, void* d) {
                static_cast<QList<QPointer<QObject>>*>(d)->append(static_cast<QObject*>(cpConstraintGetUserData(c)));
            }, &owners);
            for (const QPointer<QObject>& o : owners) {
                if (auto* shape = dynamic_cast<ShapeItem*>(o.data()))
                    shape->adjust();
                else if (auto* j = dynamic_cast<ConstraintItem*>(o.data()))
                    j->adjust();
            }
        }
    }

    void key(QGraphicsItem* item, int key, int times = 1)
    {
        for (int i = 0; i < times; ++i) {
            QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
            scene->sendEvent(item, &event);
            step();
        }
    }

    // The key to each node still there; deletions are flushed and the level
    // stepped after each.
    void keyNodes(const QList<QPointer<LineItemNode>>& nodes, int key)
    {
        for (const QPointer<LineItemNode>& node : nodes) {
            if (!node)
                continue;
            QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
            scene->sendEvent(node, &event);
            flushDeletes();
            step();
        }
    }

    void mouse(QEvent::Type type, QPointF at, QPointF down, Qt::KeyboardModifiers mods)
    {
        sendSceneMouse(scene, type, at, down, mods);
    }

    void drag(QPointF from, QPointF to, Qt::KeyboardModifiers mods = {})
    {
        mouse(QEvent::GraphicsSceneMousePress, from, from, mods);
        for (int i = 1; i <= 4; ++i) {
            mouse(QEvent::GraphicsSceneMouseMove, from + (to - from) * (i / 4.0), from, mods);
            step();
        }
        mouse(QEvent::GraphicsSceneMouseRelease, to, from, mods);
        step();
    }

    // An end node dragged as the node reports it to its edges.
    void dragNode(LineItemNode* node, QPointF to)
    {
        if (!node)
            return;
        const QList<AbstractEdge*> edges = node->edges();
        for (AbstractEdge* e : edges)
            e->dragStarted(node);
        node->setPos(to);
        node->updateEdges();
        step();
        for (AbstractEdge* e : edges)
            e->dragEnded(node);
        step();
    }

    // Every writable property of every item gets each hostile value of its
    // type in turn, the space stepping after each; the last value of a list is
    // an ordinary one, so the way back from the extremes is taken too.
    void hostileProperties()
    {
        const float kHuge = std::numeric_limits<float>::max();
        const QList<QVariant> floats = {0.0f, -1.0f, -2.0f, kNaN, kInf, -kInf, kHuge, -kHuge, 0.5f};
        const QList<QVariant> points = {QPointF(0, 0), QPointF(-1, -1), QPointF(kNaN, 0), QPointF(kInf, -kInf),
                                        QPointF(kHuge, -kHuge), QPointF(20, 10)};
        const QList<QVariant> ints = {0, -1, INT_MAX, INT_MIN, 1};
        const QList<QVariant> bools = {false, true};
        for (QObject* o : items()) {
            const QMetaObject* meta = o->metaObject();
            for (int i = 0; i < meta->propertyCount(); ++i) {
                const QMetaProperty prop = meta->property(i);
                if (!prop.isWritable() || qstrcmp(prop.name(), "objectName") == 0)
                    continue;
                const QList<QVariant>* values = nullptr;
                switch (prop.metaType().id()) {
                case QMetaType::Float:
                case QMetaType::Double: values = &floats; break;
                case QMetaType::QPointF: values = &points; break;
                case QMetaType::Int: values = &ints; break;
                case QMetaType::Bool: values = &bools; break;
                default: break;
                }
                if (!values)
                    continue;
                for (const QVariant& v : *values) {
                    QPointer<QObject> guard(o);
                    prop.write(o, v);
                    if (!guard)
                        return;
                    step();
                }
            }
        }
    }

    int constraintsInSpace() const { return constraintCount(space); }

    bool bodiesSane() const
    {
        bool ok = true;
        cpSpaceEachBody(space, [](cpBody* b, void* d) { *static_cast<bool*>(d) &= saneBody(b); }, &ok);
        return ok;
    }
};

using Action = std::function<void(Level&)>;


} // namespace

Q_DECLARE_METATYPE(Action)

class TestPhysicsTorture : public QObject
{
    Q_OBJECT

private slots:
    void hostShrinkingAfterGlueKeepsSceneIndex();
    void staticBodyNamesNoShapeGluedAway();
    void clearAllTakesHeldItemsWithTheSpace();
    void hostileActions_data();
    void hostileActions();
    void clearAllWhileSimulating();
    void runawayBodiesLeaveTheSimulation_data();
    void runawayBodiesLeaveTheSimulation();
    void toolSequences_data();
    void toolSequences();
    void bodyPastTheBoundStopsAtTheTick_data();
    void bodyPastTheBoundStopsAtTheTick();
};

void TestPhysicsTorture::hostileActions_data()
{
    QTest::addColumn<Action>("action");

    QTest::newRow("nothing") << Action([](Level&) {});
    QTest::newRow("delete the circle before its joints") << Action([](Level& l) {
        delete l.circle.data();
        flushDeletes();
        QCOMPARE(l.constraintsInSpace(), 1);
    });
    QTest::newRow("delete the joints before the shapes") << Action([](Level& l) {
        for (const auto& j : l.joints)
            delete j.data();
        l.step();
        delete l.circle.data();
        delete l.box.data();
        QCOMPARE(l.constraintsInSpace(), 0);
    });
    QTest::newRow("delete the host of a glued pair") << Action([](Level& l) {
        delete l.box.data();
        flushDeletes();
        QVERIFY(!l.glued);
        QCOMPARE(l.constraintsInSpace(), 0);
    });
    QTest::newRow("delete the glued shape, then its host") << Action([](Level& l) {
        delete l.glued.data();
        l.step();
        delete l.box.data();
        flushDeletes();
    });
    QTest::newRow("Delete key on every item") << Action([](Level& l) {
        // Deleting the host takes its glued shape along: hold the others weakly.
        QList<QPointer<QObject>> all;
        for (QObject* o : l.items())
            all << o;
        for (const QPointer<QObject>& o : all) {
            if (auto* g = dynamic_cast<QGraphicsItem*>(o.data()))
                l.key(g, Qt::Key_Delete);
            flushDeletes();
            l.step();
        }
    });
    QTest::newRow("Delete, Space and Control on every joint node") << Action([](Level& l) {
        for (int key : {Qt::Key_Control, Qt::Key_Space, Qt::Key_Delete}) {
            QList<QPointer<LineItemNode>> nodes;
            for (const auto& j : l.joints) {
                if (!j)
                    continue;
                nodes << j->endA() << j->endB();
                if (auto* g = qobject_cast<GrooveJointItem*>(static_cast<ConstraintItem*>(j.data()))) {
                    if (g->bLine())
                        nodes << g->bLine()->endB();
                }
            }
            l.keyNodes(nodes, key);
        }
        for (const auto& j : l.joints)
            QVERIFY(!j);
    });
    QTest::newRow("delete the static segment by a node, then the static box") << Action([](Level& l) {
        l.ground->endA()->deleteThis();
        flushDeletes();
        l.step();
        delete l.staticBox.data();
    });
    QTest::newRow("hostile values on every property") << Action([](Level& l) { l.hostileProperties(); });
    QTest::newRow("hostile values on unbound joints") << Action([](Level& l) {
        for (const auto& j : l.joints) {
            l.dragNode(j->endA(), QPointF(500, 500));
            l.dragNode(j->endB(), QPointF(600, 500));
            QVERIFY2(!cpSpaceContainsConstraint(l.space, j->constraint()), j->metaObject()->className());
        }
        l.hostileProperties();
    });
    QTest::newRow("both bodies infinite, then finite again") << Action([](Level& l) {
        l.circle->setMass(-1);
        l.step();
        l.box->setMass(-1);
        l.step();
        l.box->setBodyInSpace(true);
        l.step();
        l.box->setMass(5);
        l.circle->setMass(5);
        l.step();
        for (const auto& j : l.joints)
            l.dragNode(j->endB(), j->line().p2());
    });
    QTest::newRow("moments infinite under the rotary joints") << Action([](Level& l) {
        l.circle->setMoment(-1);
        l.step();
        l.box->setMoment(-1);
        l.step();
        for (const auto& j : l.joints)
            l.dragNode(j->endB(), j->line().p2());
    });
    QTest::newRow("bodies out of the space and back") << Action([](Level& l) {
        l.circle->setBodyInSpace(false);
        l.box->setBodyInSpace(false);
        l.step();
        for (const auto& j : l.joints)
            l.dragNode(j->endB(), j->line().p2());
        l.circle->setBodyInSpace(true);
        l.box->setBodyInSpace(true);
    });
    QTest::newRow("bodies left out of the space at teardown") << Action([](Level& l) {
        l.circle->setBodyInSpace(false);
        l.step();
        l.box->setMass(-1);
        l.glued->setBodyInSpace(false);
        l.step();
    });
    QTest::newRow("shapes deleted while joint ends are held") << Action([](Level& l) {
        for (const auto& j : l.joints)
            j->dragStarted(j->endB());
        l.step();
        delete l.circle.data();
        l.step();
        l.box->setMass(-1);
        l.step();
        delete l.box.data();
        flushDeletes();
        for (const auto& j : l.joints) {
            if (j) {
                j->setMaxForce(-1);
                j->adjust();
            }
        }
        l.step();
    });
    QTest::newRow("joint ends dragged onto one body, one point, empty space") << Action([](Level& l) {
        for (const auto& j : l.joints) {
            l.dragNode(j->endB(), QPointF(3, 100));
            l.dragNode(j->endA(), j->endB()->pos());
            l.dragNode(j->endA(), QPointF(400, 400));
        }
    });
    QTest::newRow("groove end dragged onto its start") << Action([](Level& l) {
        auto* groove = qobject_cast<GrooveJointItem*>(static_cast<ConstraintItem*>(l.joints[8].data()));
        QVERIFY(groove && groove->bLine());
        l.dragNode(groove->bLine()->endB(), groove->endA()->pos());
        QVERIFY(!cpSpaceContainsConstraint(l.space, groove->constraint()));
        // The joints have pulled the bodies together meanwhile: its ends go back onto them.
        l.dragNode(groove->bLine()->endB(), groove->endA()->pos() + QPointF(0, 20));
        l.dragNode(groove->endA(), l.circle->pos());
        l.dragNode(groove->endB(), l.box->pos());
        QVERIFY(cpSpaceContainsConstraint(l.space, groove->constraint()));
        l.step(60);
        QVERIFY(l.bodiesSane());
        const QPointF end = groove->groove2();
        groove->setGroove2(groove->groove1());
        QCOMPARE(groove->groove2(), end);
        l.step(60);
        QVERIFY(l.bodiesSane());
    });
    QTest::newRow("joint ends merged with segment ends, then node keys") << Action([](Level& l) {
        QList<QPointer<LineItemNode>> nodes;
        for (int k : {0, 8}) {
            LineItemNode* node = l.joints[k]->endB();
            l.dragNode(node, l.ground->endB()->pos());
            node->mergeWithTouchingNode();
            l.step();
            nodes << node;
        }
        for (int key : {Qt::Key_Control, Qt::Key_Space, Qt::Key_Delete}) {
            l.keyNodes(nodes, key);
        }
    });
    QTest::newRow("polygons turned inside out, concave and flat") << Action([](Level& l) {
        for (PolyShapeItem* poly : {l.box.data(), l.staticBox.data()}) {
            const QList<ItemNode*> handles = poly->handles();
            for (ItemNode* h : handles)
                h->setPos(QPointF(-h->pos().x(), h->pos().y()));
            l.step(30);
            handles[0]->setPos(handles[2]->pos() * 0.5 + handles[0]->pos() * 0.25);
            l.step(30);
            for (ItemNode* h : handles)
                h->setPos(QPointF(h->pos().x(), 0));
            l.step(30);
            for (ItemNode* h : handles)
                h->setPos(QPointF(0, 0));
            l.step(30);
        }
        QVERIFY(l.bodiesSane());
    });
    QTest::newRow("segment without length under the falling bodies") << Action([](Level& l) {
        for (const auto& j : l.joints)
            delete j.data();
        l.dragNode(l.ground->endA(), QPointF(3, 80));
        l.dragNode(l.ground->endB(), QPointF(3, 80));
        l.step(60);
        l.dragNode(l.ground->endA(), QPointF(100, 70));
        l.dragNode(l.ground->endB(), QPointF(100, 70));
        l.step(60);
        QVERIFY(l.bodiesSane());
    });
    QTest::newRow("error bias above one") << Action([](Level& l) {
        for (const auto& j : l.joints)
            j->setErrorBias(1e30f);
        l.step(600);
        QVERIFY(l.bodiesSane());
    });
    QTest::newRow("keys on every item") << Action([](Level& l) {
        for (QObject* o : l.items()) {
            auto* g = dynamic_cast<QGraphicsItem*>(o);
            if (!g || dynamic_cast<ConstraintItem*>(o))
                continue;
            for (int k : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Left, Qt::Key_Right, Qt::Key_Space})
                l.key(g, k, 15);
        }
    });
    QTest::newRow("drag, glue and unglue with the mouse") << Action([](Level& l) {
        l.drag(QPointF(0, 100), QPointF(40, 40));
        l.drag(QPointF(40, 40), QPointF(100, 100), Qt::ShiftModifier);   // circle onto the box
        l.drag(l.glued->scenePos(), QPointF(-60, 200), Qt::ShiftModifier); // glued one freed
        l.drag(QPointF(-100, 50), QPointF(-140, 80));                      // static box moved
        l.drag(QPointF(100, 100), QPointF(-100, 50), Qt::ShiftModifier);  // box onto the static box
        l.drag(QPointF(-100, 50), QPointF(300, 200), Qt::ShiftModifier);  // and off again
    });
    QTest::newRow("long run with soft springs") << Action([](Level& l) {
        for (const auto& j : l.joints) {
            if (auto* s = qobject_cast<SpringJointItem*>(static_cast<ConstraintItem*>(j.data()))) {
                s->setDamping(-1);
                s->setStiffness(-400);
            }
            if (auto* s = qobject_cast<RotarySpringJointItem*>(static_cast<ConstraintItem*>(j.data()))) {
                s->setDamping(-1);
                s->setStiffness(-100000);
            }
        }
        l.step(1800);
        QVERIFY(l.bodiesSane());
    });
}

void TestPhysicsTorture::hostileActions()
{
    QFETCH(Action, action);
    SteppedView view;
    {
        Level level(&view);
        view.startPhysics();
        QTRY_VERIFY(view.tick());
        level.step(2);
        QCOMPARE(level.constraintsInSpace(), 10);
        action(level);
        flushDeletes();
        level.step(10);
        // Torn down with whatever is left, the simulation as it stands.
        view.stopPhysics();
    }
    flushDeletes();
}

// The level is cleared while the canvas ticks and the physics pointer holds a body.
void TestPhysicsTorture::clearAllWhileSimulating()
{
    EditorView view;
    view.resize(400, 300);
    {
        Level level(&view);
        view.startPhysics();
        for (int i = 0; i < 7; ++i)
            view.tick();
        view.clearAll();
        flushDeletes();
        QVERIFY(!level.circle && !level.box && !level.glued && level.joints.first().isNull());
        view.init();
        // A tick after clearAll() and init() meets the fresh space only.
        for (int i = 0; i < 4; ++i)
            view.tick();
        view.stopPhysics();
    }
    flushDeletes();
}

// Values a designer may well type (a stiff spring, a light body under the
// default rotary spring) make the motion grow by a factor each step. A body
// running away leaves the simulation before the engine meets an infinite
// value, its joints leave the space, and the rest of the level goes on.
void TestPhysicsTorture::runawayBodiesLeaveTheSimulation_data()
{
    QTest::addColumn<int>("keep");
    QTest::addColumn<QString>("property");
    QTest::addColumn<float>("value");
    QTest::newRow("spring of stiffness 1e6") << 0 << "stiffness" << 1e6f;
    QTest::newRow("rotary spring between bodies of mass 0.1") << 6 << "Mass" << 0.1f;
}

void TestPhysicsTorture::runawayBodiesLeaveTheSimulation()
{
    QFETCH(int, keep);
    QFETCH(QString, property);
    QFETCH(float, value);

    SteppedView view;
    {
        Level level(&view);
        for (int k = 0; k < level.joints.size(); ++k) {
            if (k != keep)
                delete level.joints[k].data();
        }
        ConstraintItem* joint = static_cast<ConstraintItem*>(level.joints[keep].data());
        if (property == "Mass") {
            for (ShapeItem* shape : {static_cast<ShapeItem*>(level.circle.data()), static_cast<ShapeItem*>(level.box.data())}) {
                shape->setMass(value);
                shape->setMoment(-2);
            }
        } else {
            QVERIFY(joint->setProperty(property.toLatin1().constData(), value));
        }
        CircleShapeItem* bystander = level.newCircle(QPointF(500, 200)); // beside the ground: falls on

        QVERIFY(cpSpaceContainsConstraint(level.space, joint->constraint()));
        view.startPhysics();
        QTRY_VERIFY(view.tick());
        for (int i = 0; i < 1800; ++i)
            view.tick();
        view.stopPhysics();

        QVERIFY(!cpSpaceContainsConstraint(level.space, joint->constraint()));
        // The first body to run away leaves; with the joint gone the other calms down.
        ShapeItem* gone = level.circle->bodyInSpace() ? static_cast<ShapeItem*>(level.box.data()) : level.circle.data();
        QVERIFY(!gone->bodyInSpace());
        QCOMPARE(gone->velocity(), QPointF(0, 0));
        QVERIFY(bystander->bodyInSpace());
        QVERIFY(bystander->velocity().y() < -100);
        QVERIFY(level.bodiesSane());
    }
    flushDeletes();
}

namespace {

AbstractItemTool* makeTool(int kind, EditorView* view)
{
    switch (kind) {
    case 0: return new CircleTool(view);
    case 1: return new PolyTool(view);
    case 2: return new SegmentTool(view);
    case 3: return new PinJointTool(view);
    case 4: return new SlideJointTool(view);
    case 5: return new PivotJointTool(view);
    case 6: return new GrooveJointTool(view);
    case 7: return new MotorJointTool(view);
    case 8: return new GearJointTool(view);
    case 9: return new SpringJointTool(view);
    case 10: return new RotarySpringJointTool(view);
    case 11: return new RotaryLimitJointTool(view);
    default: return new cpMouseTool(view);
    }
}

const char* const kToolNames[] = {"circle", "box", "segment", "pin", "slide", "pivot", "groove", "motor",
                                  "gear", "spring", "rotary spring", "rotary limit", "physics pointer"};

} // namespace

// Every tool takes presses, moves, releases and Control in any order, with the
// level cleared in the middle, while the simulation runs.
void TestPhysicsTorture::toolSequences_data()
{
    QTest::addColumn<int>("tool");
    QTest::addColumn<QString>("events");
    // p press, m move, r release, k Control, c level cleared and made anew.
    for (int t = 0; t < 13; ++t) {
        for (const char* events : {"pmr", "ppmmrr", "mr", "pmkmkmr", "pcmkr", "prprpr"})
            QTest::newRow(QByteArray(kToolNames[t]) + ": " + events) << t << QString::fromLatin1(events);
    }
}

void TestPhysicsTorture::toolSequences()
{
    QFETCH(int, tool);
    QFETCH(QString, events);

    SteppedView view;
    view.resize(600, 400);
    {
        Level level(&view);
        view.startPhysics();
        QTRY_VERIFY(view.tick());
        QScopedPointer<AbstractItemTool> t(makeTool(tool, &view));
        // On the circle, then over the box, then on the ground and beyond.
        const QList<QPointF> path = {QPointF(0, 100), QPointF(100, 100), QPointF(50, 0), QPointF(400, 300)};
        int at = 0;
        for (const QChar e : events) {
            const QPoint p = view.mapFromScene(path[at % path.size()]);
            const Qt::MouseButton button = e == QLatin1Char('m') ? Qt::NoButton : Qt::LeftButton;
            const Qt::MouseButtons buttons = e == QLatin1Char('r') ? Qt::NoButton : Qt::LeftButton;
            if (e == QLatin1Char('p')) {
                QMouseEvent m(QEvent::MouseButtonPress, QPointF(p), QPointF(p), button, buttons, Qt::NoModifier);
                t->mousePressEvent(&m);
            } else if (e == QLatin1Char('m')) {
                QMouseEvent m(QEvent::MouseMove, QPointF(p), QPointF(p), button, buttons, Qt::NoModifier);
                t->mouseMoveEvent(&m);
            } else if (e == QLatin1Char('r')) {
                QMouseEvent m(QEvent::MouseButtonRelease, QPointF(p), QPointF(p), button, buttons, Qt::NoModifier);
                t->mouseReleaseEvent(&m);
            } else if (e == QLatin1Char('k')) {
                QKeyEvent k(QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier);
                t->keyPressEvent(&k);
            } else if (e == QLatin1Char('c')) {
                view.clearAll();
                flushDeletes();
                view.init();
                view.startPhysics();
                view.tick();
            }
            ++at;
            for (int i = 0; i < 5; ++i)
                view.tick();
            flushDeletes();
        }
        for (int i = 0; i < 10; ++i)
            view.tick();
        view.stopPhysics();
    }
    flushDeletes();
}

QTEST_MAIN(TestPhysicsTorture)
// A glued child moved out widens its host's bounding rectangle, freeing it
// narrows it again: the scene's index must drop the host under the rectangle it
// was filed under each time, or it keeps the host after its deletion.
void TestPhysicsTorture::hostShrinkingAfterGlueKeepsSceneIndex()
{
    Level level;
    QGraphicsScene* scene = level.scene;
    QPointer<PolyShapeItem> box = level.box;
    CircleShapeItem* glued = level.glued;
    QCOMPARE(glued->parentItem(), static_cast<QGraphicsItem*>(box.data()));

    // Index lookups by bounding rectangle, as a click's item search makes them.
    auto hits = [scene](QPointF at) {
        return scene->items(QRectF(at - QPointF(1, 1), QSizeF(2, 2)), Qt::IntersectsItemBoundingRect);
    };
    glued->setPos(glued->pos() + QPointF(300, 300));
    const QPointF far = glued->scenePos();
    QVERIFY(hits(far).contains(box.data()));
    box->setPos(box->pos() + QPointF(5, 0));
    hits(far);

    // Shift-released on empty ground: the circle leaves the box.
    sendSceneMouse(scene, QEvent::GraphicsSceneMousePress, far, far, Qt::ShiftModifier);
    sendSceneMouse(scene, QEvent::GraphicsSceneMouseMove, far + QPointF(40, 0), far, Qt::ShiftModifier);
    sendSceneMouse(scene, QEvent::GraphicsSceneMouseRelease, far + QPointF(40, 0), far, Qt::ShiftModifier);
    QVERIFY(!glued->parentItem());

    box->setRotation(box->rotation() + 10);
    delete box;
    QVERIFY(!box);
    const QList<QGraphicsItem*> found = hits(far);
    for (QGraphicsItem* item : found)
        QVERIFY(item->type() >= 0);
}

// The space's static body names one live static shape. A static circle glued
// onto a dynamic one and deleted there must not stay named, or the next joint's
// body search reads the freed item.
void TestPhysicsTorture::staticBodyNamesNoShapeGluedAway()
{
    QGraphicsScene scene;
    cpSpace* space = cpSpaceNew();
    {
        cpBody* staticBody = cpSpaceGetStaticBody(space);
        auto* staticCircle =
            new CircleShapeItem(space, cpSpaceAddShape(space, cpCircleShapeNew(staticBody, 10, cpv(-50, 50))));
        scene.addItem(staticCircle);
        staticCircle->adjust();
        cpBody* body = cpSpaceAddBody(space, cpBodyNew(130, cpMomentForCircle(130, 10, 10, cpvzero)));
        cpBodySetPosition(body, cpv(50, 50));
        auto* dynamicCircle = new CircleShapeItem(space, cpSpaceAddShape(space, cpCircleShapeNew(body, 10, cpvzero)));
        scene.addItem(dynamicCircle);
        dynamicCircle->adjust();
        auto* ground = new SegmentShapeItem(
            space, cpSpaceAddShape(space, cpSegmentShapeNew(staticBody, cpv(-300, 0), cpv(300, 0), 3)));
        scene.addItem(ground);
        QCOMPARE(static_cast<QObject*>(cpBodyGetUserData(staticBody)), static_cast<QObject*>(staticCircle));

        dynamicCircle->dropped(staticCircle);
        QCOMPARE(cpShapeGetBody(staticCircle->cpshape()), body);
        QCOMPARE(static_cast<QObject*>(cpBodyGetUserData(staticBody)), static_cast<QObject*>(ground));
        delete staticCircle;
        QCOMPARE(static_cast<QObject*>(cpBodyGetUserData(staticBody)), static_cast<QObject*>(ground));

        auto* pin = new PinJointItem(space, PinJointItem::defaultConstraint());
        pin->setLine(QLineF(QPointF(0, 0), QPointF(50, 50)));
        scene.addItem(pin);
        pin->setupNodes();
        QVERIFY(cpSpaceContainsConstraint(space, pin->constraint()));
        scene.clear();
        flushDeletes();
    }
    cpSpaceFree(space);
}

// Deleted items held by the undo stack belong to the level's space: a cleared
// level takes them along, and no undo brings them into the next one.
void TestPhysicsTorture::clearAllTakesHeldItemsWithTheSpace()
{
    EditorView view;
    EditorContext context;
    context.view = &view;
    view.setContext(&context);
    Level level(&view);
    QPointer<CircleShapeItem> circle = level.circle;
    context.undoStack->push(new DeleteCommand(circle));
    QVERIFY(!circle->scene());

    view.clearAll();
    QVERIFY(!circle);
    QCOMPARE(context.undoStack->count(), 0);
    view.init();
    context.undoStack->undo();
    context.undoStack->clear();
    for (QGraphicsItem* item : view.scene()->items())
        QVERIFY(!shapeType(ItemType(item->type())));
    flushDeletes();
}

namespace {

bool saneState(cpBody* body)
{
    const cpVect p = cpBodyGetPosition(body);
    const cpVect v = cpBodyGetVelocity(body);
    for (double x : {p.x, p.y, v.x, v.y, cpBodyGetAngle(body), cpBodyGetAngularVelocity(body)}) {
        if (!isSaneMagnitude(x))
            return false;
    }
    return true;
}

} // namespace

// The engine takes one step of state it accepts to values past the shared
// bound (a velocity nobody typed, a gravity of 1e200 or a spin of 1e300 set
// in the engine itself): the tick stops such a body where its item last
// showed it, so the drag, the property panel, the writer and the reader that
// come next all meet values they accept. Run in a child process: an abort
// there fails the row instead of ending the test run.
void TestPhysicsTorture::bodyPastTheBoundStopsAtTheTick_data()
{
    QTest::addColumn<Action>("action");
    // Whether the step carried the body's place past the bound, so that it goes
    // back where it was shown.
    QTest::addColumn<bool>("placeLost");
    QTest::newRow("gravity of 1e200")
        << Action([](Level& l) { cpSpaceSetGravity(l.space, cpv(0, -1e200)); }) << false;
    QTest::newRow("velocity of 5e11") << Action([](Level& l) {
        cpBodySetVelocity(cpShapeGetBody(l.circle->cpshape()), cpv(5e11, 0));
    }) << true;
    QTest::newRow("spin of 1e300") << Action([](Level& l) {
        cpBodySetAngularVelocity(cpShapeGetBody(l.circle->cpshape()), 1e300);
    }) << true;
}

void TestPhysicsTorture::bodyPastTheBoundStopsAtTheTick()
{
    QFETCH(Action, action);
    QFETCH(bool, placeLost);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("runaway.kfml"));

    const auto stopDragEditSaveReopen = [&] {
        EditorView view;
        Level level(&view);
        for (int i = 0; i < 3; ++i)
            view.tick();
        CircleShapeItem* circle = level.circle.data();
        cpBody* body = cpShapeGetBody(circle->cpshape());
        const QPointF shown = circle->pos();
        const qreal shownRotation = circle->rotation();

        action(level);
        view.tick();
        QVERIFY(saneState(body));
        QVERIFY(!circle->bodyInSpace());
        QCOMPARE(circle->velocity(), QPointF(0, 0));
        const cpVect stopped = cpBodyGetPosition(body);
        QCOMPARE(circle->pos(), QPointF(stopped.x, stopped.y));
        if (placeLost) {
            QCOMPARE(circle->pos(), shown);
            QCOMPARE(circle->rotation(), shownRotation);
        }

        // Dragged with the simulation on, then edited through its properties.
        const QPointF to = shown + QPointF(40, 30);
        level.mouse(QEvent::GraphicsSceneMousePress, shown, shown, {});
        for (int i = 1; i <= 4; ++i) {
            level.mouse(QEvent::GraphicsSceneMouseMove, shown + (to - shown) * (i / 4.0), shown, {});
            view.tick();
        }
        level.mouse(QEvent::GraphicsSceneMouseRelease, to, shown, {});
        QVERIFY(circle->setProperty("Moment", 50.0f));
        QVERIFY(circle->setProperty("Velocity", QPointF(3, 4)));
        QVERIFY(circle->setProperty("Mass", 20.0f));
        QVERIFY(circle->setProperty("bodyInSpace", true));
        cpSpaceSetGravity(level.space, cpv(0, -10));
        for (int i = 0; i < 3; ++i)
            view.tick();
        QVERIFY(saneState(body));
        const cpVect kept = cpBodyGetPosition(body);

        {
            cpSpaceSerializer serializer;
            IOTransformer out(QFile::encodeName(path).toStdString(), nullptr, &serializer);
            out.write(view);
            QVERIFY(out.save(view.space()));
        }
        EditorView reopened;
        EditorContext context;
        QString error;
        QVERIFY2(readLevel(&reopened, &context, path, &error), qPrintable(error));
        bool found = false;
        for (QGraphicsItem* item : reopened.editorScene()->items()) {
            auto* shape = dynamic_cast<CircleShapeItem*>(item);
            if (!shape || cpCircleShapeGetRadius(shape->cpshape()) != cpCircleShapeGetRadius(circle->cpshape()))
                continue;
            cpBody* b = cpShapeGetBody(shape->cpshape());
            QVERIFY(saneState(b));
            found = found || cpvdist(cpBodyGetPosition(b), kept) < 1e-3;
        }
        QVERIFY(found);
        reopened.tick();
    };
    QVERIFY(runsToEnd(stopDragEditSaveReopen));
}

#include "tst_physicstorture.moc"
