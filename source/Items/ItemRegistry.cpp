#include "Items/ItemRegistry.h"

#include "Items/ConstraintItem.h"
#include "Items/ShapeItem.h"

ItemRegistry::~ItemRegistry()
{
    detach();
}

void ItemRegistry::attach(cpSpace* space)
{
    detach();
    m_space = space;
    if (m_space)
        cpSpaceSetUserData(m_space, this);
}

void ItemRegistry::detach()
{
    if (m_space && cpSpaceGetUserData(m_space) == this)
        cpSpaceSetUserData(m_space, nullptr);
    m_space = nullptr;
}

ItemRegistry* ItemRegistry::acquire(cpSpace* space)
{
    if (!space)
        return nullptr;
    auto* registry = static_cast<ItemRegistry*>(cpSpaceGetUserData(space));
    if (!registry) {
        registry = new ItemRegistry;
        registry->m_madeOnDemand = true;
        registry->attach(space);
    }
    ++registry->m_users;
    return registry;
}

void ItemRegistry::release()
{
    if (--m_users == 0 && m_madeOnDemand)
        delete this;
}

template <typename Item>
void ItemRegistry::list(QHash<Item*, Listing>& listings, ByBody<Item>& byBody, Item* item, cpBody* a,
                        cpBody* b)
{
    if (b == a)
        b = nullptr;
    auto found = listings.find(item);
    if (found == listings.end()) {
        Listing listing;
        listing.order = m_nextOrder++;
        found = listings.insert(item, listing);
    } else if (found->a == a && found->b == b) {
        return;
    } else {
        for (cpBody* body : {found->a, found->b}) {
            if (!body)
                continue;
            auto entry = byBody.find(body);
            if (entry != byBody.end()) {
                entry->erase(found->order);
                if (entry->empty())
                    byBody.erase(entry);
            }
        }
    }
    found->a = a;
    found->b = b;
    for (cpBody* body : {a, b}) {
        if (body)
            byBody[body].emplace(found->order, item);
    }
}

template <typename Item>
void ItemRegistry::unlist(QHash<Item*, Listing>& listings, ByBody<Item>& byBody, Item* item)
{
    auto found = listings.find(item);
    if (found == listings.end())
        return;
    for (cpBody* body : {found->a, found->b}) {
        if (!body)
            continue;
        auto entry = byBody.find(body);
        if (entry != byBody.end()) {
            entry->erase(found->order);
            if (entry->empty())
                byBody.erase(entry);
        }
    }
    listings.erase(found);
}

void ItemRegistry::listShape(ShapeItem* item)
{
    cpShape* shape = item->cpshape();
    list(m_shapeListings, m_shapesByBody, item, shape ? cpShapeGetBody(shape) : nullptr, item->oldBody());
}

void ItemRegistry::unlistShape(ShapeItem* item)
{
    unlist(m_shapeListings, m_shapesByBody, item);
}

ShapeItem* ItemRegistry::firstShapeItemOn(cpBody* body, const ShapeItem* except) const
{
    auto entry = m_shapesByBody.constFind(body);
    if (entry == m_shapesByBody.constEnd())
        return nullptr;
    for (const auto& listed : *entry) {
        ShapeItem* item = listed.second;
        if (item != except && item->cpshape() && cpShapeGetBody(item->cpshape()) == body)
            return item;
    }
    return nullptr;
}

bool ItemRegistry::bodyUsed(cpBody* body) const
{
    return m_shapesByBody.contains(body);
}

void ItemRegistry::listConstraint(ConstraintItem* item)
{
    cpConstraint* constraint = item->constraint();
    list(m_constraintListings, m_constraintsByBody, item,
         constraint ? cpConstraintGetBodyA(constraint) : nullptr,
         constraint ? cpConstraintGetBodyB(constraint) : nullptr);
}

void ItemRegistry::unlistConstraint(ConstraintItem* item)
{
    unlist(m_constraintListings, m_constraintsByBody, item);
}

QList<ConstraintItem*> ItemRegistry::constraintItemsNaming(cpBody* body) const
{
    QList<ConstraintItem*> items;
    auto entry = m_constraintsByBody.constFind(body);
    if (entry == m_constraintsByBody.constEnd())
        return items;
    for (const auto& listed : *entry)
        items.append(listed.second);
    return items;
}

QList<ConstraintItem*> ItemRegistry::constraintItems() const
{
    std::map<quint64, ConstraintItem*> byOrder;
    for (auto it = m_constraintListings.constBegin(); it != m_constraintListings.constEnd(); ++it)
        byOrder.emplace(it.value().order, it.key());
    QList<ConstraintItem*> items;
    items.reserve(qsizetype(byOrder.size()));
    for (const auto& listed : byOrder)
        items.append(listed.second);
    return items;
}
