#ifndef GROOVEJOINTITEM_H
#define GROOVEJOINTITEM_H

#include <QPointF>

#include "Items/ConstraintItem.h"

// A pin on body b sliding along a groove fixed on body a. The joint's line runs
// from groove end A to the pin; a dashed second line runs from groove end A to
// groove end B, with a handle of its own at B. Shares its type id with the slide
// joint: tell them apart with dynamic_cast.
class GrooveJointItem : public AbstractLineJointItem
{
    Q_OBJECT
    Q_PROPERTY(QPointF groove1 READ groove1 WRITE setGroove1 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(QPointF groove2 READ groove2 WRITE setGroove2 DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(QPointF anchor2 READ anchor2 WRITE setAnchor2 DESIGNABLE true SCRIPTABLE true STORED true USER true)

public:
    // The dashed line to groove end B. It shares node A with the joint's line
    // and hands the drags of its own node B on to the joint.
    class GrooveBLine : public AbstractLineItem
    {
    public:
        explicit GrooveBLine(GrooveJointItem* owner);
        // Tells the owner, which then no longer names it.
        ~GrooveBLine() override;

        // Attaches to the owner's node A and makes node B 35 units to its right.
        void setupNodes(LineItemNode* nodeA);

        AbstractEdge* clone() override;
        void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
        void dragStarted(ItemNode* node) override;
        void dragEnded(ItemNode* node) override;

    private:
        friend class GrooveJointItem;
        GrooveJointItem* m_owner; // null once the owner is gone
    };

    GrooveJointItem(cpSpace* space, cpConstraint* constraint);
    // Deletes the dashed line (and so its node B) before the joint goes.
    ~GrooveJointItem() override;

    // No bodies, groove ends and anchor at the origin.
    static cpConstraint* defaultConstraint();

    AbstractEdge* clone() override;
    void adjust() override;
    // End nodes, icon and dashed line, then the binding.
    void setupNodes() override;
    // Groove from line end A to the dashed line's end B on body a, pin at line
    // end B on body b. Needs the dashed line; a groove without length stays out.
    void addToSpace() override;

    GrooveBLine* bLine() const { return m_bLine; }

    // A groove end that would give the groove no length is refused, and any
    // point that would leave the joint unsolvable is taken back. The lines
    // follow at the next adjust().
    QPointF groove1() const { return parameterPoint("grv_a"); }
    void setGroove1(QPointF value);
    QPointF groove2() const { return parameterPoint("grv_b"); }
    void setGroove2(QPointF value);
    QPointF anchor2() const { return parameterPoint("anchr2"); }
    void setAnchor2(QPointF value) { setParameterPoint("anchr2", value, true); }

private:
    GrooveBLine* m_bLine = nullptr;
};

// Its line runs from groove end A to the pin, laid and bound by the item itself.
extern const JointItemKind grooveJointKind;

#endif // GROOVEJOINTITEM_H
