#ifndef JOINTTOOLS_H
#define JOINTTOOLS_H

#include <QPointer>

#include "Items/GrooveJointItem.h"
#include "Items/JointItems.h"
#include "Tools/ShapeTools.h"

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

// The joint tool of one kind; the kind descriptor is static and not owned.
class JointTool : public AbstractConstraintItemTool
{
public:
    JointTool(EditorView* view, const JointItemKind& kind);

    bool mousePressEvent(QMouseEvent* event) override;
    bool mouseMoveEvent(QMouseEvent* event) override;
    bool mouseReleaseEvent(QMouseEvent* event) override;

private:
    const JointItemKind& m_kind;
    // Guarded: the scene owns the item, and clearing the level deletes it.
    QPointer<AbstractLineJointItem> m_item;
};

// A joint tool made from its view alone.
template <const JointItemKind& Kind>
class JointToolFor : public JointTool
{
public:
    explicit JointToolFor(EditorView* view)
        : JointTool(view, Kind)
    {
    }
};

using PinJointTool = JointToolFor<pinJointKind>;
using SlideJointTool = JointToolFor<slideJointKind>;
using PivotJointTool = JointToolFor<pivotJointKind>;
using GrooveJointTool = JointToolFor<grooveJointKind>;
using MotorJointTool = JointToolFor<motorJointKind>;
using GearJointTool = JointToolFor<gearJointKind>;
using SpringJointTool = JointToolFor<springJointKind>;
using RotarySpringJointTool = JointToolFor<rotarySpringJointKind>;
using RotaryLimitJointTool = JointToolFor<rotaryLimitJointKind>;

#endif // JOINTTOOLS_H
