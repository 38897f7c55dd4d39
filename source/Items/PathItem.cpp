#include "Items/PathItem.h"

#include "IO/textcodec.h"
#include "Items/AbstractLineItem.h"
#include "Items/GroupRegistry.h"
#include "Items/LineItem.h"

#include <QBrush>
#include <QByteArray>
#include <QGraphicsScene>
#include <QLineF>
#include <QList>
#include <QPen>
#include <QSet>
#include <QVariant>

namespace {

bool isPathSegment(AbstractEdge* edge)
{
    const QGraphicsItem* item = dynamic_cast<QGraphicsItem*>(edge);
    return item && item->type() == PathSegmentItemType;
}

// A joint or a physics segment may share a node with the path, but its far
// end is no point of the path: walking on would write it into the path.
bool isLineEdge(AbstractEdge* edge)
{
    const QGraphicsItem* item = dynamic_cast<QGraphicsItem*>(edge);
    return item && (item->type() == PathSegmentItemType || item->type() == LineItemType);
}

// The edge by which a walk leaves node: an unvisited path segment when there
// is one, so that a free line touching the path never cuts the chain short;
// otherwise the first unvisited free line.
AbstractEdge* nextEdge(LineItemNode* node, const QSet<AbstractEdge*>& visited)
{
    AbstractEdge* fallback = nullptr;
    for (AbstractEdge* edge : node->edges()) {
        if (visited.contains(edge))
            continue;
        if (isPathSegment(edge))
            return edge;
        if (!fallback && isLineEdge(edge))
            fallback = edge;
    }
    return fallback;
}

bool isLive(LineItemNode* node)
{
    return node && !node->isDeletionPending();
}

} // namespace

IOPoint::IOPoint()
    : m_point(0, 0)
{
}

IOPoint::IOPoint(QPointF point)
    : m_point(point)
{
}

void IOPoint::read(IOTransformer& io)
{
    const double x = numberFromText(decodeText(io.readAttribute("x")));
    const double y = numberFromText(decodeText(io.readAttribute("y")));
    m_point = QPointF(x, y);
}

void IOPoint::write(IOTransformer& io)
{
    io.writeAttribute("x", encodeText(textFromNumber(m_point.x())));
    io.writeAttribute("y", encodeText(textFromNumber(m_point.y())));
}

std::string IOPoint::key()
{
    return key_str();
}

std::string IOPoint::key_str()
{
    return "pt";
}

PathItem::PathItem(QPointF pos)
    : QObject(nullptr)
    , QGraphicsEllipseItem(-10, -10, 20, 20)
{
    setBrush(QBrush(Qt::green, Qt::SolidPattern));
    setPen(QPen(Qt::black, 0));
    setFlags(QGraphicsItem::ItemIsSelectable | QGraphicsItem::ItemIsFocusable | QGraphicsItem::ItemIsMovable);
    setZValue(PhysicsShapeZ);
    setPos(pos);
}

PathItem::~PathItem()
{
    m_groupMembership.leave(this, this, groupId());
}

int PathItem::type() const
{
    return PathItemType;
}

void PathItem::setStartingNode(LineItemNode* node)
{
    m_startingNode = node;
    m_firstSegment = nullptr;
    m_secondNode = nullptr;
    if (node)
        rememberStart(node);
}

AbstractEdge* PathItem::firstEdge(LineItemNode* start) const
{
    // The chain leaves its start by the segment it began with, as long as the
    // start still holds it; a closed chain would otherwise be walked backwards.
    AbstractEdge* first = dynamic_cast<AbstractEdge*>(m_firstSegment.data());
    if (first && start->edges().contains(first))
        return first;
    return nextEdge(start, QSet<AbstractEdge*>());
}

void PathItem::rememberStart(LineItemNode* node)
{
    m_lastStartPos = node->pos();
    AbstractEdge* first = firstEdge(node);
    m_firstSegment = first ? dynamic_cast<QObject*>(first) : nullptr;
    m_secondNode = first ? first->otherNode(node) : nullptr;
}

LineItemNode* PathItem::startingNode()
{
    LineItemNode* start = m_startingNode.data();
    if (isLive(start)) {
        rememberStart(start);
        return start;
    }
    if (!start && !m_firstSegment)
        return nullptr;

    // The starting node was merged into another one (or dissolved), which now
    // holds the first segment in its place: that segment's end other than the
    // second node, or failing that the end lying where the start was.
    LineItemNode* survivor = nullptr;
    if (AbstractEdge* first = dynamic_cast<AbstractEdge*>(m_firstSegment.data())) {
        LineItemNode* candidates[2] = {first->endA(), first->endB()};
        LineItemNode* second = m_secondNode.data();
        if (second && (second == candidates[0] || second == candidates[1])) {
            LineItemNode* other = second == candidates[0] ? candidates[1] : candidates[0];
            if (isLive(other))
                survivor = other;
        } else {
            double best = 0;
            for (LineItemNode* candidate : candidates) {
                if (!isLive(candidate))
                    continue;
                const double distance = QLineF(candidate->pos(), m_lastStartPos).length();
                if (!survivor || distance < best) {
                    survivor = candidate;
                    best = distance;
                }
            }
        }
    }
    m_startingNode = survivor;
    if (survivor)
        rememberStart(survivor);
    else
        m_firstSegment = nullptr;
    return survivor;
}

LineItemNode* PathItem::walkChain(const std::function<void(LineItemNode*)>& visitNode,
                                  const std::function<void(AbstractEdge*)>& visitEdge)
{
    QSet<LineItemNode*> nodesSeen;
    QSet<AbstractEdge*> edgesSeen;
    LineItemNode* start = startingNode();
    LineItemNode* node = start;
    while (node) {
        if (nodesSeen.contains(node))
            return node;
        nodesSeen.insert(node);
        visitNode(node);
        AbstractEdge* edge = node == start ? firstEdge(node) : nextEdge(node, edgesSeen);
        if (!edge)
            return nullptr;
        edgesSeen.insert(edge);
        visitEdge(edge);
        node = edge->otherNode(node);
    }
    return nullptr;
}

void PathItem::setGroupId(QString group)
{
    group = writableText(group);
    m_groupMembership.move(this, this, group, groupId());
    GroupableItem::setGroupId(group);
}

bool PathItem::active() const
{
    return isVisible();
}

void PathItem::setActive(bool on)
{
    setVisible(on);
    walkChain([on](LineItemNode* node) { node->setVisible(on); },
              [on](AbstractEdge* edge) {
                  if (QGraphicsItem* item = dynamic_cast<QGraphicsItem*>(edge))
                      item->setVisible(on);
              });
}

void PathItem::write(IOTransformer& io)
{
    io.writeAttribute("x", encodeText(textFromNumber(pos().x())));
    io.writeAttribute("y", encodeText(textFromNumber(pos().y())));
    io.writeAttribute("group", encodeText(groupId()));
    if (!name().isEmpty())
        io.writeAttribute("name", encodeText(name()));

    auto writePoint = [&io](LineItemNode* node) {
        IOPoint point(node->pos());
        io.write(point);
    };
    // A closed chain ends with its closing point once more, so it reopens closed.
    if (LineItemNode* closing = walkChain(writePoint, [](AbstractEdge*) {}))
        writePoint(closing);

    const QList<QByteArray> names = dynamicPropertyNames();
    for (const QByteArray& propertyName : names)
        io.writeAttribute(propertyName.toStdString(), encodeText(property(propertyName.constData()).toString()));
}

void PathItem::read(IOTransformer& io)
{
    const double x = numberFromText(decodeText(io.readAttribute("x")));
    const double y = numberFromText(decodeText(io.readAttribute("y")));
    m_name = decodeText(io.readAttribute("name"));
    const QString group = decodeText(io.readAttribute("group"));
    if (!group.isEmpty())
        setGroupId(group);
    setPos(x, y);

    QGraphicsScene* s = scene();
    QPointF previous;
    bool first = true;
    QPointer<LineItemNode> previousEnd;
    while (io.nodeExists(IOPoint::key_str())) {
        IOPoint point;
        if (!io.read(point))
            break;
        const QPointF current = point.point();
        if (first || !s) {
            first = false;
            previous = current;
            continue;
        }
        // Join the previous segment explicitly: points closer than one unit would
        // otherwise find the segment's own far end first and break the chain. The
        // segment starts on the previous end itself: a node of its own, merged
        // away at once, would cost the scene a search of all its items to delete.
        const bool joined = isLive(previousEnd.data());
        LineItem* segment = joined ? new LineItem(s, previousEnd.data(), previous, current)
                                   : new LineItem(s, previous, current, false);
        segment->setWriteable(false);
        segment->setZValue(zValue());
        if (!joined)
            segment->endA()->mergeWithTouchingNode();
        segment->endB()->mergeWithTouchingNode();
        if (!m_startingNode)
            setStartingNode(segment->otherNode(nullptr));
        previousEnd = segment->endB();
        previous = current;
    }

    IOTransformer::Attributes rest;
    io.readAttributes(rest);
    for (const auto& attribute : rest)
        setProperty(attribute.first.c_str(), QVariant(decodeText(attribute.second)));
}

std::string PathItem::key()
{
    return key_str();
}

std::string PathItem::key_str()
{
    return "path";
}
