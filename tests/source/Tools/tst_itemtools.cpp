#include <QGraphicsScene>
#include <QtTest>

#include <cmath>

#include "Items/AbstractLineItem.h"
#include "Items/ColorMarkerItem.h"
#include "Items/GraphicItem.h"
#include "Items/GradientItem.h"
#include "Items/LineItem.h"
#include "Items/PathItem.h"
#include "Items/PolyItem.h"
#include "Items/TextItem.h"
#include "Tools/ItemTools.h"
#include "Views/EditorView.h"

#include "SpaceTestSupport.h"
#include "TestSupport.h"
#include "ToolEvents.h"

namespace {

template <typename Item>
QList<Item*> itemsOfType(QGraphicsScene* scene, int type)
{
    QList<Item*> out;
    for (QGraphicsItem* item : scene->items(Qt::AscendingOrder)) {
        if (item->type() == type)
            out.append(dynamic_cast<Item*>(item));
    }
    return out;
}

bool moveWith(AbstractItemTool& tool, QPoint p, Qt::KeyboardModifiers modifiers)
{
    QMouseEvent e(QEvent::MouseMove, QPointF(p), QPointF(p), Qt::NoButton, Qt::LeftButton, modifiers);
    return tool.mouseMoveEvent(&e);
}

bool near(const QPointF& a, const QPointF& b, double eps = 1e-6)
{
    return std::fabs(a.x() - b.x()) < eps && std::fabs(a.y() - b.y()) < eps;
}

} // namespace

class TestItemTools : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void polygonPoints_data();
    void polygonPoints();
    void polygonKeptUntilNextPress();

    void lineWithSharedEnds();
    void snappedAngle_data();
    void snappedAngle();
    void lineShiftSnap_data();
    void lineShiftSnap();
    void lineControlInsertsNode();

    void pathControlAppendsSegments();

    void textFollowsPointer();
    void gradientJoinsSelection();
    void markerSamplesAtOnce();

    void releaseWithoutPress_data();
    void releaseWithoutPress();
    void levelClearedWhilePlacing_data();
    void levelClearedWhilePlacing();
    void heldAnswers_data();
    void heldAnswers();

private:
    QPointF scenePoint(QPoint p) const { return view->mapToScene(p); }
    // The view pixel that maps onto the scene point.
    QPoint viewPoint(QPointF p) const { return view->mapFromScene(p); }

    EditorView* view = nullptr;
};

void TestItemTools::init()
{
    view = new EditorView;
    view->resize(640, 480);
    view->scale(1, -1);
}

void TestItemTools::cleanup()
{
    delete view;
    view = nullptr;
    flushDeletes();
}

void TestItemTools::polygonPoints_data()
{
    QTest::addColumn<bool>("fan");
    QTest::addColumn<QList<QPointF> >("offsets");
    QTest::newRow("strip") << false
                           << QList<QPointF>{{-25, -13}, {-25, 13}, {0, -13}, {0, 13}, {25, -13}, {25, 13}};
    QTest::newRow("fan") << true
                         << QList<QPointF>{{0, 0}, {25, 0}, {20, 20}, {0, 25}, {-20, 20}, {-25, 0}};
}

// The six preset points lie around the press point, in their order.
void TestItemTools::polygonPoints()
{
    QFETCH(bool, fan);
    QFETCH(QList<QPointF>, offsets);
    PolyItemTool tool(view, fan);
    const QPoint at = viewPoint(QPointF(100, 50));
    const QPointF p = scenePoint(at);

    QVERIFY(press(tool, at));
    const QList<PolyItem*> polys = itemsOfType<PolyItem>(view->scene(), PolyItemType);
    QCOMPARE(polys.size(), 1);
    QList<QGraphicsItem*> handles = polys.first()->childItems();
    QCOMPARE(handles.size(), 6);
    for (int i = 0; i < 6; ++i)
        QVERIFY2(near(handles.at(i)->pos(), p + offsets.at(i)), qPrintable(QString::number(i)));

    QVERIFY(!move(tool, at + QPoint(10, 10)));
    QVERIFY(!release(tool, at));
    QVERIFY(polys.first()->isSelected());
}

void TestItemTools::polygonKeptUntilNextPress()
{
    PolyItemTool tool(view, false);
    press(tool, QPoint(100, 100));
    PolyItem* first = tool.polygon();
    release(tool, QPoint(100, 100));
    QCOMPARE(tool.polygon(), first);
    press(tool, QPoint(300, 100));
    QVERIFY(tool.polygon() != first);
    QCOMPARE(itemsOfType<PolyItem>(view->scene(), PolyItemType).size(), 2);
}

// Press, drag and release give one selected line whose two ends are separate
// nodes at the press and the release point; the start node is decorated.
void TestItemTools::lineWithSharedEnds()
{
    LineItemTool tool(view);
    QVERIFY(press(tool, QPoint(100, 100)));
    QVERIFY(!move(tool, QPoint(200, 150)));
    QVERIFY(!release(tool, QPoint(200, 150)));

    const QList<LineItem*> lines = itemsOfType<LineItem>(view->scene(), LineItemType);
    QCOMPARE(lines.size(), 1);
    LineItem* line = lines.first();
    QVERIFY(line->endA() && line->endB() && line->endA() != line->endB());
    QVERIFY(line->endA()->decorate());
    QVERIFY(!line->endB()->decorate());
    QVERIFY(near(line->endA()->pos(), scenePoint(QPoint(100, 100))));
    QVERIFY(near(line->endB()->pos(), scenePoint(QPoint(200, 150))));
    QVERIFY(near(line->line().p2(), scenePoint(QPoint(200, 150))));
    QVERIFY(line->isSelected());
    QCOMPARE(view->scene()->selectedItems().size(), 1);

    // Idle again: further moves and keys reach nothing.
    QVERIFY(!move(tool, QPoint(300, 300)));
    QVERIFY(!key(tool, Qt::Key_Control));
    QVERIFY(near(line->endB()->pos(), scenePoint(QPoint(200, 150))));
}

void TestItemTools::snappedAngle_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<int>("snapped");
    QTest::newRow("2.9") << 2.9 << 0;
    QTest::newRow("3.0") << 3.0 << 5;
    QTest::newRow("357.9") << 357.9 << 355;
    QTest::newRow("358.0") << 358.0 << 360;
}

void TestItemTools::snappedAngle()
{
    QFETCH(double, angle);
    QFETCH(int, snapped);
    QCOMPARE(LineItemTool::snappedAngle(angle), snapped);
}

void TestItemTools::lineShiftSnap_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<double>("snapped");
    QTest::newRow("47") << 47.0 << 45.0;
    QTest::newRow("92.5") << 92.5 << 90.0;
    QTest::newRow("178.6") << 178.6 << 180.0;
    QTest::newRow("301") << 301.0 << 300.0;
}

// Shift turns the line to the nearest 5 degree step, keeping the length from its
// first point, and carries both end nodes along.
void TestItemTools::lineShiftSnap()
{
    QFETCH(double, angle);
    QFETCH(double, snapped);

    LineItemTool tool(view);
    const QPoint start(320, 240);
    const QPointF s = scenePoint(start);
    const QPoint pointer = viewPoint(QLineF::fromPolar(200, angle).translated(s).p2());
    QVERIFY(press(tool, start));
    QVERIFY(!moveWith(tool, pointer, Qt::ShiftModifier));

    LineItem* line = itemsOfType<LineItem>(view->scene(), LineItemType).first();
    const QLineF l = line->line();
    QVERIFY(near(l.p1(), s));
    QVERIFY2(std::fabs(l.angle() - snapped) < 1e-6, qPrintable(QString::number(l.angle())));
    QVERIFY(std::fabs(l.length() - QLineF(s, scenePoint(pointer)).length()) < 1e-6);
    QVERIFY(near(line->endA()->pos(), l.p1()));
    QVERIFY(near(line->endB()->pos(), l.p2()));
}

// Control during a drag leaves a fixed node; the drag goes on with a second
// segment, so release leaves two lines sharing that node.
void TestItemTools::lineControlInsertsNode()
{
    LineItemTool tool(view);
    press(tool, QPoint(100, 100));
    move(tool, QPoint(200, 100));
    QVERIFY(key(tool, Qt::Key_Control));
    QVERIFY(!key(tool, Qt::Key_Shift));
    move(tool, QPoint(200, 200));
    release(tool, QPoint(200, 200));

    const QList<LineItem*> lines = itemsOfType<LineItem>(view->scene(), LineItemType);
    QCOMPARE(lines.size(), 2);
    const QList<LineItemNode*> nodes = itemsOfType<LineItemNode>(view->scene(), LineItemNodeType);
    QCOMPARE(nodes.size(), 3);
    LineItemNode* bend = nullptr;
    for (LineItemNode* n : nodes) {
        if (n->edges().size() == 2)
            bend = n;
    }
    QVERIFY(bend);
    QVERIFY(near(bend->pos(), scenePoint(QPoint(200, 100))));
    bool reachesRelease = false;
    for (LineItem* l : lines) {
        QVERIFY(l->endA() && l->endB());
        reachesRelease |= near(l->pointA(), scenePoint(QPoint(200, 200)))
            || near(l->pointB(), scenePoint(QPoint(200, 200)));
    }
    QVERIFY(reachesRelease);
}

// Two Controls in one drag give three segments joined by two fixed nodes; only
// the last segment ends selected, and no segment is written as a line.
void TestItemTools::pathControlAppendsSegments()
{
    PathItemTool tool(view);
    QVERIFY(press(tool, QPoint(100, 100)));
    QVERIFY(!move(tool, QPoint(150, 100)));
    QVERIFY(key(tool, Qt::Key_Control));
    move(tool, QPoint(150, 150));
    QVERIFY(key(tool, Qt::Key_Control));
    move(tool, QPoint(200, 150));
    QVERIFY(!release(tool, QPoint(200, 150)));

    QCOMPARE(itemsOfType<PathItem>(view->scene(), PathItemType).size(), 1);
    QCOMPARE(itemsOfType<LineItem>(view->scene(), LineItemType).size(), 0);
    const QList<LineItem*> segments = itemsOfType<LineItem>(view->scene(), PathSegmentItemType);
    QCOMPARE(segments.size(), 3);
    int joints = 0;
    for (LineItemNode* n : itemsOfType<LineItemNode>(view->scene(), LineItemNodeType))
        joints += n->edges().size() == 2 ? 1 : 0;
    QCOMPARE(joints, 2);

    const QList<QGraphicsItem*> selected = view->scene()->selectedItems();
    QCOMPARE(selected.size(), 1);
    LineItem* last = dynamic_cast<LineItem*>(selected.first());
    QVERIFY(last);
    QVERIFY(near(last->pointB(), scenePoint(QPoint(200, 150))));
    QVERIFY(near(last->pointA(), scenePoint(QPoint(150, 150))));

    // The path walks the whole chain from its starting node.
    PathItem* path = itemsOfType<PathItem>(view->scene(), PathItemType).first();
    QVERIFY(path->startingNode());
    QVERIFY(near(path->startingNode()->pos(), scenePoint(QPoint(100, 100))));
    QVERIFY(!path->isSelected());
}

void TestItemTools::textFollowsPointer()
{
    TextItemTool tool(view);
    QVERIFY(press(tool, QPoint(50, 60)));
    QVERIFY(!move(tool, QPoint(70, 80)));
    QVERIFY(!release(tool, QPoint(70, 80)));
    const QList<TextItem*> texts = itemsOfType<TextItem>(view->scene(), TextItemType);
    QCOMPARE(texts.size(), 1);
    QVERIFY(near(texts.first()->pos(), scenePoint(QPoint(70, 80))));
    QVERIFY(texts.first()->isSelected());
    QVERIFY(!move(tool, QPoint(10, 10)));
    QVERIFY(near(texts.first()->pos(), scenePoint(QPoint(70, 80))));
}

// A gradient copy leaves an earlier selection as it was.
void TestItemTools::gradientJoinsSelection()
{
    TextItemTool textTool(view);
    press(textTool, QPoint(50, 60));
    release(textTool, QPoint(50, 60));
    QGraphicsItem* text = view->scene()->selectedItems().value(0);
    QVERIFY(text);

    GradientItemTool tool(view);
    QVERIFY(priority(tool, QPoint(0, 0)));
    QVERIFY(!move(tool, QPoint(10, 10)));
    QVERIFY(press(tool, QPoint(200, 200)));
    QVERIFY(move(tool, QPoint(210, 220)));
    QVERIFY(release(tool, QPoint(210, 220)));
    QVERIFY(text->isSelected());

    TriGradientItem* copy = nullptr;
    for (TriGradientItem* g : itemsOfType<TriGradientItem>(view->scene(), TriGradientItemType)) {
        if (g != view->background())
            copy = g;
    }
    QVERIFY(copy);
    QCOMPARE(copy->boundingRect(), QRectF(0, 0, 40, 40));
    QVERIFY(near(copy->pos(), scenePoint(QPoint(210, 220))));
    QVERIFY(!move(tool, QPoint(300, 300)));
}

// The marker samples the sprite under it on release, without another move.
void TestItemTools::markerSamplesAtOnce()
{
    auto* sprite = new GraphicItem(200, 100, testDataPath(QStringLiteral("sprites/ball.png")), view->space(), nullptr);
    view->scene()->addItem(sprite);

    ColorMarkerTool tool(view);
    const QPoint at = viewPoint(QPointF(150, 150));
    QVERIFY(press(tool, at));
    QVERIFY(!move(tool, viewPoint(QPointF(200, 100))));
    QVERIFY(key(tool, Qt::Key_Control));
    QVERIFY(!key(tool, Qt::Key_Shift));
    QVERIFY(!release(tool, viewPoint(QPointF(200, 100))));

    const QList<ColorMarkerItem*> markers = itemsOfType<ColorMarkerItem>(view->scene(), ColorMarkerItemType);
    QCOMPARE(markers.size(), 1);
    ColorMarkerItem* marker = markers.first();
    QVERIFY(near(marker->pos(), scenePoint(viewPoint(QPointF(200, 100)))));
    QVERIFY(marker->isSelected());
    QCOMPARE(marker->samples().size(), 1);
    QVERIFY(!key(tool, Qt::Key_Control));
}

void TestItemTools::releaseWithoutPress_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("answer");
    QTest::newRow("strip") << 0 << false;
    QTest::newRow("line") << 1 << false;
    QTest::newRow("path") << 2 << false;
    QTest::newRow("text") << 3 << false;
    QTest::newRow("gradient") << 4 << true;
    QTest::newRow("marker") << 5 << false;
}

namespace {
AbstractItemTool* makeTool(int kind, EditorView* view)
{
    switch (kind) {
    case 0: return new PolyItemTool(view, false);
    case 1: return new LineItemTool(view);
    case 2: return new PathItemTool(view);
    case 3: return new TextItemTool(view);
    case 4: return new GradientItemTool(view);
    default: return new ColorMarkerTool(view);
    }
}
} // namespace

// A release, move or key that reaches an idle tool changes nothing.
void TestItemTools::releaseWithoutPress()
{
    QFETCH(int, kind);
    QFETCH(bool, answer);
    QScopedPointer<AbstractItemTool> tool(makeTool(kind, view));
    const int before = view->scene()->items().size();
    QVERIFY(!move(*tool, QPoint(10, 10)));
    QCOMPARE(release(*tool, QPoint(10, 10)), answer);
    QVERIFY(!key(*tool, Qt::Key_Control));
    QCOMPARE(view->scene()->items().size(), before);
    QVERIFY(view->scene()->selectedItems().isEmpty());
}

void TestItemTools::levelClearedWhilePlacing_data()
{
    releaseWithoutPress_data();
}

// Clearing the level between press and release deletes what the tool held; the
// rest of the gesture must act on nothing, and the tool works on the new level.
void TestItemTools::levelClearedWhilePlacing()
{
    QFETCH(int, kind);
    QScopedPointer<AbstractItemTool> tool(makeTool(kind, view));
    QVERIFY(press(*tool, QPoint(100, 100)));
    view->clearAll();
    flushDeletes();
    view->init();
    const int before = view->scene()->items().size();
    move(*tool, QPoint(120, 120));
    key(*tool, Qt::Key_Control);
    release(*tool, QPoint(120, 120));
    QCOMPARE(view->scene()->items().size(), before);
    QVERIFY(view->scene()->selectedItems().isEmpty());

    QVERIFY(press(*tool, QPoint(100, 100)));
    release(*tool, QPoint(100, 100));
    QVERIFY(view->scene()->items().size() > before);
}

void TestItemTools::heldAnswers_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("takesMove");
    QTest::addColumn<bool>("takesControl");
    QTest::addColumn<bool>("claimsClick");
    QTest::addColumn<bool>("takesRelease");
    QTest::newRow("strip") << 0 << false << false << false << false;
    QTest::newRow("line") << 1 << false << true << false << false;
    QTest::newRow("path") << 2 << false << true << false << false;
    QTest::newRow("text") << 3 << false << false << false << false;
    QTest::newRow("gradient") << 4 << true << false << true << true;
    QTest::newRow("marker") << 5 << false << true << false << false;
}

// What each tool answers while it holds the item it placed: the canvas passes
// on to the scene what a tool leaves.
void TestItemTools::heldAnswers()
{
    QFETCH(int, kind);
    QFETCH(bool, takesMove);
    QFETCH(bool, takesControl);
    QFETCH(bool, claimsClick);
    QFETCH(bool, takesRelease);
    QScopedPointer<AbstractItemTool> tool(makeTool(kind, view));
    QVERIFY(press(*tool, QPoint(100, 100)));
    QCOMPARE(move(*tool, QPoint(120, 110)), takesMove);
    QCOMPARE(priority(*tool, QPoint(120, 110)), claimsClick);
    QCOMPARE(key(*tool, Qt::Key_Shift), false);
    QCOMPARE(key(*tool, Qt::Key_Control), takesControl);
    QCOMPARE(release(*tool, QPoint(120, 110)), takesRelease);
}

QTEST_MAIN(TestItemTools)
#include "tst_itemtools.moc"
