#include <QAction>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QDockWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolBox>
#include <QToolButton>
#include <QTreeView>
#include <QUndoStack>
#include <QUndoView>
#include <QtTest>

#include <functional>
#include <memory>

#include "Actions/ActionModel.h"
#include "Actions/ActionView.h"
#include "CCActionManager.h"
#include "GuiTestMain.h"
#include "Items/CircleShapeItem.h"
#include "Items/ColorMarkerItem.h"
#include "Items/GraphicItem.h"
#include "Items/item.h"
#include "KFLevelEditor.h"
#include "ui_KFLevelEditor.h"
#include "QPropertyEditorWidget.h"
#include "Settings.h"
#include "SpaceTestSupport.h"
#include "TestSupport.h"
#include "Tools/ShapeTools.h"
#include "Views/EditorView.h"
#include "WindowTestSupport.h"

namespace {

// A sprite of the fixture image placed on the window's canvas.
GraphicItem* addSprite(KFLevelEditor& window, QPointF at)
{
    EditorView* canvas = window.form().editorView;
    auto* sprite = new GraphicItem(int(at.x()), int(at.y()), testDataPath(QStringLiteral("sprites/ball.png")),
                                   canvas->space(), nullptr);
    canvas->editorScene()->addItem(sprite);
    sprite->setPos(at);
    return sprite;
}

CircleShapeItem* addCircle(KFLevelEditor& window, QPointF at)
{
    EditorView* canvas = window.form().editorView;
    auto* circle = new CircleShapeItem(canvas->space(), CircleTool::createDefaultShape(canvas->space(), cpv(at.x(), at.y())));
    canvas->editorScene()->addItem(circle);
    return circle;
}

// Drags the named kind from the window's palette onto the model.
bool dropFromPalette(KFLevelEditor& window, ActionModel* model, const QString& kind)
{
    QAbstractItemModel* palette = window.form().actionList->model();
    for (int row = 0; row < palette->rowCount(); ++row) {
        const QModelIndex index = palette->index(row, 0);
        if (index.data().toString() != kind)
            continue;
        std::unique_ptr<QMimeData> data(palette->mimeData({index}));
        return model->dropMimeData(data.get(), Qt::CopyAction, -1, -1, QModelIndex());
    }
    return false;
}

void clickOnCanvas(KFLevelEditor& window, QPointF scenePt)
{
    EditorView* canvas = window.form().editorView;
    const QPoint at = canvas->mapFromScene(scenePt);
    QTest::mousePress(canvas->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(canvas->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

QString actionLayout(QToolBar* bar)
{
    QStringList names;
    for (QAction* a : bar->actions())
        names << (a->isSeparator() ? QStringLiteral("|") : a->objectName());
    return names.join(QLatin1Char(' '));
}

} // namespace

class TestKFLevelEditor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowAndDocks();
    void actions_data();
    void actions();
    void buttonsAndPanels();
    void constructorWiring();
    void toolsFallBackToThePointer();
    void physicsButtonRunsAndPauses();
    void selectionDrivesThePanels();
    void panelsFollowASelectionBatchOnce();
    void sceneTreeFollowsEdits();
    void historyFollowsABatchOnce();
    void physicsTicksLeaveTheSceneTree();
    void playAndStopASpritesActions();
    void showPhysicsItems();
    void layoutSurvivesARestart();
    void clearAndShutDownWhileEverythingRuns();
};

void TestKFLevelEditor::init()
{
    Settings settings;
    settings.clear();
}

void TestKFLevelEditor::cleanup()
{
    CCActionManager::get()->removeAllActions();
    flushDeletes();
}

void TestKFLevelEditor::windowAndDocks()
{
    KFLevelEditor window;
    QCOMPARE(window.windowTitle(), QStringLiteral("KF Level Editor"));
    QCOMPARE(window.size(), QSize(1161, 792));
    QVERIFY(!window.windowIcon().isNull());
    QVERIFY(window.acceptDrops());

    QStringList docks;
    for (QDockWidget* dock : window.findChildren<QDockWidget*>(QString(), Qt::FindDirectChildrenOnly))
        docks << QStringLiteral("%1:%2").arg(dock->windowTitle()).arg(int(window.dockWidgetArea(dock)));
    QCOMPARE(docks, QStringList({"Tool Box:1", "Property Editor:2", "Action Editor:2", "Visible in Scene:2",
                                 "History:2", "Groups:2", "Magnifier:2"}));
    // Every dock and tool bar has a name, or the stored layout could not restore.
    for (QDockWidget* dock : window.findChildren<QDockWidget*>())
        QVERIFY(!dock->objectName().isEmpty());

    QToolBar* bar = window.findChild<QToolBar*>(QStringLiteral("toolBar"));
    QVERIFY(bar);
    QCOMPARE(window.toolBarArea(bar), Qt::TopToolBarArea);
    QCOMPARE(bar->iconSize(), QSize(16, 16));
    QCOMPARE(actionLayout(bar),
             QStringLiteral("pointerAction physicsPointerAction | cpCircleAction cpSegmentAction cpPolygonAction | "
                            "cpPivotAction cpPinAction cpSpringAction cpGearAction cpMotorAction cpSlideAction "
                            "cpRotarySpringAction cpRotaryLimitAction cpRatchetAction cpGrooveAction | "
                            "lineToolAction TextItemAction polyToolAction polyFanToolAction gradientToolAction "
                            "pathToolAction | colorMarkerActionTool"));
    QCOMPARE(window.form().menuFile->title(), QStringLiteral("File"));
    QCOMPARE(window.form().menuEdit->title(), QStringLiteral("Edit"));
    QCOMPARE(window.form().menuFile->actions(),
             QList<QAction*>({window.form().actionOpen_Project, window.form().exportColorMappingAction}));
    QCOMPARE(window.form().menuEdit->actions(), QList<QAction*>({window.form().actionUndo, window.form().actionRedo}));
}

void TestKFLevelEditor::actions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<QString>("statusTip");
    QTest::addColumn<bool>("hasIcon");
    const QString polyTip = QStringLiteral("Click anywhere on screen to drop a polygon and then use it's nodes to shape it");
    QTest::newRow("open") << "actionOpen_Project" << "Open..." << "Open" << "Ctrl+O" << "" << false;
    QTest::newRow("undo") << "actionUndo" << "Undo" << "Undo" << "Ctrl+Z" << "" << false;
    QTest::newRow("redo") << "actionRedo" << "Redo" << "Redo" << "Ctrl+Shift+Z" << "" << false;
    QTest::newRow("circle") << "cpCircleAction" << "Circle" << "Circle Shape" << "" << "" << true;
    QTest::newRow("rotary spring") << "cpRotarySpringAction" << "Rotary Spring" << "Rotary Spring Action" << ""
                                   << "Click and drag to create a Rotary Spring Joint, connect ends to shapes" << true;
    QTest::newRow("gear") << "cpGearAction" << "Gear" << "Gear Action" << ""
                          << "Click and drag to create a Gear Joint, connect ends to shapes" << true;
    QTest::newRow("groove") << "cpGrooveAction" << "Groove" << "Groove Joint" << ""
                            << "Click and drag to create a Groove Joint, connect ends to shapes" << true;
    QTest::newRow("ratchet") << "cpRatchetAction" << "Ratchet" << "Ratchet Joint" << "" << "" << true;
    QTest::newRow("strip") << "polyToolAction" << "Polygon" << "Polygon" << "" << polyTip << true;
    QTest::newRow("fan") << "polyFanToolAction" << "Polygon Fan" << "Polygon Fan" << "" << polyTip << true;
    QTest::newRow("line") << "lineToolAction" << "Line Tool" << "Line Tool" << ""
                          << "Click and drag to create a straight line" << true;
    QTest::newRow("path") << "pathToolAction" << "Path Tool" << "Path Tool" << ""
                          << "Click and drag to create a straight line" << true;
    QTest::newRow("text") << "TextItemAction" << "Text" << "Text Item" << "" << "Drop a text item" << true;
    QTest::newRow("gradient") << "gradientToolAction" << "Gradient" << "Gradient Tool" << ""
                              << "Click to drop a gradient" << true;
    QTest::newRow("marker") << "colorMarkerActionTool" << "Color Marker Tool" << "Color Marker Tool" << ""
                            << "Click to drop a color marker" << true;
    QTest::newRow("physics pointer") << "physicsPointerAction" << "Physics Pointer" << "Drag shapes with this pointer"
                                     << "" << "" << true;
    QTest::newRow("export") << "exportColorMappingAction" << "Export Color Mapping" << "Export Color Mapping" << ""
                            << "" << true;
}

void TestKFLevelEditor::actions()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    QFETCH(QString, shortcut);
    QFETCH(QString, statusTip);
    QFETCH(bool, hasIcon);
    KFLevelEditor window;
    auto* action = window.findChild<QAction*>(name);
    QVERIFY(action);
    QCOMPARE(action->text(), text);
    QCOMPARE(action->toolTip(), toolTip);
    QCOMPARE(action->shortcut(), QKeySequence(shortcut));
    QCOMPARE(action->statusTip(), statusTip);
    QCOMPARE(!action->icon().isNull(), hasIcon);
    QVERIFY(!action->isCheckable());
}

void TestKFLevelEditor::buttonsAndPanels()
{
    KFLevelEditor window;
    Ui_KFLevelEditor& ui = window.form();
    const QList<QPair<QPushButton*, QString>> buttons = {
        {ui.rescaleButton, "Rescale"}, {ui.newButton, "New"},         {ui.clearButton, "Clear"},
        {ui.reloadButton, "Reload"},   {ui.saveButton, "Save"},       {ui.saveAsButton, "Save As..."},
        {ui.openButton, "Open"},       {ui.addToLibrary, "+"},        {ui.deleteObjectButton, "-"},
        {ui.addToSpriteList, "+"},     {ui.removeFromSpriteList, "-"}, {ui.addToAnimationList, "+"},
        {ui.removeFromAnimationList, "-"}, {ui.plusProperty, "+"},   {ui.minusProperty, "-"}};
    for (const auto& b : buttons)
        QCOMPARE(b.first->text(), b.second);
    QVERIFY(ui.physicsButton->isCheckable());
    QVERIFY(!ui.physicsButton->isChecked());
    QVERIFY(!ui.physicsButton->icon().isNull());
    QVERIFY(ui.physicsButton->text().isEmpty());
    QVERIFY(!ui.actionPlayButton->icon().isNull());
    QVERIFY(!ui.actionStopButton->icon().isNull());
    QVERIFY(!ui.label->pixmap().isNull());
    QVERIFY(!ui.actionEditor->isEnabled());
    QCOMPARE(ui.toolBox->currentIndex(), 0);
    QCOMPARE(ui.toolBox->itemText(0), QStringLiteral("Animations"));
    QCOMPARE(ui.toolBox->itemText(1), QStringLiteral("Sprites"));
    QCOMPARE(ui.toolBox->itemText(2), QStringLiteral("Sprite Sheets"));
    QCOMPARE(ui.spriteSheetTabs->count(), 0);
    QCOMPARE(ui.spriteSheetTabs->tabPosition(), QTabWidget::West);
    QCOMPARE(ui.showPhysicsCheckBox->text(), QStringLiteral("Show Physics Items"));
    QVERIFY(!ui.showPhysicsCheckBox->isChecked());
    QVERIFY(ui.sceneTreeView->isHeaderHidden());

    // The "-" buttons and the actions without a command do nothing.
    const int items = ui.editorView->editorScene()->items().size();
    for (QPushButton* b : {ui.deleteObjectButton, ui.removeFromSpriteList, ui.removeFromAnimationList,
                           ui.plusProperty, ui.minusProperty})
        QTest::mouseClick(b, Qt::LeftButton);
    ui.actionOpen_Project->trigger();
    ui.cpRatchetAction->trigger();
    QCOMPARE(ui.editorView->editorScene()->items().size(), items);
    QVERIFY(!ui.editorView->currentTool());
}

void TestKFLevelEditor::constructorWiring()
{
    KFLevelEditor window;
    Ui_KFLevelEditor& ui = window.form();
    EditorView* canvas = ui.editorView;

    // y points up on the canvas, and the magnifier shows the same scene four times larger.
    QCOMPARE(canvas->transform().m22(), -1.0);
    QCOMPARE(ui.magnifierView->scene(), static_cast<QGraphicsScene*>(canvas->editorScene()));
    QCOMPARE(ui.magnifierView->transform().m11(), 4.0);
    QCOMPARE(ui.magnifierView->transform().m22(), -4.0);
    QCOMPARE(canvas->levelEditor(), &window);

    int withTool = 0;
    for (QAction* action : window.findChildren<QAction*>()) {
        if (action->data().value<AbstractItemTool*>()) {
            ++withTool;
            QCOMPARE(action->data().value<AbstractItemTool*>()->editorView(), canvas);
        }
    }
    QCOMPARE(withTool, 20);
    for (QAction* none : {ui.pointerAction, ui.cpRatchetAction, ui.actionOpen_Project})
        QVERIFY(!none->data().value<AbstractItemTool*>());
    QVERIFY(ui.physicsPointerAction->data().value<AbstractItemTool*>() != ui.cpCircleAction->data().value<AbstractItemTool*>());

    QCOMPARE(ui.historyList->stack(), window.undoStack());
    QCOMPARE(ui.historyList->emptyLabel(), QStringLiteral("<Start>"));
    QCOMPARE(ui.propertyEditor->objects(), QList<QObject*>({canvas}));
    QCOMPARE(ui.actionList->model()->rowCount(), 13);
    QCOMPARE(ui.actionList->model()->QObject::parent(), static_cast<QObject*>(ui.actionList));
    QCOMPARE(ui.sceneTreeView->model(), static_cast<QAbstractItemModel*>(&window.sceneTreeModel()));
    QVERIFY(ui.groupView->model());

    // Undo and redo in the Edit menu work the stack the history shows.
    GraphicItem* sprite = addSprite(window, QPointF(0, 0));
    sprite->setProperty("position", QPointF(30, 40));
    QCOMPARE(window.undoStack()->count(), 1);
    ui.actionUndo->trigger();
    QCOMPARE(sprite->pos(), QPointF(0, 0));
    ui.actionRedo->trigger();
    QCOMPARE(sprite->pos(), QPointF(30, 40));
}

void TestKFLevelEditor::toolsFallBackToThePointer()
{
    KFLevelEditor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    Ui_KFLevelEditor& ui = window.form();
    EditorView* canvas = ui.editorView;
    EditorScene* scene = canvas->editorScene();

    auto circles = [scene]() {
        int n = 0;
        for (QGraphicsItem* item : scene->items())
            n += item->type() == CircleShapeItemType ? 1 : 0;
        return n;
    };
    ui.cpCircleAction->trigger();
    QCOMPARE(canvas->currentTool(), ui.cpCircleAction->data().value<AbstractItemTool*>());
    QCOMPARE(canvas->cursor().shape(), Qt::BitmapCursor);
    clickOnCanvas(window, QPointF(0, 0));
    QCOMPARE(circles(), 1);
    QVERIFY(!canvas->currentTool());
    QCOMPARE(canvas->cursor().shape(), Qt::ArrowCursor);
    // Another click places nothing: the tool was used once.
    clickOnCanvas(window, QPointF(100, 0));
    QCOMPARE(circles(), 1);

    ui.physicsPointerAction->trigger();
    AbstractItemTool* pointer = canvas->currentTool();
    QVERIFY(pointer);
    for (int i = 0; i < 2; ++i) {
        const QPoint from = canvas->mapFromScene(QPointF(0, 0));
        QTest::mousePress(canvas->viewport(), Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(canvas->viewport(), from + QPoint(10, 0));
        QTest::mouseRelease(canvas->viewport(), Qt::LeftButton, Qt::NoModifier, from + QPoint(10, 0));
        QCOMPARE(canvas->currentTool(), pointer);
    }
    ui.pointerAction->trigger();
    QVERIFY(!canvas->currentTool());
}

// One click starts the simulation and the next pauses it; each click runs the
// slot once with the button's real state.
void TestKFLevelEditor::physicsButtonRunsAndPauses()
{
    KFLevelEditor window;
    Ui_KFLevelEditor& ui = window.form();
    EditorView* canvas = ui.editorView;
    canvas->setGravity(QPointF(0, -100));
    CircleShapeItem* circle = addCircle(window, QPointF(0, 0));
    const qint64 playIcon = ui.physicsButton->icon().cacheKey();

    QTest::mouseClick(ui.physicsButton, Qt::LeftButton);
    QVERIFY(ui.physicsButton->isChecked());
    QVERIFY(canvas->physicsRunning());
    QVERIFY(ui.physicsButton->icon().cacheKey() != playIcon);
    for (int i = 0; i < 5; ++i)
        QVERIFY(fireTimers(canvas) > 0);
    const qreal fallen = circle->pos().y();
    QVERIFY2(fallen < 0, qPrintable(QString::number(fallen)));

    QTest::mouseClick(ui.physicsButton, Qt::LeftButton);
    QVERIFY(!ui.physicsButton->isChecked());
    QVERIFY(!canvas->physicsRunning());
    fireTimers(canvas);
    QCOMPARE(circle->pos().y(), fallen);
}

void TestKFLevelEditor::selectionDrivesThePanels()
{
    KFLevelEditor window;
    Ui_KFLevelEditor& ui = window.form();
    EditorView* canvas = ui.editorView;
    GraphicItem* sprite = addSprite(window, QPointF(0, 0));
    CircleShapeItem* circle = addCircle(window, QPointF(200, 0));
    window.sceneStructureChanged();

    sprite->setSelected(true);
    settlePanels();
    QCOMPARE(ui.propertyEditor->objects(), QList<QObject*>({sprite}));
    QCOMPARE(ui.actionEditor->model(), static_cast<QAbstractItemModel*>(sprite->actionModel()));
    QVERIFY(ui.actionEditor->isEnabled());
    QCOMPARE(ui.sceneTreeView->currentIndex(), window.sceneTreeModel().indexForItem(sprite));
    QVERIFY(ui.sceneTreeView->currentIndex().isValid());

    sprite->setSelected(false);
    circle->setSelected(true);
    settlePanels();
    QCOMPARE(ui.propertyEditor->objects(), QList<QObject*>({static_cast<QObject*>(circle)}));
    QVERIFY(!ui.actionEditor->model());
    QVERIFY(!ui.actionEditor->isEnabled());

    canvas->editorScene()->clearSelection();
    settlePanels();
    QCOMPARE(ui.propertyEditor->objects(), QList<QObject*>({canvas}));
    QVERIFY(!ui.actionEditor->isEnabled());
}

// Selecting item by item, as a rubber band or a deletion of many selected
// items does, rebuilds the panels once for the whole batch.
void TestKFLevelEditor::panelsFollowASelectionBatchOnce()
{
    KFLevelEditor window;
    Ui_KFLevelEditor& ui = window.form();
    QList<GraphicItem*> sprites;
    for (int i = 0; i < 20; ++i)
        sprites << addSprite(window, QPointF(i * 40, 0));
    window.sceneStructureChanged();
    settlePanels();
    QSignalSpy rebuilt(ui.propertyEditor->model(), &QAbstractItemModel::rowsRemoved);

    for (GraphicItem* sprite : sprites)
        sprite->setSelected(true);
    settlePanels();
    QCOMPARE(rebuilt.size(), 1);
    QCOMPARE(ui.propertyEditor->objects().size(), 1);
    QVERIFY(sprites.contains(static_cast<GraphicItem*>(ui.propertyEditor->objects().first())));
    QVERIFY(ui.actionEditor->isEnabled());

    for (GraphicItem* sprite : sprites) {
        QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        ui.editorView->editorScene()->sendEvent(sprite, &del);
    }
    settlePanels();
    QCOMPARE(rebuilt.size(), 2);
    QCOMPARE(ui.propertyEditor->objects(), QList<QObject*>({ui.editorView}));
    QVERIFY(!ui.actionEditor->isEnabled());
}

// The scene tree shows what the window's roads changed once the batch is
// done: items placed by a tool, deleted and brought back through the undo
// stack, renamed in the property panel, and deleting themselves later.
void TestKFLevelEditor::sceneTreeFollowsEdits()
{
    KFLevelEditor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    Ui_KFLevelEditor& ui = window.form();
    SceneModel& tree = window.sceneTreeModel();
    EditorScene* scene = ui.editorView->editorScene();

    ui.cpCircleAction->trigger();
    clickOnCanvas(window, QPointF(0, 0));
    settlePanels();
    CircleShapeItem* circle = nullptr;
    for (QGraphicsItem* item : scene->items())
        if (item->type() == CircleShapeItemType)
            circle = static_cast<CircleShapeItem*>(item);
    QVERIFY(circle);
    QVERIFY(tree.indexForItem(circle).data().toString().startsWith(QLatin1String("CircleShapeItem")));

    GraphicItem* sprite = addSprite(window, QPointF(100, 0));
    sprite->setObjectName(QStringLiteral("hero"));
    window.sceneStructureChanged();
    settlePanels();
    QCOMPARE(tree.indexForItem(sprite).data().toString(), QStringLiteral("GraphicItem (hero)"));

    sprite->commitDeleteAction();
    settlePanels();
    QVERIFY(!tree.indexForItem(sprite).isValid());
    ui.actionUndo->trigger();
    settlePanels();
    QVERIFY(tree.indexForItem(sprite).isValid());

    // A shape is named after its mass, which is typed into the property panel.
    circle->setSelected(true);
    settlePanels();
    QAbstractItemModel* properties = ui.propertyEditor->model();
    QModelIndex massValue;
    std::function<void(const QModelIndex&)> find = [&](const QModelIndex& parent) {
        for (int row = 0; row < properties->rowCount(parent) && !massValue.isValid(); ++row) {
            const QModelIndex label = properties->index(row, 0, parent);
            if (label.data().toString() == QLatin1String("Mass"))
                massValue = properties->index(row, 1, parent);
            find(label);
        }
    };
    find(QModelIndex());
    QVERIFY(massValue.isValid());
    ui.propertyEditor->setCurrentIndex(massValue);
    ui.propertyEditor->edit(massValue);
    auto* spin = ui.propertyEditor->viewport()->findChild<QDoubleSpinBox*>();
    auto* line = ui.propertyEditor->viewport()->findChild<QLineEdit*>();
    QWidget* editor = spin ? static_cast<QWidget*>(spin) : line;
    QVERIFY(editor);
    if (spin)
        spin->setValue(7);
    else
        line->setText(QStringLiteral("7"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(circle->objectName(), QStringLiteral("mass: 7"));
    settlePanels();
    QCOMPARE(tree.indexForItem(circle).data().toString(), QStringLiteral("CircleShapeItem (mass: 7)"));

    // A colour marker deletes itself once control is back in the event loop.
    auto* marker = new ColorMarkerItem();
    scene->addItem(marker);
    window.sceneStructureChanged();
    settlePanels();
    const int rows = tree.rowCount();
    QVERIFY(tree.indexForItem(marker).isValid());
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    scene->sendEvent(marker, &del);
    flushDeletes();
    settlePanels();
    QCOMPARE(tree.rowCount(), rows - 1);
}

// The history list is laid out once for a batch of commands, and choosing
// one of its rows still moves the stack there.
void TestKFLevelEditor::historyFollowsABatchOnce()
{
    KFLevelEditor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    Ui_KFLevelEditor& ui = window.form();
    QList<GraphicItem*> sprites;
    for (int i = 0; i < 12; ++i)
        sprites << addSprite(window, QPointF(i * 40, 0));
    QAbstractItemModel* history = ui.historyList->model();
    QSignalSpy reset(history, &QAbstractItemModel::modelReset);

    for (GraphicItem* sprite : sprites)
        sprite->commitDeleteAction();
    settlePanels();
    // The first push, letting go of the stack, showing it again: however many commands.
    QVERIFY2(reset.size() <= 3, qPrintable(QString::number(reset.size())));
    QCOMPARE(ui.historyList->stack(), window.undoStack());
    QCOMPARE(history->rowCount(), 13);
    QCOMPARE(ui.historyList->currentIndex().row(), 12);

    ui.historyList->setCurrentIndex(history->index(4, 0));
    settlePanels();
    QCOMPARE(window.undoStack()->index(), 4);
    QCOMPARE(ui.historyList->stack(), window.undoStack());
    QCOMPARE(ui.historyList->currentIndex().row(), 4);
    QVERIFY(sprites.at(5)->scene());
    QVERIFY(!sprites.at(3)->scene());
}

// Live physics moves every body each tick and leaves the tree alone.
void TestKFLevelEditor::physicsTicksLeaveTheSceneTree()
{
    KFLevelEditor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    Ui_KFLevelEditor& ui = window.form();
    ui.editorView->setGravity(QPointF(0, -100));
    CircleShapeItem* circle = addCircle(window, QPointF(0, 0));
    window.sceneStructureChanged();
    QCoreApplication::processEvents();
    QSignalSpy rebuilt(&window.sceneTreeModel(), &QAbstractItemModel::modelReset);

    QTest::mouseClick(ui.physicsButton, Qt::LeftButton);
    for (int i = 0; i < 5; ++i) {
        QVERIFY(fireTimers(ui.editorView) > 0);
        QCoreApplication::processEvents();
    }
    QVERIFY(circle->pos().y() < 0);
    QCOMPARE(rebuilt.size(), 0);
    QTest::mouseClick(ui.physicsButton, Qt::LeftButton);
}

// Play runs the tree from its start on the scheduler; Stop puts the sprite back.
void TestKFLevelEditor::playAndStopASpritesActions()
{
    KFLevelEditor window;
    Ui_KFLevelEditor& ui = window.form();
    GraphicItem* sprite = addSprite(window, QPointF(10, 20));
    QVERIFY(sprite->actionModel());
    QVERIFY(dropFromPalette(window, sprite->actionModel(), QStringLiteral("Rotate By")));

    // Nothing selected: Play does nothing.
    QTest::mouseClick(ui.actionPlayButton, Qt::LeftButton);
    runScheduler(0.5f);
    QCOMPARE(sprite->rotation(), 0.0);

    sprite->setSelected(true);
    QTest::mouseClick(ui.actionPlayButton, Qt::LeftButton);
    runScheduler(0.5f);
    const qreal halfway = sprite->rotation();
    QVERIFY(halfway != 0.0);
    // Play again restarts from the beginning.
    QTest::mouseClick(ui.actionPlayButton, Qt::LeftButton);
    QCOMPARE(sprite->rotation(), 0.0);
    runScheduler(0.5f);
    QCOMPARE(sprite->rotation(), halfway);

    QTest::mouseClick(ui.actionStopButton, Qt::LeftButton);
    QCOMPARE(sprite->rotation(), 0.0);
    runScheduler(0.5f);
    QCOMPARE(sprite->rotation(), 0.0);
    QCOMPARE(sprite->pos(), QPointF(10, 20));
}

void TestKFLevelEditor::showPhysicsItems()
{
    KFLevelEditor window;
    Ui_KFLevelEditor& ui = window.form();
    GraphicItem* sprite = addSprite(window, QPointF(0, 0));
    CircleShapeItem* circle = addCircle(window, QPointF(100, 0));
    ui.showPhysicsCheckBox->setChecked(true);
    ui.showPhysicsCheckBox->setChecked(false);
    QVERIFY(!circle->isVisible());
    QVERIFY(sprite->isVisible());
    ui.showPhysicsCheckBox->setChecked(true);
    QVERIFY(circle->isVisible());
}

// The layout stored at close is the one the next window starts with.
void TestKFLevelEditor::layoutSurvivesARestart()
{
    {
        KFLevelEditor window;
        QVERIFY(Settings().mainWindowState().isEmpty());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.removeDockWidget(window.form().dockWidget_4);
        window.addDockWidget(Qt::LeftDockWidgetArea, window.form().dockWidget_4);
        window.close();
    }
    QVERIFY(!Settings().mainWindowState().isEmpty());
    KFLevelEditor again;
    QCOMPARE(again.dockWidgetArea(again.form().dockWidget_4), Qt::LeftDockWidgetArea);
}

// Clear and the window's end take the running previews off the scheduler and
// end a drag of the physics pointer, so no later tick reaches a freed sprite,
// body or joint (the sanitizer build shows it).
void TestKFLevelEditor::clearAndShutDownWhileEverythingRuns()
{
    auto window = std::make_unique<KFLevelEditor>();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    Ui_KFLevelEditor& ui = window->form();
    EditorView* canvas = ui.editorView;
    for (int round = 0; round < 2; ++round) {
        GraphicItem* sprite = addSprite(*window, QPointF(-100, 0));
        QVERIFY(dropFromPalette(*window, sprite->actionModel(), QStringLiteral("Rotate By")));
        sprite->setSelected(true);
        QTest::mouseClick(ui.actionPlayButton, Qt::LeftButton);
        runScheduler(0.2f);
        addCircle(*window, QPointF(50, 0));
        if (!ui.physicsButton->isChecked())
            QTest::mouseClick(ui.physicsButton, Qt::LeftButton);
        ui.physicsPointerAction->trigger();
        const QPoint at = canvas->mapFromScene(QPointF(50, 0));
        QTest::mousePress(canvas->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseMove(canvas->viewport(), at + QPoint(5, 5));
        fireTimers(canvas);
        if (round == 0) {
            QTest::mouseClick(ui.clearButton, Qt::LeftButton);
            runScheduler(0.2f);
            fireTimers(canvas);
            QCOMPARE(canvas->editorScene()->selectedItems().size(), 0);
        }
    }
    window.reset();
    runScheduler(0.2f);
    flushDeletes();
}

LEVELEDITOR_GUI_TEST_MAIN(TestKFLevelEditor)
#include "tst_kfleveleditor.moc"
