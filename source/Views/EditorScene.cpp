#include "Views/EditorScene.h"

#include <QUndoStack>

EditorContext::EditorContext()
    : undoStack(new QUndoStack(nullptr))
{
}

EditorContext::~EditorContext()
{
    delete undoStack;
}

EditorScene::EditorScene(QObject* parent)
    : QGraphicsScene(parent)
{
}

void EditorScene::setContext(EditorContext* context)
{
    mContext = context;
}

void EditorScene::updatedObject(QObject* object)
{
    emit objectUpdated(object);
}
