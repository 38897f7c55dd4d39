#include "Tools/JointTools.h"

#include <QGraphicsScene>
#include <QLineF>
#include <QMouseEvent>

#include "Items/GrooveJointItem.h"
#include "Items/JointItems.h"
#include "Tools/ToolSupport.h"
#include "Views/EditorView.h"
#include "cpCompat.h"

namespace {

// The handlers every joint tool shares; Item is the kind it makes.
template <typename Item>
bool pressJoint(QPointer<Item>& item, cpSpace* space, QGraphicsScene* scene, const QPointF& p)
{
    // A joint still held stays as it is; the tool just lets go of it.
    item = nullptr;
    if (!space || !scene)
        return true;
    Item* joint = new Item(space, Item::defaultConstraint());
    joint->setLine(QLineF(p, p));
    scene->addItem(joint);
    item = joint;
    return true;
}

template <typename Item>
bool moveJoint(QPointer<Item>& item, const QPointF& p)
{
    if (!item)
        return false;
    QLineF l = item->line();
    l.setP2(p);
    item->setLine(l);
    return true;
}

template <typename Item>
bool releaseJoint(QPointer<Item>& item)
{
    if (!item)
        return true;
    Item* joint = item;
    item = nullptr;
    joint->setupNodes();
    if (QGraphicsScene* scene = joint->scene())
        scene->clearSelection();
    joint->setSelected(true);
    joint->setFocus(Qt::OtherFocusReason);
    return true;
}

} // namespace

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

#define LEVELEDITOR_JOINT_TOOL_IMPL(ToolName)                                       \
    ToolName::ToolName(EditorView* view)                                            \
        : AbstractConstraintItemTool(view)                                          \
    {                                                                               \
    }                                                                               \
    bool ToolName::mousePressEvent(QMouseEvent* event)                              \
    {                                                                               \
        return pressJoint(item, space(), sceneOf(view), scenePoint(event));         \
    }                                                                               \
    bool ToolName::mouseMoveEvent(QMouseEvent* event)                               \
    {                                                                               \
        return moveJoint(item, scenePoint(event));                                  \
    }                                                                               \
    bool ToolName::mouseReleaseEvent(QMouseEvent*)                                  \
    {                                                                               \
        return releaseJoint(item);                                                  \
    }

LEVELEDITOR_JOINT_TOOL_IMPL(PinJointTool)
LEVELEDITOR_JOINT_TOOL_IMPL(SlideJointTool)
LEVELEDITOR_JOINT_TOOL_IMPL(PivotJointTool)
LEVELEDITOR_JOINT_TOOL_IMPL(GrooveJointTool)
LEVELEDITOR_JOINT_TOOL_IMPL(MotorJointTool)
LEVELEDITOR_JOINT_TOOL_IMPL(GearJointTool)
LEVELEDITOR_JOINT_TOOL_IMPL(SpringJointTool)
LEVELEDITOR_JOINT_TOOL_IMPL(RotarySpringJointTool)
LEVELEDITOR_JOINT_TOOL_IMPL(RotaryLimitJointTool)
