#include "Views/EditorView.h"

#include <QBrush>
#include <QGraphicsRectItem>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPen>
#include <QPixmap>
#include <QPointer>
#include <QStatusBar>
#include <QTimerEvent>
#include <QUndoStack>
#include <QWheelEvent>

#include <cmath>
#include <typeinfo>
#include <vector>

#include "IO/textcodec.h"
#include "Items/ColorMarkerItem.h"
#include "Items/ConstraintItem.h"
#include "Items/GradientItem.h"
#include "Items/GraphicItem.h"
#include "Items/LineItem.h"
#include "Items/PathItem.h"
#include "Items/PolyItem.h"
#include "Items/ShapeItem.h"
#include "Items/SpriteSheetItem.h"
#include "Items/TextItem.h"
#include "Items/item.h"
#include "Toolkit/cpSupport.h"
#include "Tools/AbstractItemTool.h"
#include "cpCompat.h"


namespace {

const QRectF initialBounds(0, 0, 540, 360);

// Chipmunk's iterators lock the space, so they only collect; the bodies are
// checked and their items placed after the iteration has ended.
void eachMovingBody(cpBody* body, void* data)
{
    // Static bodies do not move; the space's own static body is never visited.
    if (cpBodyGetType(body) != CP_BODY_TYPE_STATIC)
        static_cast<std::vector<cpBody*>*>(data)->push_back(body);
}

void eachConstraint(cpConstraint* constraint, void* data)
{
    if (QObject* object = static_cast<QObject*>(cpConstraintGetUserData(constraint)))
        static_cast<std::vector<QObject*>*>(data)->push_back(object);
}

void collectUnownedConstraint(cpConstraint* constraint, void* data)
{
    if (!cpConstraintGetUserData(constraint))
        static_cast<QList<cpConstraint*>*>(data)->append(constraint);
}

// Casts through the object's own type information: qobject_cast asks the
// meta-object, which lives in the QObject's private part, a block of memory the
// placement never touches otherwise. A dynamic_cast walks the class tree on
// each call, a tenth of the placement; the exact types it has once found to be
// a Target are kept, and an object of one of them is cast statically. An
// object that is no Target (user data a stranger set) still casts to null.
template <typename Target>
Target* castKnown(QObject* object)
{
    static std::vector<const std::type_info*> known;
    if (!object)
        return nullptr;
    const std::type_info* type = &typeid(*object);
    for (const std::type_info* seen : known) {
        if (seen == type)
            return static_cast<Target*>(object);
    }
    Target* target = dynamic_cast<Target*>(object);
    if (target)
        known.push_back(type);
    return target;
}

ShapeItem* bodyItem(cpBody* body)
{
    return castKnown<ShapeItem>(static_cast<QObject*>(cpBodyGetUserData(body)));
}

// A body whose motion has run away (a spring far too stiff for its bodies, a
// very light body on a strong joint, an elasticity of thousands) grows by a
// factor each step until its state is infinite or no number, on which the
// engine aborts, and a file holding it could not be read back. So a body past
// the shared bound is stopped where its item last showed it (the origin when
// that is no help), leaves the simulation, and the joints on it leave the space.
void stopRunaway(cpSpace* space, cpBody* body)
{
    const QList<cpConstraint*> constraints = getConstraintsOnBody(body);
    // The physics pointer's joint has no item; its tool frees it.
    for (cpConstraint* constraint : constraints)
        ConstraintItem::takeOut(space, constraint);

    ShapeItem* item = bodyItem(body);
    cpVect place = cpvzero;
    cpFloat angle = 0;
    const QGraphicsItem* shown = dynamic_cast<const QGraphicsItem*>(item);
    if (shown && !shown->parentItem()) {
        const QPointF p = shown->pos();
        const double a = radiansFromDegrees(shown->rotation());
        if (isSaneMagnitude(p.x()) && isSaneMagnitude(p.y()))
            place = cpv(p.x(), p.y());
        if (isSaneMagnitude(a))
            angle = a;
    }
    settleBody(body, place, angle);
    if (cpSpaceContainsBody(space, body))
        cpSpaceRemoveBody(space, body);
    if (item)
        item->adjust();
}

bool isFinite(float value)
{
    return std::isfinite(value);
}

} // namespace

EditorView::EditorView(QWidget* parent)
    : QGraphicsView(parent)
{
    setScene(&m_scene);
    connect(&m_scene, &EditorScene::objectUpdated, this, &EditorView::objectUpdated);
    connect(&m_scene, &EditorScene::messageShown, this, &EditorView::showMessage);
    connect(&m_groups, &GroupRegistry::groupUpdated, this, &EditorView::groupUpdated);
    m_scene.setCanvasGroups(&m_groups);

    // No background cache: Qt scrolls a cached background in place on every
    // centerOn of the wheel zoom, a copy between overlapping memory on X
    // servers. Tiling the small texture afresh costs about a millisecond per
    // full repaint.
    setBackgroundBrush(QBrush(QPixmap(QStringLiteral(":/images/grayLinen.png"))));
    setDragMode(QGraphicsView::RubberBandDrag);
    setMouseTracking(true);

    init();
}

EditorView::~EditorView()
{
    releaseSpace();
}

void EditorView::setLevelEditor(std::nullptr_t)
{
    m_levelEditor = nullptr;
    m_addSpriteSheet = nullptr;
    m_addSprite = nullptr;
}

void EditorView::setStatusBar(QStatusBar* statusBar)
{
    delete m_coordinates;
    m_statusBar = statusBar;
    if (!statusBar)
        return;
    m_coordinates = new QLabel(statusBar);
    m_coordinates->setObjectName(QStringLiteral("coordinates"));
    statusBar->addPermanentWidget(m_coordinates);
}

void EditorView::showMessage(const QString& text)
{
    if (m_statusBar)
        m_statusBar->showMessage(text);
}

void EditorView::setContext(EditorContext* context)
{
    m_scene.setContext(context);
}

void EditorView::setCurrentTool(AbstractItemTool* tool)
{
    m_currentTool = tool;
}

void EditorView::init()
{
    // A level still in place would otherwise leave its items on a space that
    // nobody frees or steps any more.
    if (m_space)
        clearAll();

    m_space = cpSpaceNew();
    m_scene.setCanvasSpace(this, m_space);
    cpSpaceSetIterations(m_space, 25);
    cpSpaceSetGravity(m_space, cpv(0, -10));
    cpSpaceSetDamping(m_space, 0.98);
    m_registry.attach(m_space);
    m_checkBeforeStep = true;

    m_background = new TriGradientItem();
    m_background->setPos(0, 0);
    m_background->setRect(initialBounds);
    m_scene.addItem(m_background);

    m_editScale = 1.0f;
    m_extraAttributes.clear();

    m_groups.clear();

    m_boundsItem = new QGraphicsRectItem(initialBounds);
    m_boundsItem->setZValue(BoundsZ);
    m_boundsItem->setPen(QPen(QBrush(Qt::white, Qt::SolidPattern), 0, Qt::DashLine, Qt::SquareCap, Qt::BevelJoin));
    m_scene.addItem(m_boundsItem);

    emit groupsReset();
}

void EditorView::clearAll()
{
    m_boundsItem = nullptr;
    m_background = nullptr;
    releaseSpace();
}

// Shared by clearAll() and the destructor. The scene is cleared while the space
// and the group registry still exist: item destructors take their objects out of
// both. Only then is the space freed.
void EditorView::releaseSpace()
{
    // No tick may run on a space that is being torn down.
    stopPhysics();

    if (m_space) {
        // Constraints that no item owns (the physics pointer's drag joint) would
        // still point at the bodies that the shape items free below; they leave
        // the space first. Their owner frees them.
        QList<cpConstraint*> unowned;
        cpSpaceEachConstraint(m_space, collectUnownedConstraint, &unowned);
        for (cpConstraint* constraint : unowned)
            takeOutConstraint(m_space, constraint);
    }

    // Deleted items held by the undo stack belong to this space: they go with
    // it, and no undo may bring them into the next level.
    if (EditorContext* context = m_scene.context()) {
        if (context->undoStack)
            context->undoStack->clear();
    }

    // The items then free bodies that are out of the space already.
    if (m_space)
        takeOutAllBodies(m_space);
    m_scene.clear();

    if (m_space) {
        m_registry.detach();
        cpSpaceFree(m_space);
        m_space = nullptr;
        m_scene.setCanvasSpace(this, nullptr);
    }
}

void EditorView::scaleView(double factor)
{
    const qreal width = transform().scale(factor, factor).mapRect(QRectF(0, 0, 1, 1)).width();
    // Written so that a factor that is no number is refused as well.
    if (!(width >= 0.2 && width <= 5))
        return;
    scale(factor, factor);
}

QList<ColorMarkerItem*> EditorView::colorMarkers() const
{
    QList<ColorMarkerItem*> markers;
    const QList<QGraphicsItem*> all = m_scene.items();
    for (QGraphicsItem* item : all) {
        if (item->type() == ColorMarkerItemType)
            markers.append(static_cast<ColorMarkerItem*>(item));
    }
    return markers;
}

// ---------------------------------------------------------------- physics

// While the simulation runs, every body's item moves each tick, and the scene's
// tree index would take each one out and put it back; without an index a tick
// costs less, and hit tests scan the items until the simulation stops and the
// index is built again in one pass.
void EditorView::startPhysics()
{
    stopPhysics();
    m_scene.setItemIndexMethod(QGraphicsScene::NoIndex);
    m_checkBeforeStep = true;
    m_physicsTimerId = startTimer(physicsInterval);
}

void EditorView::stopPhysics()
{
    if (m_physicsTimerId != 0) {
        killTimer(m_physicsTimerId);
        m_scene.setItemIndexMethod(QGraphicsScene::BspTreeIndex);
    }
    m_physicsTimerId = 0;
}

void EditorView::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_physicsTimerId && m_physicsTimerId != 0)
        tick();
    QGraphicsView::timerEvent(event);
}

void EditorView::tick()
{
    if (!m_space)
        return;

    // Between ticks bodies change only through the editor's setters, which keep
    // to the same bound as the check below; a space not stepped yet is checked
    // once before its first step.
    if (m_checkBeforeStep) {
        m_tickBodies.clear();
        cpSpaceEachBody(m_space, eachMovingBody, &m_tickBodies);
        for (cpBody* body : m_tickBodies) {
            if (!bodyMotionSane(body))
                stopRunaway(m_space, body);
        }
        m_checkBeforeStep = false;
    }

    cpSpaceStep(m_space, physicsStep);

    // Kept between ticks, so that a tick allocates nothing.
    m_tickBodies.clear();
    cpSpaceEachBody(m_space, eachMovingBody, &m_tickBodies);
    // The space is unlocked again here, so an item may touch it while it
    // adjusts; placing items deletes none. A body past the bound is never
    // shown: it is stopped once the others are placed.
    m_runaways.clear();
    for (cpBody* body : m_tickBodies) {
        if (!bodyMotionSane(body))
            m_runaways.push_back(body);
        else if (ShapeItem* item = bodyItem(body))
            item->adjust();
    }
    for (cpBody* body : m_runaways)
        stopRunaway(m_space, body);

    m_tickConstraints.clear();
    cpSpaceEachConstraint(m_space, eachConstraint, &m_tickConstraints);
    for (QObject* object : m_tickConstraints) {
        if (ConstraintItem* item = castKnown<ConstraintItem>(object))
            item->adjust();
    }
}

// ---------------------------------------------------------------- groups

void EditorView::updateItemInGroup(GroupableItem* item, QString newGroup, QString oldGroup)
{
    m_groups.update(item, newGroup, oldGroup);
}

void EditorView::removeItemFromGroup(GroupableItem* item, QString group)
{
    m_groups.remove(item, group);
}

// ---------------------------------------------------------------- properties

float EditorView::boundsLeft() const
{
    return m_boundsItem ? float(m_boundsItem->rect().topLeft().x()) : 0.0f;
}

float EditorView::boundsBottom() const
{
    return m_boundsItem ? float(m_boundsItem->rect().topLeft().y()) : 0.0f;
}

float EditorView::boundsRight() const
{
    return m_boundsItem ? float(m_boundsItem->rect().bottomRight().x()) : 0.0f;
}

float EditorView::boundsTop() const
{
    return m_boundsItem ? float(m_boundsItem->rect().bottomRight().y()) : 0.0f;
}

void EditorView::setBoundsLeft(float value)
{
    if (!m_boundsItem || !isFinite(value))
        return;
    QRectF rect = m_boundsItem->rect();
    rect.setTopLeft(QPointF(value, boundsBottom()));
    setBoundsRect(rect);
}

void EditorView::setBoundsBottom(float value)
{
    if (!m_boundsItem || !isFinite(value))
        return;
    QRectF rect = m_boundsItem->rect();
    rect.setTopLeft(QPointF(boundsLeft(), value));
    setBoundsRect(rect);
}

void EditorView::setBoundsRight(float value)
{
    if (!m_boundsItem || !isFinite(value))
        return;
    QRectF rect = m_boundsItem->rect();
    rect.setBottomRight(QPointF(value, boundsTop()));
    setBoundsRect(rect);
}

void EditorView::setBoundsTop(float value)
{
    if (!m_boundsItem || !isFinite(value))
        return;
    QRectF rect = m_boundsItem->rect();
    rect.setBottomRight(QPointF(boundsRight(), value));
    setBoundsRect(rect);
}

void EditorView::setBoundsRect(const QRectF& rect)
{
    // Every coordinate is held at float precision; a corner set past the other
    // one leaves the rectangle unnormalised on purpose.
    const QRectF stored(QPointF(float(rect.left()), float(rect.top())),
                        QPointF(float(rect.right()), float(rect.bottom())));
    m_boundsItem->setRect(stored);
    if (m_background)
        m_background->setRect(stored);
}

float EditorView::damping() const
{
    return m_space ? float(cpSpaceGetDamping(m_space)) : 0.0f;
}

void EditorView::setDamping(float value)
{
    if (!m_space || !isSaneDamping(value))
        return;
    cpSpaceSetDamping(m_space, double(value));
}

QPointF EditorView::gravity() const
{
    if (!m_space)
        return QPointF();
    const cpVect g = cpSpaceGetGravity(m_space);
    return QPointF(g.x, g.y);
}

void EditorView::setGravity(QPointF value)
{
    if (!m_space || !isSaneGravity(cpv(value.x(), value.y())))
        return;
    cpSpaceSetGravity(m_space, cpv(value.x(), value.y()));
}

void EditorView::setEditScale(float value)
{
    if (!isFinite(value))
        return;
    m_editScale = value;
}

QColor EditorView::topColor() const
{
    return m_background ? m_background->topColor() : QColor();
}

QColor EditorView::midColor() const
{
    return m_background ? m_background->midColor() : QColor();
}

QColor EditorView::bottomColor() const
{
    return m_background ? m_background->bottomColor() : QColor();
}

void EditorView::setTopColor(QColor color)
{
    if (m_background)
        m_background->setTopColor(color);
}

void EditorView::setMidColor(QColor color)
{
    if (m_background)
        m_background->setMidColor(color);
}

void EditorView::setBottomColor(QColor color)
{
    if (m_background)
        m_background->setBottomColor(color);
}

// ---------------------------------------------------------------- input

void EditorView::mousePressEvent(QMouseEvent* event)
{
    if (m_currentTool)
        m_currentTool->mousePressEvent(event);
    else
        QGraphicsView::mousePressEvent(event);
}

void EditorView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_currentTool)
        m_currentTool->mouseMoveEvent(event);
    else
        QGraphicsView::mouseMoveEvent(event);

    const QPointF scenePt = mapToScene(event->position().toPoint());
    if (m_coordinates) {
        m_coordinates->setText(QStringLiteral("%1, %2")
                                   .arg(scenePt.x(), 0, 'g', -1, QLatin1Char(' '))
                                   .arg(scenePt.y(), 0, 'g', -1, QLatin1Char(' ')));
    }
    emit hoverPointChanged(scenePt);
}

void EditorView::mouseReleaseEvent(QMouseEvent* event)
{
    m_lastScenePt = mapToScene(event->position().toPoint());
    if (AbstractItemTool* tool = m_currentTool) {
        tool->mouseReleaseEvent(event);
        emit toolCompleted();
    } else {
        QGraphicsView::mouseReleaseEvent(event);
    }
}

void EditorView::wheelEvent(QWheelEvent* event)
{
    // A horizontal wheel (or Alt-turned wheel) reports its turn in x.
    const QPoint angle = event->angleDelta();
    const int delta = angle.y() != 0 ? angle.y() : angle.x();
    scaleView(std::pow(2.0, delta / 240.0));

    const QList<QGraphicsItem*> selected = m_scene.selectedItems();
    if (!selected.isEmpty())
        centerOn(selected.first());
    else
        centerOn(m_lastScenePt);
    event->accept();
}

void EditorView::keyPressEvent(QKeyEvent* event)
{
    if (m_currentTool)
        m_currentTool->keyPressEvent(event);
    else
        QGraphicsView::keyPressEvent(event);
}

// ---------------------------------------------------------------- level file

std::string EditorView::key()
{
    return "view";
}

namespace {

// The attributes the root element always writes; a dynamic property of one of
// these names is not written a second time.
const char* const rootAttributes[] = {"bottom", "left", "top", "right", "editScale",
                                      "topColor", "midColor", "bottomColor"};

bool isRootAttribute(const QByteArray& name)
{
    for (const char* fixed : rootAttributes) {
        if (name == fixed)
            return true;
    }
    return false;
}

std::string numberAttribute(float value)
{
    return encodeText(textFromNumber(double(value)));
}

} // namespace

void EditorView::write(IOTransformer& transformer)
{
    transformer.writeAttribute("bottom", numberAttribute(boundsBottom()));
    transformer.writeAttribute("left", numberAttribute(boundsLeft()));
    transformer.writeAttribute("top", numberAttribute(boundsTop()));
    transformer.writeAttribute("right", numberAttribute(boundsRight()));
    transformer.writeAttribute("editScale", numberAttribute(editScale()));
    transformer.writeAttribute("topColor", encodeText(topColor().name()));
    transformer.writeAttribute("midColor", encodeText(midColor().name()));
    transformer.writeAttribute("bottomColor", encodeText(bottomColor().name()));

    // The reader keeps no fixed name among them, and the panel adds none.
    IOTransformer::Attributes rest = m_extraAttributes.toAttributes([](const QString&) { return false; });
    const QList<QByteArray> names = dynamicPropertyNames();
    for (const QByteArray& name : names) {
        // Qt keeps its own bookkeeping on widgets under "_q_" names: no level data.
        if (isRootAttribute(name) || name.startsWith("_q_") || m_extraAttributes.contains(decodeText(name.constData(), name.size())))
            continue;
        rest.emplace_back(name.toStdString(), encodeText(property(name.constData()).toString()));
    }
    transformer.writeAttributes(rest);

    // Lowest first: the reader stacks later elements of a kind above earlier
    // ones, so a saved and reopened level keeps its stacking. Children are
    // written by their parents, and the physics items go to the physics file.
    const QList<QGraphicsItem*> all = m_scene.items(Qt::AscendingOrder);
    for (QGraphicsItem* item : all) {
        if (!writeableType(ItemType(item->type())) || item->parentItem())
            continue;
        if (IONode* node = dynamic_cast<IONode*>(item))
            transformer.write(*node);
    }
}

template <typename Item, typename Make, typename Registered>
void EditorView::readItems(IOTransformer& transformer, Make make, Registered registered)
{
    while (transformer.nodeExists(Item::key_str())) {
        Item* item = make();
        m_scene.addItem(item);
        if (!transformer.read(*item)) {
            delete item;
            return;
        }
        registered(item);
    }
}

void EditorView::read(IOTransformer& transformer)
{
    auto number = [&transformer](const char* name) {
        return float(numberFromText(decodeText(transformer.readAttribute(name))));
    };
    if (transformer.attributeExists("bottom"))
        setBoundsBottom(number("bottom"));
    if (transformer.attributeExists("left"))
        setBoundsLeft(number("left"));
    if (transformer.attributeExists("top"))
        setBoundsTop(number("top"));
    if (transformer.attributeExists("right"))
        setBoundsRight(number("right"));
    if (transformer.attributeExists("editScale"))
        setEditScale(number("editScale"));
    // A colour that is missing or no colour keeps the level's default: an
    // invalid one would be painted and saved as black.
    auto color = [&transformer](const char* name) {
        return transformer.attributeExists(name) ? QColor(decodeText(transformer.readAttribute(name))) : QColor();
    };
    const QColor top = color("topColor");
    const QColor mid = color("midColor");
    const QColor bottom = color("bottomColor");
    if (top.isValid())
        setTopColor(top);
    if (mid.isValid())
        setMidColor(mid);
    if (bottom.isValid())
        setBottomColor(bottom);

    IOTransformer::Attributes rest;
    transformer.readAttributes(rest);
    const QMetaObject* meta = metaObject();
    for (const auto& attribute : rest) {
        const char* name = attribute.first.c_str();
        const QString value = decodeText(attribute.second);
        // The canvas's own level properties are applied through their setters.
        // Every other name, one the widget itself declares included, is kept
        // as it came; a second copy of a fixed attribute would be written twice.
        if (meta->indexOfProperty(name) >= meta->propertyOffset() && setProperty(name, value))
            continue;
        if (!isRootAttribute(QByteArray(name)))
            m_extraAttributes.set(decodeText(attribute.first), value);
    }

    auto nothing = [](QGraphicsItem*) {};
    readItems<PolyItem>(transformer, [] { return new PolyItem(false); }, nothing);
    readItems<SpriteSheetItem>(transformer, [] { return new SpriteSheetItem(); },
                               [this](SpriteSheetItem* sheet) { registerSpriteSheet(sheet); });
    readItems<GraphicItem>(transformer, [this] { return new GraphicItem(nullptr, m_space); },
                           [this](GraphicItem* sprite) { registerSprite(sprite->pixmapKey()); });
    readItems<LineItem>(transformer, [] { return new LineItem(); }, nothing);
    readItems<PathItem>(transformer, [] { return new PathItem(QPointF(0, 0)); }, nothing);
    readItems<TextItem>(transformer, [] { return new TextItem(nullptr); }, nothing);
    readItems<ColorMarkerItem>(transformer, [] { return new ColorMarkerItem(); }, nothing);
}

QStringList EditorView::extraAttributeNames() const
{
    return m_extraAttributes.names();
}

QString EditorView::extraAttribute(const QString& name) const
{
    return m_extraAttributes.value(name);
}

void EditorView::setExtraAttribute(const QString& name, const QString& value)
{
    // Only names the level brought are edited; the panel adds none.
    if (m_extraAttributes.contains(name))
        m_extraAttributes.set(name, value);
}

// The one place where the level reader reaches the main window, through the
// calls bound by setLevelEditor.
void EditorView::registerSpriteSheet(SpriteSheetItem* sheet)
{
    if (!m_addSpriteSheet || !sheet)
        return;
    m_addSpriteSheet(sheet);
}

void EditorView::registerSprite(const QString& pixmapKey)
{
    if (!m_addSprite || pixmapKey.isEmpty())
        return;
    m_addSprite(pixmapKey);
}
