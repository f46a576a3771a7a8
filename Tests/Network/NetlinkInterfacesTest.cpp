#include "NetworkCore/NetlinkInterfaces.h"

#include "NetworkCore/IPAddressParser.h"

#include <arpa/inet.h>
#include <cstring>
#include <gtest/gtest.h>
#include <linux/if_addr.h>
#include <linux/if_link.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <vector>

namespace velto {
namespace {

using NetlinkInterfaces::IPv4Address;
using NetlinkInterfaces::Link;
using NetlinkInterfaces::Status;

// Made-up netlink buffers, message by message, padded as the kernel pads them.
class Buffer {
public:
    template <typename Header>
    Buffer& message(std::uint16_t type, std::uint32_t sequence, const Header& header) {
        m_start = m_bytes.size();
        nlmsghdr nl{};
        nl.nlmsg_type = type;
        nl.nlmsg_seq = sequence;
        append(&nl, sizeof nl);
        append(&header, sizeof header);
        return close();
    }
    Buffer& attribute(std::uint16_t type, const void* data, std::size_t length) {
        const rtattr rta{static_cast<unsigned short>(RTA_LENGTH(length)), type};
        append(&rta, sizeof rta);
        append(data, length);
        return close();
    }
    Buffer& text(std::uint16_t type, const char* value) {
        return attribute(type, value, std::strlen(value) + 1);
    }
    Buffer& address(std::uint16_t type, const char* dotted) {
        const in_addr_t value = ::inet_addr(dotted);
        return attribute(type, &value, sizeof value);
    }
    Buffer& done(std::uint32_t sequence) { return message(NLMSG_DONE, sequence, int{0}); }
    std::span<const std::byte> bytes() const { return m_bytes; }

private:
    void append(const void* data, std::size_t length) {
        const auto* bytes = static_cast<const std::byte*>(data);
        m_bytes.insert(m_bytes.end(), bytes, bytes + length);
        m_bytes.resize(NLMSG_ALIGN(m_bytes.size()));
    }
    Buffer& close() {
        const auto length = static_cast<std::uint32_t>(m_bytes.size() - m_start);
        std::memcpy(m_bytes.data() + m_start, &length, sizeof length);
        return *this;
    }
    std::vector<std::byte> m_bytes;
    std::size_t m_start = 0;
};

ifinfomsg linkHeader(int ifindex, unsigned flags) {
    ifinfomsg header{};
    header.ifi_index = ifindex;
    header.ifi_flags = flags;
    return header;
}

ifaddrmsg addressHeader(int ifindex, unsigned char family = AF_INET) {
    ifaddrmsg header{};
    header.ifa_family = family;
    header.ifa_index = static_cast<std::uint32_t>(ifindex);
    return header;
}

std::uint32_t ip(const char* dotted) {
    return ::inet_addr(dotted);
}

TEST(NetlinkInterfacesTest, ReadsLinksAndAddressesAndNoticesTheKernelsAnnouncements) {
    const std::uint8_t mac[6] = {2, 0, 0, 0, 0, 1};
    Buffer links;
    links.message(RTM_NEWLINK, 7, linkHeader(1, IFF_UP | IFF_LOOPBACK)).text(IFLA_IFNAME, "lo");
    links.message(RTM_NEWLINK, 7, linkHeader(2, IFF_UP))
        .attribute(IFLA_ADDRESS, mac, sizeof mac)
        .text(IFLA_IFNAME, "eth0");
    links.message(RTM_NEWLINK, 6, linkHeader(9, 0)).text(IFLA_IFNAME, "stale"); // earlier reply
    links.message(RTM_NEWLINK, 7, linkHeader(3, IFF_UP)).text(IFLA_IFNAME, "wg0");

    std::vector<Link> parsed;
    bool changed = false;
    EXPECT_EQ(NetlinkInterfaces::appendLinks(links.bytes(), 7, parsed, changed), Status::More);
    EXPECT_EQ(parsed, (std::vector<Link>{{1, IFF_UP | IFF_LOOPBACK, "lo", false},
                                         {2, IFF_UP, "eth0", true},
                                         {3, IFF_UP, "wg0", false}}));
    EXPECT_FALSE(changed) << "a reply to an earlier request is no announcement";

    Buffer addresses;
    addresses.message(RTM_NEWADDR, 0, addressHeader(2)).address(IFA_ADDRESS, "10.0.0.9");
    addresses.message(RTM_NEWADDR, 8, addressHeader(3))
        .address(IFA_ADDRESS, "10.8.0.1")
        .address(IFA_LOCAL, "10.8.0.2"); // point-to-point: the local end is ours
    addresses.message(RTM_NEWADDR, 8, addressHeader(2, AF_INET6)).address(IFA_ADDRESS, "1.1.1.1");
    addresses.message(RTM_NEWADDR, 8, addressHeader(2)).address(IFA_ADDRESS, "192.168.1.4");
    addresses.done(8);
    addresses.message(RTM_NEWADDR, 8, addressHeader(2)).address(IFA_ADDRESS, "9.9.9.9");
    std::vector<IPv4Address> read;
    EXPECT_EQ(NetlinkInterfaces::appendIPv4Addresses(addresses.bytes(), 8, read, changed),
              Status::Done);
    EXPECT_EQ(read, (std::vector<IPv4Address>{{3, ip("10.8.0.2")}, {2, ip("192.168.1.4")}}))
        << "IPv4 only, in dump order, nothing after the dump's end";
    EXPECT_TRUE(changed) << "the kernel's own message (sequence 0) announces a change";
}

TEST(NetlinkInterfacesTest, ErrorsAndTruncatedMessagesFailTheDump) {
    Buffer error;
    error.message(NLMSG_ERROR, 5, nlmsgerr{-EPERM, {}});
    LinkStats64Table table;
    bool changed = false;
    EXPECT_EQ(NetlinkInterfaces::appendStats(error.bytes(), 5, table, changed), Status::Failed);

    Buffer links;
    links.message(RTM_NEWLINK, 5, linkHeader(2, IFF_UP)).text(IFLA_IFNAME, "eth0");
    std::vector<Link> parsed;
    const std::span<const std::byte> cut = links.bytes().first(links.bytes().size() - 4);
    EXPECT_EQ(NetlinkInterfaces::appendLinks(cut, 5, parsed, changed), Status::Failed);
    EXPECT_TRUE(parsed.empty());
}

TEST(NetlinkInterfacesTest, ComposesWithTheInterfaceListsRules) {
    const std::vector<Link> links{{1, IFF_UP | IFF_LOOPBACK, "lo", false},
                                  {2, 0, "eth0", true},
                                  {3, IFF_UP, "wlan0", true},
                                  {4, IFF_UP, "wg0", false},
                                  {5, IFF_UP, "new0", true}};
    const std::vector<IPv4Address> addresses{{1, ip("127.0.0.1")},
                                             {2, ip("10.0.0.2")}, // link down
                                             {8, ip("10.9.9.9")}, // unknown link
                                             {3, ip("192.168.1.10")},
                                             {4, ip("10.8.0.2")}};
    const LinkStats64Table stats{{1, 9, 9}, {2, 5, 6}, {3, 0x100000005ull, 7}, {4, 1, 1}};
    const InterfaceState state = NetlinkInterfaces::compose(links, addresses, stats);
    EXPECT_EQ(state.localIPv4, "192.168.1.10");
    EXPECT_EQ(state.counters, (std::vector<InterfaceCounters>{{"eth0", 5, 6, true},
                                                              {"wlan0", 0x100000005ull, 7, true}}))
        << "no loopback, no link without a hardware address, none the counters lack";
}

TEST(NetlinkInterfacesTest, LiveReaderAgreesWithTheInterfaceList) {
    NetlinkInterfaceReader reader;
    const std::optional<InterfaceState> first = reader.read();
    ASSERT_TRUE(first) << "the routing socket or a dump was refused";
    const std::optional<InterfaceState> second = reader.read();
    ASSERT_TRUE(second);
    EXPECT_TRUE(reader.isOpen()) << "one socket for the reader's life";

    const InterfaceState listed = IPAddressParser::readCurrentState();
    EXPECT_EQ(second->localIPv4, listed.localIPv4);
    ASSERT_EQ(second->counters.size(), listed.counters.size());
    for (std::size_t i = 0; i < listed.counters.size(); ++i) {
        EXPECT_EQ(second->counters[i].name, listed.counters[i].name);
        EXPECT_GE(listed.counters[i].rxBytes, first->counters[i].rxBytes);
    }
}

} // namespace
} // namespace velto
