#ifndef ACTIONITEM_H
#define ACTIONITEM_H

#include <QString>

#include "Actions/ActionModel.h"
#include "Actions/Factory.h"
#include "IO/iotransformer.h"

class CCAction;

// An action kind in a sprite's action tree. Its parameters are its first
// children (made by the kind's constructor), followed by its child actions.
// Stored as an element named after the kind, parameters as attributes.
class AbstractActionItem : public ActionModelNode, public IONode
{
public:
    // A node holding maxChildren children (its parameters count too) takes no
    // more drops; a negative maxChildren sets no limit.
    AbstractActionItem(const QString& name, ActionModelNode* parent, int maxChildren = -1);

    // The given flags without Qt::ItemIsEditable.
    virtual Qt::ItemFlags flags(Qt::ItemFlags flags) const;
    // Drag and drop, without drops once the node is full.
    Qt::ItemFlags flags(Qt::ItemFlags flags, int column) const override;

    // A new running action owned by the caller, or null when the parameters or
    // the child actions do not fit the kind.
    virtual CCAction* createAction() = 0;

    // IONode
    void read(IOTransformer& transformer) override;
    void write(IOTransformer& transformer) override;
    std::string key() override;

private:
    int m_maxChildren;
};

class DelayTimeActionItem : public AbstractActionItem
{
public:
    explicit DelayTimeActionItem(ActionModelNode* parent);
    static QString actionName() { return QStringLiteral("Delay Time"); }
    CCAction* createAction() override;
};

class EaseInOutActionItem : public AbstractActionItem
{
public:
    explicit EaseInOutActionItem(ActionModelNode* parent);
    static QString actionName() { return QStringLiteral("Ease In Out"); }
    CCAction* createAction() override;
};

class MoveByActionItem : public AbstractActionItem
{
public:
    explicit MoveByActionItem(ActionModelNode* parent);
    static QString actionName() { return QStringLiteral("Move By"); }
    CCAction* createAction() override;
};

class MoveToActionItem : public AbstractActionItem
{
public:
    explicit MoveToActionItem(ActionModelNode* parent);
    static QString actionName() { return QStringLiteral("Move To"); }
    CCAction* createAction() override;
};

class RepeatActionItem : public AbstractActionItem
{
public:
    explicit RepeatActionItem(ActionModelNode* parent);
    static QString actionName() { return QStringLiteral("Repeat"); }
    CCAction* createAction() override;
};

class RepeatForeverActionItem : public AbstractActionItem
{
public:
    explicit RepeatForeverActionItem(ActionModelNode* parent);
    static QString actionName() { return QStringLiteral("Repeat Forever"); }
    CCAction* createAction() override;
};

class RotateByActionItem : public AbstractActionItem
{
public:
    explicit RotateByActionItem(ActionModelNode* parent);
    static QString actionName() { return QStringLiteral("Rotate By"); }
    CCAction* createAction() override;
};

class RotateToActionItem : public AbstractActionItem
{
public:
    explicit RotateToActionItem(ActionModelNode* parent);
    static QString actionName() { return QStringLiteral("Rotate To"); }
    CCAction* createAction() override;
};

class ScaleByActionItem : public AbstractActionItem
{
public:
    explicit ScaleByActionItem(ActionModelNode* parent);
    static QString actionName() { return QStringLiteral("Scale By"); }
    CCAction* createAction() override;
};

class ScaleToActionItem : public AbstractActionItem
{
public:
    explicit ScaleToActionItem(ActionModelNode* parent);
    static QString actionName() { return QStringLiteral("Scale To"); }
    CCAction* createAction() override;
};

class SequenceActionItem : public AbstractActionItem
{
public:
    explicit SequenceActionItem(ActionModelNode* parent);
    static QString actionName() { return QStringLiteral("Sequence"); }
    CCAction* createAction() override;
};

class SpawnActionItem : public AbstractActionItem
{
public:
    explicit SpawnActionItem(ActionModelNode* parent);
    static QString actionName() { return QStringLiteral("Spawn"); }
    CCAction* createAction() override;
};

// Holds its inner action back until two bodies collide in its space.
class CollisionActionItem : public AbstractActionItem
{
public:
    CollisionActionItem(cpSpace* space, ActionModelNode* parent);
    static QString actionName() { return QStringLiteral("On Collision"); }
    CCAction* createAction() override;

    cpSpace* space() const { return m_space; }

private:
    cpSpace* m_space; // not owned
};

// The one way to make an action node by kind name (any letter case): a new node
// with default parameters, appended to parent's children, or null for a name
// that is no kind. The space is kept by "On Collision".
AbstractActionItem* makeActionItem(const QString& name, ActionModelNode* parent, cpSpace* space);

// Reads the action elements under the transformer's current element and
// appends them to parent's children. An element that names no kind (in the
// file's exact letter case) is consumed and skipped.
void readActionElements(IOTransformer& transformer, ActionModelNode* parent, cpSpace* space);

// Element names of the kinds: "Ease In Out" <-> "ease_in_out".
QString xmlize(const QString& name);
QString deXmlize(const QString& name);

extern FactoryManager<AbstractActionItem> _actionFactory;

#endif // ACTIONITEM_H
