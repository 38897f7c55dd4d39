#include "Items/PolyItem.h"

#include "IO/textcodec.h"

#include <QBrush>
#include <QGraphicsScene>
#include <QKeyEvent>
#include <QPainter>
#include <QPen>
#include <QPolygonF>
#include <QStringList>
#include <QVariant>

#include <algorithm>

// A vertex handle that also reports moves it did not drive itself: when several
// selected handles are dragged together, only the grabbed one gets the mouse
// move, yet every polygon whose handles moved must recompute its rectangle.
class PolyVertexHandle : public ItemNode
{
public:
    explicit PolyVertexHandle(AbstractPolyItem* owner)
        : ItemNode(owner)
        , owner(owner)
    {
        setFlag(QGraphicsItem::ItemSendsGeometryChanges);
    }

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override
    {
        const QVariant result = ItemNode::itemChange(change, value);
        // The grabbed handle reports through its own mouse move; a handle not yet
        // placed, or not in the vertex list, is still being placed by its owner
        // (checked last: the list is long in a large polygon).
        if (change == QGraphicsItem::ItemPositionHasChanged && placed
            && !(scene() && scene()->mouseGrabberItem() == this) && owner->nodes.contains(this))
            owner->updatePosition(this);
        return result;
    }

public:
    // From now on moves of the handle are the owner's business.
    void setPlaced() { placed = true; }
    // Before the handle goes: Qt keeps the owner's bounds of its children until a
    // child's geometry changes, and a deleted child does not count as one.
    void aboutToGo() { prepareGeometryChange(); }

private:
    AbstractPolyItem* owner;
    bool placed = false;
};

AbstractPolyItem::AbstractPolyItem(bool fan, QGraphicsItem* parent)
    : SelectableQGraphicsItem(parent)
    , rect(0, 0, 0, 0)
    , fan(fan)
    , color(0, 0, 0, 100)
{
}

AbstractPolyItem::~AbstractPolyItem()
{
    // The handles are child items and go with the polygon.
    nodes.clear();
}

void AbstractPolyItem::childGeometryChanging(QGraphicsItem* child)
{
    if (auto* host = child ? dynamic_cast<AbstractPolyItem*>(child->parentItem()) : nullptr)
        host->prepareGeometryChange();
}

void AbstractPolyItem::followHost(QGraphicsItem* child)
{
    child->setFlag(QGraphicsItem::ItemSendsGeometryChanges, child->parentItem() != nullptr);
}

QRectF AbstractPolyItem::boundingRect() const
{
    return rect.united(childrenBoundingRect());
}

// Each triangle is a closed subpath of its own under the odd-even rule, so
// where triangles overlap an even number of times the point lies outside.
QPainterPath AbstractPolyItem::shape() const
{
    QPainterPath path;
    const int n = int(nodes.size());
    for (int i = 0; i + 2 < n; ++i) {
        QPolygonF triangle;
        if (fan)
            triangle << nodes[0]->pos() << nodes[i + 1]->pos() << nodes[i + 2]->pos();
        else
            triangle << nodes[i]->pos() << nodes[i + 1]->pos() << nodes[i + 2]->pos();
        path.addPolygon(triangle);
        path.closeSubpath();
    }
    return path;
}

QPainterPath AbstractPolyItem::opaqueArea() const
{
    return shape();
}

void AbstractPolyItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget)
{
    SelectableQGraphicsItem::paint(painter, option, widget);
    painter->setPen(QPen(QBrush(Qt::yellow), 0));
    painter->setBrush(QBrush(color, Qt::SolidPattern));
    if (fan)
        paintFan(painter, option);
    else
        paintStrip(painter, option);
}

void AbstractPolyItem::paintFan(QPainter* painter, const QStyleOptionGraphicsItem*)
{
    const int n = int(nodes.size());
    for (int i = 1; i + 1 < n; ++i) {
        const QPointF triangle[3] = {nodes[0]->pos(), nodes[i]->pos(), nodes[i + 1]->pos()};
        painter->drawPolygon(triangle, 3, Qt::OddEvenFill);
    }
}

void AbstractPolyItem::paintStrip(QPainter* painter, const QStyleOptionGraphicsItem*)
{
    const int n = int(nodes.size());
    for (int i = 0; i + 2 < n; ++i) {
        const QPointF triangle[3] = {nodes[i]->pos(), nodes[i + 1]->pos(), nodes[i + 2]->pos()};
        painter->drawPolygon(triangle, 3, Qt::OddEvenFill);
    }
}

int AbstractPolyItem::type() const
{
    return PolyItemType;
}

ItemNode* AbstractPolyItem::createHandle(QPointF point)
{
    auto* node = new PolyVertexHandle(this);
    node->setFocusProxy(this);
    node->setPos(point);
    node->setPlaced();
    return node;
}

void AbstractPolyItem::addPoint(QPointF point)
{
    nodes.append(createHandle(point));
    calcRect();
    colorNodes();
}

void AbstractPolyItem::addPoints(const QList<QPointF>& points)
{
    nodes.reserve(nodes.size() + points.size());
    for (const QPointF& point : points)
        nodes.append(createHandle(point));
    calcRect();
    colorNodes();
}

void AbstractPolyItem::addNodeAtNode(ItemNode* node)
{
    const qsizetype index = nodes.indexOf(node);
    if (index < 0)
        return;
    nodes.insert(index, createHandle(node->pos()));
    colorNodes();
}

void AbstractPolyItem::updatePosition(ItemNode*)
{
    calcRect();
}

ItemNode* AbstractPolyItem::getSelectedNode() const
{
    if (!scene())
        return nullptr;
    for (ItemNode* node : nodes) {
        if (node->isSelected())
            return node;
    }
    return nullptr;
}

QRectF AbstractPolyItem::nodeBounds() const
{
    if (nodes.isEmpty())
        return rect;
    QRectF bounds;
    bool first = true;
    for (ItemNode* node : nodes) {
        const QPointF p = node->pos();
        if (first) {
            bounds = QRectF(p, p);
            first = false;
            continue;
        }
        if (p.x() < bounds.left())
            bounds.setLeft(p.x());
        if (p.y() > bounds.bottom())
            bounds.setBottom(p.y());
        if (p.x() > bounds.right())
            bounds.setRight(p.x());
        if (p.y() < bounds.top())
            bounds.setTop(p.y());
    }
    return bounds;
}

void AbstractPolyItem::calcRect()
{
    prepareGeometryChange();
    rect = nodeBounds();
    update();
}

void AbstractPolyItem::deleteHandle(ItemNode* node)
{
    const QRectF bounds = nodeBounds();
    const QPointF p = node->pos();
    // All handles are alike, so one strictly inside the others leaves both the
    // rectangle and the children's bounds as they are. Only then may the scene's
    // index go untold, which for a large polygon costs a walk over every handle.
    const bool inner = bounds == rect && p.x() > bounds.left() && p.x() < bounds.right()
        && p.y() > bounds.top() && p.y() < bounds.bottom();
    if (!inner)
        prepareGeometryChange();
    nodes.removeOne(node);
    if (auto* handle = dynamic_cast<PolyVertexHandle*>(node))
        handle->aboutToGo();
    delete node;
    if (!inner)
        rect = nodeBounds();
    update();
}

void AbstractPolyItem::colorNodes()
{
    const QBrush last(Qt::red, Qt::SolidPattern);
    const QBrush other(Qt::yellow, Qt::SolidPattern);
    for (qsizetype i = 0; i < nodes.size(); ++i)
        nodes[i]->setBrush(i == nodes.size() - 1 ? last : other);
}

void AbstractPolyItem::focusInEvent(QFocusEvent* event)
{
    SelectableQGraphicsItem::focusInEvent(event);
    for (ItemNode* node : nodes)
        node->setVisible(true);
}

void AbstractPolyItem::focusOutEvent(QFocusEvent* event)
{
    SelectableQGraphicsItem::focusOutEvent(event);
    for (ItemNode* node : nodes)
        node->setVisible(false);
}

void AbstractPolyItem::keyPressEvent(QKeyEvent* event)
{
    ItemNode* selected = getSelectedNode();
    if (!selected)
        return;
    if (event->key() == Qt::Key_Control)
        addNodeAtNode(selected);
    else if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace)
        deleteNode(selected);
}

void AbstractPolyItem::write(IOTransformer& io)
{
    io.writeAttribute("fan", fan ? "1" : "0");
    io.writeAttribute("r", encodeText(textFromNumber(color.red())));
    io.writeAttribute("g", encodeText(textFromNumber(color.green())));
    io.writeAttribute("b", encodeText(textFromNumber(color.blue())));
    QStringList points;
    for (ItemNode* node : nodes) {
        const QPointF p = node->pos();
        points << QString::number(p.x(), 'f', 1) + QLatin1Char(',') + QString::number(p.y(), 'f', 1);
    }
    io.writeAttribute("pts", encodeText(points.join(QStringLiteral(", "))));
}

static int colorComponent(const std::string& text)
{
    // Out-of-range values clamp, as the colour's own setters would.
    return std::clamp(decodeText(text).trimmed().toInt(nullptr, 10), 0, 255);
}

void AbstractPolyItem::read(IOTransformer& io)
{
    fan = io.readAttribute("fan") == "1";
    color.setRed(colorComponent(io.readAttribute("r")));
    color.setGreen(colorComponent(io.readAttribute("g")));
    color.setBlue(colorComponent(io.readAttribute("b")));
    const QStringList pieces = decodeText(io.readAttribute("pts")).split(QLatin1Char(','), Qt::SkipEmptyParts);
    QList<QPointF> points;
    points.reserve(pieces.size() / 2);
    for (qsizetype i = 0; i + 1 < pieces.size(); i += 2)
        points.append(QPointF(numberFromText(pieces[i]), numberFromText(pieces[i + 1])));
    addPoints(points);
    update();
}

PolyItem::PolyItem(bool fan)
    : QObject(nullptr)
    , AbstractPolyItem(fan, nullptr)
{
    setFlag(QGraphicsItem::ItemIsSelectable);
    setFlag(QGraphicsItem::ItemIsFocusable);
}

QColor PolyItem::color() const
{
    return AbstractPolyItem::color;
}

void PolyItem::setColor(QColor c)
{
    AbstractPolyItem::color = c;
    AbstractPolyItem::color.setAlpha(100);
}

void PolyItem::deleteNode(ItemNode* node)
{
    if (!nodes.contains(node))
        return;
    deleteHandle(node);
    if (nodes.size() < 3) {
        const QList<ItemNode*> rest = nodes;
        nodes.clear();
        qDeleteAll(rest);
        calcRect();
        deleteLater();
        return;
    }
    colorNodes();
}

std::string PolyItem::key()
{
    return key_str();
}

std::string PolyItem::key_str()
{
    return "fill";
}

void PolyItem::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) && !getSelectedNode()) {
        deleteLater();
        return;
    }
    AbstractPolyItem::keyPressEvent(event);
}
