#include "Items/GraphicItem.h"

#include <QDebug>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QUndoStack>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "Actions/ActionModel.h"
#include "IO/imagefile.h"
#include "IO/textcodec.h"
#include "Commands/UndoCommands.h"
#include "Items/GroupRegistry.h"
#include "Items/ShapeItem.h"
#include "Items/SpriteSheetItem.h"
#include "Toolkit/PixmapCache.h"
#include "Views/EditorScene.h"
#include "cpSpaceSerializer.h"

namespace {

double numberAttribute(IOTransformer& io, const char* name)
{
    return numberFromText(decodeText(io.readAttribute(name)));
}

// "false" (any case) is false, a decimal integer is its truth value, and any
// other text, the empty one included, is true.
bool flagFromText(const QString& text)
{
    const QString lower = text.toLower();
    if (lower == QLatin1String("false"))
        return false;
    bool isNumber = false;
    const qlonglong number = lower.toLongLong(&isNumber);
    if (isNumber)
        return number != 0;
    return true;
}

bool finite(QPointF p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

// Qt 6 compares points relative to their size; positions and anchors are
// compared with a fixed tolerance per coordinate instead.
bool samePoint(QPointF a, QPointF b)
{
    return std::fabs(a.x() - b.x()) <= 1e-12 && std::fabs(a.y() - b.y()) <= 1e-12;
}

// Rotation in the scene, summed up the parent chain (shapes are never scaled).
qreal sceneRotation(const QGraphicsItem* item)
{
    qreal angle = 0;
    for (; item; item = item->parentItem())
        angle += item->rotation();
    return angle;
}

GraphicItem* parentSprite(const QGraphicsItem* item)
{
    QGraphicsItem* parent = item->parentItem();
    if (parent && parent->type() == GraphicItemType)
        return static_cast<GraphicItem*>(parent);
    return nullptr;
}

QPixmap mirrored(const QPixmap& pixmap, bool horizontal, bool vertical)
{
    QPixmap result = QPixmap::fromImage(pixmap.toImage().mirrored(horizontal, vertical));
    Q_ASSERT(!result.isNull());
    return result;
}

// The shape item that wraps shape: the body's user data names the first item
// made for the body, and shapes glued onto it are that item's descendants.
ShapeItem* findShapeItem(cpShape* shape)
{
    cpBody* body = cpShapeGetBody(shape);
    if (!body)
        return nullptr;
    ShapeItem* first = qobject_cast<ShapeItem*>(static_cast<QObject*>(cpBodyGetUserData(body)));
    if (!first || first->cpshape() == shape)
        return first;
    if (QGraphicsItem* host = dynamic_cast<QGraphicsItem*>(first)) {
        QList<QGraphicsItem*> pending = host->childItems();
        while (!pending.isEmpty()) {
            QGraphicsItem* child = pending.takeFirst();
            if (shapeType(ItemType(child->type()))) {
                ShapeItem* candidate = dynamic_cast<ShapeItem*>(child);
                if (candidate && candidate->cpshape() == shape)
                    return candidate;
            }
            pending.append(child->childItems());
        }
    }
    return first;
}

} // namespace

QString makeSpriteSheetPixmapKey(const QString& image, const QString& frame)
{
    return QLatin1Char('[') + image + QStringLiteral("] - ") + frame;
}

QString getSpriteFileNameFromPixmapKey(const QString& key, const QString& image)
{
    QString name = key;
    name.remove(QLatin1Char('[') + image + QStringLiteral("] - "), Qt::CaseSensitive);
    return name;
}

GraphicItem::GraphicItem(SpriteSheetItem* sheet, cpSpace* space)
    : QObject(nullptr)
    , QGraphicsPixmapItem(sheet)
    , m_spriteSheet(sheet)
    , m_space(space)
{
    init();
}

GraphicItem::GraphicItem(int x, int y, QString key, cpSpace* space, SpriteSheetItem* sheet)
    : QObject(nullptr)
    , QGraphicsPixmapItem(sheet)
    , m_spriteSheet(sheet)
    , m_space(space)
{
    setPixmapKey(key);
    setPos(x, y);
    init();
}

GraphicItem::~GraphicItem()
{
    m_groupMembership.leave(this, this, groupId());
    delete m_dragDropBehavior;
    m_dragDropBehavior = nullptr;
}

void GraphicItem::init()
{
    pair = nullptr;
    m_flippedX = false;
    m_flippedY = false;
    // A child object, so the tree goes with the sprite.
    m_actionModel = new ActionModel(m_space, this);
    m_dragDropBehavior = new BasicDragDropBehavior();
    m_color = QColor(Qt::white);
    setFlags(QGraphicsItem::ItemIsSelectable | QGraphicsItem::ItemIsMovable
             | QGraphicsItem::ItemIsFocusable);
    setTransformationMode(Qt::SmoothTransformation);
    setZValue(SpriteZ);
    setProperty("uid", -1);
}

int GraphicItem::type() const
{
    return GraphicItemType;
}

std::string GraphicItem::key()
{
    return key_str();
}

SpriteSheetItem* GraphicItem::spriteSheet() const
{
    return m_spriteSheet.data();
}

QString GraphicItem::pixmapKeyDisplay() const
{
    return QFileInfo(m_pixmapKey).fileName();
}

QString GraphicItem::storedKey() const
{
    return m_pixmapKey.isEmpty() ? m_unresolvedKey : m_pixmapKey;
}

void GraphicItem::setPixmapKey(QString key)
{
    qDebug("Creating from key: %s", encodeText(key).c_str());
    QPixmap pixmap;
    if (!PixmapCache::get()->find(key, &pixmap)) {
        if (m_spriteSheet) {
            // The frame's own file beside the plist stands in for a sheet whose
            // texture is missing. absolutePath: canonicalPath is "." for a
            // plist that is gone.
            const QString frame = getSpriteFileNameFromPixmapKey(key, m_spriteSheet->imageFileName());
            const QString path = QFileInfo(m_spriteSheet->plistFilePath()).absolutePath()
                + QLatin1Char('/') + frame;
            qDebug("Recovering with: %s", encodeText(path).c_str());
            pixmap = readImageFile(path);
        } else {
            pixmap = readImageFile(key);
        }
    }
    if (pixmap.isNull()) {
        if (m_pixmapKey.isEmpty())
            m_unresolvedKey = key;
        return;
    }
    setPixmap(mirrored(pixmap, false, true));
    setAnchor(QPointF(0.5, 0.5));
    m_pixmapKey = key;
    m_unresolvedKey.clear();
}

QPointF GraphicItem::anchor() const
{
    const QPixmap& p = pixmap();
    // Without a pixmap there is no offset to derive it from.
    if (p.isNull() || p.width() == 0 || p.height() == 0)
        return QPointF(0.5, 0.5);
    const QPointF o = offset();
    return QPointF(o.x() / -p.width(), o.y() / -p.height());
}

void GraphicItem::setAnchor(QPointF anchor)
{
    if (!finite(anchor))
        return;
    const QPixmap& p = pixmap();
    if (p.isNull()) {
        setOffset(0, 0);
        return;
    }
    setOffset(-p.width() * anchor.x(), -p.height() * anchor.y());
}

void GraphicItem::setFlipX(bool flip)
{
    if (flip == m_flippedX)
        return;
    m_flippedX = flip;
    if (!pixmap().isNull())
        setPixmap(mirrored(pixmap(), true, false));
}

void GraphicItem::setFlipY(bool flip)
{
    if (flip == m_flippedY)
        return;
    m_flippedY = flip;
    if (!pixmap().isNull())
        setPixmap(mirrored(pixmap(), false, true));
}

// ---------------------------------------------------------------- undo

QUndoStack* GraphicItem::undoStack() const
{
    EditorScene* s = qobject_cast<EditorScene*>(scene());
    if (!s || !s->context())
        return nullptr;
    return s->context()->undoStack;
}

QString GraphicItem::commandName() const
{
    return storedKey().section(QLatin1Char('/'), -1);
}

void GraphicItem::pushCommand(QUndoCommand* command)
{
    if (QUndoStack* stack = undoStack()) {
        stack->push(command);
        return;
    }
    command->redo();
    delete command;
}

void GraphicItem::commandSetPosition(QPointF position)
{
    commitMoveAction(pos(), position);
}

void GraphicItem::commandSetRotation(float rotation)
{
    commitRotateAction(float(this->rotation()), rotation);
}

void GraphicItem::commandSetScale(float scale)
{
    commitScaleAction(float(this->scale()), scale);
}

void GraphicItem::commandSetOpacity(float opacity)
{
    commitOpacityAction(float(this->opacity()), opacity);
}

// Values that are no number are refused: the scene cannot index an item there.
void GraphicItem::commitMoveAction(QPointF from, QPointF to)
{
    if (!finite(to))
        return;
    QUndoCommand* command = new MoveCommand(this, from, to);
    command->setText(tr("Move \"%1\" to (%2, %3)")
                         .arg(commandName())
                         .arg(to.x(), 0, 'g', 6)
                         .arg(to.y(), 0, 'g', 6));
    pushCommand(command);
}

void GraphicItem::commitRotateAction(float from, float to)
{
    if (!std::isfinite(to))
        return;
    QUndoCommand* command = new RotateCommand(this, from, to);
    command->setText(tr("Rotate \"%1\" to %2 degrees").arg(commandName()).arg(double(to), 0, 'g', 6));
    pushCommand(command);
}

void GraphicItem::commitScaleAction(float from, float to)
{
    if (!std::isfinite(to))
        return;
    QUndoCommand* command = new ScaleCommand(this, from, to);
    command->setText(tr("Scale \"%1\" to %2").arg(commandName()).arg(double(to), 0, 'g', 6));
    pushCommand(command);
}

void GraphicItem::commitOpacityAction(float from, float to)
{
    if (!std::isfinite(to))
        return;
    QUndoCommand* command = new OpacityCommand(this, from, to);
    command->setText(tr("Opacity of \"%1\" to %2").arg(commandName()).arg(double(to), 0, 'g', 6));
    pushCommand(command);
}

void GraphicItem::commitDeleteAction()
{
    // Without a stack nothing could own the sprite afterwards, and the caller
    // still holds it: there is nothing to delete it from.
    QUndoStack* stack = undoStack();
    if (!stack)
        return;
    QUndoCommand* command = new DeleteCommand(this);
    command->setText(tr("Deleted \"%1\"").arg(commandName()));
    stack->push(command);
}

// ---------------------------------------------------------------- groups

void GraphicItem::setGroupId(QString groupId)
{
    groupId = writableText(groupId);
    m_groupMembership.move(this, this, groupId, this->groupId());
    GroupableItem::setGroupId(groupId);
}

bool GraphicItem::active() const
{
    return isVisible();
}

void GraphicItem::setActive(bool active)
{
    setVisible(active);
    if (pair && pair->syncee() == this) {
        if (QGraphicsItem* driver = dynamic_cast<QGraphicsItem*>(pair->syncer()))
            driver->setVisible(active);
    }
}

// ---------------------------------------------------------------- input

void GraphicItem::notifyUpdated()
{
    if (EditorScene* s = qobject_cast<EditorScene*>(scene()))
        s->updatedObject(this);
}

void GraphicItem::keyPressEvent(QKeyEvent* event)
{
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
    const double step = shift ? 45.0 : 5.0;
    switch (event->key()) {
    case Qt::Key_Right:
        commitRotateAction(float(rotation()), float(rotation() - step));
        break;
    case Qt::Key_Left:
        commitRotateAction(float(rotation()), float(rotation() + step));
        break;
    case Qt::Key_Up:
        commitScaleAction(float(scale()), float(scale() + 0.1));
        break;
    case Qt::Key_Down:
        commitScaleAction(float(scale()), float(scale() - 0.1));
        break;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        commitDeleteAction();
        break;
    default:
        QGraphicsPixmapItem::keyPressEvent(event);
        break;
    }
    notifyUpdated();
}

void GraphicItem::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    QGraphicsPixmapItem::mousePressEvent(event);
    m_pressPosition = pos();
    m_dragDropBehavior->handleMouseMove(this, event);
}

void GraphicItem::mouseMoveEvent(QGraphicsSceneMouseEvent* event)
{
    QGraphicsPixmapItem::mouseMoveEvent(event);
    m_dragDropBehavior->handleMouseMove(this, event);
    notifyUpdated();
}

void GraphicItem::mouseReleaseEvent(QGraphicsSceneMouseEvent* event)
{
    QGraphicsPixmapItem::mouseReleaseEvent(event);
    m_dragDropBehavior->handleMouseRelease(this, spriteSheet(), event);
    QGraphicsItem* parent = parentItem();
    if (parent && shapeType(ItemType(parent->type())))
        setPos(0, 0);
    if (!samePoint(pos(), m_pressPosition))
        commitMoveAction(m_pressPosition, pos());
}

// ---------------------------------------------------------------- drop target

bool GraphicItem::dragEntering(QGraphicsItem* item)
{
    // A nested sprite is stored by its frame name or file path alone and read
    // back with its parent's sheet, so it would lose its image under a sprite
    // of another sheet or kind: only sprites of one sheet, or loose images
    // under loose images, nest.
    if (!acceptsNested(item)) {
        if (auto* s = qobject_cast<EditorScene*>(scene())) {
            s->showMessage(tr("A sprite can only be nested under a sprite of the same sprite sheet, "
                              "and a loose image only under a loose image"));
        }
        return false;
    }
    return m_dragDropBehavior->handleDragEntering(item, this);
}

void GraphicItem::dragLeaving(QGraphicsItem* item)
{
    m_dragDropBehavior->handleDragLeaving(item, this);
}

void GraphicItem::dropped(QGraphicsItem* item)
{
    if (acceptsNested(item))
        m_dragDropBehavior->handleDrop(item, this);
}

bool GraphicItem::acceptsNested(QGraphicsItem* item) const
{
    return !item || item->type() != GraphicItemType
        || static_cast<GraphicItem*>(item)->spriteSheet() == spriteSheet();
}

void GraphicItem::sync(AbstractSyncItem* other)
{
    const QGraphicsItem* driver = dynamic_cast<QGraphicsItem*>(other);
    if (!driver)
        return;
    const QPointF scenePoint = driver->scenePos();
    const qreal angle = sceneRotation(driver);
    if (QGraphicsItem* parent = parentItem()) {
        setPos(parent->mapFromScene(scenePoint));
        setRotation(angle - sceneRotation(parent));
    } else {
        setPos(scenePoint);
        setRotation(angle);
    }
}

void GraphicItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget)
{
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
    QGraphicsPixmapItem::paint(painter, option, widget);
    painter->setPen(Qt::NoPen);
    painter->setBrush(QBrush(QColor(0, 0, 255, 110), Qt::SolidPattern));
    painter->drawEllipse(QRectF(-2, -2, 4, 4));
}

// ---------------------------------------------------------------- level file

void GraphicItem::write(IOTransformer& io)
{
    // Names written here; a dynamic property of the same name (a leftover of a
    // colour written without "r") is not written a second time.
    std::vector<std::string> written;
    auto attribute = [&io, &written](const char* name, const std::string& value) {
        io.writeAttribute(name, value);
        written.emplace_back(name);
    };
    QPointF position = pos();
    if (GraphicItem* parent = parentSprite(this))
        position -= parent->offset();

    const QString file = m_spriteSheet
        ? getSpriteFileNameFromPixmapKey(storedKey(), m_spriteSheet->imageFileName())
        : storedKey();
    attribute("file", encodeText(file));
    if (!groupId().isEmpty())
        attribute("group", encodeText(groupId()));
    if (!name().isEmpty())
        attribute("name", encodeText(name()));
    attribute("x", encodeText(textFromNumber(position.x())));
    attribute("y", encodeText(textFromNumber(position.y())));
    attribute("z", encodeText(textFromNumber(zValue())));
    if (scale() != 1.0)
        attribute("scale", encodeText(textFromNumber(scale())));
    if (rotation() != 0.0)
        attribute("angle", encodeText(textFromNumber(rotation())));
    if (m_flippedX)
        attribute("flipX", "true");
    if (m_flippedY)
        attribute("flipY", "true");
    const QPointF a = anchor();
    if (!samePoint(a, QPointF(0.5, 0.5))) {
        attribute("anchorX", encodeText(textFromNumber(a.x())));
        attribute("anchorY", encodeText(textFromNumber(a.y())));
    }
    if (m_color.isValid() && (m_color.red() != 255 || m_color.green() != 255 || m_color.blue() != 255)) {
        attribute("r", encodeText(textFromNumber(m_color.red())));
        attribute("g", encodeText(textFromNumber(m_color.green())));
        attribute("b", encodeText(textFromNumber(m_color.blue())));
    }
    if (opacity() != 1.0)
        attribute("opacity", encodeText(textFromNumber(opacity() * 255)));
    if (pair && pair->syncee() == this) {
        ShapeItem* shape = dynamic_cast<ShapeItem*>(pair->syncer());
        if (shape && shape->cpshape()) {
            // The id the physics writer gives the shape without a delegate.
            const long long id = static_cast<long long>(reinterpret_cast<std::intptr_t>(shape->cpshape()));
            attribute("shape_id", std::to_string(id));
        }
    }

    const QList<QGraphicsItem*> children = childItems();
    for (QGraphicsItem* child : children) {
        if (!writeableType(ItemType(child->type())))
            continue;
        if (IONode* node = dynamic_cast<IONode*>(child))
            io.write(*node);
    }
    writeActions(io);

    IOTransformer::Attributes rest;
    const QList<QByteArray> names = dynamicPropertyNames();
    for (const QByteArray& propertyName : names) {
        const std::string attributeName = propertyName.toStdString();
        if (std::find(written.begin(), written.end(), attributeName) != written.end())
            continue;
        rest.emplace_back(attributeName, encodeText(property(propertyName.constData()).toString()));
        written.push_back(attributeName);
    }
    const IOTransformer::Attributes extra = m_extraAttributes.toAttributes([&written](const QString& name) {
        return std::find(written.begin(), written.end(), encodeText(name)) != written.end();
    });
    rest.insert(rest.end(), extra.begin(), extra.end());
    io.writeAttributes(rest);
}

void GraphicItem::read(IOTransformer& io)
{
    double x = numberAttribute(io, "x");
    double y = numberAttribute(io, "y");
    const double z = numberAttribute(io, "z");
    double readOpacity = 1.0;
    if (io.attributeExists("opacity"))
        readOpacity = numberAttribute(io, "opacity") / 255.0;
    if (io.attributeExists("r")) {
        auto channel = [&io](const char* name) {
            return qBound(0, decodeText(io.readAttribute(name)).toInt(), 255);
        };
        const int r = channel("r");
        const int g = channel("g");
        const int b = channel("b");
        m_color.setRgb(r, g, b, m_color.alpha());
    }

    const QString file = decodeText(io.readAttribute("file"));
    const QString group = decodeText(io.readAttribute("group"));
    m_name = decodeText(io.readAttribute("name"));

    if (GraphicItem* parent = parentSprite(this)) {
        x += parent->offset().x();
        y += parent->offset().y();
    }

    if (m_spriteSheet) {
        setPixmapKey(makeSpriteSheetPixmapKey(m_spriteSheet->imageFileName(), file));
    } else {
        PixmapCache* cache = PixmapCache::get();
        if (!cache->find(file, nullptr))
            cache->insert(file, readImageFile(file));
        setPixmapKey(file);
    }

    setPos(x, y);
    setZValue(z);
    setOpacity(readOpacity);

    if (io.attributeExists("angle"))
        setRotation(numberAttribute(io, "angle"));
    if (io.attributeExists("scale")) {
        const double s = numberAttribute(io, "scale");
        setScale(s == 0.0 ? 1.0 : s);
    }
    if (io.attributeExists("uid"))
        setProperty("uid", decodeText(io.readAttribute("uid")));

    if (io.attributeExists("flipX"))
        setFlipX(flagFromText(decodeText(io.readAttribute("flipX"))));
    if (io.attributeExists("flipY"))
        setFlipY(flagFromText(decodeText(io.readAttribute("flipY"))));

    if (io.attributeExists("anchorX") || io.attributeExists("anchorY")) {
        QPointF a = anchor();
        if (io.attributeExists("anchorX"))
            a.setX(numberAttribute(io, "anchorX"));
        if (io.attributeExists("anchorY"))
            a.setY(numberAttribute(io, "anchorY"));
        setAnchor(a);
    }

    readShapeId(io);

    while (io.nodeExists(key_str())) {
        GraphicItem* child = new GraphicItem(spriteSheet(), m_space);
        child->setParentItem(this);
        if (!io.read(*child)) {
            delete child;
            break;
        }
    }

    readActions(io);

    // Kept apart from the Qt properties: a name the sprite declares would go
    // through its setter (some push undo commands), and is kept as it came.
    IOTransformer::Attributes rest;
    io.readAttributes(rest);
    for (const auto& attribute : rest)
        m_extraAttributes.set(decodeText(attribute.first), decodeText(attribute.second));

    if (!group.isEmpty())
        setGroupId(group);
}

QStringList GraphicItem::extraAttributeNames() const
{
    return m_extraAttributes.names();
}

QString GraphicItem::extraAttribute(const QString& name) const
{
    return m_extraAttributes.value(name);
}

void GraphicItem::setExtraAttribute(const QString& name, const QString& value)
{
    if (m_extraAttributes.contains(name))
        m_extraAttributes.set(name, value);
}

void GraphicItem::readShapeId(IOTransformer& io)
{
    if (!io.attributeExists("shape_id"))
        return;
    bool ok = false;
    const long long id = decodeText(io.readAttribute("shape_id")).toLongLong(&ok);
    cpSpaceSerializer* physics = io.physics_io();
    if (!ok || !physics)
        return;
    const auto found = physics->shapeMap().find(id);
    if (found == physics->shapeMap().end() || !found->second)
        return;
    if (ShapeItem* shape = findShapeItem(found->second))
        shape->syncWithSyncee(this);
}

void GraphicItem::readActions(IOTransformer& io)
{
    io.read(*m_actionModel);
}

// A sprite without actions stores no "actions" element.
void GraphicItem::writeActions(IOTransformer& io)
{
    if (m_actionModel->rowCount() > 0)
        io.write(*m_actionModel);
}
