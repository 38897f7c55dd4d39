#include "Items/CircleShapeItem.h"
#include "Items/GraphicItem.h"
#include "Items/SpriteSheetItem.h"
#include "Models/SpriteListModel.h"
#include "Toolkit/cpSupport.h"
#include "Toolkit/PixmapCache.h"
#include "Views/EditorScene.h"
#include "Views/EditorView.h"
#include "cpSpaceSerializer.h"

#include "LevelFileText.h"
#include "LevelFixture.h"
#include "SceneMouse.h"
#include "TestSupport.h"

#include <QStatusBar>
#include <QUndoStack>
#include <QtTest>

namespace {

// A property's value as text, points as "(x, y)" and colours by name.
QString shown(const QVariant& value)
{
    if (value.typeId() == QMetaType::QPointF)
        return QStringLiteral("(%1, %2)").arg(value.toPointF().x()).arg(value.toPointF().y());
    if (value.typeId() == QMetaType::QColor)
        return value.value<QColor>().name();
    return value.toString();
}

// Builds a circle item for every circle shape the physics file holds.
class CircleReader : public cpSpaceSerializerDelegate
{
public:
    explicit CircleReader(EditorView* view) : m_view(view) {}
    bool reading(cpShape* shape, long long) override
    {
        if (getShapeType(shape) != ShapeKind::Circle)
            return false;
        m_view->editorScene()->addItem(new CircleShapeItem(m_view->space(), shape, nullptr));
        return true;
    }

private:
    EditorView* m_view;
};

// A sprite of the sheet (null: a loose image) at the scene point at.
GraphicItem* placeSprite(Level& level, SpriteSheetItem* sheet, QPointF at)
{
    const QString key = sheet ? makeSpriteSheetPixmapKey(sheet->imageFileName(), sheet->model()->item(0)->text())
                              : spritePath(QStringLiteral("ball.png"));
    auto* sprite = new GraphicItem(int(at.x()), int(at.y()), key, level.space(), sheet);
    if (!sprite->scene())
        level.scene()->addItem(sprite);
    return sprite;
}

} // namespace

class TestSpriteElements : public QObject
{
    Q_OBJECT
private slots:
    void newSpriteWritesOnlyWhatDiffers();
    void everyAttributeRoundTrips();
    void readRules_data();
    void readRules();
    void unknownAttributesAreKept();
    void nestedSpriteIsPlacedByParentImage();
    void nestingKeepsEveryImage_data();
    void nestingKeepsEveryImage();
    void sheetRoundTripsWithItsSprites();
    void sheetWithoutPlistKeepsItsSprites();
    void missingImageKeepsItsFile();
    void shapeIdLinksToTheLoadedShape();
    void shapeIdWithoutMatch_data();
    void shapeIdWithoutMatch();
};

void TestSpriteElements::newSpriteWritesOnlyWhatDiffers()
{
    GraphicItem sprite(10, 20, QStringLiteral("images/ball.png"), nullptr, nullptr);
    QCOMPARE(printedElement(sprite),
             QStringLiteral("<item file=\"images/ball.png\" x=\"10\" y=\"20\" z=\"1\" uid=\"-1\"/>"));
    // Defaults are compared exactly, values written with six digits.
    sprite.setScale(1.0000001);
    QVERIFY(printedElement(sprite).contains(QStringLiteral(" scale=\"1\" ")));
}

void TestSpriteElements::everyAttributeRoundTrips()
{
    Level level;
    auto* sprite = new GraphicItem(0, 0, spritePath(QStringLiteral("ball.png")), nullptr, nullptr);
    level.scene()->addItem(sprite);
    sprite->setPos(2500003, -0.25);
    sprite->setZValue(3);
    sprite->setScale(1.5);
    sprite->setRotation(123.4567);
    sprite->setFlipX(true);
    sprite->setFlipY(true);
    sprite->setAnchor(QPointF(0.25, 1));
    sprite->setColor(QColor(255, 128, 0));
    sprite->setOpacity(0.999);
    sprite->setName(QStringLiteral("hero"));
    sprite->setGroupId(QStringLiteral("actors"));
    sprite->setProperty("speed", QStringLiteral("3"));

    const QString expected = QStringLiteral(
        "<item file=\"%1\" group=\"actors\" name=\"hero\" x=\"2.5e+06\" y=\"-0.25\" z=\"3\" scale=\"1.5\" "
        "angle=\"123.457\" flipX=\"true\" flipY=\"true\" anchorX=\"0.25\" anchorY=\"1\" r=\"255\" g=\"128\" "
        "b=\"0\" opacity=\"254.745\" uid=\"-1\" speed=\"3\"/>").arg(spritePath(QStringLiteral("ball.png")));
    const QString written = printedElement(*sprite);
    QCOMPARE(written, expected);

    auto* copy = new GraphicItem(nullptr, nullptr);
    level.scene()->addItem(copy);
    QVERIFY(readElement(written, *copy));
    QCOMPARE(copy->pos(), QPointF(2500000, -0.25));
    QVERIFY(copy->flipX() && copy->flipY());
    QCOMPARE(copy->anchor(), QPointF(0.25, 1));
    QCOMPARE(copy->color(), QColor(255, 128, 0));
    QVERIFY(qAbs(copy->opacity() - 0.999) < 1e-6);
    QCOMPARE(copy->extraAttribute(QStringLiteral("speed")), QStringLiteral("3"));
    QVERIFY(level.view.groupMap()->value(QStringLiteral("actors")).contains(copy));
    // The image is the same, mirrored both ways.
    QCOMPARE(copy->pixmap().toImage(), sprite->pixmap().toImage());
    QCOMPARE(printedElement(*copy), written);
    QCOMPARE(level.context.undoStack->count(), 0);
}

void TestSpriteElements::readRules_data()
{
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QString>("value");
    QTest::newRow("scale absent") << "" << "scale" << "1";
    QTest::newRow("scale zero") << "scale=\"0\"" << "scale" << "1";
    QTest::newRow("scale unparsable") << "scale=\"big\"" << "scale" << "1";
    QTest::newRow("scale not finite") << "scale=\"inf\"" << "scale" << "1";
    QTest::newRow("z absent") << "" << "zValue" << "0";
    QTest::newRow("x not a number") << "x=\"nan\" y=\"4\"" << "position" << "(0, 4)";
    QTest::newRow("angle overflow") << "angle=\"1e999\"" << "rotation" << "0";
    QTest::newRow("opacity") << "opacity=\"127.5\"" << "opacity" << "0.5";
    QTest::newRow("opacity absent") << "" << "opacity" << "1";
    QTest::newRow("red alone") << "r=\"255\"" << "color" << "#ff0000";
    QTest::newRow("colour out of range") << "r=\"300\" g=\"-4\" b=\"x\"" << "color" << "#ff0000";
    QTest::newRow("green and blue without red") << "g=\"1\" b=\"2\"" << "color" << "#ffffff";
    QTest::newRow("anchorX alone") << "anchorX=\"0\"" << "anchor" << "(0, 0.5)";
    QTest::newRow("anchorY alone") << "anchorY=\"1\"" << "anchor" << "(0.5, 1)";
    QTest::newRow("anchor not finite") << "anchorX=\"nan\" anchorY=\"inf\"" << "anchor" << "(0, 0)";
    QTest::newRow("uid") << "uid=\"7\"" << "uid" << "7";
    QTest::newRow("flip False") << "flipX=\"False\"" << "flipX" << "false";
    QTest::newRow("flip FALSE") << "flipX=\"FALSE\"" << "flipX" << "false";
    QTest::newRow("flip 0") << "flipX=\"0\"" << "flipX" << "false";
    QTest::newRow("flip 1") << "flipX=\"1\"" << "flipX" << "true";
    QTest::newRow("flip 2") << "flipY=\"2\"" << "flipY" << "true";
    QTest::newRow("flip true") << "flipY=\"true\"" << "flipY" << "true";
    QTest::newRow("flip yes") << "flipX=\"yes\"" << "flipX" << "true";
    QTest::newRow("flip empty") << "flipX=\"\"" << "flipX" << "true";
    QTest::newRow("flip absent") << "" << "flipX" << "false";
}

void TestSpriteElements::readRules()
{
    QFETCH(QString, attributes);
    QFETCH(QString, property);
    QFETCH(QString, value);
    Level level;
    auto* sprite = new GraphicItem(nullptr, nullptr);
    level.scene()->addItem(sprite);
    QVERIFY(readElement(QStringLiteral("<item file=\"%1\" %2/>").arg(spritePath(QStringLiteral("ball.png")), attributes),
                        *sprite));
    QCOMPARE(shown(sprite->property(property.toLatin1().constData())), value);
    QCOMPARE(level.context.undoStack->count(), 0);
}

void TestSpriteElements::unknownAttributesAreKept()
{
    Level level;
    auto* sprite = new GraphicItem(nullptr, nullptr);
    level.scene()->addItem(sprite);
    // Names of declared properties are kept as they came: setting them would
    // push undo commands while the file loads.
    QVERIFY(readElement(QStringLiteral("<item file=\"a.png\" g=\"4\" b=\"5\" speed=\"3\" position=\"9\" "
                                       "rotation=\"45\" x=\"1\" x=\"2\"/>"),
                        *sprite));
    QCOMPARE(sprite->extraAttribute(QStringLiteral("speed")), QStringLiteral("3"));
    QCOMPARE(sprite->rotation(), 0.0);
    QCOMPARE(sprite->pos(), QPointF(1, 0));
    QCOMPARE(level.context.undoStack->count(), 0);
    QCOMPARE(printedElement(*sprite),
             QStringLiteral("<item file=\"a.png\" x=\"1\" y=\"0\" z=\"0\" uid=\"-1\" g=\"4\" b=\"5\" speed=\"3\" "
                            "position=\"9\" rotation=\"45\"/>"));
    // A colour set later writes its own channels, and the kept ones step aside.
    sprite->setColor(QColor(1, 2, 3));
    QCOMPARE(printedElement(*sprite),
             QStringLiteral("<item file=\"a.png\" x=\"1\" y=\"0\" z=\"0\" r=\"1\" g=\"2\" b=\"3\" uid=\"-1\" "
                            "speed=\"3\" position=\"9\" rotation=\"45\"/>"));
}

void TestSpriteElements::nestedSpriteIsPlacedByParentImage()
{
    Level level;
    const QString ball = spritePath(QStringLiteral("ball.png"));
    auto* parent = new GraphicItem(5, 5, ball, nullptr, nullptr);
    level.scene()->addItem(parent);
    auto* child = new GraphicItem(0, 0, ball, nullptr, nullptr);
    child->setParentItem(parent);
    auto* grandchild = new GraphicItem(1, 2, ball, nullptr, nullptr);
    grandchild->setParentItem(child);

    const QString expected = QStringLiteral(
        "<item file=\"%1\" x=\"5\" y=\"5\" z=\"1\" uid=\"-1\">\n"
        "\t<item file=\"%1\" x=\"32\" y=\"16\" z=\"1\" uid=\"-1\">\n"
        "\t\t<item file=\"%1\" x=\"33\" y=\"18\" z=\"1\" uid=\"-1\"/>\n"
        "\t</item>\n"
        "</item>").arg(ball);
    const QString written = printedElement(*parent);
    QCOMPARE(written, expected);

    auto* copy = new GraphicItem(nullptr, nullptr);
    level.scene()->addItem(copy);
    QVERIFY(readElement(written, *copy));
    QCOMPARE(copy->childItems().size(), 1);
    auto* readChild = static_cast<GraphicItem*>(copy->childItems().first());
    QCOMPARE(readChild->pos(), QPointF(0, 0));
    QCOMPARE(readChild->scene(), level.scene());
    QCOMPARE(static_cast<GraphicItem*>(readChild->childItems().first())->pos(), QPointF(1, 2));
    QCOMPARE(printedElement(*copy), written);
}

void TestSpriteElements::nestingKeepsEveryImage_data()
{
    QTest::addColumn<QString>("draggedSheet");
    QTest::addColumn<QString>("targetSheet");
    QTest::addColumn<bool>("nests");

    const QString sheet = QStringLiteral("sheet.plist");
    const QString other = QStringLiteral("fallback.sheet.plist");
    QTest::newRow("loose under loose") << QString() << QString() << true;
    QTest::newRow("frame under frame of its sheet") << sheet << sheet << true;
    QTest::newRow("loose under frame") << QString() << sheet << false;
    QTest::newRow("frame under loose") << sheet << QString() << false;
    QTest::newRow("frame under frame of another sheet") << sheet << other << false;
}

// A nested sprite is read back with its parent's sheet: a Shift-drop that would
// lose the image is refused with a message, and every sprite keeps its image
// through a save and reopen.
void TestSpriteElements::nestingKeepsEveryImage()
{
    QFETCH(QString, draggedSheet);
    QFETCH(QString, targetSheet);
    QFETCH(bool, nests);

    QString written;
    {
        Level level;
        QStatusBar bar;
        level.view.setStatusBar(&bar);
        QMap<QString, SpriteSheetItem*> sheets;
        for (const QString& name : {draggedSheet, targetSheet}) {
            if (!name.isEmpty() && !sheets.contains(name)) {
                auto* sheet = new SpriteSheetItem(spritePath(name));
                level.scene()->addItem(sheet);
                sheets.insert(name, sheet);
            }
        }
        GraphicItem* target = placeSprite(level, sheets.value(targetSheet), QPointF(200, 200));
        GraphicItem* dragged = placeSprite(level, sheets.value(draggedSheet), QPointF(20, 20));
        QGraphicsItem* home = dragged->parentItem();
        QVERIFY(!target->pixmap().isNull() && !dragged->pixmap().isNull());

        const QPointF from(20, 20);
        const QPointF to(200, 200);
        sendSceneMouse(level.scene(), QEvent::GraphicsSceneMousePress, from, from, Qt::ShiftModifier);
        sendSceneMouse(level.scene(), QEvent::GraphicsSceneMouseMove, to, from, Qt::ShiftModifier);
        sendSceneMouse(level.scene(), QEvent::GraphicsSceneMouseRelease, to, from, Qt::ShiftModifier);

        QCOMPARE(dragged->parentItem(), nests ? static_cast<QGraphicsItem*>(target) : home);
        QCOMPARE(bar.currentMessage().isEmpty(), nests);
        QCOMPARE(target->opacity(), 1.0);
        written = printedElement(level.view);
    }

    Level reopened;
    QVERIFY(readElement(written, reopened.view));
    int sprites = 0;
    int nested = 0;
    for (QGraphicsItem* item : reopened.scene()->items()) {
        if (item->type() != GraphicItemType)
            continue;
        ++sprites;
        nested += item->parentItem() && item->parentItem()->type() == GraphicItemType;
        QVERIFY2(!static_cast<GraphicItem*>(item)->pixmap().isNull(), qPrintable(written));
    }
    QCOMPARE(sprites, 2);
    QCOMPARE(nested, nests ? 1 : 0);
}

void TestSpriteElements::sheetRoundTripsWithItsSprites()
{
    Level level;
    const QString plist = spritePath(QStringLiteral("sheet.plist"));
    auto* sheet = new SpriteSheetItem(plist);
    level.scene()->addItem(sheet);
    for (const char* frame : {"b.png", "A.png", "a.png"})
        new GraphicItem(1, 2, makeSpriteSheetPixmapKey(QStringLiteral("sheet.png"), QLatin1String(frame)),
                        level.view.space(), sheet);
    auto* nested = new GraphicItem(0, 0, makeSpriteSheetPixmapKey(QStringLiteral("sheet.png"), QStringLiteral("a.png")),
                                   level.view.space(), sheet);
    nested->setParentItem(sheet->childItems().first());

    const QString written = printedElement(*sheet);
    QCOMPARE(written, QStringLiteral(
                          "<spritesheet file=\"%1\" z=\"100\">\n"
                          "\t<item file=\"b.png\" x=\"1\" y=\"2\" z=\"1\" uid=\"-1\">\n"
                          "\t\t<item file=\"a.png\" x=\"4\" y=\"2\" z=\"1\" uid=\"-1\"/>\n"
                          "\t</item>\n"
                          "\t<item file=\"A.png\" x=\"1\" y=\"2\" z=\"1\" uid=\"-1\"/>\n"
                          "\t<item file=\"a.png\" x=\"1\" y=\"2\" z=\"1\" uid=\"-1\"/>\n"
                          "</spritesheet>").arg(plist));

    auto* copy = new SpriteSheetItem();
    level.scene()->addItem(copy);
    QVERIFY(readElement(written, *copy, &level.context));
    QCOMPARE(copy->plistFilePath(), plist);
    QCOMPARE(copy->model()->rowCount(), 3);
    const QList<QGraphicsItem*> sprites = copy->childItems();
    QCOMPARE(sprites.size(), 3);
    QCOMPARE(static_cast<GraphicItem*>(sprites[1])->pixmapKey(),
             makeSpriteSheetPixmapKey(QStringLiteral("sheet.png"), QStringLiteral("A.png")));
    QCOMPARE(static_cast<GraphicItem*>(sprites[1])->space(), level.view.space());
    QCOMPARE(printedElement(*copy), written);

    // Without "z" the sheet stands at 0, and says so when written.
    SpriteSheetItem bare;
    QVERIFY(readElement(QStringLiteral("<spritesheet file=\"%1\"/>").arg(plist), bare));
    QCOMPARE(bare.zValue(), 0.0);
    QCOMPARE(printedElement(bare), QStringLiteral("<spritesheet file=\"%1\" z=\"0\"/>").arg(plist));
}

void TestSpriteElements::sheetWithoutPlistKeepsItsSprites()
{
    Level level;
    const QString xml = QStringLiteral(
        "<spritesheet file=\"/no/such/sheet.plist\" z=\"100\">\n"
        "\t<item file=\"run1.png\" x=\"1\" y=\"2\" z=\"1\" uid=\"4\">\n"
        "\t\t<item file=\"run2.png\" x=\"0\" y=\"0\" z=\"1\" uid=\"-1\"/>\n"
        "\t</item>\n"
        "</spritesheet>");
    auto* sheet = new SpriteSheetItem();
    level.scene()->addItem(sheet);
    QVERIFY(readElement(xml, *sheet, &level.context));
    QCOMPARE(sheet->model()->rowCount(), 0);
    QCOMPARE(sheet->childItems().size(), 1);
    QCOMPARE(printedElement(*sheet), xml);
}

void TestSpriteElements::missingImageKeepsItsFile()
{
    const QString xml = QStringLiteral("<item file=\"art/gone.png\" x=\"1\" y=\"2\" z=\"1\" anchorX=\"0\" uid=\"-1\"/>");
    GraphicItem sprite(nullptr, nullptr);
    QVERIFY(readElement(xml, sprite));
    QVERIFY(sprite.pixmap().isNull());
    QVERIFY(sprite.pixmapKey().isEmpty());
    // Without an image there is no anchor to keep.
    QCOMPARE(printedElement(sprite), QStringLiteral("<item file=\"art/gone.png\" x=\"1\" y=\"2\" z=\"1\" uid=\"-1\"/>"));
}

void TestSpriteElements::shapeIdLinksToTheLoadedShape()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("level.xml"));
    {
        Level level;
        cpSpace* space = level.view.space();
        cpBody* body = cpSpaceAddBody(space, cpBodyNew(1, cpMomentForCircle(1, 0, 10, cpvzero)));
        cpBodySetPosition(body, cpv(100, 40));
        cpBodySetAngle(body, M_PI / 2);
        auto* circle = new CircleShapeItem(space, cpSpaceAddShape(space, cpCircleShapeNew(body, 10, cpvzero)), nullptr);
        level.scene()->addItem(circle);
        auto* sprite = new GraphicItem(0, 0, spritePath(QStringLiteral("ball.png")), space, nullptr);
        level.scene()->addItem(sprite);
        circle->syncWithSyncee(sprite);

        cpSpaceSerializer physics;
        IOTransformer io(encodeText(path), &level.context, &physics);
        io.write(*sprite);
        QVERIFY(io.save(space));
    }

    Level level;
    CircleReader reader(&level.view);
    cpSpaceSerializer physics(&reader);
    IOTransformer io(encodeText(path), &level.context, &physics);
    io.load(level.view.space());
    auto* sprite = new GraphicItem(nullptr, level.view.space());
    level.scene()->addItem(sprite);
    QVERIFY(io.read(*sprite));
    QVERIFY(sprite->syncPair());
    auto* circle = dynamic_cast<CircleShapeItem*>(sprite->syncPair()->syncer());
    QVERIFY(circle);
    QCOMPARE(sprite->pos(), QPointF(100, 40));
    // The file keeps six digits of the angle.
    QCOMPARE(sprite->rotation(), circle->rotation());
    QVERIFY(qAbs(sprite->rotation() - 90) < 1e-3);
    QVERIFY(printedElement(*sprite).contains(
        QStringLiteral("shape_id=\"%1\"").arg(qlonglong(reinterpret_cast<std::intptr_t>(circle->cpshape())))));
}

void TestSpriteElements::shapeIdWithoutMatch_data()
{
    QTest::addColumn<QString>("id");
    QTest::newRow("unknown") << "12345";
    QTest::newRow("not a number") << "abc";
    QTest::newRow("beyond 64 bits") << "1e300";
    QTest::newRow("empty") << "";
}

void TestSpriteElements::shapeIdWithoutMatch()
{
    QFETCH(QString, id);
    Level level;
    cpSpaceSerializer physics;
    physics.shapeMap()[12345] = nullptr; // a shape the reader refused
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("level.xml"));
    QVERIFY(writeTextFile(path, QStringLiteral("<item file=\"a.png\" x=\"3\" shape_id=\"%1\"/>").arg(id)));
    IOTransformer io(encodeText(path), &level.context, &physics);
    io.load(nullptr);
    auto* sprite = new GraphicItem(nullptr, level.view.space());
    level.scene()->addItem(sprite);
    QVERIFY(io.read(*sprite));
    QVERIFY(!sprite->syncPair());
    QCOMPARE(sprite->pos(), QPointF(3, 0));
    QVERIFY(!printedElement(*sprite).contains(QStringLiteral("shape_id")));
}

QTEST_MAIN(TestSpriteElements)
#include "tst_spriteelements.moc"
