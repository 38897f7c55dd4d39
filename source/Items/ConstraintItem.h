#ifndef CONSTRAINTITEM_H
#define CONSTRAINTITEM_H

#include <QObject>
#include <QPointF>
#include <QString>

#include <chipmunk/chipmunk.h>

#include "Items/AbstractLineItem.h"

class AbstractLineJointItem;
class ItemRegistry;
class QGraphicsPixmapItem;
class QLineF;
struct JointKind;
struct JointParameter;

// The QObject side of a joint item: it owns one constraint of the level's space,
// moves it into and out of the space, and publishes the constraint values every
// joint kind shares. While the constraint is in the space its user data is this
// item as QObject*.
class ConstraintItem : public QObject
{
    Q_OBJECT
    Q_PROPERTY(float maxForce READ maxForce WRITE setMaxForce DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(float errorBias READ errorBias WRITE setErrorBias DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(float maxBias READ maxBias WRITE setMaxBias DESIGNABLE true SCRIPTABLE true STORED true USER true)

public:
    // Takes ownership of the constraint; the space is not owned and must outlive the item.
    ConstraintItem(cpSpace* space, cpConstraint* constraint);
    // Takes the constraint out of the space and frees it.
    ~ConstraintItem() override;

    // Engine to item; called for each constraint of the space after every step.
    virtual void adjust() = 0;
    // Into the space (user data := this) unless it is there already. A constraint
    // the solver cannot handle (a missing body, one body twice, two bodies that
    // cannot move, or for the rotary kinds cannot turn) stays out.
    virtual void addToSpace();
    // Out of the space (user data := null) when it is there.
    virtual void removeFromSpace();

    cpSpace* space() const { return m_space; }
    cpConstraint* constraint() const { return m_constraint; }

    // Both bodies are set: only then may the bodies be read. A body that was
    // freed is no longer named by the constraint.
    bool hasBodies() const;
    // True unless the constraint is bound to bodies it could not be solved
    // between with its present values; a setter takes a value back then.
    bool canBeSolved() const;

    // Takes a constraint out of the space, through its joint item when it has
    // one (so the joint is recoloured), with its user data cleared.
    static void takeOut(cpSpace* space, cpConstraint* constraint);

    float maxForce() const;
    // Negative stores infinity; NaN is refused.
    void setMaxForce(float value);
    float errorBias() const;
    // Only a fraction from 0 to 1 is taken; anything else (negative, above 1,
    // not finite) is refused, since the engine cannot step with it.
    void setErrorBias(float value);
    float maxBias() const;
    // Negative stores infinity; NaN is refused.
    void setMaxBias(float value);

    // Called just before a body is freed: every live item of the space whose
    // constraint names the body is told through bodyFreed().
    static void forgetBody(cpSpace* space, cpBody* body);

protected:
    // The body is about to be freed while the constraint still names it: the
    // constraint leaves the space and stops naming the body.
    virtual void bodyFreed(cpBody* body);

    cpSpace* m_space;
    cpConstraint* m_constraint;
    ItemRegistry* m_registry; // the space's, shared
};

// Paints the line, only its part within the exposed area when it reaches far
// past it; the item needs QGraphicsItem::ItemUsesExtendedStyleOption.
void paintVisiblePart(AbstractLineItem* item, QPainter* painter, const QStyleOptionGraphicsItem* option,
                      QWidget* widget);

// What the editor shows of one joint kind and how its line binds it: one static
// descriptor per kind, beside the serializer's descriptor of its values.
struct JointItemKind
{
    enum class Layout {
        Anchors, // from the "anchr1" point on body a to the "anchr2" point on body b
        Bodies, // between the bodies' positions (the static body sits at the origin)
        Own // the kind lays its lines itself
    };

    int typeId;
    const char* icon;
    Layout layout;
    cpBool (*is)(const cpConstraint*);
    // The item for a constraint of the kind; the item takes the constraint.
    AbstractLineJointItem* (*make)(cpSpace* space, cpConstraint* constraint);
    // A new constraint without bodies, for a joint the user draws.
    cpConstraint* (*defaultConstraint)();
    // Binds the constraint to bodies a and b under the line's ends; null when the
    // kind binds itself in its own addToSpace().
    void (*bind)(cpConstraint* constraint, cpBody* a, cpBody* b, const QLineF& line);
};

// A joint drawn as a coloured line between two end nodes, with the kind's icon
// at its middle. Dropping an end node binds the joint again to the bodies under
// the two ends. QObject comes first, through the ConstraintItem part: the
// constraint's user data is that part, so readers cast from QObject*.
class AbstractLineJointItem : public ConstraintItem, public AbstractLineItem
{
public:
    // The kind is static and not owned; without one the item lays, binds and
    // shows nothing of its own.
    AbstractLineJointItem(cpSpace* space, cpConstraint* constraint, const JointItemKind* kind = nullptr);
    ~AbstractLineJointItem() override;

    int type() const override;

    // A joint is never split.
    AbstractEdge* clone() override;
    // Drags of an end node: out of the space while any end moves, bound again
    // when the last one is dropped, keeping maxForce, maxBias and errorBias.
    void dragStarted(ItemNode* node) override;
    void dragEnded(ItemNode* node) override;
    // Removing either end removes the whole joint.
    void deleteNode(ItemNode* node) override;

    // Lays the line between the end nodes and re-centres the symbol.
    virtual void updatePosition(ItemNode* node);
    // Lays the line from the bodies as the kind says, then end nodes onto the
    // line's ends and symbol to the middle.
    void adjust() override;
    // Only the exposed part of a line far longer than the view is painted.
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
    // End nodes, the kind's icon, and for a new joint the binding; the item
    // must be in a scene.
    virtual void setupNodes();
    // Bound by the kind to the bodies under the ends, then into the space and recoloured.
    void addToSpace() override;
    // Out of the space and recoloured.
    void removeFromSpace() override;

    void createSymbol(const QString& path);
    void symbolAdjust();
    // Colours line and end nodes by state: out of the space, fixed to the
    // static body, or between two bodies.
    void determineColor();

    QGraphicsPixmapItem* symbol() const { return m_symbol; }
    int dragDepth() const { return m_dragDepth; }

    static QColor unboundColor();
    static QColor staticColor();
    static QColor boundColor();

protected:
    void keyPressEvent(QKeyEvent* event) override;

    // The bodies under the line's two ends for a new binding; false when the
    // joint cannot be bound there (then nothing may change).
    bool bodiesAtEnds(cpBody** a, cpBody** b) const;
    // Creates the two end nodes.
    void createEndNodes();
    // End nodes, icon, and the binding of a joint not read from a file.
    void finishSetup(const QString& iconPath);

    // The kind's values by their name in the physics file, unchecked.
    double parameterValue(const char* name) const;
    QPointF parameterPoint(const char* name) const;
    // Sets the value when its bound in the rule book takes it; false when refused.
    bool setParameterValue(const char* name, double value);
    // The same for a point; with keepSolvable, a point that leaves the joint
    // unsolvable between its bodies is taken back.
    bool setParameterPoint(const char* name, QPointF value, bool keepSolvable);
    // An anchor point set as above, then the line re-laid.
    void setAnchor(const char* name, QPointF value, bool keepSolvable = false);

    const JointItemKind* m_kind;
    const JointKind* m_jointKind; // the serializer's descriptor of the constraint's kind

    int m_dragDepth = 0;
    QGraphicsPixmapItem* m_symbol = nullptr;
};

#endif // CONSTRAINTITEM_H
