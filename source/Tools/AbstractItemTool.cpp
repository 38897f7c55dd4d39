#include "Tools/AbstractItemTool.h"

AbstractItemTool::AbstractItemTool(EditorView* view)
    : QObject(nullptr)
    , view(view)
{
}
