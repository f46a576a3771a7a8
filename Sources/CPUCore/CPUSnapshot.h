#pragma once

#include <chrono>
#include <vector>

namespace velto {

/// What the CPU views show: the busy fraction of each processor over the last
/// interval and their plain mean, all in [0, 1].
struct CPUSnapshot {
    using Clock = std::chrono::system_clock;

    std::vector<double> perCoreUsage;
    double totalUsage = 0.0;
    Clock::time_point timestamp;

    friend bool operator==(const CPUSnapshot&, const CPUSnapshot&) = default;
};

} // namespace velto
