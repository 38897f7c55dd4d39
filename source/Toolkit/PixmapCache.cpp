#include "Toolkit/PixmapCache.h"

namespace {
PixmapCache* instance = nullptr;
}

PixmapCache* PixmapCache::get()
{
    if (!instance)
        instance = new PixmapCache;
    return instance;
}

void PixmapCache::destroy()
{
    delete instance;
    instance = nullptr;
}

QPixmap PixmapCache::retrieve(const QString& key) const
{
    return m_pixmaps.value(key);
}

void PixmapCache::insert(const QString& key, const QPixmap& pixmap)
{
    m_pixmaps.insert(key, pixmap);
}

bool PixmapCache::find(const QString& key, QPixmap* out) const
{
    const QPixmap pixmap = retrieve(key);
    if (out)
        *out = pixmap;
    return !pixmap.isNull();
}
