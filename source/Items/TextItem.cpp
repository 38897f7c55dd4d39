#include "Items/TextItem.h"

#include "IO/textcodec.h"
#include "Items/item.h"

#include <QKeyEvent>
#include <QTransform>

TextItem::TextItem(QGraphicsItem* parent)
    : QGraphicsTextItem(parent)
{
    // The canvas is y-up; mirroring the item keeps the glyphs upright.
    setTransform(QTransform::fromScale(1, -1), true);
    setTextInteractionFlags(Qt::TextEditorInteraction);
    setFlag(QGraphicsItem::ItemIsSelectable);
    setFlag(QGraphicsItem::ItemIsMovable);
}

void TextItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget)
{
    QGraphicsTextItem::paint(painter, option, widget);
}

int TextItem::type() const
{
    return TextItemType;
}

void TextItem::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        // Control keys turn or delete the label; none of them reaches the editor.
        switch (event->key()) {
        case Qt::Key_Left:
            setRotation(rotation() - 5);
            break;
        case Qt::Key_Right:
            setRotation(rotation() + 5);
            break;
        case Qt::Key_Delete:
        case Qt::Key_Backspace:
            deleteLater();
            break;
        default:
            break;
        }
        return;
    }
    QGraphicsTextItem::keyPressEvent(event);
}

void TextItem::focusInEvent(QFocusEvent* event)
{
    QGraphicsTextItem::focusInEvent(event);
}

void TextItem::focusOutEvent(QFocusEvent* event)
{
    QGraphicsTextItem::focusOutEvent(event);
}

void TextItem::write(IOTransformer& io)
{
    io.writeAttribute("x", encodeText(textFromNumber(pos().x())));
    io.writeAttribute("y", encodeText(textFromNumber(pos().y())));
    if (rotation() != 0)
        io.writeAttribute("angle", encodeText(textFromNumber(rotation())));
    QString text = toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    io.writeAttribute("text", encodeText(text));
}

void TextItem::read(IOTransformer& io)
{
    const double x = numberFromText(decodeText(io.readAttribute("x")));
    const double y = numberFromText(decodeText(io.readAttribute("y")));
    const double angle = numberFromText(decodeText(io.readAttribute("angle")));
    QString text = decodeText(io.readAttribute("text"));
    text.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    // Never interpreted as markup: a level's text is plain.
    setPlainText(text);
    setPos(x, y);
    setRotation(angle);
}

std::string TextItem::key()
{
    return key_str();
}

std::string TextItem::key_str()
{
    return "text";
}
