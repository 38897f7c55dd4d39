#include "Items/ColorMarkerItem.h"

#include <QBrush>
#include <QFileInfo>
#include <QGraphicsTextItem>
#include <QImage>
#include <QKeyEvent>
#include <QPen>
#include <QTransform>

#include "IO/textcodec.h"
#include "Items/GraphicItem.h"
#include "Items/GroupRegistry.h"

namespace {
// The next marker's number; never reset while the program runs.
int counter = 1;
} // namespace

ColorMarkerItem::ColorMarkerItem()
    : QObject(nullptr)
    , QGraphicsEllipseItem(-2, -2, 4, 4)
    , m_label(nullptr)
{
    setBrush(QBrush(Qt::darkGray, Qt::SolidPattern));
    // Qt 4's default pen: cosmetic, width 0.
    setPen(QPen(Qt::black, 0));
    setFlags(QGraphicsItem::ItemIsMovable | QGraphicsItem::ItemIsSelectable
             | QGraphicsItem::ItemIsFocusable);
    setZValue(ColorMarkerZ);

    m_label = new QGraphicsTextItem(QString::number(counter++), this);
    m_label->setPos(1, -1);
    // Upright on the y-up canvas.
    m_label->setTransform(QTransform::fromScale(1, -1));
    m_label->setDefaultTextColor(Qt::white);
}

ColorMarkerItem::~ColorMarkerItem()
{
    m_groupMembership.leave(this, this, groupId());
}

int ColorMarkerItem::type() const
{
    return ColorMarkerItemType;
}

std::string ColorMarkerItem::key()
{
    return key_str();
}

QString ColorMarkerItem::identifier() const
{
    return m_label->toPlainText();
}

QRectF ColorMarkerItem::boundingRect() const
{
    return QGraphicsEllipseItem::boundingRect() | childrenBoundingRect();
}

void ColorMarkerItem::mapColors()
{
    const QList<QGraphicsItem*> touched = collidingItems(Qt::IntersectsItemBoundingRect);
    m_samples.clear();
    for (QGraphicsItem* item : touched) {
        if (item->type() != GraphicItemType)
            continue;
        GraphicItem* sprite = static_cast<GraphicItem*>(item);
        const QPointF p = sprite->mapFromItem(this, QPointF(0, 0)) - sprite->offset();
        // Truncated toward zero, as the sample point has always been taken.
        const int x = int(p.x());
        const int y = int(p.y());
        const QImage image = sprite->pixmap().toImage();
        if (!image.valid(x, y))
            continue;
        m_samples.insert(QFileInfo(sprite->pixmapKey()).baseName(), image.pixel(x, y));
    }
}

QHash<QString, QString> ColorMarkerItem::colorStringMap() const
{
    QHash<QString, QString> strings;
    for (auto it = m_samples.constBegin(); it != m_samples.constEnd(); ++it) {
        strings.insert(it.key(), QStringLiteral("%1-%2-%3")
                                     .arg(qRed(it.value()))
                                     .arg(qGreen(it.value()))
                                     .arg(qBlue(it.value())));
    }
    return strings;
}

void ColorMarkerItem::mouseReleaseEvent(QGraphicsSceneMouseEvent* event)
{
    QGraphicsEllipseItem::mouseReleaseEvent(event);
    mapColors();
}

void ColorMarkerItem::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        deleteLater();
        return;
    }
    QGraphicsEllipseItem::keyPressEvent(event);
}

bool ColorMarkerItem::active() const
{
    return isVisible();
}

void ColorMarkerItem::setActive(bool active)
{
    setVisible(active);
}

void ColorMarkerItem::setGroupId(QString groupId)
{
    groupId = writableText(groupId);
    m_groupMembership.move(this, this, groupId, this->groupId());
    GroupableItem::setGroupId(groupId);
}

void ColorMarkerItem::write(IOTransformer& io)
{
    io.writeAttribute("x", encodeText(textFromNumber(pos().x())));
    io.writeAttribute("y", encodeText(textFromNumber(pos().y())));
    if (!groupId().isEmpty())
        io.writeAttribute("group", encodeText(groupId()));
    if (!name().isEmpty())
        io.writeAttribute("name", encodeText(name()));
    io.writeAttribute("id", encodeText(identifier()));
}

void ColorMarkerItem::read(IOTransformer& io)
{
    const double x = numberFromText(decodeText(io.readAttribute("x")));
    const double y = numberFromText(decodeText(io.readAttribute("y")));
    setPos(x, y);
    const QString group = decodeText(io.readAttribute("group"));
    m_name = decodeText(io.readAttribute("name"));
    if (!group.isEmpty())
        setGroupId(group);
    // The label is part of the bounding rectangle.
    prepareGeometryChange();
    m_label->setPlainText(decodeText(io.readAttribute("id")));
}
