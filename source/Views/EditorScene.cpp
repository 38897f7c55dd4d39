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

cpSpace* EditorContext::space() const
{
    if (!view)
        return nullptr;
    for (const QPointer<EditorScene>& scene : m_scenes) {
        if (scene && scene->m_canvas == view)
            return scene->m_space;
    }
    return nullptr;
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

EditorView* EditorScene::canvasOf(const QGraphicsItem* item)
{
    EditorScene* s = item ? qobject_cast<EditorScene*>(item->scene()) : nullptr;
    if (!s || !s->context())
        return nullptr;
    return s->context()->view;
}

void EditorScene::setCanvasSpace(EditorView* canvas, cpSpace* space)
{
    m_canvas = canvas;
    m_space = space;
}

void EditorScene::updatedObject(QObject* object)
{
    emit objectUpdated(object);
}
