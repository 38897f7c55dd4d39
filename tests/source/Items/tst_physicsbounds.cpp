// Every physics setter at the edge of what it accepts, and just past it: an
// accepted value must come back from a save and reopen, a refused one must
// leave the old value. Steps run after each reopen, so a value the engine
// cannot take ends this program, not the others.

#include <QGraphicsScene>
#include <QLineF>
#include <QPicture>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>

#include "GuiTestMain.h"
#include "LevelFixture.h"
#include "Items/CircleShapeItem.h"
#include "Items/ConstraintItem.h"
#include "Items/GrooveJointItem.h"
#include "Items/JointItems.h"
#include "Items/ShapeItem.h"
#include "Items/item.h"
#include "PhysicsReaderHelper.h"
#include "Tools/ShapeTools.h"
#include "Views/EditorView.h"
#include "cpCompat.h"
#include "cpSpaceSerializer.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();

CircleShapeItem* addCircle(EditorView& view, QPointF at)
{
    auto* item = new CircleShapeItem(view.space(), CircleTool::createDefaultShape(view.space(), cpv(at.x(), at.y())),
                                     nullptr);
    view.editorScene()->addItem(item);
    return item;
}

// A circle, or for a joint kind two circles 100 apart with the joint between
// their centres; the object whose property the row sets.
QObject* buildLevel(EditorView& view, const QString& kind)
{
    CircleShapeItem* a = addCircle(view, QPointF(0, 0));
    if (kind == QLatin1String("circle"))
        return a;
    if (kind == QLatin1String("canvas"))
        return &view;
    addCircle(view, QPointF(100, 0));
    const QPointF p(0, 0);
    const QPointF q(100, 0);
    if (kind == QLatin1String("pin"))
        return drawJoint<PinJointItem>(view, p, q);
    if (kind == QLatin1String("slide"))
        return drawJoint<SlideJointItem>(view, p, q);
    if (kind == QLatin1String("pivot"))
        return drawJoint<PivotJointItem>(view, p, q);
    if (kind == QLatin1String("groove"))
        return drawJoint<GrooveJointItem>(view, p, q);
    if (kind == QLatin1String("motor"))
        return drawJoint<MotorJointItem>(view, p, q);
    if (kind == QLatin1String("gear"))
        return drawJoint<GearJointItem>(view, p, q);
    if (kind == QLatin1String("spring"))
        return drawJoint<SpringJointItem>(view, p, q);
    if (kind == QLatin1String("rotarySpring"))
        return drawJoint<RotarySpringJointItem>(view, p, q);
    if (kind == QLatin1String("rotaryLimit"))
        return drawJoint<RotaryLimitJointItem>(view, p, q);
    return nullptr;
}

// The reopened counterpart: the canvas, the circle or the joint.
QObject* findReopened(EditorView& view, const QString& kind)
{
    if (kind == QLatin1String("canvas"))
        return &view;
    for (QGraphicsItem* item : view.editorScene()->items()) {
        const bool wanted = kind == QLatin1String("circle") ? item->type() == CircleShapeItemType
                                                            : jointType(ItemType(item->type()));
        if (wanted)
            return dynamic_cast<QObject*>(item);
    }
    return nullptr;
}

QString text(const QVariant& v)
{
    if (v.typeId() == QMetaType::QPointF)
        return QStringLiteral("(%1, %2)").arg(v.toPointF().x()).arg(v.toPointF().y());
    return v.toString();
}

// The file keeps six significant digits.
bool sameAsWritten(const QVariant& loaded, const QVariant& kept)
{
    const auto close = [](double a, double b) {
        return a == b || std::fabs(a - b) <= 5e-6 * std::max(std::fabs(a), std::fabs(b)) + 1e-9;
    };
    if (kept.typeId() == QMetaType::QPointF)
        return close(loaded.toPointF().x(), kept.toPointF().x()) && close(loaded.toPointF().y(), kept.toPointF().y());
    return close(loaded.toDouble(), kept.toDouble());
}

bool sameValue(const QVariant& a, const QVariant& b)
{
    if (a.typeId() == QMetaType::QPointF)
        return a.toPointF() == b.toPointF();
    return a.toFloat() == b.toFloat();
}

void loadInto(EditorView& view, const QString& path)
{
    PhysicsReaderHelper helper(&view);
    cpSpaceSerializer reader(&helper);
    reader.load(view.space(), QFile::encodeName(path).constData());
}

} // namespace

class TestPhysicsBounds : public QObject
{
    Q_OBJECT

private slots:
    void settersAgreeWithTheFile_data();
    void settersAgreeWithTheFile();
    void jointsFarFromTheOriginStaySolvable_data();
    void jointsFarFromTheOriginStaySolvable();
    void slimmedBodyReleasesItsPivot();
    void longJointLinesPaintOnlyTheirVisiblePart();
};

void TestPhysicsBounds::settersAgreeWithTheFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("accepted");

    const auto row = [](const char* name, const char* kind, const char* property, const QVariant& value, bool accepted) {
        QTest::newRow(name) << QString::fromLatin1(kind) << QByteArray(property) << value << accepted;
    };
    const float big = 1e9f;
    const float past = 1.01e9f;
    const QPointF farPoint(big, -big);
    const QPointF pastPoint(past, 0);

    row("mass max", "circle", "Mass", 1e15f, true);
    row("mass past max", "circle", "Mass", 1.1e15f, false);
    row("mass min", "circle", "Mass", 1.01e-9f, true);
    row("mass past min", "circle", "Mass", 0.9e-9f, false);
    row("moment max", "circle", "Moment", 1e15f, true);
    row("moment past max", "circle", "Moment", 1.1e15f, false);
    row("velocity max", "circle", "Velocity", farPoint, true);
    row("velocity past max", "circle", "Velocity", pastPoint, false);
    row("force max", "circle", "Force", farPoint, true);
    row("force past max", "circle", "Force", pastPoint, false);
    row("position max", "circle", "Position", farPoint, true);
    row("position past max", "circle", "Position", pastPoint, false);
    row("rotation past max", "circle", "Rotation", 6e10f, false);
    row("elasticity max", "circle", "Elasticity", 100.0f, true);
    row("elasticity past max", "circle", "Elasticity", 101.0f, false);
    row("elasticity negative", "circle", "Elasticity", -0.5f, false);
    row("friction max", "circle", "Friction", 1e4f, true);
    row("friction past max", "circle", "Friction", 1.01e4f, false);
    row("gravity max", "canvas", "gravity", QPointF(1e6, -1e6), true);
    row("gravity past max", "canvas", "gravity", QPointF(0, 1.01e6), false);
    row("damping max", "canvas", "damping", 1.0f, true);
    row("damping past max", "canvas", "damping", 1.01f, false);

    row("pin length max", "pin", "length", big, true);
    row("pin length past max", "pin", "length", past, false);
    row("pin length negative", "pin", "length", -big, false);
    row("pin anchor max", "pin", "anchor1", farPoint, true);
    row("pin anchor past max", "pin", "anchor1", pastPoint, false);
    row("slide max", "slide", "maxLength", big, true);
    row("slide min negative", "slide", "minLength", -1.0f, false);
    row("spring rest length max", "spring", "restLength", big, true);
    row("spring rest length negative", "spring", "restLength", -5.0f, false);
    row("spring stiffness max", "spring", "stiffness", big, true);
    row("spring stiffness past max", "spring", "stiffness", past, false);
    row("spring damping past max", "spring", "damping", past, false);
    row("motor rate max", "motor", "rate", -big, true);
    row("motor rate past max", "motor", "rate", past, false);
    row("gear ratio min", "gear", "ratio", 1.01e-9f, true);
    row("gear ratio past min", "gear", "ratio", 0.9e-9f, false);
    row("gear ratio max", "gear", "ratio", -big, true);
    row("gear ratio past max", "gear", "ratio", past, false);
    row("gear ratio zero", "gear", "ratio", 0.0f, false);
    row("gear phase past max", "gear", "phase", past, false);
    row("rotary spring rest angle max", "rotarySpring", "restAngle", big, true);
    row("rotary spring stiffness negative", "rotarySpring", "stiffness", -1.0f, false);
    row("rotary limit max", "rotaryLimit", "maxAngle", 5.7e10f, true);
    row("rotary limit past max", "rotaryLimit", "maxAngle", 5.8e10f, false);
    row("error bias max", "pin", "errorBias", 1.0f, true);
    row("error bias past max", "pin", "errorBias", 1.01f, false);
    row("max force no number", "pin", "maxForce", kNaN, false);
    // A pivot or groove anchor far out on a light, slim body leaves the solver
    // a determinant that cancels to 0: refused while the joint is bound.
    row("pivot anchor near", "pivot", "anchor1", QPointF(1e4, 0), true);
    row("pivot anchor unsolvable", "pivot", "anchor1", QPointF(1e9, 0), false);
    row("pivot world point unsolvable", "pivot", "worldPoint", QPointF(5e8, 5e8), false);
    row("groove end near", "groove", "groove2", QPointF(0, 1e4), true);
    row("groove end unsolvable", "groove", "groove2", QPointF(0, 1e9), false);
    row("groove without length", "groove", "groove2", QPointF(0, 0), false);
    row("groove anchor unsolvable", "groove", "anchor2", QPointF(1e9, 0), false);
}

void TestPhysicsBounds::settersAgreeWithTheFile()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, property);
    QFETCH(QVariant, value);
    QFETCH(bool, accepted);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bounds.phyxml"));
    QVariant kept;
    {
        EditorView view;
        QObject* target = buildLevel(view, kind);
        QVERIFY(target);
        if (auto* joint = qobject_cast<ConstraintItem*>(target))
            QVERIFY(cpSpaceContainsConstraint(view.space(), joint->constraint()));
        const QVariant before = target->property(property.constData());
        QVERIFY(before.isValid());
        target->setProperty(property.constData(), value);
        // The body follows a moved or turned drawing, as after an edit in the panel.
        if (auto* shape = qobject_cast<ShapeItem*>(target))
            shape->adjustShape();
        kept = target->property(property.constData());
        if (accepted)
            QVERIFY2(sameValue(kept, value), qPrintable(text(kept)));
        else
            QVERIFY2(sameValue(kept, before), qPrintable(text(kept)));
        for (int i = 0; i < 3; ++i)
            cpSpaceStep(view.space(), EditorView::physicsStep);
        // What the steps made of the value is what the file must give back.
        if (auto* shape = qobject_cast<ShapeItem*>(target))
            shape->adjust();
        kept = target->property(property.constData());
        QVERIFY(cpSpaceSerializer().save(view.space(), QFile::encodeName(path).constData()));
    }

    EditorView reopened;
    loadInto(reopened, path);
    QObject* again = findReopened(reopened, kind);
    QVERIFY(again);
    if (auto* joint = qobject_cast<ConstraintItem*>(again))
        QVERIFY(cpSpaceContainsConstraint(reopened.space(), joint->constraint()));
    const QVariant loaded = again->property(property.constData());
    QVERIFY2(sameAsWritten(loaded, kept),
             qPrintable(QStringLiteral("%1 came back as %2").arg(text(kept), text(loaded))));
    for (int i = 0; i < 3; ++i)
        cpSpaceStep(reopened.space(), EditorView::physicsStep);
}

void TestPhysicsBounds::jointsFarFromTheOriginStaySolvable_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("pivot") << 0;
    QTest::newRow("groove") << 1;
    QTest::newRow("pin") << 2;
}

// A joint drawn from a shape that lies far from its light body's origin (a
// file may place it so) to empty space: the anchor on that body is far out,
// and the pivot's or groove's 2x2 mass cancels to 0 in the next step.
void TestPhysicsBounds::jointsFarFromTheOriginStaySolvable()
{
    QFETCH(int, kind);
    EditorView view;
    cpSpace* space = view.space();
    cpBody* body = cpSpaceAddBody(space, cpBodyNew(1, 1));
    cpShape* shape = cpSpaceAddShape(space, cpCircleShapeNew(body, 10, cpv(5e8, 5e8)));
    view.editorScene()->addItem(new CircleShapeItem(space, shape, nullptr));
    const QPointF from(5e8 + 3, 5e8);
    const QPointF to(5e8 + 60, 5e8 + 40);
    ConstraintItem* joint = kind == 0 ? static_cast<ConstraintItem*>(drawJoint<PivotJointItem>(view, from, to))
        : kind == 1                   ? static_cast<ConstraintItem*>(drawJoint<GrooveJointItem>(view, from, to))
                                      : drawJoint<PinJointItem>(view, from, to);
    QVERIFY(joint);
    cpConstraint* c = joint->constraint();
    QCOMPARE(cpConstraintGetBodyA(c) == body || cpConstraintGetBodyB(c) == body, true);
    // A pin solves one value at a time and can take it; the others stay unbound.
    QCOMPARE(cpSpaceContainsConstraint(space, c), kind == 2);
    for (int i = 0; i < 5; ++i)
        cpSpaceStep(space, EditorView::physicsStep);
}

// A pivot anchored far off a body's centre can be solved while the body is
// hard to turn; a moment made small afterwards takes the pivot out of the
// space, as binding it then would have been refused.
void TestPhysicsBounds::slimmedBodyReleasesItsPivot()
{
    EditorView view;
    auto* circle = static_cast<CircleShapeItem*>(buildLevel(view, QStringLiteral("circle")));
    addCircle(view, QPointF(100, 0));
    ConstraintItem* pivot = drawJoint<PivotJointItem>(view, QPointF(0, 0), QPointF(100, 0));
    pivot->setProperty("anchor1", QPointF(3e3, 3e3));
    QCOMPARE(pivot->property("anchor1").toPointF(), QPointF(3e3, 3e3));
    QVERIFY(cpSpaceContainsConstraint(view.space(), pivot->constraint()));

    circle->setProperty("Moment", 2e-9f);
    QCOMPARE(circle->property("Moment").toFloat(), 2e-9f);
    QVERIFY(!cpSpaceContainsConstraint(view.space(), pivot->constraint()));
    for (int i = 0; i < 5; ++i)
        cpSpaceStep(view.space(), EditorView::physicsStep);
}

// Bodies flung apart stretch a joint line far past the view; painting it whole
// takes the painter minutes, so only the exposed part is handed to it.
void TestPhysicsBounds::longJointLinesPaintOnlyTheirVisiblePart()
{
    EditorView view;
    ConstraintItem* joint = drawJoint<PinJointItem>(view, QPointF(0, 0), QPointF(100, 0));
    auto* line = dynamic_cast<AbstractLineJointItem*>(joint);
    QVERIFY(line);
    line->setLine(QLineF(QPointF(-1e9, 0), QPointF(1e9, 0)));

    QStyleOptionGraphicsItem option;
    option.exposedRect = QRectF(-50, -50, 100, 100);
    QPicture picture;
    QPainter painter(&picture);
    line->paint(&painter, &option, nullptr);
    painter.end();
    QVERIFY(!picture.boundingRect().isEmpty());
    QVERIFY2(QRectF(-100, -100, 200, 200).contains(QRectF(picture.boundingRect())),
             qPrintable(QStringLiteral("%1 wide").arg(picture.boundingRect().width())));

    // A short line is painted as it is.
    line->setLine(QLineF(QPointF(-10, 0), QPointF(10, 0)));
    QPicture small;
    QPainter smallPainter(&small);
    line->paint(&smallPainter, &option, nullptr);
    smallPainter.end();
    QVERIFY(small.boundingRect().width() >= 20);
}

LEVELEDITOR_GUI_TEST_MAIN(TestPhysicsBounds)
#include "tst_physicsbounds.moc"
