#include "PhysicsReaderHelper.h"

#include <QDir>
#include <QFile>
#include <QGraphicsItem>
#include <QObject>

#include "IO/iotransformer.h"
#include "IO/textcodec.h"
#include "Items/AbstractLineItem.h"
#include "Items/CircleShapeItem.h"
#include "Items/JointItems.h"
#include "Items/PolyShapeItem.h"
#include "Items/SegmentShapeItem.h"
#include "Toolkit/cpSupport.h"
#include "Tools/ShapeTools.h"
#include "Views/EditorView.h"

#include <exception>
#include <vector>

namespace {

// The item made for the body's first shape, which a later shape is glued under.
QGraphicsItem* bodyItem(cpBody* body)
{
    return dynamic_cast<QGraphicsItem*>(static_cast<QObject*>(cpBodyGetUserData(body)));
}

void colorEachConstraint(cpConstraint* constraint, void*)
{
    auto* object = static_cast<QObject*>(cpConstraintGetUserData(constraint));
    if (auto* joint = dynamic_cast<AbstractLineJointItem*>(object))
        joint->determineColor();
}

} // namespace

PhysicsReaderHelper::PhysicsReaderHelper(EditorView* view)
    : m_view(view)
{
}

bool PhysicsReaderHelper::reading(cpShape* shape, long long)
{
    cpSpace* space = m_view->space();
    EditorScene* scene = m_view->editorScene();
    cpBody* body = cpShapeGetBody(shape);
    // The shape is not in the space yet: any shape counted is an earlier one.
    const bool glued = !isSharedStaticBody(space, body) && shapeCountOnBody(body) > 0;

    switch (getShapeType(shape)) {
    case ShapeKind::Circle:
        if (glued) {
            QGraphicsItem* parent = bodyItem(body);
            if (!parent)
                break;
            auto* item = new CircleShapeItem(space, shape, parent);
            const double mass = CircleTool::defaultMass();
            const double radius = CircleTool::defaultRadius();
            item->setOldBody(cpBodyNew(mass, cpMomentForCircle(mass, radius, radius, cpvzero)));
            const cpVect offset = cpCircleShapeGetOffset(shape);
            item->setPos(offset.x, offset.y);
        } else {
            scene->addItem(new CircleShapeItem(space, shape, nullptr));
        }
        break;
    case ShapeKind::Segment: {
        auto* item = new SegmentShapeItem(space, shape);
        scene->addItem(item);
        const QPointF a = item->pointA();
        const QPointF b = item->pointB();
        auto* nodeA = new LineItemNode(item, nullptr);
        auto* nodeB = new LineItemNode(item, nullptr);
        nodeA->setPos(a);
        nodeB->setPos(b);
        scene->addItem(nodeA);
        scene->addItem(nodeB);
        // An end lying on an existing node shares it, so loaded chains stay joined.
        nodeA->mergeWithTouchingNode();
        nodeB->mergeWithTouchingNode();
        break;
    }
    case ShapeKind::Poly:
        if (glued) {
            QGraphicsItem* parent = bodyItem(body);
            if (!parent)
                break;
            auto* item = new PolyShapeItem(space, shape, parent);
            const int count = cpPolyShapeGetCount(shape);
            std::vector<cpVect> verts;
            verts.reserve(size_t(count));
            for (int i = 0; i < count; ++i)
                verts.push_back(cpPolyShapeGetVert(shape, i));
            const double mass = PolyTool::defaultMass();
            item->setOldBody(cpBodyNew(mass, cpMomentForPoly(mass, count, verts.data(), cpvzero, 0)));
            item->setPos(0, 0);
            item->setRotation(0);
        } else {
            scene->addItem(new PolyShapeItem(space, shape, nullptr));
        }
        break;
    default:
        break;
    }
    return true;
}

bool PhysicsReaderHelper::reading(cpBody*, long long)
{
    return true;
}

bool PhysicsReaderHelper::reading(cpConstraint* constraint, long long)
{
    AbstractLineJointItem* joint = newJointItem(m_view->space(), constraint);
    if (!joint)
        return false;
    m_view->editorScene()->addItem(joint);
    joint->setupNodes();
    joint->adjust();
    // Unbound until the reader puts it into the space, which recolours it.
    joint->determineColor();
    return true;
}

bool PhysicsReaderHelper::holdsOutside(cpConstraint*, long long)
{
    return true;
}

bool readLevel(EditorView* view, EditorContext* context, const QString& path, QString* error,
               QString* untitled)
{
    PhysicsReaderHelper helper(view);
    cpSpaceSerializer serializer(&helper);
    IOTransformer transformer(QFile::encodeName(path).toStdString(), context, &serializer);
    const QString physicsName = QDir::toNativeSeparators(path + QStringLiteral(".phyxml"));
    QString reason;
    try {
        if (!transformer.load(view->space()))
            reason = transformer.errorString();
        else if (transformer.rootName() != view->key() && !(transformer.rootName().empty() && transformer.loadedEmptyFile()))
            reason = transformer.rootName().empty()
                ? QStringLiteral("the file holds no level")
                : QStringLiteral("the file is not a level (its root element is \"%1\", not \"%2\")")
                      .arg(decodeText(transformer.rootName()), decodeText(view->key()));
        else
            transformer.read(*view);
    } catch (const std::exception& e) {
        reason = QStringLiteral("the file is not a well-formed level (%1)").arg(QString::fromLocal8Bit(e.what()));
    }
    if (!reason.isEmpty()) {
        if (error)
            *error = reason;
        return false;
    }
    if (untitled) {
        untitled->clear();
        if (serializer.lastLoadFailed())
            *untitled = QStringLiteral("its physics file %1 could not be read (%2)")
                            .arg(physicsName, decodeText(serializer.lastLoadError()));
        else if (!transformer.physicsMatches())
            *untitled = QStringLiteral("its physics file %1 was not saved with it (a save was cut short)")
                            .arg(physicsName);
    }
    cpSpaceEachConstraint(view->space(), colorEachConstraint, nullptr);
    cpSpaceReindexStatic(view->space());
    return true;
}
