#include "Items/AbstractLineItem.h"
#include "Items/SmallShapePaint.h"

#include <QBrush>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QLineF>
#include <QPainter>
#include <QPen>

#include "IO/textcodec.h"
#include "Items/LineNodeIndex.h"

namespace {

std::string numberText(qreal value)
{
    return encodeText(textFromNumber(value));
}

} // namespace

// ---------------------------------------------------------------------------
// AbstractEdge

AbstractEdge::AbstractEdge()
    : m_endA(nullptr)
    , m_endB(nullptr)
{
}

AbstractEdge::~AbstractEdge()
{
    LineItemNode* a = m_endA;
    LineItemNode* b = m_endB;
    m_endA = nullptr;
    m_endB = nullptr;
    if (a)
        a->removeEdge(this, true);
    if (b && b != a)
        b->removeEdge(this, true);
}

LineItemNode* AbstractEdge::otherNode(LineItemNode* n)
{
    return m_endA != n ? m_endA : m_endB;
}

QPointF AbstractEdge::pointA() const
{
    return m_endA ? m_endA->pos() : QPointF(0, 0);
}

QPointF AbstractEdge::pointB() const
{
    return m_endB ? m_endB->pos() : QPointF(0, 0);
}

void AbstractEdge::replaceNode(LineItemNode* oldNode, LineItemNode* newNode)
{
    if (m_endA == oldNode)
        m_endA = newNode;
    else if (m_endB == oldNode)
        m_endB = newNode;
}

void AbstractEdge::dragStarted(ItemNode*)
{
}

void AbstractEdge::dragEnded(ItemNode*)
{
}

void AbstractEdge::swapEnds()
{
    std::swap(m_endA, m_endB);
}

// ---------------------------------------------------------------------------
// LineItemNode

LineItemNode::LineItemNode(AbstractEdge* e1, AbstractEdge* e2)
    : ItemNode(nullptr)
    , m_decorate(false)
    , m_deletionPending(false)
{
    QPointF start(0, 0);
    if (e1)
        start = e1->pointB();
    else if (e2)
        start = e2->pointA();

    for (AbstractEdge* e : {e1, e2}) {
        if (!e)
            continue;
        if (!e->endA()) {
            e->setEndA(this);
        } else {
            // An end that is taken over must not keep listing the edge, or it
            // would reach the edge after the edge is gone.
            LineItemNode* previous = e->endB();
            e->setEndB(this);
            if (previous && previous != this && previous != e->endA())
                previous->removeEdge(e, true);
        }
        addEdge(e);
    }

    setPos(start);
    // The scene's node index follows the node's moves through its geometry changes.
    setFlags(QGraphicsItem::ItemIsMovable | QGraphicsItem::ItemIsSelectable
             | QGraphicsItem::ItemIsFocusable | QGraphicsItem::ItemSendsGeometryChanges);
    // Qt 4's default pen: cosmetic, width 0.
    setPen(QPen(Qt::black, 0));
    setBrush(QBrush(Qt::blue));
    setZValue(LineEndNodeZ);
}

LineItemNode::~LineItemNode()
{
    if (m_nodeIndex)
        m_nodeIndex->remove(this);
    const QList<AbstractEdge*> edges = m_edges;
    m_edges.clear();
    for (AbstractEdge* e : edges) {
        e->replaceNode(this, nullptr);
        // An edge may name this node at both ends; clear the second one too.
        if (e->endA() == this || e->endB() == this)
            e->replaceNode(this, nullptr);
    }
}

namespace {

constexpr QGraphicsItem::GraphicsItemFlags freshNodeFlags = QGraphicsItem::ItemIsMovable
    | QGraphicsItem::ItemIsSelectable | QGraphicsItem::ItemIsFocusable | QGraphicsItem::ItemSendsGeometryChanges;

} // namespace

bool LineItemNode::standInForNewEnd(AbstractEdge* edge, bool asEndA, bool decorate)
{
    if (m_quiet || m_deletionPending || !m_nodeIndex || !edge || m_edges.contains(edge) || parentItem()
        || flags() != freshNodeFlags || isSelected() || hasFocus() || !isVisible() || !isEnabled()
        || opacity() != 1.0 || zValue() != LineEndNodeZ || pen() != QPen(Qt::black, 0)
        || brush() != QBrush(Qt::blue))
        return false;
    if (asEndA)
        edge->setEndA(this);
    else
        edge->setEndB(this);
    m_edges.prepend(edge);
    setDecorate(decorate);
    m_nodeIndex->remove(this);
    m_nodeIndex->insert(this);
    return true;
}

void LineItemNode::setMovesQuietly()
{
    m_quiet = true;
    setFlag(ItemSendsGeometryChanges, isSelected());
}

void LineItemNode::place(const QPointF& position)
{
    setPos(position);
    if (m_nodeIndex && !(flags() & ItemSendsGeometryChanges))
        m_nodeIndex->moved(this);
}

void LineItemNode::setDecorate(bool decorate)
{
    m_decorate = decorate;
    update();
}

void LineItemNode::addEdge(AbstractEdge* edge)
{
    if (edge && !m_edges.contains(edge))
        m_edges.append(edge);
}

void LineItemNode::removeEdge(AbstractEdge* edge, bool deleteIfEmpty)
{
    m_edges.removeOne(edge);
    if (deleteIfEmpty && m_edges.isEmpty())
        scheduleDeletion();
}

AbstractEdge* LineItemNode::otherEdge(AbstractEdge* e) const
{
    for (AbstractEdge* edge : m_edges) {
        if (edge != e)
            return edge;
    }
    return nullptr;
}

void LineItemNode::updateEdges()
{
    const QList<AbstractEdge*> edges = m_edges;
    for (AbstractEdge* e : edges)
        e->updateEndpoints();
}

QList<LineItemNode*> LineItemNode::touchingNodes() const
{
    if (!scene() || !m_nodeIndex)
        return QList<LineItemNode*>();
    return m_nodeIndex->touching(this);
}

void LineItemNode::mergeWithTouchingNode()
{
    const QList<LineItemNode*> touching = touchingNodes();
    if (!touching.isEmpty())
        mergeWithNode(touching.first());
}

void LineItemNode::mergeWithNode(LineItemNode* other)
{
    if (!other || other == this || m_deletionPending || other->isDeletionPending())
        return;
    for (AbstractEdge* e : other->m_edges) {
        if (m_edges.contains(e))
            return;
    }

    const QList<AbstractEdge*> taken = other->m_edges;
    // The absorbed node keeps nothing: its destructor must not reach these edges.
    other->m_edges.clear();
    for (AbstractEdge* e : taken) {
        e->replaceNode(other, this);
        addEdge(e);
    }
    setPos(other->pos());
    other->scheduleDeletion();
    updateEdges();
}

void LineItemNode::breakAway()
{
    if (m_edges.size() <= 1 || !scene())
        return;
    AbstractEdge* e = m_edges.takeFirst();
    e->replaceNode(this, nullptr);
    LineItemNode* node = new LineItemNode(e, nullptr);
    node->setPos(pos());
    scene()->addItem(node);
}

void LineItemNode::insertNode()
{
    if (m_edges.isEmpty() || !scene())
        return;
    AbstractEdge* e = m_edges.first();
    // The clone comes first: an edge that cannot be split leaves all as it was.
    AbstractEdge* c = e->clone();
    if (!c)
        return;
    m_edges.removeFirst();

    LineItemNode* n = new LineItemNode(nullptr, nullptr);
    n->setPos(pos());
    scene()->addItem(n);

    e->replaceNode(this, n);
    c->setEndB(n);
    c->setEndA(this);
    n->addEdge(e);
    n->addEdge(c);
    e->updateEndpoints();
    addEdge(c);
    // The clone's geometry is a placeholder until it follows its nodes.
    c->updateEndpoints();
}

void LineItemNode::deleteThis()
{
    if (m_deletionPending)
        return;

    bool dissolved = false;
    if (m_edges.size() == 2) {
        AbstractEdge* e1 = m_edges.at(0);
        AbstractEdge* e2 = m_edges.at(1);
        LineItemNode* far = e1->otherNode(this);
        // Joining needs a far node that is neither this node nor the far end of
        // e2 (which would turn e2 into a loop on one node).
        if (far && far != this && e2->otherNode(this) != far) {
            far->removeEdge(e1, false);
            m_edges.removeOne(e1);
            far->addEdge(e2);
            e2->replaceNode(this, far);
            e2->updateEndpoints();
            e1->replaceNode(this, nullptr);
            delete e1;
            dissolved = true;
        }
    }

    if (!dissolved) {
        const QList<AbstractEdge*> edges = m_edges;
        for (AbstractEdge* e : edges) {
            // An edge already gone has taken itself off the list: delete each once.
            if (m_edges.contains(e))
                delete e;
        }
    }

    // Whatever is still listed must not be reached from the destructor later.
    m_edges.clear();
    scheduleDeletion();
}

int LineItemNode::type() const
{
    return LineItemNodeType;
}

void LineItemNode::paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
                         QWidget* widget)
{
    painter->setRenderHint(QPainter::Antialiasing, true);
    paintSmallEllipse(painter, option, widget, *this);
    if (m_decorate) {
        painter->setBrush(QBrush(Qt::red));
        painter->setPen(pen());
        painter->drawEllipse(QRect(-2, -2, 4, 4));
    }
}

void LineItemNode::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    QGraphicsItem::mousePressEvent(event);
    const QList<AbstractEdge*> edges = m_edges;
    for (AbstractEdge* e : edges)
        e->dragStarted(this);
}

void LineItemNode::mouseMoveEvent(QGraphicsSceneMouseEvent* event)
{
    QGraphicsItem::mouseMoveEvent(event);

    if ((event->modifiers() & Qt::ShiftModifier) && m_edges.size() == 1)
        snapToAngle(m_edges.first());
    else
        updateEdges();

    // Selected polygon handles moved along with this node: their owners must
    // follow too, so what is saved matches what is shown. (Line nodes that moved
    // along update their edges themselves, see itemChange.)
    if (QGraphicsScene* s = scene()) {
        const QList<QGraphicsItem*> selected = s->selectedItems();
        for (QGraphicsItem* item : selected) {
            if (item == this || item->type() == LineItemNodeType
                || !(item->flags() & QGraphicsItem::ItemIsMovable))
                continue;
            if (ItemNode* handle = dynamic_cast<ItemNode*>(item))
                handle->notifyParentOfUpdate();
        }
    }
}

QVariant LineItemNode::itemChange(GraphicsItemChange change, const QVariant& value)
{
    switch (change) {
    case ItemSceneChange:
        if (m_nodeIndex)
            m_nodeIndex->remove(this);
        m_nodeIndex = nullptr;
        break;
    case ItemSceneHasChanged:
        m_nodeIndex = LineNodeIndex::of(scene());
        if (m_nodeIndex)
            m_nodeIndex->insert(this);
        break;
    case ItemPositionHasChanged:
        if (m_nodeIndex)
            m_nodeIndex->moved(this);
        break;
    default:
        break;
    }

    // Moved along while another selected item is dragged: the edges follow, so
    // what is saved matches what is shown. Every other move is followed by an
    // explicit updateEdges() or updateEndpoints() where it is wanted.
    if (change == ItemSelectedHasChanged && m_quiet)
        setFlag(ItemSendsGeometryChanges, value.toBool());
    if (change == ItemPositionHasChanged && isSelected()) {
        QGraphicsScene* s = scene();
        QGraphicsItem* grabber = s ? s->mouseGrabberItem() : nullptr;
        if (grabber && grabber != this)
            updateEdges();
    }
    return ItemNode::itemChange(change, value);
}

void LineItemNode::snapToAngle(AbstractEdge* edge)
{
    if (edge->endA() == this)
        edge->swapEnds();
    LineItemNode* anchor = edge->endA();
    if (!anchor || anchor == this) {
        edge->updateEndpoints();
        return;
    }
    // From the node positions, not pointA()/pointB(): a physics segment reports
    // its engine's old end points there.
    QLineF line(anchor->pos(), pos());
    const int angle = int(line.angle());
    const int snapped = ((angle + 2) / 5) * 5;
    line.setAngle(snapped);
    setPos(line.p2());
    edge->updateEndpoints();
}

void LineItemNode::mouseReleaseEvent(QGraphicsSceneMouseEvent* event)
{
    QGraphicsItem::mouseReleaseEvent(event);
    const QList<AbstractEdge*> edges = m_edges;
    for (AbstractEdge* e : edges)
        e->dragEnded(this);
    mergeWithTouchingNode();
}

void LineItemNode::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
        breakAway();
        event->accept();
        break;
    case Qt::Key_Control:
        insertNode();
        event->accept();
        break;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        deleteThis();
        event->accept();
        break;
    default:
        break;
    }
}

void LineItemNode::scheduleDeletion()
{
    m_deletionPending = true;
    deleteLater();
}

// ---------------------------------------------------------------------------
// AbstractLineItem

AbstractLineItem::AbstractLineItem(QGraphicsItem* parent)
    : AbstractEdge()
    , QGraphicsLineItem(parent)
{
    QPen p(Qt::gray);
    p.setCapStyle(Qt::RoundCap);
    p.setWidthF(4.0);
    setPen(p);
    setFlags(QGraphicsItem::ItemIsSelectable | QGraphicsItem::ItemIsFocusable);
    setZValue(LineZ);
}

AbstractLineItem::~AbstractLineItem() = default;

void AbstractLineItem::updateEndpoints()
{
    if (m_endA && m_endB)
        setLine(QLineF(m_endA->pos(), m_endB->pos()));
}

void AbstractLineItem::adjustNodes()
{
    const QLineF l = line();
    if (m_endA)
        m_endA->place(l.p1());
    if (m_endB)
        m_endB->place(l.p2());
}

void AbstractLineItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
                             QWidget* widget)
{
    painter->setRenderHint(QPainter::Antialiasing, true);
    paintInBands(painter, boundingRect(), pen(), QBrush(), [&] { QGraphicsLineItem::paint(painter, option, widget); });
}

void AbstractLineItem::refreshOutline() const
{
    const QLineF l = line();
    const QPen p = pen();
    if (m_outlineValid && l == m_outlineLine && p == m_outlinePen)
        return;
    m_outlineLine = l;
    m_outlinePen = p;
    m_outlineShape = QGraphicsLineItem::shape();
    // Qt's bounds ask shape() again, which answers from the fresh path.
    m_outlineValid = true;
    m_outlineBounds = QGraphicsLineItem::boundingRect();
}

QRectF AbstractLineItem::boundingRect() const
{
    refreshOutline();
    return m_outlineBounds;
}

QPainterPath AbstractLineItem::shape() const
{
    refreshOutline();
    return m_outlineShape;
}

void AbstractLineItem::deleteNode(ItemNode*)
{
}

void AbstractLineItem::addNodeAtNode(ItemNode*)
{
}

std::string AbstractLineItem::key()
{
    return "invalid:abstractlineitem";
}

void AbstractLineItem::keyPressEvent(QKeyEvent* event)
{
    QPen p = pen();
    if (event->key() == Qt::Key_Up) {
        p.setWidth(p.width() + 1);
        setPen(p);
        updateEndpoints();
    } else if (event->key() == Qt::Key_Down) {
        if (p.width() > 1) {
            p.setWidth(p.width() - 1);
            setPen(p);
            updateEndpoints();
        }
    }
}

void AbstractLineItem::focusInEvent(QFocusEvent* event)
{
    QGraphicsLineItem::focusInEvent(event);
}

void AbstractLineItem::focusOutEvent(QFocusEvent* event)
{
    QGraphicsLineItem::focusOutEvent(event);
}

void AbstractLineItem::write(IOTransformer& transformer)
{
    const QLineF l = line();
    transformer.writeAttribute("x1", numberText(l.x1()));
    transformer.writeAttribute("y1", numberText(l.y1()));
    transformer.writeAttribute("x2", numberText(l.x2()));
    transformer.writeAttribute("y2", numberText(l.y2()));
    transformer.writeAttribute("width", encodeText(QString::number(pen().width())));
}

// The node a new end node at p1 would absorb first, for a line from p1 to p2
// whose ends are not made yet; null when it would absorb none. The new end at p2,
// the newest node, would come first among the touching nodes of the same height.
static LineItemNode* nodeAbsorbedAt(QGraphicsScene* scene, const QPointF& p1, const QPointF& p2)
{
    LineNodeIndex* index = LineNodeIndex::of(scene);
    const QList<LineItemNode*> touching = index ? index->touchingAt(p1, nullptr) : QList<LineItemNode*>();
    if (touching.isEmpty())
        return nullptr;
    const QPointF d = p2 - p1;
    const bool farEndFirst = d.x() * d.x() + d.y() * d.y() < 1.0 && touching.first()->zValue() <= LineEndNodeZ;
    return farEndFirst ? nullptr : touching.first();
}

void AbstractLineItem::read(IOTransformer& transformer)
{
    const qreal x1 = numberFromText(decodeText(transformer.readAttribute("x1")));
    const qreal y1 = numberFromText(decodeText(transformer.readAttribute("y1")));
    const qreal x2 = numberFromText(decodeText(transformer.readAttribute("x2")));
    const qreal y2 = numberFromText(decodeText(transformer.readAttribute("y2")));
    const int width = decodeText(transformer.readAttribute("width")).toInt(nullptr, 10);

    QGraphicsScene* s = scene();
    bool startTaken = false;
    // Nodes belong to the scene; without one they would have no owner.
    if (s && !m_endA && !m_endB) {
        // A line that continues another one: the node its start would absorb
        // stands in for that start.
        LineItemNode* absorbed = nodeAbsorbedAt(s, QPointF(x1, y1), QPointF(x2, y2));
        startTaken = absorbed && absorbed->standInForNewEnd(this, true, true);
        LineItemNode* a = nullptr;
        if (!startTaken) {
            a = new LineItemNode(this, nullptr);
            a->setDecorate(true);
        }
        LineItemNode* b = new LineItemNode(this, nullptr);
        if (a)
            s->addItem(a);
        s->addItem(b);
    }

    setLine(x1, y1, x2, y2);
    if (width > 0) {
        QPen p = pen();
        p.setWidth(width);
        setPen(p);
    }
    if (startTaken) {
        // The start keeps its place, and the line and the start's other edges
        // follow it, as after a merge.
        m_endB->place(line().p2());
        m_endA->updateEdges();
    } else {
        adjustNodes();
        if (LineItemNode* a = m_endA)
            a->mergeWithTouchingNode();
    }
    if (LineItemNode* b = m_endB)
        b->mergeWithTouchingNode();
}
