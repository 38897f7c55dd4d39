#ifndef LEVELFIXTURE_H
#define LEVELFIXTURE_H

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

#endif // LEVELFIXTURE_H
