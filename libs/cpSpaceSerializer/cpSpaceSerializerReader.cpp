#include "cpSpaceSerializer.h"
#include "cpCompat.h"
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
// taken from a file is checked here before it reaches Chipmunk. Beside the
// checks on NaN and infinity, magnitudes are bounded: a finite but absurd
// value (a velocity of 1e300, a mass of 1e-300) overflows or divides by zero
// within a few steps and ends in the same abort.
namespace {

// Upper bound of the solver iterations taken from a file; more only makes a
// step take seconds.
const int kMaxIterations = 1000;
// Shortest groove.
const double kMinLength = 1e-9;
// Smallest and largest gear ratio and ratchet interval: their inverses are taken.
const double kMinRatio = 1e-9;
const double kMaxRatio = 1e9;
// A pivot or groove whose rotational term outweighs the linear one by more
// than this cannot be solved in double precision (the solver's determinant
// cancels to 0, which Chipmunk treats as fatal).
const double kMaxConditioning = 1e12;
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
    return cpIsSaneMagnitude(v) ? v : 0.0;
}

// A value that must not be negative (radius, elasticity, friction, a spring's
// stiffness and damping: a negative spring constant pushes the bodies apart
// ever faster until the step aborts on an infinite velocity).
double saneNonNegative(double v)
{
    return v > 0 ? sane(v) : 0.0;
}

cpVect sane(cpVect v)
{
    return cpv(sane(v.x), sane(v.y));
}

bool validMass(double m)
{
    return cpIsSaneMass(m);
}

bool validMoment(double i)
{
    return i == std::numeric_limits<double>::infinity() || validMass(i);
}

bool validRatio(double r)
{
    return std::isfinite(r) && std::fabs(r) >= kMinRatio && std::fabs(r) <= kMaxRatio;
}

double inverse(double v)
{
    return std::isinf(v) ? 0.0 : 1.0 / v;
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
    _loadFailed = false;
    _loadError.clear();
    _loadedSaveMark.clear();
    if (!s)
        return s;
    std::string text;
    const FileRead read = readText(filename, text);
    if (read.status == FileRead::Refused) {
        _loadFailed = true;
        _loadError = read.error;
        return s;
    }
    // A missing or empty file holds nothing to lose.
    if (text.empty())
        return s;
    _loadFailed = true;
    _loadError = "it is not a well-formed physics file";
    if (const XmlGuardResult fault = xmlGuardCheck(text.c_str(), XmlParser::Tiny, kMaxXmlNesting, kMaxAttributes)) {
        std::fprintf(stderr, "cpSpaceSerializer: %s %s, not read\n", filename,
                     fault.fault == XmlFault::TooDeep ? "nests too deeply" : "has an element with too many attributes");
        return s;
    }
    doc.Clear();
    // Without encoding detection every byte is one character, which the nesting
    // check above relies on; the file holds only ASCII numbers and names.
    doc.Parse(text.c_str(), nullptr, TIXML_ENCODING_LEGACY);
    if (doc.Error())
        return s;
    TiXmlElement* root = doc.FirstChildElement("space");
    if (!root)
        return s;
    _loadFailed = false;
    _loadError.clear();
    if (const char* mark = root->Attribute(kSaveMarkAttribute))
        _loadedSaveMark = mark;

    space = s;
    bodyMap.clear();
    _shapeMap.clear();
    _loadedBodies.clear();
    bodyMap[0] = cpSpaceGetStaticBody(space);

    const int iterations = createValue<int>("iterations", root);
    if (iterations > 0 && iterations <= kMaxIterations)
        cpSpaceSetIterations(space, iterations);
    else
        std::fprintf(stderr, "cpSpaceSerializer: iterations %d out of range, kept %d\n", iterations, cpSpaceGetIterations(space));
    cpSpaceSetGravity(space, createPoint("gravity", root));
    const double damping = createValue<double>("damping", root);
    // Damping is the fraction of velocity kept per second: above 1 it speeds every body
    // up each step until the velocity overflows and Chipmunk aborts.
    if (std::isfinite(damping) && damping >= 0 && damping <= 1)
        cpSpaceSetDamping(space, damping);

    for (TiXmlElement* elm = root->FirstChildElement("shape"); elm; elm = elm->NextSiblingElement("shape")) {
        cpShape* shape = createShape(elm);
        // A delegate may already have put the shape into a space.
        if (shape && !cpShapeGetSpace(shape))
            cpSpaceAddShape(space, shape);
    }

    // A body none of whose shapes made it into the space (refused or invalid)
    // has no owner: take it out again, and let constraints on it see no body.
    for (cpBody* body : _loadedBodies) {
        bool hasShape = false;
        cpBodyEachShape(body, [](cpBody*, cpShape*, void* data) { *static_cast<bool*>(data) = true; }, &hasShape);
        if (hasShape)
            continue;
        for (auto& entry : bodyMap)
            if (entry.second == body)
                entry.second = nullptr;
        if (cpSpaceContainsBody(space, body) && body != cpSpaceGetStaticBody(space))
            cpSpaceRemoveBody(space, body);
        if (!cpBodyGetSpace(body))
            cpBodyFree(body);
    }
    _loadedBodies.clear();

    for (TiXmlElement* elm = root->FirstChildElement("constraint"); elm; elm = elm->NextSiblingElement("constraint")) {
        cpConstraint* constraint = createConstraint(elm);
        if (constraint && !cpConstraintGetSpace(constraint)
            && cpConstraintGetBodyA(constraint) && cpConstraintGetBodyB(constraint))
            cpSpaceAddConstraint(space, constraint);
    }
    return space;
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
    _shapeMap[id] = shape;

    cpShapeSetSensor(shape, createValue<int>("sensor", elm) != 0);
    cpShapeSetElasticity(shape, saneNonNegative(createValue<double>("e", elm)));
    cpShapeSetFriction(shape, saneNonNegative(createValue<double>("u", elm)));
    cpShapeSetSurfaceVelocity(shape, createPoint("surface_v", elm));
    cpShapeSetCollisionType(shape, static_cast<cpCollisionType>(createValue<unsigned long>("collision_type", elm)));
    const cpGroup group = static_cast<cpGroup>(createValue<unsigned long>("group", elm));
    const cpBitmask layers = static_cast<cpBitmask>(createValue<unsigned int>("layers", elm));
    cpShapeSetFilter(shape, cpShapeFilterNew(group, layers, layers));

    if (delegate && !delegate->reading(shape, id)) {
        if (cpSpace* owner = cpShapeGetSpace(shape))
            cpSpaceRemoveShape(owner, shape);
        cpShapeFree(shape);
        _shapeMap[id] = nullptr;
        return nullptr;
    }
    return shape;
}

cpShape* cpSpaceSerializer::createCircle(TiXmlElement* elm)
{
    cpBody* body = createBody(elm);
    if (!body)
        return nullptr;
    const double radius = saneNonNegative(createValue<double>("radius", elm));
    return cpCircleShapeNew(body, radius, createPoint("offset", elm));
}

cpShape* cpSpaceSerializer::createSegment(TiXmlElement* elm)
{
    cpBody* body = createBody(elm);
    if (!body)
        return nullptr;
    const cpVect a = createPoint("a", elm);
    const cpVect b = createPoint("b", elm);
    const double radius = saneNonNegative(createValue<double>("radius", elm));
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
    if (!cpPolyValidateClockwise(verts.data(), static_cast<int>(verts.size()))) {
        trace("polygon with fewer than 3 vertices, or not convex and clockwise", createValue<long long>("id", elm));
        return nullptr;
    }
    return cpPolyShapeNewClockwise(body, static_cast<int>(verts.size()), verts.data());
}

cpBody* cpSpaceSerializer::createBody(TiXmlElement* shapeElm)
{
    const long long bodyId = createValue<long long>("body_id", shapeElm);
    auto found = bodyMap.find(bodyId);
    if (found != bodyMap.end())
        return found->second;

    TiXmlElement* elm = shapeElm->FirstChildElement("body");
    if (!elm) {
        // Not mapped: a second such shape gets a body of its own.
        cpBody* body = cpBodyNewStatic();
        _loadedBodies.push_back(body);
        return body;
    }

    const double mass = createValue<double>("mass", elm);
    const double inertia = createValue<double>("inertia", elm);
    cpBody* body;
    if (mass == std::numeric_limits<double>::infinity()) {
        body = cpBodyNewStatic();
    } else if (validMass(mass) && validMoment(inertia)) {
        body = cpBodyNew(mass, inertia);
    } else {
        trace("body with a mass or moment that cannot be simulated", bodyId);
        bodyMap[bodyId] = nullptr;
        return nullptr;
    }

    cpBodySetPosition(body, createPoint("p", elm));
    cpBodySetVelocity(body, createPoint("v", elm));
    cpBodySetForce(body, createPoint("f", elm));
    cpBodySetAngularVelocity(body, sane(createValue<double>("w", elm)));
    cpBodySetTorque(body, sane(createValue<double>("t", elm)));
    cpBodySetAngle(body, sane(createValue<double>("a", elm)));
    bodyMap[bodyId] = body;

    if (delegate && bodyId != 0 && !delegate->reading(body, bodyId)) {
        if (cpSpace* owner = cpBodyGetSpace(body))
            cpSpaceRemoveBody(owner, body);
        cpBodyFree(body);
        bodyMap[bodyId] = nullptr;
        return nullptr;
    }

    const bool rogue = getAttribute<bool>(elm, "rogue");
    if (!std::isinf(cpBodyGetMass(body)) && !rogue && !cpBodyGetSpace(body))
        cpSpaceAddBody(space, body);
    _loadedBodies.push_back(body);
    return body;
}

void cpSpaceSerializer::createBodies(TiXmlElement* elm, cpBody** a, cpBody** b)
{
    auto lookup = [this](long long id) -> cpBody* {
        auto found = bodyMap.find(id);
        return found == bodyMap.end() ? nullptr : found->second;
    };
    *a = lookup(createValue<long long>("body_a_id", elm));
    *b = lookup(createValue<long long>("body_b_id", elm));
}

namespace {

enum class JointKind { Linear, Rotary };

// A pivot or groove solves a 2x2 system whose determinant must not cancel out.
bool wellConditioned(cpBody* a, cpBody* b, double ra2, double rb2)
{
    const double massTerm = inverse(cpBodyGetMass(a)) + inverse(cpBodyGetMass(b));
    const double turnTerm = ra2 * inverse(cpBodyGetMoment(a)) + rb2 * inverse(cpBodyGetMoment(b));
    return massTerm > 0 && turnTerm <= kMaxConditioning * massTerm;
}

bool usableBodies(cpBody* a, cpBody* b, JointKind kind, TiXmlElement* elm)
{
    // A joint from a body to itself holds nothing, and Chipmunk's per-body
    // joint list cannot hold it (removing it later walks off the list).
    if (a && a == b) {
        trace("constraint from a body to itself", createValue<long long>("id", elm));
        return false;
    }
    if (cpJointBodiesSolvable(a, b, kind == JointKind::Rotary))
        return true;
    trace(a && b ? "constraint between two bodies it cannot move" : "constraint on an unknown or refused body",
          createValue<long long>("id", elm));
    return false;
}

} // namespace

cpConstraint* cpSpaceSerializer::createConstraint(TiXmlElement* elm)
{
    const char* type = elm->Attribute("type");
    cpConstraint* constraint;
    if (stringEquals(type, "pin"))
        constraint = createPinJoint(elm);
    else if (stringEquals(type, "slide"))
        constraint = createSlideJoint(elm);
    else if (stringEquals(type, "pivot"))
        constraint = createPivotJoint(elm);
    else if (stringEquals(type, "groove"))
        constraint = createGrooveJoint(elm);
    else if (stringEquals(type, "motor"))
        constraint = createMotorJoint(elm);
    else if (stringEquals(type, "gear"))
        constraint = createGearJoint(elm);
    else if (stringEquals(type, "spring"))
        constraint = createSpringJoint(elm);
    else if (stringEquals(type, "rotaryLimit"))
        constraint = createRotaryLimitJoint(elm);
    else if (stringEquals(type, "ratchet"))
        constraint = createRatchetJoint(elm);
    else if (stringEquals(type, "rotarySpring"))
        constraint = createRotarySpringJoint(elm);
    else
        return nullptr;
    if (!constraint)
        return nullptr;

    // Negative or undefined limits mean "no limit"; a bias outside [0, 1]
    // would feed the error back instead of correcting it, so it keeps the default.
    const double maxForce = createValue<double>("maxForce", elm);
    cpConstraintSetMaxForce(constraint, maxForce >= 0 ? maxForce : INFINITY);
    const double errorBias = createValue<double>("biasCoef", elm);
    if (errorBias >= 0 && errorBias <= 1)
        cpConstraintSetErrorBias(constraint, errorBias);
    const double maxBias = createValue<double>("maxBias", elm);
    cpConstraintSetMaxBias(constraint, maxBias >= 0 ? maxBias : INFINITY);

    const long long id = createValue<long long>("id", elm);
    if (delegate && !delegate->reading(constraint, id)) {
        cpSpaceTakeOutConstraint(cpConstraintGetSpace(constraint), constraint);
        cpConstraintFree(constraint);
        return nullptr;
    }
    return constraint;
}

cpConstraint* cpSpaceSerializer::createPinJoint(TiXmlElement* elm)
{
    cpBody *a, *b;
    createBodies(elm, &a, &b);
    if (!usableBodies(a, b, JointKind::Linear, elm))
        return nullptr;
    cpConstraint* c = cpPinJointNew(a, b, createPoint("anchr1", elm), createPoint("anchr2", elm));
    cpPinJointSetDist(c, sane(createValue<double>("dist", elm)));
    return c;
}

cpConstraint* cpSpaceSerializer::createSlideJoint(TiXmlElement* elm)
{
    cpBody *a, *b;
    createBodies(elm, &a, &b);
    if (!usableBodies(a, b, JointKind::Linear, elm))
        return nullptr;
    return cpSlideJointNew(a, b, createPoint("anchr1", elm), createPoint("anchr2", elm),
                           sane(createValue<double>("min", elm)), sane(createValue<double>("max", elm)));
}

cpConstraint* cpSpaceSerializer::createPivotJoint(TiXmlElement* elm)
{
    cpBody *a, *b;
    createBodies(elm, &a, &b);
    if (!usableBodies(a, b, JointKind::Linear, elm))
        return nullptr;
    cpConstraint* c;
    if (elm->FirstChildElement("worldAnchor"))
        c = cpPivotJointNew(a, b, createPoint("worldAnchor", elm));
    else
        c = cpPivotJointNew2(a, b, createPoint("anchr1", elm), createPoint("anchr2", elm));
    if (!wellConditioned(a, b, cpvlengthsq(cpPivotJointGetAnchorA(c)), cpvlengthsq(cpPivotJointGetAnchorB(c)))) {
        trace("pivot joint that cannot be solved", createValue<long long>("id", elm));
        cpConstraintFree(c);
        return nullptr;
    }
    return c;
}

cpConstraint* cpSpaceSerializer::createGrooveJoint(TiXmlElement* elm)
{
    cpBody *a, *b;
    createBodies(elm, &a, &b);
    if (!usableBodies(a, b, JointKind::Linear, elm))
        return nullptr;
    const cpVect grooveA = createPoint("grv_a", elm);
    const cpVect grooveB = createPoint("grv_b", elm);
    const cpVect anchorB = createPoint("anchr2", elm);
    // A groove needs a direction: with both ends at one point its normal is
    // zero and the solver's projection onto it divides 0 by 0.
    if (!(cpvdist(grooveA, grooveB) >= kMinLength)) {
        trace("groove joint whose groove has no length", createValue<long long>("id", elm));
        return nullptr;
    }
    if (!wellConditioned(a, b, std::max(cpvlengthsq(grooveA), cpvlengthsq(grooveB)), cpvlengthsq(anchorB))) {
        trace("groove joint that cannot be solved", createValue<long long>("id", elm));
        return nullptr;
    }
    // "jMaxLen" has no counterpart: the maximum correction is derived every step.
    return cpGrooveJointNew(a, b, grooveA, grooveB, anchorB);
}

cpConstraint* cpSpaceSerializer::createMotorJoint(TiXmlElement* elm)
{
    cpBody *a, *b;
    createBodies(elm, &a, &b);
    if (!usableBodies(a, b, JointKind::Rotary, elm))
        return nullptr;
    // "jMax" has no counterpart: the maximum impulse is derived every step.
    return cpSimpleMotorNew(a, b, sane(createValue<double>("rate", elm)));
}

cpConstraint* cpSpaceSerializer::createGearJoint(TiXmlElement* elm)
{
    cpBody *a, *b;
    createBodies(elm, &a, &b);
    if (!usableBodies(a, b, JointKind::Rotary, elm))
        return nullptr;
    const double ratio = createValue<double>("ratio", elm);
    if (!validRatio(ratio)) {
        trace("gear joint with a zero or absurd ratio", createValue<long long>("id", elm));
        return nullptr;
    }
    return cpGearJointNew(a, b, sane(createValue<double>("phase", elm)), ratio);
}

cpConstraint* cpSpaceSerializer::createSpringJoint(TiXmlElement* elm)
{
    cpBody *a, *b;
    createBodies(elm, &a, &b);
    if (!usableBodies(a, b, JointKind::Linear, elm))
        return nullptr;
    return cpDampedSpringNew(a, b, createPoint("anchr1", elm), createPoint("anchr2", elm),
                             sane(createValue<double>("restLength", elm)),
                             saneNonNegative(createValue<double>("stiffness", elm)),
                             saneNonNegative(createValue<double>("damping", elm)));
}

cpConstraint* cpSpaceSerializer::createRotaryLimitJoint(TiXmlElement* elm)
{
    cpBody *a, *b;
    createBodies(elm, &a, &b);
    if (!usableBodies(a, b, JointKind::Rotary, elm))
        return nullptr;
    return cpRotaryLimitJointNew(a, b, sane(createValue<double>("min", elm)), sane(createValue<double>("max", elm)));
}

cpConstraint* cpSpaceSerializer::createRatchetJoint(TiXmlElement* elm)
{
    cpBody *a, *b;
    createBodies(elm, &a, &b);
    if (!usableBodies(a, b, JointKind::Rotary, elm))
        return nullptr;
    const double ratchet = createValue<double>("ratchet", elm);
    if (!validRatio(ratchet)) {
        trace("ratchet joint with a zero or absurd interval", createValue<long long>("id", elm));
        return nullptr;
    }
    cpConstraint* c = cpRatchetJointNew(a, b, sane(createValue<double>("phase", elm)), ratchet);
    cpRatchetJointSetAngle(c, sane(createValue<double>("angle", elm)));
    return c;
}

cpConstraint* cpSpaceSerializer::createRotarySpringJoint(TiXmlElement* elm)
{
    cpBody *a, *b;
    createBodies(elm, &a, &b);
    if (!usableBodies(a, b, JointKind::Rotary, elm))
        return nullptr;
    return cpDampedRotarySpringNew(a, b, sane(createValue<double>("restAngle", elm)),
                                   saneNonNegative(createValue<double>("stiffness", elm)),
                                   saneNonNegative(createValue<double>("damping", elm)));
}

cpVect cpSpaceSerializer::createPoint(const char* name, TiXmlElement* parent)
{
    TiXmlElement* elm = parent ? parent->FirstChildElement(name) : nullptr;
    if (!elm)
        return cpvzero;
    return readPoint(elm);
}
