#include <QPixmapCache>
#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

#include "Items/GraphicItem.h"
#include "Items/SpriteSheetItem.h"
#include "Models/SpriteListModel.h"
#include "Tools/GraphicItemTool.h"
#include "Views/AnimationListView.h"
#include "Views/EditorView.h"
#include "Views/SpriteListView.h"

#include "SpaceTestSupport.h"
#include "TestSupport.h"

class TestSpriteLists : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<AbstractItemTool*>(); }
    void cleanup();
    void addFile_data();
    void addFile();
    void sameFileTwice();
    void sheetClickSelectsTool();
    void listWithoutCanvasIgnoresClicks();
    void looseListClickSelectsTool();
    void toolHeldByCanvasIsLetGo();
    void sheetDeletedUnderItsList();
    void animationEntryOwnsFrames();
};

void TestSpriteLists::cleanup()
{
    QPixmapCache::clear();
    flushDeletes();
}

void TestSpriteLists::addFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("added");
    QTest::addColumn<QSize>("size");
    QTest::newRow("png") << QStringLiteral("ball.png") << true << QSize(64, 32);
    QTest::newRow("missing") << QStringLiteral("nowhere.png") << false << QSize();
    // Not an image: no entry that would place an empty sprite.
    QTest::newRow("not an image") << QStringLiteral("sheet.plist") << false << QSize();
}

// An image gives one entry: file name as text, path as tool tip (the key the
// sprite tool takes), the image in role 33 and as icon.
void TestSpriteLists::addFile()
{
    QFETCH(QString, file);
    QFETCH(bool, added);
    QFETCH(QSize, size);
    SpriteListView list;
    const QString path = spritePath(file);
    list.addFile(path);
    QCOMPARE(list.itemModel()->rowCount(), added ? 1 : 0);
    if (!added)
        return;
    const QModelIndex entry = list.itemModel()->index(0, 0);
    QCOMPARE(entry.data(Qt::DisplayRole).toString(), file);
    QCOMPARE(entry.data(Qt::ToolTipRole).toString(), path);
    QCOMPARE(entry.data(SpritePixmapRole).value<QPixmap>().size(), size);
    QVERIFY(!entry.data(Qt::DecorationRole).value<QIcon>().isNull());
    QPixmap cached;
    QVERIFY(QPixmapCache::find(path, &cached));
    QCOMPARE(cached.size(), size);
}

void TestSpriteLists::sameFileTwice()
{
    SpriteListView list;
    list.addFile(spritePath(QStringLiteral("alone.png")));
    list.addFile(spritePath(QStringLiteral("alone.png")));
    QCOMPARE(list.itemModel()->rowCount(), 2);
    list.clear();
    QCOMPARE(list.itemModel()->rowCount(), 0);
}

// A click on a frame hands its key to the sheet's tool and announces the tool,
// again on every click.
void TestSpriteLists::sheetClickSelectsTool()
{
    EditorView canvas;
    auto* sheet = new SpriteSheetItem(spritePath(QStringLiteral("sheet.plist")));
    canvas.scene()->addItem(sheet);
    SpriteListView list(&canvas, sheet);
    QCOMPARE(list.itemModel(), sheet->model());
    QCOMPARE(list.model(), static_cast<QAbstractItemModel*>(sheet->model()));
    QVERIFY(list.spriteTool());
    QCOMPARE(list.spriteTool()->spriteSheet(), sheet);

    QSignalSpy selected(&list, &SpriteListView::toolSelected);
    const QModelIndex frame = list.itemModel()->index(1, 0);
    emit list.clicked(frame);
    emit list.clicked(frame);
    QCOMPARE(selected.size(), 2);
    QCOMPARE(selected.at(1).at(0).value<AbstractItemTool*>(), static_cast<AbstractItemTool*>(list.spriteTool()));
    QCOMPARE(list.spriteTool()->pixmapKey(), frame.data(Qt::ToolTipRole).toString());
    QCOMPARE(list.spriteTool()->pixmapKey(), makeSpriteSheetPixmapKey(QStringLiteral("sheet.png"), QStringLiteral("a.png")));
}

void TestSpriteLists::listWithoutCanvasIgnoresClicks()
{
    SpriteListView list;
    QVERIFY(!list.spriteTool());
    list.addFile(spritePath(QStringLiteral("alone.png")));
    QSignalSpy selected(&list, &SpriteListView::toolSelected);
    emit list.clicked(list.itemModel()->index(0, 0));
    QCOMPARE(selected.size(), 0);
}

void TestSpriteLists::looseListClickSelectsTool()
{
    EditorView canvas;
    SpriteListView list;
    list.setEditorView(&canvas);
    QVERIFY(list.spriteTool());
    QVERIFY(!list.spriteTool()->spriteSheet());
    list.addFile(spritePath(QStringLiteral("alone.png")));
    QSignalSpy selected(&list, &SpriteListView::toolSelected);
    emit list.clicked(list.itemModel()->index(0, 0));
    QCOMPARE(selected.size(), 1);
    QCOMPARE(list.spriteTool()->pixmapKey(), spritePath(QStringLiteral("alone.png")));
}

// The canvas keeps a raw pointer to its current tool: replacing or deleting the
// list's tool must not leave it pointing at freed memory.
void TestSpriteLists::toolHeldByCanvasIsLetGo()
{
    EditorView canvas;
    auto* list = new SpriteListView;
    list->setEditorView(&canvas);
    canvas.setCurrentTool(list->spriteTool());
    list->setEditorView(&canvas);
    QVERIFY(canvas.currentTool() != static_cast<AbstractItemTool*>(list->spriteTool()));
    QVERIFY(!canvas.currentTool());

    canvas.setCurrentTool(list->spriteTool());
    delete list;
    QVERIFY(!canvas.currentTool());

    // A tool of another list stays current.
    SpriteListView other;
    other.setEditorView(&canvas);
    SpriteListView third;
    third.setEditorView(&canvas);
    canvas.setCurrentTool(other.spriteTool());
    third.setEditorView(&canvas);
    QCOMPARE(canvas.currentTool(), static_cast<AbstractItemTool*>(other.spriteTool()));
}

// Clearing the level deletes the sheet and its model under the tab's list.
void TestSpriteLists::sheetDeletedUnderItsList()
{
    EditorView canvas;
    auto* sheet = new SpriteSheetItem(spritePath(QStringLiteral("sheet.plist")));
    canvas.scene()->addItem(sheet);
    SpriteListView list(&canvas, sheet);
    canvas.clearAll();
    canvas.init();
    QVERIFY(!list.itemModel());
    list.clear();
    list.addFile(spritePath(QStringLiteral("alone.png")));
    QVERIFY(!list.spriteTool()->spriteSheet());
}

// Removing an animation entry deletes its frames.
void TestSpriteLists::animationEntryOwnsFrames()
{
    AnimationListView animations;
    QVERIFY(animations.itemModel());
    QCOMPARE(animations.model(), static_cast<QAbstractItemModel*>(animations.itemModel()));
    QCOMPARE(animations.selectionBehavior(), QAbstractItemView::SelectItems);

    QPointer<SpriteListModel> frames = new SpriteListModel;
    QPixmap image(3, 3);
    frames->appendRow(new SpriteListModelItem(image, "f", "k"));
    auto* entry = new SpriteAnimationModelItem(frames, image, "Animation 1", "Animation 1");
    animations.itemModel()->appendRow(entry);
    QCOMPARE(entry->framesModel(), frames.data());
    QCOMPARE(frames->parent(), static_cast<QObject*>(entry));
    QCOMPARE(animations.itemModel()->index(0, 0).data(Qt::ToolTipRole).toString(), QStringLiteral("Animation 1"));
    QCOMPARE(animations.itemModel()->index(0, 0).data(SpritePixmapRole).value<QPixmap>().size(), QSize(3, 3));

    animations.itemModel()->removeRow(0);
    QVERIFY(frames.isNull());

    // An entry without frames is allowed.
    animations.itemModel()->appendRow(new SpriteAnimationModelItem(nullptr, image, "x", "x"));
    QCOMPARE(animations.itemModel()->rowCount(), 1);
}

QTEST_MAIN(TestSpriteLists)
#include "tst_spritelists.moc"
