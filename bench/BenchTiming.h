#pragma once

// Timing helpers the benchmarks share.

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

namespace BenchTiming
{

inline double elapsedMs(const std::function<void()> &run)
{
    QElapsedTimer timer;
    timer.start();
    run();
    return timer.nsecsElapsed() / 1e6;
}

inline double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace BenchTiming
