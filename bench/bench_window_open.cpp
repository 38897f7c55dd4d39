// Opening, saving and clearing levels through the main window, as a user does:
// the window's Open (KFLevelEditor::openFile) of generated level and physics
// files, its Save button and its Clear button.
//
// Figures, each beside a baseline of the same run:
// - open and save of 12,000 / 24,000 / 48,000 / 96,000 mixed items (sprites,
//   bodies, lines, polygons, paths), beside the XML parse of the same two files
//   alone and the ratio to the size before;
// - open of a chain of 8,000 physics segments whose ends join, beside the same
//   8,000 segments lying apart, and the chain of 4,000;
// - Clear after 50,000 static shapes, beside Clear after 50,000 shapes on bodies
//   of their own, and after 25,000 static shapes.
// The open includes what it leaves to the event loop (deferred deletions, the
// scene's index) and a first hit test on an empty spot of the canvas.

#include <QApplication>
#include <QMetaObject>
#include <QTemporaryDir>

#include <tinyxml.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "IO/iotransformer.h"
#include "KFLevelEditor.h"
#include "LevelFileController.h"
#include "ui_KFLevelEditor.h"
#include "Views/EditorView.h"
#include "WindowBench.h"

namespace {

using namespace windowbench;

void clearLevel(KFLevelEditor& window)
{
    window.levelFiles().clearLevel();
    settle();
}

// Open of an already cleared window: what the user waits for after choosing a file.
double timeOpen(KFLevelEditor& window, const QString& path)
{
    clearLevel(window);
    return milliseconds([&] {
        window.openFile(path);
        settle();
        window.form().editorView->editorScene()->items(QPointF(-50000, -50000));
    });
}

double timeParse(const QString& path)
{
    return milliseconds([&] {
        IOTransformer level(QFile::encodeName(path).toStdString(), nullptr, nullptr);
        level.load(nullptr);
        TiXmlDocument physics;
        physics.LoadFile(QFile::encodeName(path + QStringLiteral(".phyxml")).toStdString());
    });
}

double timeSave(KFLevelEditor& window)
{
    return milliseconds([&] { window.levelFiles().save(); });
}

void openAndSaveMixed(KFLevelEditor& window, QTemporaryDir& dir, const QString& sprite)
{
    std::printf("Open and save of mixed levels (median of the rounds, ms)\n");
    std::printf("%8s %10s %12s %10s %14s\n", "items", "open", "parse alone", "save", "open / half");
    double previous = 0;
    for (int items : {12000, 24000, 48000, 96000}) {
        const QString path = dir.filePath(QStringLiteral("mixed%1.kfml").arg(items));
        writeMixedLevel(path, sprite, items);
        const int rounds = items <= 24000 ? 3 : 1;
        std::vector<double> opens, parses, saves;
        for (int r = 0; r < rounds; ++r) {
            parses.push_back(timeParse(path));
            opens.push_back(timeOpen(window, path));
            saves.push_back(timeSave(window));
        }
        const double open = median(opens);
        std::printf("%8d %10.1f %12.1f %10.1f %14s\n", items, open, median(parses), median(saves),
                    previous > 0 ? QByteArray::number(open / previous, 'f', 2).constData() : "-");
        previous = open;
    }
}

// A terrain outline on the static body; with a gap, each segment is moved that
// far from the one before, so no two ends join.
std::string segmentRun(int count, double gap)
{
    std::string body;
    for (int i = 0; i < count; ++i) {
        const double shift = i * gap;
        body += segment(i + 1, 10.0 * i + shift, (i % 7) - 3.0, 10.0 * (i + 1) + shift, ((i + 1) % 7) - 3.0);
    }
    return body;
}

void openSegmentChain(KFLevelEditor& window, QTemporaryDir& dir)
{
    std::printf("\nOpen of physics segments (ms)\n");
    struct Row { const char* name; int count; double gap; };
    for (const Row& row : {Row{"chain of 4,000", 4000, 0.0}, Row{"chain of 8,000", 8000, 0.0},
                           Row{"8,000 apart (baseline)", 8000, 5.0}}) {
        const QString path = dir.filePath(QStringLiteral("segments%1-%2.kfml").arg(row.count).arg(row.gap));
        writePhysicsLevel(path, segmentRun(row.count, row.gap));
        std::printf("%-24s %10.1f\n", row.name, timeOpen(window, path));
    }
}

void clearAfterShapes(KFLevelEditor& window, QTemporaryDir& dir)
{
    std::printf("\nClear after many shapes (ms)\n");
    struct Row { const char* name; int count; bool onStatic; };
    for (const Row& row : {Row{"25,000 static", 25000, true}, Row{"50,000 static", 50000, true},
                           Row{"50,000 own bodies (baseline)", 50000, false}}) {
        std::string body;
        for (int i = 0; i < row.count; ++i) {
            const double x = 12.0 * (i % 250);
            const double y = 12.0 * (i / 250);
            body += circle(2 * i + 1, row.onStatic ? 0 : 2 * i + 2, x, y, 4);
        }
        const QString path = dir.filePath(QStringLiteral("shapes%1-%2.kfml").arg(row.count).arg(row.onStatic));
        writePhysicsLevel(path, body);
        clearLevel(window);
        window.openFile(path);
        settle();
        std::printf("%-30s %10.1f\n", row.name, milliseconds([&] { clearLevel(window); }));
    }
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    prepareProcess(dir.filePath(QStringLiteral("settings")));
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(images);
    dropDebugOutput();

    const QString sprite = writeSpriteImage(dir.path());
    KFLevelEditor window;

    openAndSaveMixed(window, dir, sprite);
    openSegmentChain(window, dir);
    clearAfterShapes(window, dir);
    return 0;
}
