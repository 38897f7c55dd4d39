#ifndef CCACTIONMANAGER_H
#define CCACTIONMANAGER_H

#include <QList>
#include <QMap>
#include <QObject>
#include <QPointF>

class CCAction;
#include "CCActionTarget.h"

// The running actions of one sprite, and the sprite's state from before its
// first action, put back when the element is deleted.
class ActionsElement
{
public:
    ActionsElement(CCActionTarget* target, CCAction* action);
    // Puts the snapshot back (when one was taken); does not delete the actions.
    ~ActionsElement();
    ActionsElement(const ActionsElement&) = delete;
    ActionsElement& operator=(const ActionsElement&) = delete;

    void save();

    bool saved = false;
    double savedOpacity = 1;
    QPointF savedPosition;
    double savedRotation = 0;
    double savedScale = 1;
    CCActionTarget* target; // not owned
    QList<CCAction*> actions; // deleted by the scheduler
    bool paused = false;
    // Tells this element from a later one at a reused address.
    quint64 serial = 0;
};

// The application-wide scheduler: every 16 ms it steps each running action by
// 1/30 s (whatever time really passed), deletes finished actions, and puts a
// sprite back as it was once its last action is gone, so a preview never
// changes the level. Owns the elements and the actions added to it.
class CCActionManager : public QObject
{
public:
    // The instance, made on first use.
    static CCActionManager* get();
    static void destroy();

    ~CCActionManager() override;

    bool init();
    void start();
    void stop();
    // One tick.
    void update(float dt);

    // Takes over the action and starts it on the target at once; the first
    // action of a sprite takes its snapshot. paused is not used.
    void addAction(CCAction* action, CCActionTarget* target, bool paused = false);
    // Deletes the target's actions (without stopping them) and puts it back.
    void removeAllActionsFromTarget(CCActionTarget* target);
    void removeAllActions();
    void pauseTarget(CCActionTarget* target);
    void resumeTarget(CCActionTarget* target);
    // Counts also finished actions that the next tick has not deleted yet.
    int numberOfRunningActionsInTarget(CCActionTarget* target) const;
    // For a sprite being destroyed: deletes its actions without stopping them
    // and without touching the sprite again.
    void forgetTarget(CCActionTarget* target);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    CCActionManager() = default;
    // True while the element read earlier for target is still its live element.
    bool isLive(CCActionTarget* target, const ActionsElement* element, quint64 serial) const;
    // Deletes the target's actions and element; restore puts the snapshot back.
    void dropTarget(CCActionTarget* target, bool restore);

    int timerId = 0;
    QMap<CCActionTarget*, ActionsElement*> targets; // owned elements
    quint64 nextSerial = 0;
    // Changed by every removal made outside the tick's own bookkeeping.
    quint64 removals = 0;
};

// The process-wide scheduler; null until first use.
extern CCActionManager* gSharedManager;

#endif // CCACTIONMANAGER_H
