#ifndef CPSPACESERIALIZER_H
#define CPSPACESERIALIZER_H

// Writes a Chipmunk space to the physics file ("space" document) and reads it
// back. The file format is the Chipmunk 6 one: shape layers, clockwise
// polygons and a bias coefficient per constraint; the mapping onto Chipmunk 7
// lives in the writer and reader, see cpCompat.h for the vocabulary.

#include <chipmunk/chipmunk.h>
#include <tinyxml.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

class AtomicSave;
struct JointKind;

// The root attribute through which a level and its physics file name the save
// that wrote them, so that a pair torn by a save cut short between its renames
// is seen on the next open. Readers of the files ignore it.
constexpr const char* kSaveMarkAttribute = "saveMark";

// Callbacks through which the owner of a space chooses the ids written to the
// file and is asked whether each object read from it is kept. The default ids
// are the objects' addresses; the default answers are all true.
class cpSpaceSerializerDelegate
{
public:
    virtual long long makeId(cpShape* shape) { return static_cast<long long>(reinterpret_cast<std::intptr_t>(shape)); }
    virtual long long makeId(cpBody* body) { return static_cast<long long>(reinterpret_cast<std::intptr_t>(body)); }
    virtual long long makeId(cpConstraint* constraint) { return static_cast<long long>(reinterpret_cast<std::intptr_t>(constraint)); }

    // Told of each object as it is written; the answer is not used.
    virtual bool writing(cpShape*, long long) { return true; }
    virtual bool writing(cpBody*, long long) { return true; }
    virtual bool writing(cpConstraint*, long long) { return true; }

    // Asked after an object is built from the file and before it goes into the
    // space; false makes the serializer free it.
    virtual bool reading(cpShape*, long long) { return true; }
    virtual bool reading(cpBody*, long long) { return true; }
    virtual bool reading(cpConstraint*, long long) { return true; }
    // Asked after reading() kept a constraint that stays outside the space
    // (saved so, or not solvable between its bodies): true when the delegate
    // holds it and frees it itself, false makes the serializer free it.
    virtual bool holdsOutside(cpConstraint*, long long) { return false; }
};

class cpSpaceSerializer
{
public:
    cpSpaceSerializer();
    explicit cpSpaceSerializer(cpSpaceSerializerDelegate* delegate);
    // Frees the maps and the document only; never the space, its objects or the delegate.
    ~cpSpaceSerializer();

    cpSpaceSerializer(const cpSpaceSerializer&) = delete;
    cpSpaceSerializer& operator=(const cpSpaceSerializer&) = delete;

    // Loads the file into a new space made with cpSpaceNew().
    cpSpace* load(const char* filename);
    // Loads the file into the given space and returns it. A missing, unreadable
    // or malformed file, or one without "space", leaves space and maps unchanged.
    cpSpace* load(cpSpace* space, const char* filename);
    // True when the last load met a file with content that it could not read;
    // a missing or empty file is no failure, there is nothing in it to lose.
    bool lastLoadFailed() const { return m_loadFailed; }
    // Why the last load failed, in words a user can read; empty when it did not.
    const std::string& lastLoadError() const { return m_loadError; }
    // The save mark of the file last loaded ("" for a file without one).
    const std::string& loadedSaveMark() const { return m_loadedSaveMark; }
    // Written on the root of every file saved from now on; "" writes none.
    void setSaveMark(const std::string& mark) { m_saveMark = mark; }
    // Constraints the owner holds outside the space, written by every save from
    // now on after the space's own, in this order, marked "rogue" so that they
    // are read back outside it. One in the space, or whose bodies reach the file
    // through no shape (it could not be read back), is left out.
    void setOutsideConstraints(std::vector<cpConstraint*> constraints) { m_outsideConstraints = std::move(constraints); }

    // Writes the space to filename through a temporary file beside it that is
    // renamed over the target, so a failed write leaves the old file intact.
    // False when the file could not be written.
    bool save(cpSpace* space, const char* filename);
    // Prints the space into the document and adds filename to the group of
    // files saved together; the serializer must outlive the group's commit.
    // False (nothing added) without a space or a name.
    bool addToSave(AtomicSave& files, cpSpace* space, const char* filename);

    // Shape ids of the last load, mapped to the new shapes (null for refused ones).
    std::map<long long, cpShape*>& shapeMap() { return m_shapeMap; }

    virtual cpShape* createShape(TiXmlElement* elm);
    virtual cpConstraint* createConstraint(TiXmlElement* elm);
    virtual TiXmlElement* createShapeElm(cpShape* shape);
    virtual TiXmlElement* createConstraintElm(cpConstraint* constraint);

    // Writer helpers: the "shape" element with its type and kind children, the
    // "body" element, the constraint element with its type and kind children,
    // and a point element.
    TiXmlElement* createCircleElm(cpShape* shape);
    TiXmlElement* createSegmentElm(cpShape* shape);
    TiXmlElement* createPolyElm(cpShape* shape);
    TiXmlElement* createBodyElm(cpBody* body);
    // The constraint element of a joint of the kind, its values in the kind's order.
    TiXmlElement* createJointElm(const JointKind& kind, cpConstraint* constraint);
    TiXmlElement* createPointElm(const char* name, cpVect point);

    // Reader helpers.
    cpBody* createBody(TiXmlElement* shapeElm);
    void createBodies(TiXmlElement* constraintElm, cpBody** a, cpBody** b);
    cpShape* createCircle(TiXmlElement* elm);
    cpShape* createSegment(TiXmlElement* elm);
    cpShape* createPoly(TiXmlElement* elm);
    // A joint of the kind from its element; null when its bodies or values are refused.
    cpConstraint* createJoint(const JointKind& kind, TiXmlElement* elm);
    cpVect createPoint(const char* name, TiXmlElement* parent);

protected:
    cpSpaceSerializerDelegate* m_delegate;
    TiXmlDocument m_doc;
    cpSpace* m_space;
    std::map<long long, cpBody*> m_bodyMap;
    std::map<long long, cpShape*> m_shapeMap;

private:
    bool m_loadFailed = false;
    std::string m_loadError;
    std::string m_loadedSaveMark;
    std::string m_saveMark;
    std::vector<cpConstraint*> m_outsideConstraints;
    // Bodies built during the current load, so that a body left without any
    // shape (all refused or invalid) can be taken out and freed again.
    std::vector<cpBody*> m_loadedBodies;
};

#endif // CPSPACESERIALIZER_H
