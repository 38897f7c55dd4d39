// Level files: any bytes loaded through IOTransformer, every element and
// attribute walked, and what was walked written, saved and loaded again, which
// must give back the same tree (names and values survive printing and parsing;
// a value holding what XML cannot must at least reopen, and then keep).

#include "IO/iotransformer.h"

#include <chipmunk/chipmunk.h>

#include <QtGlobal>

#include <algorithm>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

#include "FuzzScratch.h"

namespace {

struct Tree
{
    std::string name;
    IOTransformer::Attributes attributes;
    std::vector<Tree> children;

    bool operator==(const Tree& other) const
    {
        return name == other.name && attributes == other.attributes && children == other.children;
    }
};

// Reads an element the way the level readers do: a few named lookups, then
// whatever attributes are left, then the child elements one by one.
class Walker : public IONode
{
public:
    explicit Walker(Tree* tree) : m_tree(tree) {}

    void read(IOTransformer& io) override
    {
        if (io.attributeExists("name"))
            m_tree->attributes.emplace_back("name", io.readAttribute("name"));
        io.readAttributes(m_tree->attributes);
        for (std::string next = io.peekNextNode(); !next.empty(); next = io.peekNextNode()) {
            Tree child;
            child.name = next;
            Walker walker(&child);
            if (!io.read(walker))
                break;
            m_tree->children.push_back(std::move(child));
        }
    }
    void write(IOTransformer& io) override
    {
        io.writeAttributes(m_tree->attributes);
        for (Tree& child : m_tree->children) {
            Walker walker(&child);
            io.write(walker);
        }
    }
    std::string key() override { return m_tree->name; }

private:
    Tree* m_tree;
};

// The top-level elements of a loaded file, or false when it did not parse.
bool walkFile(const std::string& path, std::vector<Tree>* roots)
{
    cpSpace* space = cpSpaceNew();
    std::unique_ptr<cpSpace, void (*)(cpSpace*)> owner(space, cpSpaceFree);
    IOTransformer io(path, nullptr, nullptr);
    try {
        io.load(space);
    } catch (const rapidxml::parse_error&) {
        return false;
    }
    // The open command's first read; it also makes the document current.
    Tree view;
    view.name = "view";
    Walker viewWalker(&view);
    if (io.read(viewWalker))
        roots->push_back(std::move(view));
    for (std::string next = io.peekNextNode(); !next.empty(); next = io.peekNextNode()) {
        Tree root;
        root.name = next;
        Walker walker(&root);
        if (!io.read(walker))
            break;
        roots->push_back(std::move(root));
    }
    return true;
}

// A control character that XML 1.0 cannot hold (NUL among them, put into a
// value by a character reference): a save may drop or replace it.
bool isUnwritable(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 && u != '\t' && u != '\n' && u != '\r';
}

bool holdsUnwritable(const std::vector<Tree>& trees)
{
    auto bad = [](const std::string& s) { return std::any_of(s.begin(), s.end(), isUnwritable); };
    for (const Tree& t : trees) {
        if (bad(t.name))
            return true;
        for (const auto& a : t.attributes)
            if (bad(a.first) || bad(a.second))
                return true;
        if (holdsUnwritable(t.children))
            return true;
    }
    return false;
}

// Writes the trees as top-level elements and saves them; false when the save fails.
bool saveTrees(const std::string& path, std::vector<Tree>& trees)
{
    IOTransformer io(path, nullptr, nullptr);
    for (Tree& root : trees) {
        Walker walker(&root);
        io.write(walker);
    }
    return io.save(nullptr);
}

std::string g_input;
std::string g_output;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const std::string dir = scratchFolder();
    g_input = dir + "/fuzz_level_in_" + std::to_string(getpid()) + ".xml";
    g_output = dir + "/fuzz_level_out_" + std::to_string(getpid()) + ".xml";
    std::atexit([] {
        std::remove(g_input.c_str());
        std::remove(g_output.c_str());
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    {
        std::ofstream file(g_input, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    std::vector<Tree> roots;
    if (!walkFile(g_input, &roots))
        return 0;

    // Every save reopens; it gives back the same tree, or, where the tree held
    // what XML cannot, one that a further save and reopen keeps as it is.
    if (!saveTrees(g_output, roots))
        std::abort();
    std::vector<Tree> again;
    if (!walkFile(g_output, &again))
        std::abort();
    if (!holdsUnwritable(roots)) {
        if (!(again == roots))
            std::abort();
        return 0;
    }
    std::vector<Tree> third;
    if (!saveTrees(g_output, again) || !walkFile(g_output, &third) || !(third == again))
        std::abort();
    return 0;
}
