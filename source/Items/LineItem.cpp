#include "Items/LineItem.h"

#include <QGraphicsScene>
#include <QKeyEvent>

#include "IO/textcodec.h"
#include "Items/GroupRegistry.h"

LineItem::LineItem()
    : QObject(nullptr)
    , AbstractLineItem(nullptr)
    , GroupableItem()
    , m_writeable(true)
{
}

LineItem::LineItem(QGraphicsScene* scene, QPointF p1, QPointF p2, bool mergeEnds)
    : LineItem()
{
    if (scene)
        scene->addItem(this);
    m_writeable = true;
    LineItemNode* a = new LineItemNode(this, nullptr);
    LineItemNode* b = new LineItemNode(this, nullptr);
    setFlags(QGraphicsItem::ItemIsMovable | QGraphicsItem::ItemIsSelectable);
    if (scene) {
        scene->addItem(a);
        scene->addItem(b);
    }
    setLine(QLineF(p1, p2));
    adjustNodes();
    if (mergeEnds) {
        a->mergeWithTouchingNode();
        b->mergeWithTouchingNode();
    }
}

LineItem::LineItem(QGraphicsScene* scene, LineItemNode* start, QPointF p1, QPointF p2)
    : LineItem()
{
    if (scene)
        scene->addItem(this);
    m_writeable = true;
    setEndA(start);
    LineItemNode* b = new LineItemNode(this, nullptr);
    setFlags(QGraphicsItem::ItemIsMovable | QGraphicsItem::ItemIsSelectable);
    if (scene)
        scene->addItem(b);
    setLine(QLineF(p1, p2));
    adjustNodes();
    start->addEdge(this);
    // The start's other edges follow it to p1, as after a merge.
    start->updateEdges();
}

LineItem::~LineItem()
{
    m_groupMembership.leave(this, this, groupId());
}

int LineItem::type() const
{
    return m_writeable ? LineItemType : PathSegmentItemType;
}

void LineItem::setWriteable(bool writeable)
{
    m_writeable = writeable;
}

AbstractEdge* LineItem::clone()
{
    LineItem* c = new LineItem();
    c->setPos(pos());
    c->setLine(line());
    c->setPen(pen());
    c->setWriteable(m_writeable);
    if (QGraphicsItem* parent = parentItem())
        c->setParentItem(parent);
    else if (QGraphicsScene* s = scene())
        s->addItem(c);
    return c;
}

void LineItem::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        deleteLater();
        return;
    }
    AbstractLineItem::keyPressEvent(event);
}

std::string LineItem::key()
{
    return key_str();
}

void LineItem::write(IOTransformer& transformer)
{
    AbstractLineItem::write(transformer);
    if (!groupId().isEmpty())
        transformer.writeAttribute("group", encodeText(groupId()));
    if (!name().isEmpty())
        transformer.writeAttribute("name", encodeText(name()));
}

void LineItem::read(IOTransformer& transformer)
{
    AbstractLineItem::read(transformer);
    const QString group = decodeText(transformer.readAttribute("group"));
    const QString lineName = decodeText(transformer.readAttribute("name"));
    GroupableItem::setName(lineName);
    if (!group.isEmpty())
        setGroupId(group);
}

bool LineItem::active() const
{
    return isVisible();
}

void LineItem::setActive(bool active)
{
    setVisible(active);
}

void LineItem::setGroupId(QString groupId)
{
    groupId = writableText(groupId);
    m_groupMembership.move(this, this, groupId, this->groupId());
    GroupableItem::setGroupId(groupId);
}
