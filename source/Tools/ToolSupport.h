#ifndef TOOLSUPPORT_H
#define TOOLSUPPORT_H

#include <QPointF>

class EditorView;
class QGraphicsItem;
class QGraphicsScene;
class QMouseEvent;

// Helpers every concrete tool shares; they live apart from AbstractItemTool so
// that its header stays a leaf below the canvas.

// The event's position on the canvas, in scene coordinates (the widget
// position itself without a canvas).
QPointF scenePoint(EditorView* view, QMouseEvent* event);
// The canvas's scene, or null without a canvas.
QGraphicsScene* sceneOf(EditorView* view);
// A placed item ends up the only selection, with the focus.
void selectAndFocus(QGraphicsItem* item);

#endif // TOOLSUPPORT_H
