#include "Models/SpriteListModel.h"

#include <QIcon>

SpriteListModel::SpriteListModel(QObject* parent)
    : QStandardItemModel(parent)
{
}

SpriteListModelItem::SpriteListModelItem(const QPixmap& pixmap, const QString& name, const QString& key)
    : QStandardItem(QIcon(pixmap), name)
    , m_pixmap(pixmap)
{
    setToolTip(key);
    setEditable(false);
}

void SpriteListModelItem::setPixmap(const QPixmap& pixmap)
{
    m_pixmap = pixmap;
    // Views and the sprite tool read the image through the model.
    emitDataChanged();
}

QVariant SpriteListModelItem::data(int role) const
{
    if (role == SpritePixmapRole)
        return m_pixmap;
    return QStandardItem::data(role);
}

SpriteAnimationModelItem::SpriteAnimationModelItem(SpriteListModel* model, const QPixmap& pixmap,
                                                   const QString& name, const QString& toolTip)
    : QObject(nullptr)
    , SpriteListModelItem(pixmap, name, toolTip)
    , m_frames(model)
{
    if (m_frames)
        m_frames->setParent(this);
}
