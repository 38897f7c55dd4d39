#ifndef SPRITELISTMODEL_H
#define SPRITELISTMODEL_H

#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QStandardItem>
#include <QStandardItemModel>
#include <QString>

// Item data role under which an image list entry holds its full pixmap (the
// icon is only a scaled view of it).
constexpr int SpritePixmapRole = 33;

// A flat list of images: one sprite sheet's frames, or the loose images.
class SpriteListModel : public QStandardItemModel
{
    Q_OBJECT
public:
    explicit SpriteListModel(QObject* parent = nullptr);
};

// One image of a list: the name as its text, the pixmap as its icon and in
// SpritePixmapRole, and the pixmap key (or file path) as its tool tip.
class SpriteListModelItem : public QStandardItem
{
public:
    SpriteListModelItem(const QPixmap& pixmap, const QString& name, const QString& key);

    QPixmap pixmap() const { return m_pixmap; }
    // Replaces the full image; the icon keeps showing the one it was made with.
    void setPixmap(const QPixmap& pixmap);
    QString pixmapKey() const { return toolTip(); }

    QVariant data(int role = Qt::UserRole + 1) const override;

private:
    QPixmap m_pixmap;
};

// An entry of the animation list: the first frame's image, and the frames in
// playing order. Owns the frames model as a child object, so removing the entry
// deletes its frames.
class SpriteAnimationModelItem : public QObject, public SpriteListModelItem
{
public:
    SpriteAnimationModelItem(SpriteListModel* model, const QPixmap& pixmap, const QString& name,
                             const QString& toolTip);

    SpriteListModel* framesModel() const { return m_frames; }

private:
    QPointer<SpriteListModel> m_frames;
};

#endif // SPRITELISTMODEL_H
