#include "Items/item.h"

#include "IO/textcodec.h"
#include "Items/SmallShapePaint.h"

#include <QBrush>
#include <QPainter>
#include <QPen>
#include <QStyle>
#include <QStyleOptionGraphicsItem>
#include <QtGlobal>

namespace {
int offsetOf(ItemType type)
{
    return int(type) - QGraphicsItem::UserType;
}
} // namespace

bool propertiesType(ItemType type)
{
    return int(type) > QGraphicsItem::UserType;
}

bool shapeType(ItemType type)
{
    const int offset = offsetOf(type);
    return offset >= 10 && offset <= 12;
}

bool jointType(ItemType type)
{
    const int offset = offsetOf(type);
    return offset >= 13 && offset <= 22;
}

bool writeableType(ItemType type)
{
    switch (offsetOf(type)) {
    case 2: case 3: case 5: case 6: case 7: case 8: case 9:
        return true;
    default:
        return false;
    }
}

bool parentableType(ItemType type)
{
    const int offset = offsetOf(type);
    return offset == 8 || offset == 11 || offset == 12;
}

// ---------------------------------------------------------------------------

SelectableQGraphicsItem::SelectableQGraphicsItem(QGraphicsItem* parent)
    : QGraphicsItem(parent)
{
}

void SelectableQGraphicsItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
                                    QWidget*)
{
    if (!(option->state & QStyle::State_Selected))
        return;

    const QTransform& m = painter->transform();
    const QRectF unit = m.mapRect(QRectF(0, 0, 1, 1));
    if (qFuzzyIsNull(qMax(unit.width(), unit.height())))
        return;

    const QRectF bounds = boundingRect();
    const QRectF mapped = m.mapRect(bounds);
    if (qMin(mapped.width(), mapped.height()) < 1.0)
        return;

    // Half of an assumed item pen width of 1.
    const qreal pad = 0.5;

    const QColor fg = option->palette.windowText().color();
    const QColor contrast(fg.red() > 127 ? 0 : 255,
                          fg.green() > 127 ? 0 : 255,
                          fg.blue() > 127 ? 0 : 255,
                          255);
    const QRectF outline = bounds.adjusted(pad, pad, -pad, -pad);

    painter->setPen(QPen(contrast, 0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(outline);

    painter->setPen(QPen(option->palette.windowText(), 0, Qt::DashLine, Qt::SquareCap,
                         Qt::BevelJoin));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(outline);
}

// ---------------------------------------------------------------------------

ItemNode::ItemNode(AbstractNodeParent* parent)
    : QObject(nullptr)
    , QGraphicsEllipseItem(-3, -3, 6, 6, dynamic_cast<QGraphicsItem*>(parent))
    , m_nodeParent(parent)
{
    setFlags(QGraphicsItem::ItemIsMovable | QGraphicsItem::ItemIsSelectable
             | QGraphicsItem::ItemIsFocusable);
    // Qt 4's default pen: cosmetic, width 0 (Qt 6's QPen() is width 1 and grows the bounds).
    setPen(QPen(Qt::black, 0));
    setBrush(QBrush(Qt::yellow, Qt::SolidPattern));
}

void ItemNode::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget)
{
    paintSmallEllipse(painter, option, widget, *this);
}

void ItemNode::notifyParentOfUpdate()
{
    if (m_nodeParent)
        m_nodeParent->updatePosition(this);
}

void ItemNode::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    QGraphicsItem::mousePressEvent(event);
}

void ItemNode::mouseMoveEvent(QGraphicsSceneMouseEvent* event)
{
    QGraphicsItem::mouseMoveEvent(event);
    notifyParentOfUpdate();
}

void ItemNode::mouseReleaseEvent(QGraphicsSceneMouseEvent* event)
{
    QGraphicsItem::mouseReleaseEvent(event);
}

// ---------------------------------------------------------------------------

AbstractSyncItem::~AbstractSyncItem()
{
    delete pair; // clears the partner's link too
}

void AbstractSyncItem::deleteSyncPair()
{
    if (!pair)
        return;
    delete pair;
    pair = nullptr;
}

SyncedItemPair::~SyncedItemPair()
{
    if (m_syncer && m_syncer->pair == this)
        m_syncer->pair = nullptr;
    if (m_syncee && m_syncee->pair == this)
        m_syncee->pair = nullptr;
}

void SyncedItemPair::syncItems(AbstractSyncItem* syncer, AbstractSyncItem* syncee)
{
    if (!syncer || !syncee || m_syncer || m_syncee)
        return;
    m_syncer = syncer;
    m_syncee = syncee;
    syncer->pair = this;
    syncee->pair = this;
    sync();
}

void SyncedItemPair::sync()
{
    if (m_syncer && m_syncee)
        m_syncee->sync(m_syncer);
}

// ---------------------------------------------------------------------------

QString GroupableItem::groupId() const
{
    return m_groupId;
}

void GroupableItem::setGroupId(QString groupId)
{
    m_groupId = writableText(groupId);
}


QString GroupableItem::name() const
{
    return m_name;
}

void GroupableItem::setName(QString name)
{
    m_name = writableText(name);
}
