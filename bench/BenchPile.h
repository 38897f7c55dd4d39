#ifndef BENCHPILE_H
#define BENCHPILE_H

// The pile the physics benchmarks step: bodies of the shape tools' default
// shapes in a static box, a pin joint per ten bodies, once with the editor's
// items on a canvas and once as a bare twin space with the same contents.

#include <QGraphicsScene>
#include <QLineF>

#include <algorithm>
#include <vector>

#include <chipmunk/chipmunk.h>

#include "Items/CircleShapeItem.h"
#include "Items/JointItems.h"
#include "Items/PolyShapeItem.h"
#include "Tools/ShapeTools.h"
#include "Views/EditorView.h"

// Where body i starts: a grid above the floor of the box.
inline cpVect pileSlot(int i)
{
    const int perRow = 60;
    return cpv(-900 + (i % perRow) * 31, 20 + (i / perRow) * 31);
}

inline void addBox(cpSpace* space)
{
    cpBody* ground = cpSpaceGetStaticBody(space);
    const cpVect corners[4] = {cpv(-950, 0), cpv(950, 0), cpv(950, 8000), cpv(-950, 8000)};
    for (int i = 0; i < 3; ++i) {
        cpShape* wall = cpSegmentShapeNew(ground, corners[i], corners[i + 1], 3);
        cpShapeSetFriction(wall, 0.8);
        cpShapeSetElasticity(wall, 0.5);
        cpSpaceAddShape(space, wall);
    }
}

// The shape item of the default shape made for body i (even: circle, odd: box).
inline QGraphicsItem* newPileItem(cpSpace* space, int i, cpShape* shape)
{
    QGraphicsItem* item;
    if (i % 2 == 0)
        item = new CircleShapeItem(space, shape, nullptr);
    else
        item = new PolyShapeItem(space, shape, nullptr);
    return item;
}

inline cpShape* newPileShape(cpSpace* space, int i)
{
    return i % 2 == 0 ? CircleTool::createDefaultShape(space, pileSlot(i)) : PolyTool::createDefaultShape(space, pileSlot(i));
}

// The pile made the editor's way: shape tools' default shapes with their items,
// pin joint items between neighbours. With shapesFirst every body and shape is
// made before the first item, as when a level is read.
inline void buildCanvasPile(EditorView& view, int bodies, bool shapesFirst = false)
{
    cpSpace* space = view.space();
    QGraphicsScene* scene = view.scene();
    addBox(space);
    std::vector<cpShape*> made;
    for (int i = 0; i < bodies; ++i) {
        cpShape* shape = newPileShape(space, i);
        if (shapesFirst) {
            made.push_back(shape);
            continue;
        }
        QGraphicsItem* item = newPileItem(space, i, shape);
        scene->addItem(item);
        dynamic_cast<ShapeItem*>(item)->adjust();
    }
    for (size_t i = 0; i < made.size(); ++i) {
        QGraphicsItem* item = newPileItem(space, int(i), made[i]);
        scene->addItem(item);
        dynamic_cast<ShapeItem*>(item)->adjust();
    }
    for (int i = 0; i + 1 < bodies; i += 10) {
        auto* joint = new PinJointItem(space, PinJointItem::defaultConstraint());
        const cpVect a = pileSlot(i);
        const cpVect b = pileSlot(i + 1);
        joint->setLine(QLineF(a.x, a.y, b.x, b.y));
        scene->addItem(joint);
        joint->setupNodes();
    }
}

// The same bodies, shapes and joints in a space of their own, set up as the canvas sets up its space.
inline cpSpace* buildRawPile(int bodies)
{
    cpSpace* space = cpSpaceNew();
    cpSpaceSetIterations(space, 25);
    cpSpaceSetGravity(space, cpv(0, -10));
    cpSpaceSetDamping(space, 0.98);
    addBox(space);
    std::vector<cpBody*> made;
    for (int i = 0; i < bodies; ++i)
        made.push_back(cpShapeGetBody(newPileShape(space, i)));
    for (int i = 0; i + 1 < bodies; i += 10)
        cpSpaceAddConstraint(space, cpPinJointNew(made[size_t(i)], made[size_t(i) + 1], cpvzero, cpvzero));
    return space;
}

// Body positions of the space in a fixed order, to show that two spaces ran alike.
inline std::vector<cpVect> sortedBodyPositions(cpSpace* space)
{
    std::vector<cpVect> out;
    cpSpaceEachBody(
        space, [](cpBody* b, void* data) { static_cast<std::vector<cpVect>*>(data)->push_back(cpBodyGetPosition(b)); },
        &out);
    std::sort(out.begin(), out.end(), [](cpVect a, cpVect b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    return out;
}

inline bool samePositions(cpSpace* a, cpSpace* b)
{
    const std::vector<cpVect> pa = sortedBodyPositions(a), pb = sortedBodyPositions(b);
    return pa.size() == pb.size()
        && std::equal(pa.begin(), pa.end(), pb.begin(), [](cpVect x, cpVect y) { return x.x == y.x && x.y == y.y; });
}

#endif // BENCHPILE_H
