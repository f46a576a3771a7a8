#pragma once

#include "CPUCore/CPUReading.h"
#include "CPUCore/CPUSnapshot.h"

#include <cstdint>
#include <span>

namespace velto::CPUCalculator {

/// Ticks a 32-bit counter advanced from @p previous to @p current. A value below the
/// previous one means the counter wrapped when fewer than 2^31 ticks lie across the
/// wrap, and that it was reset or stepped back otherwise, which counts 0.
std::uint32_t counterDelta(std::uint32_t previous, std::uint32_t current);

/// Busy fraction of one processor between two records: (user + system + nice) over
/// all ticks of the interval, 0 for an interval without ticks.
double coreUsage(const CPULoadRecord& previous, const CPULoadRecord& current);

/// Pairs processor i of @p previous with processor i of @p current over their common
/// prefix; totalUsage is the plain mean of the per-core values, 0 for no processors.
CPUSnapshot usage(std::span<const CPULoadRecord> previous, std::span<const CPULoadRecord> current,
                  CPUSnapshot::Clock::time_point timestamp);
/// As above, stamped with the current wall-clock time.
CPUSnapshot usage(std::span<const CPULoadRecord> previous, std::span<const CPULoadRecord> current);

/// The baseline for @p current taken from @p previous by processor number, one record
/// per processor of @p current. A processor that was offline in @p previous is its own
/// baseline, so it reads 0 for the interval in which it came back.
std::vector<CPULoadRecord> baselineFor(const CPUReading& previous, const CPUReading& current);

} // namespace velto::CPUCalculator
