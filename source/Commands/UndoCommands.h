#ifndef UNDOCOMMANDS_H
#define UNDOCOMMANDS_H

#include <QPointF>
#include <QUndoCommand>

class QGraphicsItem;
class QGraphicsScene;

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
    QGraphicsItem* item;
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
    QGraphicsItem* item;
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
    QGraphicsItem* item;
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
    QGraphicsItem* item;
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
    QGraphicsItem* item;
    QGraphicsItem* parent;
    QGraphicsScene* scene;
    bool mInForce = false;
};

#endif // UNDOCOMMANDS_H
