#ifndef PATHITEM_H
#define PATHITEM_H

#include "IO/iotransformer.h"
#include "Items/GroupRegistry.h"
#include "Items/item.h"

#include <QGraphicsEllipseItem>
#include <QObject>
#include <QPointer>
#include <QPointF>
#include <QString>

#include <functional>
#include <string>

class AbstractEdge;
class LineItemNode;

// One point of a path's chain, stored as a "pt" child of the "path" element.
class IOPoint : public IONode
{
public:
    IOPoint();
    explicit IOPoint(QPointF point);

    QPointF point() const { return m_point; }

    void read(IOTransformer& io) override;
    void write(IOTransformer& io) override;
    std::string key() override;
    static std::string key_str();

private:
    QPointF m_point;
};

// A named, groupable polyline: a green handle that reaches a chain of path
// segments (non-writeable lines joined by shared end nodes) through its
// starting node. The handle owns neither segments nor nodes.
class PathItem : public QObject, public QGraphicsEllipseItem, public GroupableItem, public IONode
{
    Q_OBJECT
    Q_PROPERTY(QPointF position READ pos WRITE setPos DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(QString group READ groupId WRITE setGroupId DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(QString name READ name WRITE setName DESIGNABLE true SCRIPTABLE true STORED true USER true)

public:
    explicit PathItem(QPointF pos);
    ~PathItem() override;

    int type() const override;

    void setStartingNode(LineItemNode* node);
    // The first node of the chain. When the stored node was merged into another
    // one, the survivor takes its place; when it is gone, the chain is empty (null).
    LineItemNode* startingNode();

    void setGroupId(QString group) override;
    bool active() const override;
    void setActive(bool on) override;

    void read(IOTransformer& io) override;
    void write(IOTransformer& io) override;
    std::string key() override;
    static std::string key_str();

private:
    // Visits the chain from the starting node, each node and edge once. Returns
    // the node at which the walk came back onto itself (a closed chain), or null.
    LineItemNode* walkChain(const std::function<void(LineItemNode*)>& visitNode,
                            const std::function<void(AbstractEdge*)>& visitEdge);
    AbstractEdge* firstEdge(LineItemNode* start) const;
    void rememberStart(LineItemNode* node);

    QPointer<LineItemNode> m_startingNode;
    // What is known of the chain's beginning, to find the node that absorbed the
    // starting node: the first segment, its far end and the start's last place.
    QPointer<QObject> m_firstSegment;
    QPointer<LineItemNode> m_secondNode;
    QPointF m_lastStartPos;
    GroupMembership m_groupMembership;
};

#endif // PATHITEM_H
