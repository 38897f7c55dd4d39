#include "Tools/GraphicItemTool.h"

#include <QGraphicsScene>
#include <QMouseEvent>

#include "Items/GraphicItem.h"
#include "Items/SpriteSheetItem.h"
#include "Tools/ToolSupport.h"
#include "Views/EditorView.h"

GraphicItemTool::GraphicItemTool(EditorView* view, SpriteSheetItem* sheet)
    : AbstractItemTool(view)
    , m_sheet(sheet)
    , m_forSheet(sheet != nullptr)
{
}

void GraphicItemTool::setPixmapKey(QString key)
{
    m_pixmapKey = key;
}

SpriteSheetItem* GraphicItemTool::spriteSheet() const
{
    return m_sheet;
}

bool GraphicItemTool::mousePressEvent(QMouseEvent* event)
{
    QGraphicsScene* scene = sceneOf(view);
    if (!scene || (m_forSheet && !m_sheet))
        return true;
    const QPointF p = scenePoint(view, event);
    // Sprites start on whole units: truncated toward zero.
    GraphicItem* sprite = new GraphicItem(int(p.x()), int(p.y()), m_pixmapKey, view->space(), m_sheet);
    if (!m_sheet)
        scene->addItem(sprite);
    m_item = sprite;
    return true;
}

bool GraphicItemTool::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_item)
        return false;
    m_item->setPos(scenePoint(view, event));
    return true;
}

bool GraphicItemTool::mouseReleaseEvent(QMouseEvent*)
{
    if (m_item)
        selectAndFocus(m_item);
    m_item = nullptr;
    return true;
}
