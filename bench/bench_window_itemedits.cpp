// Item edits through the main window, as a user does: a level opened with the
// window's Open (KFLevelEditor::openFile), an item selected, and the Delete key
// sent to it.
//
// Figures, each beside a baseline of the same run:
// - Delete on a body that has 4,000 joints to the static body, beside the same
//   body with no joint and with 2,000;
// - one Delete of a vertex of a filled polygon of 100,000 vertices, beside the
//   same polygon of 16,000 vertices; for a vertex inside the polygon's bounding
//   box and for one on its edge.
// A timed edit includes what it leaves to the event loop (deferred deletions,
// the scene's index) and a hit test on an empty spot of the canvas.

#include <QApplication>
#include <QGraphicsScene>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <string>

#include "BenchTiming.h"
#include "Items/CircleShapeItem.h"
#include "Items/PolyItem.h"
#include "Items/item.h"
#include "KFLevelEditor.h"
#include "ui_KFLevelEditor.h"
#include "Views/EditorView.h"
#include "WindowBench.h"

namespace {

using namespace windowbench;

QGraphicsScene* sceneOf(KFLevelEditor& window)
{
    return window.form().editorView->editorScene();
}

QGraphicsItem* firstOfType(QGraphicsScene* scene, int type)
{
    const QList<QGraphicsItem*> items = scene->items();
    for (QGraphicsItem* item : items) {
        if (item->type() == type)
            return item;
    }
    return nullptr;
}

// The Delete key on the item, then what the event loop and a hit test do.
double timeDelete(QGraphicsScene* scene, QGraphicsItem* item)
{
    return milliseconds([&] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        scene->sendEvent(item, &press);
        settle();
        scene->items(QPointF(-50000, -50000));
    });
}

void deleteBodyWithJoints(KFLevelEditor& window, QTemporaryDir& dir)
{
    std::printf("Delete on a body with joints (ms)\n");
    for (int joints : {0, 2000, 4000}) {
        std::string body = circle(1, 2, 0, 0, 10);
        for (int j = 0; j < joints; ++j) {
            const double angle = 2 * M_PI * j / joints;
            body += pinToStatic(100 + j, 2, 200 * std::cos(angle), 200 * std::sin(angle), 200);
        }
        const QString path = dir.filePath(QStringLiteral("joints%1.kfml").arg(joints));
        writePhysicsLevel(path, body);
        window.openFile(path);
        settle();
        QGraphicsItem* hub = firstOfType(sceneOf(window), CircleShapeItemType);
        if (!hub) {
            std::printf("no body read from %s\n", qPrintable(path));
            return;
        }
        hub->setSelected(true);
        std::printf("%6d joints%s %10.1f\n", joints, joints == 0 ? " (baseline)" : "           ",
                    timeDelete(sceneOf(window), hub));
    }
}

std::string polygonLevel(int vertices)
{
    std::string pts;
    for (int i = 0; i < vertices; ++i) {
        const double angle = 2 * M_PI * i / vertices;
        if (i > 0)
            pts += ", ";
        pts += num(1000 * std::cos(angle)) + "," + num(1000 * std::sin(angle));
    }
    return "<view bottom=\"-100\" left=\"-100\" top=\"1000\" right=\"1000\">\n<fill fan=\"1\" r=\"10\" g=\"20\" "
           "b=\"30\" pts=\"" + pts + "\"/>\n</view>\n";
}

void deletePolygonVertex(KFLevelEditor& window, QTemporaryDir& dir)
{
    std::printf("\nOne Delete of a polygon vertex (ms)\n");
    for (int vertices : {16000, 100000}) {
        const QString path = dir.filePath(QStringLiteral("polygon%1.kfml").arg(vertices));
        writeFile(path, polygonLevel(vertices));
        writeFile(path + QStringLiteral(".phyxml"), spaceText(""));
        // The first vertex lies on the right edge of the bounding box, the one an
        // eighth round inside it.
        for (int which : {vertices / 8, 0}) {
            window.openFile(path);
            settle();
            QGraphicsItem* polygon = firstOfType(sceneOf(window), PolyItemType);
            if (!polygon || polygon->childItems().size() != vertices) {
                std::printf("no polygon of %d vertices read\n", vertices);
                return;
            }
            QGraphicsItem* handle = polygon->childItems().at(which);
            handle->setVisible(true);
            handle->setSelected(true);
            std::printf("%7d vertices, %-16s %10.2f\n", vertices, which == 0 ? "edge vertex" : "inner vertex",
                        timeDelete(sceneOf(window), polygon));
        }
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

    KFLevelEditor window;
    deleteBodyWithJoints(window, dir);
    deletePolygonVertex(window, dir);
    return 0;
}
