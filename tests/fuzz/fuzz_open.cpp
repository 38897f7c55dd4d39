// The whole open road: the input is split at its first NUL byte into a level
// file and the physics file beside it, both opened into a canvas the way the
// open command does (physics file through the reader callback that builds the
// items, then the "view" element, joints coloured, static shapes reindexed),
// then stepped for a few physics ticks and cleared.

#include "PhysicsReaderHelper.h"
#include "Views/EditorScene.h"
#include "Views/EditorView.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCoreApplication>
#include <QTimerEvent>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

#include "FuzzScratch.h"

namespace {

// Fires the canvas's running timers by hand, without waiting for them.
void tick(QObject* object)
{
    for (const auto& timer : QAbstractEventDispatcher::instance()->registeredTimers(object)) {
        QTimerEvent event(timer.timerId);
        QCoreApplication::sendEvent(object, &event);
    }
}

std::string g_level;
std::string g_physics;
EditorContext* g_context = nullptr;
EditorView* g_view = nullptr;

void writeFile(const std::string& path, const uint8_t* data, size_t size)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static QApplication app(*argc, *argv);
    g_context = new EditorContext;
    g_view = new EditorView;
    g_context->view = g_view;
    g_view->setContext(g_context);

    const std::string dir = scratchFolder();
    g_level = dir + "/fuzz_open_" + std::to_string(getpid()) + ".kfml";
    g_physics = g_level + ".phyxml";
    std::atexit([] {
        std::remove(g_level.c_str());
        std::remove(g_physics.c_str());
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const void* nul = std::memchr(data, 0, size);
    const size_t levelSize = nul ? size_t(static_cast<const uint8_t*>(nul) - data) : size;
    writeFile(g_level, data, levelSize);
    if (nul)
        writeFile(g_physics, data + levelSize + 1, size - levelSize - 1);
    else
        std::remove(g_physics.c_str());

    g_view->clearAll();
    g_view->init();
    QString error;
    if (readLevel(g_view, g_context, QString::fromStdString(g_level), &error)) {
        g_view->startPhysics();
        for (int i = 0; i < 4; ++i)
            tick(g_view);
        g_view->stopPhysics();
    }
    g_view->clearAll();
    g_view->init();
    // Items delete some of their parts later (line nodes left without edges).
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
