#include "Tools/ItemTools.h"

#include <QGraphicsScene>
#include <QKeyEvent>
#include <QLineF>
#include <QMouseEvent>
#include <QtDebug>

#include "Items/AbstractLineItem.h"
#include "Items/ColorMarkerItem.h"
#include "Items/GradientItem.h"
#include "Items/LineItem.h"
#include "Items/PathItem.h"
#include "Items/PolyItem.h"
#include "Items/TextItem.h"
#include "Tools/ToolSupport.h"

namespace {

// A new end node of the edges, placed at p in the scene.
LineItemNode* addNode(QGraphicsScene* scene, AbstractEdge* first, AbstractEdge* second, const QPointF& p)
{
    LineItemNode* n = new LineItemNode(first, second);
    scene->addItem(n);
    n->setPos(p);
    return n;
}

// A line from p1 to p2, in the scene.
LineItem* addLine(QGraphicsScene* scene, const QPointF& p1, const QPointF& p2, bool writeable)
{
    LineItem* l = new LineItem();
    l->setLine(QLineF(p1, p2));
    l->setWriteable(writeable);
    scene->addItem(l);
    return l;
}

// The drag of a line end shared by the line and path tools. Shift keeps the
// length from the first point and turns the line to the nearest 5 degree step.
bool dragEnd(LineItem* line, LineItemNode* node, QMouseEvent* event, const QPointF& p)
{
    if (!line || !node)
        return false;
    if (event->modifiers() & Qt::ShiftModifier) {
        QLineF l = line->line();
        l.setP2(p);
        l.setAngle(LineItemTool::snappedAngle(l.angle()));
        line->setLine(l);
        line->adjustNodes();
    } else {
        node->setPos(p);
        node->updateEdges();
    }
    return true;
}

// Placement ends with the line selected; its end nodes sit on its end points.
void finishLine(LineItem* line)
{
    if (!line)
        return;
    if (QGraphicsScene* scene = line->scene())
        scene->clearSelection();
    line->adjustNodes();
    line->setSelected(true);
    line->setFocus(Qt::OtherFocusReason);
}

} // namespace

// ---------------------------------------------------------------------------

PolyItemTool::PolyItemTool(EditorView* view, bool fan)
    : AbstractItemTool(view)
    , fan(fan)
{
}

PolyItem* PolyItemTool::polygon() const
{
    return item;
}

bool PolyItemTool::mousePressEvent(QMouseEvent* event)
{
    QGraphicsScene* scene = sceneOf(view);
    if (!scene)
        return true;
    const QPointF p = scenePoint(view, event);
    const double x = p.x();
    const double y = p.y();
    PolyItem* poly = new PolyItem(fan);
    scene->addItem(poly);
    item = poly;
    if (fan) {
        for (const QPointF& q : {QPointF(x, y), QPointF(x + 25, y), QPointF(x + 20, y + 20),
                                 QPointF(x, y + 25), QPointF(x - 20, y + 20), QPointF(x - 25, y)})
            poly->addPoint(q);
    } else {
        for (const QPointF& q : {QPointF(x - 25, y - 13), QPointF(x - 25, y + 13), QPointF(x, y - 13),
                                 QPointF(x, y + 13), QPointF(x + 25, y - 13), QPointF(x + 25, y + 13)})
            poly->addPoint(q);
    }
    return true;
}

bool PolyItemTool::mouseMoveEvent(QMouseEvent*)
{
    return false;
}

bool PolyItemTool::mouseReleaseEvent(QMouseEvent*)
{
    if (item)
        selectAndFocus(item);
    return false;
}

// ---------------------------------------------------------------------------

LineItemTool::LineItemTool(EditorView* view)
    : AbstractItemTool(view)
{
}

int LineItemTool::snappedAngle(double angle)
{
    return (static_cast<int>(angle) + 2) / 5 * 5;
}

bool LineItemTool::mousePressEvent(QMouseEvent* event)
{
    QGraphicsScene* scene = sceneOf(view);
    if (!scene)
        return true;
    const QPointF p = scenePoint(view, event);
    LineItem* l = addLine(scene, p, p, true);
    addNode(scene, nullptr, l, p)->setDecorate(true);
    line = l;
    node = addNode(scene, l, nullptr, p);
    return true;
}

bool LineItemTool::mouseMoveEvent(QMouseEvent* event)
{
    dragEnd(line, node, event, scenePoint(view, event));
    return false;
}

bool LineItemTool::mouseReleaseEvent(QMouseEvent*)
{
    finishLine(line);
    line = nullptr;
    node = nullptr;
    return false;
}

bool LineItemTool::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Control || !node)
        return false;
    node->insertNode();
    return true;
}

// ---------------------------------------------------------------------------

PathItemTool::PathItemTool(EditorView* view)
    : AbstractItemTool(view)
{
}

bool PathItemTool::mousePressEvent(QMouseEvent* event)
{
    QGraphicsScene* scene = sceneOf(view);
    if (!scene)
        return true;
    const QPointF p = scenePoint(view, event);
    PathItem* handle = new PathItem(p);
    scene->addItem(handle);
    path = handle;
    // The path saves its segments itself, so they are not written as lines.
    LineItem* segment = addLine(scene, p, p, false);
    line = segment;
    handle->setStartingNode(addNode(scene, nullptr, segment, p));
    node = addNode(scene, segment, nullptr, p);
    return true;
}

bool PathItemTool::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF p = scenePoint(view, event);
    if (line && node && !(event->modifiers() & Qt::ShiftModifier))
        qDebug("(%.2f, %.2f)", p.x(), p.y());
    dragEnd(line, node, event, p);
    return false;
}

bool PathItemTool::mouseReleaseEvent(QMouseEvent*)
{
    finishLine(line);
    line = nullptr;
    node = nullptr;
    path = nullptr;
    return false;
}

bool PathItemTool::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Control || !line || !node)
        return false;
    QGraphicsScene* scene = node->scene();
    if (!scene)
        return true;
    const QPointF p = node->pos();
    LineItem* segment = addLine(scene, p, p + QPointF(5, 5), false);
    // The held end joins the two segments: it becomes the new segment's end A.
    node->addEdge(segment);
    segment->replaceNode(nullptr, node);
    node = addNode(scene, nullptr, segment, p);
    line = segment;
    return true;
}

// ---------------------------------------------------------------------------

TextItemTool::TextItemTool(EditorView* view)
    : AbstractItemTool(view)
{
}

bool TextItemTool::mousePressEvent(QMouseEvent* event)
{
    QGraphicsScene* scene = sceneOf(view);
    if (!scene)
        return true;
    TextItem* text = new TextItem(nullptr);
    text->setPos(scenePoint(view, event));
    scene->addItem(text);
    item = text;
    return true;
}

bool TextItemTool::mouseMoveEvent(QMouseEvent* event)
{
    if (item)
        item->setPos(scenePoint(view, event));
    return false;
}

bool TextItemTool::mouseReleaseEvent(QMouseEvent*)
{
    if (item)
        selectAndFocus(item);
    item = nullptr;
    return false;
}

// ---------------------------------------------------------------------------

GradientItemTool::GradientItemTool(EditorView* view)
    : AbstractItemTool(view)
{
}

bool GradientItemTool::mousePressEvent(QMouseEvent* event)
{
    QGraphicsScene* scene = sceneOf(view);
    if (!scene)
        return true;
    TriGradientItem* gradient = new TriGradientItem();
    gradient->setRect(QRectF(0, 0, 40, 40));
    gradient->setPos(scenePoint(view, event));
    scene->addItem(gradient);
    item = gradient;
    return true;
}

bool GradientItemTool::mouseMoveEvent(QMouseEvent* event)
{
    if (!item)
        return false;
    item->setPos(scenePoint(view, event));
    return true;
}

bool GradientItemTool::mouseReleaseEvent(QMouseEvent*)
{
    // Joins the selection without clearing it or taking the focus.
    if (item)
        item->setSelected(true);
    item = nullptr;
    return true;
}

bool GradientItemTool::priorityClick(QMouseEvent*)
{
    return true;
}

// ---------------------------------------------------------------------------

ColorMarkerTool::ColorMarkerTool(EditorView* view)
    : AbstractItemTool(view)
{
}

bool ColorMarkerTool::mousePressEvent(QMouseEvent* event)
{
    QGraphicsScene* scene = sceneOf(view);
    if (!scene)
        return true;
    ColorMarkerItem* placed = new ColorMarkerItem();
    placed->setPos(scenePoint(view, event));
    scene->addItem(placed);
    marker = placed;
    return true;
}

bool ColorMarkerTool::mouseMoveEvent(QMouseEvent* event)
{
    if (marker)
        marker->setPos(scenePoint(view, event));
    return false;
}

bool ColorMarkerTool::mouseReleaseEvent(QMouseEvent*)
{
    if (marker) {
        selectAndFocus(marker);
        marker->mapColors();
    }
    marker = nullptr;
    return false;
}

bool ColorMarkerTool::keyPressEvent(QKeyEvent* event)
{
    return event->key() == Qt::Key_Control && marker;
}

