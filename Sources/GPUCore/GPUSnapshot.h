#pragma once

#include <chrono>
#include <optional>

namespace velto {

/// What the GPU views show: the busy fraction in [0, 1] that the first reporting
/// accelerator gave, absent when none reported one, and when it was read.
struct GPUSnapshot {
    using Clock = std::chrono::system_clock;

    std::optional<double> utilization;
    Clock::time_point timestamp;

    friend bool operator==(const GPUSnapshot&, const GPUSnapshot&) = default;
};

} // namespace velto
