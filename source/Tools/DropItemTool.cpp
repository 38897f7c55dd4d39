#include "Tools/DropItemTool.h"

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QKeyEvent>

#include "Tools/ToolSupport.h"

DropItemTool::DropItemTool(EditorView* view, const Rule& rule)
    : AbstractItemTool(view)
    , m_rule(rule)
{
}

DropItemTool::Placed DropItemTool::makeItem(QGraphicsScene* scene, const QPointF& p)
{
    return m_rule.make ? m_rule.make(view, scene, p) : Placed();
}

DropItemTool::Placed DropItemTool::held() const
{
    Placed placed;
    if (m_object) {
        placed.object = m_object;
        placed.item = m_item;
    }
    return placed;
}

bool DropItemTool::mousePressEvent(QMouseEvent* event)
{
    QGraphicsScene* scene = sceneOf(view);
    if (!scene)
        return true;
    // A press that makes nothing leaves what was held as it was.
    const Placed placed = makeItem(scene, scenePoint(view, event));
    if (placed.item) {
        m_object = placed.object;
        m_item = placed.item;
    }
    return true;
}

bool DropItemTool::mouseMoveEvent(QMouseEvent* event)
{
    const Placed item = held();
    if (!item.item)
        return false;
    if (m_rule.follow)
        m_rule.follow(item, scenePoint(view, event));
    return m_rule.takesMove;
}

bool DropItemTool::mouseReleaseEvent(QMouseEvent*)
{
    const Placed item = held();
    if (item.item)
        m_rule.finish(item);
    if (!m_rule.keepsItem) {
        m_object = nullptr;
        m_item = nullptr;
    }
    return m_rule.takesRelease;
}

bool DropItemTool::keyPressEvent(QKeyEvent* event)
{
    return m_rule.takesControl && event->key() == Qt::Key_Control && held().item;
}

bool DropItemTool::priorityClick(QMouseEvent*)
{
    return m_rule.claimsClick;
}

void DropItemTool::followPointer(const Placed& held, const QPointF& p)
{
    held.item->setPos(p);
}

void DropItemTool::takeSelection(const Placed& held)
{
    selectAndFocus(held.item);
}

void DropItemTool::joinSelection(const Placed& held)
{
    held.item->setSelected(true);
}
