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
    QGraphicsItem* get() const { return m_object || !m_watched ? m_item : nullptr; }

private:
    QGraphicsItem* m_item;
    QPointer<QObject> m_object;
    bool m_watched;
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
        : m_id(id), m_item(item), m_old(oldValue), m_new(newValue), m_setter(setter), m_merges(merges)
    {
    }

    void undo() override
    {
        if (QGraphicsItem* target = m_item.get())
            m_setter(target, m_old);
    }
    void redo() override
    {
        if (QGraphicsItem* target = m_item.get())
            m_setter(target, m_new);
    }
    int id() const override { return m_id; }
    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* command = dynamic_cast<const ValueCommand<Value>*>(other);
        if (!m_merges || !command || command->m_id != m_id || !m_item.get()
            || command->m_item.get() != m_item.get())
            return false;
        m_new = command->m_new;
        setText(command->text());
        return true;
    }

private:
    UndoCommandId m_id;
    UndoItemRef m_item;
    Value m_old;
    Value m_new;
    Setter m_setter;
    bool m_merges;
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

    bool inForce() const { return m_inForce; }

private:
    UndoItemRef item;
    UndoItemRef parent;
    QGraphicsScene* scene;
    bool m_inForce = false;
};

#endif // UNDOCOMMANDS_H
