#pragma once

#include <cstdint>
#include <vector>

namespace velto {

/// Scheduler ticks one processor has spent in each state since boot, each counter
/// truncated to 32 bits, so every counter wraps from 2^32 - 1 to 0.
struct CPULoadRecord {
    std::uint32_t user = 0;
    std::uint32_t system = 0;
    std::uint32_t idle = 0;
    std::uint32_t nice = 0;

    friend bool operator==(const CPULoadRecord&, const CPULoadRecord&) = default;
};

/// One reading of every online processor, in the kernel's order.
///
/// Linux leaves offline processors out of /proc/stat, so the same position can
/// name another processor in the next reading; processorNumbers (the N of each
/// cpuN line, ascending, same length as loads) says which one it is.
struct CPUReading {
    std::vector<CPULoadRecord> loads;
    std::vector<std::uint32_t> processorNumbers;

    friend bool operator==(const CPUReading&, const CPUReading&) = default;
};

} // namespace velto
