// Live physics in the main window, shown offscreen (1600x1000) with every
// signal connection in place, started with the window's physics button:
//   ticks/s   ticks the window manages in two seconds of its own event loop
//             (its timer asks for 60), at 500 / 2,000 / 4,000 / 8,000 bodies
//             with a pin joint per ten bodies, piled in a static box;
//   frame     one tick as the window's timer delivers it, plus everything the
//             window then does until the next frame (posted updates, panels,
//             the paint), and the same up to the paint, against the canvas's
//             bare tick of the same space in the same run;
//   paint     one repaint of the canvas showing 4,000 bodies and 10,000 sprites
//             whole, against the scene rendered into an image of the same size.
// Run a Release build: bench_window_live [frames [bodies]]
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGraphicsScene>
#include <QImage>
#include <QLineF>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTimerEvent>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "BenchPile.h"
#include "BenchTiming.h"
#include "WindowBench.h"
#include "Items/CircleShapeItem.h"
#include "Items/GraphicItem.h"
#include "Items/JointItems.h"
#include "Items/PolyShapeItem.h"
#include "Items/SpriteSheetItem.h"
#include "Items/item.h"
#include "KFLevelEditor.h"
#include "ui_KFLevelEditor.h"
#include "Tools/ShapeTools.h"
#include "Views/EditorScene.h"
#include "Views/EditorView.h"

using namespace windowbench;

namespace {

const QString kSheet = QStringLiteral(LEVELEDITOR_BENCH_DATA_DIR "/sprites/sheet.plist");

// Counts the deliveries of one timer to one object.
class TimerCounter : public QObject
{
public:
    TimerCounter(QObject* watched, int timerId)
        : m_timerId(timerId)
    {
        watched->installEventFilter(this);
    }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Timer && static_cast<QTimerEvent*>(event)->timerId() == m_timerId)
            ++count;
        return false;
    }

private:
    int m_timerId;
};

// The canvas's physics timer: the one the physics button started.
int physicsTimer(EditorView* canvas, const QList<QAbstractEventDispatcher::TimerInfo>& before)
{
    for (const auto& timer : QAbstractEventDispatcher::instance()->registeredTimers(canvas)) {
        bool old = false;
        for (const auto& b : before)
            old = old || b.timerId == timer.timerId;
        if (!old)
            return timer.timerId;
    }
    return 0;
}

// Starts the canvas's physics by the given click and answers its timer.
int startedTimer(EditorView* canvas, const std::function<void()>& start)
{
    const auto before = QAbstractEventDispatcher::instance()->registeredTimers(canvas);
    start();
    return canvas->physicsRunning() ? physicsTimer(canvas, before) : 0;
}

// Frames driven by hand, so that the real timer's own ticks do not mix in:
// the timer event as the event loop delivers it, then everything until idle.
// Also the bare tick of the same canvas, interleaved.
void frameCosts(EditorView* canvas, int timerId, int frames, double* frame, double* bare)
{
    std::vector<double> framed, ticked;
    for (int i = 0; i < 20; ++i) {
        QTimerEvent tick(timerId);
        QCoreApplication::sendEvent(canvas, &tick);
        settleFrame();
    }
    for (int i = 0; i < frames; ++i) {
        framed.push_back(milliseconds([&] {
            QTimerEvent tick(timerId);
            QCoreApplication::sendEvent(canvas, &tick);
            settleFrame();
        }));
        ticked.push_back(milliseconds([&] { canvas->tick(); }));
        settleFrame();
    }
    *frame = median(framed);
    *bare = median(ticked);
}

void benchLive(int bodies, int frames)
{
    auto window = std::make_unique<KFLevelEditor>();
    showWindow(*window);
    EditorView* canvas = window->form().editorView;
    buildCanvasPile(*canvas, bodies);
    settleFrame();
    const int timerId = startedTimer(canvas, [&] { window->form().physicsButton->click(); });
    if (timerId == 0) {
        std::printf("live %5d bodies: the physics button did not start the simulation\n", bodies);
        return;
    }
    double frame = 0, bare = 0;
    frameCosts(canvas, timerId, frames, &frame, &bare);

    // The window left to its own event loop for two seconds.
    TimerCounter counter(canvas, timerId);
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    loop.exec();
    const double perSecond = counter.count * 1000.0 / double(clock.elapsed());
    const QSize viewportSize = canvas->viewport()->size();
    const QTransform shown = canvas->transform();
    const QGraphicsView::ViewportUpdateMode updateMode = canvas->viewportUpdateMode();
    window->form().physicsButton->click();
    window.reset();
    settleFrame();

    // The canvas alone, its viewport as large as the window's and updated the
    // window's way, the same pile.
    double aloneFrame = 0, aloneBare = 0;
    {
        EditorContext context;
        EditorView alone;
        context.view = &alone;
        alone.setContext(&context);
        alone.setTransform(shown);
        alone.setViewportUpdateMode(updateMode);
        alone.resize(viewportSize + (alone.size() - alone.viewport()->size()));
        alone.show();
        buildCanvasPile(alone, bodies);
        settleFrame();
        const int aloneTimer = startedTimer(&alone, [&] { alone.startPhysics(); });
        frameCosts(&alone, aloneTimer, frames, &aloneFrame, &aloneBare);
        alone.stopPhysics();
        alone.clearAll();
    }
    settleFrame();

    std::printf("live %5d bodies %4d joints: %6.1f ticks/s (timer asks for %.0f)  frame %7.2f ms"
                "  canvas alone %7.2f ms  bare tick %6.2f ms  window/alone %5.2f\n",
                bodies, bodies / 10, perSecond, 1000.0 / EditorView::physicsInterval, frame, aloneFrame, bare,
                frame / aloneFrame);
    std::fflush(stdout);
}

void benchPaint(int rounds)
{
    auto window = std::make_unique<KFLevelEditor>();
    showWindow(*window);
    EditorView* canvas = window->form().editorView;
    buildCanvasPile(*canvas, 4000);
    window->addSpriteSheet(kSheet);
    SpriteSheetItem* sheet = nullptr;
    for (QGraphicsItem* item : canvas->editorScene()->items()) {
        if (item->type() == SpriteSheetItemType)
            sheet = static_cast<SpriteSheetItem*>(item);
    }
    const QString key = makeSpriteSheetPixmapKey(sheet->imageFileName(), QStringLiteral("a.png"));
    for (int i = 0; i < 10000; ++i)
        new GraphicItem(-900 + (i % 100) * 18, 20 + (i / 100) * 18, key, canvas->space(), sheet);
    settleFrame();
    const QRectF whole = canvas->editorScene()->itemsBoundingRect();
    canvas->fitInView(whole, Qt::KeepAspectRatio);
    settleFrame();

    QWidget* viewport = canvas->viewport();
    QImage image(viewport->size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> shown, rendered;
    for (int i = 0; i < rounds; ++i) {
        shown.push_back(milliseconds([&] { viewport->repaint(); }));
        rendered.push_back(milliseconds([&] {
            QPainter painter(&image);
            canvas->editorScene()->render(&painter, QRectF(image.rect()), canvas->mapToScene(viewport->rect()).boundingRect());
        }));
    }
    std::printf("paint 4000 bodies + 10000 sprites (%dx%d viewport): %7.2f ms  scene rendered to an image %7.2f ms\n",
                viewport->width(), viewport->height(), median(shown), median(rendered));
    window.reset();
    settleFrame();
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir scratch;
    prepareProcess(scratch.filePath(QStringLiteral("settings")));
    dropDebugOutput();
    Q_INIT_RESOURCE(images);
    QApplication app(argc, argv);
    const int frames = argc > 1 ? std::max(5, std::atoi(argv[1])) : 60;
    if (argc > 2) {
        benchLive(std::max(1, std::atoi(argv[2])), frames);
        return 0;
    }
    for (int bodies : {500, 2000, 4000, 8000})
        benchLive(bodies, frames);
    benchPaint(7);
    return 0;
}
