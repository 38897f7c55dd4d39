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

// The polygon's six preset points around p, in their order.
DropItemTool::Placed makePolygon(QGraphicsScene* scene, const QPointF& p, bool fan)
{
    const double x = p.x();
    const double y = p.y();
    PolyItem* poly = new PolyItem(fan);
    scene->addItem(poly);
    if (fan) {
        for (const QPointF& q : {QPointF(x, y), QPointF(x + 25, y), QPointF(x + 20, y + 20),
                                 QPointF(x, y + 25), QPointF(x - 20, y + 20), QPointF(x - 25, y)})
            poly->addPoint(q);
    } else {
        for (const QPointF& q : {QPointF(x - 25, y - 13), QPointF(x - 25, y + 13), QPointF(x, y - 13),
                                 QPointF(x, y + 13), QPointF(x + 25, y - 13), QPointF(x + 25, y + 13)})
            poly->addPoint(q);
    }
    return poly;
}

DropItemTool::Placed makeStrip(EditorView*, QGraphicsScene* scene, const QPointF& p)
{
    return makePolygon(scene, p, false);
}

DropItemTool::Placed makeFan(EditorView*, QGraphicsScene* scene, const QPointF& p)
{
    return makePolygon(scene, p, true);
}

DropItemTool::Placed makeText(EditorView*, QGraphicsScene* scene, const QPointF& p)
{
    TextItem* text = new TextItem(nullptr);
    text->setPos(p);
    scene->addItem(text);
    return text;
}

DropItemTool::Placed makeGradient(EditorView*, QGraphicsScene* scene, const QPointF& p)
{
    TriGradientItem* gradient = new TriGradientItem();
    gradient->setRect(QRectF(0, 0, 40, 40));
    gradient->setPos(p);
    scene->addItem(gradient);
    return gradient;
}

DropItemTool::Placed makeMarker(EditorView*, QGraphicsScene* scene, const QPointF& p)
{
    ColorMarkerItem* marker = new ColorMarkerItem();
    marker->setPos(p);
    scene->addItem(marker);
    return marker;
}

void selectAndSample(const DropItemTool::Placed& held)
{
    DropItemTool::takeSelection(held);
    if (auto* marker = qobject_cast<ColorMarkerItem*>(held.object))
        marker->mapColors();
}

using Tool = DropItemTool;
// A polygon stays where it was dropped and stays held until the next press; a
// gradient copy joins the selection and leaves the focus where it is.
//                                  make           follow               finish               move   release keeps  click  Control
const Tool::Rule kStripRule      = {&makeStrip,    nullptr,             &Tool::takeSelection, false, false,  true,  false, false};
const Tool::Rule kFanRule        = {&makeFan,      nullptr,             &Tool::takeSelection, false, false,  true,  false, false};
const Tool::Rule kTextRule       = {&makeText,     &Tool::followPointer, &Tool::takeSelection, false, false,  false, false, false};
const Tool::Rule kGradientRule   = {&makeGradient, &Tool::followPointer, &Tool::joinSelection, true,  true,   false, true,  false};
const Tool::Rule kMarkerRule     = {&makeMarker,   &Tool::followPointer, &selectAndSample,    false, false,  false, false, true};

} // namespace

// ---------------------------------------------------------------------------

PolyItemTool::PolyItemTool(EditorView* view, bool fan)
    : DropItemTool(view, fan ? kFanRule : kStripRule)
    , m_fan(fan)
{
}

PolyItem* PolyItemTool::polygon() const
{
    return qobject_cast<PolyItem*>(held().object);
}

// ---------------------------------------------------------------------------

AbstractLineDrawTool::AbstractLineDrawTool(EditorView* view)
    : AbstractItemTool(view)
{
}

bool AbstractLineDrawTool::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_line || !m_node)
        return false;
    const QPointF p = scenePoint(view, event);
    // Shift keeps the length from the first point.
    if (event->modifiers() & Qt::ShiftModifier) {
        QLineF l = m_line->line();
        l.setP2(p);
        l.setAngle(LineItemTool::snappedAngle(l.angle()));
        m_line->setLine(l);
        m_line->adjustNodes();
    } else {
        m_node->setPos(p);
        m_node->updateEdges();
    }
    return false;
}

bool AbstractLineDrawTool::mouseReleaseEvent(QMouseEvent*)
{
    // Its end nodes sit on its end points.
    if (LineItem* line = m_line) {
        if (QGraphicsScene* scene = line->scene())
            scene->clearSelection();
        line->adjustNodes();
        line->setSelected(true);
        line->setFocus(Qt::OtherFocusReason);
    }
    m_line = nullptr;
    m_node = nullptr;
    return false;
}

// ---------------------------------------------------------------------------

LineItemTool::LineItemTool(EditorView* view)
    : AbstractLineDrawTool(view)
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
    m_line = l;
    m_node = addNode(scene, l, nullptr, p);
    return true;
}

bool LineItemTool::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Control || !m_node)
        return false;
    m_node->insertNode();
    return true;
}

// ---------------------------------------------------------------------------

PathItemTool::PathItemTool(EditorView* view)
    : AbstractLineDrawTool(view)
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
    // The path saves its segments itself, so they are not written as lines.
    LineItem* segment = addLine(scene, p, p, false);
    m_line = segment;
    handle->setStartingNode(addNode(scene, nullptr, segment, p));
    m_node = addNode(scene, segment, nullptr, p);
    return true;
}

bool PathItemTool::mouseMoveEvent(QMouseEvent* event)
{
    if (m_line && m_node && !(event->modifiers() & Qt::ShiftModifier)) {
        const QPointF p = scenePoint(view, event);
        qDebug("(%.2f, %.2f)", p.x(), p.y());
    }
    return AbstractLineDrawTool::mouseMoveEvent(event);
}

bool PathItemTool::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Control || !m_line || !m_node)
        return false;
    QGraphicsScene* scene = m_node->scene();
    if (!scene)
        return true;
    const QPointF p = m_node->pos();
    LineItem* segment = addLine(scene, p, p + QPointF(5, 5), false);
    // The held end joins the two segments: it becomes the new segment's end A.
    m_node->addEdge(segment);
    segment->replaceNode(nullptr, m_node);
    m_node = addNode(scene, nullptr, segment, p);
    m_line = segment;
    return true;
}

// ---------------------------------------------------------------------------

TextItemTool::TextItemTool(EditorView* view)
    : DropItemTool(view, kTextRule)
{
}

GradientItemTool::GradientItemTool(EditorView* view)
    : DropItemTool(view, kGradientRule)
{
}

ColorMarkerTool::ColorMarkerTool(EditorView* view)
    : DropItemTool(view, kMarkerRule)
{
}
