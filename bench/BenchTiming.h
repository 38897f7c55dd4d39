#ifndef BENCHTIMING_H
#define BENCHTIMING_H

#include <algorithm>
#include <chrono>
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

#endif // BENCHTIMING_H
