#ifndef GRADIENTITEM_H
#define GRADIENTITEM_H

#include "Items/item.h"

#include <QColor>
#include <QObject>
#include <QRectF>

// The level background: a rectangle filled with a vertical three-colour gradient,
// bottom colour at the lowest y, middle at half height, top colour at the highest y.
// Its colours are saved as attributes of the level's root element, never as an
// element of its own.
class TriGradientItem : public QObject, public SelectableQGraphicsItem
{
public:
    TriGradientItem();

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;
    int type() const override { return TriGradientItemType; }

    void setRect(QRectF rect);

    QColor topColor() const { return m_topColor; }
    QColor midColor() const { return m_midColor; }
    QColor bottomColor() const { return m_bottomColor; }
    void setTopColor(QColor color);
    void setMidColor(QColor color);
    void setBottomColor(QColor color);

private:
    QRectF m_rect;
    QColor m_bottomColor;
    QColor m_midColor;
    QColor m_topColor;
};

#endif // GRADIENTITEM_H
