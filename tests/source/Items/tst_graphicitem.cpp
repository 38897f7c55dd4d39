#include "Items/CircleShapeItem.h"
#include "Items/GraphicItem.h"
#include "Items/SpriteSheetItem.h"
#include "Toolkit/PixmapCache.h"
#include "Views/EditorScene.h"
#include "Views/EditorView.h"

#include "SceneMouse.h"
#include "LevelFixture.h"
#include "TestSupport.h"

#include <QImage>
#include <QKeyEvent>
#include <QPointer>
#include <QUndoStack>
#include <QtTest>

namespace {

class ProbeSprite : public GraphicItem
{
public:
    using GraphicItem::GraphicItem;
    using GraphicItem::keyPressEvent;
};

void press(ProbeSprite* sprite, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent event(QEvent::KeyPress, key, mods);
    sprite->keyPressEvent(&event);
}

QRgb pixelAt(const GraphicItem& sprite, int x, int y)
{
    return sprite.pixmap().toImage().pixel(x, y);
}

bool listed(EditorView& view, GroupableItem* item)
{
    for (const QList<GroupableItem*>& list : *view.groupMap()) {
        if (list.contains(item))
            return true;
    }
    return false;
}

} // namespace

class TestGraphicItem : public QObject
{
    Q_OBJECT
private slots:
    void frameKeys_data();
    void frameKeys();
    void looseImageIsMirroredAndAnchored();
    void flipsMirrorTheShownImage();
    void missingImageKeepsItsKey();
    void sheetFrameFromCacheOrOwnFile();
    void propertiesGoThroughTheStack_data();
    void propertiesGoThroughTheStack();
    void commandNamesTheFile_data();
    void commandNamesTheFile();
    void arrowKeys();
    void deleteKeysUndoAndRedo_data();
    void deleteKeysUndoAndRedo();
    void deletedSpriteOutlivesItsSheet();
    void mouseDragPushesOneMove();
    void outsideAnySceneEditsApplyDirectly();
    void groupRegistryNeverKeepsAFreedSprite();
    void followsACircleShape();
    void followsIntoItsSheetsCoordinates();
    void activeHidesTheDrivingShape();
};

void TestGraphicItem::frameKeys_data()
{
    QTest::addColumn<QString>("image");
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QString>("key");
    QTest::newRow("plain") << "hero.png" << "run1.png" << "[hero.png] - run1.png";
    QTest::newRow("brackets in frame") << "hero.png" << "[x] - y.png" << "[hero.png] - [x] - y.png";
    QTest::newRow("brackets in image") << "a[1].png" << "run1.png" << "[a[1].png] - run1.png";
    QTest::newRow("empty image") << "" << "run1.png" << "[] - run1.png";
}

void TestGraphicItem::frameKeys()
{
    QFETCH(QString, image);
    QFETCH(QString, frame);
    QFETCH(QString, key);
    QCOMPARE(makeSpriteSheetPixmapKey(image, frame), key);
    QCOMPARE(getSpriteFileNameFromPixmapKey(key, image), frame);
    // Another texture's prefix is not removed, and a case change is another texture.
    QCOMPARE(getSpriteFileNameFromPixmapKey(key, QStringLiteral("other.png")), key);
    if (!image.isEmpty())
        QCOMPARE(getSpriteFileNameFromPixmapKey(key, image.toUpper()), key);
}

void TestGraphicItem::looseImageIsMirroredAndAnchored()
{
    GraphicItem sprite(10, 20, spritePath(QStringLiteral("ball.png")), nullptr, nullptr);
    QCOMPARE(sprite.pixmapKey(), spritePath(QStringLiteral("ball.png")));
    QCOMPARE(sprite.pixmapKeyDisplay(), QStringLiteral("ball.png"));
    QCOMPARE(sprite.pos(), QPointF(10, 20));
    QCOMPARE(sprite.zValue(), 1.0);
    QCOMPARE(sprite.property("uid"), QVariant(-1));
    QCOMPARE(sprite.color(), QColor(Qt::white));
    // The file's top-left pixel is black; mirrored for the y-up canvas it sits bottom-left.
    QCOMPARE(pixelAt(sprite, 0, 31), qRgb(0, 0, 0));
    QCOMPARE(pixelAt(sprite, 0, 0), qRgb(255, 128, 0));

    QCOMPARE(sprite.anchor(), QPointF(0.5, 0.5));
    QCOMPARE(sprite.offset(), QPointF(-32, -16));
    sprite.setAnchor(QPointF(0, 0));
    QCOMPARE(sprite.offset(), QPointF(0, 0));
    sprite.setAnchor(QPointF(1, 1));
    QCOMPARE(sprite.offset(), QPointF(-64, -32));
    QCOMPARE(sprite.anchor(), QPointF(1, 1));
    QCOMPARE(sprite.pos(), QPointF(10, 20));
    sprite.setAnchor(QPointF(qQNaN(), 0));
    QCOMPARE(sprite.anchor(), QPointF(1, 1));
}

void TestGraphicItem::flipsMirrorTheShownImage()
{
    GraphicItem sprite(0, 0, spritePath(QStringLiteral("ball.png")), nullptr, nullptr);
    const QImage original = sprite.pixmap().toImage();
    sprite.setAnchor(QPointF(0.25, 0));

    sprite.setFlipX(false);
    QCOMPARE(sprite.pixmap().toImage(), original);
    sprite.setFlipX(true);
    QVERIFY(sprite.flipX());
    QCOMPARE(pixelAt(sprite, 63, 31), qRgb(0, 0, 0));
    sprite.setFlipY(true);
    QCOMPARE(pixelAt(sprite, 63, 0), qRgb(0, 0, 0));
    sprite.setFlipX(false);
    sprite.setFlipY(false);
    QCOMPARE(sprite.pixmap().toImage(), original);
    QCOMPARE(sprite.anchor(), QPointF(0.25, 0));
}

void TestGraphicItem::missingImageKeepsItsKey()
{
    GraphicItem sprite(3, 4, QStringLiteral("no/such/image.png"), nullptr, nullptr);
    QVERIFY(sprite.pixmap().isNull());
    QVERIFY(sprite.pixmapKey().isEmpty());
    QCOMPARE(sprite.storedKey(), QStringLiteral("no/such/image.png"));
    QCOMPARE(sprite.pos(), QPointF(3, 4));
    // Without an image the flag is kept, and nothing is mirrored.
    sprite.setFlipX(true);
    sprite.setFlipY(true);
    QVERIFY(sprite.flipX() && sprite.flipY());
    QVERIFY(sprite.pixmap().isNull());
    sprite.setAnchor(QPointF(0, 0));
    QCOMPARE(sprite.offset(), QPointF(0, 0));
    QCOMPARE(sprite.anchor(), QPointF(0.5, 0.5));

    // A later key that fails too leaves a found image and its key alone.
    GraphicItem shown(0, 0, spritePath(QStringLiteral("ball.png")), nullptr, nullptr);
    shown.setPixmapKey(QStringLiteral("gone.png"));
    QCOMPARE(shown.pixmapKey(), spritePath(QStringLiteral("ball.png")));
    QCOMPARE(shown.storedKey(), spritePath(QStringLiteral("ball.png")));
    QVERIFY(!shown.pixmap().isNull());
}

void TestGraphicItem::sheetFrameFromCacheOrOwnFile()
{
    SpriteSheetItem sheet(spritePath(QStringLiteral("sheet.plist")));
    auto* sprite = new GraphicItem(5, 6, makeSpriteSheetPixmapKey(QStringLiteral("sheet.png"), QStringLiteral("A.png")),
                                   nullptr, &sheet);
    QCOMPARE(sprite->parentItem(), &sheet);
    QCOMPARE(sprite->pixmap().size(), QSize(8, 4));
    QCOMPARE(pixelAt(*sprite, 0, 0), qRgb(0, 255, 0));
    QCOMPARE(sprite->pixmapKeyDisplay(), QStringLiteral("[sheet.png] - A.png"));

    // The texture of this sheet is missing: the frame's own file beside the plist
    // stands in, and is not cached.
    SpriteSheetItem bare(spritePath(QStringLiteral("notexture.plist")));
    const QString key = makeSpriteSheetPixmapKey(QStringLiteral("gone.png"), QStringLiteral("alone.png"));
    auto* recovered = new GraphicItem(0, 0, key, nullptr, &bare);
    QCOMPARE(recovered->pixmap().size(), QSize(2, 2));
    QCOMPARE(recovered->pixmapKey(), key);
    QVERIFY(!PixmapCache::get()->find(key, nullptr));
}

void TestGraphicItem::propertiesGoThroughTheStack_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("countAfterRepeat");
    QTest::newRow("position") << "position" << QVariant(QPointF(5, -6.5)) << "Move \"ball.png\" to (5, -6.5)" << 2;
    QTest::newRow("rotation") << "rotation" << QVariant(30.0f) << "Rotate \"ball.png\" to 30 degrees" << 1;
    QTest::newRow("scale") << "scale" << QVariant(2.5f) << "Scale \"ball.png\" to 2.5" << 1;
    QTest::newRow("opacity") << "opacity" << QVariant(0.25f) << "Opacity of \"ball.png\" to 0.25" << 1;
}

void TestGraphicItem::propertiesGoThroughTheStack()
{
    QFETCH(QString, property);
    QFETCH(QVariant, value);
    QFETCH(QString, text);
    QFETCH(int, countAfterRepeat);

    Level level;
    auto* sprite = new GraphicItem(1, 2, spritePath(QStringLiteral("ball.png")), level.view.space(), nullptr);
    level.scene()->addItem(sprite);
    const QByteArray name = property.toLatin1();
    const QVariant before = sprite->property(name.constData());

    QVERIFY(sprite->setProperty(name.constData(), value));
    QCOMPARE(level.stack()->count(), 1);
    QCOMPARE(level.stack()->text(0), text);
    QCOMPARE(sprite->property(name.constData()), value);

    // Unchanged values still push: moves stay apart, the others merge.
    QVERIFY(sprite->setProperty(name.constData(), value));
    QCOMPARE(level.stack()->count(), countAfterRepeat);

    while (level.stack()->canUndo())
        level.stack()->undo();
    QCOMPARE(sprite->property(name.constData()), before);
    level.stack()->redo();
    QCOMPARE(sprite->property(name.constData()), value);

    // A value that is no number never reaches the item.
    const int count = level.stack()->count();
    QVariant bad = value.typeId() == QMetaType::QPointF ? QVariant(QPointF(qQNaN(), 0)) : QVariant(qQNaN());
    sprite->setProperty(name.constData(), bad);
    QCOMPARE(level.stack()->count(), count);
    QCOMPARE(sprite->property(name.constData()), value);
}

void TestGraphicItem::commandNamesTheFile_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("shown");
    QTest::newRow("no folder") << "plain" << "plain";
    QTest::newRow("folders") << "levels/art/tree.png" << "tree.png";
}

void TestGraphicItem::commandNamesTheFile()
{
    QFETCH(QString, key);
    QFETCH(QString, shown);
    QPixmap pixmap(2, 2);
    pixmap.fill(Qt::red);
    PixmapCache::get()->insert(key, pixmap);

    Level level;
    auto* sprite = new GraphicItem(0, 0, key, level.view.space(), nullptr);
    level.scene()->addItem(sprite);
    sprite->commitScaleAction(1, 3);
    QCOMPARE(level.stack()->text(0), QStringLiteral("Scale \"%1\" to 3").arg(shown));
}

void TestGraphicItem::arrowKeys()
{
    Level level;
    auto* sprite = new ProbeSprite(0, 0, spritePath(QStringLiteral("ball.png")), level.view.space(), nullptr);
    level.scene()->addItem(sprite);
    QSignalSpy updated(level.scene(), &EditorScene::objectUpdated);

    press(sprite, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(sprite->rotation(), -45.0);
    QCOMPARE(level.stack()->text(0), QStringLiteral("Rotate \"ball.png\" to -45 degrees"));
    press(sprite, Qt::Key_Left);
    QCOMPARE(sprite->rotation(), -40.0);
    QCOMPARE(level.stack()->count(), 1);
    QCOMPARE(updated.count(), 2);

    // No lower bound: the scale passes zero and mirrors the sprite.
    for (int i = 0; i < 11; ++i)
        press(sprite, Qt::Key_Down);
    QVERIFY(qAbs(sprite->scale() + 0.1) < 1e-5);
    press(sprite, Qt::Key_Up);
    QVERIFY(qAbs(sprite->scale()) < 1e-5);
    QCOMPARE(level.stack()->count(), 2);

    level.stack()->undo();
    QCOMPARE(sprite->scale(), 1.0);
    level.stack()->undo();
    QCOMPARE(sprite->rotation(), 0.0);
}

void TestGraphicItem::deleteKeysUndoAndRedo_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("delete") << int(Qt::Key_Delete);
    QTest::newRow("backspace") << int(Qt::Key_Backspace);
}

void TestGraphicItem::deleteKeysUndoAndRedo()
{
    QFETCH(int, key);
    Level level;
    SpriteSheetItem* sheet = new SpriteSheetItem(spritePath(QStringLiteral("sheet.plist")));
    level.scene()->addItem(sheet);
    auto* sprite = new ProbeSprite(0, 0, makeSpriteSheetPixmapKey(QStringLiteral("sheet.png"), QStringLiteral("a.png")),
                                   level.view.space(), sheet);
    sprite->setName(QStringLiteral("hero"));
    QPointer<GraphicItem> alive(sprite);

    press(sprite, key);
    QCOMPARE(level.stack()->count(), 1);
    QCOMPARE(level.stack()->text(0), QStringLiteral("Deleted \"[sheet.png] - a.png\""));
    QVERIFY(!sprite->scene());
    QVERIFY(!sprite->parentItem());

    level.stack()->undo();
    QCOMPARE(sprite->parentItem(), sheet);
    QCOMPARE(sprite->scene(), level.scene());
    level.stack()->redo();
    QVERIFY(!sprite->scene());

    // The stack owns the deleted sprite and frees it once.
    level.stack()->clear();
    QVERIFY(alive.isNull());
}

void TestGraphicItem::deletedSpriteOutlivesItsSheet()
{
    Level level;
    auto* sheet = new SpriteSheetItem(spritePath(QStringLiteral("sheet.plist")));
    level.scene()->addItem(sheet);
    auto* sprite = new ProbeSprite(0, 0, makeSpriteSheetPixmapKey(QStringLiteral("sheet.png"), QStringLiteral("b.png")),
                                   level.view.space(), sheet);
    press(sprite, Qt::Key_Delete);
    delete sheet;
    QVERIFY(!sprite->spriteSheet());
    // Undone, it comes back at the top level and is still usable.
    level.stack()->undo();
    QCOMPARE(sprite->scene(), level.scene());
    QVERIFY(!sprite->parentItem());
    sprite->setPixmapKey(QStringLiteral("gone.png"));
    QCOMPARE(sprite->pixmapKey(), makeSpriteSheetPixmapKey(QStringLiteral("sheet.png"), QStringLiteral("b.png")));
}

void TestGraphicItem::mouseDragPushesOneMove()
{
    Level level;
    auto* sprite = new GraphicItem(50, 50, spritePath(QStringLiteral("ball.png")), level.view.space(), nullptr);
    level.scene()->addItem(sprite);

    const QPointF at(45, 45);
    sendSceneMouse(level.scene(), QEvent::GraphicsSceneMousePress, at, at);
    sendSceneMouse(level.scene(), QEvent::GraphicsSceneMouseRelease, at, at);
    QCOMPARE(level.stack()->count(), 0);

    sendSceneMouse(level.scene(), QEvent::GraphicsSceneMousePress, at, at);
    sendSceneMouse(level.scene(), QEvent::GraphicsSceneMouseMove, at + QPointF(4, 0), at);
    sendSceneMouse(level.scene(), QEvent::GraphicsSceneMouseMove, at + QPointF(10, 0), at);
    sendSceneMouse(level.scene(), QEvent::GraphicsSceneMouseRelease, at + QPointF(10, 0), at);
    QCOMPARE(sprite->pos(), QPointF(60, 50));
    QCOMPARE(level.stack()->count(), 1);
    QCOMPARE(level.stack()->text(0), QStringLiteral("Move \"ball.png\" to (60, 50)"));
    level.stack()->undo();
    QCOMPARE(sprite->pos(), QPointF(50, 50));
}

void TestGraphicItem::outsideAnySceneEditsApplyDirectly()
{
    auto* sprite = new ProbeSprite(0, 0, spritePath(QStringLiteral("ball.png")), nullptr, nullptr);
    sprite->commandSetPosition(QPointF(7, 8));
    sprite->commandSetRotation(90);
    sprite->commandSetScale(2);
    sprite->commandSetOpacity(0.5f);
    sprite->setGroupId(QStringLiteral("loose"));
    QCOMPARE(sprite->pos(), QPointF(7, 8));
    QCOMPARE(sprite->rotation(), 90.0);
    QCOMPARE(sprite->scale(), 2.0);
    QCOMPARE(sprite->opacity(), 0.5);
    QCOMPARE(sprite->groupId(), QStringLiteral("loose"));
    // Nothing could hold a sprite deleted here; the caller keeps it.
    press(sprite, Qt::Key_Delete);
    delete sprite;
}

void TestGraphicItem::groupRegistryNeverKeepsAFreedSprite()
{
    Level level;
    auto* sprite = new ProbeSprite(0, 0, spritePath(QStringLiteral("ball.png")), level.view.space(), nullptr);
    level.scene()->addItem(sprite);
    sprite->setGroupId(QStringLiteral("trees"));
    QCOMPARE(level.view.groupMap()->value(QStringLiteral("trees")),
             QList<GroupableItem*>{sprite});

    // Deleted by key, the sprite leaves the scene but stays listed for undo;
    // a group change made meanwhile still moves it in the registry.
    press(sprite, Qt::Key_Delete);
    QVERIFY(!sprite->scene());
    sprite->setGroupId(QStringLiteral("rocks"));
    QVERIFY(!level.view.groupMap()->value(QStringLiteral("trees")).contains(sprite));
    QVERIFY(level.view.groupMap()->value(QStringLiteral("rocks")).contains(sprite));

    // The discarded command frees the sprite outside any scene.
    level.stack()->clear();
    QVERIFY(!listed(level.view, sprite));
}

void TestGraphicItem::followsACircleShape()
{
    Level level;
    cpSpace* space = level.view.space();
    cpBody* body = cpSpaceAddBody(space, cpBodyNew(1, cpMomentForCircle(1, 0, 10, cpvzero)));
    cpBodySetPosition(body, cpv(100, 40));
    cpShape* shape = cpSpaceAddShape(space, cpCircleShapeNew(body, 10, cpvzero));
    auto* circle = new CircleShapeItem(space, shape, nullptr);
    level.scene()->addItem(circle);
    auto* sprite = new GraphicItem(0, 0, spritePath(QStringLiteral("ball.png")), space, nullptr);
    level.scene()->addItem(sprite);

    circle->syncWithSyncee(sprite);
    QCOMPARE(sprite->pos(), QPointF(100, 40));

    cpBodySetPosition(body, cpv(-20, 5));
    cpBodySetAngle(body, M_PI / 2);
    circle->adjust();
    QCOMPARE(sprite->pos(), QPointF(-20, 5));
    QVERIFY(qAbs(sprite->rotation() - 90.0) < 1e-4);

    delete circle;
    QVERIFY(!sprite->syncPair());
}

void TestGraphicItem::followsIntoItsSheetsCoordinates()
{
    Level level;
    cpSpace* space = level.view.space();
    cpBody* body = cpSpaceAddBody(space, cpBodyNew(1, cpMomentForCircle(1, 0, 10, cpvzero)));
    cpBodySetPosition(body, cpv(30, 30));
    auto* circle = new CircleShapeItem(space, cpSpaceAddShape(space, cpCircleShapeNew(body, 10, cpvzero)), nullptr);
    level.scene()->addItem(circle);
    auto* sheet = new SpriteSheetItem(spritePath(QStringLiteral("sheet.plist")));
    sheet->setPos(100, 0);
    level.scene()->addItem(sheet);
    auto* sprite = new GraphicItem(0, 0, makeSpriteSheetPixmapKey(QStringLiteral("sheet.png"), QStringLiteral("b.png")),
                                   space, sheet);

    circle->syncWithSyncee(sprite);
    QCOMPARE(sprite->scenePos(), QPointF(30, 30));
    QCOMPARE(sprite->pos(), QPointF(-70, 30));
}

void TestGraphicItem::activeHidesTheDrivingShape()
{
    Level level;
    cpSpace* space = level.view.space();
    cpBody* body = cpSpaceAddBody(space, cpBodyNew(1, 1));
    auto* circle = new CircleShapeItem(space, cpSpaceAddShape(space, cpCircleShapeNew(body, 10, cpvzero)), nullptr);
    level.scene()->addItem(circle);
    auto* sprite = new GraphicItem(0, 0, spritePath(QStringLiteral("ball.png")), space, nullptr);
    level.scene()->addItem(sprite);
    circle->syncWithSyncee(sprite);

    sprite->setActive(false);
    QVERIFY(!sprite->active());
    QVERIFY(!circle->isVisible());
    sprite->setActive(true);
    QVERIFY(circle->isVisible());
}

QTEST_MAIN(TestGraphicItem)
#include "tst_graphicitem.moc"
