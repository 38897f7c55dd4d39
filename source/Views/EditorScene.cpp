#include "Views/EditorScene.h"

#include <QGraphicsItem>
#include <QUndoStack>

EditorContext::EditorContext()
    : undoStack(new QUndoStack(nullptr))
{
}

EditorContext::~EditorContext()
{
    for (const QPointer<EditorScene>& scene : m_scenes) {
        if (scene && scene->context() == this)
            scene->setContext(nullptr);
    }
    delete undoStack;
}

const EditorScene* EditorContext::canvasScene() const
{
    if (!view)
        return nullptr;
    for (const QPointer<EditorScene>& scene : m_scenes) {
        if (scene && scene->m_canvas == view)
            return scene;
    }
    return nullptr;
}

cpSpace* EditorContext::space() const
{
    const EditorScene* scene = canvasScene();
    return scene ? scene->m_space : nullptr;
}

GroupRegistry* EditorContext::groups() const
{
    const EditorScene* scene = canvasScene();
    return scene ? scene->m_groups : nullptr;
}

EditorScene::EditorScene(QObject* parent)
    : QGraphicsScene(parent)
{
}

void EditorScene::setContext(EditorContext* context)
{
    m_context = context;
    if (context && !context->m_scenes.contains(this))
        context->m_scenes.append(this);
}

GroupRegistry* EditorScene::groupsOf(const QGraphicsItem* item)
{
    EditorScene* s = item ? qobject_cast<EditorScene*>(item->scene()) : nullptr;
    if (!s || !s->context())
        return nullptr;
    return s->context()->groups();
}

void EditorScene::setCanvasSpace(EditorView* canvas, cpSpace* space)
{
    m_canvas = canvas;
    m_space = space;
}

void EditorScene::setCanvasGroups(GroupRegistry* groups)
{
    m_groups = groups;
}

void EditorScene::updatedObject(QObject* object)
{
    emit objectUpdated(object);
}

void EditorScene::showMessage(const QString& text)
{
    emit messageShown(text);
}
