// Levels whose root element or one sprite carries thousands of attributes that
// no reader knows, opened through the main window's own Open (the property
// panel shows the canvas, and then the selected sprite, with every attribute as
// a row) and saved through its Save. The window is shown offscreen and its
// events are processed, so the panel's work counts. Baseline, from the same
// run: the same levels without the extra attributes.

#include <QApplication>
#include <QFile>
#include <QGraphicsItem>
#include <QImage>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

#include "BenchTiming.h"
#include "WindowBench.h"
#include "Items/GraphicItem.h"
#include "KFLevelEditor.h"
#include "LevelFileController.h"
#include "ui_KFLevelEditor.h"
#include "Views/EditorView.h"
#include "cpSpaceSerializer.h"

namespace {

constexpr int kRounds = 5;
const int kCounts[] = {5000, 10000, 20000};

enum class Holder { View, Sprite };

QString attributes(int count)
{
    QString text;
    text.reserve(count * 24);
    for (int i = 0; i < count; ++i)
        text += QStringLiteral(" note%1=\"value %1\"").arg(i);
    return text;
}

// A level of one loose sprite, with count extra attributes on the holder.
QString writeLevel(const QTemporaryDir& dir, const QString& image, Holder holder, int count)
{
    const QString path = dir.filePath(QStringLiteral("level-%1-%2.kfml")
                                          .arg(holder == Holder::View ? "view" : "sprite")
                                          .arg(count));
    const QString extra = attributes(count);
    const QString text = QStringLiteral("<view bottom=\"0\" left=\"0\" top=\"360\" right=\"540\" editScale=\"1\" "
                                        "topColor=\"#64c464\" midColor=\"#64d864\" bottomColor=\"#64f664\"%1>"
                                        "<item file=\"%2\" x=\"100\" y=\"100\" z=\"1\" uid=\"-1\"%3/></view>\n")
                             .arg(holder == Holder::View ? extra : QString(), image,
                                  holder == Holder::Sprite ? extra : QString());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
    file.close();
    cpSpace* space = cpSpaceNew();
    cpSpaceSerializer().save(space, QFile::encodeName(path + QStringLiteral(".phyxml")).constData());
    cpSpaceFree(space);
    return path;
}

GraphicItem* firstSprite(KFLevelEditor& window)
{
    for (QGraphicsItem* item : window.form().editorView->editorScene()->items()) {
        if (item->type() == GraphicItemType)
            return static_cast<GraphicItem*>(item);
    }
    return nullptr;
}

struct Figures
{
    double open = 0;   // Open, the panel showing the canvas
    double select = 0; // the sprite chosen, the panel showing it
    double save = 0;   // Save of the opened level
    int kept = 0;      // extra attributes held after the open
};

Figures measure(KFLevelEditor& window, const QString& path, Holder holder)
{
    std::vector<double> opens, selects, saves;
    Figures figures;
    for (int round = 0; round < kRounds; ++round) {
        opens.push_back(milliseconds([&] {
            window.openFile(path);
            QCoreApplication::processEvents();
        }));
        GraphicItem* sprite = firstSprite(window);
        if (!sprite)
            return figures;
        figures.kept = holder == Holder::View ? window.form().editorView->extraAttributes().size()
                                              : sprite->extraAttributes().size();
        selects.push_back(milliseconds([&] {
            sprite->setSelected(true);
            QCoreApplication::processEvents();
        }));
        saves.push_back(milliseconds([&] { window.levelFiles().save(); }));
    }
    figures.open = median(opens);
    figures.select = median(selects);
    figures.save = median(saves);
    return figures;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir scratch;
    windowbench::prepareProcess(scratch.filePath(QStringLiteral("settings")));
    windowbench::dropDebugOutput();
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(images);

    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("ball.png"));
    QImage ball(32, 32, QImage::Format_ARGB32);
    ball.fill(Qt::red);
    ball.save(image);

    KFLevelEditor window;
    window.resize(1280, 800);
    window.show();
    QCoreApplication::processEvents();

    for (Holder holder : {Holder::View, Holder::Sprite}) {
        const char* name = holder == Holder::View ? "view" : "one sprite";
        const Figures base = measure(window, writeLevel(dir, image, holder, 0), holder);
        std::printf("baseline, no extra attributes: open %.1f ms, select %.1f ms, save %.1f ms\n", base.open,
                    base.select, base.save);
        double previous = 0;
        for (int count : kCounts) {
            const Figures f = measure(window, writeLevel(dir, image, holder, count), holder);
            std::printf("%5d attributes on %s: open %.1f ms, select %.1f ms, save %.1f ms (kept %d)", count, name,
                        f.open, f.select, f.save, f.kept);
            if (previous > 0)
                std::printf(", open x%.2f per doubling", f.open / previous);
            std::printf("\n");
            previous = f.open;
        }
    }
    std::printf("target: open of 20,000 <= 500 ms and linear (<= 2.2x per doubling), each save fast\n");
    return 0;
}
