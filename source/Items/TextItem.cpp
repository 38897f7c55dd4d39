#include "Items/TextItem.h"

#include "IO/textcodec.h"
#include "Items/item.h"

#include <QKeyEvent>
#include <QTransform>

namespace {

// A line break is stored as \n. A text holding a backslash also has every
// backslash doubled and says so in the "escaped" attribute, so that it comes
// back as it was; texts without one are written as they always were, and files
// without the attribute read as they always did (every \n is a line break).
QString escapedText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else
            out += c;
    }
    return out;
}

QString unescapedText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if (text.at(i) == QLatin1Char('\\') && next == QLatin1Char('\\')) {
            out += QLatin1Char('\\');
            ++i;
        } else if (text.at(i) == QLatin1Char('\\') && next == QLatin1Char('n')) {
            out += QLatin1Char('\n');
            ++i;
        } else {
            out += text.at(i);
        }
    }
    return out;
}

} // namespace

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
    const QString text = toPlainText();
    io.writeAttribute("text", encodeText(escapedText(text)));
    if (text.contains(QLatin1Char('\\')))
        io.writeAttribute("escaped", "1");
}

void TextItem::read(IOTransformer& io)
{
    const double x = numberFromText(decodeText(io.readAttribute("x")));
    const double y = numberFromText(decodeText(io.readAttribute("y")));
    const double angle = numberFromText(decodeText(io.readAttribute("angle")));
    QString text = decodeText(io.readAttribute("text"));
    if (io.readAttribute("escaped") == "1")
        text = unescapedText(text);
    else
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
