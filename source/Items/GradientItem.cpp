#include "Items/GradientItem.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPen>

TriGradientItem::TriGradientItem()
    : QObject(nullptr)
    , SelectableQGraphicsItem(nullptr)
    , m_rect(0, 0, 0, 0)
    , m_bottomColor(100, 246, 100, 255)
    , m_midColor(100, 216, 100, 255)
    , m_topColor(100, 196, 100, 255)
{
    setZValue(BackgroundZ);
}

QRectF TriGradientItem::boundingRect() const
{
    return m_rect;
}

void TriGradientItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
                            QWidget* widget)
{
    const qreal x = m_rect.x();
    const qreal y = m_rect.y();
    const qreal w = m_rect.width();
    const qreal h = m_rect.height();

    painter->setPen(QPen(QColor(Qt::transparent), 0));

    // The colour depends on y only, so the gradients run along x = 0.
    QLinearGradient lower(0, y, 0, y + h / 2);
    lower.setColorAt(0, m_bottomColor);
    lower.setColorAt(1, m_midColor);
    painter->setBrush(lower);
    painter->drawRect(QRectF(x, y, w, h / 2));

    QLinearGradient upper(0, y + h / 2, 0, y + h);
    upper.setColorAt(0, m_midColor);
    upper.setColorAt(1, m_topColor);
    painter->setBrush(upper);
    painter->drawRect(QRectF(x, y + h / 2, w, h / 2));

    SelectableQGraphicsItem::paint(painter, option, widget);
}

void TriGradientItem::setRect(QRectF rect)
{
    prepareGeometryChange();
    m_rect = rect;
}

void TriGradientItem::setTopColor(QColor color)
{
    m_topColor = color;
    update();
}

void TriGradientItem::setMidColor(QColor color)
{
    m_midColor = color;
    update();
}

void TriGradientItem::setBottomColor(QColor color)
{
    m_bottomColor = color;
    update();
}
