#include "Views/EditorScene.h"

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

void EditorScene::updatedObject(QObject* object)
{
    emit objectUpdated(object);
}
