#ifndef ABSTRACTLINEITEM_H
#define ABSTRACTLINEITEM_H

#include <QGraphicsLineItem>
#include <QLineF>
#include <QList>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QPointer>

#include "IO/iotransformer.h"
#include "Items/item.h"

class LineItemNode;
class LineNodeIndex;

// An edge between two shared end nodes. Neither side owns the other: the node
// lists its edges, the edge names its two ends, and whichever goes first clears
// itself out of the other.
class AbstractEdge
{
public:
    AbstractEdge();
    // Detaches the edge from both ends; an end left without edges deletes itself
    // (deferred).
    virtual ~AbstractEdge();

    AbstractEdge(const AbstractEdge&) = delete;
    AbstractEdge& operator=(const AbstractEdge&) = delete;

    // Brings the edge's own geometry in line with its end nodes.
    virtual void updateEndpoints() = 0;
    // A new edge of the same kind, already in the scene, with no ends; null when
    // the edge cannot be split.
    virtual AbstractEdge* clone() = 0;
    // End A unless that is n, otherwise end B.
    virtual LineItemNode* otherNode(LineItemNode* n);
    // Scene position of end A / end B, (0, 0) for an empty end.
    virtual QPointF pointA() const;
    virtual QPointF pointB() const;
    // Swaps one end (A first); with a null oldNode it fills the first empty end.
    // Node edge lists are not touched.
    virtual void replaceNode(LineItemNode* oldNode, LineItemNode* newNode);
    // Called by an end node on each of its edges when pressed and released.
    virtual void dragStarted(ItemNode* node);
    virtual void dragEnded(ItemNode* node);

    LineItemNode* endA() const { return m_endA; }
    LineItemNode* endB() const { return m_endB; }
    // Plain stores; the caller keeps the node lists in step.
    void setEndA(LineItemNode* node) { m_endA = node; }
    void setEndB(LineItemNode* node) { m_endB = node; }
    // Exchanges the two end references (the nodes themselves stay put).
    void swapEnds();

protected:
    LineItemNode* m_endA;
    LineItemNode* m_endB;
};

// The blue handle at the end of one or more edges. Dropping it less than one
// unit from another node merges the two. Space breaks the first edge away,
// Control inserts a bend, Delete/Backspace deletes the node.
class LineItemNode : public ItemNode
{
public:
    // Either edge may be null. The node starts at e1's pointB(), else e2's
    // pointA(); each given edge takes it as end A when that is empty, else as end B.
    // The caller adds the node to a scene.
    LineItemNode(AbstractEdge* e1, AbstractEdge* e2);
    // Clears itself out of every edge it still lists (the edges stay).
    ~LineItemNode() override;

    void setDecorate(bool decorate);
    bool decorate() const { return m_decorate; }

    // Appends an edge; an edge already listed is not added again.
    void addEdge(AbstractEdge* edge);
    // Removes the edge; with deleteIfEmpty, a node left without edges deletes
    // itself (deferred).
    void removeEdge(AbstractEdge* edge, bool deleteIfEmpty);
    // The first listed edge that is not e, or null.
    AbstractEdge* otherEdge(AbstractEdge* e) const;
    const QList<AbstractEdge*>& edges() const { return m_edges; }
    void updateEdges();

    // Line nodes of the scene less than one unit away, topmost first; hidden
    // nodes and nodes that are already going away are skipped.
    QList<LineItemNode*> touchingNodes() const;
    virtual void mergeWithTouchingNode();
    // This node absorbs other: takes over its edges and its position. Nothing
    // happens for null, for this node itself, or when the two share an edge.
    void mergeWithNode(LineItemNode* other);
    // Moves the first edge onto a new node at the same place (needs two edges).
    void breakAway();
    // Splits the first edge with its clone and a new node at this position.
    void insertNode();
    // Two edges: dissolves the node, joining the edges into one. Otherwise deletes
    // every edge of the node. Then the node deletes itself (deferred).
    void deleteThis();

    // For a line being read whose new end would absorb this node at once: the
    // node takes edge first in its list, as that end (A or B) and with its
    // decoration, and is listed in the node index as the newest, which leaves
    // what the absorbing end would, without a node to delete (each deletion
    // costs the scene a search of all its items). False, with nothing changed,
    // for a node unlike a fresh one (a joint's quiet end, selected, restyled).
    bool standInForNewEnd(AbstractEdge* edge, bool asEndA, bool decorate);

    // True once the node has asked for its own deferred deletion.
    bool isDeletionPending() const { return m_deletionPending; }

    // For a joint's ends, which move with their bodies on every physics tick:
    // the node sends geometry changes only while selected, and whoever moves it
    // otherwise does so through place(), which keeps the node index in step.
    void setMovesQuietly();
    // Moves the node and tells the node index even when no change is sent.
    void place(const QPointF& position);

    int type() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;

private:
    void scheduleDeletion();
    void snapToAngle(AbstractEdge* edge);

    bool m_decorate;
    bool m_deletionPending;
    bool m_quiet = false;
    QList<AbstractEdge*> m_edges;
    // The scene's node index, which lists this node while it is in the scene;
    // kept up to date through the geometry changes the node sends (or place()).
    QPointer<LineNodeIndex> m_nodeIndex;
};

// The drawable edge: a grey, round-capped line with width keys that reads and
// writes its end points and width. Base of lines, path segments and joint lines.
class AbstractLineItem : public AbstractEdge, public QGraphicsLineItem, public IONode
{
public:
    explicit AbstractLineItem(QGraphicsItem* parent = nullptr);
    ~AbstractLineItem() override;

    // Lays the line from end A to end B when both are set.
    void updateEndpoints() override;
    // Moves the end nodes onto the line's two points (without updating edges).
    void adjustNodes();

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;
    // Qt's own, kept until the line or the pen changes.
    QRectF boundingRect() const override;
    QPainterPath shape() const override;

    virtual void deleteNode(ItemNode* node);
    virtual void addNodeAtNode(ItemNode* node);

    void read(IOTransformer& transformer) override;
    void write(IOTransformer& transformer) override;
    std::string key() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Qt strokes the wide pen afresh on every call, and the view asks for the
    // bounds of each line several times per frame while bodies move.
    void refreshOutline() const;
    mutable QLineF m_outlineLine;
    mutable QPen m_outlinePen;
    mutable QPainterPath m_outlineShape;
    mutable QRectF m_outlineBounds;
    mutable bool m_outlineValid = false;
};

#endif // ABSTRACTLINEITEM_H
