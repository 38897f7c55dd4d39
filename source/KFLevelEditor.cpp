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
#include "LevelFileController.h"
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
#include "ui_KFLevelEditor.h"

KFLevelEditor::KFLevelEditor(QWidget* parent)
    : QMainWindow(parent)
    , m_ui(std::make_unique<Ui_KFLevelEditor>())
{
    Settings settings;
    m_ui->setupUi(this);
    m_ui->toolBox->layout()->setSpacing(6);
    // Qt delivers no drag events to a window that does not ask for them.
    setAcceptDrops(true);
    restoreState(settings.mainWindowState(), 0);

    EditorView* canvas = m_ui->editorView;
    canvas->scale(1, -1);
    m_context.view = canvas;

    m_animationEditor = new AnimationEditor(this);
    m_animationEditor->setWindowOpacity(1.0);
    m_animationEditor->hide();

    m_ui->magnifierView->setScene(canvas->editorScene());
    m_ui->magnifierView->scale(4, -4);
    m_ui->magnifierView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_ui->magnifierView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // While the simulation runs every body moves each tick. Gathering each
    // moved item's rectangle into one region costs more the more items move,
    // and painting then tests every item against that region; one rectangle
    // around them (the whole of the small magnifier) costs the same for any count.
    m_ui->magnifierView->setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
    canvas->setViewportUpdateMode(QGraphicsView::BoundingRectViewportUpdate);

    connect(canvas, &EditorView::hoverPointChanged, this, &KFLevelEditor::hoverPointChanged);
    connect(m_ui->actionUndo, &QAction::triggered, m_context.undoStack, &QUndoStack::undo);
    connect(m_ui->actionRedo, &QAction::triggered, m_context.undoStack, &QUndoStack::redo);

    canvas->setLevelEditor(this);
    canvas->setContext(&m_context);
    canvas->setStatusBar(statusBar());

    auto* groupModel = new GroupModel(canvas->groupMap(), m_ui->groupView);
    m_ui->groupView->setModel(groupModel);
    connect(canvas, &EditorView::groupUpdated, groupModel, &GroupModel::groupUpdated);
    connect(canvas, &EditorView::groupsReset, groupModel, &GroupModel::groupsReset);

    m_ui->historyList->setStack(m_context.undoStack);
    m_ui->historyList->setEmptyLabel(tr("<Start>"));
    m_ui->propertyEditor->setObject(canvas);
    m_ui->spriteListView->setEditorView(canvas);
    m_ui->actionList->setModel(makeActionList(m_ui->actionList));
    m_ui->sceneTreeView->setModel(&m_sceneModel);
    // Every row is one line of icon and name. Without this, finding a row
    // lays out the text of every row above it, on each selection change.
    m_ui->sceneTreeView->setUniformRowHeights(true);

    connect(canvas->editorScene(), &QGraphicsScene::selectionChanged, this, &KFLevelEditor::sceneSelectionChanged);
    connect(canvas, &EditorView::toolCompleted, this, &KFLevelEditor::toolCompleted);
    connect(canvas, &EditorView::objectUpdated, this, &KFLevelEditor::objectUpdated);
    // The scene tree follows the edits that can change it, never the scene's
    // change signal: a connection to that signal makes Qt repaint item by item,
    // and would rebuild the tree on every physics tick.
    connect(m_context.undoStack, &QUndoStack::indexChanged, this, &KFLevelEditor::sceneStructureChanged);
    connect(m_context.undoStack, &QUndoStack::indexChanged, this, &KFLevelEditor::historyChanged);
    connect(m_context.undoStack, &QUndoStack::cleanChanged, this, &KFLevelEditor::historyChanged);
    connect(canvas, &EditorView::toolCompleted, this, &KFLevelEditor::sceneStructureChanged);
    connect(canvas, &EditorView::groupsReset, this, &KFLevelEditor::sceneStructureChanged);
    connect(&m_sceneModel, &SceneModel::listedItemDestroyed, this, &KFLevelEditor::sceneStructureChanged);
    // An edit in the property panel may rename or restack its item.
    connect(m_ui->propertyEditor->itemDelegate(), &QAbstractItemDelegate::commitData, this,
            &KFLevelEditor::sceneStructureChanged);
    canvas->installEventFilter(this);
    canvas->viewport()->installEventFilter(this);
    connect(m_ui->spriteListView, &SpriteListView::toolSelected, this, &KFLevelEditor::setCurrentTool);
    connect(m_ui->showPhysicsCheckBox, &QCheckBox::toggled, this, &KFLevelEditor::showPhysicsToggled);
    connect(m_ui->sceneTreeView->selectionModel(), &QItemSelectionModel::currentChanged, &m_sceneModel, &SceneModel::select);

    CCActionManager::get()->start();

    m_ui->pointerAction->setStatusTip(QString());
    connect(m_ui->pointerAction, &QAction::triggered, this, &KFLevelEditor::pointerClicked);
    const QString polyTip = tr("Click anywhere on screen to drop a polygon and then use it's nodes to shape it");
    setUpToolAction(m_ui->TextItemAction, tr("Drop a text item"), new TextItemTool(canvas));
    setUpToolAction(m_ui->physicsPointerAction, QString(), new cpMouseTool(canvas));
    setUpToolAction(m_ui->cpCircleAction, QString(), new CircleTool(canvas));
    setUpToolAction(m_ui->cpSegmentAction, QString(), new SegmentTool(canvas));
    setUpToolAction(m_ui->cpPolygonAction, QString(), new PolyTool(canvas));
    setUpToolAction(m_ui->cpPinAction, QString(), new PinJointTool(canvas));
    setUpToolAction(m_ui->cpSpringAction, QString(), new SpringJointTool(canvas));
    setUpToolAction(m_ui->cpPivotAction, QString(), new PivotJointTool(canvas));
    setUpToolAction(m_ui->cpMotorAction, QString(), new MotorJointTool(canvas));
    setUpToolAction(m_ui->cpSlideAction, QString(), new SlideJointTool(canvas));
    setUpToolAction(m_ui->cpGearAction, tr("Click and drag to create a Gear Joint, connect ends to shapes"),
                    new GearJointTool(canvas));
    setUpToolAction(m_ui->cpGrooveAction, tr("Click and drag to create a Groove Joint, connect ends to shapes"),
                    new GrooveJointTool(canvas));
    setUpToolAction(m_ui->cpRotarySpringAction,
                    tr("Click and drag to create a Rotary Spring Joint, connect ends to shapes"),
                    new RotarySpringJointTool(canvas));
    setUpToolAction(m_ui->cpRotaryLimitAction, QString(), new RotaryLimitJointTool(canvas));
    setUpToolAction(m_ui->polyToolAction, polyTip, new PolyItemTool(canvas, false));
    setUpToolAction(m_ui->polyFanToolAction, polyTip, new PolyItemTool(canvas, true));
    setUpToolAction(m_ui->lineToolAction, tr("Click and drag to create a straight line"), new LineItemTool(canvas));
    setUpToolAction(m_ui->pathToolAction, tr("Click and drag to create a straight line"), new PathItemTool(canvas));
    setUpToolAction(m_ui->gradientToolAction, tr("Click to drop a gradient"), new GradientItemTool(canvas));
    setUpToolAction(m_ui->colorMarkerActionTool, tr("Click to drop a color marker"), new ColorMarkerTool(canvas));

    m_files = new LevelFileController(canvas, &m_context, this);
    connectCommands();
}

// Every button and menu command of the form is connected here and only here.
void KFLevelEditor::connectCommands()
{
    connect(m_files, &LevelFileController::aboutToClear, this, &KFLevelEditor::releaseLevel);
    connect(m_files, &LevelFileController::cleared, this, &KFLevelEditor::showClearedLevel);
    connect(m_files, &LevelFileController::openFinished, this, &KFLevelEditor::sceneSelectionChanged);
    connect(m_files, &LevelFileController::statusMessage, this, &KFLevelEditor::showStatus);

    connect(m_ui->newButton, &QPushButton::clicked, m_files, &LevelFileController::newLevel);
    connect(m_ui->clearButton, &QPushButton::clicked, m_files, &LevelFileController::clearLevel);
    connect(m_ui->openButton, &QPushButton::clicked, m_files, &LevelFileController::open);
    connect(m_ui->reloadButton, &QPushButton::clicked, m_files, &LevelFileController::reload);
    connect(m_ui->saveButton, &QPushButton::clicked, m_files, &LevelFileController::save);
    connect(m_ui->saveAsButton, &QPushButton::clicked, m_files, &LevelFileController::saveAs);
    connect(m_ui->exportColorMappingAction, &QAction::triggered, m_files, &LevelFileController::exportColorMapping);

    connect(m_ui->addToLibrary, &QPushButton::clicked, this, &KFLevelEditor::addToLibrary);
    connect(m_ui->addToSpriteList, &QPushButton::clicked, this, &KFLevelEditor::addToSpriteList);
    connect(m_ui->addToAnimationList, &QPushButton::clicked, this, &KFLevelEditor::addToAnimationList);
    connect(m_ui->rescaleButton, &QPushButton::clicked, this, &KFLevelEditor::rescale);
    connect(m_ui->physicsButton, &QToolButton::clicked, this, &KFLevelEditor::runPhysics);
    connect(m_ui->actionPlayButton, &QToolButton::clicked, this, &KFLevelEditor::playActions);
    connect(m_ui->actionStopButton, &QToolButton::clicked, this, &KFLevelEditor::stopActions);
}

void KFLevelEditor::openFile(QString path)
{
    m_files->openFile(path);
}

QString KFLevelEditor::currentFileName() const
{
    return m_files->fileName();
}

void KFLevelEditor::releaseLevel()
{
    // A sheet's placing tool would keep a deleted sheet.
    pointerClicked();
    m_ui->propertyEditor->setObject(nullptr);
    m_ui->actionEditor->setModel(nullptr);
    m_ui->actionEditor->setEnabled(false);
}

void KFLevelEditor::showClearedLevel()
{
    m_ui->propertyEditor->setObject(m_ui->editorView);
    // The tab widget forgets its pages without deleting them.
    while (m_ui->spriteSheetTabs->count() > 0) {
        QWidget* page = m_ui->spriteSheetTabs->widget(0);
        m_ui->spriteSheetTabs->removeTab(0);
        delete page;
    }
    m_ui->spriteListView->clear();
}

KFLevelEditor::~KFLevelEditor()
{
    // Running previews hold sprites of this level; the scheduler outlives the window.
    CCActionManager::get()->removeAllActions();
    EditorView* canvas = m_ui->editorView;
    canvas->setCurrentTool(nullptr);
    // A tool may still hold engine objects (the physics pointer's drag joint),
    // which it gives back while the space exists.
    m_tools.clear();
    m_ui->propertyEditor->setObject(nullptr);
    // Items read the context and the panels' models in their destructors, and
    // both go before the window's child widgets do.
    canvas->clearAll();
    canvas->setLevelEditor(nullptr);
}

void KFLevelEditor::setUpToolAction(QAction* action, const QString& statusTip, AbstractItemTool* tool)
{
    m_tools.emplace_back(tool);
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
    if (watched == m_ui->editorView->viewport()) {
        if (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::Drop)
            sceneStructureChanged();
    } else if (watched == m_ui->editorView && event->type() == QEvent::KeyPress) {
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
    if (m_ui->historyList->stack())
        m_ui->historyList->setStack(nullptr);
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
        m_ui->historyList->setStack(m_context.undoStack);
    }
}

void KFLevelEditor::updateSceneTree()
{
    EditorScene* scene = m_ui->editorView->editorScene();
    m_sceneModel.updateModelWithScene(scene, scene->sceneRect());
    m_ui->sceneTreeView->expandAll();
    // The rebuilt tree has no current row; the selection's first item gets it back.
    const QList<QGraphicsItem*> selected = scene->selectedItems();
    if (!selected.isEmpty() && propertiesType(ItemType(selected.first()->type())))
        m_ui->sceneTreeView->setCurrentIndex(m_sceneModel.indexForItem(selected.first()));
}

void KFLevelEditor::updateSelectionPanels()
{
    EditorView* canvas = m_ui->editorView;
    const QList<QGraphicsItem*> selected = canvas->editorScene()->selectedItems();
    QObject* shown = canvas;
    ActionModel* actions = nullptr;
    if (!selected.isEmpty()) {
        QGraphicsItem* first = selected.first();
        if (propertiesType(ItemType(first->type()))) {
            shown = dynamic_cast<QObject*>(first);
            m_ui->sceneTreeView->setCurrentIndex(m_sceneModel.indexForItem(first));
        }
        if (first->type() == GraphicItemType)
            actions = static_cast<GraphicItem*>(first)->actionModel();
    }
    m_ui->propertyEditor->setObject(shown);
    m_ui->actionEditor->setModel(actions);
    m_ui->actionEditor->setEnabled(actions != nullptr);
    m_ui->actionEditor->expandAll();
    // The tree marks selected rows.
    m_ui->sceneTreeView->viewport()->update();
}

void KFLevelEditor::objectUpdated(QObject* object)
{
    m_ui->propertyEditor->updateObject(object);
}

void KFLevelEditor::hoverPointChanged(QPointF scenePt)
{
    m_ui->magnifierView->centerOn(scenePt);
}

void KFLevelEditor::toolButtonClicked()
{
    auto* action = qobject_cast<QAction*>(sender());
    if (!action)
        return;
    auto* tool = action->data().value<AbstractItemTool*>();
    if (!tool)
        return;
    m_ui->editorView->setCurrentTool(tool);
    m_ui->editorView->setCursor(QCursor(action->icon().pixmap(16, 16, QIcon::Normal, QIcon::Off), -1, -1));
}

void KFLevelEditor::pointerClicked()
{
    m_ui->editorView->setCurrentTool(nullptr);
    m_ui->editorView->setCursor(Qt::ArrowCursor);
}

void KFLevelEditor::toolCompleted()
{
    auto* physicsPointer = m_ui->physicsPointerAction->data().value<AbstractItemTool*>();
    if (m_ui->editorView->currentTool() != physicsPointer)
        pointerClicked();
}

void KFLevelEditor::setCurrentTool(AbstractItemTool* tool)
{
    m_ui->editorView->setCurrentTool(tool);
}

void KFLevelEditor::runPhysics(bool run)
{
    if (run) {
        m_ui->editorView->startPhysics();
        m_ui->physicsButton->setIcon(QIcon(QStringLiteral(":/images/pause.png")));
    } else {
        m_ui->editorView->stopPhysics();
        m_ui->physicsButton->setIcon(QIcon(QStringLiteral(":/images/play.png")));
    }
}

void KFLevelEditor::showPhysicsToggled(bool checked)
{
    for (QGraphicsItem* item : m_ui->editorView->editorScene()->items()) {
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

void KFLevelEditor::playActions()
{
    // The action editor shows what is selected now.
    updatePanels();
    GraphicItem* sprite = previewTarget(m_ui->actionEditor, m_ui->editorView->editorScene());
    if (!sprite)
        return;
    auto* model = dynamic_cast<ActionModel*>(m_ui->actionEditor->model());
    CCActionManager::get()->removeAllActionsFromTarget(sprite);
    for (CCAction* action : model->actions())
        CCActionManager::get()->addAction(action, sprite, false);
}

void KFLevelEditor::stopActions()
{
    updatePanels();
    if (GraphicItem* sprite = previewTarget(m_ui->actionEditor, m_ui->editorView->editorScene()))
        CCActionManager::get()->removeAllActionsFromTarget(sprite);
}
