#ifndef IOTRANSFORMER_H
#define IOTRANSFORMER_H

#include <rapidxml/rapidxml.hpp>

#include <QString>

#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

typedef struct cpSpace cpSpace;
class cpSpaceSerializer;
class EditorContext;
class IOTransformer;

// Everything stored in a level file. key() names the element the object is
// written under and looked up by; read and write are called by the transformer
// only, while the object's own element is the current one.
class IONode
{
public:
    virtual ~IONode() {}
    virtual void read(IOTransformer& transformer) = 0;
    virtual void write(IOTransformer& transformer) = 0;
    virtual std::string key() = 0;
};

// The level document of one save or one open.
//
// A current element moves down into a node's element while that node reads or
// writes, and back up afterwards. Reading consumes: every element and attribute
// taken is removed, so reading one name again yields the next like-named sibling.
//
// Save road: write(root), then save(space). Open road: load(space), then read(root).
// Names are compared case-sensitively.
class IOTransformer
{
public:
    typedef std::vector<std::pair<std::string, std::string>> Attributes;

    // Neither the context nor the serializer is owned; the serializer may be null,
    // in which case save and load touch the level file only.
    IOTransformer(const std::string& fileName, EditorContext* context, cpSpaceSerializer* serializer);
    ~IOTransformer();

    IOTransformer(const IOTransformer&) = delete;
    IOTransformer& operator=(const IOTransformer&) = delete;

    // Appends an element named node.key() under the current element and lets the
    // node fill it.
    void write(IONode& node);
    // Finds the first child element named node.key(), lets the node read it, then
    // removes it. False, with nothing changed, when there is none.
    bool read(IONode& node);

    void writeAttribute(const std::string& name, const std::string& value);
    void writeAttributes(const Attributes& attributes);
    // The attribute's value ("" when absent); the attribute is removed.
    std::string readAttribute(const std::string& name);
    // Appends every remaining attribute in document order, then removes them all.
    void readAttributes(Attributes& attributes);

    // Both false before the first read or write, when there is no current element.
    bool attributeExists(const std::string& name) const;
    bool nodeExists(const std::string& name) const;
    // Name of the current element's first child node ("" for a text child or none).
    std::string peekNextNode() const;

    cpSpaceSerializer* physics_io() const { return m_serializer; }
    EditorContext* context() const { return m_context; }

    // Writes the level file and, with a serializer and a space, its physics
    // file as one step: both are replaced, or (on false) both stay as they were
    // and errorString() says why. Such a pair carries one save mark on both
    // root elements.
    bool save(cpSpace* space);
    // Why the last save failed; empty after a successful one.
    const QString& errorString() const { return m_errorString; }
    // Parses the level file, then loads the physics file into the space.
    // False, with an empty document and errorString() saying why, when the
    // level file is missing or cannot be read (not a regular file, too large,
    // no permission); the physics file is loaded all the same. A NUL byte or
    // malformed markup throws rapidxml::parse_error, leaving the document
    // empty and the physics file unread.
    bool load(cpSpace* space);
    // After a load: the name of the document's first element ("" for none),
    // and whether the level file was empty (0 bytes).
    std::string rootName() const;
    bool loadedEmptyFile() const { return m_buffer && m_buffer->size() <= 1; }
    // After a load with a serializer and a space: false when the level and the
    // physics file beside it were not written by the same save (one that was
    // cut short between its two renames). Files written before saves were
    // marked always match.
    bool physicsMatches() const { return !m_physicsLoaded || m_levelMark == m_physicsMark; }

private:
    // The level file's full name followed by ".phyxml".
    std::string physicsFileName() const;
    rapidxml::xml_node<char>* currentOrDocument();
    rapidxml::xml_node<char>* childElement(const std::string& name) const;
    // Takes a child element out of the current element, keeping the lookup
    // cursors of its siblings on remaining children.
    void removeChild(rapidxml::xml_node<char>* parent, rapidxml::xml_node<char>* child);
    rapidxml::xml_attribute<char>* attribute(const std::string& name) const;

    // Per element, per name: a child from which on the first remaining child of
    // that name is found (none comes before it). Reading consumes in document
    // order, so a level whose kinds are interleaved is still read in one pass
    // per kind instead of one scan from the first child per element.
    typedef std::unordered_map<std::string, rapidxml::xml_node<char>*> Cursors;
    mutable std::unordered_map<const rapidxml::xml_node<char>*, Cursors> m_cursors;

    std::string m_fileName;
    QString m_errorString;
    size_t m_printedSize = 0;
    std::unique_ptr<std::string> m_buffer;
    // Save marks of the loaded level and physics file ("" for none).
    std::string m_levelMark;
    std::string m_physicsMark;
    bool m_physicsLoaded = false;
    rapidxml::xml_document<char> m_document;
    rapidxml::xml_node<char>* m_current = nullptr;
    cpSpaceSerializer* m_serializer;
    EditorContext* m_context;
};

#endif // IOTRANSFORMER_H
