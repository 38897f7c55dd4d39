// Level files read into a canvas: any bytes loaded through IOTransformer and
// read as the "view" element, so every item reader meets hostile input; what
// was read is then written and saved again. Nothing may crash or abort.

#include "IO/iotransformer.h"
#include "Views/EditorScene.h"
#include "Views/EditorView.h"

#include <QApplication>
#include <QUndoStack>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "FuzzScratch.h"

namespace {

std::string g_input;
std::string g_output;
EditorContext* g_context = nullptr;
EditorView* g_view = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    // Kept for the whole run: pixmaps and widgets need the application.
    new QApplication(*argc, *argv);
    g_context = new EditorContext;
    g_view = new EditorView;
    g_context->view = g_view;
    g_view->setContext(g_context);

    const std::string dir = scratchFolder();
    g_input = dir + "/fuzz_canvas_in_" + std::to_string(getpid()) + ".xml";
    g_output = dir + "/fuzz_canvas_out_" + std::to_string(getpid()) + ".xml";
    std::atexit([] {
        std::remove(g_input.c_str());
        std::remove(g_output.c_str());
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    {
        std::ofstream file(g_input, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    g_view->init();
    g_context->undoStack->clear();
    {
        IOTransformer io(g_input, g_context, nullptr);
        try {
            io.load(g_view->space());
        } catch (const rapidxml::parse_error&) {
            return 0;
        }
        io.read(*g_view);
    }
    // The reader pushes no undo command while a file loads.
    if (g_context->undoStack->count() != 0)
        std::abort();
    {
        IOTransformer io(g_output, g_context, nullptr);
        io.write(*g_view);
        io.save(g_view->space());
    }
    return 0;
}
