// Physics file reader: bytes -> temporary file -> cpSpaceSerializer::load into a
// fresh space -> 10 steps -> everything freed. Any Chipmunk abort, sanitizer
// report or leak is a finding.

#include "cpCompat.h"
#include "cpSpaceSerializer.h"

#include <chipmunk/chipmunk.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Refuses some objects by id, so that the refusal paths are exercised too.
class PickyDelegate : public cpSpaceSerializerDelegate
{
public:
    bool reading(cpShape*, long long id) override { return id % 7 != 3; }
    bool reading(cpBody*, long long id) override { return id % 11 != 5; }
    bool reading(cpConstraint*, long long id) override { return id % 5 != 2; }
};

void freeAll(cpSpace* space)
{
    freeSpaceWithContents(space);
}

const std::string& tempPath()
{
    static const std::string path = [] {
        std::string p = "/tmp/fuzz_physics_XXXXXX";
        const int fd = mkstemp(&p[0]);
        if (fd >= 0)
            close(fd);
        std::atexit([] { unlink(tempPath().c_str()); });
        return p;
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string& path = tempPath();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    PickyDelegate delegate;
    cpSpaceSerializer serializer(size % 2 ? &delegate : nullptr);
    cpSpace* space = serializer.load(cpSpaceNew(), path.c_str());
    for (int i = 0; i < 10; ++i)
        cpSpaceStep(space, 1.0 / 30);
    freeAll(space);
    return 0;
}
