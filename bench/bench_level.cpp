// Level document throughput: a level of 50,000 elements written into an
// IOTransformer, saved, loaded and walked the way the level readers walk it.
// Prints the median of several rounds for each phase.

#include "IO/iotransformer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "BenchTiming.h"

namespace {

// One view with 10 sprite sheets holding 19,989 sprites, 10,000 lines and
// 5,000 paths of three points: 50,000 elements in all.
constexpr int kSheets = 10;
constexpr int kSpritesPerSheet = 1999;
constexpr int kSpritesInLastSheet = 1998;
constexpr int kLines = 10000;
constexpr int kPaths = 5000;
constexpr int kPointsPerPath = 3;
constexpr int kRounds = 5;

std::string num(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

// Writes a fixed set of attributes and children; reading takes them back.
class Node : public IONode
{
public:
    Node(std::string key, int index) : m_key(std::move(key)), m_index(index) {}
    std::string key() override { return m_key; }

    void write(IOTransformer& io) override
    {
        if (m_key == "view") {
            io.writeAttribute("width", "1024");
            io.writeAttribute("height", "768");
            for (int s = 0; s < kSheets; ++s) {
                Node sheet("spritesheet", s);
                io.write(sheet);
            }
            for (int l = 0; l < kLines; ++l) {
                Node line("line", l);
                io.write(line);
            }
            for (int p = 0; p < kPaths; ++p) {
                Node path("path", p);
                io.write(path);
            }
        } else if (m_key == "spritesheet") {
            io.writeAttribute("plist", "sheets/sheet" + std::to_string(m_index) + ".plist");
            const int sprites = m_index == kSheets - 1 ? kSpritesInLastSheet : kSpritesPerSheet;
            for (int i = 0; i < sprites; ++i) {
                Node sprite("item", i);
                io.write(sprite);
            }
        } else if (m_key == "item") {
            io.writeAttribute("key", "[sheet.png] - frame_" + std::to_string(m_index % 64) + ".png");
            io.writeAttribute("x", num(m_index * 1.5));
            io.writeAttribute("y", num(m_index * -0.25));
            io.writeAttribute("angle", num(m_index % 360));
            io.writeAttribute("name", "sprite <" + std::to_string(m_index) + ">");
        } else if (m_key == "line") {
            io.writeAttributes({{"x1", num(m_index)}, {"y1", "0"}, {"x2", num(m_index + 10)},
                                {"y2", "5"}, {"color", "#ff8000"}});
        } else if (m_key == "path") {
            io.writeAttribute("group", "g" + std::to_string(m_index % 7));
            for (int p = 0; p < kPointsPerPath; ++p) {
                Node point("pt", p);
                io.write(point);
            }
        } else if (m_key == "pt") {
            io.writeAttribute("x", num(m_index * 3));
            io.writeAttribute("y", num(m_index * 4));
        }
    }

    void read(IOTransformer& io) override
    {
        IOTransformer::Attributes attributes;
        io.readAttributes(attributes);
        g_attributes += long(attributes.size());
        ++g_elements;
        for (const char* child : {"spritesheet", "item", "line", "path", "pt"}) {
            while (io.nodeExists(child)) {
                Node node(child, 0);
                if (!io.read(node))
                    break;
            }
        }
    }

    static long g_elements;
    static long g_attributes;

private:
    std::string m_key;
    int m_index;
};

long Node::g_elements = 0;
long Node::g_attributes = 0;

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const std::string path = dir.filePath("bench.xml").toStdString();

    std::vector<double> writeMs, saveMs, loadMs, walkMs;
    for (int round = 0; round < kRounds; ++round) {
        {
            IOTransformer io(path, nullptr, nullptr);
            Node view("view", 0);
            writeMs.push_back(milliseconds([&] { io.write(view); }));
            bool saved = false;
            saveMs.push_back(milliseconds([&] { saved = io.save(nullptr); }));
            if (!saved) {
                std::fprintf(stderr, "could not save %s\n", path.c_str());
                return 1;
            }
        }
        IOTransformer io(path, nullptr, nullptr);
        loadMs.push_back(milliseconds([&] { io.load(nullptr); }));
        Node::g_elements = 0;
        Node::g_attributes = 0;
        Node view("view", 0);
        walkMs.push_back(milliseconds([&] { io.read(view); }));
    }

    const qint64 bytes = QFileInfo(QString::fromStdString(path)).size();
    std::printf("level document: %ld elements, %ld attributes, %.1f KiB file; median of %d rounds\n",
                Node::g_elements, Node::g_attributes, bytes / 1024.0, kRounds);
    const auto report = [&](const char* phase, const std::vector<double>& ms) {
        const double m = median(ms);
        std::printf("  %-6s %8.2f ms  %10.0f elements/s\n", phase, m, Node::g_elements / (m / 1000.0));
    };
    report("write", writeMs);
    report("save", saveMs);
    report("load", loadMs);
    report("walk", walkMs);
    return Node::g_elements == 50000 ? 0 : 1;
}
