#ifndef LINENODEINDEX_H
#define LINENODEINDEX_H

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QVector>

class LineItemNode;
class QGraphicsScene;

// Where the line end nodes of one scene lie, in a grid of small cells, so that a
// node finds the nodes it touches in constant time, whatever the scene's own
// item index holds. The scene owns it as a child object (the canvas's scene makes
// its own; any other scene gets one on the first node that enters it). Nodes
// list and unlist themselves as they enter, move and leave; it owns none of them.
class LineNodeIndex : public QObject
{
    Q_OBJECT
public:
    explicit LineNodeIndex(QGraphicsScene* scene);

    // The scene's index, made for it when it has none.
    static LineNodeIndex* of(QGraphicsScene* scene);

    void insert(LineItemNode* node);
    void remove(LineItemNode* node);
    void moved(LineItemNode* node);

    // The other listed nodes less than one unit from node that are shown and not
    // going away, topmost first: higher z, then the later listed, as the scene
    // stacks them.
    QList<LineItemNode*> touching(const LineItemNode* node) const;
    // The same for a node that would lie at p; except is left out.
    QList<LineItemNode*> touchingAt(const QPointF& p, const LineItemNode* except) const;

private:
    struct Entry {
        quint64 cell = 0;
        quint64 order = 0;
    };

    void addToCell(quint64 cell, LineItemNode* node);
    void removeFromCell(quint64 cell, LineItemNode* node);

    QHash<quint64, QVector<LineItemNode*> > m_cells;
    QHash<const LineItemNode*, Entry> m_entries;
    quint64 m_nextOrder = 0;
};

#endif // LINENODEINDEX_H
