#pragma once

#include "NetworkCore/InterfaceState.h"
#include "NetworkCore/LinkStats64.h"
#include "NetworkCore/NetlinkDump.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace velto {

namespace NetlinkInterfaces {

/// One link of an RTM_GETLINK dump.
struct Link {
    int ifindex = 0;
    unsigned flags = 0;
    std::string name;
    /// Whether the kernel gives the link a hardware address; tunnels have none.
    bool hasHardwareAddress = false;

    friend bool operator==(const Link&, const Link&) = default;
};

/// One IPv4 address of an RTM_GETADDR dump: the local address where the kernel gives
/// one apart (a point-to-point link), otherwise the interface address. Network order.
struct IPv4Address {
    int ifindex = 0;
    std::uint32_t address = 0;

    friend bool operator==(const IPv4Address&, const IPv4Address&) = default;
};

using Status = NetlinkDump::Status;

/// Append what one received buffer of the dump numbered @p sequence holds; the kernel's
/// notifications in it, and a dump it marks as interrupted, set @p changed.
Status appendLinks(std::span<const std::byte> buffer, std::uint32_t sequence,
                   std::vector<Link>& links, bool& changed);
Status appendIPv4Addresses(std::span<const std::byte> buffer, std::uint32_t sequence,
                           std::vector<IPv4Address>& addresses, bool& changed);
Status appendStats(std::span<const std::byte> buffer, std::uint32_t sequence,
                   LinkStats64Table& table, bool& changed);

/**
 * The rules of IPAddressParser::walk() over the three dumps, the order of the links and
 * addresses being the one getifaddrs lists them in:
 *  - local address: the first address whose link has IFF_UP set and IFF_LOOPBACK clear;
 *  - counters: the 64-bit ones of every link with a hardware address and IFF_LOOPBACK
 *    clear, up or down, that @p stats has. A link without a hardware address is one
 *    getifaddrs lists without an address, which the walk has always passed over.
 */
InterfaceState compose(const std::vector<Link>& links, const std::vector<IPv4Address>& addresses,
                       const LinkStats64Table& stats);

} // namespace NetlinkInterfaces

/**
 * The interface state over one routing socket kept open for the reader's life: each read
 * is one RTM_GETSTATS dump, while the links and the IPv4 addresses are dumped again only
 * after the kernel announced a change of them on that socket, or when the links that the
 * counters name are not the ones known. A socket that fails is closed and opened anew.
 */
class NetlinkInterfaceReader {
public:
    NetlinkInterfaceReader() = default;
    ~NetlinkInterfaceReader();
    NetlinkInterfaceReader(const NetlinkInterfaceReader&) = delete;
    NetlinkInterfaceReader& operator=(const NetlinkInterfaceReader&) = delete;

    /// The current state; absent when the kernel refuses the socket or a dump, so that
    /// the caller can take the interface list instead.
    std::optional<InterfaceState> read();

    bool isOpen() const { return m_fd >= 0; }

private:
    bool open();
    void close();
    bool refreshLinks();
    bool readStats();
    bool sendRequest(const void* request, std::size_t length);
    template <typename Append> bool receiveDump(Append&& append);
    /// Sends @p request, a dump of @p type with the next sequence number, and hands each
    /// buffer of the reply to @p append(buffer, sequence, changed).
    template <typename Request, typename Append>
    bool dump(Request& request, std::uint16_t type, Append&& append);
    bool statsMatchKnownLinks();

    int m_fd = -1;
    std::uint32_t m_sequence = 0;
    bool m_stale = true;
    std::vector<NetlinkInterfaces::Link> m_links;
    std::vector<NetlinkInterfaces::IPv4Address> m_addresses;
    LinkStats64Table m_stats;
    std::vector<int> m_knownIndexes; // ascending, as m_stats
    bool m_indexesKnown = false;
};

} // namespace velto
