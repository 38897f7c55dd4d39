#include "ActionTreeTestSupport.h"

#include "Items/GraphicItem.h"
#include "Items/SpriteSheetItem.h"
#include "Views/EditorScene.h"
#include "Views/EditorView.h"

#include "TestSupport.h"

#include "Actions/CollisionAction.h"
#include "CCActionManager.h"

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

bool saveLevel(Level& level, const QString& path)
{
    IOTransformer io(path.toStdString(), &level.context, nullptr);
    io.write(level.view);
    return io.save(level.view.space());
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The trees of every sprite in the level, in the order the file holds them.
QStringList spriteTrees(Level& level)
{
    QStringList trees;
    for (QGraphicsItem* item : level.view.editorScene()->items(Qt::AscendingOrder)) {
        if (item->type() == GraphicItemType)
            trees << describe(*static_cast<GraphicItem*>(item)->actionModel());
    }
    trees.sort();
    return trees;
}

} // namespace

class tst_SpriteActions : public QObject
{
    Q_OBJECT

private slots:
    void spriteOwnsItsTree();
    void noActionsNoElement();
    void actionsElementComesLastAndRoundTrips();
    void playedActionsMoveTheSprite();
    void collisionListensInTheSpritesSpace();
    void levelWithActionsRoundTrips();
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

void tst_SpriteActions::playedActionsMoveTheSprite()
{
    Level level;
    GraphicItem* sprite = addSprite(level);
    ActionModel* model = sprite->actionModel();
    // Sequence of a 1 s move by (30, 0) and a 1 s turn by 90; beside it a 1 s halving.
    QVERIFY(dropKind(*model, "Sequence"));
    QVERIFY(dropKind(*model, "Scale By"));
    QVERIFY(dropKind(*model, "Move By", model->index(0, 0)));
    QVERIFY(dropKind(*model, "Rotate By", model->index(0, 0)));
    const QModelIndex move = model->index(0, 0, model->index(0, 0));
    QVERIFY(model->setData(model->index(1, 1, move), "30"));
    QVERIFY(model->setData(model->index(2, 1, move), "0"));

    const float tick = 0.033333335f;
    CCActionManager* scheduler = CCActionManager::get();
    const QList<CCAction*> actions = model->actions();
    QCOMPARE(actions.size(), 2);
    for (CCAction* action : actions)
        scheduler->addAction(action, sprite);

    auto run = [&](int ticks) {
        for (int i = 0; i < ticks; ++i)
            scheduler->update(tick);
    };
    run(16); // the first tick only starts: 0.5 s gone
    QCOMPARE(sprite->pos(), QPointF(25, 20));
    QCOMPARE(sprite->rotation(), 0.0);
    QCOMPARE(sprite->scale(), 0.75);
    run(30); // 1.5 s
    QCOMPARE(sprite->pos(), QPointF(40, 20));
    QVERIFY(qAbs(sprite->rotation() - 45.0) < 1e-3); // single-precision time
    QCOMPARE(sprite->scale(), 0.5);
    QCOMPARE(scheduler->numberOfRunningActionsInTarget(sprite), 1);
    run(20); // past the end: the sprite is put back
    QCOMPARE(scheduler->numberOfRunningActionsInTarget(sprite), 0);
    QCOMPARE(sprite->pos(), QPointF(10, 20));
    QCOMPARE(sprite->rotation(), 0.0);
    QCOMPARE(sprite->scale(), 1.0);
    // The tree is untouched by playing.
    QCOMPARE(describe(*model), QString("Sequence(Move By[duration=1 x=30 y=0] Rotate By[duration=1 rotation=90]) "
                                       "Scale By[duration=1 scale=0.5]"));
}

void tst_SpriteActions::collisionListensInTheSpritesSpace()
{
    Level level;
    GraphicItem* sprite = addSprite(level);
    ActionModel* model = sprite->actionModel();
    QVERIFY(dropKind(*model, "On Collision"));
    QVERIFY(dropKind(*model, "Move By", model->index(0, 0)));
    const QList<CCAction*> actions = model->actions();
    QCOMPARE(actions.size(), 1);
    auto* collision = dynamic_cast<CollisionAction*>(actions.first());
    QVERIFY(collision);
    QCOMPARE(collision->getSpace(), level.view.space());
    qDeleteAll(actions);
}

// Loose, nested and sheet sprites with trees, saved, opened into a fresh canvas
// and saved again: the same file byte for byte.
void tst_SpriteActions::levelWithActionsRoundTrips()
{
    QTemporaryDir dir;
    const QString first = dir.filePath("first.kfml");
    const QString second = dir.filePath("second.kfml");
    QStringList trees;
    {
        Level level;
        GraphicItem* loose = addSprite(level);
        buildNestedTree(*loose->actionModel());
        GraphicItem* nested = addSprite(level, loose);
        QVERIFY(dropKind(*nested->actionModel(), "On Collision"));
        QVERIFY(dropKind(*nested->actionModel(), "Repeat Forever", nested->actionModel()->index(0, 0)));
        addSprite(level); // without actions

        auto* sheet = new SpriteSheetItem(testDataPath("sprites/sheet.plist"));
        level.view.editorScene()->addItem(sheet);
        auto* frame = new GraphicItem(3, 4, makeSpriteSheetPixmapKey("sheet.png", "a.png"), level.view.space(), sheet);
        ActionModel* model = frame->actionModel();
        QVERIFY(dropKind(*model, "Spawn"));
        QVERIFY(dropKind(*model, "Scale To", model->index(0, 0)));
        QVERIFY(dropKind(*model, "Repeat", model->index(0, 0)));
        QVERIFY(model->setData(model->index(0, 1, model->index(1, 0, model->index(0, 0))), "7"));
        if (QTest::currentTestFailed())
            return;
        trees = spriteTrees(level);
        QVERIFY(saveLevel(level, first));
    }
    const QByteArray firstText = fileBytes(first);
    QCOMPARE(firstText.count("<actions>"), 3);
    QVERIFY(firstText.contains("<repeat times=\"7\"/>"));
    {
        Level level;
        IOTransformer io(first.toStdString(), &level.context, nullptr);
        io.load(nullptr);
        io.read(level.view);
        QCOMPARE(spriteTrees(level), trees.replaceInStrings("0.30000000000000004", "0.3"));
        QVERIFY(saveLevel(level, second));
    }
    QCOMPARE(fileBytes(second), firstText);
}

QTEST_MAIN(tst_SpriteActions)
#include "tst_spriteactions.moc"
