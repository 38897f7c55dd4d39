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
#include "ui_KFLevelEditor.h"

// Complete types for the pointer parameters of slots.
Q_MOC_INCLUDE("Items/SpriteSheetItem.h")

class AnimationEditor;
class QAction;
class QCloseEvent;
class QDragEnterEvent;
class QDragLeaveEvent;
class QDragMoveEvent;
class QDropEvent;
class SpriteSheetItem;

// The editor's one main window: it builds the form, wires the canvas to the
// undo stack, panels, property editor, action scheduler and tools, and carries
// out the file and editing commands. The level file it works on is fileName
// (empty while the level is untitled).
class KFLevelEditor : public QMainWindow
{
    Q_OBJECT

public:
    explicit KFLevelEditor(QWidget* parent = nullptr);
    ~KFLevelEditor() override;

    // The open road for one level file (also used by Reload and by dropped files).
    void openFile(QString path);
    void addSpriteSheet(QString path);
    void addSprite(QString pixmapKey);

    QString currentFileName() const { return fileName; }
    Ui_KFLevelEditor& form() { return ui; }
    SceneModel& sceneTreeModel() { return sceneModel; }
    QUndoStack* undoStack() const { return context.undoStack; }

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
    void on_saveButton_clicked();
    void on_saveAsButton_clicked();
    void on_openButton_clicked();
    void on_addToLibrary_clicked();
    void on_addToSpriteList_clicked();
    void on_addToAnimationList_clicked();
    void on_newButton_clicked();
    void on_reloadButton_clicked();
    void on_rescaleButton_clicked();
    void on_plusProperty_clicked();
    void on_minusProperty_clicked();
    void on_physicsButton_clicked(bool checked);
    void on_actionPlayButton_clicked(bool checked);
    void on_actionStopButton_clicked(bool checked);
    void on_clearButton_clicked();
    void toolButtonClicked();
    void exportColorMapping();
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
    // Writes the level and its physics file to fileName; the reason of a failure
    // goes to the status bar.
    bool saveLevel();
    // The first local path among the drag's first 32 URLs that names a level file.
    static QString droppedLevel(const QMimeData* data);
    void showStatus(const QString& message);
    // Asks for one updatePanels() once control is back in the event loop.
    void postPanelUpdate();
    void updateSceneTree();
    void updateSelectionPanels();
    // The history list lays out every row whenever the stack moves; it lets go
    // of the stack at the first change of a batch and shows it again after.
    void historyChanged();

    Ui_KFLevelEditor ui;
    AnimationEditor* animationEditor = nullptr;
    SceneModel sceneModel;
    EditorContext context;
    QString fileName;
    // What updatePanels() still has to bring up to date, and whether it is asked for.
    bool m_treeOutdated = false;
    bool m_selectionOutdated = false;
    bool m_historyOutdated = false;
    bool m_panelUpdatePosted = false;
    // The tools of the tool-bar actions, which carry them as plain pointers.
    std::vector<std::unique_ptr<AbstractItemTool>> tools;
};

#endif // KFLEVELEDITOR_H
