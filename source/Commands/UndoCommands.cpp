#include "Commands/UndoCommands.h"

#include <QGraphicsItem>
#include <QGraphicsScene>

UndoItemRef::UndoItemRef(QGraphicsItem* item)
    : m_item(item)
    , m_object(dynamic_cast<QObject*>(item))
    , m_watched(m_object != nullptr)
{
}

MoveCommand::MoveCommand(QGraphicsItem* item, QPointF oldPos, QPointF newPos)
    : ValueCommand(MoveCommandId, item, oldPos, newPos,
                   [](QGraphicsItem* target, const QPointF& pos) { target->setPos(pos); }, false)
{
}

RotateCommand::RotateCommand(QGraphicsItem* item, float oldRotation, float newRotation)
    : ValueCommand(RotateCommandId, item, oldRotation, newRotation,
                   [](QGraphicsItem* target, const float& degrees) { target->setRotation(degrees); }, true)
{
}

ScaleCommand::ScaleCommand(QGraphicsItem* item, float oldScale, float newScale)
    : ValueCommand(ScaleCommandId, item, oldScale, newScale,
                   [](QGraphicsItem* target, const float& scale) { target->setScale(scale); }, true)
{
}

OpacityCommand::OpacityCommand(QGraphicsItem* item, float oldOpacity, float newOpacity)
    : ValueCommand(OpacityCommandId, item, oldOpacity, newOpacity,
                   [](QGraphicsItem* target, const float& opacity) { target->setOpacity(opacity); }, true)
{
}

// ---------------------------------------------------------------------------

DeleteCommand::DeleteCommand(QGraphicsItem* item)
    : item(item)
    , parent(item->parentItem())
    , scene(item->scene())
{
}

DeleteCommand::~DeleteCommand()
{
    // Only a deletion still in force owns the item. An undone one must leave it
    // alone: a later deletion of the same item may already hold it out of the scene.
    QGraphicsItem* target = item.get();
    if (m_inForce && target && !target->scene())
        delete target;
}

void DeleteCommand::redo()
{
    QGraphicsItem* target = item.get();
    if (!target)
        return;
    target->setParentItem(nullptr);
    if (scene && target->scene() == scene)
        scene->removeItem(target);
    m_inForce = true;
}

void DeleteCommand::undo()
{
    QGraphicsItem* target = item.get();
    if (!target)
        return;
    // A parent destroyed meanwhile cannot take the item back; the scene it was
    // in still can.
    if (QGraphicsItem* host = parent.get())
        target->setParentItem(host);
    else if (scene)
        scene->addItem(target);
    m_inForce = false;
}

bool DeleteCommand::mergeWith(const QUndoCommand*)
{
    return false;
}
