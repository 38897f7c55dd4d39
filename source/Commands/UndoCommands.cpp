#include "Commands/UndoCommands.h"

#include <QGraphicsItem>
#include <QGraphicsScene>

MoveCommand::MoveCommand(QGraphicsItem* item, QPointF oldPos, QPointF newPos)
    : item(item), oldPos(oldPos), newPos(newPos)
{
}

void MoveCommand::undo()
{
    item->setPos(oldPos);
}

void MoveCommand::redo()
{
    item->setPos(newPos);
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
    item->setRotation(oldRotation);
}

void RotateCommand::redo()
{
    item->setRotation(newRotation);
}

bool RotateCommand::mergeWith(const QUndoCommand* other)
{
    const auto* command = dynamic_cast<const RotateCommand*>(other);
    if (!command || command->item != item)
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
    item->setScale(oldScale);
}

void ScaleCommand::redo()
{
    item->setScale(newScale);
}

bool ScaleCommand::mergeWith(const QUndoCommand* other)
{
    const auto* command = dynamic_cast<const ScaleCommand*>(other);
    if (!command || command->item != item)
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
    item->setOpacity(oldOpacity);
}

void OpacityCommand::redo()
{
    item->setOpacity(newOpacity);
}

bool OpacityCommand::mergeWith(const QUndoCommand* other)
{
    const auto* command = dynamic_cast<const OpacityCommand*>(other);
    if (!command || command->item != item)
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
    if (mInForce && !item->scene())
        delete item;
}

void DeleteCommand::redo()
{
    item->setParentItem(nullptr);
    if (scene && item->scene() == scene)
        scene->removeItem(item);
    mInForce = true;
}

void DeleteCommand::undo()
{
    if (parent)
        item->setParentItem(parent);
    else if (scene)
        scene->addItem(item);
    mInForce = false;
}

bool DeleteCommand::mergeWith(const QUndoCommand*)
{
    return false;
}
