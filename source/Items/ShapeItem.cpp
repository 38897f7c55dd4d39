#include "Items/ShapeItem.h"

#include <QList>
#include <QVariant>

#include <cmath>

#include "IO/textcodec.h"
#include "Items/ConstraintItem.h"
#include "Items/ItemRegistry.h"
#include "Toolkit/cpSupport.h"
#include "cpCompat.h"

namespace {


// Chipmunk 7 clears a body's force after each step; a force set on a body keeps
// acting until it is changed, as the level format expects.
void keepForceVelocity(cpBody* body, cpVect gravity, cpFloat damping, cpFloat dt)
{
    const cpVect force = cpBodyGetForce(body);
    cpBodyUpdateVelocity(body, gravity, damping, dt);
    if (force.x != 0 || force.y != 0)
        cpBodySetForce(body, force);
}

// Only bodies with a force get the own velocity update: for the others it
// does exactly what the engine's does, at a call more per body and step.
void keepForce(cpSpace* space, cpBody* body)
{
    if (body && !isStaticBody(space, body))
        cpBodySetVelocityUpdateFunc(body, keepForceVelocity);
}

void keepForceIfSet(cpSpace* space, cpBody* body)
{
    if (!body)
        return;
    const cpVect force = cpBodyGetForce(body);
    if (force.x != 0 || force.y != 0)
        keepForce(space, body);
}

ConstraintItem* constraintItem(cpConstraint* constraint)
{
    return qobject_cast<ConstraintItem*>(static_cast<QObject*>(cpConstraintGetUserData(constraint)));
}

// The solver aborts on a constraint between two bodies that cannot move (or,
// for the rotary kinds, cannot turn), and on a pivot or groove whose anchors
// outweigh a lighter mass or moment. Such constraints leave the space, as a
// joint would refuse to bind them in the first place.
void releaseUnsolvableConstraints(cpSpace* space, cpBody* body)
{
    const QList<cpConstraint*> constraints = getConstraintsOnBody(body);
    for (cpConstraint* constraint : constraints) {
        if (cpConstraintGetBodyA(constraint) && cpConstraintGetBodyB(constraint)
            && !constraintSolvableNow(constraint))
            ConstraintItem::takeOut(space, constraint);
    }
}

// Ends the joints attached to the body: each leaves the space and its item is
// deleted later.
void endJoints(cpSpace* space, cpBody* body)
{
    const QList<cpConstraint*> constraints = getConstraintsOnBody(body);
    for (cpConstraint* constraint : constraints) {
        ConstraintItem* item = constraintItem(constraint);
        if (!item)
            continue;
        ConstraintItem::takeOut(space, constraint);
        item->deleteLater();
    }
}

// No shape of the space and no live item uses the body any more.
bool unused(const ItemRegistry* registry, cpBody* body)
{
    return shapeCountOnBody(body) == 0 && !(registry && registry->bodyUsed(body));
}

void freeBody(cpSpace* space, cpBody* body)
{
    // Nothing may keep a pointer to the body: joints out of the space forget it,
    // and constraints no item owns leave the space.
    ConstraintItem::forgetBody(space, body);
    const QList<cpConstraint*> constraints = getConstraintsOnBody(body);
    for (cpConstraint* constraint : constraints)
        ConstraintItem::takeOut(space, constraint);
    if (cpSpaceContainsBody(space, body))
        cpSpaceRemoveBody(space, body);
    cpBodyFree(body);
}

// When the body names the leaving item, the oldest other live item on the body
// takes over, or nobody.
void handOverUserData(const ItemRegistry* registry, cpBody* body, ShapeItem* leaving)
{
    if (!body || cpBodyGetUserData(body) != static_cast<QObject*>(leaving))
        return;
    ShapeItem* next = registry ? registry->firstShapeItemOn(body, leaving) : nullptr;
    cpBodySetUserData(body, next ? static_cast<QObject*>(next) : nullptr);
}

} // namespace

ShapeItem::ShapeItem(cpSpace* space, cpShape* shape)
    : QObject(nullptr)
    , m_space(space)
    , m_shape(shape)
    , m_registry(ItemRegistry::acquire(space))
{
    if (m_registry)
        m_registry->listShape(this);
    if (cpBody* b = body()) {
        if (!cpBodyGetUserData(b))
            cpBodySetUserData(b, static_cast<QObject*>(this));
        keepForceIfSet(m_space, b);
    }
    setProperty("uid", -1);
    determineAndSetObjectName();
}

ShapeItem::~ShapeItem()
{
    // Out of the registry first: this item no longer counts as a user below.
    if (m_registry)
        m_registry->unlistShape(this);
    if (m_shape && m_space)
        releaseShape();
    else if (m_shape)
        cpShapeFree(m_shape);
    if (m_registry)
        m_registry->release();
}

void ShapeItem::releaseShape()
{

    cpBody* staticBody = cpSpaceGetStaticBody(m_space);
    cpBody* current = body();

    if (current && current != staticBody)
        endJoints(m_space, current);

    if (cpSpaceContainsShape(m_space, m_shape))
        cpSpaceRemoveShape(m_space, m_shape);

    if (current) {
        if (current != staticBody && unused(m_registry, current))
            freeBody(m_space, current);
        else
            handOverUserData(m_registry, current, this);
    }

    // The own body kept aside while glued belongs to nobody else; the static
    // body it came from must not keep naming this item either.
    if (m_oldBody && m_oldBody != current) {
        if (m_oldBody != staticBody && unused(m_registry, m_oldBody)) {
            endJoints(m_space, m_oldBody);
            freeBody(m_space, m_oldBody);
        } else {
            handOverUserData(m_registry, m_oldBody, this);
        }
    }

    cpShapeFree(m_shape);
}

cpBody* ShapeItem::body() const
{
    return m_shape ? cpShapeGetBody(m_shape) : nullptr;
}

void ShapeItem::moveBodyToItem(cpBody* body, const QGraphicsItem* item)
{
    const QPointF p = item->pos();
    const double angle = item->rotation() * radiansPerDegree;
    // Past the bounds the file keeps, the body stays where it was.
    if (isSanePoint(cpv(p.x(), p.y())))
        cpBodySetPosition(body, cpv(p.x(), p.y()));
    if (isSaneMagnitude(angle))
        cpBodySetAngle(body, angle);
}

void ShapeItem::adjustGluedChildren(const QGraphicsItem* item)
{
    const QList<QGraphicsItem*> children = item->childItems();
    for (QGraphicsItem* child : children) {
        if (!shapeType(ItemType(child->type())))
            continue;
        if (ShapeItem* glued = dynamic_cast<ShapeItem*>(child))
            glued->adjustShape();
    }
}

void ShapeItem::sync(AbstractSyncItem*)
{
}

void ShapeItem::setOldBody(cpBody* body)
{
    m_oldBody = body;
    if (m_registry)
        m_registry->listShape(this);
}

void ShapeItem::shapeBodyChanged(cpBody* previous)
{
    if (m_registry)
        m_registry->listShape(this);
    // A static body is shared by every static shape: once the shape left it,
    // it names another of them. A dynamic own body kept aside while glued still
    // names this item, which takes it back when freed.
    if (previous && previous != body() && m_space
        && isStaticBody(m_space, previous))
        handOverUserData(m_registry, previous, this);
}

bool ShapeItem::bodyInSpace() const
{
    cpBody* b = body();
    return b && m_space && !isStaticOrOutside(m_space, b);
}

void ShapeItem::setBodyInSpace(bool inSpace)
{
    cpBody* b = body();
    if (b && m_space && !isStaticBody(m_space, b)) {
        const bool contained = cpSpaceContainsBody(m_space, b);
        if (!contained && inSpace) {
            // A dynamic body must have a mass and a moment to be stepped.
            const bool steppable = cpBodyGetType(b) != CP_BODY_TYPE_DYNAMIC
                || (cpBodyGetMass(b) > 0 && cpBodyGetMoment(b) > 0);
            if (steppable)
                cpSpaceAddBody(m_space, b);
        } else if (contained && !inSpace) {
            cpSpaceRemoveBody(m_space, b);
        }
    }
    determineAndSetObjectName();
}

float ShapeItem::mass() const
{
    cpBody* b = body();
    return b ? float(cpBodyGetMass(b)) : 0.0f;
}

void ShapeItem::setMass(float mass)
{
    cpBody* b = body();
    if (b && m_space && !isStaticBody(m_space, b) && !std::isnan(mass) && mass != 0) {
        if (mass < 0 || std::isinf(mass)) {
            // Chipmunk 7 takes no infinite mass on a dynamic body: the body
            // turns kinematic, which has infinite mass and moment.
            if (!bodyHasInfiniteMass(b)) {
                m_savedMoment = float(cpBodyGetMoment(b));
                m_hasSavedMoment = true;
            }
            if (cpSpaceContainsBody(m_space, b))
                cpSpaceRemoveBody(m_space, b);
            if (cpBodyGetType(b) == CP_BODY_TYPE_DYNAMIC)
                cpBodySetType(b, CP_BODY_TYPE_KINEMATIC);
            else
                cpBodySetMoment(b, INFINITY);
            releaseUnsolvableConstraints(m_space, b);
        } else if (!isSaneMass(mass)) {
            // Outside the range a step can take: the old mass stays.
        } else if (cpBodyGetType(b) == CP_BODY_TYPE_DYNAMIC) {
            cpBodySetMass(b, mass);
            releaseUnsolvableConstraints(m_space, b);
        } else {
            // Back from infinite mass: the moment put aside returns, or an
            // infinite moment stays when none was put aside.
            cpFloat moment = cpBodyGetMoment(b);
            if (std::isinf(moment) && m_hasSavedMoment)
                moment = m_savedMoment;
            if (!(moment > 0))
                moment = INFINITY;
            cpBodySetType(b, CP_BODY_TYPE_DYNAMIC);
            cpBodySetMass(b, mass);
            cpBodySetMoment(b, moment);
        }
    }
    determineAndSetObjectName();
}

float ShapeItem::moment() const
{
    cpBody* b = body();
    return b ? float(cpBodyGetMoment(b)) : 0.0f;
}

void ShapeItem::setMoment(float moment)
{
    cpBody* b = body();
    if (!b || !m_space || isStaticBody(m_space, b) || std::isnan(moment) || moment == 0)
        return;
    if (moment < 0 || std::isinf(moment)) {
        cpBodySetMoment(b, INFINITY);
        releaseUnsolvableConstraints(m_space, b);
    } else if (isSaneMass(moment)) {
        cpBodySetMoment(b, moment);
        releaseUnsolvableConstraints(m_space, b);
    }
}

QPointF ShapeItem::velocity() const
{
    cpBody* b = body();
    if (!b)
        return QPointF();
    const cpVect v = cpBodyGetVelocity(b);
    return QPointF(v.x, v.y);
}

void ShapeItem::setVelocity(QPointF velocity)
{
    cpBody* b = body();
    if (!b || !m_space || isStaticBody(m_space, b))
        return;
    if (!isSanePoint(velocity))
        return;
    cpBodySetVelocity(b, cpv(velocity.x(), velocity.y()));
}

QPointF ShapeItem::force() const
{
    cpBody* b = body();
    if (!b)
        return QPointF();
    const cpVect f = cpBodyGetForce(b);
    return QPointF(f.x, f.y);
}

void ShapeItem::setForce(QPointF force)
{
    cpBody* b = body();
    if (!b || !m_space || isStaticBody(m_space, b))
        return;
    if (!isSanePoint(force))
        return;
    keepForce(m_space, b);
    cpBodySetForce(b, cpv(force.x(), force.y()));
}

float ShapeItem::elasticity() const
{
    return m_shape ? float(cpShapeGetElasticity(m_shape)) : 0.0f;
}

void ShapeItem::setElasticity(float elasticity)
{
    if (m_shape && isSaneElasticity(elasticity))
        cpShapeSetElasticity(m_shape, elasticity);
}

float ShapeItem::friction() const
{
    return m_shape ? float(cpShapeGetFriction(m_shape)) : 0.0f;
}

void ShapeItem::setFriction(float friction)
{
    if (m_shape && isSaneFriction(friction))
        cpShapeSetFriction(m_shape, friction);
}

int ShapeItem::collisionType() const
{
    return m_shape ? int(cpShapeGetCollisionType(m_shape)) : 0;
}

void ShapeItem::setCollisionType(int type)
{
    if (m_shape)
        cpShapeSetCollisionType(m_shape, cpCollisionType(type));
}

int ShapeItem::group() const
{
    return m_shape ? int(shapeGroup(m_shape)) : 0;
}

void ShapeItem::setGroup(unsigned long group)
{
    if (m_shape)
        setShapeGroup(m_shape, cpGroup(group));
}

bool ShapeItem::sensor() const
{
    return m_shape && cpShapeGetSensor(m_shape) == 1;
}

void ShapeItem::setSensor(bool sensor)
{
    if (m_shape)
        cpShapeSetSensor(m_shape, sensor ? 1 : 0);
}

int ShapeItem::layers() const
{
    return m_shape ? int(shapeLayers(m_shape)) : 0;
}

void ShapeItem::setLayers(unsigned int layers)
{
    if (m_shape)
        setShapeLayers(m_shape, ShapeLayers(layers));
}

bool ShapeItem::layer(int n) const
{
    return (static_cast<unsigned int>(layers()) >> (n - 1)) & 1u;
}

void ShapeItem::setLayer(int n, bool on)
{
    const unsigned int bit = 1u << (n - 1);
    const unsigned int mask = static_cast<unsigned int>(layers());
    setLayers(on ? (mask | bit) : (mask & ~bit));
}

QString ShapeItem::determineAndSetObjectName()
{
    const float m = mass();
    const QString name = QStringLiteral("mass: ")
        + (std::isinf(m) ? QStringLiteral("static") : textFromNumber(m));
    setObjectName(name);
    return name;
}

void ShapeItem::syncWithSyncee(AbstractSyncItem* syncee)
{
    if (!syncee || syncee == this)
        return;
    deleteSyncPair();
    syncee->deleteSyncPair();
    SyncedItemPair* link = new SyncedItemPair;
    link->syncItems(this, syncee);
}
