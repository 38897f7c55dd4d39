#include "Items/ConstraintItem.h"

#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QKeyEvent>
#include <QLineF>
#include <QList>
#include <QPen>
#include <QPainter>
#include <QPixmap>
#include <QStyleOptionGraphicsItem>

#include <algorithm>
#include <cmath>

#include "Items/ItemRegistry.h"
#include "Toolkit/cpSupport.h"
#include "cpCompat.h"
#include "jointkinds.h"

namespace {

// The part of the line inside the rectangle (Liang and Barsky's clip); false
// when no part of it is inside.
bool clipLine(QLineF& line, const QRectF& rect)
{
    const double dx = line.dx();
    const double dy = line.dy();
    double t0 = 0;
    double t1 = 1;
    const double p[4] = { -dx, dx, -dy, dy };
    const double q[4] = { line.x1() - rect.left(), rect.right() - line.x1(), line.y1() - rect.top(),
                          rect.bottom() - line.y1() };
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const QPointF start = line.p1();
    line = QLineF(start + QPointF(dx, dy) * t0, start + QPointF(dx, dy) * t1);
    return true;
}

QPointF toPoint(cpVect v)
{
    return QPointF(v.x, v.y);
}

cpVect toVect(QPointF p)
{
    return cpv(p.x(), p.y());
}

} // namespace

// ---------------------------------------------------------------------------
// ConstraintItem

ConstraintItem::ConstraintItem(cpSpace* space, cpConstraint* constraint)
    : QObject(nullptr)
    , m_space(space)
    , m_constraint(constraint)
    , m_registry(ItemRegistry::acquire(space))
{
    if (m_constraint)
        cpConstraintSetUserData(m_constraint, static_cast<QObject*>(this));
    if (m_registry)
        m_registry->listConstraint(this);
}

ConstraintItem::~ConstraintItem()
{
    if (m_registry)
        m_registry->unlistConstraint(this);
    // This class's own removal: a joint's recolouring must not run any more.
    ConstraintItem::removeFromSpace();
    if (m_constraint)
        cpConstraintFree(m_constraint);
    if (m_registry)
        m_registry->release();
}

void ConstraintItem::addToSpace()
{
    // The kinds bind the constraint to new bodies just before.
    if (m_registry)
        m_registry->listConstraint(this);
    if (!m_space || !m_constraint || cpSpaceContainsConstraint(m_space, m_constraint))
        return;
    // Chipmunk aborts on a constraint without bodies, and its solver on one
    // that nothing can satisfy.
    if (!constraintSolvableNow(m_constraint))
        return;
    cpSpaceAddConstraint(m_space, m_constraint);
    cpConstraintSetUserData(m_constraint, static_cast<QObject*>(this));
}

void ConstraintItem::removeFromSpace()
{
    takeOutConstraint(m_space, m_constraint);
}

void ConstraintItem::takeOut(cpSpace* space, cpConstraint* constraint)
{
    QObject* owner = static_cast<QObject*>(cpConstraintGetUserData(constraint));
    if (ConstraintItem* item = qobject_cast<ConstraintItem*>(owner))
        item->removeFromSpace();
    takeOutConstraint(space, constraint);
}

bool ConstraintItem::hasBodies() const
{
    return m_constraint && cpConstraintGetBodyA(m_constraint) && cpConstraintGetBodyB(m_constraint);
}

bool ConstraintItem::canBeSolved() const
{
    return !hasBodies() || constraintSolvableNow(m_constraint);
}

// The values are written into the constraint's fields as they are: Chipmunk's
// setters would also wake both bodies, and nothing is to be redrawn.

float ConstraintItem::maxForce() const
{
    return m_constraint ? float(cpConstraintGetMaxForce(m_constraint)) : 0.0f;
}

void ConstraintItem::setMaxForce(float value)
{
    if (!m_constraint || std::isnan(value))
        return;
    storeConstraintLimits(m_constraint, value < 0 ? INFINITY : cpFloat(value), cpConstraintGetMaxBias(m_constraint),
                            cpConstraintGetErrorBias(m_constraint));
}

float ConstraintItem::errorBias() const
{
    return m_constraint ? float(cpConstraintGetErrorBias(m_constraint)) : 0.0f;
}

void ConstraintItem::setErrorBias(float value)
{
    // The fraction of the error left after a second: above 1 the solver would
    // push the bodies apart ever faster until their velocities overflow.
    if (!m_constraint || !(value >= 0 && value <= 1))
        return;
    storeConstraintLimits(m_constraint, cpConstraintGetMaxForce(m_constraint), cpConstraintGetMaxBias(m_constraint),
                            value);
}

float ConstraintItem::maxBias() const
{
    return m_constraint ? float(cpConstraintGetMaxBias(m_constraint)) : 0.0f;
}

void ConstraintItem::setMaxBias(float value)
{
    if (!m_constraint || std::isnan(value))
        return;
    storeConstraintLimits(m_constraint, cpConstraintGetMaxForce(m_constraint), value < 0 ? INFINITY : cpFloat(value),
                            cpConstraintGetErrorBias(m_constraint));
}

void ConstraintItem::forgetBody(cpSpace* space, cpBody* body)
{
    ItemRegistry* registry = space ? static_cast<ItemRegistry*>(cpSpaceGetUserData(space)) : nullptr;
    if (!body || !registry)
        return;
    // Copied: an item may remove or delete others while it is told.
    const QList<ConstraintItem*> items = registry->constraintItemsNaming(body);
    for (ConstraintItem* item : items) {
        if (!registry->listed(item) || item->m_space != space || !item->m_constraint)
            continue;
        if (cpConstraintGetBodyA(item->m_constraint) == body
            || cpConstraintGetBodyB(item->m_constraint) == body)
            item->bodyFreed(body);
    }
}

void ConstraintItem::bodyFreed(cpBody* body)
{
    removeFromSpace();
    constraintForgetBody(m_constraint, body);
    if (m_registry)
        m_registry->listConstraint(this);
}

// ---------------------------------------------------------------------------
// AbstractLineJointItem

QColor AbstractLineJointItem::unboundColor()
{
    return QColor(255, 0, 30, 200);
}

QColor AbstractLineJointItem::staticColor()
{
    return QColor(255, 255, 30, 200);
}

QColor AbstractLineJointItem::boundColor()
{
    return jointColor;
}

AbstractLineJointItem::AbstractLineJointItem(cpSpace* space, cpConstraint* constraint, const JointItemKind* kind)
    : ConstraintItem(space, constraint)
    , AbstractLineItem(nullptr)
    , m_kind(kind)
    , m_jointKind(jointKindOf(constraint))
{
    const bool inSpace = space && constraint && cpSpaceContainsConstraint(space, constraint);
    QPen p(inSpace ? boundColor() : unboundColor());
    p.setWidthF(4.0);
    p.setCapStyle(Qt::RoundCap);
    setPen(p);
    setZValue(JointZ);
    // paint() needs the exposed area, not the whole line.
    setFlag(QGraphicsItem::ItemUsesExtendedStyleOption);
}

// The constraint leaves the space first (without recolouring: the line is
// going), then the line with its symbol and the edge part, which lets go of
// the end nodes, and last the ConstraintItem part, which frees the constraint.
AbstractLineJointItem::~AbstractLineJointItem()
{
    ConstraintItem::removeFromSpace();
}

AbstractEdge* AbstractLineJointItem::clone()
{
    return nullptr;
}

void AbstractLineJointItem::dragStarted(ItemNode*)
{
    if (m_dragDepth == 0)
        removeFromSpace();
    symbolAdjust();
    ++m_dragDepth;
}

void AbstractLineJointItem::dragEnded(ItemNode*)
{
    // A release without a press (the node was pressed before it joined this
    // joint) must not leave the depth below zero.
    if (m_dragDepth > 0)
        --m_dragDepth;
    symbolAdjust();
    if (m_dragDepth != 0 || !m_constraint)
        return;
    // The binding re-initialises the constraint, which resets these three.
    const cpFloat force = cpConstraintGetMaxForce(m_constraint);
    const cpFloat bias = cpConstraintGetMaxBias(m_constraint);
    const cpFloat errorBias = cpConstraintGetErrorBias(m_constraint);
    addToSpace();
    storeConstraintLimits(m_constraint, force, bias, errorBias);
}

void AbstractLineJointItem::deleteNode(ItemNode*)
{
    deleteLater();
}

void AbstractLineJointItem::updatePosition(ItemNode*)
{
    updateEndpoints();
    symbolAdjust();
}

int AbstractLineJointItem::type() const
{
    return m_kind ? m_kind->typeId : AbstractLineItem::type();
}

void AbstractLineJointItem::adjust()
{
    if (m_kind && hasBodies()) {
        cpBody* a = cpConstraintGetBodyA(m_constraint);
        cpBody* b = cpConstraintGetBodyB(m_constraint);
        if (m_kind->layout == JointItemKind::Layout::Anchors)
            setLine(QLineF(toPoint(cpBodyLocalToWorld(a, toVect(parameterPoint("anchr1")))),
                           toPoint(cpBodyLocalToWorld(b, toVect(parameterPoint("anchr2"))))));
        else if (m_kind->layout == JointItemKind::Layout::Bodies)
            setLine(QLineF(toPoint(cpBodyGetPosition(a)), toPoint(cpBodyGetPosition(b))));
    }
    adjustNodes();
    symbolAdjust();
}

void AbstractLineJointItem::setupNodes()
{
    if (m_kind && m_kind->icon)
        finishSetup(QString::fromLatin1(m_kind->icon));
    else
        createEndNodes();
}

void AbstractLineJointItem::createEndNodes()
{
    QGraphicsScene* s = scene();

    LineItemNode* a = new LineItemNode(nullptr, this);
    a->setMovesQuietly();
    if (s) {
        s->addItem(a);
        a->setFocusProxy(this);
    }
    a->place(line().p1());

    LineItemNode* b = new LineItemNode(this, nullptr);
    b->setMovesQuietly();
    if (s) {
        s->addItem(b);
        b->setFocusProxy(this);
    }
    b->place(line().p2());
}

void AbstractLineJointItem::addToSpace()
{
    if (m_kind && m_kind->bind) {
        cpBody* a = nullptr;
        cpBody* b = nullptr;
        if (!bodiesAtEnds(&a, &b))
            return;
        m_kind->bind(m_constraint, a, b, line());
    }
    ConstraintItem::addToSpace();
    determineColor();
}

void AbstractLineJointItem::removeFromSpace()
{
    ConstraintItem::removeFromSpace();
    determineColor();
}

void AbstractLineJointItem::createSymbol(const QString& path)
{
    // Used as loaded: on the y-up canvas the icon shows upside down.
    const QPixmap pixmap(path);
    delete m_symbol;
    m_symbol = new QGraphicsPixmapItem(pixmap, this);
    m_symbol->setScale(0.75);
    m_symbol->setOffset(-pixmap.width() / 2, -pixmap.height() / 2);
    symbolAdjust();
}

void AbstractLineJointItem::symbolAdjust()
{
    if (!m_symbol)
        return;
    QLineF half = line();
    half.setLength(half.length() / 2);
    m_symbol->setPos(half.p2());
}

void AbstractLineJointItem::determineColor()
{
    QPen p = pen();
    if (!m_space || !m_constraint || !cpSpaceContainsConstraint(m_space, m_constraint)) {
        p.setColor(unboundColor());
    } else {
        cpBody* staticBody = cpSpaceGetStaticBody(m_space);
        const bool toStatic = cpConstraintGetBodyA(m_constraint) == staticBody
            || cpConstraintGetBodyB(m_constraint) == staticBody;
        p.setColor(toStatic ? staticColor() : boundColor());
    }
    setPen(p);
    if (m_endA)
        m_endA->setPen(p);
    if (m_endB)
        m_endB->setPen(p);
}

void AbstractLineJointItem::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        deleteLater();
        event->accept();
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
        // The width keys of plain lines do not apply to joints.
        event->accept();
        break;
    default:
        event->ignore();
        break;
    }
}

void paintVisiblePart(AbstractLineItem* item, QPainter* painter, const QStyleOptionGraphicsItem* option,
                      QWidget* widget)
{
    // Bodies flung far away stretch a joint's line to lengths whose stroke takes
    // the painter minutes; a line within a few times the exposed area is drawn
    // whole, so its dashes do not move while the view scrolls.
    const double margin = item->pen().widthF() + 1;
    const QRectF exposed = option->exposedRect.adjusted(-margin, -margin, margin, margin);
    const double reach = 4 * std::hypot(exposed.width(), exposed.height());
    if (item->line().length() <= reach) {
        item->AbstractLineItem::paint(painter, option, widget);
        return;
    }
    QLineF visible = item->line();
    if (!clipLine(visible, exposed))
        return;
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(item->pen());
    painter->drawLine(visible);
    if (option->state & QStyle::State_Selected) {
        painter->setPen(QPen(option->palette.windowText(), 0, Qt::DashLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(visible.p1(), visible.p2()).normalized());
    }
}

void AbstractLineJointItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget)
{
    paintVisiblePart(this, painter, option, widget);
}

bool AbstractLineJointItem::bodiesAtEnds(cpBody** a, cpBody** b) const
{
    if (!m_space || !m_constraint || cpSpaceContainsConstraint(m_space, m_constraint))
        return false;
    const QLineF l = line();
    return getBodiesAtPoints(cpv(l.x1(), l.y1()), cpv(l.x2(), l.y2()), a, b, m_space)
        && constraintSolvable(m_constraint, *a, *b);
}

void AbstractLineJointItem::finishSetup(const QString& iconPath)
{
    createEndNodes();
    adjustNodes();
    createSymbol(iconPath);
    // A constraint read from a file keeps the bodies, anchors and values of the
    // file; the reader adds it to the space itself.
    if (!hasBodies())
        addToSpace();
}

double AbstractLineJointItem::parameterValue(const char* name) const
{
    const JointParameter* parameter = m_jointKind ? m_jointKind->parameter(name) : nullptr;
    return parameter && parameter->number ? parameter->number(m_constraint) : 0.0;
}

QPointF AbstractLineJointItem::parameterPoint(const char* name) const
{
    const JointParameter* parameter = m_jointKind ? m_jointKind->parameter(name) : nullptr;
    return parameter && parameter->point ? toPoint(parameter->point(m_constraint)) : QPointF();
}

bool AbstractLineJointItem::setParameterValue(const char* name, double value)
{
    const JointParameter* parameter = m_jointKind ? m_jointKind->parameter(name) : nullptr;
    if (!parameter || !parameter->setNumber || !parameter->accepts(value))
        return false;
    parameter->setNumber(m_constraint, value);
    return true;
}

bool AbstractLineJointItem::setParameterPoint(const char* name, QPointF value, bool keepSolvable)
{
    const JointParameter* parameter = m_jointKind ? m_jointKind->parameter(name) : nullptr;
    if (!parameter || !parameter->setPoint || !parameter->accepts(toVect(value)))
        return false;
    const cpVect old = parameter->point(m_constraint);
    parameter->setPoint(m_constraint, toVect(value));
    // A pivot's or groove's anchors decide whether the solver can condition it.
    if (keepSolvable && !canBeSolved()) {
        parameter->setPoint(m_constraint, old);
        return false;
    }
    return true;
}

void AbstractLineJointItem::setAnchor(const char* name, QPointF value, bool keepSolvable)
{
    if (setParameterPoint(name, value, keepSolvable))
        adjust();
}
