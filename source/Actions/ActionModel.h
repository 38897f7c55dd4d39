#ifndef ACTIONMODEL_H
#define ACTIONMODEL_H

#include <QAbstractItemModel>
#include <QIcon>
#include <QList>
#include <QString>
#include <QVariant>

#include "IO/iotransformer.h"

class CCAction;

// One node of a sprite's action tree: an action kind or one of its parameters.
// A node owns its children; the parent pointer is not owning.
class ActionModelNode
{
public:
    // Appends itself to the parent's children when a parent is given.
    ActionModelNode(const QString& name, const QString& iconPath, ActionModelNode* parent);
    virtual ~ActionModelNode();

    ActionModelNode(const ActionModelNode&) = delete;
    ActionModelNode& operator=(const ActionModelNode&) = delete;

    virtual int columnCount() const { return 1; }
    virtual QVariant data() const { return QVariant(); }
    virtual bool setData(const QVariant&) { return false; }
    // The given flags plus drag and drop, whatever the column.
    virtual Qt::ItemFlags flags(Qt::ItemFlags flags, int column) const;

    QString name() const { return m_name; }
    QIcon icon() const { return m_icon; }
    ActionModelNode* parent() const { return m_parent; }

    int count() const { return int(m_children.size()); }
    // Position in the parent's children; -1 without a parent.
    int index() const;
    ActionModelNode* getChild(int i) const { return m_children.at(i); }
    // First child of exactly that name (case-sensitive), or null.
    ActionModelNode* getChildByName(const QString& name) const;

    // Appends without touching the child's parent pointer.
    void addChild(ActionModelNode* node) { m_children.append(node); }
    // Takes the child out of the list; the caller owns it afterwards.
    void removeChild(int i) { m_children.removeAt(i); }
    // Leaves the current parent's list and joins the end of p's.
    void setParent(ActionModelNode* p);

private:
    QString m_name;
    QIcon m_icon;
    QList<ActionModelNode*> m_children;
    ActionModelNode* m_parent;
};

// A numeric parameter of an action, edited in the "Value" column.
class ActionDataModelNode : public ActionModelNode
{
public:
    ActionDataModelNode(const QString& name, double value, ActionModelNode* parent);

    int columnCount() const override { return 2; }
    QVariant data() const override { return QVariant(m_value); }
    // Stores the value when it converts to a finite double; refuses it otherwise
    // (a non-finite time or position would run away in the running action).
    bool setData(const QVariant& value) override;
    // Editable in the value column; never dragged, never a drop target.
    Qt::ItemFlags flags(Qt::ItemFlags flags, int column) const override;

protected:
    double m_value;
};

// An integer parameter (collision types and ids of "On Collision"), stored as a
// double like the others but handed out as an int.
class ActionIntDataModelNode : public ActionDataModelNode
{
public:
    ActionIntDataModelNode(const QString& name, int value, ActionModelNode* parent);

    QVariant data() const override { return QVariant(int(m_value)); }
    // Also refuses values outside the int range, so data() always converts.
    bool setData(const QVariant& value) override;
};

// The invisible top of a model's tree. It carries the model's physics space,
// which actions read from a file fall back to when no canvas is at hand.
class ActionRootNode : public ActionModelNode
{
public:
    explicit ActionRootNode(cpSpace* space)
        : ActionModelNode(QString(), QString(), nullptr), m_space(space) {}
    cpSpace* space() const { return m_space; }

private:
    cpSpace* m_space;
};

// The editable action tree of one sprite, with the columns "Name" and "Value".
// Filled by drops from the palette and from the level file (element "actions");
// actions() builds the running actions for a preview. Owned by its Qt parent,
// the sprite; the model owns its tree.
class ActionModel : public QAbstractItemModel, public IONode
{
public:
    ActionModel(cpSpace* space, QObject* parent);
    ~ActionModel() override;

    // parent(QModelIndex) below would hide it.
    using QObject::parent;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;
    Qt::DropActions supportedDropActions() const override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // New running actions of the top-level kinds, in row order, owned by the
    // caller; kinds that cannot be built are left out.
    QList<CCAction*> actions() const;

    cpSpace* space() const { return m_root.space(); }
    // The node an index stands for; the root for an invalid index.
    ActionModelNode* nodeFromIndex(const QModelIndex& index) const;

    // IONode
    void read(IOTransformer& transformer) override;
    void write(IOTransformer& transformer) override;
    std::string key() override { return "actions"; }

private:
    ActionRootNode m_root;
};

#endif // ACTIONMODEL_H
