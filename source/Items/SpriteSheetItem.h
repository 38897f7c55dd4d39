#ifndef SPRITESHEETITEM_H
#define SPRITESHEETITEM_H

#include <QGraphicsEllipseItem>
#include <QObject>
#include <QString>

#include "IO/iotransformer.h"

class SpriteListModel;

// A sprite sheet in the level: a small marker that the sprites cut from the sheet
// hang under as child items, so destroying the sheet destroys its sprites. It
// cuts its texture into frames in the PixmapCache and lists them in its own
// model, which it owns as a child object. Stored as "spritesheet".
class SpriteSheetItem : public QObject, public QGraphicsEllipseItem, public IONode
{
    Q_OBJECT
public:
    // Parses the plist at once.
    explicit SpriteSheetItem(const QString& plistPath);
    // An empty sheet, filled by read().
    SpriteSheetItem();

    static std::string key_str() { return "spritesheet"; }

    int type() const override;
    void read(IOTransformer& transformer) override;
    void write(IOTransformer& transformer) override;
    std::string key() override;

    QString plistFilePath() const { return m_plistPath; }
    // The texture name exactly as the plist gives it; the frames' keys carry it.
    QString imageFileName() const { return m_imageFileName; }
    // Why the property list could not be read; empty when it was.
    QString readError() const { return m_readError; }
    SpriteListModel* model() const { return m_model; }

    // Loads the texture and cuts every frame that the cache does not hold yet.
    // A missing, malformed or unexpected plist leaves the sheet without frames.
    void parsePlist();

private:
    void setUp();

    QString m_plistPath;
    QString m_readError;
    QString m_imageFileName;
    SpriteListModel* m_model;
};

#endif // SPRITESHEETITEM_H
