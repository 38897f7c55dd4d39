#include "Actions/ActionItem.h"

#include "Actions/CollisionAction.h"
#include "IO/textcodec.h"
#include "Views/EditorScene.h"

#include "CCActionEase.h"
#include "CCCompositeActions.h"
#include "CCIntervalActions.h"

#include <limits>

namespace {

const char* const actionIconPath = ":/images/action.png";

// Consumes one element that names no action kind, so that reading goes on with
// its next sibling instead of stopping or looking at it again.
class SkippedElement : public IONode
{
public:
    explicit SkippedElement(std::string name) : m_name(std::move(name)) {}
    void read(IOTransformer&) override {}
    void write(IOTransformer&) override {}
    std::string key() override { return m_name; }

private:
    std::string m_name;
};

// The space that "On Collision" items read from a file listen in: the canvas's,
// or without one the space of the model the node belongs to.
cpSpace* readingSpace(IOTransformer& transformer, const ActionModelNode* node)
{
    EditorContext* context = transformer.context();
    if (context && context->space())
        return context->space();
    while (node->parent())
        node = node->parent();
    const auto* root = dynamic_cast<const ActionRootNode*>(node);
    return root ? root->space() : nullptr;
}

} // namespace

// The registry and its factories share this file with makeActionItem: a
// static library's object that nothing references is left out by the linker,
// and the factories would then never register.
FactoryManager<AbstractActionItem> _actionFactory;
Factory<AbstractActionItem, SequenceActionItem> _sequenceFactory(_actionFactory, SequenceActionItem::actionName());
Factory<AbstractActionItem, RotateByActionItem> _rotateByFactory(_actionFactory, RotateByActionItem::actionName());
Factory<AbstractActionItem, RotateToActionItem> _rotateToFactory(_actionFactory, RotateToActionItem::actionName());
Factory<AbstractActionItem, EaseInOutActionItem> _easeInOutFactory(_actionFactory, EaseInOutActionItem::actionName());
Factory<AbstractActionItem, RepeatActionItem> _repeatFactory(_actionFactory, RepeatActionItem::actionName());
Factory<AbstractActionItem, RepeatForeverActionItem> _repeatForeverFactory(_actionFactory, RepeatForeverActionItem::actionName());
Factory<AbstractActionItem, DelayTimeActionItem> _delayTimeFactory(_actionFactory, DelayTimeActionItem::actionName());
Factory<AbstractActionItem, ScaleByActionItem> _scaleByFactory(_actionFactory, ScaleByActionItem::actionName());
Factory<AbstractActionItem, ScaleToActionItem> _scaleToFactory(_actionFactory, ScaleToActionItem::actionName());
Factory<AbstractActionItem, SpawnActionItem> _spawnFactory(_actionFactory, SpawnActionItem::actionName());
Factory<AbstractActionItem, MoveToActionItem> _moveToFactory(_actionFactory, MoveToActionItem::actionName());
Factory<AbstractActionItem, MoveByActionItem> _moveByFactory(_actionFactory, MoveByActionItem::actionName());

AbstractActionItem* makeActionItem(const QString& name, ActionModelNode* parent, cpSpace* space)
{
    // "On Collision" needs the space, so it has no factory.
    AbstractActionItem* item = name.compare(CollisionActionItem::actionName(), Qt::CaseInsensitive) == 0
        ? new CollisionActionItem(space, nullptr)
        : _actionFactory.create(name);
    if (item)
        item->setParent(parent);
    return item;
}

QString xmlize(const QString& name)
{
    return name.toLower().replace(QLatin1Char(' '), QLatin1Char('_'));
}

QString deXmlize(const QString& name)
{
    return QString(name).replace(QLatin1Char('_'), QLatin1Char(' '));
}

void readActionElements(IOTransformer& transformer, ActionModelNode* parent, cpSpace* space)
{
    for (std::string name = transformer.peekNextNode(); !name.empty(); name = transformer.peekNextNode()) {
        AbstractActionItem* item = makeActionItem(deXmlize(decodeText(name)), nullptr, space);
        // Names in the file are case-sensitive: "Move_By" is no kind.
        if (!item || item->key() != name) {
            delete item;
            SkippedElement skipped(name);
            if (!transformer.read(skipped))
                return;
            continue;
        }
        item->setParent(parent);
        if (!transformer.read(*item)) {
            item->setParent(nullptr);
            delete item;
            return;
        }
    }
}

// AbstractActionItem

AbstractActionItem::AbstractActionItem(const QString& name, ActionModelNode* parent, int maxChildren)
    : ActionModelNode(name, QLatin1String(actionIconPath), parent)
    , m_maxChildren(maxChildren)
{
}

Qt::ItemFlags AbstractActionItem::flags(Qt::ItemFlags flags) const
{
    return flags & ~Qt::ItemIsEditable;
}

Qt::ItemFlags AbstractActionItem::flags(Qt::ItemFlags flags, int column) const
{
    Qt::ItemFlags result = ActionModelNode::flags(flags, column);
    if (m_maxChildren >= 0 && count() >= m_maxChildren)
        result &= ~Qt::ItemIsDropEnabled;
    return result;
}

std::string AbstractActionItem::key()
{
    return encodeText(xmlize(name()));
}

void AbstractActionItem::write(IOTransformer& transformer)
{
    for (int i = 0; i < count(); ++i) {
        ActionModelNode* child = getChild(i);
        if (auto* parameter = dynamic_cast<ActionDataModelNode*>(child)) {
            const QVariant value = parameter->data();
            const QString text = value.typeId() == QMetaType::Int
                ? QString::number(value.toInt())
                : QString::number(value.toDouble(), 'g', 15);
            transformer.writeAttribute(encodeText(xmlize(parameter->name())), encodeText(text));
        } else if (auto* action = dynamic_cast<AbstractActionItem*>(child)) {
            transformer.write(*action);
        }
    }
}

void AbstractActionItem::read(IOTransformer& transformer)
{
    IOTransformer::Attributes attributes;
    transformer.readAttributes(attributes);
    for (const auto& attribute : attributes) {
        // An attribute that names no parameter, or is no number, is dropped.
        auto* parameter = dynamic_cast<ActionDataModelNode*>(getChildByName(decodeText(attribute.first)));
        if (parameter)
            parameter->setData(decodeText(attribute.second));
    }
    readActionElements(transformer, this, readingSpace(transformer, this));
}

// The kinds. Parameters are made in the order they are stored.

DelayTimeActionItem::DelayTimeActionItem(ActionModelNode* parent)
    : AbstractActionItem(actionName(), parent, 0)
{
    new ActionDataModelNode(QStringLiteral("duration"), 1.0, this);
}

EaseInOutActionItem::EaseInOutActionItem(ActionModelNode* parent)
    : AbstractActionItem(actionName(), parent, 2)
{
    new ActionDataModelNode(QStringLiteral("rate"), 2.0, this);
}

MoveByActionItem::MoveByActionItem(ActionModelNode* parent)
    : AbstractActionItem(actionName(), parent, 0)
{
    new ActionDataModelNode(QStringLiteral("duration"), 1.0, this);
    new ActionDataModelNode(QStringLiteral("x"), 50.0, this);
    new ActionDataModelNode(QStringLiteral("y"), 50.0, this);
}

MoveToActionItem::MoveToActionItem(ActionModelNode* parent)
    : AbstractActionItem(actionName(), parent, 0)
{
    new ActionDataModelNode(QStringLiteral("duration"), 1.0, this);
    new ActionDataModelNode(QStringLiteral("x"), 50.0, this);
    new ActionDataModelNode(QStringLiteral("y"), 50.0, this);
}

RepeatActionItem::RepeatActionItem(ActionModelNode* parent)
    : AbstractActionItem(actionName(), parent, 2)
{
    new ActionDataModelNode(QStringLiteral("times"), 2.0, this);
}

RepeatForeverActionItem::RepeatForeverActionItem(ActionModelNode* parent)
    : AbstractActionItem(actionName(), parent, 1)
{
}

RotateByActionItem::RotateByActionItem(ActionModelNode* parent)
    : AbstractActionItem(actionName(), parent, 0)
{
    new ActionDataModelNode(QStringLiteral("duration"), 1.0, this);
    new ActionDataModelNode(QStringLiteral("rotation"), 90.0, this);
}

RotateToActionItem::RotateToActionItem(ActionModelNode* parent)
    : AbstractActionItem(actionName(), parent, 0)
{
    new ActionDataModelNode(QStringLiteral("duration"), 1.0, this);
    new ActionDataModelNode(QStringLiteral("rotation"), 90.0, this);
}

ScaleByActionItem::ScaleByActionItem(ActionModelNode* parent)
    : AbstractActionItem(actionName(), parent, 0)
{
    new ActionDataModelNode(QStringLiteral("duration"), 1.0, this);
    new ActionDataModelNode(QStringLiteral("scale"), 0.5, this);
}

ScaleToActionItem::ScaleToActionItem(ActionModelNode* parent)
    : AbstractActionItem(actionName(), parent, 0)
{
    new ActionDataModelNode(QStringLiteral("duration"), 1.0, this);
    new ActionDataModelNode(QStringLiteral("scale"), 0.5, this);
}

SequenceActionItem::SequenceActionItem(ActionModelNode* parent)
    : AbstractActionItem(actionName(), parent)
{
}

SpawnActionItem::SpawnActionItem(ActionModelNode* parent)
    : AbstractActionItem(actionName(), parent)
{
}

CollisionActionItem::CollisionActionItem(cpSpace* space, ActionModelNode* parent)
    : AbstractActionItem(actionName(), parent, 5), m_space(space)
{
    new ActionIntDataModelNode(QStringLiteral("type1"), 0, this);
    new ActionIntDataModelNode(QStringLiteral("type2"), 0, this);
    new ActionIntDataModelNode(QStringLiteral("uid1"), -1, this);
    new ActionIntDataModelNode(QStringLiteral("uid2"), -1, this);
}

// Building the running actions. Every parameter is read from its row; a missing
// row or one that holds no number makes the kind unbuildable.

namespace {

bool doubleParameter(const ActionModelNode* item, const char* name, double* value)
{
    const auto* parameter = dynamic_cast<const ActionDataModelNode*>(item->getChildByName(QLatin1String(name)));
    if (!parameter)
        return false;
    bool ok = false;
    *value = parameter->data().toDouble(&ok);
    return ok;
}

bool intParameter(const ActionModelNode* item, const char* name, int* value)
{
    const auto* parameter = dynamic_cast<const ActionDataModelNode*>(item->getChildByName(QLatin1String(name)));
    if (!parameter)
        return false;
    bool ok = false;
    *value = parameter->data().toInt(&ok);
    return ok;
}

// Times, angles and scales run in single precision; a double beyond its range
// becomes the largest float rather than an undefined conversion.
float toFloat(double value)
{
    const double limit = std::numeric_limits<float>::max();
    return float(qBound(-limit, value, limit));
}

// Fractions are truncated; a negative count is no repetition, a huge one the
// largest count.
unsigned repeatCount(double times)
{
    if (!(times > 0))
        return 0;
    if (times >= double(std::numeric_limits<unsigned>::max()))
        return std::numeric_limits<unsigned>::max();
    return unsigned(times);
}

// The one child action of a wrapping kind that holds exactly `children`
// children; null when the count differs or there is not exactly one action.
AbstractActionItem* soleInnerItem(const ActionModelNode* node, int children)
{
    if (node->count() != children)
        return nullptr;
    AbstractActionItem* inner = nullptr;
    for (int i = 0; i < node->count(); ++i) {
        if (auto* action = dynamic_cast<AbstractActionItem*>(node->getChild(i))) {
            if (inner)
                return nullptr;
            inner = action;
        }
    }
    return inner;
}

// The inner item's running action when it is an interval action; anything
// else it built is deleted.
CCActionInterval* innerInterval(AbstractActionItem* inner)
{
    if (!inner)
        return nullptr;
    CCAction* action = inner->createAction();
    auto* interval = dynamic_cast<CCActionInterval*>(action);
    if (!interval)
        delete action;
    return interval;
}

// The running actions of the child actions, in order, leaving out those that
// cannot be built.
QList<CCAction*> childActions(const ActionModelNode* node)
{
    QList<CCAction*> actions;
    for (int i = 0; i < node->count(); ++i) {
        if (auto* item = dynamic_cast<AbstractActionItem*>(node->getChild(i))) {
            if (CCAction* action = item->createAction())
                actions.append(action);
        }
    }
    return actions;
}

} // namespace

CCAction* DelayTimeActionItem::createAction()
{
    double duration;
    if (!doubleParameter(this, "duration", &duration))
        return nullptr;
    return CCDelayTime::actionWithDuration(toFloat(duration));
}

CCAction* EaseInOutActionItem::createAction()
{
    double rate;
    AbstractActionItem* inner = soleInnerItem(this, 2);
    if (!inner || !doubleParameter(this, "rate", &rate))
        return nullptr;
    CCActionInterval* action = innerInterval(inner);
    return action ? CCEaseInOut::actionWithAction(action, toFloat(rate)) : nullptr;
}

CCAction* MoveByActionItem::createAction()
{
    double duration, x, y;
    if (!doubleParameter(this, "duration", &duration) || !doubleParameter(this, "x", &x)
        || !doubleParameter(this, "y", &y))
        return nullptr;
    return CCMoveBy::actionWithDuration(toFloat(duration), QPointF(x, y));
}

CCAction* MoveToActionItem::createAction()
{
    double duration, x, y;
    if (!doubleParameter(this, "duration", &duration) || !doubleParameter(this, "x", &x)
        || !doubleParameter(this, "y", &y))
        return nullptr;
    return CCMoveTo::actionWithDuration(toFloat(duration), QPointF(x, y));
}

CCAction* RepeatActionItem::createAction()
{
    double times;
    AbstractActionItem* inner = soleInnerItem(this, 2);
    if (!inner || !doubleParameter(this, "times", &times))
        return nullptr;
    CCActionInterval* action = innerInterval(inner);
    return action ? CCRepeat::actionWithAction(action, repeatCount(times)) : nullptr;
}

CCAction* RepeatForeverActionItem::createAction()
{
    CCActionInterval* action = innerInterval(soleInnerItem(this, 1));
    return action ? CCRepeatForever::actionWithAction(action) : nullptr;
}

CCAction* RotateByActionItem::createAction()
{
    double duration, rotation;
    if (!doubleParameter(this, "duration", &duration) || !doubleParameter(this, "rotation", &rotation))
        return nullptr;
    return CCRotateBy::actionWithDuration(toFloat(duration), toFloat(rotation));
}

CCAction* RotateToActionItem::createAction()
{
    double duration, rotation;
    if (!doubleParameter(this, "duration", &duration) || !doubleParameter(this, "rotation", &rotation))
        return nullptr;
    return CCRotateTo::actionWithDuration(toFloat(duration), toFloat(rotation));
}

CCAction* ScaleByActionItem::createAction()
{
    double duration, scale;
    if (!doubleParameter(this, "duration", &duration) || !doubleParameter(this, "scale", &scale))
        return nullptr;
    return CCScaleBy::actionWithDuration(toFloat(duration), toFloat(scale), toFloat(scale));
}

CCAction* ScaleToActionItem::createAction()
{
    double duration, scale;
    if (!doubleParameter(this, "duration", &duration) || !doubleParameter(this, "scale", &scale))
        return nullptr;
    return CCScaleTo::actionWithDuration(toFloat(duration), toFloat(scale), toFloat(scale));
}

CCAction* SequenceActionItem::createAction()
{
    QList<CCAction*> actions = childActions(this);
    return actions.isEmpty() ? nullptr : CCSequence::actionsWithArray(actions);
}

CCAction* SpawnActionItem::createAction()
{
    QList<CCAction*> actions = childActions(this);
    return actions.isEmpty() ? nullptr : CCSpawn::actionsWithArray(actions);
}

CCAction* CollisionActionItem::createAction()
{
    int type1, type2, uid1, uid2;
    AbstractActionItem* inner = soleInnerItem(this, 5);
    if (!inner || !intParameter(this, "type1", &type1) || !intParameter(this, "type2", &type2)
        || !intParameter(this, "uid1", &uid1) || !intParameter(this, "uid2", &uid2))
        return nullptr;
    CCActionInterval* action = innerInterval(inner);
    // Collision types are unsigned: -1 is the largest type, as a cast gives it.
    return action ? CollisionAction::actionWithAction(action, m_space, static_cast<unsigned long>(type1),
                                                      static_cast<unsigned long>(type2), uid1, uid2)
                  : nullptr;
}
