#ifndef COLLISIONACTION_H
#define COLLISIONACTION_H

// "On Collision": holds its inner action back until two bodies whose shapes
// have the given collision types, and optionally the given "uid" values, touch
// in the level's space. The actions waiting on one pair of types share the
// pair's collision handler and one CollisionActionArray.

#include "CCBlockingAction.h"

#include <chipmunk/chipmunk.h>

#include <vector>

class CollisionAction;

// The waiting actions of one pair's handler (not owned), stored as the
// handler's data; freed when its last action leaves.
class CollisionActionArray : public std::vector<CollisionAction*>
{
public:
    // The handler's post-solve callback from before the first action came,
    // put back when the last one goes.
    cpCollisionPostSolveFunc previousPostSolve = nullptr;
};

class CollisionAction : public CCBlockingAction
{
public:
    // Leaves its pair's list (the space must still exist), then deletes the inner action.
    ~CollisionAction() override;
    // uid1 and uid2 are wanted on the first and the second body; -1 means any.
    // A null space gives an action that never registers and is never released.
    static CollisionAction* actionWithAction(CCAction* action, cpSpace* space, unsigned long type1,
                                             unsigned long type2, int uid1, int uid2);
    bool initWithAction(CCAction* action, cpSpace* space, unsigned long type1, unsigned long type2,
                        int uid1, int uid2);

    // Enters the pair's list, then starts the inner action.
    void startWithTarget(CCActionTarget* item) override;
    // Leaves the list after the current physics step, or at once outside one.
    void unblock() override;

    cpSpace* getSpace() const { return space; }
    unsigned long type1() const { return m_type1; }
    unsigned long type2() const { return m_type2; }
    int uid1() const { return m_uid1; }
    int uid2() const { return m_uid2; }

private:
    cpSpace* space = nullptr; // not owned
    unsigned long m_type1 = 0;
    unsigned long m_type2 = 0;
    int m_uid1 = 0;
    int m_uid2 = 0;
};

// The space's handler for the unordered pair (a, b), made when missing.
cpCollisionHandler* getCollisionHandler(cpSpace* space, unsigned long a, unsigned long b);
// Enters the action in its pair's list (once) and installs the post-solve callback.
void addCollisionActionToHandler(CollisionAction* action, cpSpace* space);
// Takes the action out of its pair's list; the last one out restores the handler.
void removeCollisionActionFromHandler(CollisionAction* action, cpSpace* space);
// Post-step callback keyed by the action.
void removeCollisionActionCallback(cpSpace* space, void* key, void* data);
// Post-solve callback of every pair's handler; data is the pair's list.
void collisionPostSolve(cpArbiter* arb, cpSpace* space, void* data);

#endif // COLLISIONACTION_H
