#ifndef TEXTITEM_H
#define TEXTITEM_H

#include "IO/iotransformer.h"

#include <QGraphicsTextItem>

#include <string>

class QFocusEvent;
class QKeyEvent;
class QPainter;
class QStyleOptionGraphicsItem;
class QWidget;

// A free plain-text label, edited in place and drawn upright on the y-up canvas.
// Stored as the "text" element.
class TextItem : public QGraphicsTextItem, public IONode
{
    Q_OBJECT

public:
    explicit TextItem(QGraphicsItem* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
    int type() const override;

    void read(IOTransformer& io) override;
    void write(IOTransformer& io) override;
    std::string key() override;
    static std::string key_str();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

#endif // TEXTITEM_H
