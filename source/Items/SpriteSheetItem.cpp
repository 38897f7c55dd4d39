#include "Items/SpriteSheetItem.h"

#include <QDebug>
#include <QFileInfo>
#include <QMetaType>
#include <QPixmap>
#include <QRect>

#include "IO/imagefile.h"
#include "IO/plistReader.h"
#include "IO/textcodec.h"
#include "Items/GraphicItem.h"
#include "Items/item.h"
#include "Models/SpriteListModel.h"
#include "Toolkit/PixmapCache.h"
#include "Views/EditorScene.h"

namespace {

bool isDictionary(const QVariant& value)
{
    return value.typeId() == QMetaType::QVariantMap;
}

cpSpace* spaceOf(IOTransformer& transformer)
{
    EditorContext* context = transformer.context();
    return context ? context->space() : nullptr;
}

} // namespace

SpriteSheetItem::SpriteSheetItem(const QString& plistPath)
    : QObject(nullptr)
    , QGraphicsEllipseItem(-3, -3, 6, 6)
    , m_plistPath(plistPath)
    , m_model(nullptr)
{
    setUp();
    parsePlist();
}

SpriteSheetItem::SpriteSheetItem()
    : QObject(nullptr)
    , QGraphicsEllipseItem(-3, -3, 6, 6)
    , m_model(nullptr)
{
    setUp();
}

void SpriteSheetItem::setUp()
{
    m_model = new SpriteListModel(this);
    setZValue(SpriteSheetZ);
    setFlags(QGraphicsItem::GraphicsItemFlags());
}

int SpriteSheetItem::type() const
{
    return SpriteSheetItemType;
}

std::string SpriteSheetItem::key()
{
    return key_str();
}

void SpriteSheetItem::parsePlist()
{
    plistReader plist;
    // A missing or malformed file leaves the map empty: the sheet keeps no frames
    // and the level goes on opening.
    m_readError.clear();
    if (!plist.readFile(m_plistPath)) {
        m_readError = plist.errorString();
        qDebug("Sprite sheet has no readable property list: %s", encodeText(m_plistPath).c_str());
    }

    const QVariant metadata = plist.value(QStringLiteral("metadata"));
    if (!isDictionary(metadata))
        return;
    m_imageFileName = metadata.toMap().value(QStringLiteral("textureFileName")).toString();

    const QFileInfo plistInfo(m_plistPath);
    // absolutePath, not canonicalPath: the latter is "." for a file that is gone.
    const QString folder = plistInfo.absolutePath();
    QString texturePath = folder + QLatin1Char('/') + m_imageFileName;
    if (!QFileInfo(texturePath).isFile())
        texturePath = folder + QLatin1Char('/') + plistInfo.baseName() + QStringLiteral(".png");

    PixmapCache* cache = PixmapCache::get();
    QPixmap texture;
    if (!cache->find(texturePath, &texture)) {
        texture = readImageFile(texturePath);
        cache->insert(texturePath, texture);
    }

    const QVariant frames = plist.value(QStringLiteral("frames"));
    if (!isDictionary(frames))
        return;
    const QVariantMap frameMap = frames.toMap();
    for (auto it = frameMap.constBegin(); it != frameMap.constEnd(); ++it) {
        if (!isDictionary(it.value()))
            continue;
        const QRect rect = plistReader::parseStringToRect(
            it.value().toMap().value(QStringLiteral("frame")).toString());
        const QString frameKey = makeSpriteSheetPixmapKey(m_imageFileName, it.key());
        QPixmap pixmap;
        if (!cache->find(frameKey, &pixmap)) {
            // Only what the texture holds: a frame reaching far outside it would
            // make an image of its own size. An empty rectangle would copy all.
            const QRect inside = rect.intersected(texture.rect());
            if (!inside.isEmpty())
                pixmap = texture.copy(inside);
            cache->insert(frameKey, pixmap);
            qDebug("Inserted pixmap key: %s", encodeText(frameKey).c_str());
        }
        m_model->appendRow(new SpriteListModelItem(pixmap, it.key(), frameKey));
    }
}

void SpriteSheetItem::write(IOTransformer& transformer)
{
    transformer.writeAttribute("file", encodeText(m_plistPath));
    transformer.writeAttribute("z", encodeText(textFromNumber(zValue())));
    const QList<QGraphicsItem*> children = childItems();
    for (QGraphicsItem* child : children) {
        if (child->type() != GraphicItemType)
            continue;
        if (IONode* node = dynamic_cast<IONode*>(child))
            transformer.write(*node);
    }
}

void SpriteSheetItem::read(IOTransformer& transformer)
{
    m_plistPath = decodeText(transformer.readAttribute("file"));
    setZValue(numberFromText(decodeText(transformer.readAttribute("z"))));

    if (QFileInfo::exists(m_plistPath))
        parsePlist();

    // The sprites are read even without the plist: they keep their frame names
    // and are written back, so a sheet that is missing for now loses nothing.
    cpSpace* space = spaceOf(transformer);
    while (transformer.nodeExists(GraphicItem::key_str())) {
        GraphicItem* sprite = new GraphicItem(this, space);
        if (!transformer.read(*sprite)) {
            delete sprite;
            break;
        }
    }
}
