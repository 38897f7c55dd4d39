// Opening and saving a whole level through the canvas: one 100-frame sprite
// sheet carrying the sprites, a tenth of them following a circle body, at one
// and at twice the base size. Opening is the physics file load plus the "view"
// read into a fresh canvas; saving is the "view" write plus both files.
// Prints the median of several rounds for each phase.

#include "IO/iotransformer.h"
#include "IO/textcodec.h"
#include "Items/CircleShapeItem.h"
#include "Items/GraphicItem.h"
#include "Items/SpriteSheetItem.h"
#include "Tools/ShapeTools.h"
#include "Views/EditorScene.h"
#include "Views/EditorView.h"
#include "cpSpaceSerializer.h"

#include <QApplication>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "BenchTiming.h"

namespace {

constexpr int kFramesPerRow = 10;
constexpr int kFrames = 100;
constexpr int kFrameSize = 16;
constexpr int kBaseSprites = 10000;
constexpr int kBaseBodies = 1000;
constexpr int kRounds = 5;

struct Level
{
    Level()
    {
        context.view = &view;
        view.setContext(&context);
    }
    EditorContext context;
    EditorView view;
};

// The open command's reader, for the circles this level holds.
class CircleReader : public cpSpaceSerializerDelegate
{
public:
    explicit CircleReader(EditorView* view) : m_view(view) {}
    bool reading(cpShape* shape, long long) override
    {
        m_view->editorScene()->addItem(new CircleShapeItem(m_view->space(), shape, nullptr));
        return true;
    }

private:
    EditorView* m_view;
};

QString frameName(int i)
{
    return QStringLiteral("frame_%1.png").arg(i);
}

// A texture of 10 by 10 frames and its plist.
QString writeSheet(const QString& folder)
{
    QImage texture(kFramesPerRow * kFrameSize, kFramesPerRow * kFrameSize, QImage::Format_ARGB32);
    for (int y = 0; y < texture.height(); ++y)
        for (int x = 0; x < texture.width(); ++x)
            texture.setPixel(x, y, qRgba(x, y, (x * y) & 0xff, 255));
    texture.save(folder + QStringLiteral("/bench.png"));

    QString plist = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
                                   "<key>frames</key>\n<dict>\n");
    for (int i = 0; i < kFrames; ++i) {
        const int x = (i % kFramesPerRow) * kFrameSize;
        const int y = (i / kFramesPerRow) * kFrameSize;
        plist += QStringLiteral("<key>%1</key><dict><key>frame</key><string>{{%2,%3},{%4,%4}}</string></dict>\n")
                     .arg(frameName(i)).arg(x).arg(y).arg(kFrameSize);
    }
    plist += QStringLiteral("</dict>\n<key>metadata</key>\n<dict><key>textureFileName</key><string>bench.png</string>"
                            "</dict>\n</dict>\n</plist>\n");
    const QString path = folder + QStringLiteral("/bench.plist");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(plist.toUtf8());
    return path;
}

void buildLevel(Level& level, const QString& plist, int scale)
{
    cpSpace* space = level.view.space();
    std::vector<CircleShapeItem*> circles;
    for (int b = 0; b < kBaseBodies * scale; ++b) {
        cpShape* shape = CircleTool::createDefaultShape(space, cpv((b % 100) * 30.0, (b / 100) * 30.0));
        auto* circle = new CircleShapeItem(space, shape, nullptr);
        level.view.editorScene()->addItem(circle);
        circles.push_back(circle);
    }
    auto* sheet = new SpriteSheetItem(plist);
    level.view.editorScene()->addItem(sheet);
    for (int s = 0; s < kBaseSprites * scale; ++s) {
        auto* sprite = new GraphicItem(s % 500, s / 500, makeSpriteSheetPixmapKey(QStringLiteral("bench.png"), frameName(s % kFrames)),
                                       space, sheet);
        if (s % 3 == 0)
            sprite->setRotation(s % 360);
        if (s % 10 == 0)
            circles[size_t(s / 10)]->syncWithSyncee(sprite);
    }
}

double seconds(const std::function<void()>& run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Figures
{
    double open;
    double save;
    int sprites; // read back by the last open
    int followers;
};

Figures measure(const QString& folder, const QString& plist, int scale)
{
    const QString path = folder + QStringLiteral("/level%1.kfml").arg(scale);
    std::vector<double> saves;
    {
        Level level;
        buildLevel(level, plist, scale);
        for (int r = 0; r < kRounds; ++r) {
            saves.push_back(seconds([&] {
                cpSpaceSerializer physics;
                IOTransformer io(encodeText(path), &level.context, &physics);
                io.write(level.view);
                io.save(level.view.space());
            }));
        }
    }
    std::vector<double> opens;
    int sprites = 0;
    int followers = 0;
    for (int r = 0; r < kRounds; ++r) {
        Level level;
        opens.push_back(seconds([&] {
            CircleReader reader(&level.view);
            cpSpaceSerializer physics(&reader);
            IOTransformer io(encodeText(path), &level.context, &physics);
            io.load(level.view.space());
            io.read(level.view);
        }));
        sprites = 0;
        followers = 0;
        const QList<QGraphicsItem*> items = level.view.editorScene()->items();
        for (QGraphicsItem* item : items) {
            if (item->type() != GraphicItemType)
                continue;
            ++sprites;
            followers += static_cast<GraphicItem*>(item)->syncPair() != nullptr;
        }
    }
    return {median(opens), median(saves), sprites, followers};
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString plist = writeSheet(dir.path());

    const Figures base = measure(dir.path(), plist, 1);
    const Figures twice = measure(dir.path(), plist, 2);
    for (const Figures* f : {&base, &twice}) {
        const int scale = f == &base ? 1 : 2;
        std::printf("level of %d sprites, %d bodies: open %.3f s, save %.3f s (read back %d sprites, %d following)\n",
                    scale * kBaseSprites, scale * kBaseBodies, f->open, f->save, f->sprites, f->followers);
    }
    std::printf("doubling: open %.2fx, save %.2fx (targets: open <= 1 s, save <= 0.3 s, doubling <= 2.2x)\n",
                twice.open / base.open, twice.save / base.save);
    return 0;
}
