#include "Models/GroupModel.h"

#include "Items/item.h"

GroupModel::GroupModel(GroupMap* groups, QObject* parent)
    : QAbstractItemModel(parent)
    , groups(groups)
{
}

const QStringList& GroupModel::rowNames() const
{
    if (!groups) {
        m_rowNames.clear();
        m_rowNamesFor = -1;
    } else if (m_rowNamesFor != groups->size()) {
        m_rowNames = groups->keys();
        m_rowNamesFor = groups->size();
    }
    return m_rowNames;
}

const QList<GroupableItem*>* GroupModel::groupAt(int row) const
{
    if (!groups || row < 0 || row >= groups->size())
        return nullptr;
    const auto it = groups->constFind(rowNames().at(row));
    return it == groups->cend() ? nullptr : &it.value();
}

GroupableItem* GroupModel::itemAt(const QModelIndex& index) const
{
    if (index.internalId() == groupRowId)
        return nullptr;
    const QList<GroupableItem*>* group = groupAt(int(index.internalId()));
    if (!group || index.row() < 0 || index.row() >= group->size())
        return nullptr;
    return group->at(index.row());
}

QModelIndex GroupModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column < 0 || column >= 2)
        return QModelIndex();
    if (!parent.isValid()) {
        if (!groupAt(row))
            return QModelIndex();
        return createIndex(row, column, groupRowId);
    }
    if (parent.internalId() != groupRowId)
        return QModelIndex();
    const QList<GroupableItem*>* group = groupAt(parent.row());
    if (!group || row < 0 || row >= group->size())
        return QModelIndex();
    return createIndex(row, column, quintptr(parent.row()));
}

QModelIndex GroupModel::parent(const QModelIndex& index) const
{
    if (!index.isValid() || index.internalId() == groupRowId)
        return QModelIndex();
    return createIndex(int(index.internalId()), 0, groupRowId);
}

int GroupModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return groups ? int(groups->size()) : 0;
    if (parent.internalId() != groupRowId)
        return 0;
    const QList<GroupableItem*>* group = groupAt(parent.row());
    return group ? int(group->size()) : 0;
}

int GroupModel::columnCount(const QModelIndex&) const
{
    return 2;
}

QVariant GroupModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::CheckStateRole))
        return QVariant();
    if (index.column() == 1 && role == Qt::DisplayRole)
        return QStringLiteral("Visible");

    if (index.internalId() == groupRowId) {
        const QList<GroupableItem*>* group = groupAt(index.row());
        if (!group)
            return QVariant();
        if (index.column() == 0 && role == Qt::DisplayRole)
            return rowNames().at(index.row());
        if (index.column() == 1 && role == Qt::CheckStateRole) {
            // -1 (no known state) for an empty group.
            int state = -1;
            for (const GroupableItem* item : *group) {
                const int mine = item->active() ? Qt::Checked : Qt::Unchecked;
                state = (state == -1 || state == mine) ? mine : Qt::PartiallyChecked;
            }
            return state;
        }
        return QVariant();
    }

    const GroupableItem* item = itemAt(index);
    if (!item)
        return QVariant();
    if (index.column() == 0 && role == Qt::DisplayRole)
        return item->name();
    if (index.column() == 1 && role == Qt::CheckStateRole)
        return item->active() ? int(Qt::Checked) : int(Qt::Unchecked);
    return QVariant();
}

bool GroupModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::CheckStateRole || index.column() != 1)
        return false;
    const bool shown = value.toInt() != 0;
    if (index.internalId() == groupRowId) {
        const QList<GroupableItem*>* group = groupAt(index.row());
        if (!group)
            return false;
        // A copy: showing or hiding an item may touch the registry.
        const QList<GroupableItem*> items = *group;
        for (GroupableItem* item : items)
            item->setActive(shown);
        return true;
    }
    GroupableItem* item = itemAt(index);
    if (!item)
        return false;
    item->setActive(shown);
    return true;
}

QVariant GroupModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    return section == 0 ? QStringLiteral("Group/Item") : QStringLiteral("Showing");
}

QStringList GroupModel::mimeTypes() const
{
    return QAbstractItemModel::mimeTypes();
}

QMimeData* GroupModel::mimeData(const QModelIndexList& indexes) const
{
    return QAbstractItemModel::mimeData(indexes);
}

Qt::DropActions GroupModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

Qt::ItemFlags GroupModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractItemModel::flags(index);
    if (index.isValid() && index.column() == 1)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

void GroupModel::groupUpdated(QString, QString)
{
    beginResetModel();
    m_rowNamesFor = -1;
    endResetModel();
}

void GroupModel::groupsReset()
{
    beginResetModel();
    m_rowNamesFor = -1;
    endResetModel();
}
