// Side-by-side timings of the canvas against the bare engine:
//   tick      one canvas tick (step and every item placed) against cpSpaceStep
//             of a bit-identical space without items, at 500, 2,000 and 4,000
//             bodies with a pin joint per ten bodies, piled in a static box;
//   teardown  clearAll() of 8,000 bodies with 800 joints against building them;
//   read      a level of 20,000 "line" and 20,000 "path" elements read kind by
//             kind, interleaved in the file against grouped;
//   hostile   a physics file with 100,000 attributes on one element refused,
//             and a polygon shape item of 100,000 vertices built;
//   parts     (only when asked) the tick taken apart: the canvas's step alone,
//             the items placed alone, the twin, and a twin allocated between
//             the items of another canvas.
// Ticks and steps are timed in processor time of the thread (a busy machine
// does not move them), the rest on the wall clock.
// Run a Release build: bench_canvas [rounds [tick|teardown|read|hostile|parts]]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGraphicsScene>
#include <QLineF>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "IO/iotransformer.h"
#include "Items/CircleShapeItem.h"
#include "Items/JointItems.h"
#include "Items/PolyShapeItem.h"
#include "Tools/ShapeTools.h"
#include "Views/EditorView.h"
#include "cpCompat.h"
#include "cpSpaceSerializer.h"

#include "BenchPile.h"
#include "BenchTiming.h"

namespace {

const double kStep = EditorView::physicsStep;

double msSince(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

void benchTick(int bodies, int steps)
{
    EditorView view;
    buildCanvasPile(view, bodies);
    cpSpace* raw = buildRawPile(bodies);
    QCoreApplication::processEvents();
    // As the editor runs it; the timer never fires here, the ticks are called.
    view.startPhysics();
    // Settle both the same way first, so that the timed steps see a pile.
    for (int i = 0; i < 30; ++i) {
        view.tick();
        cpSpaceStep(raw, kStep);
    }
    std::vector<double> canvas, bare;
    for (int i = 0; i < steps; ++i) {
        CpuStopwatch t;
        view.tick();
        canvas.push_back(t.ms());
        t.restart();
        cpSpaceStep(raw, kStep);
        bare.push_back(t.ms());
    }
    const double c = median(canvas);
    const double r = median(bare);
    std::printf("tick     %5d bodies %4d joints: canvas %7.3f ms  raw %7.3f ms  ratio %.2f\n", bodies,
                (bodies + 9) / 10, c, r, c / r);
    view.stopPhysics();
    freeSpaceWithContents(raw);
}

// Where a tick's time goes: the step of the canvas's space alone, the items
// placed alone, and the twin stepped, in one run; plus a twin whose bodies and
// shapes were allocated between the items of another canvas, as the editor's
// are, to see whether their place in memory slows the step.
void benchTickParts(int bodies, int steps)
{
    EditorView view;
    buildCanvasPile(view, bodies);
    cpSpace* raw = buildRawPile(bodies);
    // The twin built between the items of a second canvas.
    EditorView other;
    cpSpace* interleaved = cpSpaceNew();
    cpSpaceSetIterations(interleaved, 25);
    cpSpaceSetGravity(interleaved, cpv(0, -10));
    cpSpaceSetDamping(interleaved, 0.98);
    addBox(interleaved);
    {
        std::vector<cpBody*> made;
        for (int i = 0; i < bodies; ++i) {
            const cpVect p = pileSlot(i);
            cpShape* shape = i % 2 == 0 ? CircleTool::createDefaultShape(interleaved, p)
                                        : PolyTool::createDefaultShape(interleaved, p);
            made.push_back(cpShapeGetBody(shape));
            QGraphicsItem* item;
            if (i % 2 == 0)
                item = new CircleShapeItem(other.space(), CircleTool::createDefaultShape(other.space(), p), nullptr);
            else
                item = new PolyShapeItem(other.space(), PolyTool::createDefaultShape(other.space(), p), nullptr);
            other.scene()->addItem(item);
            dynamic_cast<ShapeItem*>(item)->adjust();
        }
        for (int i = 0; i + 1 < bodies; i += 10)
            cpSpaceAddConstraint(interleaved, cpPinJointNew(made[i], made[i + 1], cpvzero, cpvzero));
    }
    // The same canvas with its bodies and shapes made before its items.
    EditorView read;
    buildCanvasPile(read, bodies, true);
    std::vector<ShapeItem*> shapes;
    std::vector<ConstraintItem*> joints;
    for (QGraphicsItem* item : view.scene()->items()) {
        if (auto* s = dynamic_cast<ShapeItem*>(item))
            shapes.push_back(s);
        else if (auto* j = dynamic_cast<ConstraintItem*>(item))
            joints.push_back(j);
    }
    QCoreApplication::processEvents();
    view.startPhysics();
    for (int i = 0; i < 30; ++i) {
        view.tick();
        cpSpaceStep(raw, kStep);
        cpSpaceStep(interleaved, kStep);
        cpSpaceStep(read.space(), kStep);
    }
    std::vector<double> tick, step, placeShapes, placeJoints, bare, inter, readStep;
    for (int i = 0; i < steps; ++i) {
        CpuStopwatch t;
        if (i % 2 == 0) {
            view.tick();
            tick.push_back(t.ms());
        } else {
            cpSpaceStep(view.space(), kStep);
            step.push_back(t.ms());
            t.restart();
            for (ShapeItem* s : shapes)
                s->adjust();
            placeShapes.push_back(t.ms());
            t.restart();
            for (ConstraintItem* j : joints)
                j->adjust();
            placeJoints.push_back(t.ms());
        }
        t.restart();
        cpSpaceStep(raw, kStep);
        bare.push_back(t.ms());
        t.restart();
        cpSpaceStep(interleaved, kStep);
        inter.push_back(t.ms());
        t.restart();
        cpSpaceStep(read.space(), kStep);
        readStep.push_back(t.ms());
    }
    std::printf("parts    %5d bodies: tick %6.3f = step %6.3f + shapes placed %6.3f + joints placed %6.3f ms;  raw %6.3f, interleaved raw %6.3f,"
                " shapes-first canvas step %6.3f ms  (identical: %s)\n",
                bodies, median(tick), median(step), median(placeShapes), median(placeJoints), median(bare), median(inter), median(readStep),
                samePositions(view.space(), raw) && samePositions(raw, interleaved) && samePositions(raw, read.space())
                    ? "yes"
                    : "NO");
    view.stopPhysics();
    freeSpaceWithContents(raw);
    freeSpaceWithContents(interleaved);
}

void benchTeardown(int bodies)
{
    EditorView view;
    QElapsedTimer t;
    t.start();
    buildCanvasPile(view, bodies);
    const double build = msSince(t);
    // The scene polishes new items from the event loop, as it does once a level
    // is shown; until then each item taken out searches the list of unpolished ones.
    t.restart();
    QCoreApplication::processEvents();
    const double polish = msSince(t);
    t.restart();
    view.clearAll();
    const double teardown = msSince(t);
    view.init();
    std::printf("teardown %5d bodies %4d joints: build %7.1f ms (+ %.1f ms polish)  clearAll %7.1f ms  ratio %.2f\n",
                bodies, (bodies + 9) / 10, build, polish, teardown, teardown / build);
}

// An element of one kind with a few attributes, as lines and paths carry.
class Element : public IONode
{
public:
    Element(const char* kind, int id) : m_kind(kind), m_id(id) {}
    void write(IOTransformer& io) override
    {
        io.writeAttribute("id", std::to_string(m_id));
        io.writeAttribute("x", "12.5");
        io.writeAttribute("y", "-3");
    }
    void read(IOTransformer& io) override { m_read = io.readAttribute("id"); }
    std::string key() override { return m_kind; }

private:
    const char* m_kind;
    int m_id;
    std::string m_read;
};

class Root : public IONode
{
public:
    explicit Root(bool interleaved, int each) : m_interleaved(interleaved), m_each(each) {}
    void write(IOTransformer& io) override
    {
        for (int i = 0; i < m_each * 2; ++i) {
            const bool line = m_interleaved ? i % 2 == 0 : i < m_each;
            Element e(line ? "line" : "path", i);
            io.write(e);
        }
    }
    // Kind by kind, as the canvas reads its root element.
    void read(IOTransformer& io) override
    {
        for (const char* kind : {"line", "path"}) {
            while (io.nodeExists(kind)) {
                Element e(kind, 0);
                io.read(e);
                ++count;
            }
        }
    }
    std::string key() override { return "view"; }
    int count = 0;

private:
    bool m_interleaved;
    int m_each;
};

double readLevel(const std::string& path, bool interleaved, int each)
{
    {
        IOTransformer out(path, nullptr, nullptr);
        Root root(interleaved, each);
        out.write(root);
        if (!out.save(nullptr)) {
            std::fprintf(stderr, "could not save %s\n", path.c_str());
            std::exit(1);
        }
    }
    IOTransformer in(path, nullptr, nullptr);
    in.load(nullptr);
    Root root(interleaved, each);
    QElapsedTimer t;
    t.start();
    in.read(root);
    const double ms = msSince(t);
    if (root.count != 2 * each) {
        std::fprintf(stderr, "read %d of %d elements\n", root.count, 2 * each);
        std::exit(1);
    }
    return ms;
}

void benchRead(int each, int rounds)
{
    const std::string path = "/tmp/bench_canvas_level.xml";
    std::vector<double> grouped, interleaved;
    for (int i = 0; i < rounds; ++i) {
        grouped.push_back(readLevel(path, false, each));
        interleaved.push_back(readLevel(path, true, each));
    }
    std::remove(path.c_str());
    std::remove((path + ".phyxml").c_str());
    const double g = median(grouped);
    const double m = median(interleaved);
    std::printf("read     %5d lines %5d paths: grouped %7.2f ms  interleaved %7.2f ms  ratio %.2f\n", each, each,
                g, m, m / g);
}

void benchHostile()
{
    const int count = 100000;
    std::string text = "<space><a";
    for (int i = 0; i < count; ++i)
        text += " a" + std::to_string(i) + "=\"1\"";
    text += "/></space>";
    const std::string path = QDir::temp().filePath(QStringLiteral("bench_attributes.phyxml")).toStdString();
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), out);
        std::fclose(out);
    }
    cpSpace* space = cpSpaceNew();
    QElapsedTimer t;
    t.start();
    {
        cpSpaceSerializer serializer;
        serializer.load(space, path.c_str());
    }
    const double refused = msSince(t);
    std::remove(path.c_str());

    std::vector<cpVect> clockwise(count);
    for (int i = 0; i < count; ++i) {
        const double angle = -6.283185307179586 * i / count;
        clockwise[size_t(i)] = cpv(1000 * std::cos(angle), 1000 * std::sin(angle));
    }
    cpBody* body = cpSpaceAddBody(space, cpBodyNew(1, 1));
    cpShape* shape = cpSpaceAddShape(space, newClockwisePolyShape(body, count, clockwise.data()));
    t.restart();
    auto* polygon = new PolyShapeItem(space, shape, nullptr);
    const double built = msSince(t);
    delete polygon;
    freeSpaceWithContents(space);
    std::printf("hostile  %d attributes on one element refused %7.1f ms;  %d-vertex polygon built %7.1f ms\n",
                count, refused, count, built);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    // A second argument runs one part only: tick, teardown, read, hostile or parts.
    const std::string only = argc > 2 ? argv[2] : "";
    if (only.empty() || only == "tick") {
        for (int bodies : {500, 2000, 4000})
            benchTick(bodies, 20 * rounds);
    }
    if (only == "parts") {
        for (int bodies : {500, 2000, 4000})
            benchTickParts(bodies, 20 * rounds);
    }
    if (only.empty() || only == "teardown")
        benchTeardown(8000);
    if (only.empty() || only == "read")
        benchRead(20000, rounds);
    if (only.empty() || only == "hostile")
        benchHostile();
    return 0;
}
