#include "CCActionManager.h"

#include "CCAction.h"

#include <QTimerEvent>
#include <QVector>

CCActionManager* gSharedManager = nullptr;

ActionsElement::ActionsElement(CCActionTarget* t, CCAction* action)
    : target(t)
{
    actions.append(action);
}

ActionsElement::~ActionsElement()
{
    if (!saved)
        return;
    target->setTargetPos(savedPosition);
    target->setTargetRotation(savedRotation);
    target->setTargetOpacity(savedOpacity);
    target->setTargetScale(savedScale);
}

void ActionsElement::save()
{
    saved = true;
    savedPosition = target->targetPos();
    savedRotation = target->targetRotation();
    savedOpacity = target->targetOpacity();
    savedScale = target->targetScale();
}

CCActionManager* CCActionManager::get()
{
    if (!gSharedManager) {
        gSharedManager = new CCActionManager;
        if (!gSharedManager->init()) {
            delete gSharedManager;
            gSharedManager = nullptr;
        }
    }
    return gSharedManager;
}

void CCActionManager::destroy()
{
    CCActionManager* manager = gSharedManager;
    gSharedManager = nullptr;
    delete manager;
}

CCActionManager::~CCActionManager()
{
    removeAllActions();
}

bool CCActionManager::init()
{
    targets.clear();
    return true;
}

void CCActionManager::start()
{
    stop();
    timerId = startTimer(16);
}

void CCActionManager::stop()
{
    if (timerId != 0)
        killTimer(timerId);
    timerId = 0;
}

void CCActionManager::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == timerId)
        update(0.033333335f);
    QObject::timerEvent(event);
}

bool CCActionManager::isLive(CCActionTarget* target, const ActionsElement* element, quint64 serial) const
{
    const auto it = targets.constFind(target);
    return it != targets.cend() && it.value() == element && element->serial == serial;
}

void CCActionManager::update(float dt)
{
    struct Entry
    {
        CCActionTarget* target;
        ActionsElement* element;
        quint64 serial;
    };
    // The walk goes over a copy: a step may remove elements (a sprite
    // destroyed meanwhile), and such an element is never touched again.
    QVector<Entry> entries;
    entries.reserve(targets.size());
    for (auto it = targets.cbegin(); it != targets.cend(); ++it)
        entries.append({ it.key(), it.value(), it.value()->serial });
    const quint64 removalsAtStart = removals;
    auto stillLive = [&](const Entry& e) {
        return removals == removalsAtStart || isLive(e.target, e.element, e.serial);
    };

    QVector<Entry> elementsToRemove;
    QList<CCAction*> actionsToRemove;
    for (const Entry& e : entries) {
        if (!stillLive(e))
            continue;
        ActionsElement* element = e.element;
        if (element->paused)
            continue;
        const QList<CCAction*> actions = element->actions;
        bool gone = false;
        for (CCAction* action : actions) {
            if (action->isDone()) {
                // Finished in the tick before: deleted, not stepped again.
                actionsToRemove.append(action);
            } else {
                action->step(dt);
                if (!stillLive(e)) {
                    gone = true;
                    break;
                }
            }
        }
        if (gone) {
            actionsToRemove.clear();
            continue;
        }
        if (element->actions.isEmpty())
            elementsToRemove.append(e);
        for (CCAction* action : std::as_const(actionsToRemove)) {
            if (element->actions.removeOne(action))
                delete action;
        }
        actionsToRemove.clear();
    }
    for (const Entry& e : std::as_const(elementsToRemove)) {
        if (!stillLive(e))
            continue;
        targets.remove(e.target);
        delete e.element;
    }
}

void CCActionManager::addAction(CCAction* action, CCActionTarget* target, bool)
{
    if (!action)
        return;
    if (!target) {
        delete action; // owned from here on, and nothing to run it on
        return;
    }
    auto it = targets.find(target);
    if (it != targets.end()) {
        it.value()->actions.append(action);
    } else {
        ActionsElement* element = new ActionsElement(target, action);
        element->serial = ++nextSerial;
        element->save();
        targets.insert(target, element);
    }
    action->startWithTarget(target);
}

void CCActionManager::removeAllActionsFromTarget(CCActionTarget* target)
{
    dropTarget(target, true);
}

void CCActionManager::removeAllActions()
{
    const QList<CCActionTarget*> all = targets.keys();
    for (CCActionTarget* target : all)
        removeAllActionsFromTarget(target);
    targets.clear();
}

void CCActionManager::pauseTarget(CCActionTarget* target)
{
    if (ActionsElement* element = targets.value(target))
        element->paused = true;
}

void CCActionManager::resumeTarget(CCActionTarget* target)
{
    if (ActionsElement* element = targets.value(target))
        element->paused = false;
}

int CCActionManager::numberOfRunningActionsInTarget(CCActionTarget* target) const
{
    const ActionsElement* element = targets.value(target);
    return element ? int(element->actions.size()) : 0;
}

void CCActionManager::forgetTarget(CCActionTarget* target)
{
    dropTarget(target, false);
}

void CCActionManager::dropTarget(CCActionTarget* target, bool restore)
{
    auto it = targets.find(target);
    if (it == targets.end())
        return;
    ActionsElement* element = it.value();
    // Out of the map first, so that nothing run by a deleted action finds it.
    targets.erase(it);
    ++removals;
    if (!restore)
        element->saved = false; // the sprite is going: nothing to put back
    const QList<CCAction*> actions = element->actions;
    element->actions.clear();
    qDeleteAll(actions);
    delete element;
}
