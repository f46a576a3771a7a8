#pragma once

#include <cstdint>
#include <string>

namespace velto::test {

/// The sizes, in KiB, that a made-up /proc/meminfo reports; wired is all Unevictable.
struct MemInfoKiB {
    std::uint64_t total = 0;
    std::uint64_t free = 0;
    std::uint64_t active = 0;
    std::uint64_t inactive = 0;
    std::uint64_t wired = 0;
    std::uint64_t zswap = 0;
};

inline std::string memInfo(const MemInfoKiB& kib) {
    const auto line = [](const char* key, std::uint64_t value) {
        return std::string(key) + ": " + std::to_string(value) + " kB\n";
    };
    return line("MemTotal", kib.total) + line("MemFree", kib.free) + line("Active", kib.active) +
           line("Inactive", kib.inactive) + line("Unevictable", kib.wired) +
           line("Zswap", kib.zswap) + line("SUnreclaim", 0) + line("KernelStack", 0) +
           line("PageTables", 0);
}

} // namespace velto::test
