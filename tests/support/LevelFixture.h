#ifndef LEVELFIXTURE_H
#define LEVELFIXTURE_H

#include <QLineF>
#include <QPointF>
#include <QUndoStack>

#include "Views/EditorScene.h"
#include "Views/EditorView.h"

// A canvas with its context, destroyed in the order the main window uses:
// the canvas first, then the context that owns the undo stack.
struct Level
{
    Level()
    {
        context.view = &view;
        view.setContext(&context);
    }
    EditorScene* scene() { return view.editorScene(); }
    cpSpace* space() { return view.space(); }
    QUndoStack* stack() { return context.undoStack; }

    EditorContext context;
    EditorView view;
};

// A joint drawn as the tools draw it, from one point to another.
template <typename Joint>
Joint* drawJoint(EditorView& view, QPointF p1, QPointF p2)
{
    auto* joint = new Joint(view.space(), Joint::defaultConstraint());
    joint->setLine(QLineF(p1, p2));
    view.editorScene()->addItem(joint);
    joint->setupNodes();
    return joint;
}

#endif // LEVELFIXTURE_H
