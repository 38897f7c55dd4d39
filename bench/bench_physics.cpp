// Physics file throughput: a space of 5,000 bodies with shapes and 1,000
// joints saved and loaded through cpSpaceSerializer. Prints the median of
// several rounds for each phase.

#include "cpCompat.h"
#include "cpSpaceSerializer.h"

#include <chipmunk/chipmunk.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

#include "BenchTiming.h"

namespace {

constexpr int kBodies = 5000;
constexpr int kJoints = 1000;
constexpr int kRounds = 5;

// Bodies on a grid, each with one shape (circles, boxes and, every tenth body,
// a second shape, a segment); joints of all ten kinds between neighbours.
cpSpace* buildSpace()
{
    cpSpace* space = cpSpaceNew();
    cpSpaceSetGravity(space, cpv(0, -100));
    std::vector<cpBody*> bodies;
    for (int i = 0; i < kBodies; ++i) {
        cpBody* body = cpSpaceAddBody(space, cpBodyNew(130, 13000));
        cpBodySetPosition(body, cpv((i % 100) * 30.0, (i / 100) * 30.0));
        if (i % 2) {
            cpSpaceAddShape(space, cpCircleShapeNew(body, 10, cpvzero));
        } else {
            const cpVect box[4] = { cpv(-10, -10), cpv(10, -10), cpv(10, 10), cpv(-10, 10) };
            cpSpaceAddShape(space, cpPolyShapeNewRaw(body, 4, box, 0));
        }
        if (i % 10 == 0)
            cpSpaceAddShape(space, cpSegmentShapeNew(body, cpv(-12, 0), cpv(12, 0), 1));
        bodies.push_back(body);
    }
    for (int j = 0; j < kJoints; ++j) {
        cpBody* a = bodies[(j * 5) % kBodies];
        cpBody* b = bodies[(j * 5 + 1) % kBodies];
        cpConstraint* c = nullptr;
        switch (j % 10) {
        case 0: c = cpPinJointNew(a, b, cpvzero, cpvzero); break;
        case 1: c = cpSlideJointNew(a, b, cpvzero, cpvzero, 10, 40); break;
        case 2: c = cpPivotJointNew(a, b, cpBodyGetPosition(a)); break;
        case 3: c = cpGrooveJointNew(a, b, cpv(-20, 0), cpv(20, 0), cpvzero); break;
        case 4: c = cpSimpleMotorNew(a, b, 1); break;
        case 5: c = cpGearJointNew(a, b, 0, 2); break;
        case 6: c = cpDampedSpringNew(a, b, cpvzero, cpvzero, 30, 100, 1); break;
        case 7: c = cpRotaryLimitJointNew(a, b, -1, 1); break;
        case 8: c = cpRatchetJointNew(a, b, 0, 0.5); break;
        default: c = cpDampedRotarySpringNew(a, b, 0, 100, 1); break;
        }
        cpSpaceAddConstraint(space, c);
    }
    return space;
}

void freeAll(cpSpace* space)
{
    freeSpaceWithContents(space);
}

int count(cpSpace* space, int what)
{
    int n = 0;
    if (what == 0)
        cpSpaceEachBody(space, [](cpBody*, void* d) { ++*static_cast<int*>(d); }, &n);
    else if (what == 1)
        cpSpaceEachShape(space, [](cpShape*, void* d) { ++*static_cast<int*>(d); }, &n);
    else
        cpSpaceEachConstraint(space, [](cpConstraint*, void* d) { ++*static_cast<int*>(d); }, &n);
    return n;
}

double medianMs(const std::function<void()>& run)
{
    std::vector<double> times;
    for (int r = 0; r < kRounds; ++r)
        times.push_back(milliseconds(run));
    return median(times);
}

} // namespace

int main()
{
    char dirTemplate[] = "/tmp/bench_physics_XXXXXX";
    if (!mkdtemp(dirTemplate)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string path = std::string(dirTemplate) + "/level.kfml.phyxml";

    cpSpace* space = nullptr;
    const double buildMs = medianMs([&] {
        if (space)
            freeAll(space);
        space = buildSpace();
    });

    bool saved = true;
    const double saveMs = medianMs([&] {
        cpSpaceSerializer serializer;
        saved = serializer.save(space, path.c_str()) && saved;
    });
    if (!saved) {
        std::fprintf(stderr, "saving %s failed\n", path.c_str());
        return 1;
    }
    long long bytes = 0;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fseek(f, 0, SEEK_END);
        bytes = std::ftell(f);
        std::fclose(f);
    }

    int bodies = 0, shapes = 0, joints = 0;
    const double loadMs = medianMs([&] {
        cpSpaceSerializer serializer;
        cpSpace* loaded = serializer.load(path.c_str());
        bodies = count(loaded, 0);
        shapes = count(loaded, 1);
        joints = count(loaded, 2);
        freeAll(loaded);
    });

    std::printf("physics file: %d bodies, %d shapes, %d joints, %lld bytes\n", count(space, 0), count(space, 1),
                count(space, 2), bytes);
    std::printf("build space      %9.2f ms\n", buildMs);
    std::printf("save             %9.2f ms\n", saveMs);
    std::printf("load             %9.2f ms  (%d bodies, %d shapes, %d joints read back)\n", loadMs, bodies, shapes, joints);

    freeAll(space);
    std::remove(path.c_str());
    rmdir(dirTemplate);
    return bodies == kBodies && joints == kJoints ? 0 : 1;
}
