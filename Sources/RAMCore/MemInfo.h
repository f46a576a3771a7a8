#pragma once

#include <cstdint>

namespace velto {

/// The /proc/meminfo lines the RAM gauge uses, in KiB as the kernel prints them
/// ("kB" there means 1024 bytes).
struct MemInfo {
    std::uint64_t memTotal = 0;
    std::uint64_t memFree = 0;
    std::uint64_t active = 0;
    std::uint64_t inactive = 0;
    std::uint64_t unevictable = 0;
    std::uint64_t sUnreclaim = 0;
    std::uint64_t kernelStack = 0;
    std::uint64_t pageTables = 0;
    /// Memory the zswap pool takes up; 0 on kernels that do not print it.
    std::uint64_t zswap = 0;

    friend bool operator==(const MemInfo&, const MemInfo&) = default;
};

} // namespace velto
