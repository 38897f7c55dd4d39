#include "Commands/UndoCommands.h"

#include <QGraphicsItem>
#include <QGraphicsScene>

UndoItemRef::UndoItemRef(QGraphicsItem* item)
    : mItem(item)
    , mObject(dynamic_cast<QObject*>(item))
    , mWatched(mObject != nullptr)
{
}

MoveCommand::MoveCommand(QGraphicsItem* item, QPointF oldPos, QPointF newPos)
    : item(item), oldPos(oldPos), newPos(newPos)
{
}

void MoveCommand::undo()
{
    if (QGraphicsItem* target = item.get())
        target->setPos(oldPos);
}

void MoveCommand::redo()
{
    if (QGraphicsItem* target = item.get())
        target->setPos(newPos);
}

bool MoveCommand::mergeWith(const QUndoCommand*)
{
    return false;
}

// ---------------------------------------------------------------------------

RotateCommand::RotateCommand(QGraphicsItem* item, float oldRotation, float newRotation)
    : item(item), oldRotation(oldRotation), newRotation(newRotation)
{
}

void RotateCommand::undo()
{
    if (QGraphicsItem* target = item.get())
        target->setRotation(oldRotation);
}

void RotateCommand::redo()
{
    if (QGraphicsItem* target = item.get())
        target->setRotation(newRotation);
}

bool RotateCommand::mergeWith(const QUndoCommand* other)
{
    const auto* command = dynamic_cast<const RotateCommand*>(other);
    if (!command || !item.get() || command->item.get() != item.get())
        return false;
    newRotation = command->newRotation;
    setText(command->text());
    return true;
}

// ---------------------------------------------------------------------------

ScaleCommand::ScaleCommand(QGraphicsItem* item, float oldScale, float newScale)
    : item(item), oldScale(oldScale), newScale(newScale)
{
}

void ScaleCommand::undo()
{
    if (QGraphicsItem* target = item.get())
        target->setScale(oldScale);
}

void ScaleCommand::redo()
{
    if (QGraphicsItem* target = item.get())
        target->setScale(newScale);
}

bool ScaleCommand::mergeWith(const QUndoCommand* other)
{
    const auto* command = dynamic_cast<const ScaleCommand*>(other);
    if (!command || !item.get() || command->item.get() != item.get())
        return false;
    newScale = command->newScale;
    setText(command->text());
    return true;
}

// ---------------------------------------------------------------------------

OpacityCommand::OpacityCommand(QGraphicsItem* item, float oldOpacity, float newOpacity)
    : item(item), oldOpacity(oldOpacity), newOpacity(newOpacity)
{
}

void OpacityCommand::undo()
{
    if (QGraphicsItem* target = item.get())
        target->setOpacity(oldOpacity);
}

void OpacityCommand::redo()
{
    if (QGraphicsItem* target = item.get())
        target->setOpacity(newOpacity);
}

bool OpacityCommand::mergeWith(const QUndoCommand* other)
{
    const auto* command = dynamic_cast<const OpacityCommand*>(other);
    if (!command || !item.get() || command->item.get() != item.get())
        return false;
    newOpacity = command->newOpacity;
    setText(command->text());
    return true;
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
    if (mInForce && target && !target->scene())
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
    mInForce = true;
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
    mInForce = false;
}

bool DeleteCommand::mergeWith(const QUndoCommand*)
{
    return false;
}
