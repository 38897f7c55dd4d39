#include "cpSpaceSerializer.h"
#include "atomicsave.h"
#include "cpCompat.h"
#include "jointkinds.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

template <typename T>
std::string valueText(T value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

// Enough digits to give back the very same double.
std::string exactText(double value)
{
    std::ostringstream out;
    out.precision(std::numeric_limits<double>::max_digits10);
    out << value;
    return out.str();
}

// The value as the reader gets it from its usual text.
double readBack(double value)
{
    std::istringstream in(valueText(value));
    double out = 0;
    in >> out;
    return out;
}

template <typename T>
bool isPositiveInfinity(T value)
{
    if constexpr (std::numeric_limits<T>::has_infinity)
        return value == std::numeric_limits<T>::infinity();
    else
        return false;
}

long long addressId(const void* p)
{
    return static_cast<long long>(reinterpret_cast<std::intptr_t>(p));
}

} // namespace

// A value element: the value's stream text, or "INF" for positive infinity.
template <typename T>
TiXmlElement* createValueElm(const char* name, T value)
{
    TiXmlElement* elm = new TiXmlElement(name);
    const std::string text = isPositiveInfinity(value) ? std::string("INF") : valueText(value);
    elm->LinkEndChild(new TiXmlText(text));
    return elm;
}

template <typename T>
void setAttribute(TiXmlElement* elm, const char* name, T value)
{
    elm->SetAttribute(name, valueText(value));
}

template <>
void setAttribute<const char*>(TiXmlElement* elm, const char* name, const char* value)
{
    elm->SetAttribute(name, value);
}

template <>
void setAttribute<bool>(TiXmlElement* elm, const char* name, bool value)
{
    elm->SetAttribute(name, value ? "1" : "0");
}

// The point as the reader gets it from its usual text.
static cpVect readBackPoint(cpVect p)
{
    p = boundedPoint(p);
    return cpv(readBack(p.x), readBack(p.y));
}

// Where the reader will put the local point of the body, from the body's
// position and angle as written.
// A free body placed as the reader will place this one, from its position
// and angle as written; the caller frees it.
static cpBody* bodyAsRead(cpBody* body)
{
    cpBody* asRead = cpBodyNew(1, 1);
    cpBodySetPosition(asRead, readBackPoint(cpBodyGetPosition(body)));
    cpBodySetAngle(asRead, readBack(boundedMagnitude(cpBodyGetAngle(body))));
    return asRead;
}

static cpVect worldAsRead(cpBody* body, cpVect local)
{
    cpBody* asRead = bodyAsRead(body);
    const cpVect point = cpBodyLocalToWorld(asRead, local);
    cpBodyFree(asRead);
    return point;
}

// A pivot whose anchors do not meet at its world anchor as read (stretched, or
// outside the space: such a one is always read so) is read back from its
// anchors, and its world anchor from body A's values as written would not
// come back the same: it is written as the reader will find it, so that a file
// read and saved again is the same. A pivot read from its world anchor keeps it.
static void writeWorldAnchorAsRead(TiXmlElement* elm, cpConstraint* constraint, bool outside)
{
    TiXmlElement* worldElm = elm->FirstChildElement("worldAnchor");
    if (!worldElm)
        return;
    cpBody* a = cpConstraintGetBodyA(constraint);
    cpBody* b = cpConstraintGetBodyB(constraint);
    const cpVect anchorA = readBackPoint(cpPivotJointGetAnchorA(constraint));
    const cpVect anchorB = readBackPoint(cpPivotJointGetAnchorB(constraint));
    const cpVect worldA = worldAsRead(a, anchorA);
    if (!outside) {
        // The reader's own test of whether the anchors meet there.
        const cpVect world = readBackPoint(cpBodyLocalToWorld(a, cpPivotJointGetAnchorA(constraint)));
        cpBody* readA = bodyAsRead(a);
        cpBody* readB = bodyAsRead(b);
        const bool fromWorld = pivotReadsFromWorld(readA, readB, anchorA, anchorB, world);
        cpBodyFree(readA);
        cpBodyFree(readB);
        if (fromWorld)
            return;
    }
    setAttribute(worldElm, "x", worldA.x);
    setAttribute(worldElm, "y", worldA.y);
}

struct WriteContext
{
    cpSpaceSerializer* serializer;
    TiXmlElement* spaceElm;
};

static void writeShape(cpShape* shape, void* data)
{
    WriteContext* ctx = static_cast<WriteContext*>(data);
    if (TiXmlElement* elm = ctx->serializer->createShapeElm(shape))
        ctx->spaceElm->LinkEndChild(elm);
}

static void writeConstraint(cpConstraint* constraint, void* data)
{
    WriteContext* ctx = static_cast<WriteContext*>(data);
    if (TiXmlElement* elm = ctx->serializer->createConstraintElm(constraint))
        ctx->spaceElm->LinkEndChild(elm);
}

cpSpaceSerializer::cpSpaceSerializer()
    : m_delegate(nullptr), m_space(nullptr)
{
}

cpSpaceSerializer::cpSpaceSerializer(cpSpaceSerializerDelegate* d)
    : m_delegate(d), m_space(nullptr)
{
}

cpSpaceSerializer::~cpSpaceSerializer() = default;

bool cpSpaceSerializer::save(cpSpace* s, const char* filename)
{
    AtomicSave file;
    if (!addToSave(file, s, filename))
        return false;
    return file.commit();
}

bool cpSpaceSerializer::addToSave(AtomicSave& files, cpSpace* s, const char* filename)
{
    if (!s || !filename)
        return false;
    m_space = s;
    m_bodyMap.clear();
    m_bodyMap[0] = cpSpaceGetStaticBody(m_space);

    // Start from an empty document: a document left by an earlier save or
    // load would otherwise come first in the file and be what is read back.
    m_doc.Clear();

    TiXmlElement* spaceElm = new TiXmlElement("space");
    m_doc.LinkEndChild(spaceElm);
    if (!m_saveMark.empty())
        spaceElm->SetAttribute(kSaveMarkAttribute, m_saveMark.c_str());
    spaceElm->LinkEndChild(createValueElm("iterations", cpSpaceGetIterations(m_space)));
    spaceElm->LinkEndChild(createPointElm("gravity", cpSpaceGetGravity(m_space)));
    spaceElm->LinkEndChild(createValueElm("damping", cpSpaceGetDamping(m_space)));

    WriteContext ctx { this, spaceElm };
    cpSpaceEachShape(m_space, writeShape, &ctx);
    cpSpaceEachConstraint(m_space, writeConstraint, &ctx);
    for (cpConstraint* constraint : m_outsideConstraints) {
        if (!constraint || cpSpaceContainsConstraint(m_space, constraint))
            continue;
        const auto written = [this](cpBody* body) {
            if (!body)
                return false;
            if (body == cpSpaceGetStaticBody(m_space))
                return true;
            return m_bodyMap.count(m_delegate ? m_delegate->makeId(body) : addressId(body)) > 0;
        };
        if (!written(cpConstraintGetBodyA(constraint)) || !written(cpConstraintGetBodyB(constraint)))
            continue;
        if (TiXmlElement* elm = createConstraintElm(constraint)) {
            setAttribute(elm, "rogue", true);
            if (cpConstraintIsPivotJoint(constraint))
                writeWorldAnchorAsRead(elm, constraint, true);
            spaceElm->LinkEndChild(elm);
        }
    }

    files.add(filename, [this](std::FILE* out) { return m_doc.SaveFile(out); });
    return true;
}

TiXmlElement* cpSpaceSerializer::createShapeElm(cpShape* shape)
{
    cpBody* body = cpShapeGetBody(shape);
    long long shapeId;
    long long bodyId;
    if (m_delegate) {
        shapeId = m_delegate->makeId(shape);
        bodyId = m_delegate->makeId(body);
        m_delegate->writing(shape, shapeId);
        m_delegate->writing(body, bodyId);
    } else {
        shapeId = addressId(shape);
        bodyId = addressId(body);
    }
    if (body == cpSpaceGetStaticBody(m_space))
        bodyId = 0;

    TiXmlElement* elm;
    switch (shapeTypeOf(shape)) {
    case ShapeKind::Circle: elm = createCircleElm(shape); break;
    case ShapeKind::Segment: elm = createSegmentElm(shape); break;
    case ShapeKind::Poly: elm = createPolyElm(shape); break;
    default: return nullptr;
    }

    const cpShapeFilter filter = cpShapeGetFilter(shape);
    elm->LinkEndChild(createValueElm("id", shapeId));
    elm->LinkEndChild(createValueElm("body_id", bodyId));
    elm->LinkEndChild(createValueElm("sensor", cpShapeGetSensor(shape) ? 1 : 0));
    elm->LinkEndChild(createValueElm("e", cpShapeGetElasticity(shape)));
    elm->LinkEndChild(createValueElm("u", cpShapeGetFriction(shape)));
    elm->LinkEndChild(createPointElm("surface_v", cpShapeGetSurfaceVelocity(shape)));
    elm->LinkEndChild(createValueElm("collision_type", static_cast<unsigned long>(cpShapeGetCollisionType(shape))));
    elm->LinkEndChild(createValueElm("group", static_cast<unsigned long>(filter.group)));
    elm->LinkEndChild(createValueElm("layers", static_cast<unsigned int>(filter.categories)));
    elm->LinkEndChild(createBodyElm(body));
    return elm;
}

TiXmlElement* cpSpaceSerializer::createCircleElm(cpShape* shape)
{
    TiXmlElement* elm = new TiXmlElement("shape");
    setAttribute(elm, "type", "circle");
    elm->LinkEndChild(createPointElm("offset", cpCircleShapeGetOffset(shape)));
    elm->LinkEndChild(createValueElm("radius", cpCircleShapeGetRadius(shape)));
    return elm;
}

TiXmlElement* cpSpaceSerializer::createSegmentElm(cpShape* shape)
{
    TiXmlElement* elm = new TiXmlElement("shape");
    setAttribute(elm, "type", "segment");
    elm->LinkEndChild(createPointElm("a", cpSegmentShapeGetA(shape)));
    elm->LinkEndChild(createPointElm("b", cpSegmentShapeGetB(shape)));
    elm->LinkEndChild(createValueElm("radius", cpSegmentShapeGetRadius(shape)));
    return elm;
}

TiXmlElement* cpSpaceSerializer::createPolyElm(cpShape* shape)
{
    TiXmlElement* elm = new TiXmlElement("shape");
    setAttribute(elm, "type", "poly");
    TiXmlElement* verts = new TiXmlElement("verts");
    const int count = cpPolyShapeGetCount(shape);
    setAttribute(verts, "numVerts", count);
    // Chipmunk 7 keeps the vertices counter-clockwise; the file keeps them clockwise.
    const std::vector<cpVect> clockwise = polyVerticesClockwise(shape);
    // The usual six digits can turn a fine polygon (thousands of vertices, nearly
    // collinear neighbours) into one the reader refuses as not convex: such a
    // polygon is written with every digit instead.
    bool exact = false;
    if (isValidClockwisePolygon(clockwise.data(), count)) {
        std::vector<cpVect> asRead;
        asRead.reserve(clockwise.size());
        for (const cpVect& v : clockwise)
            asRead.push_back(cpv(readBack(v.x), readBack(v.y)));
        exact = !isValidClockwisePolygon(asRead.data(), count);
    }
    for (const cpVect& v : clockwise) {
        if (exact) {
            TiXmlElement* vert = new TiXmlElement("vert");
            vert->SetAttribute("x", exactText(v.x));
            vert->SetAttribute("y", exactText(v.y));
            verts->LinkEndChild(vert);
        } else {
            verts->LinkEndChild(createPointElm("vert", v));
        }
    }
    elm->LinkEndChild(verts);
    return elm;
}

TiXmlElement* cpSpaceSerializer::createBodyElm(cpBody* body)
{
    TiXmlElement* elm = new TiXmlElement("body");
    long long id;
    if (m_delegate) {
        id = m_delegate->makeId(body);
        m_delegate->writing(body, id);
    } else {
        id = addressId(body);
    }
    if (m_bodyMap.count(id) || body == cpSpaceGetStaticBody(m_space))
        return elm;

    // Static-type bodies are never simulated, so they count as outside the space.
    if (!spaceSimulatesBody(m_space, body))
        setAttribute(elm, "rogue", true);
    elm->LinkEndChild(createValueElm("id", id));
    elm->LinkEndChild(createValueElm("mass", cpBodyGetMass(body)));
    elm->LinkEndChild(createValueElm("inertia", cpBodyGetMoment(body)));
    // The simulation may have carried these past the bound the reader keeps.
    elm->LinkEndChild(createPointElm("p", boundedPoint(cpBodyGetPosition(body))));
    elm->LinkEndChild(createPointElm("v", boundedPoint(cpBodyGetVelocity(body))));
    elm->LinkEndChild(createPointElm("f", boundedPoint(cpBodyGetForce(body))));
    elm->LinkEndChild(createValueElm("a", boundedMagnitude(cpBodyGetAngle(body))));
    elm->LinkEndChild(createValueElm("w", boundedMagnitude(cpBodyGetAngularVelocity(body))));
    elm->LinkEndChild(createValueElm("t", boundedMagnitude(cpBodyGetTorque(body))));
    m_bodyMap[id] = body;
    return elm;
}

TiXmlElement* cpSpaceSerializer::createConstraintElm(cpConstraint* constraint)
{
    cpBody* a = cpConstraintGetBodyA(constraint);
    cpBody* b = cpConstraintGetBodyB(constraint);
    long long id;
    long long aId;
    long long bId;
    if (m_delegate) {
        id = m_delegate->makeId(constraint);
        m_delegate->writing(constraint, id);
        aId = m_delegate->makeId(a);
        bId = m_delegate->makeId(b);
    } else {
        id = addressId(constraint);
        aId = addressId(a);
        bId = addressId(b);
    }
    cpBody* staticBody = cpSpaceGetStaticBody(m_space);
    if (a == staticBody)
        aId = 0;
    if (b == staticBody)
        bId = 0;

    const JointKind* kind = jointKindOf(constraint);
    TiXmlElement* elm = kind ? createJointElm(*kind, constraint) : new TiXmlElement("unknown");

    elm->LinkEndChild(createValueElm("id", id));
    elm->LinkEndChild(createValueElm("body_a_id", aId));
    elm->LinkEndChild(createValueElm("body_b_id", bId));
    elm->LinkEndChild(createValueElm("maxForce", cpConstraintGetMaxForce(constraint)));
    elm->LinkEndChild(createValueElm("biasCoef", cpConstraintGetErrorBias(constraint)));
    elm->LinkEndChild(createValueElm("maxBias", cpConstraintGetMaxBias(constraint)));
    return elm;
}

TiXmlElement* cpSpaceSerializer::createJointElm(const JointKind& kind, cpConstraint* constraint)
{
    TiXmlElement* elm = new TiXmlElement("constraint");
    setAttribute(elm, "type", kind.type);
    for (int i = 0; i < kind.count; ++i) {
        const JointParameter& parameter = kind.parameters[i];
        elm->LinkEndChild(parameter.isPoint() ? createPointElm(parameter.name, parameter.point(constraint))
                                              : createValueElm(parameter.name, parameter.number(constraint)));
    }
    if (cpConstraintIsPivotJoint(constraint))
        writeWorldAnchorAsRead(elm, constraint, false);
    return elm;
}

TiXmlElement* cpSpaceSerializer::createPointElm(const char* name, cpVect point)
{
    TiXmlElement* elm = new TiXmlElement(name);
    setAttribute(elm, "x", point.x);
    setAttribute(elm, "y", point.y);
    return elm;
}
