#include "Items/CircleShapeItem.h"
#include "Items/ColorMarkerItem.h"
#include "Items/GraphicItem.h"
#include "Items/GrooveJointItem.h"
#include "Items/JointItems.h"
#include "Items/PolyShapeItem.h"
#include "Items/SegmentShapeItem.h"
#include "Items/SpriteSheetItem.h"
#include "Toolkit/cpSupport.h"
#include "Tools/ShapeTools.h"
#include "Views/EditorScene.h"
#include "Views/EditorView.h"
#include "cpSpaceSerializer.h"

#include "LevelFileText.h"
#include "LevelFixture.h"
#include "PhysicsFileText.h"
#include "SpaceTestSupport.h"
#include "TestSupport.h"

#include <QRegularExpression>
#include <QUndoStack>
#include <QtTest>

namespace {

// Builds the canvas items of everything a physics file holds, as the open
// command's reader does; each shape here has a body of its own.
class LevelReader : public cpSpaceSerializerDelegate
{
public:
    explicit LevelReader(Level& level) : m_level(level) {}

    bool reading(cpShape* shape, long long) override
    {
        cpSpace* space = m_level.space();
        QGraphicsItem* item = nullptr;
        switch (getShapeType(shape)) {
        case ShapeKind::Circle: item = new CircleShapeItem(space, shape, nullptr); break;
        case ShapeKind::Segment: item = new SegmentShapeItem(space, shape); break;
        default: item = new PolyShapeItem(space, shape, nullptr); break;
        }
        m_level.scene()->addItem(item);
        return true;
    }

    bool reading(cpConstraint* c, long long) override
    {
        cpSpace* space = m_level.space();
        AbstractLineJointItem* joint = nullptr;
        if (cpConstraintIsPinJoint(c))
            joint = new PinJointItem(space, c);
        else if (cpConstraintIsSlideJoint(c))
            joint = new SlideJointItem(space, c);
        else if (cpConstraintIsPivotJoint(c))
            joint = new PivotJointItem(space, c);
        else if (cpConstraintIsGrooveJoint(c))
            joint = new GrooveJointItem(space, c);
        else if (cpConstraintIsSimpleMotor(c))
            joint = new MotorJointItem(space, c);
        else if (cpConstraintIsGearJoint(c))
            joint = new GearJointItem(space, c);
        else if (cpConstraintIsDampedSpring(c))
            joint = new SpringJointItem(space, c);
        else if (cpConstraintIsDampedRotarySpring(c))
            joint = new RotarySpringJointItem(space, c);
        else if (cpConstraintIsRotaryLimitJoint(c))
            joint = new RotaryLimitJointItem(space, c);
        if (!joint)
            return false;
        m_level.scene()->addItem(joint);
        joint->setupNodes();
        return true;
    }

private:
    Level& m_level;
};

// A physics side of every shape kind and every joint kind with an item.
CircleShapeItem* buildPhysics(Level& level)
{
    cpSpace* space = level.space();
    auto* circle = new CircleShapeItem(space, CircleTool::createDefaultShape(space, cpv(0, 200)), nullptr);
    level.scene()->addItem(circle);
    auto* box = new PolyShapeItem(space, PolyTool::createDefaultShape(space, cpv(200, 200)), nullptr);
    level.scene()->addItem(box);
    cpShape* segment = cpSpaceAddShape(space, cpSegmentShapeNew(cpSpaceGetStaticBody(space), cpv(-50, 0), cpv(400, 0), 2));
    level.scene()->addItem(new SegmentShapeItem(space, segment));

    const QPointF a(0, 200), b(200, 200);
    drawJoint<PinJointItem>(level.view, a, b);
    drawJoint<SlideJointItem>(level.view, a + QPointF(2, 0), b);
    drawJoint<PivotJointItem>(level.view, a, a);
    drawJoint<GrooveJointItem>(level.view, a, b + QPointF(0, 3));
    drawJoint<MotorJointItem>(level.view, a, b);
    drawJoint<GearJointItem>(level.view, a, b);
    drawJoint<SpringJointItem>(level.view, a, b);
    drawJoint<RotarySpringJointItem>(level.view, a, b);
    drawJoint<RotaryLimitJointItem>(level.view, a, b);
    return circle;
}

QString dataFolder()
{
    return QFileInfo(testDataPath(QStringLiteral("sprites/ball.png"))).absolutePath();
}

// Shape ids are addresses: numbered by rank so files of two spaces compare.
QString normaliseShapeIds(QString text)
{
    text = withoutSaveMark(text);
    static const QRegularExpression idRe(QStringLiteral("shape_id=\"(-?\\d+)\""));
    QStringList seen;
    auto it = idRe.globalMatch(text);
    QList<QRegularExpressionMatch> matches;
    while (it.hasNext())
        matches.prepend(it.next());
    for (const QRegularExpressionMatch& m : matches) {
        if (!seen.contains(m.captured(1)))
            seen.prepend(m.captured(1));
    }
    for (const QRegularExpressionMatch& m : matches)
        text.replace(m.capturedStart(1), m.capturedLength(1), QString::number(seen.indexOf(m.captured(1))));
    return text;
}

bool saveLevel(Level& level, const QString& path)
{
    cpSpaceSerializer physics;
    IOTransformer io(encodeText(path), &level.context, &physics);
    io.write(level.view);
    return io.save(level.space());
}

void openLevel(Level& level, const QString& path)
{
    LevelReader reader(level);
    cpSpaceSerializer physics(&reader);
    IOTransformer io(encodeText(path), &level.context, &physics);
    io.load(level.space());
    io.read(level.view);
}

int countOfType(Level& level, int type)
{
    int n = 0;
    for (QGraphicsItem* item : level.scene()->items())
        n += item->type() == type;
    return n;
}

} // namespace

class TestLevelRoot : public QObject
{
    Q_OBJECT
private slots:
    void freshLevelWritesItsDefaults();
    void rootAttributesAreInput();
    void missingColoursKeepTheDefaults_data();
    void missingColoursKeepTheDefaults();
    void extraAttributesLeaveWithTheLevel_data();
    void extraAttributesLeaveWithTheLevel();
    void everyKindSurvivesSavingAndOpening();
    void sheetsAreReadBeforeSprites();
};

void TestLevelRoot::freshLevelWritesItsDefaults()
{
    Level level;
    QVERIFY(!level.view.levelEditor());
    QCOMPARE(printedElement(level.view),
             QStringLiteral("<view bottom=\"0\" left=\"0\" top=\"360\" right=\"540\" editScale=\"1\" "
                            "topColor=\"#64c464\" midColor=\"#64d864\" bottomColor=\"#64f664\"/>"));
}

void TestLevelRoot::rootAttributesAreInput()
{
    Level level;
    QVERIFY(readElement(QStringLiteral("<view top=\"1.25e+06\" right=\"oops\" topColor=\"#010203\" "
                                       "midColor=\"nonsense\" level=\"3\" damping=\"0.5\" gravity=\"1\" "
                                       "visible=\"false\" enabled=\"false\" objectName=\"x\" styleSheet=\"*{}\" "
                                       "bottom=\"9\" boundsLeft=\"-4\"/>"),
                        level.view));
    QCOMPARE(level.view.boundsTop(), 1.25e6f);
    QCOMPARE(level.view.boundsRight(), 0.0f);
    QCOMPARE(level.view.boundsLeft(), -4.0f);
    QCOMPARE(level.view.boundsBottom(), 9.0f);
    QCOMPARE(level.view.damping(), 0.5f);
    QVERIFY(level.view.isEnabled());
    QVERIFY(level.view.objectName().isEmpty());
    QVERIFY(level.view.styleSheet().isEmpty());
    QVERIFY(level.view.dynamicPropertyNames().isEmpty());
    QCOMPARE(level.view.extraAttribute(QStringLiteral("level")), QStringLiteral("3"));

    // The rest follows the colours in file order, a gravity that is no point
    // and the widget's own names included; none is written twice.
    level.view.setProperty("bottom", QStringLiteral("7"));
    QCOMPARE(printedElement(level.view),
             QStringLiteral("<view bottom=\"9\" left=\"-4\" top=\"1.25e+06\" right=\"0\" editScale=\"1\" "
                            "topColor=\"#010203\" midColor=\"#64d864\" bottomColor=\"#64f664\" level=\"3\" "
                            "gravity=\"1\" visible=\"false\" enabled=\"false\" objectName=\"x\" "
                            "styleSheet=\"*{}\"/>"));
}

void TestLevelRoot::missingColoursKeepTheDefaults_data()
{
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<QString>("written");

    const QString defaults = QStringLiteral("topColor=\"#64c464\" midColor=\"#64d864\" bottomColor=\"#64f664\"");
    QTest::newRow("none") << QString() << defaults;
    QTest::newRow("top only") << QStringLiteral("topColor=\"#102030\"")
                              << QStringLiteral("topColor=\"#102030\" midColor=\"#64d864\" bottomColor=\"#64f664\"");
    QTest::newRow("no colour") << QStringLiteral("topColor=\"\" midColor=\"nonsense\" bottomColor=\"#12\"")
                               << defaults;
    QTest::newRow("all") << QStringLiteral("topColor=\"#000000\" midColor=\"#ffffff\" bottomColor=\"#010101\"")
                         << QStringLiteral("topColor=\"#000000\" midColor=\"#ffffff\" bottomColor=\"#010101\"");
}

void TestLevelRoot::missingColoursKeepTheDefaults()
{
    QFETCH(QString, attributes);
    QFETCH(QString, written);
    Level level;
    QVERIFY(readElement(QStringLiteral("<view %1/>").arg(attributes), level.view));
    QVERIFY(level.view.topColor().isValid() && level.view.midColor().isValid() && level.view.bottomColor().isValid());
    QCOMPARE(printedElement(level.view),
             QStringLiteral("<view bottom=\"0\" left=\"0\" top=\"360\" right=\"540\" editScale=\"1\" %1/>")
                 .arg(written));
}

void TestLevelRoot::extraAttributesLeaveWithTheLevel_data()
{
    QTest::addColumn<bool>("clearFirst");
    QTest::addColumn<QString>("next");

    QTest::newRow("new level") << false << QString();
    QTest::newRow("clear, then new") << true << QString();
    QTest::newRow("next level opened") << true << QStringLiteral("<view left=\"2\" tag=\"b\"/>");
}

void TestLevelRoot::extraAttributesLeaveWithTheLevel()
{
    QFETCH(bool, clearFirst);
    QFETCH(QString, next);
    Level level;
    QVERIFY(readElement(QStringLiteral("<view author=\"me\" visible=\"false\" _q_mark=\"1\"/>"), level.view));
    QCOMPARE(level.view.extraAttributeNames(), QStringList({"author", "visible", "_q_mark"}));
    QVERIFY(printedElement(level.view).endsWith(QStringLiteral(" author=\"me\" visible=\"false\" _q_mark=\"1\"/>")));
    // An edit in the panel is held as a save writes it.
    level.view.setExtraAttribute(QStringLiteral("author"), QStringLiteral("m\u0001e"));
    QCOMPARE(level.view.extraAttribute(QStringLiteral("author")), QStringLiteral("me"));

    if (clearFirst)
        level.view.clearAll();
    level.view.init();
    if (!next.isEmpty())
        QVERIFY(readElement(next, level.view));

    const QString written = printedElement(level.view);
    QVERIFY2(!written.contains(QStringLiteral("author")) && !written.contains(QStringLiteral("visible"))
                 && !written.contains(QStringLiteral("_q_mark")),
             qPrintable(written));
    QCOMPARE(level.view.extraAttributeNames(), next.isEmpty() ? QStringList() : QStringList({"tag"}));
}

// A level with every kind of item, opened, saved, opened into a fresh canvas and
// saved again: the same level file byte for byte, the same physics file up to ids.
void TestLevelRoot::everyKindSurvivesSavingAndOpening()
{
    QTemporaryDir dir;
    const QString fixture = dir.filePath(QStringLiteral("fixture.kfml"));
    QFile source(testDataPath(QStringLiteral("sprites/level.xml")));
    QVERIFY(source.open(QIODevice::ReadOnly));
    QVERIFY(writeTextFile(fixture, QString::fromUtf8(source.readAll()).replace(QStringLiteral("@DATA@"), dataFolder())));

    const QString first = dir.filePath(QStringLiteral("first.kfml"));
    {
        Level level;
        CircleShapeItem* circle = buildPhysics(level);
        IOTransformer io(encodeText(fixture), &level.context, nullptr);
        io.load(nullptr);
        io.read(level.view);
        QCOMPARE(level.context.undoStack->count(), 0);
        // The sprite at (300, 6) follows the circle.
        GraphicItem* follower = nullptr;
        for (QGraphicsItem* item : level.scene()->items()) {
            if (item->type() == GraphicItemType && item->pos() == QPointF(300, 6))
                follower = static_cast<GraphicItem*>(item);
        }
        QVERIFY(follower);
        circle->syncWithSyncee(follower);
        QVERIFY(saveLevel(level, first));
    }

    const QString second = dir.filePath(QStringLiteral("second.kfml"));
    {
        Level level;
        openLevel(level, first);
        QCOMPARE(level.context.undoStack->count(), 0);
        QCOMPARE(countOfType(level, SpriteSheetItemType), 1);
        QCOMPARE(countOfType(level, GraphicItemType), 5);
        QCOMPARE(countOfType(level, PolyItemType), 2);
        QCOMPARE(countOfType(level, ColorMarkerItemType), 2);
        QCOMPARE(countOfType(level, CircleShapeItemType), 1);
        QCOMPARE(level.view.groupMap()->value(QStringLiteral("actors")).size(), 1);
        QCOMPARE(level.view.groupMap()->value(QStringLiteral("marks")).size(), 1);
        QCOMPARE(constraintCount(level.space()), 9);
        bool followed = false;
        for (QGraphicsItem* item : level.scene()->items()) {
            if (item->type() == GraphicItemType && static_cast<GraphicItem*>(item)->syncPair())
                followed = item->pos() == QPointF(0, 200);
        }
        QVERIFY(followed);
        QVERIFY(saveLevel(level, second));
    }

    const QString firstText = QString::fromUtf8(readAll(first));
    const QString secondText = QString::fromUtf8(readAll(second));
    for (const char* element : {"<item", "<spritesheet", "<fill", "<line", "<path", "<text", "<colorMarker",
                                "shape_id=", "level=\"3\" visible=\"false\" styleSheet=\"x\"", "speed=\"3\"",
                                "uid=\"12\""})
        QVERIFY2(firstText.contains(QLatin1String(element)), element);
    QVERIFY(!firstText.contains(QLatin1String("damping")));
    QCOMPARE(normaliseShapeIds(secondText), normaliseShapeIds(firstText));
    QCOMPARE(normaliseIds(QString::fromUtf8(readAll(second + QStringLiteral(".phyxml")))),
             normaliseIds(QString::fromUtf8(readAll(first + QStringLiteral(".phyxml")))));
}

void TestLevelRoot::sheetsAreReadBeforeSprites()
{
    Level level;
    const QString plist = testDataPath(QStringLiteral("sprites/sheet.plist"));
    QVERIFY(readElement(QStringLiteral("<view><item file=\"x.png\" z=\"5\"/><colorMarker/><unknown/>"
                                       "<spritesheet file=\"%1\" z=\"5\"/></view>").arg(plist),
                        level.view));
    QCOMPARE(countOfType(level, SpriteSheetItemType), 1);
    QCOMPARE(countOfType(level, GraphicItemType), 1);
    // At equal z the scene stacks by reading order: the sheet lies below the sprite.
    const QList<QGraphicsItem*> stacked = level.scene()->items(Qt::AscendingOrder);
    int sheetAt = -1, spriteAt = -1;
    for (int i = 0; i < stacked.size(); ++i) {
        if (stacked[i]->type() == SpriteSheetItemType)
            sheetAt = i;
        if (stacked[i]->type() == GraphicItemType)
            spriteAt = i;
    }
    QVERIFY(sheetAt < spriteAt);
}

QTEST_MAIN(TestLevelRoot)
#include "tst_levelroot.moc"
