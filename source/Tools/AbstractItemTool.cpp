#include "Tools/AbstractItemTool.h"

AbstractItemTool::AbstractItemTool(EditorView* view)
    : QObject(nullptr)
    , view(view)
{
}

bool AbstractItemTool::keyPressEvent(QKeyEvent*)
{
    return false;
}

bool AbstractItemTool::priorityClick(QMouseEvent*)
{
    return false;
}
