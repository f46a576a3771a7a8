#pragma once

#include "RAMCore/MemInfo.h"
#include "RAMCore/RAMPageCounts.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace velto::MemInfoParser {

/// Reads the lines of a /proc/meminfo text that MemInfo holds, each "Key: <n> kB".
///
/// MemTotal, MemFree, Active and Inactive must be there; the others count 0 when a
/// kernel does not print them (Zswap, on kernels built without zswap). A line not of that
/// shape is skipped as if it were missing, and of two lines with one key the first
/// counts. Absent when a required line is missing.
std::optional<MemInfo> parse(std::string_view text);

/// The page classes of @p info in pages of @p pageSize bytes, rounded down:
/// free = MemFree, active = Active, inactive = Inactive,
/// wired = Unevictable + SUnreclaim + KernelStack + PageTables, compressed = Zswap.
/// All zero for a page size of 0.
RAMPageCounts pageCounts(const MemInfo& info, std::uint64_t pageSize);

/// MemTotal in bytes.
std::uint64_t totalBytes(const MemInfo& info);

} // namespace velto::MemInfoParser
