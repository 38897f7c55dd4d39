#include <QtTest>

#include <QGraphicsRectItem>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>
#include <QWheelEvent>

#include <chipmunk/chipmunk.h>

#include <cmath>
#include <limits>

#include "Items/ConstraintItem.h"
#include "Items/GradientItem.h"
#include "Items/ShapeItem.h"
#include "Items/item.h"
#include "Tools/AbstractItemTool.h"
#include "Views/EditorScene.h"
#include "Views/EditorView.h"

#include "SpaceTestSupport.h"
#include "LevelFixture.h"

namespace {

// Physics steps as the timer would make them.
void stepTimes(EditorView& view, int times)
{
    for (int i = 0; i < times; ++i)
        view.tick();
}

// Records what reaches it; answers `answer` to everything.
class RecordingTool : public AbstractItemTool
{
public:
    explicit RecordingTool(EditorView* view) : AbstractItemTool(view) {}

    bool mousePressEvent(QMouseEvent*) override { ++presses; return answer; }
    bool mouseMoveEvent(QMouseEvent*) override { ++moves; return answer; }
    bool mouseReleaseEvent(QMouseEvent*) override { ++releases; return answer; }
    bool keyPressEvent(QKeyEvent*) override { ++keys; return answer; }
    bool priorityClick(QMouseEvent*) override { return answer; }

    int presses = 0;
    int moves = 0;
    int releases = 0;
    int keys = 0;
    bool answer = false;
};

// A grouped scene item that keeps the registry up to date the way the real
// grouped items do: through its scene's context.
class GroupedItem : public QGraphicsRectItem, public GroupableItem
{
public:
    explicit GroupedItem(const QString& name) : QGraphicsRectItem(0, 0, 1, 1) { setName(name); }
    ~GroupedItem() override
    {
        if (EditorView* v = canvas())
            v->removeItemFromGroup(this, groupId());
    }

    void setGroupId(QString groupId) override
    {
        if (EditorView* v = canvas())
            v->updateItemInGroup(this, groupId, this->groupId());
        GroupableItem::setGroupId(groupId);
    }
    bool active() const override { return isVisible(); }
    void setActive(bool active) override { setVisible(active); }

private:
    EditorView* canvas() const
    {
        EditorScene* s = qobject_cast<EditorScene*>(scene());
        return s && s->context() ? s->context()->view : nullptr;
    }
};

// The smallest concrete shape item: it counts the canvas's adjust() calls. One
// that is told to leave the space does so from inside adjust(), which the tick
// must allow.
class CountingShape : public ShapeItem, public QGraphicsEllipseItem
{
public:
    CountingShape(cpSpace* space, cpShape* shape)
        : ShapeItem(space, shape), QGraphicsEllipseItem(-5, -5, 10, 10) {}

    void adjust() override
    {
        ++adjusts;
        if (leaveOnAdjust)
            setBodyInSpace(false);
    }
    void adjustShape() override {}

    int adjusts = 0;
    bool leaveOnAdjust = false;
};

class CountingJoint : public ConstraintItem, public QGraphicsLineItem
{
public:
    CountingJoint(cpSpace* space, cpConstraint* constraint) : ConstraintItem(space, constraint) {}
    void adjust() override { ++adjusts; }
    int adjusts = 0;
};

// Counts the timer events that reach the canvas, per timer id.
class CountingView : public EditorView
{
public:
    QMap<int, int> ticks;

protected:
    void timerEvent(QTimerEvent* event) override
    {
        ++ticks[event->timerId()];
        EditorView::timerEvent(event);
    }
};

void sendMouse(EditorView& view, QEvent::Type type, const QPoint& pos,
               Qt::MouseButton button = Qt::LeftButton)
{
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease || type == QEvent::MouseMove
                                         ? Qt::MouseButtons(Qt::NoButton) : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(pos), view.viewport()->mapToGlobal(QPointF(pos)),
                      type == QEvent::MouseMove ? Qt::NoButton : button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &event);
}

void sendWheel(EditorView& view, const QPoint& angle)
{
    const QPointF pos(view.viewport()->rect().center());
    QWheelEvent event(pos, view.viewport()->mapToGlobal(pos), QPoint(), angle, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view.viewport(), &event);
}

QRectF backgroundRect(const EditorView& view)
{
    return view.background() ? view.background()->boundingRect() : QRectF();
}

cpBody* addMovingBody(cpSpace* space, cpVect velocity)
{
    cpBody* body = cpSpaceAddBody(space, cpBodyNew(1, 1));
    cpBodySetVelocity(body, velocity);
    return body;
}

} // namespace

class TestEditorView : public QObject
{
    Q_OBJECT

private slots:
    void freshLevelDefaults();
    void boundsSetters_data();
    void boundsSetters();
    void levelValuesRefuseWhatChipmunkWouldAbortOn();
    void gapBetweenClearAndInit();
    void inputGoesOnlyToTheCurrentTool();
    void withoutToolTheViewHandlesInput();
    void hoverShowsScenePoint();
    void wheelZoomKeepsLimitsAndFlip_data();
    void wheelZoomKeepsLimitsAndFlip();
    void wheelZoomCentres();
    void scaleViewAcceptsTheLimits();
    void objectUpdatedReachesViewListeners();
    void oneTimerStepsFixedDt();
    void stopPhysicsWithoutTimer();
    void tickSkipsBodiesWithoutItems();
    void tickTellsItemsAmongStrangers_data();
    void tickTellsItemsAmongStrangers();
    void tickAdjustsEveryBodysItem();
    void clearAllWhileRunning();
    void unownedConstraintLeavesSpaceBeforeTeardown();
    void clearAllWithItemsWhileRunning();
    void destroyWhileRunning();
    void contextFreedBeforeCanvas();
    void contextSpaceFollowsCanvas();
    void groupMoves();
    void groupNeverListsEmptyName();
    void groupRemoveUnknownName();
    void groupsSurviveClearUntilInit();
};

void TestEditorView::freshLevelDefaults()
{
    EditorView view;

    QCOMPARE(view.boundsLeft(), 0.0f);
    QCOMPARE(view.boundsBottom(), 0.0f);
    QCOMPARE(view.boundsRight(), 540.0f);
    QCOMPARE(view.boundsTop(), 360.0f);
    QCOMPARE(backgroundRect(view), QRectF(0, 0, 540, 360));
    QCOMPARE(view.boundsItem()->zValue(), 1000.0);
    QCOMPARE(view.boundsItem()->pen().widthF(), 0.0);
    QCOMPARE(view.boundsItem()->pen().style(), Qt::DashLine);
    QCOMPARE(view.boundsItem()->pen().color(), QColor(Qt::white));
    QVERIFY(view.scene()->items().contains(view.background()));

    QVERIFY(view.space());
    QCOMPARE(cpSpaceGetIterations(view.space()), 25);
    QCOMPARE(view.gravity(), QPointF(0, -10));
    QCOMPARE(view.damping(), 0.98f);
    QCOMPARE(view.editScale(), 1.0f);

    QCOMPARE(view.topColor(), QColor(100, 196, 100));
    QCOMPARE(view.midColor(), QColor(100, 216, 100));
    QCOMPARE(view.bottomColor(), QColor(100, 246, 100));

    // The property panel sees the same values through the meta-object.
    QCOMPARE(view.property("boundsRight").toFloat(), 540.0f);
    QCOMPARE(view.property("gravity").toPointF(), QPointF(0, -10));
    QCOMPARE(view.property("midColor").value<QColor>(), QColor(100, 216, 100));
    QVERIFY(view.setProperty("damping", 0.5f));
    QCOMPARE(cpSpaceGetDamping(view.space()), 0.5);
    QVERIFY(view.setProperty("gravity", QPointF(1, 2)));
    QCOMPARE(cpSpaceGetGravity(view.space()).y, 2.0);

    QVERIFY(!view.currentTool());
    QCOMPARE(view.key(), std::string("view"));
    QVERIFY(!view.physicsRunning());
}

void TestEditorView::boundsSetters_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<float>("value");
    QTest::addColumn<QRectF>("expected");

    QTest::newRow("left") << "boundsLeft" << 10.0f << QRectF(QPointF(10, 0), QPointF(540, 360));
    QTest::newRow("bottom") << "boundsBottom" << -20.0f << QRectF(QPointF(0, -20), QPointF(540, 360));
    QTest::newRow("right") << "boundsRight" << 600.0f << QRectF(QPointF(0, 0), QPointF(600, 360));
    QTest::newRow("top") << "boundsTop" << 480.0f << QRectF(QPointF(0, 0), QPointF(540, 480));
    // Float precision is kept, not the double that was asked for.
    QTest::newRow("float precision") << "boundsLeft" << 0.1f
                                     << QRectF(QPointF(double(0.1f), 0), QPointF(540, 360));
    // Past the opposite corner: kept unnormalised.
    QTest::newRow("left past right") << "boundsLeft" << 600.0f
                                     << QRectF(QPointF(600, 0), QPointF(540, 360));
}

void TestEditorView::boundsSetters()
{
    QFETCH(QString, property);
    QFETCH(float, value);
    QFETCH(QRectF, expected);

    EditorView view;
    QVERIFY(view.setProperty(property.toLatin1().constData(), value));

    QCOMPARE(view.boundsItem()->rect(), expected);
    QCOMPARE(backgroundRect(view), expected);
    QCOMPARE(view.boundsLeft(), float(expected.left()));
    QCOMPARE(view.boundsBottom(), float(expected.top()));
    QCOMPARE(view.boundsRight(), float(expected.right()));
    QCOMPARE(view.boundsTop(), float(expected.bottom()));
}

void TestEditorView::levelValuesRefuseWhatChipmunkWouldAbortOn()
{
    EditorView view;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();

    // Chipmunk aborts on a negative damping, and on the runaway velocities that
    // a damping above 1 brings; the old value stays.
    view.setDamping(-1);
    view.setDamping(nan);
    view.setDamping(98);
    QCOMPARE(view.damping(), 0.98f);
    view.setDamping(1);
    QCOMPARE(view.damping(), 1.0f);
    view.setDamping(0.98f);
    view.setGravity(QPointF(qQNaN(), 0));
    view.setGravity(QPointF(0, qInf()));
    QCOMPARE(view.gravity(), QPointF(0, -10));

    view.setBoundsLeft(nan);
    view.setBoundsTop(inf);
    QCOMPARE(view.boundsItem()->rect(), QRectF(0, 0, 540, 360));
    QCOMPARE(backgroundRect(view), QRectF(0, 0, 540, 360));
    view.setEditScale(nan);
    QCOMPARE(view.editScale(), 1.0f);

    view.startPhysics();
    stepTimes(view, 3); // the space still steps
    view.stopPhysics();
}

void TestEditorView::gapBetweenClearAndInit()
{
    EditorView view;
    view.clearAll();

    QVERIFY(!view.space());
    QVERIFY(!view.boundsItem());
    QVERIFY(!view.background());
    QVERIFY(view.scene()->items().isEmpty());
    QCOMPARE(view.boundsRight(), 0.0f);
    QVERIFY(!view.topColor().isValid());
    QCOMPARE(view.gravity(), QPointF());

    // Nothing to act on: no crash, nothing created.
    view.setBoundsLeft(5);
    view.setTopColor(Qt::red);
    view.setDamping(0.5f);
    view.setGravity(QPointF(1, 1));
    view.startPhysics();
    stepTimes(view, 3);
    view.stopPhysics();
    QVERIFY(view.scene()->items().isEmpty());

    view.clearAll(); // twice is harmless

    view.init();
    QCOMPARE(view.boundsRight(), 540.0f);
    QCOMPARE(view.topColor(), QColor(100, 196, 100));
    QCOMPARE(view.damping(), 0.98f);
    QCOMPARE(view.scene()->items().size(), 2);

    // A second init() replaces the level instead of stacking a second one on it.
    view.scene()->addItem(new QGraphicsRectItem(0, 0, 5, 5));
    view.init();
    QVERIFY(view.space());
    QCOMPARE(view.scene()->items().size(), 2);
}

void TestEditorView::inputGoesOnlyToTheCurrentTool()
{
    EditorView view;
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    auto* target = new QGraphicsRectItem(100, 100, 50, 50);
    target->setFlag(QGraphicsItem::ItemIsSelectable);
    target->setZValue(2000);
    view.scene()->addItem(target);
    const QPoint onTarget = view.mapFromScene(QPointF(125, 125));

    RecordingTool tool(&view);
    view.setCurrentTool(&tool);
    QCOMPARE(view.currentTool(), &tool);
    QSignalSpy completed(&view, &EditorView::toolCompleted);

    sendMouse(view, QEvent::MouseButtonPress, onTarget);
    sendMouse(view, QEvent::MouseMove, onTarget + QPoint(3, 3));
    sendMouse(view, QEvent::MouseButtonRelease, onTarget + QPoint(3, 3));
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &key);

    QCOMPARE(tool.presses, 1);
    QCOMPARE(tool.moves, 1);
    QCOMPARE(tool.releases, 1);
    QCOMPARE(tool.keys, 1);
    // The tool answered false, and the release still completes it.
    QCOMPARE(completed.count(), 1);
    // The graphics view never saw the press.
    QVERIFY(!target->isSelected());
    QCOMPARE(view.lastScenePoint(), view.mapToScene(onTarget + QPoint(3, 3)));

    tool.answer = true;
    sendMouse(view, QEvent::MouseButtonRelease, onTarget);
    QCOMPARE(completed.count(), 2);
}

void TestEditorView::withoutToolTheViewHandlesInput()
{
    EditorView view;
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    auto* target = new QGraphicsRectItem(100, 100, 50, 50);
    target->setFlag(QGraphicsItem::ItemIsSelectable);
    target->setZValue(2000);
    view.scene()->addItem(target);
    const QPoint onTarget = view.mapFromScene(QPointF(125, 125));

    // A tool that was current once and is gone again receives nothing more.
    RecordingTool tool(&view);
    view.setCurrentTool(&tool);
    view.setCurrentTool(nullptr);
    QSignalSpy completed(&view, &EditorView::toolCompleted);

    sendMouse(view, QEvent::MouseButtonPress, onTarget);
    sendMouse(view, QEvent::MouseButtonRelease, onTarget);

    QVERIFY(target->isSelected());
    QCOMPARE(completed.count(), 0);
    QCOMPARE(tool.presses + tool.releases, 0);
    QCOMPARE(view.lastScenePoint(), view.mapToScene(onTarget));
}

void TestEditorView::hoverShowsScenePoint()
{
    EditorView view;
    view.scale(1, -1);
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    QSignalSpy hover(&view, &EditorView::hoverPointChanged);
    const QPoint pos(37, 52);
    const QPointF scenePt = view.mapToScene(pos);

    // No status bar: the point is still announced.
    sendMouse(view, QEvent::MouseMove, pos);
    QCOMPARE(hover.count(), 1);
    QCOMPARE(hover.at(0).at(0).toPointF(), scenePt);

    // The point goes to a label of its own: a message on the bar stays readable.
    QStatusBar bar;
    view.setStatusBar(&bar);
    bar.showMessage(QStringLiteral("Could not open level"));
    sendMouse(view, QEvent::MouseMove, pos);
    QCOMPARE(bar.currentMessage(), QStringLiteral("Could not open level"));
    auto* coordinates = bar.findChild<QLabel*>(QStringLiteral("coordinates"));
    QVERIFY(coordinates);
    const QStringList parts = coordinates->text().split(QStringLiteral(", "));
    QCOMPARE(parts.size(), 2);
    QCOMPARE(parts.at(0).toDouble(), scenePt.x());
    QCOMPARE(parts.at(1).toDouble(), scenePt.y());
    QCOMPARE(hover.count(), 2);
}

void TestEditorView::wheelZoomKeepsLimitsAndFlip_data()
{
    QTest::addColumn<QPoint>("angle");
    QTest::addColumn<int>("turns");
    QTest::addColumn<double>("expectedScale");

    QTest::newRow("one notch in") << QPoint(0, 120) << 1 << std::sqrt(2.0);
    QTest::newRow("two notches double") << QPoint(0, 240) << 1 << 2.0;
    QTest::newRow("one notch out") << QPoint(0, -120) << 1 << std::sqrt(0.5);
    // sqrt(2)^4 = 4; the fifth notch would pass 5 and is refused.
    QTest::newRow("in stops below 5") << QPoint(0, 120) << 10 << 4.0;
    // sqrt(0.5)^4 = 0.25; the fifth would fall below 0.2.
    QTest::newRow("out stops above 0.2") << QPoint(0, -120) << 10 << 0.25;
    QTest::newRow("horizontal wheel") << QPoint(120, 0) << 1 << std::sqrt(2.0);
    QTest::newRow("vertical wins") << QPoint(-120, 240) << 1 << 2.0;
    QTest::newRow("no turn") << QPoint(0, 0) << 1 << 1.0;
}

void TestEditorView::wheelZoomKeepsLimitsAndFlip()
{
    QFETCH(QPoint, angle);
    QFETCH(int, turns);
    QFETCH(double, expectedScale);

    EditorView view;
    view.scale(1, -1); // the main window's y-up flip
    view.resize(300, 200);

    for (int i = 0; i < turns; ++i)
        sendWheel(view, angle);

    const QTransform t = view.transform();
    QCOMPARE(t.m11(), expectedScale);
    QCOMPARE(t.m22(), -expectedScale);
    QCOMPARE(t.m12(), 0.0);
    QCOMPARE(t.m21(), 0.0);
}

void TestEditorView::wheelZoomCentres()
{
    EditorView view;
    view.scale(1, -1);
    view.resize(300, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.scene()->setSceneRect(-3000, -3000, 6000, 6000);
    // A cached background would be scrolled in place by each centring below,
    // which copies between overlapping memory on X servers.
    QCOMPARE(view.cacheMode(), QGraphicsView::CacheModeFlag::CacheNone);

    auto centre = [&view]() { return view.mapToScene(view.viewport()->rect().center()); };

    // Nothing selected: the point of the last release. The zoom is at its limit
    // already, so the view is centred although the scale stays.
    view.scale(4, 4);
    const QTransform before = view.transform();
    sendMouse(view, QEvent::MouseButtonRelease, QPoint(10, 10));
    const QPointF released = view.lastScenePoint();
    sendWheel(view, QPoint(0, 120));
    QCOMPARE(view.transform(), before);
    QVERIFY(QLineF(centre(), released).length() < 1.0);

    // A selection wins over the last release.
    auto* item = new QGraphicsRectItem(-5, -5, 10, 10);
    item->setPos(1500, -800);
    item->setFlag(QGraphicsItem::ItemIsSelectable);
    view.scene()->addItem(item);
    item->setSelected(true);
    sendWheel(view, QPoint(0, -120));
    QVERIFY(QLineF(centre(), QPointF(1500, -800)).length() < 1.0);
}

void TestEditorView::scaleViewAcceptsTheLimits()
{
    EditorView view;
    view.scale(1, -1);

    view.scaleView(5);
    QCOMPARE(view.transform().m11(), 5.0);
    view.scaleView(1.01);
    QCOMPARE(view.transform().m11(), 5.0);
    view.scaleView(0.04); // unit width 0.2 exactly
    QCOMPARE(view.transform().m11(), 0.2);
    QCOMPARE(view.transform().m22(), -0.2);

    view.scaleView(0);
    view.scaleView(qQNaN());
    view.scaleView(qInf());
    QCOMPARE(view.transform().m11(), 0.2);
}

void TestEditorView::objectUpdatedReachesViewListeners()
{
    EditorView view;
    QSignalSpy updated(&view, &EditorView::objectUpdated);
    QObject object;
    view.editorScene()->updatedObject(&object);
    QCOMPARE(updated.count(), 1);
    QCOMPARE(updated.at(0).at(0).value<QObject*>(), &object);
    QCOMPARE(static_cast<QGraphicsScene*>(view.editorScene()), view.scene());
}

void TestEditorView::oneTimerStepsFixedDt()
{
    CountingView view;
    // Without damping and gravity the body moves by exactly v * dt per step.
    view.setDamping(1);
    view.setGravity(QPointF(0, 0));
    cpBody* body = addMovingBody(view.space(), cpv(1, 0));

    view.startPhysics();
    view.startPhysics(); // restarts: still one timer
    QVERIFY(view.physicsRunning());
    QTRY_VERIFY_WITH_TIMEOUT(!view.ticks.isEmpty() && view.ticks.first() >= 10, 5000);
    // Let a leaked first timer, if there were one, show itself as well.
    QTest::qWait(50);
    view.stopPhysics();
    QVERIFY(!view.physicsRunning());

    QCOMPARE(view.ticks.size(), 1);
    const int steps = view.ticks.first();
    QCOMPARE(cpSpaceGetCurrentTimeStep(view.space()), EditorView::physicsStep);
    double x = 0;
    for (int i = 0; i < steps; ++i)
        x += EditorView::physicsStep;
    QCOMPARE(cpBodyGetPosition(body).x, x);

    // Stopped: no more steps.
    QTest::qWait(60);
    QCOMPARE(cpBodyGetPosition(body).x, x);

    cpSpaceRemoveBody(view.space(), body);
    cpBodyFree(body);
}

void TestEditorView::stopPhysicsWithoutTimer()
{
    EditorView view;
    view.stopPhysics();
    QVERIFY(!view.physicsRunning());
    view.startPhysics();
    view.stopPhysics();
    view.stopPhysics();
    QVERIFY(!view.physicsRunning());
}

void TestEditorView::tickSkipsBodiesWithoutItems()
{
    // Bodies and constraints whose user data is null, or names an object that
    // is no physics item, are stepped but not adjusted.
    EditorView view;
    cpSpace* space = view.space();
    QObject stranger;
    cpBody* a = addMovingBody(space, cpv(0, 0));
    cpBody* b = addMovingBody(space, cpv(0, 0));
    cpBodySetUserData(b, &stranger);
    cpShape* shape = cpSpaceAddShape(space, cpCircleShapeNew(a, 1, cpvzero));
    cpShape* ground = cpSpaceAddShape(space, cpSegmentShapeNew(cpSpaceGetStaticBody(space), cpv(-50, -5), cpv(50, -5), 1));
    cpBodySetUserData(cpSpaceGetStaticBody(space), &stranger);
    cpConstraint* joint = cpSpaceAddConstraint(space, cpPinJointNew(a, b, cpvzero, cpvzero));
    cpConstraintSetUserData(joint, &stranger);

    view.startPhysics();
    stepTimes(view, 6);
    view.stopPhysics();
    QVERIFY(cpBodyGetPosition(a).y < 0); // it fell

    cpSpaceRemoveConstraint(space, joint);
    cpConstraintFree(joint);
    cpSpaceRemoveShape(space, shape);
    cpSpaceRemoveShape(space, ground);
    cpShapeFree(shape);
    cpShapeFree(ground);
    cpSpaceRemoveBody(space, a);
    cpSpaceRemoveBody(space, b);
    cpBodyFree(a);
    cpBodyFree(b);
    cpBodySetUserData(cpSpaceGetStaticBody(space), nullptr);
}

void TestEditorView::tickTellsItemsAmongStrangers_data()
{
    QTest::addColumn<bool>("strangersFirst");
    QTest::newRow("items first") << false;
    QTest::newRow("strangers first") << true;
}

void TestEditorView::tickTellsItemsAmongStrangers()
{
    // The tick remembers the classes it has found to be items; objects of other
    // classes, met before or after them in the same ticks, are still passed over.
    QFETCH(bool, strangersFirst);
    EditorView view;
    cpSpace* space = view.space();
    QObject plain;
    QTimer timer;
    cpBody* strangerA = nullptr;
    cpBody* strangerB = nullptr;
    cpConstraint* tie = nullptr;
    auto addStrangers = [&] {
        strangerA = addMovingBody(space, cpv(1, 0));
        cpBodySetUserData(strangerA, &plain);
        strangerB = addMovingBody(space, cpv(0, 1));
        cpBodySetUserData(strangerB, &timer);
        tie = cpSpaceAddConstraint(space, cpPinJointNew(strangerA, strangerB, cpvzero, cpvzero));
        cpConstraintSetUserData(tie, &timer);
    };
    auto circleOn = [&](cpBody* body) {
        auto* item = new CountingShape(space, cpSpaceAddShape(space, cpCircleShapeNew(body, 5, cpvzero)));
        view.scene()->addItem(item);
        return item;
    };

    if (strangersFirst)
        addStrangers();
    cpBody* bodyA = cpSpaceAddBody(space, cpBodyNew(1, 10));
    cpBody* bodyB = cpSpaceAddBody(space, cpBodyNew(1, 10));
    CountingShape* a = circleOn(bodyA);
    CountingShape* b = circleOn(bodyB);
    auto* joint = new CountingJoint(space, cpPinJointNew(bodyA, bodyB, cpvzero, cpvzero));
    joint->addToSpace();
    view.scene()->addItem(joint);
    if (!strangersFirst)
        addStrangers();

    view.startPhysics();
    stepTimes(view, 4);
    view.stopPhysics();
    QCOMPARE(a->adjusts, 4);
    QCOMPARE(b->adjusts, 4);
    QCOMPARE(joint->adjusts, 4);

    cpSpaceRemoveConstraint(space, tie);
    cpConstraintFree(tie);
    cpSpaceRemoveBody(space, strangerA);
    cpSpaceRemoveBody(space, strangerB);
    cpBodyFree(strangerA);
    cpBodyFree(strangerB);
}

void TestEditorView::tickAdjustsEveryBodysItem()
{
    CountingView view;
    cpSpace* space = view.space();
    auto circleOn = [&](cpBody* body) {
        auto* item = new CountingShape(space, cpSpaceAddShape(space, cpCircleShapeNew(body, 5, cpvzero)));
        view.scene()->addItem(item);
        return item;
    };
    auto newBody = [&]() { return cpSpaceAddBody(space, cpBodyNew(1, 10)); };

    cpBody* bodyA = newBody();
    CountingShape* a = circleOn(bodyA);
    CountingShape* second = circleOn(bodyA); // the body names the first item only
    cpBody* bodyB = newBody();
    CountingShape* b = circleOn(bodyB);
    CountingShape* resting = circleOn(newBody());
    resting->setBodyInSpace(false);
    CountingShape* leaving = circleOn(newBody());
    leaving->leaveOnAdjust = true;
    // Static bodies never move: neither the space's own nor one added to it.
    CountingShape* ground = new CountingShape(space, cpSpaceAddShape(space,
        cpSegmentShapeNew(cpSpaceGetStaticBody(space), cpv(-100, -50), cpv(100, -50), 1)));
    view.scene()->addItem(ground);
    CountingShape* wall = circleOn(cpSpaceAddBody(space, cpBodyNewStatic()));

    auto* joint = new CountingJoint(space, cpPinJointNew(bodyA, bodyB, cpvzero, cpvzero));
    joint->addToSpace();
    view.scene()->addItem(joint);
    auto* loose = new CountingJoint(space, cpPinJointNew(bodyA, bodyB, cpvzero, cpvzero));
    view.scene()->addItem(loose); // never added to the space

    view.startPhysics();
    QTRY_VERIFY_WITH_TIMEOUT(!view.ticks.isEmpty() && view.ticks.first() >= 3, 5000);
    view.stopPhysics();
    QCOMPARE(view.ticks.size(), 1);
    const int steps = view.ticks.first();

    QCOMPARE(a->adjusts, steps);
    QCOMPARE(b->adjusts, steps);
    QCOMPARE(joint->adjusts, steps);
    QCOMPARE(second->adjusts, 0);
    QCOMPARE(resting->adjusts, 0);
    QCOMPARE(leaving->adjusts, 1);
    QVERIFY(!leaving->bodyInSpace());
    QCOMPARE(ground->adjusts, 0);
    QCOMPARE(wall->adjusts, 0);
    QCOMPARE(loose->adjusts, 0);

    // An item that is gone leaves no trace for the tick: the body names the
    // other item or nothing.
    delete a;
    const int before = second->adjusts;
    view.startPhysics();
    QTRY_VERIFY_WITH_TIMEOUT(view.ticks.first() >= steps + 2, 5000);
    view.stopPhysics();
    QCOMPARE(second->adjusts - before, view.ticks.first() - steps);
}

void TestEditorView::clearAllWithItemsWhileRunning()
{
    Level level;
    EditorView& view = level.view;
    cpSpace* space = view.space();

    cpBody* bodyA = cpSpaceAddBody(space, cpBodyNew(1, 10));
    cpBody* bodyB = cpSpaceAddBody(space, cpBodyNew(1, 10));
    cpBodySetPosition(bodyB, cpv(20, 0));
    view.scene()->addItem(new CountingShape(space, cpSpaceAddShape(space, cpCircleShapeNew(bodyA, 5, cpvzero))));
    view.scene()->addItem(new CountingShape(space, cpSpaceAddShape(space, cpCircleShapeNew(bodyB, 5, cpvzero))));
    view.scene()->addItem(new CountingShape(space, cpSpaceAddShape(space,
        cpSegmentShapeNew(cpSpaceGetStaticBody(space), cpv(-100, -20), cpv(100, -20), 1))));
    auto* joint = new CountingJoint(space, cpPinJointNew(bodyA, bodyB, cpvzero, cpvzero));
    joint->addToSpace();
    view.scene()->addItem(joint);
    auto* grouped = new GroupedItem(QStringLiteral("a"));
    view.scene()->addItem(grouped);
    grouped->setGroupId(QStringLiteral("g"));
    // The physics pointer's drag joint: in the space, owned by the pointer.
    cpConstraint* drag = cpSpaceAddConstraint(space, cpPivotJointNew(cpSpaceGetStaticBody(space), bodyA, cpvzero));

    view.startPhysics();
    stepTimes(view, 4);
    view.clearAll();
    QVERIFY(!view.space());
    QVERIFY(!view.physicsRunning());
    QVERIFY(view.scene()->items().isEmpty());
    QVERIFY(!cpConstraintGetSpace(drag));
    flushDeletes();

    view.clearAll();
    view.init();
    view.startPhysics();
    stepTimes(view, 3);
    view.stopPhysics();
    QVERIFY(!cpSpaceContainsConstraint(view.space(), drag));
    cpConstraintFree(drag);
}

void TestEditorView::clearAllWhileRunning()
{
    EditorView view;
    QSignalSpy reset(&view, &EditorView::groupsReset);
    cpBody* body = addMovingBody(view.space(), cpv(5, 0));
    cpShape* shape = cpSpaceAddShape(view.space(), cpCircleShapeNew(body, 2, cpvzero));

    view.startPhysics();
    stepTimes(view, 3);
    view.clearAll();
    QVERIFY(!view.physicsRunning());
    QVERIFY(!view.space());
    // A late tick, had the old timer survived, meets no space.
    view.tick();

    view.clearAll();
    view.init();
    QVERIFY(view.space());
    QCOMPARE(cpSpaceGetIterations(view.space()), 25);
    QCOMPARE(reset.count(), 1);
    QVERIFY(!view.physicsRunning());

    // Raw objects are nobody's: the test frees them.
    cpShapeFree(shape);
    cpBodyFree(body);
}

void TestEditorView::unownedConstraintLeavesSpaceBeforeTeardown()
{
    // A drag joint to the static body, owned by whoever made it (the physics
    // pointer), has null user data. Teardown takes it out of the space, so its
    // owner can tell afterwards that it no longer belongs to any space.
    EditorView view;
    cpSpace* space = view.space();
    cpBody* body = addMovingBody(space, cpv(0, 0));
    cpShape* shape = cpSpaceAddShape(space, cpCircleShapeNew(body, 2, cpvzero));
    cpConstraint* drag = cpSpaceAddConstraint(space, cpPivotJointNew(cpSpaceGetStaticBody(space), body, cpvzero));

    view.startPhysics();
    stepTimes(view, 3);
    view.clearAll();
    QVERIFY(!cpConstraintGetSpace(drag));

    view.init();
    QVERIFY(!cpSpaceContainsConstraint(view.space(), drag));
    cpConstraintFree(drag);
    cpShapeFree(shape);
    cpBodyFree(body);
}

void TestEditorView::destroyWhileRunning()
{
    EditorContext context;
    auto* view = new EditorView;
    context.view = view;
    view->setContext(&context);
    auto* grouped = new GroupedItem(QStringLiteral("a"));
    view->scene()->addItem(grouped);
    grouped->setGroupId(QStringLiteral("g"));
    view->startPhysics();
    stepTimes(*view, 3);
    delete view; // items leave the registry while it still exists
}

// The main window frees its context before the canvas: the canvas's items are
// then deleted without a context and must not read the freed one.
void TestEditorView::contextFreedBeforeCanvas()
{
    auto* context = new EditorContext;
    auto* view = new EditorView;
    context->view = view;
    view->setContext(context);
    auto* grouped = new GroupedItem(QStringLiteral("a"));
    view->scene()->addItem(grouped);
    grouped->setGroupId(QStringLiteral("g"));

    delete context;
    QVERIFY(!view->editorScene()->context());
    delete view;
}

// Readers below the canvas find its space through the context; a space the
// canvas has freed must never be handed out.
void TestEditorView::contextSpaceFollowsCanvas()
{
    EditorContext context;
    QVERIFY(!context.space());
    EditorView view;
    context.view = &view;
    view.setContext(&context);
    QCOMPARE(context.space(), view.space());
    view.clearAll();
    QVERIFY(!context.space());
    view.init();
    QVERIFY(view.space());
    QCOMPARE(context.space(), view.space());
}

void TestEditorView::groupMoves()
{
    Level level;
    EditorView& view = level.view;
    QSignalSpy updated(&view, &EditorView::groupUpdated);
    auto* groups = view.groupMap();

    auto* a = new GroupedItem(QStringLiteral("a"));
    auto* b = new GroupedItem(QStringLiteral("b"));
    view.scene()->addItem(a);
    view.scene()->addItem(b);

    a->setGroupId(QStringLiteral("g"));
    QCOMPARE(groups->value(QStringLiteral("g")), QList<GroupableItem*>({a}));
    QCOMPARE(groups->size(), 1);
    QCOMPARE(updated.count(), 1);
    QCOMPARE(updated.at(0).at(0).toString(), QString());
    QCOMPARE(updated.at(0).at(1).toString(), QStringLiteral("g"));

    b->setGroupId(QStringLiteral("g"));
    a->setGroupId(QStringLiteral("g")); // to the end of its own group
    QCOMPARE(groups->value(QStringLiteral("g")), QList<GroupableItem*>({b, a}));

    a->setGroupId(QStringLiteral("h"));
    QCOMPARE(groups->value(QStringLiteral("g")), QList<GroupableItem*>({b}));
    QCOMPARE(groups->value(QStringLiteral("h")), QList<GroupableItem*>({a}));
    QCOMPARE(updated.last().at(0).toString(), QStringLiteral("g"));
    QCOMPARE(updated.last().at(1).toString(), QStringLiteral("h"));

    // Destruction takes the item out of its group.
    delete b;
    QCOMPARE(groups->value(QStringLiteral("g")), QList<GroupableItem*>());
    QVERIFY(groups->contains(QStringLiteral("g")));

    // A null item changes nothing and announces nothing.
    const int before = updated.count();
    view.updateItemInGroup(nullptr, QStringLiteral("g"), QString());
    view.removeItemFromGroup(nullptr, QStringLiteral("h"));
    QCOMPARE(updated.count(), before);
    QCOMPARE(groups->value(QStringLiteral("h")), QList<GroupableItem*>({a}));
}

void TestEditorView::groupNeverListsEmptyName()
{
    Level level;
    EditorView& view = level.view;
    QSignalSpy updated(&view, &EditorView::groupUpdated);
    auto* groups = view.groupMap();

    auto* a = new GroupedItem(QStringLiteral("a"));
    view.scene()->addItem(a);
    a->setGroupId(QStringLiteral("g"));
    a->setGroupId(QString());
    QCOMPARE(groups->value(QStringLiteral("g")), QList<GroupableItem*>());
    QVERIFY(!groups->contains(QString()));
    QCOMPARE(updated.last().at(0).toString(), QStringLiteral("g"));
    QCOMPARE(updated.last().at(1).toString(), QString());

    // Joining a group later leaves no trace under the empty name, and the
    // item's destruction leaves no list pointing at it.
    a->setGroupId(QStringLiteral("h"));
    QCOMPARE(groups->value(QStringLiteral("h")), QList<GroupableItem*>({a}));
    QVERIFY(!groups->contains(QString()));
    delete a;
    for (const QList<GroupableItem*>& list : *groups)
        QVERIFY(list.isEmpty());
}

void TestEditorView::groupRemoveUnknownName()
{
    EditorView view;
    QSignalSpy updated(&view, &EditorView::groupUpdated);
    GroupedItem item(QStringLiteral("a"));
    view.removeItemFromGroup(&item, QStringLiteral("nowhere"));
    QVERIFY(view.groupMap()->contains(QStringLiteral("nowhere")));
    QVERIFY(view.groupMap()->value(QStringLiteral("nowhere")).isEmpty());
    QCOMPARE(updated.count(), 0);
}

void TestEditorView::groupsSurviveClearUntilInit()
{
    Level level;
    EditorView& view = level.view;
    auto* a = new GroupedItem(QStringLiteral("a"));
    view.scene()->addItem(a);
    a->setGroupId(QStringLiteral("g"));

    QSignalSpy reset(&view, &EditorView::groupsReset);
    view.clearAll();
    QVERIFY(view.groupMap()->contains(QStringLiteral("g")));
    QVERIFY(view.groupMap()->value(QStringLiteral("g")).isEmpty());
    QCOMPARE(reset.count(), 0);

    view.init();
    QVERIFY(view.groupMap()->isEmpty());
    QCOMPARE(reset.count(), 1);
}

QTEST_MAIN(TestEditorView)
#include "tst_editorview.moc"
