#include <QGraphicsScene>
#include <QtTest>

#include <cmath>

#include "Items/GraphicItem.h"
#include "Items/SpriteSheetItem.h"
#include "Models/SpriteListModel.h"
#include "Tools/GraphicItemTool.h"
#include "Views/EditorView.h"

#include "SpaceTestSupport.h"
#include "TestSupport.h"
#include "ToolEvents.h"

namespace {

QList<GraphicItem*> sprites(QGraphicsScene* scene)
{
    QList<GraphicItem*> out;
    for (QGraphicsItem* item : scene->items()) {
        if (item->type() == GraphicItemType)
            out.append(static_cast<GraphicItem*>(item));
    }
    return out;
}

} // namespace

class TestGraphicItemTool : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void looseSpriteAtTruncatedPoint();
    void sheetSpriteUnderSheet();
    void emptyKeyStillPlaces();
    void releaseWithoutPress();
    void levelClearedWhilePlacing();

private:
    // A view pixel whose scene point has x = n + 0.7 or so (rounding differs
    // from truncation) and a fractional negative y (flooring differs).
    QPoint fractionalPixel() const;

    EditorContext* context = nullptr;
    EditorView* view = nullptr;
};

void TestGraphicItemTool::init()
{
    context = new EditorContext;
    view = new EditorView;
    context->view = view;
    view->setContext(context);
    view->resize(640, 480);
    view->setTransform(QTransform::fromScale(10, -10));
}

void TestGraphicItemTool::cleanup()
{
    delete view;
    delete context;
    view = nullptr;
    context = nullptr;
    flushDeletes();
}

QPoint TestGraphicItemTool::fractionalPixel() const
{
    for (int x = 0; x < view->viewport()->width(); ++x) {
        for (int y = 0; y < view->viewport()->height(); ++y) {
            const QPointF p = view->mapToScene(QPoint(x, y));
            if (p.x() > 1 && p.x() - std::floor(p.x()) > 0.6 && p.y() < -1
                && std::fabs(p.y() - std::round(p.y())) > 0.2)
                return QPoint(x, y);
        }
    }
    return QPoint();
}

// A press places the sprite at the press point truncated toward zero; the drag
// moves it unrounded; the release selects it and lets it go.
void TestGraphicItemTool::looseSpriteAtTruncatedPoint()
{
    GraphicItemTool tool(view, nullptr);
    const QString ball = spritePath(QStringLiteral("ball.png"));
    tool.setPixmapKey(ball);
    const QPoint at = fractionalPixel();
    QVERIFY(!at.isNull());
    const QPointF p = view->mapToScene(at);

    QVERIFY(press(tool, at));
    QList<GraphicItem*> placed = sprites(view->scene());
    QCOMPARE(placed.size(), 1);
    GraphicItem* sprite = placed.first();
    QCOMPARE(sprite->pos(), QPointF(std::trunc(p.x()), std::trunc(p.y())));
    QVERIFY(!sprite->parentItem());
    QCOMPARE(sprite->pixmapKey(), ball);

    const QPoint further = at + QPoint(7, 3);
    QVERIFY(move(tool, further));
    QCOMPARE(sprite->pos(), view->mapToScene(further));
    QVERIFY(release(tool, further));
    QCOMPARE(view->scene()->selectedItems(), QList<QGraphicsItem*>{sprite});
    QVERIFY(!move(tool, at));
    QCOMPARE(sprite->pos(), view->mapToScene(further));
    QVERIFY(!key(tool, Qt::Key_Control));
    QVERIFY(!priority(tool, at));
}

void TestGraphicItemTool::sheetSpriteUnderSheet()
{
    auto* sheet = new SpriteSheetItem(spritePath(QStringLiteral("sheet.plist")));
    view->scene()->addItem(sheet);
    GraphicItemTool tool(view, sheet);
    const QString frameKey = sheet->model()->index(0, 0).data(Qt::ToolTipRole).toString();
    tool.setPixmapKey(frameKey);
    QVERIFY(press(tool, QPoint(320, 240)));
    QVERIFY(release(tool, QPoint(320, 240)));
    const QList<GraphicItem*> placed = sprites(view->scene());
    QCOMPARE(placed.size(), 1);
    QCOMPARE(placed.first()->parentItem(), static_cast<QGraphicsItem*>(sheet));
    QCOMPARE(placed.first()->pixmapKey(), frameKey);
}

void TestGraphicItemTool::emptyKeyStillPlaces()
{
    GraphicItemTool tool(view, nullptr);
    QVERIFY(press(tool, QPoint(320, 240)));
    QVERIFY(release(tool, QPoint(320, 240)));
    QCOMPARE(sprites(view->scene()).size(), 1);
}

void TestGraphicItemTool::releaseWithoutPress()
{
    GraphicItemTool tool(view, nullptr);
    const int before = view->scene()->items().size();
    QVERIFY(!move(tool, QPoint(10, 10)));
    QVERIFY(release(tool, QPoint(10, 10)));
    QCOMPARE(view->scene()->items().size(), before);
    QVERIFY(view->scene()->selectedItems().isEmpty());
}

// Clearing the level deletes the held sprite and the tool's sheet: the rest of
// the gesture acts on nothing, and the sheet's tool places nothing afterwards
// (neither under a freed sheet nor as a loose sprite).
void TestGraphicItemTool::levelClearedWhilePlacing()
{
    auto* sheet = new SpriteSheetItem(spritePath(QStringLiteral("sheet.plist")));
    view->scene()->addItem(sheet);
    GraphicItemTool sheetTool(view, sheet);
    GraphicItemTool looseTool(view, nullptr);
    QVERIFY(press(sheetTool, QPoint(320, 240)));
    QVERIFY(press(looseTool, QPoint(330, 240)));

    view->clearAll();
    flushDeletes();
    view->init();
    const int before = view->scene()->items().size();
    QVERIFY(!move(sheetTool, QPoint(340, 250)));
    QVERIFY(!move(looseTool, QPoint(340, 250)));
    QVERIFY(release(sheetTool, QPoint(340, 250)));
    QVERIFY(release(looseTool, QPoint(340, 250)));
    QVERIFY(view->scene()->selectedItems().isEmpty());

    QVERIFY(press(sheetTool, QPoint(320, 240)));
    QVERIFY(release(sheetTool, QPoint(320, 240)));
    QCOMPARE(view->scene()->items().size(), before);
    QVERIFY(!sheetTool.spriteSheet());

    QVERIFY(press(looseTool, QPoint(320, 240)));
    QCOMPARE(sprites(view->scene()).size(), 1);
}

QTEST_MAIN(TestGraphicItemTool)
#include "tst_graphicitemtool.moc"
