#ifndef ITEMTOOLS_H
#define ITEMTOOLS_H

#include <QPointer>

#include "Tools/AbstractItemTool.h"

class ColorMarkerItem;
class LineItem;
class LineItemNode;
class PathItem;
class PolyItem;
class TextItem;
class TriGradientItem;

// The tools that place the level's vector items. None owns what it places: the
// scene does, and the guarded pointers only follow an item from its press to
// its release (clearing the level in between leaves them null).

// Drops a six-point triangle strip or triangle fan.
class PolyItemTool : public AbstractItemTool
{
public:
    PolyItemTool(EditorView* view, bool fan);

    bool mousePressEvent(QMouseEvent* event) override;
    bool mouseMoveEvent(QMouseEvent* event) override;
    bool mouseReleaseEvent(QMouseEvent* event) override;

    bool isFan() const { return fan; }
    // The last polygon placed; kept until the next press.
    PolyItem* polygon() const;

private:
    bool fan;
    QPointer<PolyItem> item;
};

// Draws a line with shared end nodes. Shift snaps it to 5 degree steps, Control
// leaves a fixed node at the dragged end and goes on with a further segment.
class LineItemTool : public AbstractItemTool
{
public:
    explicit LineItemTool(EditorView* view);

    bool mousePressEvent(QMouseEvent* event) override;
    bool mouseMoveEvent(QMouseEvent* event) override;
    bool mouseReleaseEvent(QMouseEvent* event) override;
    bool keyPressEvent(QKeyEvent* event) override;

    // The snapped angle in degrees for a line at angle degrees.
    static int snappedAngle(double angle);

private:
    QPointer<LineItem> line;
    QPointer<LineItemNode> node;
};

// Draws a path: a handle and a chain of segments; Control appends a segment at
// the dragged end.
class PathItemTool : public AbstractItemTool
{
public:
    explicit PathItemTool(EditorView* view);

    bool mousePressEvent(QMouseEvent* event) override;
    bool mouseMoveEvent(QMouseEvent* event) override;
    bool mouseReleaseEvent(QMouseEvent* event) override;
    bool keyPressEvent(QKeyEvent* event) override;

private:
    QPointer<LineItem> line;
    QPointer<LineItemNode> node;
    QPointer<PathItem> path;
};

// Drops an editable text label.
class TextItemTool : public AbstractItemTool
{
public:
    explicit TextItemTool(EditorView* view);

    bool mousePressEvent(QMouseEvent* event) override;
    bool mouseMoveEvent(QMouseEvent* event) override;
    bool mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPointer<TextItem> item;
};

// Drops a 40 by 40 copy of the background gradient. Copies are decoration only:
// the level file keeps just the canvas's own background.
class GradientItemTool : public AbstractItemTool
{
public:
    explicit GradientItemTool(EditorView* view);

    bool mousePressEvent(QMouseEvent* event) override;
    bool mouseMoveEvent(QMouseEvent* event) override;
    bool mouseReleaseEvent(QMouseEvent* event) override;
    bool priorityClick(QMouseEvent* event) override;

private:
    QPointer<TriGradientItem> item;
};

// Drops a colour marker, which samples the sprite colours under it as soon as
// it is let go.
class ColorMarkerTool : public AbstractItemTool
{
public:
    explicit ColorMarkerTool(EditorView* view);

    bool mousePressEvent(QMouseEvent* event) override;
    bool mouseMoveEvent(QMouseEvent* event) override;
    bool mouseReleaseEvent(QMouseEvent* event) override;
    bool keyPressEvent(QKeyEvent* event) override;

private:
    QPointer<ColorMarkerItem> marker;
};

#endif // ITEMTOOLS_H
