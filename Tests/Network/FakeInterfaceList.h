#pragma once

#include <cstdint>
#include <deque>
#include <ifaddrs.h>
#include <linux/if_link.h>
#include <optional>
#include <string>

namespace velto::test {

/// A made-up getifaddrs list, linked in the order its entries are added.
class FakeInterfaceList {
public:
    /// An AF_INET entry for a.b.c.d.
    FakeInterfaceList& inet(const std::string& name, unsigned flags, std::uint32_t hostOrder);
    /// An AF_PACKET entry with 32-bit statistics, or none when @p stats is absent.
    FakeInterfaceList& link(const std::string& name, unsigned flags, int ifindex,
                            std::optional<rtnl_link_stats> stats);
    /// An entry without an address, as a link that has none.
    FakeInterfaceList& bare(const std::string& name, unsigned flags);

    ifaddrs* head() { return m_nodes.empty() ? nullptr : &m_nodes.front().entry; }

private:
    struct Node {
        ifaddrs entry{};
        sockaddr_storage address{};
        rtnl_link_stats stats{};
        std::string name;
    };
    Node& add(const std::string& name, unsigned flags);

    std::deque<Node> m_nodes;
};

rtnl_link_stats linkStats(std::uint32_t rx, std::uint32_t tx);

} // namespace velto::test
