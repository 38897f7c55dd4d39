#ifndef UNDOCOMMANDS_H
#define UNDOCOMMANDS_H

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QUndoCommand>

class QGraphicsItem;
class QGraphicsScene;

// A command's pointer to an item that may be destroyed behind the stack's back
// (a sprite inside a shape goes with the shape, which no command covers). An item
// that is also a QObject is watched: once it is gone, get() answers null and the
// command leaves it alone.
class UndoItemRef
{
public:
    explicit UndoItemRef(QGraphicsItem* item);
    QGraphicsItem* get() const { return mObject || !mWatched ? mItem : nullptr; }

private:
    QGraphicsItem* mItem;
    QPointer<QObject> mObject;
    bool mWatched;
};

// Undoable edits of one graphics item. The creator sets the text before pushing.
// Rotation, scale and opacity changes of the same item merge into one step;
// moves and deletions never merge.

class MoveCommand : public QUndoCommand
{
public:
    MoveCommand(QGraphicsItem* item, QPointF oldPos, QPointF newPos);

    void undo() override;
    void redo() override;
    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    UndoItemRef item;
    QPointF oldPos;
    QPointF newPos;
};

class RotateCommand : public QUndoCommand
{
public:
    RotateCommand(QGraphicsItem* item, float oldRotation, float newRotation);

    void undo() override;
    void redo() override;
    int id() const override { return 2; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    UndoItemRef item;
    float oldRotation; // degrees
    float newRotation;
};

class ScaleCommand : public QUndoCommand
{
public:
    ScaleCommand(QGraphicsItem* item, float oldScale, float newScale);

    void undo() override;
    void redo() override;
    int id() const override { return 3; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    UndoItemRef item;
    float oldScale;
    float newScale;
};

class OpacityCommand : public QUndoCommand
{
public:
    OpacityCommand(QGraphicsItem* item, float oldOpacity, float newOpacity);

    void undo() override;
    void redo() override;
    int id() const override { return 4; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    UndoItemRef item;
    float oldOpacity;
    float newOpacity;
};

// Takes the item out of its parent and scene, and puts it back on undo. While the
// deletion is in force (after redo, before undo) the command is the item's only
// owner and deletes it when destroyed.
class DeleteCommand : public QUndoCommand
{
public:
    explicit DeleteCommand(QGraphicsItem* item);
    ~DeleteCommand() override;

    void undo() override;
    void redo() override;
    int id() const override { return 5; }
    bool mergeWith(const QUndoCommand* other) override;

    bool inForce() const { return mInForce; }

private:
    UndoItemRef item;
    UndoItemRef parent;
    QGraphicsScene* scene;
    bool mInForce = false;
};

#endif // UNDOCOMMANDS_H
