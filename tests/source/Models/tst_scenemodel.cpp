#include <QGraphicsRectItem>
#include <QSignalSpy>
#include <QtTest>

#include "Items/AbstractLineItem.h"
#include "Items/GradientItem.h"
#include "Items/PolyItem.h"
#include "Items/TextItem.h"
#include "Models/SceneModel.h"
#include "Views/EditorScene.h"

class TestSceneModel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void rowsAndTexts();
    void nullScene();
    void selectionColours();
    void selectFromTree();
    void indexForItem();
    void itemGoneBeforeRebuild();
    void listedItemsAnnounceTheirEnd();

private:
    void rebuild() { model->updateModelWithScene(scene, QRectF(-1000, -1000, 2000, 2000)); }
    QString text(int row, const QModelIndex& parent = QModelIndex()) const
    {
        return model->data(model->index(row, 0, parent)).toString();
    }

    EditorScene* scene = nullptr;
    SceneModel* model = nullptr;
    PolyItem* floor = nullptr;   // top-level, named
    TextItem* label = nullptr;   // top-level, unnamed, with a child polygon
    PolyItem* inner = nullptr;
    QGraphicsRectItem* plain = nullptr; // not a Qt object, with an object child
    TriGradientItem* bare = nullptr;    // no meta-object of its own, with a shown child
};

void TestSceneModel::init()
{
    scene = new EditorScene;
    model = new SceneModel;

    floor = new PolyItem(false);
    floor->setObjectName("floor");
    floor->setFlag(QGraphicsItem::ItemIsSelectable);
    floor->addPoint(QPointF(0, 0));
    floor->setZValue(1);
    scene->addItem(floor);

    label = new TextItem;
    label->setPlainText("hello");
    label->setZValue(2);
    scene->addItem(label);
    inner = new PolyItem(true);
    inner->addPoint(QPointF(1, 1));
    inner->setParentItem(label);

    plain = new QGraphicsRectItem(0, 0, 10, 10);
    plain->setZValue(3);
    scene->addItem(plain);
    (new PolyItem(false))->setParentItem(plain);

    bare = new TriGradientItem;
    bare->setRect(QRectF(0, 0, 10, 10));
    bare->setZValue(4);
    scene->addItem(bare);
    auto* shown = new TextItem(bare);
    shown->setObjectName("note");

    // A line node and a childless gradient have no class of their own: no rows.
    scene->addItem(new LineItemNode(nullptr, nullptr));
    auto* lone = new TriGradientItem;
    lone->setRect(QRectF(0, 0, 5, 5));
    scene->addItem(lone);

    rebuild();
}

void TestSceneModel::cleanup()
{
    delete model;
    delete scene;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Top-level rows bottom of the stack first, "Class (name)" or the bare class,
// non-object items gone with their subtree, a nameless class kept only for a
// shown child.
void TestSceneModel::rowsAndTexts()
{
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(model->columnCount(), 1);
    QCOMPARE(text(0), QStringLiteral("PolyItem (floor)"));
    QCOMPARE(text(1), QStringLiteral("TextItem"));
    QCOMPARE(text(2), QStringLiteral("QObject"));

    const QModelIndex labelRow = model->index(1, 0);
    QCOMPARE(model->rowCount(labelRow), 1);
    QCOMPARE(text(0, labelRow), QStringLiteral("PolyItem"));
    QCOMPARE(model->rowCount(model->index(0, 0, labelRow)), 0);
    QCOMPARE(model->columnCount(labelRow), 1);
    QCOMPARE(text(0, model->index(2, 0)), QStringLiteral("TextItem (note)"));

    // Parents lead back up; top-level rows have none.
    const QModelIndex child = model->index(0, 0, labelRow);
    QCOMPARE(model->parent(child), labelRow);
    QVERIFY(!model->parent(labelRow).isValid());
    QVERIFY(!model->index(3, 0).isValid());
    QVERIFY(!model->index(-1, 0).isValid());

    QVERIFY(model->flags(labelRow) & Qt::ItemIsSelectable);
    QVERIFY(!(model->flags(labelRow) & (Qt::ItemIsDragEnabled | Qt::ItemIsEditable)));
    QVERIFY(!model->headerData(0, Qt::Horizontal).isValid());
}

void TestSceneModel::nullScene()
{
    QSignalSpy reset(model, &QAbstractItemModel::modelReset);
    model->updateModelWithScene(nullptr, QRectF(0, 0, 10, 10));
    QCOMPARE(model->rowCount(), 0);
    QCOMPARE(reset.size(), 1);
}

void TestSceneModel::selectionColours()
{
    const QModelIndex row = model->index(0, 0);
    QVERIFY(!model->data(row, Qt::BackgroundRole).isValid());
    QVERIFY(!model->data(row, Qt::ForegroundRole).isValid());
    floor->setSelected(true);
    QCOMPARE(model->data(row, Qt::BackgroundRole).value<QBrush>(), QBrush(QColor(100, 140, 255)));
    QCOMPARE(model->data(row, Qt::ForegroundRole).value<QBrush>(), QBrush(Qt::white));
    QVERIFY(!model->data(model->index(1, 0), Qt::BackgroundRole).isValid());
}

// Choosing a row leaves exactly its item selected and repaints both rows;
// choosing the row of a selected item changes nothing.
void TestSceneModel::selectFromTree()
{
    label->setSelected(true);
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
    const QModelIndex floorRow = model->index(0, 0);
    const QModelIndex labelRow = model->index(1, 0);

    model->select(floorRow, labelRow);
    QCOMPARE(scene->selectedItems(), QList<QGraphicsItem*>{floor});
    QCOMPARE(changed.size(), 2);
    QCOMPARE(changed.at(0).at(0).toModelIndex(), floorRow);
    QCOMPARE(changed.at(1).at(0).toModelIndex(), labelRow);

    model->select(floorRow, QModelIndex());
    QCOMPARE(changed.size(), 2);
    QCOMPARE(scene->selectedItems(), QList<QGraphicsItem*>{floor});

    // An invalid previous index is not announced.
    model->select(labelRow, QModelIndex());
    QCOMPARE(changed.size(), 3);
    QCOMPARE(scene->selectedItems(), QList<QGraphicsItem*>{label});
}

void TestSceneModel::indexForItem()
{
    const QModelIndex found = model->indexForItem(inner);
    QVERIFY(found.isValid());
    QCOMPARE(found, model->index(0, 0, model->index(1, 0)));
    QVERIFY(!model->indexForItem(nullptr).isValid());
    QVERIFY(!model->indexForItem(plain).isValid());
    // A class without its own meta-object is not looked up, even when listed.
    QVERIFY(!model->indexForItem(bare).isValid());
    PolyItem outside(false);
    QVERIFY(!model->indexForItem(&outside).isValid());
}

// Between rebuilds the tree keeps rows of items that have gone: a deleted item
// answers nothing, and one taken out of the scene cannot be selected.
void TestSceneModel::itemGoneBeforeRebuild()
{
    const QModelIndex floorRow = model->index(0, 0);
    const QModelIndex innerRow = model->index(0, 0, model->index(1, 0));
    floor->setSelected(true);
    delete floor;
    floor = nullptr;
    QVERIFY(!model->data(floorRow, Qt::BackgroundRole).isValid());
    QVERIFY(!model->indexForItem(label).parent().isValid());

    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
    model->select(floorRow, QModelIndex());
    QCOMPARE(changed.size(), 0);

    scene->removeItem(label);
    model->select(innerRow, QModelIndex());
    QCOMPARE(changed.size(), 0);
    QVERIFY(scene->selectedItems().isEmpty());
    delete label;
    label = nullptr;

    rebuild();
    QCOMPARE(model->rowCount(), 1);
    QCOMPARE(text(0), QStringLiteral("QObject"));
}

// The owner learns that a row lost its item, once per item however often the
// tree was rebuilt; items the tree does not list say nothing.
void TestSceneModel::listedItemsAnnounceTheirEnd()
{
    rebuild();
    QSignalSpy gone(model, &SceneModel::listedItemDestroyed);
    delete inner;
    inner = nullptr;
    QCOMPARE(gone.size(), 1);
    delete floor;
    floor = nullptr;
    QCOMPARE(gone.size(), 2);

    auto* later = new PolyItem(false);
    scene->addItem(later);
    delete later;
    QCOMPARE(gone.size(), 2);
}

QTEST_MAIN(TestSceneModel)
#include "tst_scenemodel.moc"
