#include "RAMCore/RAMCalculator.h"

#include "RAMCore/Saturating.h"

namespace velto::RAMCalculator {

RAMSnapshot snapshot(const RAMPageCounts& stats, std::uint64_t pageSize,
                     std::uint64_t totalPhysicalBytes) {
    return RAMSnapshot{
        .wiredBytes = Saturating::multiply(stats.wired, pageSize),
        .activeBytes = Saturating::multiply(stats.active, pageSize),
        .inactiveBytes = Saturating::multiply(stats.inactive, pageSize),
        .compressedBytes = Saturating::multiply(stats.compressed, pageSize),
        .freeBytes = Saturating::multiply(stats.free, pageSize),
        .totalBytes = totalPhysicalBytes,
    };
}

} // namespace velto::RAMCalculator
