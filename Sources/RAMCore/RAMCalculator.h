#pragma once

#include "RAMCore/RAMPageCounts.h"
#include "RAMCore/RAMSnapshot.h"

#include <cstdint>

namespace velto::RAMCalculator {

/// Each page class of @p stats times @p pageSize, and @p totalPhysicalBytes as the total.
/// A page size of 0, the value of an unknown one, gives zero page figures. Products
/// that do not fit 64 bits stay at the largest count.
RAMSnapshot snapshot(const RAMPageCounts& stats, std::uint64_t pageSize,
                     std::uint64_t totalPhysicalBytes);

} // namespace velto::RAMCalculator
