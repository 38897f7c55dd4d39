#include <QGraphicsScene>
#include <QtTest>

#include <cmath>
#include <vector>

#include "Items/AbstractLineItem.h"
#include "Items/CircleShapeItem.h"
#include "Items/PolyShapeItem.h"
#include "Items/SegmentShapeItem.h"
#include "Tools/ShapeTools.h"
#include "Views/EditorView.h"
#include "cpCompat.h"

#include "ToolEvents.h"

#include "SpaceTestSupport.h"

namespace {

template <typename Item>
QList<Item*> itemsOfType(QGraphicsScene* scene, int type)
{
    QList<Item*> out;
    for (QGraphicsItem* item : scene->items()) {
        if (item->type() == type)
            out.append(dynamic_cast<Item*>(item));
    }
    return out;
}

QPointF toPoint(cpVect v) { return QPointF(v.x, v.y); }

bool near(const QPointF& a, const QPointF& b, double eps = 1e-9)
{
    return std::fabs(a.x() - b.x()) < eps && std::fabs(a.y() - b.y()) < eps;
}

} // namespace

class TestShapeTools : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void circleTool();
    void boxTool();
    void segmentChain();
    void segmentClickWithoutMove();
    void idleAnswers();

private:
    QPointF scenePoint(QPoint p) const { return view->mapToScene(p); }

    EditorView* view = nullptr;
};

void TestShapeTools::init()
{
    view = new EditorView;
    view->resize(640, 480);
    view->scale(1, -1);
}

void TestShapeTools::cleanup()
{
    delete view;
    view = nullptr;
    flushDeletes();
}

// The circle tool drops a dynamic body of mass 130 and moment 13000 and drags it.
void TestShapeTools::circleTool()
{
    CircleTool tool(view);
    QCOMPARE(CircleTool::defaultMass(), 130.0);
    QCOMPARE(CircleTool::defaultRadius(), 10.0);

    QVERIFY(press(tool, QPoint(100, 200)));
    const QList<CircleShapeItem*> circles = itemsOfType<CircleShapeItem>(view->scene(), CircleShapeItemType);
    QCOMPARE(circles.size(), 1);
    CircleShapeItem* circle = circles.first();
    cpShape* shape = circle->cpshape();
    cpBody* body = cpShapeGetBody(shape);
    QVERIFY(cpSpaceContainsBody(view->space(), body));
    QVERIFY(cpSpaceContainsShape(view->space(), shape));
    QCOMPARE(cpBodyGetMass(body), 130.0);
    QCOMPARE(cpBodyGetMoment(body), 13000.0);
    QCOMPARE(cpCircleShapeGetRadius(shape), 10.0);
    QCOMPARE(cpShapeGetElasticity(shape), 0.5);
    QCOMPARE(cpShapeGetFriction(shape), 0.8);
    QVERIFY(near(toPoint(cpBodyGetPosition(body)), scenePoint(QPoint(100, 200))));
    QVERIFY(near(circle->pos(), scenePoint(QPoint(100, 200))));

    QVERIFY(move(tool, QPoint(150, 120)));
    QVERIFY(near(toPoint(cpBodyGetPosition(body)), scenePoint(QPoint(150, 120))));
    QVERIFY(near(circle->pos(), scenePoint(QPoint(150, 120))));
    QVERIFY(!circle->isSelected());

    QVERIFY(release(tool, QPoint(150, 120)));
    QVERIFY(circle->isSelected());
    QCOMPARE(view->scene()->selectedItems().size(), 1);
    QVERIFY(!move(tool, QPoint(10, 10)));
    QVERIFY(near(circle->pos(), scenePoint(QPoint(150, 120))));

    // The new body falls with the space.
    for (int i = 0; i < 3; ++i)
        cpSpaceStep(view->space(), 1.0 / 30);
    circle->adjust();
    QVERIFY(circle->pos().y() < scenePoint(QPoint(150, 120)).y());
}

// The box tool drops a 30 by 30 box of mass 130, moment 19500, wound clockwise.
void TestShapeTools::boxTool()
{
    PolyTool tool(view);
    QCOMPARE(PolyTool::defaultMass(), 130.0);
    QVERIFY(press(tool, QPoint(300, 100)));
    QVERIFY(move(tool, QPoint(320, 90)));
    QVERIFY(release(tool, QPoint(320, 90)));

    const QList<PolyShapeItem*> boxes = itemsOfType<PolyShapeItem>(view->scene(), PolyShapeItemType);
    QCOMPARE(boxes.size(), 1);
    PolyShapeItem* box = boxes.first();
    cpShape* shape = box->cpshape();
    cpBody* body = cpShapeGetBody(shape);
    QCOMPARE(cpBodyGetMass(body), 130.0);
    QCOMPARE(cpBodyGetMoment(body), 19500.0);
    QCOMPARE(cpShapeGetElasticity(shape), 0.5);
    QCOMPARE(cpShapeGetFriction(shape), 0.8);
    QVERIFY(near(toPoint(cpBodyGetPosition(body)), scenePoint(QPoint(320, 90))));
    QVERIFY(box->isSelected());

    const std::vector<cpVect> cw = polyVerticesClockwise(shape);
    const QList<QPointF> expected = {QPointF(-15, 15), QPointF(15, 15), QPointF(15, -15), QPointF(-15, -15)};
    QCOMPARE(int(cw.size()), 4);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(toPoint(cw[size_t(i)]), expected.at(i));
        QCOMPARE(box->handlePositions().at(i), expected.at(i));
    }
    QVERIFY(isValidClockwisePolygon(cw.data(), 4));
}

// Control during a segment drag continues the chain through shared nodes, all
// on the space's static body; nothing is selected afterwards.
void TestShapeTools::segmentChain()
{
    SegmentTool tool(view);
    QVERIFY(!key(tool, Qt::Key_Control));
    QVERIFY(press(tool, QPoint(100, 100)));
    QVERIFY(move(tool, QPoint(200, 100)));
    QVERIFY(key(tool, Qt::Key_Control));
    QVERIFY(move(tool, QPoint(250, 150)));
    QVERIFY(!key(tool, Qt::Key_Shift));
    QVERIFY(key(tool, Qt::Key_Control));
    QVERIFY(move(tool, QPoint(300, 300)));
    QVERIFY(release(tool, QPoint(300, 300)));
    QVERIFY(!key(tool, Qt::Key_Control));

    const QList<SegmentShapeItem*> segments = itemsOfType<SegmentShapeItem>(view->scene(), SegmentShapeItemType);
    const QList<LineItemNode*> nodes = itemsOfType<LineItemNode>(view->scene(), LineItemNodeType);
    QCOMPARE(segments.size(), 3);
    QCOMPARE(nodes.size(), 4);
    int shared = 0;
    for (LineItemNode* node : nodes) {
        if (node->edges().size() == 2)
            ++shared;
        else
            QCOMPARE(node->edges().size(), 1);
    }
    QCOMPARE(shared, 2);

    cpBody* staticBody = cpSpaceGetStaticBody(view->space());
    for (SegmentShapeItem* s : segments) {
        QCOMPARE(cpShapeGetBody(s->cpshape()), staticBody);
        QVERIFY(cpSpaceContainsShape(view->space(), s->cpshape()));
        QCOMPARE(cpSegmentShapeGetRadius(s->cpshape()), 3.0);
        QVERIFY(s->endA() && s->endB());
        QVERIFY(near(s->pointA(), s->endA()->pos()));
        QVERIFY(near(s->pointB(), s->endB()->pos()));
    }
    // The chain runs start, bend, bend, end: walk it from the lone start node.
    const QList<QPointF> corners = {scenePoint(QPoint(100, 100)), scenePoint(QPoint(200, 100)),
                                    scenePoint(QPoint(250, 150)), scenePoint(QPoint(300, 300))};
    for (int i = 0; i < 3; ++i) {
        bool found = false;
        for (SegmentShapeItem* s : segments)
            found = found || (near(s->pointA(), corners[i]) && near(s->pointB(), corners[i + 1]));
        QVERIFY2(found, qPrintable(QString("segment %1").arg(i)));
    }
    QVERIFY(view->scene()->selectedItems().isEmpty());

    // Dragging a shared node moves both segments' ends in the space at once.
    LineItemNode* bend = nullptr;
    for (LineItemNode* node : nodes) {
        if (near(node->pos(), corners[1]))
            bend = node;
    }
    QVERIFY(bend);
    bend->setPos(corners[1] + QPointF(0, 40));
    bend->updateEdges();
    int touching = 0;
    for (SegmentShapeItem* s : segments) {
        touching += near(toPoint(cpSegmentShapeGetB(s->cpshape())), corners[1] + QPointF(0, 40));
        touching += near(toPoint(cpSegmentShapeGetA(s->cpshape())), corners[1] + QPointF(0, 40));
    }
    QCOMPARE(touching, 2);
}

void TestShapeTools::segmentClickWithoutMove()
{
    SegmentTool tool(view);
    QVERIFY(press(tool, QPoint(50, 60)));
    QVERIFY(release(tool, QPoint(50, 60)));
    const QList<SegmentShapeItem*> segments = itemsOfType<SegmentShapeItem>(view->scene(), SegmentShapeItemType);
    QCOMPARE(segments.size(), 1);
    const QPointF p = scenePoint(QPoint(50, 60));
    QCOMPARE(toPoint(cpSegmentShapeGetA(segments.first()->cpshape())), p);
    QCOMPARE(toPoint(cpSegmentShapeGetB(segments.first()->cpshape())), p + QPointF(2, 0));
    QCOMPARE(itemsOfType<LineItemNode>(view->scene(), LineItemNodeType).size(), 2);
    QVERIFY(near(segments.first()->endB()->pos(), p + QPointF(2, 0)));
}

// Without a press nothing is held: moves and keys are refused, a release
// changes nothing, and a level cleared while placing leaves no dangling item.
void TestShapeTools::idleAnswers()
{
    CircleTool circle(view);
    PolyTool box(view);
    SegmentTool segment(view);
    for (AbstractItemTool* tool : QList<AbstractItemTool*>{&circle, &box, &segment}) {
        QVERIFY(!move(*tool, QPoint(5, 5)));
        QVERIFY(release(*tool, QPoint(5, 5)));
        QVERIFY(!key(*tool, Qt::Key_Control));
        QVERIFY(!priority(*tool, QPoint(5, 5)));
    }
    for (int type : {SegmentShapeItemType, CircleShapeItemType, PolyShapeItemType, LineItemNodeType})
        QVERIFY(itemsOfType<QGraphicsItem>(view->scene(), type).isEmpty());

    // The level is cleared in the middle of each placement.
    for (AbstractItemTool* tool : QList<AbstractItemTool*>{&circle, &box, &segment}) {
        QVERIFY(press(*tool, QPoint(80, 80)));
        view->clearAll();
        flushDeletes();
        view->init();
        QVERIFY(!move(*tool, QPoint(90, 90)));
        QVERIFY(!key(*tool, Qt::Key_Control));
        QVERIFY(release(*tool, QPoint(90, 90)));
    }
    QCOMPARE(itemsOfType<QGraphicsItem>(view->scene(), SegmentShapeItemType).size(), 0);
}

QTEST_MAIN(TestShapeTools)
#include "tst_shapetools.moc"
