#include "ActionTestSupport.h"

#include "Items/GraphicItem.h"
#include "Views/EditorScene.h"
#include "Views/EditorView.h"

#include "TestSupport.h"

namespace {

struct Level
{
    Level()
    {
        context.view = &view;
        view.setContext(&context);
        view.init();
    }
    EditorContext context;
    EditorView view;
};

GraphicItem* addSprite(Level& level, QGraphicsItem* parent = nullptr)
{
    auto* sprite = new GraphicItem(10, 20, testDataPath("sprites/ball.png"), level.view.space(), nullptr);
    if (parent)
        sprite->setParentItem(parent);
    else
        level.view.editorScene()->addItem(sprite);
    return sprite;
}

} // namespace

class tst_SpriteActions : public QObject
{
    Q_OBJECT

private slots:
    void spriteOwnsItsTree();
    void noActionsNoElement();
    void actionsElementComesLastAndRoundTrips();
};

void tst_SpriteActions::spriteOwnsItsTree()
{
    Level level;
    GraphicItem* sprite = addSprite(level);
    QPointer<QObject> model = sprite->actionModel();
    QVERIFY(model);
    QCOMPARE(model->parent(), sprite);
    QCOMPARE(sprite->actionModel()->space(), level.view.space());
    delete sprite;
    QVERIFY(!model);
}

void tst_SpriteActions::noActionsNoElement()
{
    Level level;
    GraphicItem* sprite = addSprite(level);
    QVERIFY(!writtenText(*sprite).contains("actions"));
    QVERIFY(dropKind(*sprite->actionModel(), "Delay Time"));
    QVERIFY(writtenText(*sprite).contains("<actions>"));
    sprite->actionModel()->removeRow(0);
    QVERIFY(!writtenText(*sprite).contains("actions"));
}

void tst_SpriteActions::actionsElementComesLastAndRoundTrips()
{
    Level level;
    GraphicItem* sprite = addSprite(level);
    addSprite(level, sprite);
    buildNestedTree(*sprite->actionModel());
    if (QTest::currentTestFailed())
        return;

    const QByteArray written = writtenText(*sprite);
    const int nested = written.indexOf("\t<item ");
    const int actions = written.indexOf("\t<actions>");
    QVERIFY(nested > 0);
    QVERIFY(actions > nested);
    QVERIFY(written.endsWith("\t</actions>\n</item>\n\n"));
    QVERIFY(written.contains("\t\t\t<ease_in_out rate=\"1.5\">\n\t\t\t\t<move_to duration=\"1\" x=\"50\" y=\"50\"/>\n"));

    Level other;
    auto* copy = new GraphicItem(nullptr, other.view.space());
    other.view.editorScene()->addItem(copy);
    QVERIFY(readText(*copy, written, &other.context));
    QCOMPARE(describe(*copy->actionModel()), describe(*sprite->actionModel()).replace("0.30000000000000004", "0.3"));
    QCOMPARE(copy->childItems().size(), 1);
    // The nested sprite carries no actions of its own.
    QCOMPARE(static_cast<GraphicItem*>(copy->childItems().first())->actionModel()->rowCount(), 0);
    QCOMPARE(writtenText(*copy), written);
}

QTEST_MAIN(tst_SpriteActions)
#include "tst_spriteactions.moc"
