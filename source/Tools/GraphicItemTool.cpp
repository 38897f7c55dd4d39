#include "Tools/GraphicItemTool.h"

#include <QGraphicsScene>
#include <QMouseEvent>

#include "Items/GraphicItem.h"
#include "Items/SpriteSheetItem.h"
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

bool GraphicItemTool::mousePressEvent(QMouseEvent* event)
{
    QGraphicsScene* scene = view ? view->scene() : nullptr;
    if (!scene || (m_forSheet && !m_sheet))
        return true;
    const QPointF p = view->mapToScene(event->position().toPoint());
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
    m_item->setPos(view->mapToScene(event->position().toPoint()));
    return true;
}

bool GraphicItemTool::mouseReleaseEvent(QMouseEvent*)
{
    if (m_item) {
        if (QGraphicsScene* scene = m_item->scene())
            scene->clearSelection();
        m_item->setSelected(true);
        m_item->setFocus(Qt::OtherFocusReason);
    }
    m_item = nullptr;
    return true;
}

bool GraphicItemTool::keyPressEvent(QKeyEvent*)
{
    return false;
}

bool GraphicItemTool::priorityClick(QMouseEvent*)
{
    return false;
}
