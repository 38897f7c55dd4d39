#include "Tools/ToolSupport.h"

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QMouseEvent>

#include "Views/EditorView.h"

QPointF scenePoint(EditorView* view, QMouseEvent* event)
{
    if (!view)
        return event->position();
    return view->mapToScene(event->position().toPoint());
}

QGraphicsScene* sceneOf(EditorView* view)
{
    return view ? view->scene() : nullptr;
}

void selectAndFocus(QGraphicsItem* item)
{
    if (QGraphicsScene* scene = item->scene())
        scene->clearSelection();
    item->setSelected(true);
    item->setFocus(Qt::OtherFocusReason);
}
