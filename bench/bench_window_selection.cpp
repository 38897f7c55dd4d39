// Whole-selection edits through the main window, shown offscreen with all its
// panels wired: select everything (as the rubber band does), Delete each
// selected sprite by its key, then Undo every deletion, at 8,000 / 16,000 /
// 32,000 sprites of one sheet; and the same delete and undo over 10,000
// sprites that each carry a group of their own. Each phase includes the panels
// settling afterwards. The baseline is the same road on a bare canvas with its
// undo stack and no window, in the same run.

#include <QApplication>
#include <QTemporaryDir>
#include <QGraphicsScene>
#include <QKeyEvent>
#include <QPainterPath>
#include <QUndoStack>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <memory>

#include "BenchTiming.h"
#include "WindowBench.h"
#include "Items/GraphicItem.h"
#include "Items/SpriteSheetItem.h"
#include "Items/item.h"
#include "KFLevelEditor.h"
#include "ui_KFLevelEditor.h"
#include "Views/EditorScene.h"
#include "Views/EditorView.h"

using namespace windowbench;

namespace {

const QString kSheet = QStringLiteral(LEVELEDITOR_BENCH_DATA_DIR "/sprites/sheet.plist");

struct Phases
{
    double select = 0;
    double remove = 0;
    double undo = 0;
};

SpriteSheetItem* sheetOn(QGraphicsScene* scene)
{
    for (QGraphicsItem* item : scene->items()) {
        if (item->type() == SpriteSheetItemType)
            return static_cast<SpriteSheetItem*>(item);
    }
    return nullptr;
}

// A square grid of sprites of the sheet's first frame, 12 units apart.
void fill(EditorView* canvas, SpriteSheetItem* sheet, int count, bool grouped)
{
    const int side = int(std::ceil(std::sqrt(double(count))));
    const QString key = makeSpriteSheetPixmapKey(sheet->imageFileName(), QStringLiteral("a.png"));
    for (int i = 0; i < count; ++i) {
        auto* sprite = new GraphicItem((i % side) * 12, (i / side) * 12, key, canvas->space(), sheet);
        if (grouped)
            sprite->setGroupId(QStringLiteral("group %1").arg(i));
    }
}

// The road of a user: a rubber band over the whole level, Delete on each
// selected sprite, then Undo as often as there were deletions.
Phases run(EditorView* canvas, QUndoStack* stack, QAction* undoAction)
{
    EditorScene* scene = canvas->editorScene();
    Phases phases;
    phases.select = milliseconds([&] {
        QPainterPath area;
        area.addRect(scene->itemsBoundingRect().adjusted(-10, -10, 10, 10));
        scene->setSelectionArea(area, Qt::ReplaceSelection, Qt::IntersectsItemShape, canvas->viewportTransform());
        settleFrame();
    });
    const QList<QGraphicsItem*> selected = scene->selectedItems();
    phases.remove = milliseconds([&] {
        for (QGraphicsItem* item : selected) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
            scene->sendEvent(item, &press);
        }
        settleFrame();
    });
    const int commands = stack->index();
    phases.undo = milliseconds([&] {
        for (int i = 0; i < commands; ++i) {
            if (undoAction)
                undoAction->trigger();
            else
                stack->undo();
        }
        settleFrame();
    });
    return phases;
}

Phases throughWindow(int count, bool grouped)
{
    auto window = std::make_unique<KFLevelEditor>();
    showWindow(*window);
    window->addSpriteSheet(kSheet);
    EditorView* canvas = window->form().editorView;
    fill(canvas, sheetOn(canvas->editorScene()), count, grouped);
    settleFrame();
    const Phases phases = run(canvas, window->undoStack(), window->form().actionUndo);
    window.reset();
    settleFrame();
    return phases;
}

Phases onBareCanvas(int count, bool grouped)
{
    EditorContext context;
    auto canvas = std::make_unique<EditorView>();
    context.view = canvas.get();
    canvas->setContext(&context);
    auto* sheet = new SpriteSheetItem(kSheet);
    canvas->editorScene()->addItem(sheet);
    fill(canvas.get(), sheet, count, grouped);
    const Phases phases = run(canvas.get(), context.undoStack, nullptr);
    canvas->clearAll();
    canvas.reset();
    settleFrame();
    return phases;
}

void report(const char* what, int count, const Phases& window, const Phases& bare)
{
    std::printf("%-26s %6d  select %9.1f ms (bare %8.1f)  delete %9.1f ms (bare %8.1f)  undo %9.1f ms (bare %8.1f)\n",
                what, count, window.select, bare.select, window.remove, bare.remove, window.undo, bare.undo);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir scratch;
    prepareProcess(scratch.filePath(QStringLiteral("settings")));
    dropDebugOutput();
    Q_INIT_RESOURCE(images);
    QApplication app(argc, argv);

    std::printf("window = KFLevelEditor shown offscreen; bare = the canvas and its undo stack alone\n");
    if (argc > 1) {
        // One size only, as given, with and without groups.
        const int count = std::max(1, std::atoi(argv[1]));
        report("sprites of one sheet", count, throughWindow(count, false), onBareCanvas(count, false));
        report("sprites, a group each", count, throughWindow(count, true), onBareCanvas(count, true));
        return 0;
    }
    const Phases* previous = nullptr;
    Phases last;
    for (int count : {8000, 16000, 32000}) {
        const Phases bare = onBareCanvas(count, false);
        const Phases window = throughWindow(count, false);
        report("sprites of one sheet", count, window, bare);
        if (previous) {
            std::printf("%-26s %6s  select %8.2fx per doubling, delete %8.2fx, undo %8.2fx\n", "", "",
                        window.select / previous->select, window.remove / previous->remove,
                        window.undo / previous->undo);
        }
        last = window;
        previous = &last;
    }
    const int groups = 10000;
    const Phases bare = onBareCanvas(groups, true);
    const Phases window = throughWindow(groups, true);
    report("sprites, a group each", groups, window, bare);
    return 0;
}
