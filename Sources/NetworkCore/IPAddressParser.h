#pragma once

#include "NetworkCore/InterfaceState.h"
#include "NetworkCore/LinkStats64.h"

struct ifaddrs;

namespace velto::IPAddressParser {

/// The calls the walk makes, replaceable so that tests feed it made-up entries.
struct SystemCalls {
    int (*getIfAddrs)(ifaddrs** list);
    void (*freeIfAddrs)(ifaddrs* list);
    /// Fills the 64-bit counters by ifindex; false when the kernel offers none.
    bool (*readStats64)(LinkStats64Table& table);
};

/// getifaddrs, freeifaddrs and the kernel's RTM_GETSTATS dump.
const SystemCalls& systemCalls();

/**
 * The decisions of one walk over an interface list, in list order:
 *  - local address: the first entry that has an AF_INET address with IFF_UP set and
 *    IFF_LOOPBACK clear, as inet_ntop writes it;
 *  - counters: every AF_PACKET entry with link statistics and IFF_LOOPBACK clear, up or
 *    down, a later entry of the same name replacing an earlier one. The counters are the
 *    64-bit ones of @p wide for the entry's ifindex, and the statistics' own 32-bit
 *    counters where @p wide has none for it.
 * Entries without an address are passed over.
 */
InterfaceState walk(const ifaddrs* list, const LinkStats64Table& wide);

/// Reads the system's interface list once: (absent, no counters) when getifaddrs fails
/// or returns an empty list.
InterfaceState readCurrentState();
InterfaceState readCurrentState(const SystemCalls& calls);

} // namespace velto::IPAddressParser
