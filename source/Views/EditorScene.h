#ifndef EDITORSCENE_H
#define EDITORSCENE_H

#include <QGraphicsScene>
#include <QList>
#include <QPointer>

class EditorScene;
class EditorView;
class GroupRegistry;
class QGraphicsItem;
class QUndoStack;
typedef struct cpSpace cpSpace;

// Ties the canvas to the level's undo stack. Held by the main window; items reach
// it through EditorScene::context(). Owns the undo stack.
class EditorContext
{
public:
    EditorContext();
    ~EditorContext();
    EditorContext(const EditorContext&) = delete;
    EditorContext& operator=(const EditorContext&) = delete;

    EditorView* view = nullptr;   // the canvas, not owned; set by the main window
    QUndoStack* undoStack = nullptr;

    // The canvas's space, or null without a canvas or before its level is set
    // up. Kept here so that readers below the canvas need not include it.
    cpSpace* space() const;
    // The canvas's group registry, found the same way.
    GroupRegistry* groups() const;

private:
    friend class EditorScene;
    // The scene of the canvas, where the canvas's space and groups are kept.
    const EditorScene* canvasScene() const;
    // Scenes that hand this context out. The main window frees the context
    // before its canvas, whose scene then still deletes items that look up
    // the context: a dying context leaves those scenes without one.
    QList<QPointer<EditorScene> > m_scenes;
};

// The level's scene. It carries the editor context for the items in it, and
// forwards item updates to the property panel through objectUpdated.
class EditorScene : public QGraphicsScene
{
    Q_OBJECT
public:
    explicit EditorScene(QObject* parent = nullptr);

    void setContext(EditorContext* context);
    EditorContext* context() const { return m_context; }

    // The group registry of the canvas of the scene the item is in, or null
    // (no scene, no context, no canvas).
    static GroupRegistry* groupsOf(const QGraphicsItem* item);

    // Called by the canvas that shows this scene whenever its space changes;
    // the canvas owns the space.
    void setCanvasSpace(EditorView* canvas, cpSpace* space);
    // Called once by that canvas, which owns the registry.
    void setCanvasGroups(GroupRegistry* groups);

    // Called by items after their properties changed by dragging or by keys.
    void updatedObject(QObject* object);
    // A message for the user from an item; the canvas shows it.
    void showMessage(const QString& text);

signals:
    void objectUpdated(QObject* object);
    void messageShown(const QString& text);

private:
    friend class EditorContext;
    EditorContext* m_context = nullptr; // not owned
    EditorView* m_canvas = nullptr;     // not owned
    cpSpace* m_space = nullptr;         // the canvas's, not owned
    GroupRegistry* m_groups = nullptr;  // the canvas's, not owned
};

#endif // EDITORSCENE_H
