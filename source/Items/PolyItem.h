#ifndef POLYITEM_H
#define POLYITEM_H

#include "IO/iotransformer.h"
#include "Items/item.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include <string>

class QFocusEvent;
class QKeyEvent;
class QPainter;
class QStyleOptionGraphicsItem;
class QWidget;
class PolyVertexHandle;

// A polygon over draggable vertex handles, filled as a triangle strip or a
// triangle fan. Base of the decorative fill and of the physics polygon shape,
// which overrides addPoint, updatePosition, deleteNode, paint, type, key and
// the key and mouse handlers.
class AbstractPolyItem : public SelectableQGraphicsItem, public AbstractNodeParent
{
public:
    AbstractPolyItem(bool fan, QGraphicsItem* parent = nullptr);
    ~AbstractPolyItem() override;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    QPainterPath opaqueArea() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget = nullptr) override;
    int type() const override;

    virtual void addPoint(QPointF point);
    // All the points at once, with one rectangle and colour update at the end
    // (adding one by one recomputes both over every handle each time).
    void addPoints(const QList<QPointF>& points);

    void updatePosition(ItemNode* node) override;
    void deleteNode(ItemNode* node) override = 0;

    // The fan flag and the vertices, for the stored kinds.
    void read(IOTransformer& io);
    void write(IOTransformer& io);

    void addNodeAtNode(ItemNode* node);
    ItemNode* getSelectedNode() const;
    void calcRect();
    void colorNodes();

    // The polygon's bounding rectangle takes in its children (handles and glued
    // shapes): a child about to move or leave tells its host first, so that the
    // scene's index drops the host under the rectangle it was filed under.
    static void childGeometryChanging(QGraphicsItem* child);
    // The geometry changes a glued child reports; on while it has a host.
    static void followHost(QGraphicsItem* child);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    // Takes a handle that is in the vertex list out and deletes it, with the
    // rectangle following.
    void deleteHandle(ItemNode* node);

    void paintFan(QPainter* painter, const QStyleOptionGraphicsItem* option);
    void paintStrip(QPainter* painter, const QStyleOptionGraphicsItem* option);

    QList<ItemNode*> nodes;
    QRectF rect;
    bool fan;
    QColor color;

private:
    friend class PolyVertexHandle;
    ItemNode* createHandle(QPointF point);
    // The bounding box of the vertices; the current rectangle when there are none.
    QRectF nodeBounds() const;
};

// The level's filled polygon, stored as the "fill" element. Its fill is always
// translucent (alpha 100), and it goes away when fewer than three vertices remain.
class PolyItem : public QObject, public AbstractPolyItem, public IONode
{
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor DESIGNABLE true SCRIPTABLE true STORED true USER true)

public:
    explicit PolyItem(bool fan);

    QColor color() const;
    void setColor(QColor c);

    void deleteNode(ItemNode* node) override;
    void read(IOTransformer& io) override { AbstractPolyItem::read(io); }
    void write(IOTransformer& io) override { AbstractPolyItem::write(io); }
    std::string key() override;
    static std::string key_str();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

#endif // POLYITEM_H
