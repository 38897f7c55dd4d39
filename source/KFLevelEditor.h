#ifndef KFLEVELEDITOR_H
#define KFLEVELEDITOR_H

#include <QList>
#include <QMainWindow>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <memory>
#include <vector>

#include "Models/SceneModel.h"
#include "Models/SpriteListModel.h" // the sprite lists of the form hand out their models inline
#include "Tools/AbstractItemTool.h"
#include "Views/EditorScene.h"

// Complete types for the pointer parameters of slots.
Q_MOC_INCLUDE("Items/SpriteSheetItem.h")

class AnimationEditor;
class LevelFileController;
class QAction;
class QCloseEvent;
class QDragEnterEvent;
class QDragLeaveEvent;
class QDragMoveEvent;
class QDropEvent;
class SpriteSheetItem;
class Ui_KFLevelEditor;

// The editor's one main window: it builds the form, wires the canvas to the
// undo stack, panels, property editor, action scheduler and tools, and carries
// out the editing and library commands. It owns its form and the controller of
// the level-file commands, which works on the window's canvas and context.
class KFLevelEditor : public QMainWindow
{
    Q_OBJECT

public:
    explicit KFLevelEditor(QWidget* parent = nullptr);
    ~KFLevelEditor() override;

    // The level-file controller's open road and file name, for callers that
    // hold the window.
    void openFile(QString path);
    QString currentFileName() const;
    void addSpriteSheet(QString path);
    void addSprite(QString pixmapKey);

    Ui_KFLevelEditor& form() { return *m_ui; }
    LevelFileController& levelFiles() { return *m_files; }
    SceneModel& sceneTreeModel() { return m_sceneModel; }
    QUndoStack* undoStack() const { return m_context.undoStack; }

    // Brings the scene tree and the selection panels up to date with the scene
    // now, instead of once control is back in the event loop.
    void updatePanels();

public slots:
    void addSpriteSheet(SpriteSheetItem* sheet);
    // Items were added, removed, renamed or restacked: the scene tree follows
    // once per batch. The window's own roads (undo stack, tools, keys, drops,
    // property edits, levels) say so themselves; code that changes the scene
    // directly calls this.
    void sceneStructureChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private slots:
    void addToLibrary();
    void addToSpriteList();
    void addToAnimationList();
    void rescale();
    void runPhysics(bool run);
    void playActions();
    void stopActions();
    void toolButtonClicked();
    void showPhysicsToggled(bool checked);
    void pointerClicked();
    void toolCompleted();
    void objectUpdated(QObject* object);
    void setCurrentTool(AbstractItemTool* tool);
    void sceneSelectionChanged();
    void hoverPointChanged(QPointF scenePt);

private:
    // Stores the tool in the action's data and routes the action's trigger to it.
    void setUpToolAction(QAction* action, const QString& statusTip, AbstractItemTool* tool);
    void connectCommands();
    // The panels and the tool let go of the level's items before they go, and
    // show the fresh level after.
    void releaseLevel();
    void showClearedLevel();
    void showStatus(const QString& message);
    // Asks for one updatePanels() once control is back in the event loop.
    void postPanelUpdate();
    void updateSceneTree();
    void updateSelectionPanels();
    // The history list lays out every row whenever the stack moves; it lets go
    // of the stack at the first change of a batch and shows it again after.
    void historyChanged();

    std::unique_ptr<Ui_KFLevelEditor> m_ui;
    AnimationEditor* m_animationEditor = nullptr;
    SceneModel m_sceneModel;
    EditorContext m_context;
    LevelFileController* m_files = nullptr;
    // What updatePanels() still has to bring up to date, and whether it is asked for.
    bool m_treeOutdated = false;
    bool m_selectionOutdated = false;
    bool m_historyOutdated = false;
    bool m_panelUpdatePosted = false;
    // The tools of the tool-bar actions, which carry them as plain pointers.
    std::vector<std::unique_ptr<AbstractItemTool>> m_tools;
};

#endif // KFLEVELEDITOR_H
