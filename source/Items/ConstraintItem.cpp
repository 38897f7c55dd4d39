#include "Items/ConstraintItem.h"

#include <QList>

#include <cmath>

#include "cpCompat.h"

namespace {

// Every live item, so that the owner of a body about to be freed can reach the
// joints out of the space that still name it.
QList<ConstraintItem*>& liveItems()
{
    static QList<ConstraintItem*> items;
    return items;
}

} // namespace

ConstraintItem::ConstraintItem(cpSpace* space, cpConstraint* constraint)
    : QObject(nullptr)
    , m_space(space)
    , m_constraint(constraint)
{
    if (m_constraint)
        cpConstraintSetUserData(m_constraint, static_cast<QObject*>(this));
    liveItems().append(this);
}

ConstraintItem::~ConstraintItem()
{
    liveItems().removeOne(this);
    // This class's own removal: a joint's recolouring must not run any more.
    ConstraintItem::removeFromSpace();
    if (m_constraint)
        cpConstraintFree(m_constraint);
}

void ConstraintItem::addToSpace()
{
    if (!m_space || !m_constraint || cpSpaceContainsConstraint(m_space, m_constraint))
        return;
    // Chipmunk aborts on a constraint without bodies; a freed body would be used
    // by the next step.
    if (!cpConstraintGetBodyA(m_constraint) || !cpConstraintGetBodyB(m_constraint))
        return;
    if (m_bodyFreed)
        return;
    cpSpaceAddConstraint(m_space, m_constraint);
    cpConstraintSetUserData(m_constraint, static_cast<QObject*>(this));
}

void ConstraintItem::removeFromSpace()
{
    if (!m_space || !m_constraint || !cpSpaceContainsConstraint(m_space, m_constraint))
        return;
    cpSpaceRemoveConstraint(m_space, m_constraint);
    cpConstraintSetUserData(m_constraint, nullptr);
}

bool ConstraintItem::hasBodies() const
{
    return m_constraint && !m_bodyFreed && cpConstraintGetBodyA(m_constraint)
        && cpConstraintGetBodyB(m_constraint);
}

// The values are written into the constraint's fields as they are: Chipmunk's
// setters would also wake both bodies, which must not be touched when one of
// them is gone.

float ConstraintItem::maxForce() const
{
    return m_constraint ? float(cpConstraintGetMaxForce(m_constraint)) : 0.0f;
}

void ConstraintItem::setMaxForce(float value)
{
    if (!m_constraint || std::isnan(value))
        return;
    m_constraint->maxForce = value < 0 ? INFINITY : cpFloat(value);
}

float ConstraintItem::errorBias() const
{
    return m_constraint ? float(cpConstraintGetErrorBias(m_constraint)) : 0.0f;
}

void ConstraintItem::setErrorBias(float value)
{
    if (!m_constraint || !std::isfinite(value) || value < 0)
        return;
    m_constraint->errorBias = value;
}

float ConstraintItem::maxBias() const
{
    return m_constraint ? float(cpConstraintGetMaxBias(m_constraint)) : 0.0f;
}

void ConstraintItem::setMaxBias(float value)
{
    if (!m_constraint || std::isnan(value))
        return;
    m_constraint->maxBias = value < 0 ? INFINITY : cpFloat(value);
}

void ConstraintItem::forgetBody(cpSpace* space, cpBody* body)
{
    if (!body)
        return;
    // Copied: an item may remove or delete others while it is told.
    const QList<ConstraintItem*> items = liveItems();
    for (ConstraintItem* item : items) {
        if (!liveItems().contains(item) || item->m_space != space || !item->m_constraint)
            continue;
        if (cpConstraintGetBodyA(item->m_constraint) == body
            || cpConstraintGetBodyB(item->m_constraint) == body)
            item->bodyFreed(body);
    }
}

void ConstraintItem::bodyFreed(cpBody*)
{
    removeFromSpace();
    m_bodyFreed = true;
}
