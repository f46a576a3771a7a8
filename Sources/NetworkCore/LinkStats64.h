#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace velto {

/// The kernel's 64-bit byte counters of one link, keyed by its interface index.
struct LinkStats64 {
    int ifindex = 0;
    std::uint64_t rxBytes = 0;
    std::uint64_t txBytes = 0;
};

/// Counters of all links in the current network namespace, in ascending ifindex
/// order, as one RTM_GETSTATS dump returns them.
using LinkStats64Table = std::vector<LinkStats64>;

/// The entry for @p ifindex, or nothing when the table has none.
std::optional<LinkStats64> findLinkStats(const LinkStats64Table& table, int ifindex);

} // namespace velto
