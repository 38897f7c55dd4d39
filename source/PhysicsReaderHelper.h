#ifndef PHYSICSREADERHELPER_H
#define PHYSICSREADERHELPER_H

#include <QString>

#include "cpSpaceSerializer.h"

class EditorContext;
class EditorView;

// The physics reader's callback of the open command: every loaded shape and
// joint gets its scene item on the canvas. A circle or polygon on a body that
// already has a shape item is glued under that item, with a spare body of its
// own to return to. Lives for one open; the canvas is not owned.
class PhysicsReaderHelper : public cpSpaceSerializerDelegate
{
public:
    explicit PhysicsReaderHelper(EditorView* view);

    using cpSpaceSerializerDelegate::reading;
    bool reading(cpShape* shape, long long id) override;
    bool reading(cpBody* body, long long id) override;
    // False only for the ratchet, which has no item to edit it.
    bool reading(cpConstraint* constraint, long long id) override;
    // Every joint kept has its item, which owns the constraint in or out of the space.
    bool holdsOutside(cpConstraint* constraint, long long id) override;

private:
    EditorView* m_view;
};

// The open road into a cleared canvas: the physics file beside the level (items
// built by the callback above), then the level's "view" element; every joint is
// coloured by its state and the static shapes are reindexed. False, with the
// reason in error, when the level file cannot be read (missing, a folder, not a
// regular file, too large), is not well-formed, or is not a level (its root is
// not "view"; an empty file is a new level): the canvas may then hold part of
// the level, and the caller clears it. When the level opens but the physics file
// beside it could not be read or was not saved with it, untitled says so: the
// level must then stay untitled, so that a Save cannot replace that file.
bool readLevel(EditorView* view, EditorContext* context, const QString& path, QString* error,
               QString* untitled = nullptr);

#endif // PHYSICSREADERHELPER_H
