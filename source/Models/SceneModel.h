#ifndef SCENEMODEL_H
#define SCENEMODEL_H

#include <QAbstractItemModel>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <QVariant>

class EditorScene;
class QGraphicsItem;

// One row of the scene tree: a named scene item. Owns its children, never the
// item, which it watches so that a node whose item is gone answers nothing.
class SceneModelNode
{
public:
    SceneModelNode(QString name, QGraphicsItem* item, SceneModelNode* parent);
    // Deletes the children; a node that still has a parent is removed from it
    // by the caller first.
    virtual ~SceneModelNode();
    SceneModelNode(const SceneModelNode&) = delete;
    SceneModelNode& operator=(const SceneModelNode&) = delete;

    virtual int columnCount() const;
    virtual QVariant data() const;
    virtual bool setData(QVariant value);
    virtual Qt::ItemFlags flags(Qt::ItemFlags flags, int column) const;

    int count() const { return children.size(); }
    // The row under the parent, kept by the parent: no search.
    int index() const;
    SceneModelNode* getChild(int row) const;
    void addChild(SceneModelNode* child);
    void removeChild(int row);
    void setParent(SceneModelNode* p);
    void clear();
    // Depth-first, pre-order; nodes whose item is gone match nothing.
    SceneModelNode* findItemOwner(QGraphicsItem* item);

    QString name() const { return m_name; }
    QIcon icon() const { return m_icon; }
    SceneModelNode* parent() const { return m_parent; }
    // The item, or null once it has been deleted.
    QGraphicsItem* item() const;

private:
    QIcon m_icon;
    QList<SceneModelNode*> children;
    QGraphicsItem* m_item;
    // Every listed item is a QObject; this clears when it is deleted.
    QPointer<QObject> m_guard;
    QString m_name;
    SceneModelNode* m_parent;
    int m_row = -1;
};

// The "Visible in Scene" tree: the parent/child hierarchy of the scene's Qt
// object items, rebuilt from scratch when its owner asks, which it does once
// per batch of changes. Selected items are highlighted, and choosing a row
// selects its item.
class SceneModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    explicit SceneModel(QObject* parent = nullptr);
    ~SceneModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDropActions() const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    QModelIndex indexForItem(QGraphicsItem* item);

signals:
    // A listed item was destroyed: the tree holds a row that no longer has one.
    void listedItemDestroyed();

public slots:
    void updateModelWithScene(EditorScene* _scene, QRectF rect);
    void select(QModelIndex index, QModelIndex previous);

private:
    SceneModelNode* nodeOf(const QModelIndex& index) const;
    void createNode(QGraphicsItem* item, SceneModelNode* parent);

    SceneModelNode root;
    // The node of each listed item, for lookups in constant time; a key whose
    // item is gone maps to a node that answers no item.
    QHash<const QGraphicsItem*, SceneModelNode*> m_nodes;
};

#endif // SCENEMODEL_H
