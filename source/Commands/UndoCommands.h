#ifndef UNDOCOMMANDS_H
#define UNDOCOMMANDS_H

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QUndoCommand>

#include <QGraphicsItem>

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

// Ids of the undo commands; the stack only tries to merge commands of one id.
enum UndoCommandId {
    MoveCommandId = 1,
    RotateCommandId = 2,
    ScaleCommandId = 3,
    OpacityCommandId = 4,
    DeleteCommandId = 5
};

// Undoable change of one value of one graphics item: the setter is called with
// the new value on redo and the old one on undo. The creator sets the text
// before pushing. With merging on, a later change of the same item under the same
// id folds into this step (a drag of the rotation is one step, not fifty).
template <typename Value>
class ValueCommand : public QUndoCommand
{
public:
    using Setter = void (*)(QGraphicsItem* item, const Value& value);

    ValueCommand(UndoCommandId id, QGraphicsItem* item, Value oldValue, Value newValue,
                 Setter setter, bool merges)
        : mId(id), mItem(item), mOld(oldValue), mNew(newValue), mSetter(setter), mMerges(merges)
    {
    }

    void undo() override
    {
        if (QGraphicsItem* target = mItem.get())
            mSetter(target, mOld);
    }
    void redo() override
    {
        if (QGraphicsItem* target = mItem.get())
            mSetter(target, mNew);
    }
    int id() const override { return mId; }
    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* command = dynamic_cast<const ValueCommand<Value>*>(other);
        if (!mMerges || !command || command->mId != mId || !mItem.get()
            || command->mItem.get() != mItem.get())
            return false;
        mNew = command->mNew;
        setText(command->text());
        return true;
    }

private:
    UndoCommandId mId;
    UndoItemRef mItem;
    Value mOld;
    Value mNew;
    Setter mSetter;
    bool mMerges;
};

// Moves never merge: each drag is a step of its own.
class MoveCommand : public ValueCommand<QPointF>
{
public:
    MoveCommand(QGraphicsItem* item, QPointF oldPos, QPointF newPos);
};

// Rotation in degrees.
class RotateCommand : public ValueCommand<float>
{
public:
    RotateCommand(QGraphicsItem* item, float oldRotation, float newRotation);
};

class ScaleCommand : public ValueCommand<float>
{
public:
    ScaleCommand(QGraphicsItem* item, float oldScale, float newScale);
};

class OpacityCommand : public ValueCommand<float>
{
public:
    OpacityCommand(QGraphicsItem* item, float oldOpacity, float newOpacity);
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
    int id() const override { return DeleteCommandId; }
    bool mergeWith(const QUndoCommand* other) override;

    bool inForce() const { return mInForce; }

private:
    UndoItemRef item;
    UndoItemRef parent;
    QGraphicsScene* scene;
    bool mInForce = false;
};

#endif // UNDOCOMMANDS_H
