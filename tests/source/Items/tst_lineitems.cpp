#include "Items/AbstractLineItem.h"
#include "Items/LineItem.h"

#include "IO/iotransformer.h"
#include "Views/EditorScene.h"
#include "Views/EditorView.h"

#include <QApplication>
#include <QFile>
#include <QGraphicsRectItem>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QLineF>
#include <QMouseEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <memory>

#include "SpaceTestSupport.h"

namespace {

// An edge that cannot be split and whose pointA()/pointB() report stale points,
// as a physics segment reports its engine's end points before it follows its nodes.
class StaleEdge : public AbstractLineItem
{
public:
    AbstractEdge* clone() override { return nullptr; }
    QPointF pointA() const override { return QPointF(-500, 300); }
    QPointF pointB() const override { return QPointF(-500, 300); }
};

int nodeCount(QGraphicsScene* scene)
{
    int count = 0;
    const QList<QGraphicsItem*> items = scene->items();
    for (QGraphicsItem* item : items) {
        if (item->type() == LineItemNodeType)
            ++count;
    }
    return count;
}

void sendKey(QGraphicsScene* scene, QGraphicsItem* item, int key)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    scene->sendEvent(item, &event);
}

} // namespace

class TestLineItems : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void mergeOnRelease_data();
    void mergeOnRelease();
    void mergeRefusals();
    void mergeSkipsNodesGoingAway();
    void touchingNodes_data();
    void touchingNodes();
    void breakAway();
    void insertNode();
    void insertNodeWithoutClone();
    void deleteDissolvesTwoEdges();
    void deleteCascade_data();
    void deleteCascade();
    void deleteKeyOnLine();
    void shiftSnap_data();
    void shiftSnap();
    void shiftSnapUsesNodePositions();
    void dragMovesEverySelectedNode_data();
    void dragMovesEverySelectedNode();
    void widthKeys_data();
    void widthKeys();
    void outlineFollowsChanges_data();
    void outlineFollowsChanges();
    void segmentTypeAndClone();
    void setActiveHidesOnlyTheLine();
    void writeLine_data();
    void writeLine();
    void readLine_data();
    void readLine();
    void readSharedEnds_data();
    void readSharedEnds();
    void readJoinsExistingNode();
    void groupRegistry();

private:
    LineItem* makeLine(QPointF p1, QPointF p2);
    void drag(QGraphicsItem* item, QPointF to, Qt::KeyboardModifiers modifiers);
    QString writeText(IONode& node);
    bool readText(const QString& xml, IONode& node);

    std::unique_ptr<EditorContext> context;
    std::unique_ptr<EditorView> view;
    QGraphicsScene* scene = nullptr;
    QTemporaryDir tempDir;
};

void TestLineItems::init()
{
    context = std::make_unique<EditorContext>();
    view = std::make_unique<EditorView>();
    context->view = view.get();
    view->setContext(context.get());
    scene = view->editorScene();
}

void TestLineItems::cleanup()
{
    flushDeletes();
    view.reset();
    context.reset();
    scene = nullptr;
}

// A line with its two end nodes, made the way the line tool makes it.
LineItem* TestLineItems::makeLine(QPointF p1, QPointF p2)
{
    LineItem* line = new LineItem();
    line->setLine(QLineF(p1, p2));
    scene->addItem(line);
    LineItemNode* a = new LineItemNode(nullptr, line);
    a->setDecorate(true);
    LineItemNode* b = new LineItemNode(line, nullptr);
    scene->addItem(a);
    scene->addItem(b);
    line->adjustNodes();
    return line;
}

// Presses on the item's position, moves to `to` with the modifiers and releases,
// through the view like a user would.
void TestLineItems::drag(QGraphicsItem* item, QPointF to, Qt::KeyboardModifiers modifiers)
{
    QWidget* viewport = view->viewport();
    const QPoint from = view->mapFromScene(item->scenePos());
    const QPoint target = view->mapFromScene(to);
    auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons,
                    Qt::KeyboardModifiers mods) {
        QMouseEvent event(type, QPointF(at), QPointF(viewport->mapToGlobal(at)), Qt::LeftButton,
                          buttons, mods);
        QApplication::sendEvent(viewport, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::NoModifier);
    send(QEvent::MouseMove, (from + target) / 2, Qt::LeftButton, modifiers);
    send(QEvent::MouseMove, target, Qt::LeftButton, modifiers);
    send(QEvent::MouseButtonRelease, target, Qt::NoButton, modifiers);
}

QString TestLineItems::writeText(IONode& node)
{
    const QString path = tempDir.filePath(QStringLiteral("out.kfml"));
    IOTransformer transformer(path.toStdString(), context.get(), nullptr);
    transformer.write(node);
    transformer.save(nullptr);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll()).trimmed();
}

bool TestLineItems::readText(const QString& xml, IONode& node)
{
    const QString path = tempDir.filePath(QStringLiteral("in.kfml"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write(xml.toUtf8());
    file.close();
    IOTransformer transformer(path.toStdString(), context.get(), nullptr);
    transformer.load(nullptr);
    return transformer.read(node);
}

// Dropping a node less than one unit from another joins them; exactly one unit
// apart does not. The dropped node takes the other's place and edges.
void TestLineItems::mergeOnRelease_data()
{
    QTest::addColumn<qreal>("gap");
    QTest::addColumn<bool>("merges");
    QTest::newRow("on top") << 0.0 << true;
    QTest::newRow("0.99 apart") << 0.99 << true;
    QTest::newRow("1.0 apart") << 1.0 << false;
    QTest::newRow("3 apart") << 3.0 << false;
}

void TestLineItems::mergeOnRelease()
{
    QFETCH(qreal, gap);
    QFETCH(bool, merges);

    LineItem* first = makeLine(QPointF(0, 0), QPointF(10, 0));
    LineItem* second = makeLine(QPointF(10 + gap, 0), QPointF(20, 10));
    LineItemNode* target = first->endB();
    LineItemNode* dropped = second->endA();

    dropped->mergeWithTouchingNode();

    if (!merges) {
        QVERIFY(!target->isDeletionPending());
        QCOMPARE(first->endB(), target);
        QCOMPARE(second->endA(), dropped);
        flushDeletes();
        QCOMPARE(nodeCount(scene), 4);
        return;
    }

    QCOMPARE(first->endB(), dropped);
    QCOMPARE(second->endA(), dropped);
    QCOMPARE(dropped->edges(), (QList<AbstractEdge*>{second, first}));
    QCOMPARE(dropped->pos(), QPointF(10, 0));
    QCOMPARE(second->line().p1(), QPointF(10, 0));
    QVERIFY(target->isDeletionPending());
    // The absorbed node keeps no edge it could reach after the edge is freed.
    QVERIFY(target->edges().isEmpty());

    // Freeing an edge before the absorbed node's deferred deletion runs.
    delete first;
    QPointer<LineItemNode> gone(target);
    flushDeletes();
    QVERIFY(gone.isNull());
    QCOMPARE(nodeCount(scene), 2);
    QCOMPARE(dropped->edges(), (QList<AbstractEdge*>{second}));
}

void TestLineItems::mergeRefusals()
{
    // The two ends of one line never merge, however close.
    LineItem* tiny = makeLine(QPointF(0, 0), QPointF(0.5, 0));
    tiny->endB()->mergeWithTouchingNode();
    QVERIFY(tiny->endA() != tiny->endB());
    QCOMPARE(tiny->endB()->edges().size(), 1);

    LineItemNode* node = tiny->endA();
    node->mergeWithNode(node);
    node->mergeWithNode(nullptr);
    QCOMPARE(node->edges(), (QList<AbstractEdge*>{tiny}));
    QVERIFY(!node->isDeletionPending());
    flushDeletes();
    QCOMPARE(nodeCount(scene), 2);
}

// A node that was merged away stays in the scene until the event loop runs;
// a third node dropped on the spot must join the live node, not the one going away.
void TestLineItems::mergeSkipsNodesGoingAway()
{
    LineItem* l1 = makeLine(QPointF(0, 0), QPointF(10, 0));
    LineItem* l2 = makeLine(QPointF(10, 0), QPointF(10, 10));
    // The older node survives, so the one going away lies on top of it.
    LineItemNode* absorbed = l2->endA();
    l1->endB()->mergeWithNode(absorbed);
    QCOMPARE(l2->endA(), l1->endB());
    QVERIFY(absorbed->isDeletionPending());

    LineItem* l3 = makeLine(QPointF(10, 0), QPointF(20, 0));
    l3->endA()->mergeWithTouchingNode();

    LineItemNode* shared = l3->endA();
    QCOMPARE(l1->endB(), shared);
    QCOMPARE(l2->endA(), shared);
    QCOMPARE(shared->edges().size(), 3);

    flushDeletes();
    QCOMPARE(nodeCount(scene), 4);
    // Every edge still reaches a live node.
    delete l1;
    delete l2;
    delete l3;
    flushDeletes();
    QCOMPARE(nodeCount(scene), 0);
}

// Which nodes count as touching, and in what order: live, shown nodes of the
// same scene less than one unit away wherever they were first put, topmost
// (higher z, then the later added) first.
void TestLineItems::touchingNodes_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("touching");
    QTest::newRow("later added on top") << "" << "new,old";
    QTest::newRow("higher z first") << "raise old" << "old,new";
    QTest::newRow("hidden skipped") << "hide new" << "old";
    QTest::newRow("removed skipped") << "remove new" << "old";
    QTest::newRow("added again on top") << "re-add old" << "old,new";
    QTest::newRow("moved away") << "move new away" << "old";
    QTest::newRow("moved back in") << "move new away and back" << "new,old";
    QTest::newRow("moved in from afar") << "far node moves in" << "far,new,old";
}

void TestLineItems::touchingNodes()
{
    QFETCH(QString, change);
    QFETCH(QString, touching);

    LineItemNode* probe = makeLine(QPointF(0, 0), QPointF(50, 0))->endA();
    LineItemNode* older = makeLine(QPointF(0.5, 0), QPointF(0.5, 30))->endA();
    LineItemNode* newer = makeLine(QPointF(-0.5, 0), QPointF(-0.5, -30))->endA();
    LineItemNode* far = makeLine(QPointF(400, 400), QPointF(300, 300))->endA();
    // Asked once before the change, so that whatever the scene keeps is set up.
    QCOMPARE(probe->touchingNodes().size(), 2);

    std::unique_ptr<LineItemNode> removed;
    if (change == "raise old") {
        older->setZValue(older->zValue() + 1);
    } else if (change == "hide new") {
        newer->hide();
    } else if (change == "remove new") {
        scene->removeItem(newer);
        removed.reset(newer);
    } else if (change == "re-add old") {
        scene->removeItem(older);
        scene->addItem(older);
    } else if (change == "move new away") {
        newer->setPos(-1.5, 0);
    } else if (change == "move new away and back") {
        newer->setPos(-200, 0);
        newer->setPos(0, 0.75);
    } else if (change == "far node moves in") {
        far->setPos(-0.25, -0.5);
    }

    QStringList names;
    const QList<LineItemNode*> found = probe->touchingNodes();
    for (LineItemNode* node : found)
        names << (node == older ? "old" : node == newer ? "new" : node == far ? "far" : "?");
    QCOMPARE(names.join(QLatin1Char(',')), touching);
    if (!found.isEmpty()) {
        probe->mergeWithTouchingNode();
        QCOMPARE(probe->edges().size(), 2);
        QVERIFY(found.first()->isDeletionPending());
    }
}

void TestLineItems::breakAway()
{
    LineItem* l1 = makeLine(QPointF(0, 0), QPointF(10, 0));
    LineItem* l2 = makeLine(QPointF(10, 0), QPointF(10, 10));
    LineItem* l3 = makeLine(QPointF(10, 0), QPointF(20, 0));
    l2->endA()->mergeWithTouchingNode();
    l3->endA()->mergeWithTouchingNode();
    flushDeletes();
    LineItemNode* hub = l3->endA();
    AbstractEdge* firstEdge = hub->edges().first();
    const bool wasEndA = firstEdge->endA() == hub;

    sendKey(scene, hub, Qt::Key_Space);

    QCOMPARE(hub->edges().size(), 2);
    QVERIFY(!hub->edges().contains(firstEdge));
    LineItemNode* split = wasEndA ? firstEdge->endA() : firstEdge->endB();
    QVERIFY(split && split != hub);
    QCOMPARE(split->pos(), hub->pos());
    QCOMPARE(split->edges(), (QList<AbstractEdge*>{firstEdge}));
    QCOMPARE(split->scene(), scene);
    QCOMPARE(nodeCount(scene), 5);

    // With a single edge, Space does nothing.
    LineItemNode* lone = l1->endA();
    sendKey(scene, lone, Qt::Key_Space);
    QCOMPARE(lone->edges(), (QList<AbstractEdge*>{l1}));
    QCOMPARE(nodeCount(scene), 5);
}

// Control on end B of X-B gives X - e - n - c - B with n on B; the clone follows
// its nodes at once, and dragging n makes a bend.
void TestLineItems::insertNode()
{
    LineItem* e = makeLine(QPointF(0, 0), QPointF(40, 0));
    e->setWriteable(false);
    LineItemNode* x = e->endA();
    LineItemNode* b = e->endB();

    sendKey(scene, b, Qt::Key_Control);

    LineItemNode* n = e->endB();
    QVERIFY(n != b);
    QCOMPARE(e->endA(), x);
    QCOMPARE(n->pos(), b->pos());
    QCOMPARE(n->scene(), scene);
    QCOMPARE(n->edges().size(), 2);
    QCOMPARE(n->edges().first(), static_cast<AbstractEdge*>(e));
    LineItem* c = static_cast<LineItem*>(n->edges().at(1));
    QCOMPARE(c->scene(), scene);
    QCOMPARE(c->type(), int(PathSegmentItemType));
    QCOMPARE(c->endA(), b);
    QCOMPARE(c->endB(), n);
    QCOMPARE(b->edges(), (QList<AbstractEdge*>{c}));
    QCOMPARE(c->line(), QLineF(QPointF(40, 0), QPointF(40, 0)));

    n->setPos(20, 15);
    n->updateEdges();
    QCOMPARE(e->line(), QLineF(QPointF(0, 0), QPointF(20, 15)));
    QCOMPARE(c->line(), QLineF(QPointF(40, 0), QPointF(20, 15)));
}

void TestLineItems::insertNodeWithoutClone()
{
    StaleEdge* edge = new StaleEdge();
    edge->setLine(0, 0, 30, 0);
    scene->addItem(edge);
    LineItemNode* a = new LineItemNode(nullptr, edge);
    LineItemNode* b = new LineItemNode(edge, nullptr);
    scene->addItem(a);
    scene->addItem(b);
    edge->adjustNodes();

    sendKey(scene, b, Qt::Key_Control);

    QCOMPARE(b->edges(), (QList<AbstractEdge*>{edge}));
    QCOMPARE(edge->endB(), b);
    QCOMPARE(nodeCount(scene), 2);
}

// The segment tool's chain X-N-Y, whose middle node lists [X-N, N-Y]: Delete on N
// leaves one edge, N-Y, now running from X.
void TestLineItems::deleteDissolvesTwoEdges()
{
    LineItem* s1 = new LineItem();
    LineItem* s2 = new LineItem();
    scene->addItem(s1);
    scene->addItem(s2);
    LineItemNode* x = new LineItemNode(nullptr, s1);
    LineItemNode* n = new LineItemNode(s1, s2);
    LineItemNode* y = new LineItemNode(s2, nullptr);
    for (LineItemNode* node : {x, n, y})
        scene->addItem(node);
    x->setPos(0, 0);
    n->setPos(10, 0);
    y->setPos(20, 5);
    n->updateEdges();
    QCOMPARE(n->edges(), (QList<AbstractEdge*>{s1, s2}));

    QPointer<LineItem> first(s1);
    QPointer<LineItemNode> middle(n);
    sendKey(scene, n, Qt::Key_Delete);

    QVERIFY(first.isNull());
    QCOMPARE(s2->endA(), x);
    QCOMPARE(s2->endB(), y);
    QCOMPARE(s2->line(), QLineF(QPointF(0, 0), QPointF(20, 5)));
    QCOMPARE(x->edges(), (QList<AbstractEdge*>{s2}));
    QVERIFY(n->edges().isEmpty());

    // The surviving edge goes before the dissolved node's deferred deletion runs.
    delete s2;
    flushDeletes();
    QVERIFY(middle.isNull());
    QCOMPARE(nodeCount(scene), 0);
}

// Any other number of edges: every edge of the node goes, once each, and far
// nodes left without edges follow (deferred).
void TestLineItems::deleteCascade_data()
{
    QTest::addColumn<int>("spokes");
    QTest::addColumn<bool>("loop");
    QTest::newRow("line end") << 1 << false;
    QTest::newRow("three lines") << 3 << false;
    QTest::newRow("four lines") << 4 << false;
    QTest::newRow("two lines to one far node") << 2 << true;
}

void TestLineItems::deleteCascade()
{
    QFETCH(int, spokes);
    QFETCH(bool, loop);

    QList<QPointer<LineItem>> lines;
    for (int i = 0; i < spokes; ++i) {
        const QPointF far = loop ? QPointF(50, 50) : QPointF(100 * std::cos(i), 100 * std::sin(i));
        LineItem* line = makeLine(QPointF(0, 0), far);
        lines.append(line);
        if (i > 0) {
            line->endA()->mergeWithTouchingNode();
            if (loop)
                line->endB()->mergeWithTouchingNode();
        }
    }
    flushDeletes();
    // A further line shares one far node, which must survive the cascade.
    LineItem* keeper = makeLine(lines.first()->endB()->pos(), QPointF(-70, 30));
    keeper->endA()->mergeWithTouchingNode();
    flushDeletes();
    LineItemNode* hub = lines.first()->endA();
    QCOMPARE(hub->edges().size(), spokes);

    sendKey(scene, hub, Qt::Key_Delete);

    for (const QPointer<LineItem>& line : lines)
        QVERIFY(line.isNull());
    flushDeletes();
    QCOMPARE(nodeCount(scene), 2);
    QVERIFY(keeper->endA() && keeper->endB());
    QCOMPARE(keeper->endA()->edges(), (QList<AbstractEdge*>{keeper}));
}

// Delete on a focused free line removes it later; its orphaned end nodes follow,
// a shared one stays.
void TestLineItems::deleteKeyOnLine()
{
    LineItem* doomed = makeLine(QPointF(0, 0), QPointF(10, 0));
    LineItem* other = makeLine(QPointF(10, 0), QPointF(20, 0));
    other->endA()->mergeWithTouchingNode();
    flushDeletes();
    QPointer<LineItem> watch(doomed);
    QPointer<LineItemNode> lonely(doomed->endA());

    sendKey(scene, doomed, Qt::Key_Backspace);
    QVERIFY(!watch.isNull());
    flushDeletes();

    QVERIFY(watch.isNull());
    QVERIFY(lonely.isNull());
    QCOMPARE(nodeCount(scene), 2);
    QCOMPARE(other->endA()->edges(), (QList<AbstractEdge*>{other}));
}

// Shift while dragging a line's end snaps the direction to 5 degrees, keeps the
// length, and makes the dragged end the line's end B; the red dot stays put.
void TestLineItems::shiftSnap_data()
{
    QTest::addColumn<bool>("dragEndA");
    QTest::addColumn<QPointF>("to");
    QTest::newRow("end B") << false << QPointF(80, 47);
    QTest::newRow("end B near 360") << false << QPointF(90, 1.5);
    QTest::newRow("end A") << true << QPointF(-33, 71);
}

void TestLineItems::shiftSnap()
{
    QFETCH(bool, dragEndA);
    QFETCH(QPointF, to);

    view->resize(600, 400);
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view.get()));

    LineItem* line = makeLine(QPointF(0, 0), QPointF(60, 0));
    LineItemNode* dragged = dragEndA ? line->endA() : line->endB();
    LineItemNode* anchor = dragEndA ? line->endB() : line->endA();
    const bool decorated = dragged->decorate();
    const QPointF start = dragged->pos();
    const QPointF unsnapped = start + view->mapToScene(view->mapFromScene(to))
                              - view->mapToScene(view->mapFromScene(start));

    drag(dragged, to, Qt::ShiftModifier);

    QCOMPARE(line->endB(), dragged);
    QCOMPARE(line->endA(), anchor);
    QCOMPARE(dragged->decorate(), decorated);
    const QLineF result(anchor->pos(), dragged->pos());
    const qreal expectedLength = QLineF(anchor->pos(), unsnapped).length();
    QVERIFY(std::abs(result.length() - expectedLength) < 1e-6);
    const qreal angle = result.angle();
    const qreal nearest = std::round(angle / 5.0) * 5.0;
    QVERIFY2(std::abs(angle - nearest) < 1e-6 || std::abs(angle - 360) < 1e-6
                 || angle < 1e-6,
             qPrintable(QString::number(angle)));
    QCOMPARE(line->line(), QLineF(anchor->pos(), dragged->pos()));
}

// An edge whose pointA()/pointB() lag behind its nodes still snaps around the
// far node's position.
void TestLineItems::shiftSnapUsesNodePositions()
{
    view->resize(600, 400);
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view.get()));

    StaleEdge* edge = new StaleEdge();
    scene->addItem(edge);
    LineItemNode* a = new LineItemNode(nullptr, edge);
    LineItemNode* b = new LineItemNode(edge, nullptr);
    scene->addItem(a);
    scene->addItem(b);
    a->setPos(10, 10);
    b->setPos(50, 10);
    b->updateEdges();

    drag(b, QPointF(51, 52), Qt::ShiftModifier);

    const QLineF result(a->pos(), b->pos());
    QCOMPARE(a->pos(), QPointF(10, 10));
    QVERIFY(std::abs(std::fmod(result.angle(), 5.0)) < 1e-6
            || std::abs(std::fmod(result.angle(), 5.0) - 5.0) < 1e-6);
    QVERIFY(result.length() > 40 && result.length() < 70);
    QCOMPARE(edge->line(), result);
}

// Dragging one of several selected items moves them all; every line node that
// moved along takes its edges with it, whichever item is under the pointer.
void TestLineItems::dragMovesEverySelectedNode_data()
{
    QTest::addColumn<bool>("grabNode");
    QTest::newRow("grab a line node") << true;
    QTest::newRow("grab another item") << false;
}

void TestLineItems::dragMovesEverySelectedNode()
{
    QFETCH(bool, grabNode);

    view->resize(600, 400);
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view.get()));

    LineItem* l1 = makeLine(QPointF(0, 0), QPointF(40, 0));
    LineItem* l2 = makeLine(QPointF(0, 60), QPointF(40, 60));
    QGraphicsRectItem* box = scene->addRect(-5, -5, 10, 10);
    box->setPos(100, 100);
    box->setZValue(2000000000.0);
    box->setFlags(QGraphicsItem::ItemIsMovable | QGraphicsItem::ItemIsSelectable);
    l1->endB()->setSelected(true);
    l2->endB()->setSelected(true);
    box->setSelected(true);

    QGraphicsItem* grabbed = grabNode ? static_cast<QGraphicsItem*>(l1->endB()) : box;
    drag(grabbed, grabbed->pos() + QPointF(0, 30), Qt::NoModifier);

    QVERIFY(box->pos() != QPointF(100, 100));
    QVERIFY(l1->endB()->pos() != QPointF(40, 0));
    QVERIFY(l2->endB()->pos() != QPointF(40, 60));
    QCOMPARE(l1->line(), QLineF(l1->endA()->pos(), l1->endB()->pos()));
    QCOMPARE(l2->line(), QLineF(l2->endA()->pos(), l2->endB()->pos()));
}

void TestLineItems::widthKeys_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");
    QTest::newRow("up from 4") << 4 << int(Qt::Key_Up) << 5;
    QTest::newRow("down from 4") << 4 << int(Qt::Key_Down) << 3;
    QTest::newRow("down from 2") << 2 << int(Qt::Key_Down) << 1;
    QTest::newRow("down at 1") << 1 << int(Qt::Key_Down) << 1;
    QTest::newRow("other key") << 4 << int(Qt::Key_Left) << 4;
}

void TestLineItems::widthKeys()
{
    QFETCH(int, width);
    QFETCH(int, key);
    QFETCH(int, expected);

    LineItem* line = makeLine(QPointF(0, 0), QPointF(10, 0));
    QPen pen = line->pen();
    pen.setWidth(width);
    line->setPen(pen);

    sendKey(scene, line, key);

    QCOMPARE(line->pen().width(), expected);
    QCOMPARE(line->pen().capStyle(), Qt::RoundCap);
    flushDeletes();
    QCOMPARE(nodeCount(scene), 2);
}

void TestLineItems::outlineFollowsChanges_data()
{
    QTest::addColumn<QLineF>("line");
    QTest::addColumn<double>("width");
    QTest::addColumn<int>("cap");

    QTest::newRow("moved") << QLineF(40, 30, 90, -20) << 4.0 << int(Qt::RoundCap);
    QTest::newRow("wider") << QLineF(0, 0, 10, 0) << 12.0 << int(Qt::RoundCap);
    QTest::newRow("cap") << QLineF(0, 0, 10, 0) << 4.0 << int(Qt::FlatCap);
    QTest::newRow("cosmetic") << QLineF(0, 0, 10, 0) << 0.0 << int(Qt::RoundCap);
    QTest::newRow("empty") << QLineF() << 4.0 << int(Qt::RoundCap);
}

// Bounds and shape asked before a change must not outlive it: the view's index
// and hit tests go by them.
void TestLineItems::outlineFollowsChanges()
{
    QFETCH(QLineF, line);
    QFETCH(double, width);
    QFETCH(int, cap);

    LineItem* item = makeLine(QPointF(0, 0), QPointF(10, 0));
    item->boundingRect();
    item->shape();

    QPen pen = item->pen();
    pen.setWidthF(width);
    pen.setCapStyle(Qt::PenCapStyle(cap));
    item->setPen(pen);
    item->setLine(line);

    QGraphicsLineItem plain(line);
    plain.setPen(pen);
    QCOMPARE(item->boundingRect(), plain.boundingRect());
    QCOMPARE(item->shape(), plain.shape());
    if (!line.isNull() && width > 0)
        QVERIFY(scene->items(item->mapToScene(line.center())).contains(item));
}

void TestLineItems::segmentTypeAndClone()
{
    LineItem* line = makeLine(QPointF(1, 2), QPointF(3, 4));
    QCOMPARE(line->type(), int(LineItemType));
    line->setWriteable(false);
    QCOMPARE(line->type(), int(PathSegmentItemType));
    line->setName(QStringLiteral("n"));

    std::unique_ptr<AbstractEdge> copy(line->clone());
    LineItem* clone = static_cast<LineItem*>(copy.get());
    QCOMPARE(clone->type(), int(PathSegmentItemType));
    QCOMPARE(clone->line(), line->line());
    QCOMPARE(clone->pen(), line->pen());
    QCOMPARE(clone->scene(), scene);
    QVERIFY(clone->name().isEmpty());
    QVERIFY(!clone->endA() && !clone->endB());
}

void TestLineItems::setActiveHidesOnlyTheLine()
{
    LineItem* line = makeLine(QPointF(0, 0), QPointF(10, 0));
    line->setActive(false);
    QVERIFY(!line->active());
    QVERIFY(line->endA()->isVisible());
    QVERIFY(line->endB()->isVisible());
    line->setActive(true);
    QVERIFY(line->active());
}

void TestLineItems::writeLine_data()
{
    QTest::addColumn<QLineF>("line");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << QLineF(0, 0, 100, 33.3333333) << 4 << QString() << QString()
                           << R"(<line x1="0" y1="0" x2="100" y2="33.3333" width="4"/>)";
    QTest::newRow("exponent") << QLineF(2500000, -0.5, 1e-7, 123.45678) << 7 << QString()
                              << QString()
                              << R"(<line x1="2.5e+06" y1="-0.5" x2="1e-07" y2="123.457" width="7"/>)";
    QTest::newRow("group and name")
        << QLineF(1, 2, 3, 4) << 4 << QStringLiteral("walls") << QStringLiteral("top & <edge>")
        << R"(<line x1="1" y1="2" x2="3" y2="4" width="4" group="walls" name="top &amp; &lt;edge&gt;"/>)";
    QTest::newRow("name only") << QLineF(1, 2, 3, 4) << 4 << QString() << QStringLiteral("ß")
                               << R"(<line x1="1" y1="2" x2="3" y2="4" width="4" name="ß"/>)";
}

void TestLineItems::writeLine()
{
    QFETCH(QLineF, line);
    QFETCH(int, width);
    QFETCH(QString, group);
    QFETCH(QString, name);
    QFETCH(QString, expected);

    LineItem* item = makeLine(line.p1(), line.p2());
    QPen pen = item->pen();
    pen.setWidth(width);
    item->setPen(pen);
    item->setPos(5, 5);
    if (!group.isEmpty())
        item->setGroupId(group);
    item->setName(name);

    QCOMPARE(writeText(*item), expected);

    // And it reads back the same.
    LineItem* back = new LineItem();
    scene->addItem(back);
    QVERIFY(readText(expected, *back));
    QCOMPARE(back->pen().width(), width);
    QCOMPARE(back->groupId(), group);
    QCOMPARE(back->name(), name);
    QCOMPARE(writeText(*back), expected);
}

void TestLineItems::readLine_data()
{
    QTest::addColumn<QString>("xml");
    QTest::addColumn<QLineF>("line");
    QTest::addColumn<int>("width");
    QTest::newRow("negative width") << R"(<line x1="1" y1="2" x2="3" y2="4" width="-3"/>)"
                                    << QLineF(1, 2, 3, 4) << 4;
    QTest::newRow("zero width") << R"(<line x1="1" y1="2" x2="3" y2="4" width="0"/>)"
                                << QLineF(1, 2, 3, 4) << 4;
    QTest::newRow("no width") << R"(<line x1="1" y1="2" x2="3" y2="4"/>)" << QLineF(1, 2, 3, 4)
                              << 4;
    QTest::newRow("missing and malformed numbers")
        << R"(<line x1="abc" x2="7.5" y2="nan" width="9"/>)" << QLineF(0, 0, 7.5, 0) << 9;
    QTest::newRow("infinite and overflowing")
        << R"(<line x1="inf" y1="-inf" x2="1e999" y2="12" width="2"/>)" << QLineF(0, 0, 0, 12)
        << 2;
}

void TestLineItems::readLine()
{
    QFETCH(QString, xml);
    QFETCH(QLineF, line);
    QFETCH(int, width);

    LineItem* item = new LineItem();
    scene->addItem(item);
    QVERIFY(readText(xml, *item));

    QCOMPARE(item->line(), line);
    QCOMPARE(item->pen().width(), width);
    QVERIFY(item->endA() && item->endB());
    QCOMPARE(item->endA()->pos(), line.p1());
    QCOMPARE(item->endB()->pos(), line.p2());
    QVERIFY(item->endA()->decorate());
    QVERIFY(!item->endB()->decorate());
    QCOMPARE(item->endA()->scene(), scene);
    QVERIFY(item->groupId().isEmpty());
    QVERIFY(view->groupMap()->isEmpty());
}

// A line read with its start on the end of one read before shares that node:
// listed first there, decorated, where the earlier end lay. A fresh node is
// not made for it only to be merged away; a selected end is absorbed as ever.
void TestLineItems::readSharedEnds_data()
{
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("endSelected");
    QTest::addColumn<bool>("joined");
    QTest::addColumn<int>("nodesBeforeDeletes");

    QTest::newRow("start on the end") << R"(<line x1="10.2" y1="10" x2="30" y2="0" width="4"/>)" << false << true
                                      << 3;
    QTest::newRow("start on a selected end")
        << R"(<line x1="10.2" y1="10" x2="30" y2="0" width="4"/>)" << true << true << 4;
    QTest::newRow("shorter than one unit")
        << R"(<line x1="10.2" y1="10" x2="10.5" y2="10.3" width="4"/>)" << false << false << 4;
}

void TestLineItems::readSharedEnds()
{
    QFETCH(QString, second);
    QFETCH(bool, endSelected);
    QFETCH(bool, joined);
    QFETCH(int, nodesBeforeDeletes);

    LineItem* first = new LineItem();
    scene->addItem(first);
    QVERIFY(readText(R"(<line x1="0" y1="0" x2="10" y2="10" width="4"/>)", *first));
    first->endB()->setSelected(endSelected);
    LineItem* next = new LineItem();
    scene->addItem(next);
    QVERIFY(readText(second, *next));

    QCOMPARE(nodeCount(scene), nodesBeforeDeletes);
    QCOMPARE(first->endB() == next->endA(), joined);
    if (joined) {
        LineItemNode* shared = next->endA();
        QCOMPARE(shared->edges(), (QList<AbstractEdge*>{next, first}));
        QVERIFY(shared->decorate());
        QCOMPARE(shared->pos(), QPointF(10, 10));
        QCOMPARE(next->line().p1(), QPointF(10, 10));
        QCOMPARE(first->line().p2(), QPointF(10, 10));
    }
    flushDeletes();
    QCOMPARE(nodeCount(scene), joined ? 3 : 4);
}

void TestLineItems::readJoinsExistingNode()
{
    LineItem* drawn = makeLine(QPointF(0, 0), QPointF(50, 0));
    LineItem* read = new LineItem();
    scene->addItem(read);
    QVERIFY(readText(R"(<line x1="80" y1="20" x2="50.5" y2="0.5" width="4"/>)", *read));

    QCOMPARE(read->endB(), drawn->endB());
    QCOMPARE(read->endB()->pos(), QPointF(50, 0));
    flushDeletes();
    QCOMPARE(nodeCount(scene), 3);
}

void TestLineItems::groupRegistry()
{
    LineItem* line = new LineItem();
    scene->addItem(line);
    QVERIFY(readText(R"(<line x1="0" y1="0" x2="1" y2="1" width="4" group="" name=""/>)", *line));
    QVERIFY(view->groupMap()->isEmpty());

    LineItem* grouped = new LineItem();
    scene->addItem(grouped);
    QVERIFY(readText(R"(<line x1="5" y1="5" x2="9" y2="9" group="g1" name="n"/>)", *grouped));
    QCOMPARE(view->groupMap()->value(QStringLiteral("g1")),
             (QList<GroupableItem*>{static_cast<GroupableItem*>(grouped)}));

    QVERIFY(grouped->setProperty("group", QStringLiteral("g2")));
    QVERIFY(view->groupMap()->value(QStringLiteral("g1")).isEmpty());
    QCOMPARE(view->groupMap()->value(QStringLiteral("g2")).size(), 1);
    QCOMPARE(grouped->property("name").toString(), QStringLiteral("n"));

    // Taken out of the scene (as a deletion does), the line stays listed and
    // its group changes still move it; freed there, it leaves the registry.
    scene->removeItem(grouped);
    grouped->setGroupId(QStringLiteral("g3"));
    QVERIFY(view->groupMap()->value(QStringLiteral("g2")).isEmpty());
    QCOMPARE(view->groupMap()->value(QStringLiteral("g3")).size(), 1);
    delete grouped;
    QVERIFY(view->groupMap()->value(QStringLiteral("g3")).isEmpty());

    // A line outside any canvas scene keeps its group without a registry.
    LineItem loose;
    loose.setGroupId(QStringLiteral("x"));
    QCOMPARE(loose.groupId(), QStringLiteral("x"));
}

QTEST_MAIN(TestLineItems)
#include "tst_lineitems.moc"
