#ifndef LINEITEM_H
#define LINEITEM_H

#include <QObject>
#include <QPointF>
#include <QString>

#include "Items/AbstractLineItem.h"
#include "Items/GroupRegistry.h"
#include "Items/item.h"

class QGraphicsScene;

// The user's free line, saved as "line", or (not writeable) a segment of a path,
// which its path saves instead.
class LineItem : public QObject, public AbstractLineItem, public GroupableItem
{
    Q_OBJECT
    Q_PROPERTY(QString group READ groupId WRITE setGroupId DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(QString name READ name WRITE setName DESIGNABLE true SCRIPTABLE true STORED true USER true)

public:
    LineItem();
    // A line in scene from p1 to p2 with two new end nodes; with mergeEnds each end
    // joins a node it touches. Movable, not focusable.
    LineItem(QGraphicsScene* scene, QPointF p1, QPointF p2, bool mergeEnds);
    // A line in scene from start, which takes it as its last edge and moves to p1,
    // to p2 with a new end node: what a new line whose first end then merged into
    // start would leave, without a node made only to be deleted.
    LineItem(QGraphicsScene* scene, LineItemNode* start, QPointF p1, QPointF p2);
    ~LineItem() override;

    static std::string key_str() { return "line"; }

    // LineItemType when writeable, PathSegmentItemType otherwise.
    int type() const override;
    void setWriteable(bool writeable);

    // A new line with this one's position, line, pen and writeable flag, in the
    // same parent item or scene, without ends.
    AbstractEdge* clone() override;

    void read(IOTransformer& transformer) override;
    void write(IOTransformer& transformer) override;
    std::string key() override;

    bool active() const override;
    void setActive(bool active) override;
    // Moves the line in the canvas's group registry, then stores the id.
    void setGroupId(QString groupId) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_writeable;
    GroupMembership m_groupMembership;
};

#endif // LINEITEM_H
