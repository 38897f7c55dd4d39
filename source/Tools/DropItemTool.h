#ifndef DROPITEMTOOL_H
#define DROPITEMTOOL_H

#include <QPointF>
#include <QPointer>

#include "Tools/AbstractItemTool.h"

class QGraphicsItem;
class QGraphicsScene;

// Base of the tools that make one item at the press and carry it until the
// release. A tool is a row of rules (what it makes, whether the item follows
// the pointer, how the release leaves it, which events it answers); the scene
// owns the item, and the guard only follows it (clearing the level while
// placing leaves it null).
class DropItemTool : public AbstractItemTool
{
public:
    // A placed item seen as both of its bases; empty when nothing was made.
    struct Placed
    {
        Placed() = default;
        template <typename Item>
        Placed(Item* item)
            : object(item)
            , item(item)
        {
        }
        QObject* object = nullptr;
        QGraphicsItem* item = nullptr;
    };

    struct Rule
    {
        // The new item at p, already in the scene; empty when it cannot be made there.
        Placed (*make)(EditorView* view, QGraphicsScene* scene, const QPointF& p);
        // Carries the held item to p; null: it stays where it was made.
        void (*follow)(const Placed& held, const QPointF& p);
        // What the release does with the held item.
        void (*finish)(const Placed& held);
        bool takesMove;    // a move's answer while an item is held
        bool takesRelease; // a release's answer, with or without an item
        bool keepsItem;    // the item stays held after its release, until the next press
        bool claimsClick;  // the tool takes every click before the canvas does
        bool takesControl; // Control is taken while an item is held
    };

    bool mousePressEvent(QMouseEvent* event) override;
    bool mouseMoveEvent(QMouseEvent* event) override;
    bool mouseReleaseEvent(QMouseEvent* event) override;
    bool keyPressEvent(QKeyEvent* event) override;
    bool priorityClick(QMouseEvent* event) override;

    // Rule parts most rows share.
    static void followPointer(const Placed& held, const QPointF& p);
    // The item becomes the only selection, with the focus.
    static void takeSelection(const Placed& held);
    // The item joins the selection and leaves the focus where it is.
    static void joinSelection(const Placed& held);

protected:
    DropItemTool(EditorView* view, const Rule& rule);

    // The rule's make; a tool whose item depends on its own state replaces it.
    virtual Placed makeItem(QGraphicsScene* scene, const QPointF& p);
    // The item held now; empty between gestures or once it is deleted.
    Placed held() const;

private:
    Rule m_rule;
    QPointer<QObject> m_object;
    QGraphicsItem* m_item = nullptr; // the same item as m_object, valid while it is
};

#endif // DROPITEMTOOL_H
