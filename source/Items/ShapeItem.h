#ifndef SHAPEITEM_H
#define SHAPEITEM_H

#include <QObject>
#include <QPointF>
#include <QString>

#include <chipmunk/chipmunk.h>

#include "Items/item.h"

class ItemRegistry;

// Each bit of the layer mask is a row of its own in the property panel, named
// Layer_1 to Layer_32. The bits are listed once; the list makes both the
// properties and their accessors (layer1() and setLayer1() to layer32() and
// setLayer32()), each a forward to layer(n) and setLayer(n, on).
#define LEVELEDITOR_LAYER_BITS(X)                                                \
    X(1) X(2) X(3) X(4) X(5) X(6) X(7) X(8)                                      \
    X(9) X(10) X(11) X(12) X(13) X(14) X(15) X(16)                               \
    X(17) X(18) X(19) X(20) X(21) X(22) X(23) X(24)                              \
    X(25) X(26) X(27) X(28) X(29) X(30) X(31) X(32)
#define LEVELEDITOR_LAYER_PROPERTY(n)                                            \
    Q_PROPERTY(bool Layer_##n READ layer##n WRITE setLayer##n DESIGNABLE true    \
                   SCRIPTABLE true STORED true USER true)
#define LEVELEDITOR_LAYER_ACCESSORS(n)                                           \
    bool layer##n() const { return layer(n); }                                   \
    void setLayer##n(bool on) { setLayer(n, on); }

// Base of the scene items that wrap one Chipmunk shape. The concrete item adds
// the graphics item as its second base; QObject comes first so that the body's
// user data (this item as QObject*) can be read back as a QObject.
//
// The item owns its shape, and the shape's body once no other shape uses it.
// A body's user data names one live shape item of that body: the first one made
// for it, handed on to another item of the body (or cleared) when that one dies.
class ShapeItem : public QObject, public AbstractSyncItem
{
    Q_OBJECT
    Q_PROPERTY(bool bodyInSpace READ bodyInSpace WRITE setBodyInSpace DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(float Mass READ mass WRITE setMass DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(float Moment READ moment WRITE setMoment DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(QPointF Velocity READ velocity WRITE setVelocity DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(QPointF Force READ force WRITE setForce DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(float Elasticity READ elasticity WRITE setElasticity DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(float Friction READ friction WRITE setFriction DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(int CollisionType READ collisionType WRITE setCollisionType DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(int Group READ group WRITE setGroup DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Sensor READ sensor WRITE setSensor DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(int Layers READ layers WRITE setLayers DESIGNABLE true SCRIPTABLE true STORED true USER true)
    LEVELEDITOR_LAYER_BITS(LEVELEDITOR_LAYER_PROPERTY)

public:
    // The shape must already have its body (which may be the space's static body).
    ShapeItem(cpSpace* space, cpShape* shape);
    // Ends the joints of the body, takes the shape (and the body when nothing
    // else uses it) out of the space and frees them.
    ~ShapeItem() override;

    cpSpace* space() const { return m_space; }
    cpShape* cpshape() const { return m_shape; }
    // The shape's own body while it is glued onto another shape's body; else null.
    cpBody* oldBody() const { return m_oldBody; }

    // Engine to item.
    virtual void adjust() = 0;
    // Item to engine; ends by reindexing the shapes of the body.
    virtual void adjustShape() = 0;
    // A shape item never follows its partner.
    void sync(AbstractSyncItem* other) override;
    virtual void setOldBody(cpBody* body);
    // Called after the shape was put onto another body (glued or freed).
    void shapeBodyChanged(cpBody* previous);
    // Negative: infinite moment. Zero and NaN are refused.
    virtual void setMoment(float moment);

    // Whether the space simulates the current body (never for a static body).
    bool bodyInSpace() const;
    void setBodyInSpace(bool inSpace);
    float mass() const;
    // Negative (or infinite): the body becomes static and leaves the space;
    // zero and NaN are refused.
    void setMass(float mass);
    float moment() const;
    QPointF velocity() const;
    void setVelocity(QPointF velocity);
    // The force set here keeps acting on the body step after step.
    QPointF force() const;
    void setForce(QPointF force);
    float elasticity() const;
    void setElasticity(float elasticity);
    float friction() const;
    void setFriction(float friction);
    int collisionType() const;
    void setCollisionType(int type);
    int group() const;
    void setGroup(unsigned long group);
    bool sensor() const;
    void setSensor(bool sensor);
    int layers() const;
    void setLayers(unsigned int layers);

    LEVELEDITOR_LAYER_BITS(LEVELEDITOR_LAYER_ACCESSORS)

    // "mass: " and the body's mass, or "static"; also becomes the object name.
    QString determineAndSetObjectName();
    // Links a synced item (a sprite) so that it follows this shape.
    void syncWithSyncee(AbstractSyncItem* syncee);

protected:
    // The body the shape sits on now (the host's body while glued).
    cpBody* body() const;
    // The body takes the item's position and rotation; a value that is not
    // finite is left out.
    static void moveBodyToItem(cpBody* body, const QGraphicsItem* item);
    // Places the shapes glued directly onto the item again.
    static void adjustGluedChildren(const QGraphicsItem* item);

    cpSpace* m_space;
    cpShape* m_shape;
    ItemRegistry* m_registry; // the space's, shared
    cpBody* m_oldBody = nullptr;
    float m_savedMoment = 0;
    bool m_hasSavedMoment = false;

private:
    // Teardown of the shape in its space (the destructor's work).
    void releaseShape();
    // Bit n-1 of the layer mask.
    bool layer(int n) const;
    void setLayer(int n, bool on);
};

#undef LEVELEDITOR_LAYER_ACCESSORS
#undef LEVELEDITOR_LAYER_PROPERTY
#undef LEVELEDITOR_LAYER_BITS

#endif // SHAPEITEM_H
