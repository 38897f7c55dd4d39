#ifndef ITEMTOOLS_H
#define ITEMTOOLS_H

#include <QPointer>

#include "Tools/DropItemTool.h"

class LineItem;
class LineItemNode;
class PolyItem;

// The tools that place the level's vector items. None owns what it places: the
// scene does, and the guarded pointers only follow an item from its press to
// its release (clearing the level in between leaves them null).

// Drops a six-point triangle strip or triangle fan.
class PolyItemTool : public DropItemTool
{
public:
    PolyItemTool(EditorView* view, bool fan);

    bool isFan() const { return m_fan; }
    // The last polygon placed; kept until the next press.
    PolyItem* polygon() const;

private:
    bool m_fan;
};

// Base of the line and path tools: the held segment's free end follows the
// pointer (Shift turns the segment to 5 degree steps), and the release leaves
// that segment the only selection.
class AbstractLineDrawTool : public AbstractItemTool
{
public:
    bool mouseMoveEvent(QMouseEvent* event) override;
    bool mouseReleaseEvent(QMouseEvent* event) override;

protected:
    explicit AbstractLineDrawTool(EditorView* view);

    QPointer<LineItem> m_line;
    QPointer<LineItemNode> m_node;
};

// Draws a line with shared end nodes. Control leaves a fixed node at the
// dragged end and goes on with a further segment.
class LineItemTool : public AbstractLineDrawTool
{
public:
    explicit LineItemTool(EditorView* view);

    bool mousePressEvent(QMouseEvent* event) override;
    bool keyPressEvent(QKeyEvent* event) override;

    // The snapped angle in degrees for a line at angle degrees.
    static int snappedAngle(double angle);
};

// Draws a path: a handle and a chain of segments; Control appends a segment at
// the dragged end.
class PathItemTool : public AbstractLineDrawTool
{
public:
    explicit PathItemTool(EditorView* view);

    bool mousePressEvent(QMouseEvent* event) override;
    // Also logs the dragged end's scene point.
    bool mouseMoveEvent(QMouseEvent* event) override;
    bool keyPressEvent(QKeyEvent* event) override;
};

// Drops an editable text label that follows the pointer until release.
class TextItemTool : public DropItemTool
{
public:
    explicit TextItemTool(EditorView* view);
};

// Drops a 40 by 40 copy of the background gradient. Copies are decoration only:
// the level file keeps just the canvas's own background.
class GradientItemTool : public DropItemTool
{
public:
    explicit GradientItemTool(EditorView* view);
};

// Drops a colour marker, which samples the sprite colours under it as soon as
// it is let go.
class ColorMarkerTool : public DropItemTool
{
public:
    explicit ColorMarkerTool(EditorView* view);
};

#endif // ITEMTOOLS_H
