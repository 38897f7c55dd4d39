#ifndef PHYSICSREADERHELPER_H
#define PHYSICSREADERHELPER_H

#include "cpSpaceSerializer.h"

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

private:
    EditorView* _view;
};

#endif // PHYSICSREADERHELPER_H
