#include "Toolkit/cpSupport.h"

#include <QGraphicsItem>
#include <QObject>

#include <vector>

namespace {

// Chipmunk 7's point-query callback carries more than the collector needs.
void collectQueriedShape(cpShape* shape, cpVect, cpFloat, cpVect, void* data)
{
    collectShapes(shape, data);
}

// The shapes under a point whose body's item is shown. A body without an item
// counts as hidden.
QList<cpShape*> visibleShapesAt(cpVect point, cpSpace* space)
{
    QList<cpShape*> visible;
    const QList<cpShape*> shapes = getShapesAt(point, space);
    for (cpShape* shape : shapes) {
        QObject* object = static_cast<QObject*>(cpBodyGetUserData(cpShapeGetBody(shape)));
        QGraphicsItem* item = dynamic_cast<QGraphicsItem*>(object);
        if (item && item->isVisible())
            visible.append(shape);
    }
    return visible;
}

} // namespace

void ShapeItemAdjust(QGraphicsItem* item, cpShape* shape)
{
    if (!item || !shape)
        return;
    cpBody* body = cpShapeGetBody(shape);
    if (!body)
        return;
    const cpVect p = cpBodyGetPosition(body);
    item->setPos(p.x, p.y);
    // Turning asks the scene for a geometry change even when the angle stays;
    // a resting body keeps its angle.
    const qreal rotation = degreesFromRadians(cpBodyGetAngle(body));
    if (rotation != item->rotation())
        item->setRotation(rotation);
}

void countShapesOnBody(cpBody*, cpShape*, void* data)
{
    ++*static_cast<int*>(data);
}

ShapeKind getShapeType(cpShape* shape)
{
    return shapeTypeOf(shape);
}

int shapeCountOnBody(cpBody* body)
{
    int count = 0;
    if (body)
        cpBodyEachShape(body, countShapesOnBody, &count);
    return count;
}

void collectShapes(cpShape* shape, void* data)
{
    static_cast<QList<cpShape*>*>(data)->append(shape);
}

void collectConstraints(cpBody*, cpConstraint* constraint, void* data)
{
    static_cast<QList<cpConstraint*>*>(data)->append(constraint);
}

QList<cpConstraint*> getConstraintsOnBody(cpBody* body)
{
    QList<cpConstraint*> constraints;
    if (body)
        cpBodyEachConstraint(body, collectConstraints, &constraints);
    return constraints;
}

QList<cpShape*> getShapesAt(cpVect point, cpSpace* space)
{
    QList<cpShape*> shapes;
    if (space)
        cpSpacePointQuery(space, point, 0, CP_SHAPE_FILTER_ALL, collectQueriedShape, &shapes);
    return shapes;
}

bool getBodiesAtPoints(cpVect p1, cpVect p2, cpBody** a, cpBody** b, cpSpace* space)
{
    if (!a || !b)
        return false;
    *a = nullptr;
    *b = nullptr;
    if (!space)
        return false;

    const QList<cpShape*> first = visibleShapesAt(p1, space);
    const QList<cpShape*> second = visibleShapesAt(p2, space);

    cpShape* s1 = first.isEmpty() ? nullptr : first.first();
    cpShape* s2 = nullptr;
    for (cpShape* shape : second) {
        if (shape != s1) {
            s2 = shape;
            break;
        }
    }

    cpBody* staticBody = cpSpaceGetStaticBody(space);
    *a = s1 ? cpShapeGetBody(s1) : staticBody;
    *b = s2 ? cpShapeGetBody(s2) : staticBody;

    return jointBodiesSolvable(*a, *b, false);
}

void cpPolyShapeApplyOffset(cpShape* polygon, cpVect offset)
{
    if (!polygon || getShapeType(polygon) != ShapeKind::Poly)
        return;
    const int count = cpPolyShapeGetCount(polygon);
    std::vector<cpVect> verts;
    verts.reserve(count);
    for (int i = 0; i < count; ++i)
        verts.push_back(cpvadd(cpPolyShapeGetVert(polygon, i), offset));
    // Raw: keep the vertices as they are instead of taking their hull.
    setPolyVertsRaw(polygon, count, verts.data());
}
