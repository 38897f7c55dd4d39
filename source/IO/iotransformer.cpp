#include "IO/iotransformer.h"

#include "IO/textcodec.h"
#include "atomicsave.h"
#include "regularfile.h"
#include "xmlnesting.h"

#include "cpSpaceSerializer.h"

#include <rapidxml/rapidxml_print.hpp>

#include <QDebug>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>

using rapidxml::xml_attribute;
using rapidxml::xml_node;

namespace {

// The mark of one saved pair: a hash of the level's text, the same for the
// same level, so saving the same level twice writes the same bytes.
std::string saveMark(const std::string& levelText)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : levelText) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

// Adds name="value" as the last attribute of the printed document's first
// element. The printer escapes '>' in values, so the first '>' after the
// element's name closes its start tag.
bool addRootAttribute(std::string& text, const char* name, const std::string& value)
{
    std::size_t open = text.find('<');
    while (open != std::string::npos && open + 1 < text.size()
           && (text[open + 1] == '?' || text[open + 1] == '!'))
        open = text.find('<', open + 1);
    if (open == std::string::npos)
        return false;
    std::size_t close = text.find('>', open);
    if (close == std::string::npos)
        return false;
    if (text[close - 1] == '/')
        --close;
    text.insert(close, std::string(" ") + name + "=\"" + value + "\"");
    return true;
}

} // namespace

IOTransformer::IOTransformer(const std::string& fileName, EditorContext* context,
                             cpSpaceSerializer* serializer)
    : m_fileName(fileName)
    , m_serializer(serializer)
    , m_context(context)
{
}

IOTransformer::~IOTransformer() = default;

std::string IOTransformer::physicsFileName() const
{
    return m_fileName + ".phyxml";
}

xml_node<char>* IOTransformer::currentOrDocument()
{
    if (!m_current)
        m_current = &m_document;
    return m_current;
}

xml_node<char>* IOTransformer::childElement(const std::string& name) const
{
    if (!m_current)
        return nullptr;
    Cursors& cursors = m_cursors[m_current];
    auto cursor = cursors.find(name);
    xml_node<char>* start = cursor != cursors.end() ? cursor->second : m_current->first_node();
    // Text children have empty names; only elements are looked up.
    for (xml_node<char>* child = start; child; child = child->next_sibling()) {
        if (child->type() == rapidxml::node_element && child->name_size() == name.size()
            && name.compare(0, name.size(), child->name(), child->name_size()) == 0) {
            cursors[name] = child;
            return child;
        }
    }
    // None left: elements written later are appended, so the next search
    // starts from the first child again.
    if (cursor != cursors.end())
        cursors.erase(cursor);
    return nullptr;
}

void IOTransformer::removeChild(xml_node<char>* parent, xml_node<char>* child)
{
    auto found = m_cursors.find(parent);
    if (found != m_cursors.end()) {
        for (auto it = found->second.begin(); it != found->second.end();) {
            if (it->second != child) {
                ++it;
            } else if (xml_node<char>* next = child->next_sibling()) {
                it->second = next;
                ++it;
            } else {
                it = found->second.erase(it);
            }
        }
    }
    m_cursors.erase(child);
    parent->remove_node(child);
}

xml_attribute<char>* IOTransformer::attribute(const std::string& name) const
{
    if (!m_current)
        return nullptr;
    for (xml_attribute<char>* a = m_current->first_attribute(); a; a = a->next_attribute()) {
        if (std::string(a->name(), a->name_size()) == name)
            return a;
    }
    return nullptr;
}

void IOTransformer::write(IONode& node)
{
    xml_node<char>* parent = currentOrDocument();
    const std::string key = node.key();
    char* name = m_document.allocate_string(key.data(), key.size());
    xml_node<char>* element = m_document.allocate_node(rapidxml::node_element, name, nullptr,
                                                       key.size(), 0);
    parent->append_node(element);
    m_current = element;
    node.write(*this);
    m_current = parent;
}

bool IOTransformer::read(IONode& node)
{
    xml_node<char>* parent = currentOrDocument();
    xml_node<char>* element = childElement(node.key());
    if (!element)
        return false;
    m_current = element;
    node.read(*this);
    removeChild(parent, element);
    m_current = parent;
    return true;
}

void IOTransformer::writeAttribute(const std::string& name, const std::string& value)
{
    xml_node<char>* element = currentOrDocument();
    char* n = m_document.allocate_string(name.data(), name.size());
    // The one place text enters the document: what XML cannot hold is left out,
    // so no save writes a level that cannot be read again.
    const std::string safe = xmlSafeText(value);
    char* v = m_document.allocate_string(safe.data(), safe.size());
    element->append_attribute(m_document.allocate_attribute(n, v, name.size(), safe.size()));
}

void IOTransformer::writeAttributes(const Attributes& attributes)
{
    for (const auto& attribute : attributes)
        writeAttribute(attribute.first, attribute.second);
}

std::string IOTransformer::readAttribute(const std::string& name)
{
    xml_attribute<char>* a = attribute(name);
    if (!a)
        return std::string();
    // A character reference may name what XML cannot hold (&#0;): it is left
    // out here as on writing, so what is read is what a save writes.
    std::string value = xmlSafeText(std::string(a->value(), a->value_size()));
    m_current->remove_attribute(a);
    return value;
}

void IOTransformer::readAttributes(Attributes& attributes)
{
    if (!m_current)
        return;
    for (xml_attribute<char>* a = m_current->first_attribute(); a; a = a->next_attribute())
        attributes.emplace_back(std::string(a->name(), a->name_size()),
                                xmlSafeText(std::string(a->value(), a->value_size())));
    m_current->remove_all_attributes();
}

bool IOTransformer::attributeExists(const std::string& name) const
{
    return attribute(name) != nullptr;
}

bool IOTransformer::nodeExists(const std::string& name) const
{
    return childElement(name) != nullptr;
}

std::string IOTransformer::peekNextNode() const
{
    if (!m_current)
        return std::string();
    xml_node<char>* first = m_current->first_node();
    if (!first)
        return std::string();
    return std::string(first->name(), first->name_size());
}

bool IOTransformer::save(cpSpace* space)
{
    m_errorString.clear();
    AtomicSave files;
    try {
        std::string text;
        // Printing appends character by character: room for the last save (or
        // the file read) saves growing the text again and again.
        text.reserve(std::max(m_printedSize, m_buffer ? m_buffer->size() : size_t(0)));
        rapidxml::print(std::back_inserter(text), m_document, 0);
        m_printedSize = text.size() + text.size() / 8;
        if (m_serializer && space) {
            const std::string mark = saveMark(text);
            if (!mark.empty() && addRootAttribute(text, kSaveMarkAttribute, mark))
                m_serializer->setSaveMark(mark);
        }
        files.add(m_fileName, text);
    } catch (const std::exception& e) {
        m_errorString = QStringLiteral("Could not write level file %1: %2").arg(decodeText(m_fileName), decodeText(e.what()));
        qWarning("%s", qPrintable(m_errorString));
        return false;
    }
    // The level and its physics file are replaced together or not at all: one
    // without the other would not match.
    const bool physicsAdded = m_serializer && space && m_serializer->addToSave(files, space, physicsFileName().c_str());
    if (m_serializer)
        m_serializer->setSaveMark(std::string());
    if (m_serializer && space && !physicsAdded) {
        m_errorString = QStringLiteral("Could not write physics file %1").arg(decodeText(physicsFileName()));
        qWarning("%s", qPrintable(m_errorString));
        return false;
    }
    if (!files.commit()) {
        m_errorString = QStringLiteral("Could not save %1: %2").arg(decodeText(m_fileName), decodeText(files.errorString()));
        qWarning("%s", qPrintable(m_errorString));
        return false;
    }
    return true;
}

bool IOTransformer::load(cpSpace* space)
{
    m_document.clear();
    m_cursors.clear();
    m_current = nullptr;
    m_errorString.clear();
    m_levelMark.clear();
    m_physicsMark.clear();
    m_physicsLoaded = false;

    auto buffer = std::make_unique<std::string>();
    const FileRead read = readRegularFile(m_fileName, *buffer);
    if (!read.ok())
        m_errorString = decodeText(read.error);
    buffer->push_back('\0');
    // The parsed document points into the buffer, so it lives as long as we do.
    m_buffer = std::move(buffer);

    try {
        // The parser ends the document at the first NUL and would take what
        // comes before it (nothing, at the first byte) for the whole level.
        const std::size_t nul = m_buffer->find('\0');
        if (nul + 1 < m_buffer->size())
            throw rapidxml::parse_error("a NUL character, which no XML document holds",
                                        &(*m_buffer)[nul]);
        if (const char* tooDeep = xmlNestingExceeded(m_buffer->data()))
            throw rapidxml::parse_error("elements nested too deeply",
                                        const_cast<char*>(tooDeep));
        m_document.parse<0>(&(*m_buffer)[0]);
    } catch (const rapidxml::parse_error&) {
        // Leave no half-parsed tree behind for a later read.
        m_document.clear();
        m_cursors.clear();
        throw;
    } catch (const std::exception& e) {
        m_document.clear();
        m_cursors.clear();
        qWarning("Could not read level file %s: %s", m_fileName.c_str(), e.what());
        m_errorString = decodeText(e.what());
        return false;
    }
    // The mark is the transformer's own: the root's readers never see it.
    if (xml_node<char>* root = m_document.first_node()) {
        if (xml_attribute<char>* mark = root->first_attribute(kSaveMarkAttribute)) {
            m_levelMark.assign(mark->value(), mark->value_size());
            root->remove_attribute(mark);
        }
    }

    if (m_serializer && space) {
        try {
            m_serializer->load(space, physicsFileName().c_str());
            m_physicsMark = m_serializer->loadedSaveMark();
            m_physicsLoaded = true;
        } catch (const std::exception& e) {
            qWarning("Could not read physics file %s: %s", physicsFileName().c_str(), e.what());
        }
    }
    return read.ok();
}

std::string IOTransformer::rootName() const
{
    for (xml_node<char>* node = m_document.first_node(); node; node = node->next_sibling())
        if (node->type() == rapidxml::node_element)
            return std::string(node->name(), node->name_size());
    return std::string();
}
