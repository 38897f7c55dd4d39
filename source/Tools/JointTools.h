#ifndef JOINTTOOLS_H
#define JOINTTOOLS_H

#include <QPointer>

#include "Tools/ShapeTools.h"

class PinJointItem;
class SlideJointItem;
class PivotJointItem;
class GrooveJointItem;
class MotorJointItem;
class GearJointItem;
class SpringJointItem;
class RotarySpringJointItem;
class RotaryLimitJointItem;

// Base of the rubber-band joint tools: a press starts a joint at the pointer,
// the drag pulls out its second end, the release binds it to the bodies under
// its two ends.
class AbstractConstraintItemTool : public AbstractPhysicItemTool
{
public:
    explicit AbstractConstraintItemTool(EditorView* view);

    // True when a shape lies under the pointer.
    bool priorityClick(QMouseEvent* event) override;
};

// One joint tool per kind; they differ only by the item they make.
#define LEVELEDITOR_JOINT_TOOL(ToolName, ItemName)                                 \
    class ToolName : public AbstractConstraintItemTool                            \
    {                                                                             \
    public:                                                                       \
        explicit ToolName(EditorView* view);                                      \
        bool mousePressEvent(QMouseEvent* event) override;                        \
        bool mouseMoveEvent(QMouseEvent* event) override;                         \
        bool mouseReleaseEvent(QMouseEvent* event) override;                      \
                                                                                  \
    private:                                                                      \
        /* Guarded: the scene owns the item, and clearing the level deletes it. */ \
        QPointer<ItemName> item;                                                  \
    };

LEVELEDITOR_JOINT_TOOL(PinJointTool, PinJointItem)
LEVELEDITOR_JOINT_TOOL(SlideJointTool, SlideJointItem)
LEVELEDITOR_JOINT_TOOL(PivotJointTool, PivotJointItem)
LEVELEDITOR_JOINT_TOOL(GrooveJointTool, GrooveJointItem)
LEVELEDITOR_JOINT_TOOL(MotorJointTool, MotorJointItem)
LEVELEDITOR_JOINT_TOOL(GearJointTool, GearJointItem)
LEVELEDITOR_JOINT_TOOL(SpringJointTool, SpringJointItem)
LEVELEDITOR_JOINT_TOOL(RotarySpringJointTool, RotarySpringJointItem)
LEVELEDITOR_JOINT_TOOL(RotaryLimitJointTool, RotaryLimitJointItem)

#undef LEVELEDITOR_JOINT_TOOL

#endif // JOINTTOOLS_H
