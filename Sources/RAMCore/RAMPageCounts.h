#pragma once

#include <cstdint>

namespace velto {

/// How many pages of physical memory the kernel holds in each class that the RAM
/// gauge shows. The classes overlap and leave memory out (page cache, buffers), so
/// they need not add up to the machine's total.
struct RAMPageCounts {
    std::uint64_t free = 0;
    std::uint64_t active = 0;
    std::uint64_t inactive = 0;
    /// Pages the kernel can neither reclaim nor swap out.
    std::uint64_t wired = 0;
    /// Pages the memory compressor (zswap) occupies.
    std::uint64_t compressed = 0;

    friend bool operator==(const RAMPageCounts&, const RAMPageCounts&) = default;
};

} // namespace velto
