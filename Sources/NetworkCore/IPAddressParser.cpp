#include "NetworkCore/IPAddressParser.h"

#include "NetworkCore/NetlinkLinkStats.h"

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <ifaddrs.h>
#include <linux/if_link.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace velto::IPAddressParser {
namespace {

constexpr std::size_t kAddressBuffer = 46; // INET6_ADDRSTRLEN, as the walk has always used

void store(std::vector<InterfaceCounters>& counters, const char* name, std::uint64_t rx,
           std::uint64_t tx, bool wide) {
    // Lists are short and a name repeats only where the kernel reports a link twice.
    for (InterfaceCounters& entry : counters) {
        if (entry.name == name) {
            entry.rxBytes = rx;
            entry.txBytes = tx;
            entry.wide = wide;
            return;
        }
    }
    counters.push_back({name, rx, tx, wide});
}

} // namespace

const SystemCalls& systemCalls() {
    static const SystemCalls calls{&::getifaddrs, &::freeifaddrs, &NetlinkLinkStats::read};
    return calls;
}

InterfaceState walk(const ifaddrs* list, const LinkStats64Table& wide) {
    InterfaceState state;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        const char* name = entry->ifa_name != nullptr ? entry->ifa_name : "";
        if (entry->ifa_addr == nullptr) {
            continue;
        }
        const int family = entry->ifa_addr->sa_family;
        const bool loopback = (entry->ifa_flags & IFF_LOOPBACK) != 0;
        if (!state.localIPv4 && (entry->ifa_flags & IFF_UP) != 0 && !loopback &&
            family == AF_INET) {
            std::array<char, kAddressBuffer> text{};
            const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
            if (::inet_ntop(AF_INET, &address->sin_addr, text.data(), text.size()) != nullptr) {
                state.localIPv4.emplace(text.data());
            }
        }
        if (family == AF_PACKET && !loopback && entry->ifa_data != nullptr) {
            const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
            if (const std::optional<LinkStats64> stats = findLinkStats(wide, link->sll_ifindex)) {
                store(state.counters, name, stats->rxBytes, stats->txBytes, true);
            } else {
                const auto* narrow = static_cast<const rtnl_link_stats*>(entry->ifa_data);
                store(state.counters, name, narrow->rx_bytes, narrow->tx_bytes, false);
            }
        }
    }
    return state;
}

InterfaceState readCurrentState() {
    return readCurrentState(systemCalls());
}

InterfaceState readCurrentState(const SystemCalls& calls) {
    ifaddrs* list = nullptr;
    if (calls.getIfAddrs(&list) != 0 || list == nullptr) {
        if (list != nullptr) {
            calls.freeIfAddrs(list);
        }
        return {};
    }
    // Read right after the list, so that both describe the same moment as nearly as
    // two calls can; a link the table lacks keeps its 32-bit counters.
    LinkStats64Table wide;
    if (calls.readStats64 == nullptr || !calls.readStats64(wide)) {
        wide.clear();
    }
    InterfaceState state = walk(list, wide);
    calls.freeIfAddrs(list);
    return state;
}

} // namespace velto::IPAddressParser
