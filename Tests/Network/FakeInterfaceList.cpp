#include "FakeInterfaceList.h"

#include <linux/if_packet.h>
#include <netinet/in.h>

namespace velto::test {

FakeInterfaceList::Node& FakeInterfaceList::add(const std::string& name, unsigned flags) {
    Node& node = m_nodes.emplace_back();
    node.name = name;
    node.entry.ifa_name = node.name.data();
    node.entry.ifa_flags = flags;
    if (m_nodes.size() > 1) {
        m_nodes[m_nodes.size() - 2].entry.ifa_next = &node.entry;
    }
    return node;
}

FakeInterfaceList& FakeInterfaceList::inet(const std::string& name, unsigned flags,
                                           std::uint32_t hostOrder) {
    Node& node = add(name, flags);
    auto* address = reinterpret_cast<sockaddr_in*>(&node.address);
    address->sin_family = AF_INET;
    address->sin_addr.s_addr = htonl(hostOrder);
    node.entry.ifa_addr = reinterpret_cast<sockaddr*>(&node.address);
    return *this;
}

FakeInterfaceList& FakeInterfaceList::link(const std::string& name, unsigned flags, int ifindex,
                                           std::optional<rtnl_link_stats> stats) {
    Node& node = add(name, flags);
    auto* address = reinterpret_cast<sockaddr_ll*>(&node.address);
    address->sll_family = AF_PACKET;
    address->sll_ifindex = ifindex;
    node.entry.ifa_addr = reinterpret_cast<sockaddr*>(&node.address);
    if (stats) {
        node.stats = *stats;
        node.entry.ifa_data = &node.stats;
    }
    return *this;
}

FakeInterfaceList& FakeInterfaceList::bare(const std::string& name, unsigned flags) {
    add(name, flags);
    return *this;
}

rtnl_link_stats linkStats(std::uint32_t rx, std::uint32_t tx) {
    rtnl_link_stats stats{};
    stats.rx_bytes = rx;
    stats.tx_bytes = tx;
    return stats;
}

} // namespace velto::test
