#ifndef CPSUPPORT_H
#define CPSUPPORT_H

// Chipmunk helpers shared by the physics items and tools. They keep no state;
// items are reached only through the bodies' user data, read as QObject*.

#include <QList>
#include <QPointF>

#include "cpCompat.h" // Chipmunk, and ShapeKind

class QGraphicsItem;

// A scene or item point within the bounds of physicsrules.h.
inline bool isSanePoint(QPointF p) { return isSanePoint(cpv(p.x(), p.y())); }

// Places the item on the shape's body: position from the body, rotation from
// its angle (single precision) in degrees. Coordinates are the item's parent's.
void ShapeItemAdjust(QGraphicsItem* item, cpShape* shape);

// Body-shape iteration callback: adds 1 to the int that data points at.
void countShapesOnBody(cpBody* body, cpShape* shape, void* data);

// The shape's kind: 0 circle, 1 segment, 2 polygon.
ShapeKind getShapeType(cpShape* shape);

// Number of shapes of the space attached to the body (0 for a null body).
int shapeCountOnBody(cpBody* body);

// Point-query callback: appends the shape to the QList<cpShape*> at data.
void collectShapes(cpShape* shape, void* data);

// Body-constraint iteration callback: appends to the QList<cpConstraint*> at data.
void collectConstraints(cpBody* body, cpConstraint* constraint, void* data);

// The constraints of the space attached to the body, in Chipmunk's order.
QList<cpConstraint*> getConstraintsOnBody(cpBody* body);

// Every shape containing the point, on any layer and in any group.
QList<cpShape*> getShapesAt(cpVect point, cpSpace* space);

// Chooses the two bodies for a joint drawn from p1 to p2: the body of the first
// shape under each point whose item is visible (the second end skips the first
// end's shape), or the space's static body. Both are always written; the answer
// is true when they differ and not both have infinite mass.
bool getBodiesAtPoints(cpVect p1, cpVect p2, cpBody** a, cpBody** b, cpSpace* space);

// Moves the polygon's vertices by offset, keeping their order.
void cpPolyShapeApplyOffset(cpShape* polygon, cpVect offset);

#endif // CPSUPPORT_H
