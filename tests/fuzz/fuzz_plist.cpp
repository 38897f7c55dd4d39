// Property lists: any bytes read through plistReader::readFile, then every
// string value parsed as a rectangle and a point, the way sprite sheets do.
// A refused file must leave the map as it was.

#include "IO/plistReader.h"

#include <QtGlobal>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "FuzzScratch.h"

namespace {

std::string g_path;

void visit(const QMap<QString, QVariant>& map)
{
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        const QVariant& value = it.value();
        if (value.typeId() == QMetaType::QString) {
            const QString text = value.toString();
            plistReader::parseStringToRect(text);
            plistReader::parseStringToPoint(text);
        } else if (value.typeId() == QMetaType::QVariantMap) {
            visit(value.toMap());
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    g_path = scratchFolder() + "/fuzz_plist_" + std::to_string(getpid()) + ".plist";
    std::atexit([] { std::remove(g_path.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    {
        std::ofstream file(g_path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    plistReader reader;
    reader.insert(QStringLiteral("\x01sentinel"), 1);
    const QMap<QString, QVariant> before = reader;
    const QString path = QString::fromStdString(g_path);
    if (!reader.readFile(path)) {
        if (QMap<QString, QVariant>(reader) != before)
            std::abort();
        return 0;
    }
    visit(reader);
    // A second read merges into the first: same keys, same values.
    const QMap<QString, QVariant> once = reader;
    if (!reader.readFile(path) || QMap<QString, QVariant>(reader) != once)
        std::abort();
    return 0;
}
