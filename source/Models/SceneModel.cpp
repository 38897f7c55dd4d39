#include "Models/SceneModel.h"

#include <QBrush>
#include <QColor>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QMetaObject>
#include <QTransform>

#include "Views/EditorScene.h"

namespace {

QObject* asObject(QGraphicsItem* item)
{
    return item ? dynamic_cast<QObject*>(item) : nullptr;
}

QString className(const QObject* object)
{
    return QString::fromLatin1(object->metaObject()->className());
}

// Items whose class has no meta-object of its own report QObject's.
bool hasOwnMetaObject(const QObject* object)
{
    return object->metaObject() != &QObject::staticMetaObject;
}

} // namespace

SceneModelNode::SceneModelNode(QString name, QGraphicsItem* item, SceneModelNode* parent)
    : m_item(item)
    , m_guard(asObject(item))
    , m_name(name)
    , m_parent(parent)
{
    if (m_parent)
        m_parent->addChild(this);
}

SceneModelNode::~SceneModelNode()
{
    clear();
}

int SceneModelNode::columnCount() const
{
    return 1;
}

QVariant SceneModelNode::data() const
{
    return QVariant();
}

bool SceneModelNode::setData(QVariant)
{
    return false;
}

Qt::ItemFlags SceneModelNode::flags(Qt::ItemFlags flags, int) const
{
    return flags | Qt::ItemIsSelectable;
}

int SceneModelNode::index() const
{
    return m_parent ? m_row : -1;
}

SceneModelNode* SceneModelNode::getChild(int row) const
{
    return children.value(row, nullptr);
}

void SceneModelNode::addChild(SceneModelNode* child)
{
    child->m_row = children.size();
    children.append(child);
}

void SceneModelNode::removeChild(int row)
{
    if (row < 0 || row >= children.size())
        return;
    children.removeAt(row);
    for (int i = row; i < children.size(); ++i)
        children[i]->m_row = i;
}

void SceneModelNode::setParent(SceneModelNode* p)
{
    if (m_parent && m_row >= 0 && m_row < m_parent->children.size() && m_parent->children[m_row] == this)
        m_parent->removeChild(m_row);
    m_parent = p;
    if (m_parent)
        m_parent->addChild(this);
}

void SceneModelNode::clear()
{
    const QList<SceneModelNode*> old = children;
    children.clear();
    qDeleteAll(old);
}

SceneModelNode* SceneModelNode::findItemOwner(QGraphicsItem* wanted)
{
    if (wanted && item() == wanted)
        return this;
    for (SceneModelNode* child : children) {
        if (SceneModelNode* found = child->findItemOwner(wanted))
            return found;
    }
    return nullptr;
}

QGraphicsItem* SceneModelNode::item() const
{
    return m_guard ? m_item : nullptr;
}

// ---------------------------------------------------------------------------

SceneModel::SceneModel(QObject* parent)
    : QAbstractItemModel(parent)
    , root(QString(), nullptr, nullptr)
{
}

SceneModel::~SceneModel() = default;

SceneModelNode* SceneModel::nodeOf(const QModelIndex& index) const
{
    if (!index.isValid())
        return const_cast<SceneModelNode*>(&root);
    return static_cast<SceneModelNode*>(index.internalPointer());
}

QModelIndex SceneModel::index(int row, int column, const QModelIndex& parent) const
{
    SceneModelNode* node = nodeOf(parent);
    if (row < 0 || column < 0 || row >= node->count())
        return QModelIndex();
    return createIndex(row, column, node->getChild(row));
}

QModelIndex SceneModel::parent(const QModelIndex& index) const
{
    if (!index.isValid())
        return QModelIndex();
    SceneModelNode* up = nodeOf(index)->parent();
    if (!up || up == &root)
        return QModelIndex();
    return createIndex(up->index(), 0, up);
}

int SceneModel::rowCount(const QModelIndex& parent) const
{
    return nodeOf(parent)->count();
}

int SceneModel::columnCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return 1;
    return nodeOf(parent)->columnCount();
}

QVariant SceneModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    SceneModelNode* node = nodeOf(index);
    QGraphicsItem* item = node->item();
    switch (role) {
    case Qt::DisplayRole:
        return index.column() == 0 ? QVariant(node->name()) : node->data();
    case Qt::DecorationRole:
        return index.column() == 0 ? QVariant(node->icon()) : QVariant();
    case Qt::BackgroundRole:
        if (item && item->isSelected())
            return QBrush(QColor(100, 140, 255));
        return QVariant();
    case Qt::ForegroundRole:
        if (item && item->isSelected())
            return QBrush(Qt::white);
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant SceneModel::headerData(int, Qt::Orientation, int) const
{
    return QVariant();
}

QStringList SceneModel::mimeTypes() const
{
    return QAbstractItemModel::mimeTypes();
}

QMimeData* SceneModel::mimeData(const QModelIndexList& indexes) const
{
    return QAbstractItemModel::mimeData(indexes);
}

Qt::DropActions SceneModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

Qt::ItemFlags SceneModel::flags(const QModelIndex& index) const
{
    const Qt::ItemFlags base = QAbstractItemModel::flags(index);
    if (!index.isValid())
        return base;
    return nodeOf(index)->flags(base, index.column());
}

QModelIndex SceneModel::indexForItem(QGraphicsItem* item)
{
    QObject* object = asObject(item);
    if (!object || !hasOwnMetaObject(object))
        return QModelIndex();
    SceneModelNode* node = m_nodes.value(item, nullptr);
    if (!node || node->item() != item)
        return QModelIndex();
    return createIndex(node->index(), 0, node);
}

void SceneModel::updateModelWithScene(EditorScene* _scene, QRectF rect)
{
    beginResetModel();
    root.clear();
    m_nodes.clear();
    if (_scene) {
        const QList<QGraphicsItem*> items =
            _scene->items(rect, Qt::IntersectsItemBoundingRect, Qt::AscendingOrder, QTransform());
        for (QGraphicsItem* item : items) {
            if (!item->parentItem())
                createNode(item, &root);
        }
    }
    endResetModel();
}

void SceneModel::createNode(QGraphicsItem* item, SceneModelNode* parent)
{
    QObject* object = asObject(item);
    if (!object)
        return;
    const QString cls = className(object);
    const QString suffix = QStringLiteral(" (") + object->objectName() + QStringLiteral(")");
    const QString text = suffix == QLatin1String(" ()") ? cls : cls + suffix;

    SceneModelNode* node = new SceneModelNode(text, item, parent);
    for (QGraphicsItem* child : item->childItems())
        createNode(child, node);

    if (node->count() == 0 && !hasOwnMetaObject(object)) {
        // The node is its parent's last child: taken off the end, no search.
        parent->removeChild(parent->count() - 1);
        delete node;
        return;
    }
    m_nodes.insert(item, node);
    connect(object, &QObject::destroyed, this, &SceneModel::listedItemDestroyed, Qt::UniqueConnection);
}

void SceneModel::select(QModelIndex index, QModelIndex previous)
{
    if (!index.isValid())
        return;
    QGraphicsItem* item = nodeOf(index)->item();
    // An item taken out of the scene (deleted through the undo stack) waits
    // there for its command; it cannot be selected.
    if (!item || !item->scene() || item->isSelected())
        return;
    item->scene()->clearSelection();
    item->setSelected(true);
    emit dataChanged(index, index);
    if (previous.isValid())
        emit dataChanged(previous, previous);
}
