#include "Actions/ActionModel.h"

#include "Actions/ActionItem.h"

#include <QDataStream>
#include <QIODevice>
#include <QMap>
#include <QMimeData>

#include <cmath>
#include <limits>

namespace {

// The drag format of QStandardItemModel, in which the palette hands out its rows.
const char* const paletteMimeType = "application/x-qstandarditemmodeldatalist";

} // namespace

// ActionModelNode

ActionModelNode::ActionModelNode(const QString& name, const QString& iconPath, ActionModelNode* parent)
    : m_name(name), m_icon(iconPath), m_parent(parent)
{
    if (m_parent)
        m_parent->addChild(this);
}

ActionModelNode::~ActionModelNode()
{
    qDeleteAll(m_children);
    m_children.clear();
}

Qt::ItemFlags ActionModelNode::flags(Qt::ItemFlags flags, int) const
{
    return flags | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

int ActionModelNode::index() const
{
    return m_parent ? int(m_parent->m_children.indexOf(const_cast<ActionModelNode*>(this))) : -1;
}

ActionModelNode* ActionModelNode::getChildByName(const QString& name) const
{
    for (ActionModelNode* child : m_children) {
        if (child->name() == name)
            return child;
    }
    return nullptr;
}

void ActionModelNode::setParent(ActionModelNode* p)
{
    if (m_parent) {
        const int at = index();
        if (at >= 0)
            m_parent->removeChild(at);
    }
    m_parent = p;
    if (m_parent)
        m_parent->addChild(this);
}

// ActionDataModelNode

ActionDataModelNode::ActionDataModelNode(const QString& name, double value, ActionModelNode* parent)
    : ActionModelNode(name, QStringLiteral(":/images/actionparam.png"), parent), m_value(value)
{
}

bool ActionDataModelNode::setData(const QVariant& value)
{
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return false;
    m_value = number;
    return true;
}

Qt::ItemFlags ActionDataModelNode::flags(Qt::ItemFlags flags, int column) const
{
    return column == 1 ? flags | Qt::ItemIsEditable : flags;
}

// ActionIntDataModelNode

ActionIntDataModelNode::ActionIntDataModelNode(const QString& name, int value, ActionModelNode* parent)
    : ActionDataModelNode(name, value, parent)
{
}

bool ActionIntDataModelNode::setData(const QVariant& value)
{
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || !(number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max()))
        return false;
    m_value = number;
    return true;
}

// ActionModel

ActionModel::ActionModel(cpSpace* space, QObject* parent)
    : QAbstractItemModel(parent), m_root(space)
{
}

ActionModel::~ActionModel() = default;

ActionModelNode* ActionModel::nodeFromIndex(const QModelIndex& index) const
{
    if (!index.isValid())
        return const_cast<ActionRootNode*>(&m_root);
    return static_cast<ActionModelNode*>(index.internalPointer());
}

QModelIndex ActionModel::index(int row, int column, const QModelIndex& parent) const
{
    ActionModelNode* node = nodeFromIndex(parent);
    if (row < 0 || row >= node->count())
        return QModelIndex();
    return createIndex(row, column, node->getChild(row));
}

QModelIndex ActionModel::parent(const QModelIndex& index) const
{
    if (!index.isValid())
        return QModelIndex();
    ActionModelNode* parent = nodeFromIndex(index)->parent();
    if (!parent || parent == &m_root)
        return QModelIndex();
    return createIndex(parent->index(), 0, parent);
}

int ActionModel::rowCount(const QModelIndex& parent) const
{
    return nodeFromIndex(parent)->count();
}

int ActionModel::columnCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return 2;
    return nodeFromIndex(parent)->columnCount();
}

QVariant ActionModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const ActionModelNode* node = nodeFromIndex(index);
    switch (role) {
    case Qt::DisplayRole:
        return index.column() == 0 ? QVariant(node->name()) : node->data();
    case Qt::DecorationRole:
        return index.column() == 0 ? QVariant(node->icon()) : QVariant();
    default:
        return QVariant();
    }
}

bool ActionModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || index.column() != 1)
        return false;
    return nodeFromIndex(index)->setData(value);
}

QVariant ActionModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QVariant();
    return section == 0 ? QStringLiteral("Name") : QStringLiteral("Value");
}

bool ActionModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                               const QModelIndex& parent)
{
    if (action != Qt::CopyAction || !data || !data->hasFormat(QLatin1String(paletteMimeType)))
        return false;

    // A drop on a row's "Value" cell names the row itself.
    const QModelIndex target = parent.isValid() && parent.column() != 0
        ? parent.sibling(parent.row(), 0) : parent;
    // The view asks before dropping, but the limits hold for any caller.
    if (!(flags(target) & Qt::ItemIsDropEnabled))
        return false;

    QByteArray encoded = data->data(QLatin1String(paletteMimeType));
    QDataStream stream(&encoded, QIODevice::ReadOnly);
    int sourceRow = 0;
    int sourceColumn = 0;
    QMap<int, QVariant> roles;
    stream >> sourceRow >> sourceColumn >> roles;
    if (stream.status() != QDataStream::Ok)
        return false;
    const QString kindName = roles.value(Qt::DisplayRole).toString();

    AbstractActionItem* item = makeActionItem(kindName, nullptr, space());
    if (!item)
        return false;
    ActionModelNode* node = nodeFromIndex(target);
    const int row = node->count();
    beginInsertRows(target, row, row);
    item->setParent(node);
    endInsertRows();
    return true;
}

Qt::DropActions ActionModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

bool ActionModel::removeRows(int row, int count, const QModelIndex& parent)
{
    const QModelIndex target = parent.isValid() && parent.column() != 0
        ? parent.sibling(parent.row(), 0) : parent;
    ActionModelNode* node = nodeFromIndex(target);
    if (row < 0 || count < 1 || count > node->count() - row)
        return false;
    beginRemoveRows(target, row, row + count - 1);
    for (int i = 0; i < count; ++i) {
        ActionModelNode* child = node->getChild(row);
        node->removeChild(row);
        delete child;
    }
    endRemoveRows();
    return true;
}

Qt::ItemFlags ActionModel::flags(const QModelIndex& index) const
{
    const Qt::ItemFlags base = QAbstractItemModel::flags(index);
    if (!index.isValid())
        return base | Qt::ItemIsDropEnabled;
    return nodeFromIndex(index)->flags(base, index.column());
}

QList<CCAction*> ActionModel::actions() const
{
    QList<CCAction*> result;
    for (int i = 0; i < m_root.count(); ++i) {
        if (auto* item = dynamic_cast<AbstractActionItem*>(m_root.getChild(i))) {
            if (CCAction* action = item->createAction())
                result.append(action);
        }
    }
    return result;
}

void ActionModel::write(IOTransformer& transformer)
{
    for (int i = 0; i < m_root.count(); ++i) {
        if (auto* item = dynamic_cast<AbstractActionItem*>(m_root.getChild(i)))
            transformer.write(*item);
    }
}

void ActionModel::read(IOTransformer& transformer)
{
    readActionElements(transformer, &m_root, space());
}
