#pragma once

#include <cstdint>

namespace velto {

/// What the RAM views show: the page classes in bytes and the machine's memory size.
struct RAMSnapshot {
    std::uint64_t wiredBytes = 0;
    std::uint64_t activeBytes = 0;
    std::uint64_t inactiveBytes = 0;
    std::uint64_t compressedBytes = 0;
    std::uint64_t freeBytes = 0;
    std::uint64_t totalBytes = 0;

    /// (wired + active + compressed) over totalBytes, the numerator capped at totalBytes,
    /// so always in [0, 1]; 0 when totalBytes is 0. Inactive and free memory are not used.
    double usedFraction() const;

    friend bool operator==(const RAMSnapshot&, const RAMSnapshot&) = default;
};

} // namespace velto
