#include "Items/ColorMarkerItem.h"
#include "Items/GraphicItem.h"
#include "Items/SpriteSheetItem.h"
#include "Toolkit/PixmapCache.h"
#include "Views/EditorScene.h"
#include "Views/EditorView.h"

#include "LevelFileText.h"
#include "LevelFixture.h"
#include "SceneMouse.h"
#include "SpaceTestSupport.h"
#include "TestSupport.h"

#include <QKeyEvent>
#include <QPointer>
#include <QtTest>

namespace {

class ProbeMarker : public ColorMarkerItem
{
public:
    using ColorMarkerItem::keyPressEvent;
};

// The ball sprite at the origin: its 64x32 image spans (-32, -16) to (32, 16).
GraphicItem* addBall(Level& level)
{
    auto* ball = new GraphicItem(0, 0, spritePath(QStringLiteral("ball.png")), nullptr, nullptr);
    level.scene()->addItem(ball);
    return ball;
}

ColorMarkerItem* addMarker(Level& level, QPointF at)
{
    auto* marker = new ColorMarkerItem();
    marker->setPos(at);
    level.scene()->addItem(marker);
    return marker;
}

} // namespace

class TestColorMarker : public QObject
{
    Q_OBJECT
private slots:
    void numbersCountUpAndFileIdsReplaceThem();
    void samplesThePixelUnderTheCentre_data();
    void samplesThePixelUnderTheCentre();
    void sheetFramesShareTheTexturesBaseName();
    void lowestSpriteOfABaseNameWins();
    void mouseReleaseSamplesAgain();
    void elementRoundTrips();
    void deleteKeyLeavesTheGroup();
};

void TestColorMarker::numbersCountUpAndFileIdsReplaceThem()
{
    // Must run first: the counter starts at 1 with the program.
    ColorMarkerItem first, second, third;
    QCOMPARE(first.identifier(), QStringLiteral("1"));
    QCOMPARE(second.identifier(), QStringLiteral("2"));
    QCOMPARE(third.identifier(), QStringLiteral("3"));

    ColorMarkerItem fromFile;
    QVERIFY(readElement(QStringLiteral("<colorMarker x=\"1\" y=\"2\" id=\"2\"/>"), fromFile));
    QCOMPARE(fromFile.identifier(), QStringLiteral("2"));
    QCOMPARE(fromFile.pos(), QPointF(1, 2));
    ColorMarkerItem withoutId;
    QVERIFY(readElement(QStringLiteral("<colorMarker x=\"1\" y=\"2\"/>"), withoutId));
    QCOMPARE(withoutId.identifier(), QString());
    // Ids are not kept unique: the counter went on regardless.
    ColorMarkerItem next;
    QCOMPARE(next.identifier(), QStringLiteral("6"));
}

void TestColorMarker::samplesThePixelUnderTheCentre_data()
{
    QTest::addColumn<QPointF>("pixel"); // the centre in the shown image's coordinates
    QTest::addColumn<QString>("colour"); // empty: not sampled
    QTest::newRow("orange") << QPointF(12.9, 0.2) << "255-128-0";
    QTest::newRow("half-transparent black") << QPointF(42, 16) << "0-0-0";
    // The file's black first pixel is the shown image's bottom-left one.
    QTest::newRow("truncated toward zero") << QPointF(-0.5, 31.7) << "0-0-0";
    QTest::newRow("inside") << QPointF(0.9, 31.9) << "0-0-0";
    QTest::newRow("next pixel") << QPointF(1.2, 31.5) << "255-128-0";
    // Only the label reaches the image: no placeholder is taken.
    QTest::newRow("outside the image") << QPointF(-8, 16) << "";
}

void TestColorMarker::samplesThePixelUnderTheCentre()
{
    QFETCH(QPointF, pixel);
    QFETCH(QString, colour);
    Level level;
    addBall(level);
    ColorMarkerItem* marker = addMarker(level, pixel + QPointF(-32, -16));
    marker->mapColors();
    if (colour.isEmpty())
        QVERIFY(marker->samples().isEmpty());
    else
        QCOMPARE(marker->colorStringMap(), (QHash<QString, QString>{{QStringLiteral("ball"), colour}}));
}

void TestColorMarker::sheetFramesShareTheTexturesBaseName()
{
    Level level;
    auto* sheet = new SpriteSheetItem(spritePath(QStringLiteral("sheet.plist")));
    level.scene()->addItem(sheet);
    new GraphicItem(100, 0, makeSpriteSheetPixmapKey(QStringLiteral("sheet.png"), QStringLiteral("A.png")), nullptr, sheet);
    addBall(level);
    ColorMarkerItem* onFrame = addMarker(level, QPointF(100, 0));
    onFrame->mapColors();
    QCOMPARE(onFrame->colorStringMap(), (QHash<QString, QString>{{QStringLiteral("[sheet"), QStringLiteral("0-255-0")}}));
    // Other kinds of item under the dot are passed over.
    ColorMarkerItem* onMarker = addMarker(level, QPointF(100, 0));
    onMarker->mapColors();
    QCOMPARE(onMarker->samples().size(), 1);
}

void TestColorMarker::lowestSpriteOfABaseNameWins()
{
    QPixmap red(10, 10);
    red.fill(Qt::red);
    QPixmap blue(10, 10);
    blue.fill(Qt::blue);
    QPixmap sky(10, 10);
    sky.fill(Qt::white);
    PixmapCache::get()->insert(QStringLiteral("/a/tree.png"), red);
    PixmapCache::get()->insert(QStringLiteral("/b/tree.gif"), blue);
    PixmapCache::get()->insert(QStringLiteral("/art/sky.jpg"), sky);

    Level level;
    auto* lower = new GraphicItem(0, 0, QStringLiteral("/a/tree.png"), nullptr, nullptr);
    lower->setZValue(1);
    auto* upper = new GraphicItem(0, 0, QStringLiteral("/b/tree.gif"), nullptr, nullptr);
    upper->setZValue(2);
    auto* other = new GraphicItem(0, 0, QStringLiteral("/art/sky.jpg"), nullptr, nullptr);
    for (GraphicItem* sprite : {upper, other, lower})
        level.scene()->addItem(sprite);
    ColorMarkerItem* marker = addMarker(level, QPointF(0, 0));
    marker->mapColors();
    QCOMPARE(marker->colorStringMap(), (QHash<QString, QString>{{QStringLiteral("tree"), QStringLiteral("255-0-0")},
                                                               {QStringLiteral("sky"), QStringLiteral("255-255-255")}}));
}

void TestColorMarker::mouseReleaseSamplesAgain()
{
    Level level;
    GraphicItem* ball = addBall(level);
    ColorMarkerItem* marker = addMarker(level, QPointF(-20, 0));
    QVERIFY(marker->samples().isEmpty());
    sendSceneMouse(level.scene(), QEvent::GraphicsSceneMousePress, QPointF(-20, 0), QPointF(-20, 0));
    sendSceneMouse(level.scene(), QEvent::GraphicsSceneMouseRelease, QPointF(-20, 0), QPointF(-20, 0));
    QCOMPARE(marker->samples().size(), 1);
    // A new sampling starts empty.
    delete ball;
    marker->mapColors();
    QVERIFY(marker->samples().isEmpty());
}

void TestColorMarker::elementRoundTrips()
{
    Level level;
    ColorMarkerItem* marker = addMarker(level, QPointF(1.5, -2.25));
    QVERIFY(printedElement(*marker).startsWith(QStringLiteral("<colorMarker x=\"1.5\" y=\"-2.25\" id=\"")));

    const QString xml = QStringLiteral("<colorMarker x=\"1234567\" y=\"-2\" group=\"marks\" name=\"tip\" id=\"7\"/>");
    ColorMarkerItem* copy = addMarker(level, QPointF());
    QVERIFY(readElement(xml, *copy));
    QCOMPARE(copy->name(), QStringLiteral("tip"));
    QVERIFY(level.view.groupMap()->value(QStringLiteral("marks")).contains(copy));
    QCOMPARE(printedElement(*copy), QStringLiteral("<colorMarker x=\"1.23457e+06\" y=\"-2\" group=\"marks\" name=\"tip\" id=\"7\"/>"));
    QVERIFY(copy->boundingRect().contains(copy->childrenBoundingRect()));
    QCOMPARE(level.view.colorMarkers().size(), 2);
}

void TestColorMarker::deleteKeyLeavesTheGroup()
{
    Level level;
    auto* marker = new ProbeMarker();
    level.scene()->addItem(marker);
    marker->setGroupId(QStringLiteral("marks"));
    QPointer<ColorMarkerItem> alive(marker);
    QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    marker->keyPressEvent(&other);
    flushDeletes();
    QVERIFY(alive);
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    marker->keyPressEvent(&del);
    flushDeletes();
    QVERIFY(alive.isNull());
    QVERIFY(level.view.groupMap()->value(QStringLiteral("marks")).isEmpty());
}

QTEST_MAIN(TestColorMarker)
#include "tst_colormarker.moc"
