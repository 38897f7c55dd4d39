#ifndef ITEMREGISTRY_H
#define ITEMREGISTRY_H

#include <QHash>
#include <QList>

#include <chipmunk/chipmunk.h>

#include <map>
#include <utility>

class ConstraintItem;
class ShapeItem;

// The live shape and joint items of one space, by the bodies they use, so that an
// item leaving a body finds the others on it in constant time. The canvas owns
// the registry of its space; a space without an owner (a loader's, a test's)
// gets one made on first use, kept by its items and freed with the last of them.
// It is reached through the space's user data.
class ItemRegistry
{
public:
    ItemRegistry() = default;
    ~ItemRegistry();
    ItemRegistry(const ItemRegistry&) = delete;
    ItemRegistry& operator=(const ItemRegistry&) = delete;

    // The owner's registry becomes the space's; detach() before the space is freed.
    void attach(cpSpace* space);
    void detach();

    // The registry of the space, made for it when it has none; every acquire()
    // is paired with a release().
    static ItemRegistry* acquire(cpSpace* space);
    void release();

    // Lists the item under the body of its shape and its own body kept aside
    // while glued; called again whenever either changes.
    void listShape(ShapeItem* item);
    void unlistShape(ShapeItem* item);
    // The oldest live item other than except whose shape is on the body, or
    // null. It stops at the first found: the static body carries every static
    // shape, and each one freed asks this.
    ShapeItem* firstShapeItemOn(cpBody* body, const ShapeItem* except) const;
    // Whether any live item has its shape on the body or keeps it as its own.
    bool bodyUsed(cpBody* body) const;

    // Lists the joint under the two bodies its constraint names.
    void listConstraint(ConstraintItem* item);
    void unlistConstraint(ConstraintItem* item);
    bool listed(ConstraintItem* item) const { return m_constraintListings.contains(item); }
    // Live joints whose constraint names the body.
    QList<ConstraintItem*> constraintItemsNaming(cpBody* body) const;
    // Every live joint, in the order it was first listed.
    QList<ConstraintItem*> constraintItems() const;

private:
    struct Listing {
        quint64 order = 0;
        cpBody* a = nullptr;
        cpBody* b = nullptr;
    };
    template <typename Item>
    using ByBody = QHash<cpBody*, std::map<quint64, Item*> >;

    template <typename Item>
    void list(QHash<Item*, Listing>& listings, ByBody<Item>& byBody, Item* item, cpBody* a, cpBody* b);
    template <typename Item>
    void unlist(QHash<Item*, Listing>& listings, ByBody<Item>& byBody, Item* item);

    cpSpace* m_space = nullptr;
    bool m_madeOnDemand = false;
    int m_users = 0;
    quint64 m_nextOrder = 0;
    QHash<ShapeItem*, Listing> m_shapeListings;
    ByBody<ShapeItem> m_shapesByBody;
    QHash<ConstraintItem*, Listing> m_constraintListings;
    ByBody<ConstraintItem> m_constraintsByBody;
};

#endif // ITEMREGISTRY_H
