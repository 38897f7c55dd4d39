#ifndef COLORMARKERITEM_H
#define COLORMARKERITEM_H

#include <QColor>
#include <QGraphicsEllipseItem>
#include <QHash>
#include <QObject>
#include <QString>

#include "IO/iotransformer.h"
#include "Items/GroupRegistry.h"
#include "Items/item.h"

class QGraphicsTextItem;

// A numbered dot that records which colour each sprite image shows under it,
// one sample per image base name, for the colour-mapping export. Its number
// comes from a counter shared by all markers; a marker read from a file shows
// the file's id instead. The samples are not stored. Owns its label (a child
// item). Stored as "colorMarker".
class ColorMarkerItem : public QObject, public QGraphicsEllipseItem, public GroupableItem, public IONode
{
    Q_OBJECT
    Q_PROPERTY(QString group READ groupId WRITE setGroupId DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(QString name READ name WRITE setName DESIGNABLE true SCRIPTABLE true STORED true USER true)

public:
    ColorMarkerItem();
    ~ColorMarkerItem() override;

    static std::string key_str() { return "colorMarker"; }

    int type() const override;
    // The label's text.
    QString identifier() const;

    // Samples the pixel under the dot's centre of every sprite that the dot or
    // its label touches; a sprite whose image does not hold that point is left out.
    void mapColors();
    QHash<QString, QRgb> samples() const { return m_samples; }
    // The samples as "red-green-blue" texts.
    QHash<QString, QString> colorStringMap() const;

    void read(IOTransformer& transformer) override;
    void write(IOTransformer& transformer) override;
    std::string key() override;

    bool active() const override;
    void setActive(bool active) override;
    void setGroupId(QString groupId) override;

    // The dot and its label together.
    QRectF boundingRect() const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;

private:
    QHash<QString, QRgb> m_samples;
    QGraphicsTextItem* m_label;
    GroupMembership m_groupMembership;
};

#endif // COLORMARKERITEM_H
