#include "KFLevelEditor.h"

#include <QAbstractItemDelegate>
#include <QCloseEvent>
#include <QCursor>
#include <QGraphicsItem>
#include <QIcon>
#include <QKeyEvent>
#include <QLayout>
#include <QPixmap>
#include <QStandardItemModel>
#include <QUndoStack>

#include "Actions/ActionModel.h"
#include "Actions/ActionView.h"
#include "CCActionManager.h"
#include "Items/ColorMarkerItem.h"
#include "Items/GradientItem.h"
#include "Items/GraphicItem.h"
#include "Items/LineItem.h"
#include "Items/PathItem.h"
#include "Items/PolyItem.h"
#include "Items/TextItem.h"
#include "Items/item.h"
#include "Models/GroupModel.h"
#include "Models/SpriteListModel.h"
#include "QPropertyEditorWidget.h"
#include "Settings.h"
#include "Tools/ItemTools.h"
#include "Tools/JointTools.h"
#include "Tools/ShapeTools.h"
#include "Tools/cpMouseTool.h"
#include "Views/AnimationEditor.h"
#include "Views/EditorView.h"
#include "Views/SpriteListView.h"

KFLevelEditor::KFLevelEditor(QWidget* parent)
    : QMainWindow(parent)
{
    Settings settings;
    ui.setupUi(this);
    ui.toolBox->layout()->setSpacing(6);
    // Qt delivers no drag events to a window that does not ask for them.
    setAcceptDrops(true);
    restoreState(settings.mainWindowState(), 0);

    EditorView* canvas = ui.editorView;
    canvas->scale(1, -1);
    context.view = canvas;

    animationEditor = new AnimationEditor(this);
    animationEditor->setWindowOpacity(1.0);
    animationEditor->hide();

    ui.magnifierView->setScene(canvas->editorScene());
    ui.magnifierView->scale(4, -4);
    ui.magnifierView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui.magnifierView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // While the simulation runs every body moves each tick. Gathering each
    // moved item's rectangle into one region costs more the more items move,
    // and painting then tests every item against that region; one rectangle
    // around them (the whole of the small magnifier) costs the same for any count.
    ui.magnifierView->setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
    canvas->setViewportUpdateMode(QGraphicsView::BoundingRectViewportUpdate);

    connect(canvas, &EditorView::hoverPointChanged, this, &KFLevelEditor::hoverPointChanged);
    connect(ui.actionUndo, &QAction::triggered, context.undoStack, &QUndoStack::undo);
    connect(ui.actionRedo, &QAction::triggered, context.undoStack, &QUndoStack::redo);

    canvas->setLevelEditor(this);
    canvas->setContext(&context);
    canvas->setStatusBar(statusBar());

    auto* groupModel = new GroupModel(canvas->groupMap(), ui.groupView);
    ui.groupView->setModel(groupModel);
    connect(canvas, &EditorView::groupUpdated, groupModel, &GroupModel::groupUpdated);
    connect(canvas, &EditorView::groupsReset, groupModel, &GroupModel::groupsReset);

    ui.historyList->setStack(context.undoStack);
    ui.historyList->setEmptyLabel(tr("<Start>"));
    ui.propertyEditor->setObject(canvas);
    ui.spriteListView->setEditorView(canvas);
    ui.actionList->setModel(makeActionList(ui.actionList));
    ui.sceneTreeView->setModel(&sceneModel);

    connect(canvas->editorScene(), &QGraphicsScene::selectionChanged, this, &KFLevelEditor::sceneSelectionChanged);
    connect(canvas, &EditorView::toolCompleted, this, &KFLevelEditor::toolCompleted);
    connect(canvas, &EditorView::objectUpdated, this, &KFLevelEditor::objectUpdated);
    // The scene tree follows the edits that can change it, never the scene's
    // change signal: a connection to that signal makes Qt repaint item by item,
    // and would rebuild the tree on every physics tick.
    connect(context.undoStack, &QUndoStack::indexChanged, this, &KFLevelEditor::sceneStructureChanged);
    connect(context.undoStack, &QUndoStack::indexChanged, this, &KFLevelEditor::historyChanged);
    connect(context.undoStack, &QUndoStack::cleanChanged, this, &KFLevelEditor::historyChanged);
    connect(canvas, &EditorView::toolCompleted, this, &KFLevelEditor::sceneStructureChanged);
    connect(canvas, &EditorView::groupsReset, this, &KFLevelEditor::sceneStructureChanged);
    connect(&sceneModel, &SceneModel::listedItemDestroyed, this, &KFLevelEditor::sceneStructureChanged);
    // An edit in the property panel may rename or restack its item.
    connect(ui.propertyEditor->itemDelegate(), &QAbstractItemDelegate::commitData, this,
            &KFLevelEditor::sceneStructureChanged);
    canvas->installEventFilter(this);
    canvas->viewport()->installEventFilter(this);
    connect(ui.spriteListView, &SpriteListView::toolSelected, this, &KFLevelEditor::setCurrentTool);
    connect(ui.showPhysicsCheckBox, &QCheckBox::toggled, this, &KFLevelEditor::showPhysicsToggled);
    connect(ui.sceneTreeView->selectionModel(), &QItemSelectionModel::currentChanged, &sceneModel, &SceneModel::select);

    CCActionManager::get()->start();

    ui.pointerAction->setStatusTip(QString());
    connect(ui.pointerAction, &QAction::triggered, this, &KFLevelEditor::pointerClicked);
    const QString polyTip = tr("Click anywhere on screen to drop a polygon and then use it's nodes to shape it");
    setUpToolAction(ui.TextItemAction, tr("Drop a text item"), new TextItemTool(canvas));
    setUpToolAction(ui.physicsPointerAction, QString(), new cpMouseTool(canvas));
    setUpToolAction(ui.cpCircleAction, QString(), new CircleTool(canvas));
    setUpToolAction(ui.cpSegmentAction, QString(), new SegmentTool(canvas));
    setUpToolAction(ui.cpPolygonAction, QString(), new PolyTool(canvas));
    setUpToolAction(ui.cpPinAction, QString(), new PinJointTool(canvas));
    setUpToolAction(ui.cpSpringAction, QString(), new SpringJointTool(canvas));
    setUpToolAction(ui.cpPivotAction, QString(), new PivotJointTool(canvas));
    setUpToolAction(ui.cpMotorAction, QString(), new MotorJointTool(canvas));
    setUpToolAction(ui.cpSlideAction, QString(), new SlideJointTool(canvas));
    setUpToolAction(ui.cpGearAction, tr("Click and drag to create a Gear Joint, connect ends to shapes"),
                    new GearJointTool(canvas));
    setUpToolAction(ui.cpGrooveAction, tr("Click and drag to create a Groove Joint, connect ends to shapes"),
                    new GrooveJointTool(canvas));
    setUpToolAction(ui.cpRotarySpringAction,
                    tr("Click and drag to create a Rotary Spring Joint, connect ends to shapes"),
                    new RotarySpringJointTool(canvas));
    setUpToolAction(ui.cpRotaryLimitAction, QString(), new RotaryLimitJointTool(canvas));
    setUpToolAction(ui.polyToolAction, polyTip, new PolyItemTool(canvas, false));
    setUpToolAction(ui.polyFanToolAction, polyTip, new PolyItemTool(canvas, true));
    setUpToolAction(ui.lineToolAction, tr("Click and drag to create a straight line"), new LineItemTool(canvas));
    setUpToolAction(ui.pathToolAction, tr("Click and drag to create a straight line"), new PathItemTool(canvas));
    setUpToolAction(ui.gradientToolAction, tr("Click to drop a gradient"), new GradientItemTool(canvas));
    setUpToolAction(ui.colorMarkerActionTool, tr("Click to drop a color marker"), new ColorMarkerTool(canvas));

    connect(ui.exportColorMappingAction, &QAction::triggered, this, &KFLevelEditor::exportColorMapping);
}

KFLevelEditor::~KFLevelEditor()
{
    // Running previews hold sprites of this level; the scheduler outlives the window.
    CCActionManager::get()->removeAllActions();
    EditorView* canvas = ui.editorView;
    canvas->setCurrentTool(nullptr);
    // A tool may still hold engine objects (the physics pointer's drag joint),
    // which it gives back while the space exists.
    tools.clear();
    ui.propertyEditor->setObject(nullptr);
    // Items read the context and the panels' models in their destructors, and
    // both go before the window's child widgets do.
    canvas->clearAll();
    canvas->setLevelEditor(nullptr);
}

void KFLevelEditor::setUpToolAction(QAction* action, const QString& statusTip, AbstractItemTool* tool)
{
    tools.emplace_back(tool);
    action->setStatusTip(statusTip);
    action->setData(QVariant::fromValue<AbstractItemTool*>(tool));
    connect(action, &QAction::triggered, this, &KFLevelEditor::toolButtonClicked);
}

void KFLevelEditor::showStatus(const QString& message)
{
    statusBar()->showMessage(message);
}

void KFLevelEditor::closeEvent(QCloseEvent* event)
{
    Settings settings;
    settings.setMainWindowState(saveState(0));
    QWidget::closeEvent(event);
}

bool KFLevelEditor::eventFilter(QObject* watched, QEvent* event)
{
    // Releasing the mouse ends drags that re-parent or glue items, and these
    // keys delete items or add vertex handles.
    if (watched == ui.editorView->viewport()) {
        if (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::Drop)
            sceneStructureChanged();
    } else if (watched == ui.editorView && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Delete || key == Qt::Key_Backspace || key == Qt::Key_Control)
            sceneStructureChanged();
    }
    return QMainWindow::eventFilter(watched, event);
}

void KFLevelEditor::sceneStructureChanged()
{
    m_treeOutdated = true;
    postPanelUpdate();
}

// A select-all or a deletion of many selected items changes the selection once
// per item; the panels follow once, when the batch is done.
void KFLevelEditor::sceneSelectionChanged()
{
    m_selectionOutdated = true;
    postPanelUpdate();
}

void KFLevelEditor::historyChanged()
{
    if (ui.historyList->stack())
        ui.historyList->setStack(nullptr);
    m_historyOutdated = true;
    postPanelUpdate();
}

void KFLevelEditor::postPanelUpdate()
{
    if (m_panelUpdatePosted)
        return;
    m_panelUpdatePosted = true;
    QMetaObject::invokeMethod(this, &KFLevelEditor::updatePanels, Qt::QueuedConnection);
}

void KFLevelEditor::updatePanels()
{
    m_panelUpdatePosted = false;
    if (m_treeOutdated) {
        m_treeOutdated = false;
        updateSceneTree();
    }
    if (m_selectionOutdated) {
        m_selectionOutdated = false;
        updateSelectionPanels();
    }
    if (m_historyOutdated) {
        m_historyOutdated = false;
        ui.historyList->setStack(context.undoStack);
    }
}

void KFLevelEditor::updateSceneTree()
{
    EditorScene* scene = ui.editorView->editorScene();
    sceneModel.updateModelWithScene(scene, scene->sceneRect());
    ui.sceneTreeView->expandAll();
    // The rebuilt tree has no current row; the selection's first item gets it back.
    const QList<QGraphicsItem*> selected = scene->selectedItems();
    if (!selected.isEmpty() && propertiesType(ItemType(selected.first()->type())))
        ui.sceneTreeView->setCurrentIndex(sceneModel.indexForItem(selected.first()));
}

void KFLevelEditor::updateSelectionPanels()
{
    EditorView* canvas = ui.editorView;
    const QList<QGraphicsItem*> selected = canvas->editorScene()->selectedItems();
    QObject* shown = canvas;
    ActionModel* actions = nullptr;
    if (!selected.isEmpty()) {
        QGraphicsItem* first = selected.first();
        if (propertiesType(ItemType(first->type()))) {
            shown = dynamic_cast<QObject*>(first);
            ui.sceneTreeView->setCurrentIndex(sceneModel.indexForItem(first));
        }
        if (first->type() == GraphicItemType)
            actions = static_cast<GraphicItem*>(first)->actionModel();
    }
    ui.propertyEditor->setObject(shown);
    ui.actionEditor->setModel(actions);
    ui.actionEditor->setEnabled(actions != nullptr);
    ui.actionEditor->expandAll();
    // The tree marks selected rows.
    ui.sceneTreeView->viewport()->update();
}

void KFLevelEditor::objectUpdated(QObject* object)
{
    ui.propertyEditor->updateObject(object);
}

void KFLevelEditor::hoverPointChanged(QPointF scenePt)
{
    ui.magnifierView->centerOn(scenePt);
}

void KFLevelEditor::toolButtonClicked()
{
    auto* action = qobject_cast<QAction*>(sender());
    if (!action)
        return;
    auto* tool = action->data().value<AbstractItemTool*>();
    if (!tool)
        return;
    ui.editorView->setCurrentTool(tool);
    ui.editorView->setCursor(QCursor(action->icon().pixmap(16, 16, QIcon::Normal, QIcon::Off), -1, -1));
}

void KFLevelEditor::pointerClicked()
{
    ui.editorView->setCurrentTool(nullptr);
    ui.editorView->setCursor(Qt::ArrowCursor);
}

void KFLevelEditor::toolCompleted()
{
    auto* physicsPointer = ui.physicsPointerAction->data().value<AbstractItemTool*>();
    if (ui.editorView->currentTool() != physicsPointer)
        pointerClicked();
}

void KFLevelEditor::setCurrentTool(AbstractItemTool* tool)
{
    ui.editorView->setCurrentTool(tool);
}

void KFLevelEditor::on_physicsButton_clicked(bool checked)
{
    if (checked) {
        ui.editorView->startPhysics();
        ui.physicsButton->setIcon(QIcon(QStringLiteral(":/images/pause.png")));
    } else {
        ui.editorView->stopPhysics();
        ui.physicsButton->setIcon(QIcon(QStringLiteral(":/images/play.png")));
    }
}

void KFLevelEditor::showPhysicsToggled(bool checked)
{
    for (QGraphicsItem* item : ui.editorView->editorScene()->items()) {
        const ItemType type = ItemType(item->type());
        if (shapeType(type) || jointType(type))
            item->setVisible(checked);
    }
}

namespace {

// The sprite whose actions the action editor shows, when the guard of Play and
// Stop holds: the editor shows an action model that has an owner, and the
// first selected item is a sprite.
GraphicItem* previewTarget(QAbstractItemView* actionEditor, QGraphicsScene* scene)
{
    auto* model = dynamic_cast<ActionModel*>(actionEditor->model());
    if (!model || !model->QObject::parent())
        return nullptr;
    const QList<QGraphicsItem*> selected = scene->selectedItems();
    if (selected.isEmpty() || selected.first()->type() != GraphicItemType)
        return nullptr;
    return static_cast<GraphicItem*>(selected.first());
}

} // namespace

void KFLevelEditor::on_actionPlayButton_clicked(bool)
{
    // The action editor shows what is selected now.
    updatePanels();
    GraphicItem* sprite = previewTarget(ui.actionEditor, ui.editorView->editorScene());
    if (!sprite)
        return;
    auto* model = dynamic_cast<ActionModel*>(ui.actionEditor->model());
    CCActionManager::get()->removeAllActionsFromTarget(sprite);
    for (CCAction* action : model->actions())
        CCActionManager::get()->addAction(action, sprite, false);
}

void KFLevelEditor::on_actionStopButton_clicked(bool)
{
    updatePanels();
    if (GraphicItem* sprite = previewTarget(ui.actionEditor, ui.editorView->editorScene()))
        CCActionManager::get()->removeAllActionsFromTarget(sprite);
}

void KFLevelEditor::on_plusProperty_clicked()
{
}

void KFLevelEditor::on_minusProperty_clicked()
{
}
