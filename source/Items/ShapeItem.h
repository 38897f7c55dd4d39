#ifndef SHAPEITEM_H
#define SHAPEITEM_H

#include <QObject>
#include <QPointF>
#include <QString>

#include <chipmunk/chipmunk.h>

#include "Items/item.h"

class ItemRegistry;

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
    Q_PROPERTY(bool Layer_1 READ layer1 WRITE setLayer1 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_2 READ layer2 WRITE setLayer2 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_3 READ layer3 WRITE setLayer3 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_4 READ layer4 WRITE setLayer4 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_5 READ layer5 WRITE setLayer5 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_6 READ layer6 WRITE setLayer6 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_7 READ layer7 WRITE setLayer7 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_8 READ layer8 WRITE setLayer8 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_9 READ layer9 WRITE setLayer9 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_10 READ layer10 WRITE setLayer10 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_11 READ layer11 WRITE setLayer11 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_12 READ layer12 WRITE setLayer12 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_13 READ layer13 WRITE setLayer13 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_14 READ layer14 WRITE setLayer14 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_15 READ layer15 WRITE setLayer15 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_16 READ layer16 WRITE setLayer16 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_17 READ layer17 WRITE setLayer17 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_18 READ layer18 WRITE setLayer18 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_19 READ layer19 WRITE setLayer19 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_20 READ layer20 WRITE setLayer20 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_21 READ layer21 WRITE setLayer21 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_22 READ layer22 WRITE setLayer22 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_23 READ layer23 WRITE setLayer23 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_24 READ layer24 WRITE setLayer24 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_25 READ layer25 WRITE setLayer25 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_26 READ layer26 WRITE setLayer26 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_27 READ layer27 WRITE setLayer27 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_28 READ layer28 WRITE setLayer28 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_29 READ layer29 WRITE setLayer29 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_30 READ layer30 WRITE setLayer30 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_31 READ layer31 WRITE setLayer31 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool Layer_32 READ layer32 WRITE setLayer32 DESIGNABLE true SCRIPTABLE true STORED true USER true)

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

    bool layer1() const { return layer(1); }
    void setLayer1(bool on) { setLayer(1, on); }
    bool layer2() const { return layer(2); }
    void setLayer2(bool on) { setLayer(2, on); }
    bool layer3() const { return layer(3); }
    void setLayer3(bool on) { setLayer(3, on); }
    bool layer4() const { return layer(4); }
    void setLayer4(bool on) { setLayer(4, on); }
    bool layer5() const { return layer(5); }
    void setLayer5(bool on) { setLayer(5, on); }
    bool layer6() const { return layer(6); }
    void setLayer6(bool on) { setLayer(6, on); }
    bool layer7() const { return layer(7); }
    void setLayer7(bool on) { setLayer(7, on); }
    bool layer8() const { return layer(8); }
    void setLayer8(bool on) { setLayer(8, on); }
    bool layer9() const { return layer(9); }
    void setLayer9(bool on) { setLayer(9, on); }
    bool layer10() const { return layer(10); }
    void setLayer10(bool on) { setLayer(10, on); }
    bool layer11() const { return layer(11); }
    void setLayer11(bool on) { setLayer(11, on); }
    bool layer12() const { return layer(12); }
    void setLayer12(bool on) { setLayer(12, on); }
    bool layer13() const { return layer(13); }
    void setLayer13(bool on) { setLayer(13, on); }
    bool layer14() const { return layer(14); }
    void setLayer14(bool on) { setLayer(14, on); }
    bool layer15() const { return layer(15); }
    void setLayer15(bool on) { setLayer(15, on); }
    bool layer16() const { return layer(16); }
    void setLayer16(bool on) { setLayer(16, on); }
    bool layer17() const { return layer(17); }
    void setLayer17(bool on) { setLayer(17, on); }
    bool layer18() const { return layer(18); }
    void setLayer18(bool on) { setLayer(18, on); }
    bool layer19() const { return layer(19); }
    void setLayer19(bool on) { setLayer(19, on); }
    bool layer20() const { return layer(20); }
    void setLayer20(bool on) { setLayer(20, on); }
    bool layer21() const { return layer(21); }
    void setLayer21(bool on) { setLayer(21, on); }
    bool layer22() const { return layer(22); }
    void setLayer22(bool on) { setLayer(22, on); }
    bool layer23() const { return layer(23); }
    void setLayer23(bool on) { setLayer(23, on); }
    bool layer24() const { return layer(24); }
    void setLayer24(bool on) { setLayer(24, on); }
    bool layer25() const { return layer(25); }
    void setLayer25(bool on) { setLayer(25, on); }
    bool layer26() const { return layer(26); }
    void setLayer26(bool on) { setLayer(26, on); }
    bool layer27() const { return layer(27); }
    void setLayer27(bool on) { setLayer(27, on); }
    bool layer28() const { return layer(28); }
    void setLayer28(bool on) { setLayer(28, on); }
    bool layer29() const { return layer(29); }
    void setLayer29(bool on) { setLayer(29, on); }
    bool layer30() const { return layer(30); }
    void setLayer30(bool on) { setLayer(30, on); }
    bool layer31() const { return layer(31); }
    void setLayer31(bool on) { setLayer(31, on); }
    bool layer32() const { return layer(32); }
    void setLayer32(bool on) { setLayer(32, on); }

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

#endif // SHAPEITEM_H
