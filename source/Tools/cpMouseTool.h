#ifndef CPMOUSETOOL_H
#define CPMOUSETOOL_H

#include <chipmunk/chipmunk.h>

#include "Tools/AbstractItemTool.h"

// The physics pointer: from press to release a body of the running simulation
// is pulled toward the pointer by a pivot joint to the space's static body.
class cpMouseTool : public AbstractItemTool
{
public:
    explicit cpMouseTool(EditorView* view);
    // Lets go of a joint still held.
    ~cpMouseTool() override;

    // Grabs the body under the pointer when it can be pulled: a non-sensor
    // shape on a dynamic body of finite mass that the space simulates.
    // Anything else answers false and adds nothing.
    bool mousePressEvent(QMouseEvent* event) override;
    bool mouseMoveEvent(QMouseEvent* event) override;
    bool mouseReleaseEvent(QMouseEvent* event) override;

    // The pivot of the drag in progress, or null.
    cpConstraint* joint() const { return mouseJoint; }

    static constexpr double maxForce = 90000;

private:
    // Out of whichever space holds it, then freed.
    void releaseJoint();

    cpConstraint* mouseJoint = nullptr; // owned
};

#endif // CPMOUSETOOL_H
