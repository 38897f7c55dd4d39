#ifndef SPACETESTSUPPORT_H
#define SPACETESTSUPPORT_H

#include <QColor>
#include <QCoreApplication>
#include <QEvent>

#include <chipmunk/chipmunk.h>

// What a space holds, counted through its iterators.
inline int bodyCount(cpSpace* space)
{
    int n = 0;
    cpSpaceEachBody(space, [](cpBody*, void* d) { ++*static_cast<int*>(d); }, &n);
    return n;
}

inline int shapeCount(cpSpace* space)
{
    int n = 0;
    cpSpaceEachShape(space, [](cpShape*, void* d) { ++*static_cast<int*>(d); }, &n);
    return n;
}

inline int constraintCount(cpSpace* space)
{
    int n = 0;
    cpSpaceEachConstraint(space, [](cpConstraint*, void* d) { ++*static_cast<int*>(d); }, &n);
    return n;
}

// Runs the deleteLater() calls made so far, and those they make in turn.
inline void flushDeletes()
{
    // A deletion can orphan nodes, which then ask for their own deletion.
    for (int i = 0; i < 3; ++i)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The colours of a joint line: out of the space, fixed to the static body,
// between two bodies.
const QColor kJointUnbound(255, 0, 30, 200);
const QColor kJointStatic(255, 255, 30, 200);
const QColor kJointBetween(200, 0, 255, 200);

#endif // SPACETESTSUPPORT_H
