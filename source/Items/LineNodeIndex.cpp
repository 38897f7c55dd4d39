#include "Items/LineNodeIndex.h"

#include <QGraphicsScene>
#include <QPointF>

#include <algorithm>
#include <cmath>

#include "Items/AbstractLineItem.h"

namespace {

// Twice the touching distance: the square of one unit around a point always
// lies in two by two cells.
constexpr double kCellSize = 2.0;
// Far-out coordinates share the border cells; the exact distance still decides.
constexpr double kCellLimit = 1.0e9;

qint32 cellCoordinate(double value)
{
    // A coordinate that is no number lies nowhere near anything; any cell will do.
    if (std::isnan(value))
        return 0;
    return qint32(std::clamp(std::floor(value / kCellSize), -kCellLimit, kCellLimit));
}

quint64 cellKey(qint32 x, qint32 y)
{
    return (quint64(quint32(x)) << 32) | quint64(quint32(y));
}

quint64 cellOf(const QPointF& p)
{
    return cellKey(cellCoordinate(p.x()), cellCoordinate(p.y()));
}

} // namespace

LineNodeIndex::LineNodeIndex(QGraphicsScene* scene)
    : QObject(scene)
{
}

LineNodeIndex* LineNodeIndex::of(QGraphicsScene* scene)
{
    if (!scene)
        return nullptr;
    if (auto* index = scene->findChild<LineNodeIndex*>(QString(), Qt::FindDirectChildrenOnly))
        return index;
    return new LineNodeIndex(scene);
}

void LineNodeIndex::insert(LineItemNode* node)
{
    if (!node || m_entries.contains(node))
        return;
    Entry entry;
    entry.cell = cellOf(node->pos());
    entry.order = m_nextOrder++;
    m_entries.insert(node, entry);
    addToCell(entry.cell, node);
}

void LineNodeIndex::remove(LineItemNode* node)
{
    auto found = m_entries.find(node);
    if (found == m_entries.end())
        return;
    removeFromCell(found->cell, node);
    m_entries.erase(found);
}

void LineNodeIndex::moved(LineItemNode* node)
{
    auto found = m_entries.find(node);
    if (found == m_entries.end())
        return;
    const quint64 cell = cellOf(node->pos());
    if (cell == found->cell)
        return;
    removeFromCell(found->cell, node);
    found->cell = cell;
    addToCell(cell, node);
}

QList<LineItemNode*> LineNodeIndex::touching(const LineItemNode* node) const
{
    return touchingAt(node->pos(), node);
}

QList<LineItemNode*> LineNodeIndex::touchingAt(const QPointF& p, const LineItemNode* node) const
{
    QList<LineItemNode*> result;
    if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
        return result;

    const qint32 left = cellCoordinate(p.x() - 1.0);
    const qint32 right = cellCoordinate(p.x() + 1.0);
    const qint32 bottom = cellCoordinate(p.y() - 1.0);
    const qint32 top = cellCoordinate(p.y() + 1.0);
    for (qint32 x = left; x <= right; ++x) {
        for (qint32 y = bottom; y <= top; ++y) {
            auto cell = m_cells.constFind(cellKey(x, y));
            if (cell == m_cells.constEnd())
                continue;
            for (LineItemNode* other : *cell) {
                if (other == node || !other->isVisible() || other->isDeletionPending())
                    continue;
                const QPointF d = other->pos() - p;
                if (d.x() * d.x() + d.y() * d.y() < 1.0)
                    result.append(other);
            }
        }
    }

    std::sort(result.begin(), result.end(), [this](const LineItemNode* a, const LineItemNode* b) {
        if (a->zValue() != b->zValue())
            return a->zValue() > b->zValue();
        return m_entries.value(a).order > m_entries.value(b).order;
    });
    return result;
}

void LineNodeIndex::addToCell(quint64 cell, LineItemNode* node)
{
    m_cells[cell].append(node);
}

void LineNodeIndex::removeFromCell(quint64 cell, LineItemNode* node)
{
    auto found = m_cells.find(cell);
    if (found == m_cells.end())
        return;
    QVector<LineItemNode*>& nodes = *found;
    const qsizetype at = nodes.indexOf(node);
    if (at >= 0) {
        // Order within a cell does not matter: touching() sorts what it finds.
        nodes[at] = nodes.last();
        nodes.removeLast();
    }
    if (nodes.isEmpty())
        m_cells.erase(found);
}
