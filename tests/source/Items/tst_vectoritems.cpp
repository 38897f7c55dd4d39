#include "IO/iotransformer.h"
#include "IO/textcodec.h"
#include "Items/AbstractLineItem.h"
#include "Items/LineItem.h"
#include "Items/PathItem.h"
#include "Items/PolyItem.h"
#include "Items/TextItem.h"
#include "Views/EditorScene.h"
#include "Views/EditorView.h"

#include "LevelFileText.h"
#include "TestSupport.h"

#include <QFile>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

#include "SpaceTestSupport.h"
#include "LevelFixture.h"

namespace {

// Exposes the vertex list and the key handler of a polygon.
class ProbePoly : public PolyItem
{
public:
    explicit ProbePoly(bool fan) : PolyItem(fan) {}
    using AbstractPolyItem::nodes;
    using AbstractPolyItem::rect;
    using PolyItem::keyPressEvent;

    QList<QPointF> points() const
    {
        QList<QPointF> result;
        for (ItemNode* node : nodes)
            result << node->pos();
        return result;
    }
};

class ProbeText : public TextItem
{
public:
    using TextItem::keyPressEvent;
};

void pressKey(ProbePoly& poly, int key)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    poly.keyPressEvent(&event);
}

void pressKey(ProbeText& text, int key, Qt::KeyboardModifiers modifiers, const QString& typed = QString())
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers, typed);
    text.keyPressEvent(&event);
}

bool readFile(const QString& path, IONode& node)
{
    IOTransformer io(encodeText(path), nullptr, nullptr);
    io.load(nullptr);
    return io.read(node);
}

QString fixtureText(const QString& name)
{
    QFile file(testDataPath(QStringLiteral("vector/") + name));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray bytes = file.readAll();
    return decodeText(bytes.constData(), bytes.size()).trimmed();
}

QList<QGraphicsItem*> itemsOfType(QGraphicsScene& scene, int type)
{
    QList<QGraphicsItem*> result;
    for (QGraphicsItem* item : scene.items())
        if (item->type() == type)
            result << item;
    return result;
}

// The bounding rectangle is the vertex box grown by the 6x6 handles (and at
// most their outline).
bool spansHandles(const PolyItem& poly, const QRectF& vertices)
{
    const QRectF box = poly.boundingRect();
    return box.contains(vertices.adjusted(-3, -3, 3, 3)) && vertices.adjusted(-4, -4, 4, 4).contains(box);
}

void sendMouse(QGraphicsScene& scene, QEvent::Type type, QPointF at, QPointF down)
{
    QGraphicsSceneMouseEvent event(type);
    event.setScenePos(at);
    event.setLastScenePos(down);
    event.setButtonDownScenePos(Qt::LeftButton, down);
    event.setButton(Qt::LeftButton);
    event.setButtons(type == QEvent::GraphicsSceneMouseRelease ? Qt::NoButton : Qt::LeftButton);
    QCoreApplication::sendEvent(&scene, &event);
}

} // namespace

using PointList = QList<QPointF>;

class TestVectorItems : public QObject
{
    Q_OBJECT
private slots:
    void polygonHitShape_data();
    void polygonHitShape();
    void polygonHandleSplitAndDelete();
    void polygonDeletedByKey();
    void polygonBoundsAfterDelete_data();
    void polygonBoundsAfterDelete();
    void polygonDragOfSeveralHandles();
    void fillWrittenExactly();
    void fillRead_data();
    void fillRead();

    void textKeys();
    void textElement();
    void textRead_data();
    void textRead();
    void textRoundTrip_data();
    void textRoundTrip();

    void pathRoundTrip_data();
    void pathRoundTrip();
    void pathClosedReopensClosed();
    void pathStartMergedAway();
    void pathWalkPrefersOwnSegments();
    void pathStartDeleted();
    void pathActiveAndGroup();
};

// Odd-even hit shapes: where strip triangles overlap, the point is outside.
void TestVectorItems::polygonHitShape_data()
{
    QTest::addColumn<bool>("fan");
    QTest::addColumn<PointList>("points");
    QTest::addColumn<QPointF>("probe");
    QTest::addColumn<bool>("inside");

    const PointList square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    QTest::newRow("fan covers the square, upper left") << true << square << QPointF(1, 6) << true;
    QTest::newRow("fan covers the square, lower right") << true << square << QPointF(8, 5) << true;
    QTest::newRow("strip leaves a gap") << false << square << QPointF(1, 6) << false;
    QTest::newRow("strip overlap is outside") << false << square << QPointF(8, 5) << false;
    QTest::newRow("strip first triangle only") << false << square << QPointF(6, 1) << true;
    QTest::newRow("strip second triangle only") << false << square << QPointF(4, 8) << true;
    const PointList zigzag{{0, 0}, {10, 0}, {0, 10}, {10, 10}};
    QTest::newRow("zigzag strip covers the square") << false << zigzag << QPointF(1, 6) << true;
    const PointList two{{0, 0}, {10, 0}};
    QTest::newRow("two vertices have no shape") << true << two << QPointF(5, 0) << false;
    const PointList triangle{{0, 0}, {10, 0}, {0, 10}};
    QTest::newRow("triangle as strip") << false << triangle << QPointF(2, 2) << true;
    QTest::newRow("triangle as fan") << true << triangle << QPointF(2, 2) << true;
}

void TestVectorItems::polygonHitShape()
{
    QFETCH(bool, fan);
    QFETCH(PointList, points);
    QFETCH(QPointF, probe);
    QFETCH(bool, inside);

    ProbePoly poly(fan);
    for (const QPointF& p : points)
        poly.addPoint(p);
    QCOMPARE(poly.shape().contains(probe), inside);
    QCOMPARE(poly.opaqueArea().contains(probe), inside);
    if (points.size() < 3)
        QVERIFY(poly.shape().isEmpty());
}

void TestVectorItems::polygonHandleSplitAndDelete()
{
    QGraphicsScene scene;
    ProbePoly* poly = new ProbePoly(false);
    scene.addItem(poly);
    QPointer<ProbePoly> guard(poly);
    for (const QPointF& p : PointList{{0, 0}, {10, 0}, {10, 10}, {0, 10}})
        poly->addPoint(p);
    QCOMPARE(poly->rect, QRectF(0, 0, 10, 10));
    QVERIFY(spansHandles(*poly, QRectF(0, 0, 10, 10)));

    // Control without a selected handle changes nothing.
    pressKey(*poly, Qt::Key_Control);
    QCOMPARE(poly->nodes.size(), 4);

    // Control splits the selected handle: a new vertex at its index and place.
    ItemNode* last = poly->nodes.last();
    last->setSelected(true);
    pressKey(*poly, Qt::Key_Control);
    QCOMPARE(poly->points(), (PointList{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 10}}));
    QCOMPARE(poly->nodes.last(), last);
    QVERIFY(!poly->nodes[3]->isSelected());
    QCOMPARE(last->brush().color(), QColor(Qt::red));
    QCOMPARE(poly->nodes[3]->brush().color(), QColor(Qt::yellow));

    // Delete removes only the selected handle while three or more remain.
    pressKey(*poly, Qt::Key_Delete);
    QCOMPARE(poly->nodes.size(), 4);
    QVERIFY(!poly->nodes.contains(last));
    QCOMPARE(poly->nodes.last()->brush().color(), QColor(Qt::red));
    poly->nodes[0]->setSelected(true);
    pressKey(*poly, Qt::Key_Backspace);
    QCOMPARE(poly->points(), (PointList{{10, 0}, {10, 10}, {0, 10}}));
    QVERIFY(spansHandles(*poly, QRectF(0, 0, 10, 10)));

    // Below three vertices the whole polygon goes.
    poly->nodes[1]->setSelected(true);
    pressKey(*poly, Qt::Key_Delete);
    QVERIFY(poly->nodes.isEmpty());
    QVERIFY(poly->shape().isEmpty());
    flushDeletes();
    QVERIFY(guard.isNull());
    QVERIFY(scene.items().isEmpty());

    // A handle of another polygon is not split.
    ProbePoly a(true), b(true);
    a.addPoint(QPointF(1, 1));
    b.addPoint(QPointF(2, 2));
    a.addNodeAtNode(b.nodes[0]);
    QCOMPARE(a.nodes.size(), 1);
}

// Deleting a vertex inside the others' box keeps the bounds; deleting the one
// that alone reaches an edge shrinks them, and the scene finds the polygon only
// under its new bounds.
void TestVectorItems::polygonBoundsAfterDelete_data()
{
    QTest::addColumn<int>("vertex");
    QTest::addColumn<QRectF>("vertices");
    QTest::newRow("inner vertex") << 5 << QRectF(0, 0, 12, 10);
    QTest::newRow("edge vertex") << 2 << QRectF(0, 0, 10, 10);
    QTest::newRow("corner vertex") << 0 << QRectF(0, 0, 12, 10);
}

void TestVectorItems::polygonBoundsAfterDelete()
{
    QFETCH(int, vertex);
    QFETCH(QRectF, vertices);

    QGraphicsScene scene;
    auto* poly = new ProbePoly(true);
    scene.addItem(poly);
    poly->addPoints(PointList{{0, 0}, {10, 0}, {12, 5}, {10, 10}, {0, 10}, {5, 5}});
    const QRectF beyond(14, 4, 0.5, 2);
    QVERIFY(scene.items(beyond, Qt::IntersectsItemBoundingRect).contains(poly));

    poly->nodes[vertex]->setSelected(true);
    QVERIFY(spansHandles(*poly, QRectF(0, 0, 12, 10)));
    pressKey(*poly, Qt::Key_Delete);

    QCOMPARE(poly->nodes.size(), 5);
    QCOMPARE(poly->rect, vertices);
    QVERIFY(spansHandles(*poly, vertices));
    QCOMPARE(scene.items(beyond, Qt::IntersectsItemBoundingRect).contains(poly), vertices.right() > 10);
    QCOMPARE(poly->nodes.last()->brush().color(), QColor(Qt::red));
}

void TestVectorItems::polygonDeletedByKey()
{
    QGraphicsScene scene;
    ProbePoly* poly = new ProbePoly(true);
    scene.addItem(poly);
    QPointer<ProbePoly> guard(poly);
    for (const QPointF& p : PointList{{0, 0}, {10, 0}, {10, 10}})
        poly->addPoint(p);
    pressKey(*poly, Qt::Key_Space);
    flushDeletes();
    QVERIFY(!guard.isNull());
    pressKey(*poly, Qt::Key_Backspace);
    flushDeletes();
    QVERIFY(guard.isNull());
}

// Dragging one of several selected handles moves them all; every polygon whose
// handles moved follows with its rectangle, not only the grabbed handle's.
void TestVectorItems::polygonDragOfSeveralHandles()
{
    QGraphicsScene scene;
    ProbePoly* a = new ProbePoly(true);
    ProbePoly* b = new ProbePoly(true);
    scene.addItem(a);
    scene.addItem(b);
    for (const QPointF& p : PointList{{0, 0}, {10, 0}, {10, 10}})
        a->addPoint(p);
    for (const QPointF& p : PointList{{100, 0}, {110, 0}, {110, 10}})
        b->addPoint(p);
    a->nodes[2]->setSelected(true);
    b->nodes[2]->setSelected(true);

    const QPointF grab(10, 10);
    sendMouse(scene, QEvent::GraphicsSceneMousePress, grab, grab);
    QCOMPARE(scene.mouseGrabberItem(), static_cast<QGraphicsItem*>(a->nodes[2]));
    sendMouse(scene, QEvent::GraphicsSceneMouseMove, grab + QPointF(0, 40), grab);
    sendMouse(scene, QEvent::GraphicsSceneMouseRelease, grab + QPointF(0, 40), grab);

    QCOMPARE(a->nodes[2]->pos(), QPointF(10, 50));
    QCOMPARE(b->nodes[2]->pos(), QPointF(110, 50));
    QCOMPARE(a->rect, QRectF(0, 0, 10, 50));
    QCOMPARE(b->rect, QRectF(100, 0, 10, 50));
    QVERIFY(spansHandles(*b, QRectF(100, 0, 10, 50)));
}

void TestVectorItems::fillWrittenExactly()
{
    ProbePoly poly(true);
    poly.setColor(QColor(255, 128, 0, 255));
    QCOMPARE(poly.color(), QColor(255, 128, 0, 100));
    for (const QPointF& p : PointList{{0, 0}, {12.34, 0}, {5, -7.5}, {1.26, 7.04}})
        poly.addPoint(p);
    QCOMPARE(printedElement(poly), QStringLiteral("<fill fan=\"1\" r=\"255\" g=\"128\" b=\"0\" "
                                           "pts=\"0.0,0.0, 12.3,0.0, 5.0,-7.5, 1.3,7.0\"/>"));

    ProbePoly copy(false);
    QVERIFY(readElement(printedElement(poly), copy));
    QVERIFY(copy.shape().contains(QPointF(5, -2)));
    QCOMPARE(copy.points(), (PointList{{0, 0}, {12.3, 0}, {5, -7.5}, {1.3, 7.0}}));
    QCOMPARE(copy.color(), QColor(255, 128, 0, 100));
    QCOMPARE(printedElement(copy), printedElement(poly));

    ProbePoly empty(false);
    QCOMPARE(printedElement(empty), QStringLiteral("<fill fan=\"0\" r=\"0\" g=\"0\" b=\"0\" pts=\"\"/>"));
}

void TestVectorItems::fillRead_data()
{
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<bool>("fan");
    QTest::addColumn<QColor>("color");
    QTest::addColumn<PointList>("points");

    const QColor black(0, 0, 0, 100);
    QTest::newRow("nothing") << "" << false << black << PointList{};
    QTest::newRow("fan 1") << "fan=\"1\"" << true << black << PointList{};
    QTest::newRow("fan true is a strip") << "fan=\"true\"" << false << black << PointList{};
    QTest::newRow("fan 01 is a strip") << "fan=\"01\"" << false << black << PointList{};
    QTest::newRow("colours clamp") << "r=\"300\" g=\"-5\" b=\" 7 \"" << false << QColor(255, 0, 7, 100) << PointList{};
    QTest::newRow("colour not a number") << "r=\"red\" g=\"1.5\" b=\"2\"" << false << QColor(0, 0, 2, 100) << PointList{};
    QTest::newRow("odd number left over") << "pts=\"1,2,3\"" << false << black << PointList{{1, 2}};
    QTest::newRow("doubled comma") << "pts=\"1,,2\"" << false << black << PointList{{1, 2}};
    QTest::newRow("spaces") << "pts=\" 1.5 , 2, 3,4 \"" << false << black << PointList{{1.5, 2}, {3, 4}};
    QTest::newRow("not finite reads 0") << "pts=\"nan,inf, 1e999,2, x,3\"" << false << black
                                        << PointList{{0, 0}, {0, 2}, {0, 3}};
}

void TestVectorItems::fillRead()
{
    QFETCH(QString, attributes);
    QFETCH(bool, fan);
    QFETCH(QColor, color);
    QFETCH(PointList, points);

    ProbePoly poly(!fan);
    QVERIFY(readElement(QStringLiteral("<fill %1/>").arg(attributes), poly));
    QCOMPARE(poly.color(), color);
    QCOMPARE(poly.points(), points);
    QVERIFY(printedElement(poly).startsWith(fan ? QStringLiteral("<fill fan=\"1\"") : QStringLiteral("<fill fan=\"0\"")));
}

void TestVectorItems::textKeys()
{
    QGraphicsScene scene;
    ProbeText* text = new ProbeText;
    scene.addItem(text);
    QPointer<ProbeText> guard(text);
    QCOMPARE(text->transform(), QTransform::fromScale(1, -1));
    QCOMPARE(int(text->textInteractionFlags()), int(Qt::TextEditorInteraction));
    QVERIFY(text->flags() & QGraphicsItem::ItemIsMovable);
    QVERIFY(text->flags() & QGraphicsItem::ItemIsSelectable);

    text->setPlainText(QStringLiteral("ab"));
    for (int i = 0; i < 3; ++i)
        pressKey(*text, Qt::Key_Right, Qt::ControlModifier);
    pressKey(*text, Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(text->rotation(), 10.0);

    // Other Control keys reach neither the rotation nor the editor.
    pressKey(*text, Qt::Key_A, Qt::ControlModifier, QStringLiteral("a"));
    pressKey(*text, Qt::Key_X, Qt::ControlModifier, QStringLiteral("x"));
    QCOMPARE(text->toPlainText(), QStringLiteral("ab"));
    QCOMPARE(text->rotation(), 10.0);

    text->setFocus();
    pressKey(*text, Qt::Key_C, Qt::NoModifier, QStringLiteral("c"));
    QVERIFY(text->toPlainText().contains(QLatin1Char('c')));

    pressKey(*text, Qt::Key_Delete, Qt::ControlModifier);
    QVERIFY(!guard.isNull());
    flushDeletes();
    QVERIFY(guard.isNull());
}

void TestVectorItems::textElement()
{
    TextItem text;
    text.setPlainText(QStringLiteral("a\nb"));
    text.setPos(2500000, 12.5);
    text.setRotation(10);
    QCOMPARE(printedElement(text), QStringLiteral("<text x=\"2.5e+06\" y=\"12.5\" angle=\"10\" text=\"a\\nb\"/>"));

    TextItem copy;
    QVERIFY(readElement(printedElement(text), copy));
    QCOMPARE(copy.toPlainText(), QStringLiteral("a\nb"));
    QCOMPARE(copy.pos(), QPointF(2500000, 12.5));
    QCOMPARE(copy.rotation(), 10.0);

    TextItem upright;
    upright.setPos(100, -3);
    QCOMPARE(printedElement(upright), QStringLiteral("<text x=\"100\" y=\"-3\" text=\"\"/>"));
}

void TestVectorItems::textRead_data()
{
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QPointF>("pos");
    QTest::addColumn<double>("angle");

    QTest::newRow("no angle") << "x=\"1\" y=\"2\" text=\"hi\"" << "hi" << QPointF(1, 2) << 0.0;
    QTest::newRow("typed backslash n") << "text=\"a\\\\nb\"" << "a\\\nb" << QPointF() << 0.0;
    QTest::newRow("markup stays text") << "text=\"&lt;b&gt;bold&lt;/b&gt; &amp;amp;\""
                                       << "<b>bold</b> &amp;" << QPointF() << 0.0;
    QTest::newRow("not finite") << "x=\"inf\" y=\" 3 \" angle=\"nan\"" << "" << QPointF(0, 3) << 0.0;
    QTest::newRow("capital N is no break") << "text=\"a\\Nb\" angle=\"-5\"" << "a\\Nb" << QPointF() << -5.0;
    QTest::newRow("escaped backslashes") << "text=\"C:\\\\new\\\\n\\n\\x\\\" escaped=\"1\"" << "C:\\new\\n\n\\x\\" << QPointF() << 0.0;
}

void TestVectorItems::textRead()
{
    QFETCH(QString, attributes);
    QFETCH(QString, text);
    QFETCH(QPointF, pos);
    QFETCH(double, angle);

    TextItem item;
    QVERIFY(readElement(QStringLiteral("<text %1/>").arg(attributes), item));
    QCOMPARE(item.toPlainText(), text);
    QCOMPARE(item.pos(), pos);
    QCOMPARE(item.rotation(), angle);
}

// Every text comes back as typed; one without a backslash is printed as
// before backslashes were escaped.
void TestVectorItems::textRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("printed");
    QTest::newRow("windows path") << "C:\\new\\table" << "text=\"C:\\\\new\\\\table\" escaped=\"1\"";
    QTest::newRow("backslash before a break") << "a\\\nb" << "text=\"a\\\\\\nb\" escaped=\"1\"";
    QTest::newRow("typed backslash n") << "\\n" << "text=\"\\\\n\" escaped=\"1\"";
    QTest::newRow("two backslashes, last") << "x\\\\" << "text=\"x\\\\\\\\\" escaped=\"1\"";
    QTest::newRow("lines only") << "one\ntwo\n" << "text=\"one\\ntwo\\n\"";
    QTest::newRow("plain") << "plain" << "text=\"plain\"";
}

void TestVectorItems::textRoundTrip()
{
    QFETCH(QString, text);
    QFETCH(QString, printed);
    TextItem item;
    item.setPlainText(text);
    const QString element = printedElement(item);
    QCOMPARE(element, QStringLiteral("<text x=\"0\" y=\"0\" %1/>").arg(printed));
    TextItem copy;
    QVERIFY(readElement(element, copy));
    QCOMPARE(copy.toPlainText(), text);
}

// Each fixture is written back exactly as it stands.
void TestVectorItems::pathRoundTrip_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<int>("segments");

    QTest::newRow("open, with extra attributes") << "path_open.xml" << 3;
    QTest::newRow("no points") << "path_empty.xml" << 0;
    QTest::newRow("points closer than one unit") << "path_close_points.xml" << 4;
}

void TestVectorItems::pathRoundTrip()
{
    QFETCH(QString, fixture);
    QFETCH(int, segments);

    QGraphicsScene scene;
    PathItem* path = new PathItem(QPointF());
    scene.addItem(path);
    QVERIFY(readFile(testDataPath(QStringLiteral("vector/") + fixture), *path));

    const QList<QGraphicsItem*> made = itemsOfType(scene, PathSegmentItemType);
    QCOMPARE(made.size(), segments);
    for (QGraphicsItem* segment : made)
        QCOMPARE(segment->zValue(), 1000000000.0);
    QCOMPARE(path->startingNode() == nullptr, segments == 0);
    // Each segment starts on the node the one before ended on: no node is made
    // only to wait for its deletion.
    const QList<QGraphicsItem*> nodes = itemsOfType(scene, LineItemNodeType);
    QCOMPARE(nodes.size(), segments == 0 ? 0 : segments + 1);
    for (QGraphicsItem* node : nodes)
        QVERIFY(!static_cast<LineItemNode*>(node)->isDeletionPending());

    const QString expected = fixtureText(fixture);
    QCOMPARE(printedElement(*path), expected);
    flushDeletes();
    QCOMPARE(printedElement(*path), expected);
}

// A closed path comes back to its start: the walk stops there, writes the
// closing point once, and the file reopens as the same closed path.
void TestVectorItems::pathClosedReopensClosed()
{
    const QString expected = fixtureText(QStringLiteral("path_closed.xml"));
    for (int round = 0; round < 2; ++round) {
        QGraphicsScene scene;
        PathItem* path = new PathItem(QPointF());
        scene.addItem(path);
        QVERIFY(readElement(expected, *path));
        flushDeletes();
        QCOMPARE(itemsOfType(scene, PathSegmentItemType).size(), 3);
        // Three corners, each one node shared by two segments.
        const QList<QGraphicsItem*> nodes = itemsOfType(scene, LineItemNodeType);
        QCOMPARE(nodes.size(), 3);
        for (QGraphicsItem* node : nodes)
            QCOMPARE(static_cast<LineItemNode*>(node)->edges().size(), 2);
        QCOMPARE(printedElement(*path), expected);
    }
}

// The starting node absorbed by another line's end: the survivor takes its
// place, before and after the absorbed node is actually deleted.
void TestVectorItems::pathStartMergedAway()
{
    QGraphicsScene scene;
    PathItem* path = new PathItem(QPointF(5, 5));
    scene.addItem(path);
    QVERIFY(readElement(QStringLiteral("<path x=\"5\" y=\"5\" group=\"\"><pt x=\"0\" y=\"0\"/><pt x=\"10\" y=\"0\"/>"
                                   "<pt x=\"10\" y=\"10\"/></path>"),
                    *path));
    LineItemNode* start = path->startingNode();
    QVERIFY(start);

    LineItem* line = new LineItem(&scene, QPointF(0, -20), QPointF(0.4, 0.3), true);
    LineItemNode* survivor = line->endB();
    QVERIFY(start->isDeletionPending());
    QCOMPARE(survivor->edges().size(), 2);

    const QString expected = QStringLiteral("<path x=\"5\" y=\"5\" group=\"\">\n"
                                            "\t<pt x=\"0\" y=\"0\"/>\n"
                                            "\t<pt x=\"10\" y=\"0\"/>\n"
                                            "\t<pt x=\"10\" y=\"10\"/>\n"
                                            "</path>");
    QCOMPARE(path->startingNode(), survivor);
    QCOMPARE(printedElement(*path), expected);
    flushDeletes();
    QCOMPARE(path->startingNode(), survivor);
    QCOMPARE(printedElement(*path), expected);

    // The other way round: the start absorbs a dropped node and stays.
    LineItem* other = new LineItem(&scene, QPointF(0, 0), QPointF(-10, 0), false);
    survivor->mergeWithNode(other->endA());
    QCOMPARE(path->startingNode(), survivor);
    QCOMPARE(printedElement(*path), expected);
}

// A free line ending on a node of the path is listed there before the path's
// next segment; the walk still follows the path.
void TestVectorItems::pathWalkPrefersOwnSegments()
{
    QGraphicsScene scene;
    PathItem* path = new PathItem(QPointF());
    scene.addItem(path);
    const QString xml = QStringLiteral("<path x=\"0\" y=\"0\" group=\"g\">\n"
                                       "\t<pt x=\"0\" y=\"0\"/>\n"
                                       "\t<pt x=\"10\" y=\"0\"/>\n"
                                       "\t<pt x=\"20\" y=\"0\"/>\n"
                                       "</path>");
    QVERIFY(readElement(xml, *path));
    LineItemNode* middle = path->startingNode()->edges().first()->otherNode(path->startingNode());
    LineItem* line = new LineItem(&scene, QPointF(10, -10), QPointF(10, 0), false);
    line->endB()->mergeWithNode(middle);
    flushDeletes();
    QCOMPARE(line->endB()->edges().first(), static_cast<AbstractEdge*>(line));
    QCOMPARE(printedElement(*path), xml);
}

// A start node deleted by key leaves a bare handle, never a dangling pointer.
void TestVectorItems::pathStartDeleted()
{
    QGraphicsScene scene;
    PathItem* path = new PathItem(QPointF(1, 2));
    scene.addItem(path);
    QVERIFY(readElement(QStringLiteral("<path x=\"1\" y=\"2\" group=\"\"><pt x=\"0\" y=\"0\"/><pt x=\"10\" y=\"0\"/>"
                                   "<pt x=\"20\" y=\"0\"/></path>"),
                    *path));
    path->startingNode()->deleteThis();
    const QString bare = QStringLiteral("<path x=\"1\" y=\"2\" group=\"\"/>");
    QCOMPARE(printedElement(*path), bare);
    flushDeletes();
    QVERIFY(!path->startingNode());
    QCOMPARE(printedElement(*path), bare);
    path->setActive(false);
    QVERIFY(!path->isVisible());
}

void TestVectorItems::pathActiveAndGroup()
{
    Level level;
    EditorView& view = level.view;
    view.init();
    QGraphicsScene& scene = *view.editorScene();

    PathItem* path = new PathItem(QPointF());
    scene.addItem(path);
    QVERIFY(readFile(testDataPath(QStringLiteral("vector/path_closed.xml")), *path));
    flushDeletes();
    QCOMPARE(path->groupId(), QStringLiteral("loop"));
    QCOMPARE(view.groupMap()->value(QStringLiteral("loop")), QList<GroupableItem*>{path});

    path->setActive(false);
    QVERIFY(!path->active());
    for (QGraphicsItem* item : scene.items()) {
        if (item->type() == PathSegmentItemType || item->type() == LineItemNodeType)
            QVERIFY(!item->isVisible());
    }
    path->setActive(true);
    for (QGraphicsItem* item : itemsOfType(scene, LineItemNodeType))
        QVERIFY(item->isVisible());

    // Out of the scene (as after a deletion) the path still moves in the
    // registry, and leaves it when freed there.
    scene.removeItem(path);
    path->setGroupId(QStringLiteral("other"));
    QVERIFY(view.groupMap()->value(QStringLiteral("loop")).isEmpty());
    QCOMPARE(view.groupMap()->value(QStringLiteral("other")), QList<GroupableItem*>{path});
    delete path;
    QVERIFY(view.groupMap()->value(QStringLiteral("other")).isEmpty());
}

QTEST_MAIN(TestVectorItems)
#include "tst_vectoritems.moc"
