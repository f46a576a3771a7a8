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

/// Appends what one received netlink buffer holds to @p table. Returns false once the
/// dump's end or an error message is reached, true while more buffers are due; a
/// truncated or malformed message ends the dump and sets @p failed.
bool appendDumpBuffer(std::span<const std::byte> buffer, LinkStats64Table& table, bool& failed);

/// The counters one RTM_NEWSTATS message, netlink header included, holds; absent for
/// another message or one without IFLA_STATS_LINK_64.
std::optional<LinkStats64> parseMessage(std::span<const std::byte> message);

} // namespace velto::NetlinkLinkStats
