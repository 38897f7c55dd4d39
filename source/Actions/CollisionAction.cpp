#include "CollisionAction.h"

#include "cpCompat.h"

#include <QObject>
#include <QVariant>

#include <algorithm>
#include <utility>

CollisionAction::~CollisionAction()
{
    if (space)
        removeCollisionActionFromHandler(this, space);
}

CollisionAction* CollisionAction::actionWithAction(CCAction* action, cpSpace* space, unsigned long type1,
                                                   unsigned long type2, int uid1, int uid2)
{
    CollisionAction* collision = new CollisionAction;
    return ccKeepIfInitialised(collision, collision->initWithAction(action, space, type1, type2, uid1, uid2));
}

bool CollisionAction::initWithAction(CCAction* action, cpSpace* s, unsigned long t1, unsigned long t2,
                                     int u1, int u2)
{
    space = s;
    m_type1 = t1;
    m_type2 = t2;
    m_uid1 = u1;
    m_uid2 = u2;
    return CCBlockingAction::initWithAction(action);
}

void CollisionAction::startWithTarget(CCActionTarget* item)
{
    if (space)
        addCollisionActionToHandler(this, space);
    CCBlockingAction::startWithTarget(item);
}

void CollisionAction::unblock()
{
    if (space) {
        if (cpSpaceIsLocked(space)) {
            // Inside a step the handler's list is being walked: leave it after
            // the step. Keyed by the action, so this runs once per step.
            cpSpaceAddPostStepCallback(space, removeCollisionActionCallback, this, nullptr);
        } else {
            // No step would run a callback before this action may be deleted.
            removeCollisionActionFromHandler(this, space);
        }
    }
    CCBlockingAction::unblock();
}

cpCollisionHandler* getCollisionHandler(cpSpace* space, unsigned long a, unsigned long b)
{
    return pairHandler(space, a, b);
}

namespace {

// The pair's list, when the handler carries one of ours.
CollisionActionArray* actionsOf(cpCollisionHandler* handler)
{
    if (handler->postSolveFunc != collisionPostSolve)
        return nullptr;
    return static_cast<CollisionActionArray*>(handler->userData);
}

} // namespace

void addCollisionActionToHandler(CollisionAction* action, cpSpace* space)
{
    if (!action || !space)
        return;
    cpCollisionHandler* handler = getCollisionHandler(space, action->type1(), action->type2());
    CollisionActionArray* list = actionsOf(handler);
    if (!list) {
        list = new CollisionActionArray;
        list->previousPostSolve = setPairPostSolve(handler, collisionPostSolve, list);
    }
    if (std::find(list->begin(), list->end(), action) == list->end())
        list->push_back(action);
}

void removeCollisionActionFromHandler(CollisionAction* action, cpSpace* space)
{
    if (!action || !space)
        return;
    cpCollisionHandler* handler = getCollisionHandler(space, action->type1(), action->type2());
    CollisionActionArray* list = actionsOf(handler);
    if (!list)
        return;
    const auto it = std::find(list->begin(), list->end(), action);
    if (it == list->end())
        return;
    list->erase(it);
    if (list->empty()) {
        resetPairPostSolve(handler, list->previousPostSolve);
        delete list;
    }
}

void removeCollisionActionCallback(cpSpace* space, void* key, void*)
{
    removeCollisionActionFromHandler(static_cast<CollisionAction*>(key), space);
}

void collisionPostSolve(cpArbiter* arb, cpSpace*, void* data)
{
    cpBody* bodyA = nullptr;
    cpBody* bodyB = nullptr;
    cpArbiterGetBodies(arb, &bodyA, &bodyB);
    cpShape* shapeA = nullptr;
    cpShape* shapeB = nullptr;
    cpArbiterGetShapes(arb, &shapeA, &shapeB);
    // A body's user data is the shape item made for it.
    QObject* objA = static_cast<QObject*>(cpBodyGetUserData(bodyA));
    QObject* objB = static_cast<QObject*>(cpBodyGetUserData(bodyB));
    if (!data || !objA || !objB)
        return;
    const int uidA = objA->property("uid").toInt();
    const int uidB = objB->property("uid").toInt();
    const cpCollisionType typeA = cpShapeGetCollisionType(shapeA);
    const bool equalTypes = typeA == cpShapeGetCollisionType(shapeB);

    const CollisionActionArray* list = static_cast<const CollisionActionArray*>(data);
    // Inside the step the list stays as it is: released actions leave it in
    // the post-step callback.
    for (size_t i = 0; i < list->size(); ++i) {
        CollisionAction* action = (*list)[i];
        // The handler keeps the type order of its first registration; match
        // each action's first uid on the body whose shape has its first type.
        int first = uidA;
        int second = uidB;
        if (action->type1() != action->type2() && typeA != action->type1())
            std::swap(first, second);
        const bool m1 = action->uid1() == -1 || action->uid1() == first;
        const bool m2 = action->uid2() == -1 || action->uid2() == second;
        const bool crossed = equalTypes
            && ((action->uid1() == uidA && action->uid2() == uidB) || (action->uid1() == uidB && action->uid2() == uidA));
        if ((m1 && m2) || crossed)
            action->unblock();
    }
}
