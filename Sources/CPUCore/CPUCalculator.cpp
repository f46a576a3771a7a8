#include "CPUCore/CPUCalculator.h"

#include <algorithm>
#include <cstddef>

namespace velto::CPUCalculator {

std::uint32_t counterDelta(std::uint32_t previous, std::uint32_t current) {
    if (current >= previous) {
        return current - previous;
    }
    // Unsigned subtraction is the distance across the wrap. The counters are the
    // kernel's 64-bit values cut to 32 bits, so a busy idle counter crosses 2^32
    // every few hundred days; a plain 0 there would read as a fully busy processor.
    const std::uint32_t acrossWrap = current - previous;
    return acrossWrap < (std::uint32_t{1} << 31) ? acrossWrap : 0;
}

double coreUsage(const CPULoadRecord& previous, const CPULoadRecord& current) {
    const std::uint64_t user = counterDelta(previous.user, current.user);
    const std::uint64_t system = counterDelta(previous.system, current.system);
    const std::uint64_t idle = counterDelta(previous.idle, current.idle);
    const std::uint64_t nice = counterDelta(previous.nice, current.nice);
    const std::uint64_t total = user + system + idle + nice;
    if (total == 0) {
        return 0.0;
    }
    return static_cast<double>(total - idle) / static_cast<double>(total);
}

CPUSnapshot usage(std::span<const CPULoadRecord> previous, std::span<const CPULoadRecord> current,
                  CPUSnapshot::Clock::time_point timestamp) {
    const std::size_t count = std::min(previous.size(), current.size());
    CPUSnapshot snapshot;
    snapshot.perCoreUsage.reserve(count);
    double sum = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double value = coreUsage(previous[i], current[i]);
        snapshot.perCoreUsage.push_back(value);
        sum += value;
    }
    snapshot.totalUsage = count == 0 ? 0.0 : sum / static_cast<double>(count);
    snapshot.timestamp = timestamp;
    return snapshot;
}

CPUSnapshot usage(std::span<const CPULoadRecord> previous, std::span<const CPULoadRecord> current) {
    return usage(previous, current, CPUSnapshot::Clock::now());
}

std::vector<CPULoadRecord> baselineFor(const CPUReading& previous, const CPUReading& current) {
    std::vector<CPULoadRecord> baseline;
    baseline.reserve(current.loads.size());
    // Both number lists ascend, so one merge walk pairs them.
    std::size_t p = 0;
    const std::size_t previousCount =
        std::min(previous.loads.size(), previous.processorNumbers.size());
    const std::size_t currentCount =
        std::min(current.loads.size(), current.processorNumbers.size());
    for (std::size_t c = 0; c < currentCount; ++c) {
        const std::uint32_t number = current.processorNumbers[c];
        while (p < previousCount && previous.processorNumbers[p] < number) {
            ++p;
        }
        const bool wasOnline = p < previousCount && previous.processorNumbers[p] == number;
        baseline.push_back(wasOnline ? previous.loads[p] : current.loads[c]);
    }
    return baseline;
}

} // namespace velto::CPUCalculator
