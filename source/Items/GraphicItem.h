#ifndef GRAPHICITEM_H
#define GRAPHICITEM_H

#include <QColor>
#include <QGraphicsPixmapItem>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QString>

#include <chipmunk/chipmunk.h>

#include "CCActionTarget.h"
#include "IO/ExtraAttributes.h"
#include "IO/iotransformer.h"
#include "Items/DragDropGraphicsItem.h"
#include "Items/GroupRegistry.h"
#include "Items/item.h"

class ActionModel;
class QUndoCommand;
class QUndoStack;
class SpriteSheetItem;

// The key of frame `frame` of the sheet texture `image`: "[image] - frame".
QString makeSpriteSheetPixmapKey(const QString& image, const QString& frame);
// The key with every "[image] - " prefix removed (case-sensitive); a key
// without it comes back unchanged.
QString getSpriteFileNameFromPixmapKey(const QString& key, const QString& image);

// A sprite: one pixmap named by its key (a loose image's path or a sheet frame's
// key), drawn about its anchor, mirrored vertically for the y-up canvas. It may
// hold child sprites, follow a physics shape, join a group and carry actions.
// Position, rotation, scale and opacity edits and deletion go through the undo
// stack of its scene's editor context. Stored as "item".
//
// Owns its drag behaviour and, as a child object, its action model. A sprite
// made under a sheet is the sheet's graphics child.
class GraphicItem : public QObject,
                    public QGraphicsPixmapItem,
                    public DragDropGraphicsItem,
                    public AbstractSyncItem,
                    public GroupableItem,
                    public IONode,
                    public CCActionTarget
{
    Q_OBJECT
    Q_PROPERTY(QString key READ pixmapKeyDisplay DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(QPointF position READ pos WRITE commandSetPosition DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(QPointF anchor READ anchor WRITE setAnchor DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(float rotation READ rotation WRITE commandSetRotation DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(float scale READ scale WRITE commandSetScale DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(QColor color READ color WRITE setColor DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(float opacity READ opacity WRITE commandSetOpacity DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool flipX READ flipX WRITE setFlipX DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(bool flipY READ flipY WRITE setFlipY DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(qreal zValue READ zValue WRITE setZValue DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(QString group READ groupId WRITE setGroupId DESIGNABLE true SCRIPTABLE true STORED true USER true)
    Q_PROPERTY(QString name READ name WRITE setName DESIGNABLE true SCRIPTABLE true STORED true USER true)

public:
    // An empty sprite under sheet (may be null), as made before reading.
    GraphicItem(SpriteSheetItem* sheet, cpSpace* space);
    // A sprite showing key at (x, y) under sheet (may be null), as placed by the tool.
    GraphicItem(int x, int y, QString key, cpSpace* space, SpriteSheetItem* sheet);
    ~GraphicItem() override;

    static std::string key_str() { return "item"; }

    int type() const override;

    // The key shown; empty until a pixmap has been set.
    QString pixmapKey() const { return m_pixmapKey; }
    // The file-name part of the key.
    QString pixmapKeyDisplay() const;
    // Shows the pixmap of the key, from the cache or from its file; a key that
    // gives no pixmap leaves the sprite as it was.
    void setPixmapKey(QString key);
    // The key written to the level file: the shown key, or for a sprite whose
    // image was never found the key it was asked to show, so saving keeps it.
    QString storedKey() const;

    SpriteSheetItem* spriteSheet() const;
    cpSpace* space() const { return m_space; }
    // The sprite's action tree; never null.
    ActionModel* actionModel() const { return m_actionModel; }

    QPointF anchor() const;
    void setAnchor(QPointF anchor);
    bool flipX() const { return m_flippedX; }
    bool flipY() const { return m_flippedY; }
    void setFlipX(bool flip);
    void setFlipY(bool flip);
    QColor color() const { return m_color; }
    void setColor(QColor color) { m_color = color; }

    // Property setters that push an undo command, changed or not.
    void commandSetPosition(QPointF position);
    void commandSetRotation(float rotation);
    void commandSetScale(float scale);
    void commandSetOpacity(float opacity);

    // Push the matching command with its text; without an undo stack (outside
    // any scene) the value is applied directly instead.
    void commitMoveAction(QPointF from, QPointF to);
    void commitRotateAction(float from, float to);
    void commitScaleAction(float from, float to);
    void commitOpacityAction(float from, float to);
    void commitDeleteAction();

    // GroupableItem: moves the sprite in the canvas's group registry, then
    // stores the id.
    void setGroupId(QString groupId) override;
    bool active() const override;
    // Shows or hides the sprite and the shape item that drives it.
    void setActive(bool active) override;

    // The element's attributes that the reader does not know, in file order,
    // written back after the sprite's own; the property panel lists and edits
    // them through the three invokable functions.
    const ExtraAttributes& extraAttributes() const { return m_extraAttributes; }
    Q_INVOKABLE QStringList extraAttributeNames() const;
    Q_INVOKABLE QString extraAttribute(const QString& name) const;
    Q_INVOKABLE void setExtraAttribute(const QString& name, const QString& value);

    // IONode
    void read(IOTransformer& transformer) override;
    void write(IOTransformer& transformer) override;
    std::string key() override;

    // DragDropGraphicsItem
    bool dragEntering(QGraphicsItem* item) override;
    void dragLeaving(QGraphicsItem* item) override;
    void dropped(QGraphicsItem* item) override;

    // Takes the other item's position and rotation, as seen from this sprite's parent.
    void sync(AbstractSyncItem* other) override;

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;

private:
    // CCActionTarget: what a running action changes, applied directly (never
    // through the undo stack: the scheduler puts the sprite back afterwards).
    QPointF targetPos() const override { return pos(); }
    void setTargetPos(const QPointF& position) override { setPos(position); }
    qreal targetRotation() const override { return rotation(); }
    void setTargetRotation(qreal degrees) override { setRotation(degrees); }
    qreal targetScale() const override { return scale(); }
    void setTargetScale(qreal factor) override { setScale(factor); }
    qreal targetOpacity() const override { return opacity(); }
    void setTargetOpacity(qreal value) override { setOpacity(value); }
    bool targetVisible() const override { return isVisible(); }
    void setTargetVisible(bool visible) override { setVisible(visible); }
    void setTargetFlipX(bool flip) override { setFlipX(flip); }
    void setTargetFlipY(bool flip) override { setFlipY(flip); }

    void init();
    // Whether a dragged item may become this sprite's child.
    bool acceptsNested(QGraphicsItem* item) const;
    // The name used in undo texts: the key after its last "/".
    QString commandName() const;
    QUndoStack* undoStack() const;
    // Pushes the command, or without a stack runs it once and drops it.
    void pushCommand(QUndoCommand* command);
    void notifyUpdated();
    void readShapeId(IOTransformer& transformer);
    void readActions(IOTransformer& transformer);
    void writeActions(IOTransformer& transformer);

    BasicDragDropBehavior* m_dragDropBehavior = nullptr;
    QString m_pixmapKey;
    QString m_unresolvedKey;
    ActionModel* m_actionModel = nullptr;
    // Watched: a deleted sprite kept by its undo command may outlive its sheet.
    QPointer<SpriteSheetItem> m_spriteSheet;
    bool m_flippedX = false;
    bool m_flippedY = false;
    cpSpace* m_space;
    QPointF m_pressPosition;
    QColor m_color;
    GroupMembership m_groupMembership;
    ExtraAttributes m_extraAttributes;
};

#endif // GRAPHICITEM_H
