#include <QDoubleSpinBox>
#include <QGraphicsScene>
#include <QtTest>

#include <chipmunk/chipmunk.h>

#include "Items/CircleShapeItem.h"
#include "Items/GraphicItem.h"
#include "QPropertyEditorWidget.h"
#include "Views/EditorView.h"

#include "LevelFileText.h"

namespace {

QStringList childNames(const QAbstractItemModel* model, const QModelIndex& parent = QModelIndex())
{
    QStringList names;
    for (int i = 0; i < model->rowCount(parent); ++i)
        names << model->index(i, 0, parent).data().toString();
    return names;
}

QModelIndex valueIndex(const QAbstractItemModel* model, int classRow, const QString& name)
{
    const QModelIndex parent = model->index(classRow, 0);
    const int row = int(childNames(model, parent).indexOf(name));
    return row < 0 ? QModelIndex() : model->index(row, 1, parent);
}

} // namespace

// The panel over the real canvas and a real circle shape on its space.
class TestCanvasProperties : public QObject
{
    Q_OBJECT

private slots:
    void canvasValues();
    void circleShapeRows();
    void extraAttributeRows_data();
    void extraAttributeRows();
};

void TestCanvasProperties::canvasValues()
{
    EditorView view;
    QPropertyEditorWidget panel;
    panel.setObject(&view);
    const QAbstractItemModel* model = panel.model();

    // The Qt view classes declare no user properties.
    QCOMPARE(childNames(model), QStringList({"EditorView"}));
    QCOMPARE(childNames(model, model->index(0, 0)),
             QStringList({"boundsLeft", "boundsBottom", "boundsRight", "boundsTop", "damping", "gravity",
                          "editScale", "topColor", "midColor", "bottomColor"}));
    const QModelIndex gravity = valueIndex(model, 0, "gravity");
    QCOMPARE(gravity.data(), QVariant(QStringLiteral("[ 0, -10]")));
    QVERIFY(panel.model()->setData(gravity, QStringLiteral("1.5 -4")));
    QCOMPARE(cpSpaceGetGravity(view.space()).x, 1.5);
    QCOMPARE(cpSpaceGetGravity(view.space()).y, -4.0);
    QCOMPARE(valueIndex(model, 0, "midColor").data(Qt::EditRole).value<QColor>(), QColor(100, 216, 100));

    // A canvas destroyed while shown leaves an empty panel that still paints.
    auto* doomed = new EditorView;
    panel.setObject(doomed);
    panel.show();
    delete doomed;
    QVERIFY(panel.objects().isEmpty());
    QCOMPARE(model->rowCount(), 0);
    panel.grab();
}

void TestCanvasProperties::circleShapeRows()
{
    EditorView view;
    cpSpace* space = view.space();
    cpBody* body = cpSpaceAddBody(space, cpBodyNew(10, cpMomentForCircle(10, 0, 8, cpvzero)));
    cpShape* shape = cpSpaceAddShape(space, cpCircleShapeNew(body, 8, cpvzero));
    auto* circle = new CircleShapeItem(space, shape);
    view.scene()->addItem(circle);

    QPropertyEditorWidget panel;
    panel.show();
    panel.setObject(circle);
    const QAbstractItemModel* model = panel.model();
    QCOMPARE(childNames(model), QStringList({"ShapeItem", "CircleShapeItem"}));
    const QStringList shapeRows = childNames(model, model->index(0, 0));
    QCOMPARE(shapeRows.mid(0, 3), QStringList({"bodyInSpace", "Mass", "Moment"}));
    QVERIFY(shapeRows.contains("Layer 1"));
    QVERIFY(shapeRows.contains("Layer 32"));
    QVERIFY(!shapeRows.contains("uid"));

    // "uid" is shown once, under the last class row, however often it is refreshed.
    for (int i = 0; i < 3; ++i)
        panel.updateObject(circle);
    QCOMPARE(childNames(model, model->index(1, 0)), QStringList({"Position", "Rotation", "uid"}));
    QCOMPARE(valueIndex(model, 1, "uid").data(), QVariant(-1));
    QCOMPARE(valueIndex(model, 0, "Layer 1").data(), QVariant(QStringLiteral("TRUE")));

    // A step of the mass editor reaches the Chipmunk body at once.
    const QModelIndex mass = valueIndex(model, 0, "Mass");
    panel.setCurrentIndex(mass);
    panel.edit(mass);
    auto* editor = qobject_cast<QDoubleSpinBox*>(panel.indexWidget(mass));
    QVERIFY(editor);
    QCOMPARE(editor->value(), 10.0);
    editor->setValue(42);
    QCOMPARE(cpBodyGetMass(body), 42.0);
    QCOMPARE(mass.data(), QVariant(42.0f));

    // Deleting the shown item empties the panel.
    delete circle;
    QVERIFY(panel.objects().isEmpty());
    QCOMPARE(model->rowCount(), 0);
}

void TestCanvasProperties::extraAttributeRows_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QStringList>("fixed");

    QTest::newRow("canvas") << QStringLiteral("<view author=\"me\" visible=\"false\" _q_mark=\"1\" level=\"3\"/>")
                            << QStringLiteral("EditorView") << QStringList();
    QTest::newRow("sprite") << QStringLiteral("<item file=\"a.png\" author=\"me\" visible=\"false\" _q_mark=\"1\" "
                                              "level=\"3\"/>")
                            << QStringLiteral("GraphicItem") << QStringList({"uid"});
}

// The level's extra attributes are listed after the dynamic rows, as editable
// text, whatever their names; the edit is what the next save writes.
void TestCanvasProperties::extraAttributeRows()
{
    QFETCH(QString, element);
    QFETCH(QString, className);
    QFETCH(QStringList, fixed);
    EditorView view;
    IONode* node = &view;
    QObject* object = &view;
    GraphicItem* sprite = nullptr;
    if (className == QLatin1String("GraphicItem")) {
        sprite = new GraphicItem(nullptr, view.space());
        view.editorScene()->addItem(sprite);
        node = sprite;
        object = sprite;
    }
    QVERIFY(readElement(element, *node));

    QPropertyEditorWidget panel;
    panel.setObject(object);
    panel.show();
    const QAbstractItemModel* model = panel.model();
    const int classRow = int(childNames(model).indexOf(className));
    QVERIFY(classRow >= 0);
    const QStringList rows = childNames(model, model->index(classRow, 0));
    QCOMPARE(rows.mid(rows.size() - fixed.size() - 3), fixed + QStringList({"author", "visible", "level"}));

    const QModelIndex author = valueIndex(model, classRow, "author");
    QCOMPARE(author.data(), QVariant(QStringLiteral("me")));
    QVERIFY(model->flags(author).testFlag(Qt::ItemIsEditable));
    QVERIFY(panel.model()->setData(author, QStringLiteral("you")));
    QCOMPARE(author.data(), QVariant(QStringLiteral("you")));
    panel.updateObject(object);
    QCOMPARE(childNames(model, model->index(classRow, 0)), rows);
    QVERIFY(printedElement(*node).contains(QStringLiteral(" author=\"you\" visible=\"false\" _q_mark=\"1\" level=\"3\"")));
    panel.grab();
}

QTEST_MAIN(TestCanvasProperties)
#include "tst_canvasproperties.moc"
