#include "Views/EditorScene.h"

#include <QGraphicsItem>
#include <QUndoStack>

EditorContext::EditorContext()
    : undoStack(new QUndoStack(nullptr))
{
}

EditorContext::~EditorContext()
{
    for (const QPointer<EditorScene>& scene : mScenes) {
        if (scene && scene->context() == this)
            scene->setContext(nullptr);
    }
    delete undoStack;
}

cpSpace* EditorContext::space() const
{
    if (!view)
        return nullptr;
    for (const QPointer<EditorScene>& scene : mScenes) {
        if (scene && scene->mCanvas == view)
            return scene->mSpace;
    }
    return nullptr;
}

EditorScene::EditorScene(QObject* parent)
    : QGraphicsScene(parent)
{
}

void EditorScene::setContext(EditorContext* context)
{
    mContext = context;
    if (context && !context->mScenes.contains(this))
        context->mScenes.append(this);
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
    mCanvas = canvas;
    mSpace = space;
}

void EditorScene::updatedObject(QObject* object)
{
    emit objectUpdated(object);
}
