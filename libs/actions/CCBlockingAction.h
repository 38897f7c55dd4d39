#ifndef CCBLOCKINGACTION_H
#define CCBLOCKINGACTION_H

#include "CCAction.h"

// Holds back an inner action (owned): the inner action starts with this one,
// so it captures its start values at once, but is stepped only after unblock().
class CCBlockingAction : public CCAction
{
public:
    ~CCBlockingAction() override;
    static CCBlockingAction* actionWithAction(CCAction* action);
    // Fails for a null action.
    bool initWithAction(CCAction* action);

    bool isDone() const override;
    void startWithTarget(CCActionTarget* item) override;
    void stop() override;
    void step(float dt) override;
    virtual void unblock();

    bool isUnblocked() const { return unblocked; }
    CCAction* innerAction() const { return inner; }
    // Replaces the inner action; the previous one is not deleted (the caller
    // takes it back).
    void setInnerAction(CCAction* action);

protected:
    CCAction* inner = nullptr; // owned
    bool unblocked = false;
};

#endif // CCBLOCKINGACTION_H
