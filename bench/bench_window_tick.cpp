// The physics tick of the editor's own window against the bare engine. The
// level is built on the canvas of a KFLevelEditor (created, never shown, with
// every signal connection of the window in place) and the physics started by
// the window's physics button; each tick is then called directly and timed
// against cpSpaceStep of a twin space with the same bodies, shapes and joints,
// interleaved, at 500, 2,000, 4,000 and 8,000 bodies with a pin joint per ten.
//   tick    the canvas's tick alone (step, placement, what its signals do at once);
//   posted  the work the window queued during that tick, delivered right after;
//   raw     cpSpaceStep of the twin.
// Each is timed in processor time of the thread, so that a busy machine does
// not move the figures.
// Run a Release build: bench_window_tick [rounds]
#include <QApplication>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "KFLevelEditor.h"
#include "ui_KFLevelEditor.h"
#include "Views/EditorView.h"

#include "BenchPile.h"
#include "BenchTiming.h"

namespace {

void benchWindowTick(int bodies, int steps)
{
    KFLevelEditor window;
    EditorView* canvas = window.form().editorView;
    buildCanvasPile(*canvas, bodies);
    cpSpace* raw = buildRawPile(bodies);
    QCoreApplication::processEvents();
    // Started the user's way; the timer never fires here (no event loop runs
    // timers), the ticks are called.
    window.form().physicsButton->click();
    if (!canvas->physicsRunning()) {
        std::fprintf(stderr, "the physics button did not start the simulation\n");
        std::exit(1);
    }
    // Settled the same way first, so that the timed steps see a pile.
    for (int i = 0; i < 30; ++i) {
        canvas->tick();
        QCoreApplication::sendPostedEvents();
        cpSpaceStep(raw, EditorView::physicsStep);
    }
    std::vector<double> tick, posted, bare;
    for (int i = 0; i < steps; ++i) {
        CpuStopwatch t;
        canvas->tick();
        tick.push_back(t.ms());
        t.restart();
        QCoreApplication::sendPostedEvents();
        posted.push_back(t.ms());
        t.restart();
        cpSpaceStep(raw, EditorView::physicsStep);
        bare.push_back(t.ms());
    }
    const double c = median(tick);
    const double p = median(posted);
    const double r = median(bare);
    std::printf("window tick %5d bodies %4d joints: tick %7.3f ms  posted %7.3f ms  raw %7.3f ms"
                "  tick/raw %.2f  (tick+posted)/raw %.2f  identical: %s\n",
                bodies, bodies / 10, c, p, r, c / r, (c + p) / r, samePositions(canvas->space(), raw) ? "yes" : "NO");
    std::fflush(stdout);
    window.form().physicsButton->click();
    freeSpaceWithContents(raw);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    for (int bodies : {500, 2000, 4000, 8000})
        benchWindowTick(bodies, 20 * rounds);
    return 0;
}
