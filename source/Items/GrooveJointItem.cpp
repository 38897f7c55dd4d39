#include "Items/GrooveJointItem.h"

#include <QGraphicsScene>
#include <QLineF>
#include <QPen>

#include <cmath>

#include "Items/item.h"
#include "cpCompat.h"

namespace {

QPointF toPoint(cpVect v)
{
    return QPointF(v.x, v.y);
}

cpVect toVect(QPointF p)
{
    return cpv(p.x(), p.y());
}

} // namespace

// ---------------------------------------------------------------------------
// GrooveJointItem::GrooveBLine

GrooveJointItem::GrooveBLine::GrooveBLine(GrooveJointItem* owner)
    : AbstractLineItem(nullptr)
    , m_owner(owner)
{
    QPen p(jointColor);
    p.setCapStyle(Qt::RoundCap);
    p.setStyle(Qt::DashLine);
    p.setWidthF(3.0);
    setPen(p);
    setFlag(QGraphicsItem::ItemUsesExtendedStyleOption);
}

GrooveJointItem::GrooveBLine::~GrooveBLine()
{
    // The scene may delete the dashed line before its owner.
    if (m_owner)
        m_owner->m_bLine = nullptr;
}

void GrooveJointItem::GrooveBLine::setupNodes(LineItemNode* nodeA)
{
    if (!nodeA)
        return;
    setEndA(nodeA);
    nodeA->addEdge(this);

    LineItemNode* nodeB = new LineItemNode(this, nullptr);
    nodeB->setMovesQuietly();
    nodeB->place(nodeA->pos() + QPointF(35, 0));
    if (QGraphicsScene* s = scene())
        s->addItem(nodeB);
    // Keys on the handle reach the joint, which is removed as a whole.
    if (m_owner && nodeB->scene() == m_owner->scene())
        nodeB->setFocusProxy(m_owner);
    setLine(QLineF(nodeA->pos(), nodeB->pos()));
}

AbstractEdge* GrooveJointItem::GrooveBLine::clone()
{
    return nullptr;
}

void GrooveJointItem::GrooveBLine::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget)
{
    paintVisiblePart(this, painter, option, widget);
}

void GrooveJointItem::GrooveBLine::dragStarted(ItemNode* node)
{
    // Drags of the shared node A are reported by the joint's own line.
    if (m_owner && node && node == endB())
        m_owner->dragStarted(node);
}

void GrooveJointItem::GrooveBLine::dragEnded(ItemNode* node)
{
    if (m_owner && node && node == endB())
        m_owner->dragEnded(node);
}

// ---------------------------------------------------------------------------
// GrooveJointItem

namespace {

AbstractLineJointItem* makeGroove(cpSpace* space, cpConstraint* constraint)
{
    return new GrooveJointItem(space, constraint);
}

} // namespace

const JointItemKind grooveJointKind = { SlideJointItemType, ":/images/groove.png", JointItemKind::Layout::Own,
                                        cpConstraintIsGrooveJoint, makeGroove, GrooveJointItem::defaultConstraint,
                                        nullptr };

GrooveJointItem::GrooveJointItem(cpSpace* space, cpConstraint* constraint)
    : AbstractLineJointItem(space, constraint, &grooveJointKind)
{
}

GrooveJointItem::~GrooveJointItem()
{
    if (m_bLine) {
        GrooveBLine* line = m_bLine;
        m_bLine = nullptr;
        line->m_owner = nullptr;
        delete line;
    }
}

cpConstraint* GrooveJointItem::defaultConstraint()
{
    return cpGrooveJointNew(nullptr, nullptr, cpvzero, cpvzero, cpvzero);
}

AbstractEdge* GrooveJointItem::clone()
{
    return nullptr;
}

void GrooveJointItem::adjust()
{
    if (hasBodies()) {
        cpBody* a = cpConstraintGetBodyA(m_constraint);
        cpBody* b = cpConstraintGetBodyB(m_constraint);
        const QPointF grooveA = toPoint(cpBodyLocalToWorld(a, cpGrooveJointGetGrooveA(m_constraint)));
        const QPointF grooveB = toPoint(cpBodyLocalToWorld(a, cpGrooveJointGetGrooveB(m_constraint)));
        setLine(QLineF(grooveA, toPoint(cpBodyLocalToWorld(b, cpGrooveJointGetAnchorB(m_constraint)))));
        if (m_bLine) {
            m_bLine->setLine(QLineF(grooveA, grooveB));
            // The dashed line's own handle stays on the groove's end, so that a
            // joint read from a file can be grabbed where its groove ends.
            if (LineItemNode* nodeB = m_bLine->endB())
                nodeB->place(grooveB);
        }
    }
    AbstractLineJointItem::adjust();
}

void GrooveJointItem::setupNodes()
{
    createEndNodes();
    adjustNodes();
    createSymbol(QString::fromLatin1(grooveJointKind.icon));
    if (!m_bLine) {
        m_bLine = new GrooveBLine(this);
        if (QGraphicsScene* s = scene())
            s->addItem(m_bLine);
        m_bLine->setupNodes(endA());
    }
    // A constraint read from a file keeps the values of the file; the reader
    // adds it to the space itself.
    if (!hasBodies())
        addToSpace();
}

void GrooveJointItem::addToSpace()
{
    if (!m_bLine)
        return;
    cpBody* a = nullptr;
    cpBody* b = nullptr;
    if (!bodiesAtEnds(&a, &b))
        return;
    const QLineF l = line();
    const QPointF q = m_bLine->line().p2();
    const cpVect grooveA = cpBodyWorldToLocal(a, cpv(l.x1(), l.y1()));
    const cpVect grooveB = cpBodyWorldToLocal(a, cpv(q.x(), q.y()));
    // The solver projects onto the groove's direction: a groove without length
    // gives it 0 / 0 and the bodies NaN positions, on which the engine aborts.
    if (!isSaneGroove(grooveA, grooveB))
        return;
    cpGrooveJointInit(reinterpret_cast<cpGrooveJoint*>(m_constraint), a, b, grooveA, grooveB,
                      cpBodyWorldToLocal(b, cpv(l.x2(), l.y2())));
    AbstractLineJointItem::addToSpace();
}

void GrooveJointItem::setGroove1(QPointF value)
{
    if (isSaneGroove(toVect(value), cpGrooveJointGetGrooveB(m_constraint)))
        setParameterPoint("grv_a", value, true);
}

void GrooveJointItem::setGroove2(QPointF value)
{
    if (isSaneGroove(cpGrooveJointGetGrooveA(m_constraint), toVect(value)))
        setParameterPoint("grv_b", value, true);
}
