#ifndef SHAPETOOLS_H
#define SHAPETOOLS_H

#include <QPointF>
#include <QPointer>

#include <chipmunk/chipmunk.h>

#include "Tools/DropItemTool.h"

class SegmentShapeItem;
class LineItemNode;

// Common base of the tools that put Chipmunk objects into the level's space.
class AbstractPhysicItemTool : public AbstractItemTool
{
public:
    explicit AbstractPhysicItemTool(EditorView* view);

protected:
    // The event's position on the canvas, in scene coordinates.
    QPointF scenePoint(QMouseEvent* event) const;
    cpSpace* space() const;
};

// Drops a dynamic circle (mass 130, radius 10) and drags it until release.
class CircleTool : public DropItemTool
{
public:
    explicit CircleTool(EditorView* view);

    static double defaultMass();
    static double defaultRadius();
    // A new body in the space at p with a circle shape on it.
    static cpShape* createDefaultShape(cpSpace* space, cpVect p);
};

// Drops a dynamic 30 by 30 box (mass 130) and drags it until release.
class PolyTool : public DropItemTool
{
public:
    explicit PolyTool(EditorView* view);

    static double defaultMass();
    static cpShape* createDefaultShape(cpSpace* space, cpVect p);
};

// Draws static segments of radius 3; Control while dragging continues the chain
// through a shared node.
class SegmentTool : public AbstractPhysicItemTool
{
public:
    explicit SegmentTool(EditorView* view);

    cpShape* createDefaultShape(cpSpace* space, cpVect p);
    void createNewSegment(cpVect p);
    LineItemNode* createHandle(SegmentShapeItem* a, SegmentShapeItem* b, QPointF pos);

    bool mousePressEvent(QMouseEvent* event) override;
    bool mouseMoveEvent(QMouseEvent* event) override;
    bool mouseReleaseEvent(QMouseEvent* event) override;
    bool keyPressEvent(QKeyEvent* event) override;

private:
    QPointer<SegmentShapeItem> m_segment;
};

#endif // SHAPETOOLS_H
