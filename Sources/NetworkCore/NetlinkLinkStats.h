#pragma once

#include "NetworkCore/LinkStats64.h"

#include <cstddef>
#include <optional>
#include <span>

namespace velto::NetlinkLinkStats {

/// Asks the kernel for the 64-bit counters of every link (one RTM_GETSTATS dump,
/// Linux 4.7 and later) and stores them in @p table, sorted by ifindex. Returns false,
/// with @p table empty, when the kernel or the sandbox refuses the request.
bool read(LinkStats64Table& table);

/// The counters one RTM_NEWSTATS message, netlink header included, holds; absent for
/// another message or one without IFLA_STATS_LINK_64.
std::optional<LinkStats64> parseMessage(std::span<const std::byte> message);

} // namespace velto::NetlinkLinkStats
