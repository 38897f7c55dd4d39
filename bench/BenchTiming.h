#ifndef BENCHTIMING_H
#define BENCHTIMING_H

#include <algorithm>
#include <chrono>
#include <ctime>
#include <functional>
#include <vector>

// The middle of the measured rounds: one slow round from the machine does not
// move it.
inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Wall-clock milliseconds of one run of work.
inline double milliseconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Milliseconds of processor time this thread has used. Short steps timed on a
// busy machine lose the wall clock to other processes; their processor time
// stays the work done.
inline double threadCpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Processor time of this thread since construction or the last restart().
struct CpuStopwatch
{
    double begin = threadCpuMilliseconds();
    void restart() { begin = threadCpuMilliseconds(); }
    double ms() const { return threadCpuMilliseconds() - begin; }
};

#endif // BENCHTIMING_H
