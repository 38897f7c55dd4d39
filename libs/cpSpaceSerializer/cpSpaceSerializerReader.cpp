#include "cpSpaceSerializer.h"
#include "cpCompat.h"
#include "jointkinds.h"
#include "regularfile.h"
#include "xmlnesting.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

// The installed Chipmunk aborts on any value it cannot simulate, so every value
// taken from a file is checked here, by the rules of physicsrules.h, before it
// reaches Chipmunk. A value outside its rule reads as 0 (or keeps the space's
// own setting); an object that cannot be built from its values is skipped.
namespace {

// More attributes on one element than this are refused before parsing: the
// parser checks each new attribute against all earlier ones of its element.
// The editor writes at most two per element (a point's x and y), the
// declaration has three; the bound leaves room for files written by hand.
const int kMaxAttributes = 64;

void trace(const char* what, long long id)
{
    std::fprintf(stderr, "cpSpaceSerializer: %s (id %lld) skipped\n", what, id);
}

// A general real value: non-finite or absurd values read as 0.
double sane(double v)
{
    return isSaneMagnitude(v) ? v : 0.0;
}

// A length, radius or spring constant.
double saneLength(double v)
{
    return isSaneLength(v) ? v : 0.0;
}

cpVect sane(cpVect v)
{
    return cpv(sane(v.x), sane(v.y));
}


// Reads the file as TinyXML's own loader does (line ends normalised to \n).
FileRead readText(const char* path, std::string& out)
{
    std::string raw;
    FileRead read = readRegularFile(path ? std::string(path) : std::string(), raw);
    out.clear();
    if (!read.ok())
        return read;
    // A UTF-8 byte order mark, which the parser only skips when it detects encodings.
    if (raw.compare(0, 3, "\xEF\xBB\xBF") == 0)
        raw.erase(0, 3);
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r') {
            out += '\n';
            if (i + 1 < raw.size() && raw[i + 1] == '\n')
                ++i;
        } else {
            out += raw[i];
        }
    }
    return read;
}

} // namespace

template <typename T>
T stringToValue(const char* text)
{
    if (!text)
        return T(0);
    std::istringstream in(text);
    T value = T(0);
    in >> value;
    return value;
}

template <>
bool stringToValue<bool>(const char* text)
{
    if (!text)
        return false;
    std::istringstream in(text);
    bool value = false;
    in >> value;
    return value;
}

bool stringEquals(const char* a, const char* b)
{
    return a && b && std::strcmp(a, b) == 0;
}

bool elementEquals(const TiXmlNode* node, const char* text)
{
    return node && stringEquals(node->Value(), text);
}

template <typename T>
T createValue(const char* name, TiXmlElement* parent)
{
    TiXmlElement* elm = parent ? parent->FirstChildElement(name) : nullptr;
    if (!elm)
        return T(0);
    TiXmlNode* text = elm->FirstChild();
    if (!text)
        return T(0);
    if (stringEquals(text->Value(), "INF")) {
        if constexpr (std::numeric_limits<T>::has_infinity)
            return std::numeric_limits<T>::infinity();
        else
            return std::numeric_limits<T>::max();
    }
    return stringToValue<T>(text->Value());
}

template <typename T>
T getAttribute(TiXmlElement* elm, const char* name)
{
    return stringToValue<T>(elm ? elm->Attribute(name) : nullptr);
}

static cpVect readPoint(TiXmlElement* elm)
{
    return sane(cpv(getAttribute<double>(elm, "x"), getAttribute<double>(elm, "y")));
}

cpSpace* cpSpaceSerializer::load(const char* filename)
{
    return load(cpSpaceNew(), filename);
}

cpSpace* cpSpaceSerializer::load(cpSpace* s, const char* filename)
{
    m_loadFailed = false;
    m_loadError.clear();
    m_loadedSaveMark.clear();
    if (!s)
        return s;
    std::string text;
    const FileRead read = readText(filename, text);
    if (read.status == FileRead::Refused) {
        m_loadFailed = true;
        m_loadError = read.error;
        return s;
    }
    // A missing or empty file holds nothing to lose.
    if (text.empty())
        return s;
    m_loadFailed = true;
    m_loadError = "it is not a well-formed physics file";
    if (const XmlGuardResult fault = xmlGuardCheck(text.c_str(), XmlParser::Tiny, kMaxXmlNesting, kMaxAttributes)) {
        std::fprintf(stderr, "cpSpaceSerializer: %s %s, not read\n", filename,
                     fault.fault == XmlFault::TooDeep ? "nests too deeply" : "has an element with too many attributes");
        return s;
    }
    m_doc.Clear();
    // Without encoding detection every byte is one character, which the nesting
    // check above relies on; the file holds only ASCII numbers and names.
    m_doc.Parse(text.c_str(), nullptr, TIXML_ENCODING_LEGACY);
    if (m_doc.Error())
        return s;
    TiXmlElement* root = m_doc.FirstChildElement("space");
    if (!root)
        return s;
    m_loadFailed = false;
    m_loadError.clear();
    if (const char* mark = root->Attribute(kSaveMarkAttribute))
        m_loadedSaveMark = mark;

    m_space = s;
    m_bodyMap.clear();
    m_shapeMap.clear();
    m_loadedBodies.clear();
    m_bodyMap[0] = cpSpaceGetStaticBody(m_space);

    const int iterations = createValue<int>("iterations", root);
    if (isSaneIterations(iterations))
        cpSpaceSetIterations(m_space, iterations);
    else
        std::fprintf(stderr, "cpSpaceSerializer: iterations %d out of range, kept %d\n", iterations, cpSpaceGetIterations(m_space));
    const cpVect gravity = createPoint("gravity", root);
    cpSpaceSetGravity(m_space, cpv(isSaneGravity(cpv(gravity.x, 0)) ? gravity.x : 0,
                                 isSaneGravity(cpv(0, gravity.y)) ? gravity.y : 0));
    const double damping = createValue<double>("damping", root);
    if (isSaneDamping(damping))
        cpSpaceSetDamping(m_space, damping);

    for (TiXmlElement* elm = root->FirstChildElement("shape"); elm; elm = elm->NextSiblingElement("shape")) {
        cpShape* shape = createShape(elm);
        // A delegate may already have put the shape into a space.
        if (shape && !cpShapeGetSpace(shape))
            cpSpaceAddShape(m_space, shape);
    }

    // A body none of whose shapes made it into the space (refused or invalid)
    // has no owner: take it out again, and let constraints on it see no body.
    for (cpBody* body : m_loadedBodies) {
        bool hasShape = false;
        cpBodyEachShape(body, [](cpBody*, cpShape*, void* data) { *static_cast<bool*>(data) = true; }, &hasShape);
        if (hasShape)
            continue;
        for (auto& entry : m_bodyMap)
            if (entry.second == body)
                entry.second = nullptr;
        if (cpSpaceContainsBody(m_space, body) && body != cpSpaceGetStaticBody(m_space))
            cpSpaceRemoveBody(m_space, body);
        if (!cpBodyGetSpace(body))
            cpBodyFree(body);
    }
    m_loadedBodies.clear();

    for (TiXmlElement* elm = root->FirstChildElement("constraint"); elm; elm = elm->NextSiblingElement("constraint")) {
        cpConstraint* constraint = createConstraint(elm);
        if (!constraint || cpConstraintGetSpace(constraint))
            continue;
        // A constraint saved outside the space, or one the solver cannot take
        // between its bodies, stays outside it, held by the delegate when it will.
        if (!getAttribute<bool>(elm, "rogue") && constraintSolvableNow(constraint)) {
            cpSpaceAddConstraint(m_space, constraint);
            continue;
        }
        const long long id = createValue<long long>("id", elm);
        if (!m_delegate || !m_delegate->holdsOutside(constraint, id)) {
            trace("constraint that stays outside the space", id);
            cpConstraintFree(constraint);
        }
    }
    return m_space;
}

cpShape* cpSpaceSerializer::createShape(TiXmlElement* elm)
{
    const char* type = elm->Attribute("type");
    cpShape* shape;
    if (stringEquals(type, "circle"))
        shape = createCircle(elm);
    else if (stringEquals(type, "segment"))
        shape = createSegment(elm);
    else if (stringEquals(type, "poly"))
        shape = createPoly(elm);
    else
        return nullptr;
    if (!shape)
        return nullptr;

    const long long id = createValue<long long>("id", elm);
    m_shapeMap[id] = shape;

    cpShapeSetSensor(shape, createValue<int>("sensor", elm) != 0);
    const double elasticity = createValue<double>("e", elm);
    cpShapeSetElasticity(shape, isSaneElasticity(elasticity) ? elasticity : 0.0);
    const double friction = createValue<double>("u", elm);
    cpShapeSetFriction(shape, isSaneFriction(friction) ? friction : 0.0);
    cpShapeSetSurfaceVelocity(shape, createPoint("surface_v", elm));
    cpShapeSetCollisionType(shape, static_cast<cpCollisionType>(createValue<unsigned long>("collision_type", elm)));
    const cpGroup group = static_cast<cpGroup>(createValue<unsigned long>("group", elm));
    const cpBitmask layers = static_cast<cpBitmask>(createValue<unsigned int>("layers", elm));
    cpShapeSetFilter(shape, cpShapeFilterNew(group, layers, layers));

    if (m_delegate && !m_delegate->reading(shape, id)) {
        if (cpSpace* owner = cpShapeGetSpace(shape))
            cpSpaceRemoveShape(owner, shape);
        cpShapeFree(shape);
        m_shapeMap[id] = nullptr;
        return nullptr;
    }
    return shape;
}

cpShape* cpSpaceSerializer::createCircle(TiXmlElement* elm)
{
    cpBody* body = createBody(elm);
    if (!body)
        return nullptr;
    const double radius = saneLength(createValue<double>("radius", elm));
    return cpCircleShapeNew(body, radius, createPoint("offset", elm));
}

cpShape* cpSpaceSerializer::createSegment(TiXmlElement* elm)
{
    cpBody* body = createBody(elm);
    if (!body)
        return nullptr;
    const cpVect a = createPoint("a", elm);
    const cpVect b = createPoint("b", elm);
    const double radius = saneLength(createValue<double>("radius", elm));
    return cpSegmentShapeNew(body, a, b, radius);
}

cpShape* cpSpaceSerializer::createPoly(TiXmlElement* elm)
{
    cpBody* body = createBody(elm);
    if (!body)
        return nullptr;
    std::vector<cpVect> verts;
    if (TiXmlElement* vertsElm = elm->FirstChildElement("verts")) {
        const int expected = getAttribute<int>(vertsElm, "numVerts");
        for (TiXmlElement* v = vertsElm->FirstChildElement("vert");
             v && static_cast<long long>(verts.size()) < expected; v = v->NextSiblingElement("vert"))
            verts.push_back(readPoint(v));
    }
    const cpVect offset = createPoint("offset", elm);
    for (cpVect& v : verts)
        v = cpvadd(v, offset);
    // The file holds the vertices clockwise; anything that is not a convex
    // clockwise outline would break the collision code.
    if (!isValidClockwisePolygon(verts.data(), static_cast<int>(verts.size()))) {
        trace("polygon with fewer than 3 vertices, or not convex and clockwise", createValue<long long>("id", elm));
        return nullptr;
    }
    return newClockwisePolyShape(body, static_cast<int>(verts.size()), verts.data());
}

cpBody* cpSpaceSerializer::createBody(TiXmlElement* shapeElm)
{
    const long long bodyId = createValue<long long>("body_id", shapeElm);
    auto found = m_bodyMap.find(bodyId);
    if (found != m_bodyMap.end())
        return found->second;

    TiXmlElement* elm = shapeElm->FirstChildElement("body");
    if (!elm) {
        // Not mapped: a second such shape gets a body of its own.
        cpBody* body = cpBodyNewStatic();
        m_loadedBodies.push_back(body);
        return body;
    }

    const double mass = createValue<double>("mass", elm);
    const double inertia = createValue<double>("inertia", elm);
    cpBody* body;
    if (mass == INFINITY) {
        // As the editor makes it: a body that forces never move, kept outside
        // the space, whose mass can be made finite again.
        body = cpBodyNewKinematic();
    } else if (isSaneMass(mass) && isSaneMoment(inertia)) {
        body = cpBodyNew(mass, inertia);
    } else {
        trace("body with a mass or moment that cannot be simulated", bodyId);
        m_bodyMap[bodyId] = nullptr;
        return nullptr;
    }

    cpBodySetPosition(body, createPoint("p", elm));
    cpBodySetVelocity(body, createPoint("v", elm));
    cpBodySetForce(body, createPoint("f", elm));
    cpBodySetAngularVelocity(body, sane(createValue<double>("w", elm)));
    cpBodySetTorque(body, sane(createValue<double>("t", elm)));
    cpBodySetAngle(body, sane(createValue<double>("a", elm)));
    m_bodyMap[bodyId] = body;

    if (m_delegate && bodyId != 0 && !m_delegate->reading(body, bodyId)) {
        if (cpSpace* owner = cpBodyGetSpace(body))
            cpSpaceRemoveBody(owner, body);
        cpBodyFree(body);
        m_bodyMap[bodyId] = nullptr;
        return nullptr;
    }

    const bool rogue = getAttribute<bool>(elm, "rogue");
    if (!std::isinf(cpBodyGetMass(body)) && !rogue && !cpBodyGetSpace(body))
        cpSpaceAddBody(m_space, body);
    m_loadedBodies.push_back(body);
    return body;
}

void cpSpaceSerializer::createBodies(TiXmlElement* elm, cpBody** a, cpBody** b)
{
    auto lookup = [this](long long id) -> cpBody* {
        auto found = m_bodyMap.find(id);
        return found == m_bodyMap.end() ? nullptr : found->second;
    };
    *a = lookup(createValue<long long>("body_a_id", elm));
    *b = lookup(createValue<long long>("body_b_id", elm));
}

namespace {

// Two bodies a constraint can name. Whether it can be solved between them is
// asked later: one that cannot is still built, and stays outside the space.
bool usableBodies(cpBody* a, cpBody* b, TiXmlElement* elm)
{
    // A joint from a body to itself holds nothing, and Chipmunk's per-body
    // joint list cannot hold it (removing it later walks off the list).
    if (a && a == b) {
        trace("constraint from a body to itself", createValue<long long>("id", elm));
        return false;
    }
    if (a && b)
        return true;
    trace("constraint on an unknown or refused body", createValue<long long>("id", elm));
    return false;
}

} // namespace

cpConstraint* cpSpaceSerializer::createConstraint(TiXmlElement* elm)
{
    const JointKind* kind = jointKindNamed(elm->Attribute("type"));
    if (!kind)
        return nullptr;
    cpConstraint* constraint = createJoint(*kind, elm);
    if (!constraint)
        return nullptr;

    // Negative or undefined limits mean "no limit"; a bias outside [0, 1]
    // would feed the error back instead of correcting it, so it keeps the default.
    const double maxForce = createValue<double>("maxForce", elm);
    cpConstraintSetMaxForce(constraint, maxForce >= 0 ? maxForce : INFINITY);
    const double errorBias = createValue<double>("biasCoef", elm);
    if (isSaneErrorBias(errorBias))
        cpConstraintSetErrorBias(constraint, errorBias);
    const double maxBias = createValue<double>("maxBias", elm);
    cpConstraintSetMaxBias(constraint, maxBias >= 0 ? maxBias : INFINITY);

    const long long id = createValue<long long>("id", elm);
    if (m_delegate && !m_delegate->reading(constraint, id)) {
        takeOutConstraint(cpConstraintGetSpace(constraint), constraint);
        cpConstraintFree(constraint);
        return nullptr;
    }
    return constraint;
}

cpConstraint* cpSpaceSerializer::createJoint(const JointKind& kind, TiXmlElement* elm)
{
    cpBody *a, *b;
    createBodies(elm, &a, &b);
    if (!usableBodies(a, b, elm))
        return nullptr;
    JointValues values;
    values.outside = getAttribute<bool>(elm, "rogue");
    for (int i = 0; i < kind.count; ++i) {
        const JointParameter& parameter = kind.parameters[i];
        if (parameter.bound == JointParameter::Bound::Written)
            continue;
        values.present[i] = elm->FirstChildElement(parameter.name) != nullptr;
        if (parameter.isPoint())
            values.points[i] = createPoint(parameter.name, elm);
        else
            values.numbers[i] = parameter.kept(createValue<double>(parameter.name, elm));
    }
    if (!kind.accepts(values)) {
        trace(kind.refusal ? kind.refusal : "joint with values that cannot be simulated",
              createValue<long long>("id", elm));
        return nullptr;
    }
    return kind.make(a, b, values);
}

cpVect cpSpaceSerializer::createPoint(const char* name, TiXmlElement* parent)
{
    TiXmlElement* elm = parent ? parent->FirstChildElement(name) : nullptr;
    if (!elm)
        return cpvzero;
    return readPoint(elm);
}
