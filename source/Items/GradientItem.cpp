#include "Items/GradientItem.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPen>

TriGradientItem::TriGradientItem()
    : QObject(nullptr)
    , SelectableQGraphicsItem(nullptr)
    , mRect(0, 0, 0, 0)
    , mBottomColor(100, 246, 100, 255)
    , mMidColor(100, 216, 100, 255)
    , mTopColor(100, 196, 100, 255)
{
    setZValue(BackgroundZ);
}

QRectF TriGradientItem::boundingRect() const
{
    return mRect;
}

void TriGradientItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
                            QWidget* widget)
{
    const qreal x = mRect.x();
    const qreal y = mRect.y();
    const qreal w = mRect.width();
    const qreal h = mRect.height();

    painter->setPen(QPen(QColor(Qt::transparent), 0));

    // The colour depends on y only, so the gradients run along x = 0.
    QLinearGradient lower(0, y, 0, y + h / 2);
    lower.setColorAt(0, mBottomColor);
    lower.setColorAt(1, mMidColor);
    painter->setBrush(lower);
    painter->drawRect(QRectF(x, y, w, h / 2));

    QLinearGradient upper(0, y + h / 2, 0, y + h);
    upper.setColorAt(0, mMidColor);
    upper.setColorAt(1, mTopColor);
    painter->setBrush(upper);
    painter->drawRect(QRectF(x, y + h / 2, w, h / 2));

    SelectableQGraphicsItem::paint(painter, option, widget);
}

void TriGradientItem::setRect(QRectF rect)
{
    prepareGeometryChange();
    mRect = rect;
}

void TriGradientItem::setTopColor(QColor color)
{
    mTopColor = color;
    update();
}

void TriGradientItem::setMidColor(QColor color)
{
    mMidColor = color;
    update();
}

void TriGradientItem::setBottomColor(QColor color)
{
    mBottomColor = color;
    update();
}
