#include "Tools/JointTools.h"

#include <QGraphicsScene>
#include <QLineF>
#include <QMouseEvent>

#include "Tools/ToolSupport.h"
#include "Views/EditorView.h"
#include "cpCompat.h"

AbstractConstraintItemTool::AbstractConstraintItemTool(EditorView* view)
    : AbstractPhysicItemTool(view)
{
}

bool AbstractConstraintItemTool::priorityClick(QMouseEvent* event)
{
    cpSpace* s = space();
    if (!s)
        return false;
    const QPointF p = scenePoint(event);
    return cpSpacePointQueryFirst(s, cpv(p.x(), p.y())) != nullptr;
}

JointTool::JointTool(EditorView* view, const JointItemKind& kind)
    : AbstractConstraintItemTool(view)
    , m_kind(kind)
{
}

bool JointTool::mousePressEvent(QMouseEvent* event)
{
    // A joint still held stays as it is; the tool just lets go of it.
    m_item = nullptr;
    cpSpace* s = space();
    QGraphicsScene* scene = sceneOf(view);
    if (!s || !scene)
        return true;
    const QPointF p = scenePoint(event);
    AbstractLineJointItem* joint = m_kind.make(s, m_kind.defaultConstraint());
    joint->setLine(QLineF(p, p));
    scene->addItem(joint);
    m_item = joint;
    return true;
}

bool JointTool::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_item)
        return false;
    QLineF l = m_item->line();
    l.setP2(scenePoint(event));
    m_item->setLine(l);
    return true;
}

bool JointTool::mouseReleaseEvent(QMouseEvent*)
{
    if (!m_item)
        return true;
    AbstractLineJointItem* joint = m_item;
    m_item = nullptr;
    joint->setupNodes();
    if (QGraphicsScene* scene = joint->scene())
        scene->clearSelection();
    joint->setSelected(true);
    joint->setFocus(Qt::OtherFocusReason);
    return true;
}
