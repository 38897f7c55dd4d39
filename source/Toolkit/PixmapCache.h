#ifndef PIXMAPCACHE_H
#define PIXMAPCACHE_H

#include <QMap>
#include <QObject>
#include <QPixmap>
#include <QString>

// The process-wide map from pixmap key (a loose image's path, or a sheet frame's
// key) to its image, kept apart from Qt's own pixmap cache so that nothing is
// ever evicted behind the sprites' back. GUI thread only.
//
// The instance lives on the heap and is never destroyed at static destruction:
// pixmaps must not outlive the QGuiApplication.
class PixmapCache : public QObject
{
public:
    static PixmapCache* get();
    // Deletes the instance; the next get() makes a new, empty one.
    static void destroy();

    // The pixmap stored under the key; a null pixmap when there is none.
    QPixmap retrieve(const QString& key) const;
    // Stores the pixmap under the key, replacing any earlier one.
    void insert(const QString& key, const QPixmap& pixmap);
    // Sets out to retrieve(key); true when that pixmap is not null, so a key
    // stored with a null pixmap counts as missing.
    bool find(const QString& key, QPixmap* out) const;

private:
    PixmapCache() = default;

    QMap<QString, QPixmap> m_pixmaps;
};

#endif // PIXMAPCACHE_H
