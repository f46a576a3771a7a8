#include "NetworkCore/NetlinkInterfaces.h"

#include "NetworkCore/NetlinkLinkStats.h"

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <cerrno>
#include <linux/if_addr.h>
#include <linux/if_link.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velto {
namespace NetlinkInterfaces {
namespace {

std::uint32_t readAddress(std::span<const std::byte> value) {
    std::uint32_t address = 0;
    std::memcpy(&address, value.data(), sizeof address);
    return address;
}

} // namespace

Status appendLinks(std::span<const std::byte> buffer, std::uint32_t sequence,
                   std::vector<Link>& links, bool& changed) {
    return NetlinkDump::walk(
        buffer, sequence, changed, [&](std::uint16_t type, std::span<const std::byte> message) {
            if (type != RTM_NEWLINK || message.size() < NLMSG_HDRLEN + sizeof(ifinfomsg)) {
                return;
            }
            const auto info = NetlinkDump::readAt<ifinfomsg>(message, NLMSG_HDRLEN);
            Link link{info.ifi_index, info.ifi_flags, {}, false};
            NetlinkDump::forEachAttribute(
                message, sizeof(ifinfomsg),
                [&](std::uint16_t attribute, std::span<const std::byte> value) {
                    if (attribute == IFLA_IFNAME) {
                        const auto* text = reinterpret_cast<const char*>(value.data());
                        link.name.assign(text, ::strnlen(text, value.size()));
                    } else if (attribute == IFLA_ADDRESS) {
                        link.hasHardwareAddress = true;
                    }
                });
            links.push_back(std::move(link));
        });
}

Status appendIPv4Addresses(std::span<const std::byte> buffer, std::uint32_t sequence,
                           std::vector<IPv4Address>& addresses, bool& changed) {
    return NetlinkDump::walk(
        buffer, sequence, changed, [&](std::uint16_t type, std::span<const std::byte> message) {
            if (type != RTM_NEWADDR || message.size() < NLMSG_HDRLEN + sizeof(ifaddrmsg)) {
                return;
            }
            const auto header = NetlinkDump::readAt<ifaddrmsg>(message, NLMSG_HDRLEN);
            if (header.ifa_family != AF_INET) {
                return;
            }
            std::optional<std::uint32_t> local;
            std::optional<std::uint32_t> address;
            NetlinkDump::forEachAttribute(
                message, sizeof(ifaddrmsg),
                [&](std::uint16_t attribute, std::span<const std::byte> value) {
                    if (value.size() != sizeof(std::uint32_t)) {
                        return;
                    }
                    if (attribute == IFA_LOCAL) {
                        local = readAddress(value);
                    } else if (attribute == IFA_ADDRESS) {
                        address = readAddress(value);
                    }
                });
            if (local || address) {
                addresses.push_back(
                    {static_cast<int>(header.ifa_index), local ? *local : *address});
            }
        });
}

Status appendStats(std::span<const std::byte> buffer, std::uint32_t sequence,
                   LinkStats64Table& table, bool& changed) {
    return NetlinkDump::walk(buffer, sequence, changed,
                             [&](std::uint16_t, std::span<const std::byte> message) {
                                 if (const auto entry = NetlinkLinkStats::parseMessage(message)) {
                                     table.push_back(*entry);
                                 }
                             });
}

InterfaceState compose(const std::vector<Link>& links, const std::vector<IPv4Address>& addresses,
                       const LinkStats64Table& stats) {
    InterfaceState state;
    for (const IPv4Address& address : addresses) {
        const auto link = std::find_if(links.begin(), links.end(), [&](const Link& candidate) {
            return candidate.ifindex == address.ifindex;
        });
        if (link == links.end() || (link->flags & IFF_UP) == 0 ||
            (link->flags & IFF_LOOPBACK) != 0) {
            continue;
        }
        std::array<char, INET_ADDRSTRLEN> text{};
        const in_addr value{address.address};
        if (::inet_ntop(AF_INET, &value, text.data(), text.size()) != nullptr) {
            state.localIPv4.emplace(text.data());
            break;
        }
    }
    for (const Link& link : links) {
        if ((link.flags & IFF_LOOPBACK) != 0 || !link.hasHardwareAddress) {
            continue;
        }
        if (const std::optional<LinkStats64> entry = findLinkStats(stats, link.ifindex)) {
            state.counters.push_back({link.name, entry->rxBytes, entry->txBytes, true});
        }
    }
    return state;
}

} // namespace NetlinkInterfaces

namespace {

// Dumps that outgrow this many buffers are taken as broken.
constexpr int kMaxBuffers = 4096;
// A change announced while the links are read again is read again at once, this often.
constexpr int kMaxRounds = 3;

} // namespace

NetlinkInterfaceReader::~NetlinkInterfaceReader() {
    close();
}

bool NetlinkInterfaceReader::open() {
    m_fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (m_fd < 0) {
        return false;
    }
    // The kernel announces link and IPv4 address changes to this socket, queued until the
    // next read: that is how the reader knows when to dump them again.
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR;
    if (::bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        close();
        return false;
    }
    m_stale = true;
    return true;
}

void NetlinkInterfaceReader::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool NetlinkInterfaceReader::sendRequest(const void* request, std::size_t length) {
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    return ::sendto(m_fd, request, length, 0, reinterpret_cast<sockaddr*>(&kernel),
                    sizeof kernel) == static_cast<ssize_t>(length);
}

template <typename Append> bool NetlinkInterfaceReader::receiveDump(Append&& append) {
    // The kernel packs as many messages into one datagram as this buffer holds.
    alignas(nlmsghdr) std::array<std::byte, 32768> buffer;
    for (int round = 0; round < kMaxBuffers; ++round) {
        // The kernel fills the first buffer while it takes the request and each next one
        // while it is read, so there is always something to read: never wait. A queue
        // that overflowed with announcements (ENOBUFS) lost some: the socket starts over.
        const ssize_t got = ::recv(m_fd, buffer.data(), buffer.size(), MSG_DONTWAIT | MSG_TRUNC);
        if (got <= 0 || static_cast<std::size_t>(got) > buffer.size()) {
            return false;
        }
        bool changed = false;
        const NetlinkDump::Status status =
            append(std::span(buffer.data(), static_cast<std::size_t>(got)), changed);
        m_stale = m_stale || changed;
        if (status != NetlinkDump::Status::More) {
            return status == NetlinkDump::Status::Done;
        }
    }
    return false;
}

template <typename Request, typename Append>
bool NetlinkInterfaceReader::dump(Request& request, std::uint16_t type, Append&& append) {
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = type;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = ++m_sequence;
    const std::uint32_t sequence = m_sequence;
    return sendRequest(&request, sizeof request) &&
           receiveDump([&](std::span<const std::byte> buffer, bool& changed) {
               return append(buffer, sequence, changed);
           });
}

bool NetlinkInterfaceReader::refreshLinks() {
    // Announcements that come while the dumps run mark the result stale again.
    m_stale = false;
    m_links.clear();
    m_addresses.clear();

    struct {
        nlmsghdr header;
        ifinfomsg message;
        rtattr maskHeader;
        std::uint32_t mask;
    } links{};
    links.message.ifi_family = AF_UNSPEC;
    // The counters come from RTM_GETSTATS; kernels before 4.13 ignore the mask.
    links.maskHeader.rta_len = RTA_LENGTH(sizeof links.mask);
    links.maskHeader.rta_type = IFLA_EXT_MASK;
    links.mask = RTEXT_FILTER_SKIP_STATS;
    if (!dump(links, RTM_GETLINK, [&](auto buffer, std::uint32_t sequence, bool& changed) {
            return NetlinkInterfaces::appendLinks(buffer, sequence, m_links, changed);
        })) {
        return false;
    }

    struct {
        nlmsghdr header;
        ifaddrmsg message;
    } addresses{};
    addresses.message.ifa_family = AF_INET;
    if (!dump(addresses, RTM_GETADDR, [&](auto buffer, std::uint32_t sequence, bool& changed) {
            return NetlinkInterfaces::appendIPv4Addresses(buffer, sequence, m_addresses, changed);
        })) {
        return false;
    }

    m_indexesKnown = false;
    return true;
}

bool NetlinkInterfaceReader::readStats() {
    m_stats.clear();
    struct {
        nlmsghdr header;
        if_stats_msg message;
    } request{};
    request.message.family = AF_UNSPEC;
    request.message.filter_mask = IFLA_STATS_FILTER_BIT(IFLA_STATS_LINK_64);
    if (!dump(request, RTM_GETSTATS, [&](auto buffer, std::uint32_t sequence, bool& changed) {
            return NetlinkInterfaces::appendStats(buffer, sequence, m_stats, changed);
        })) {
        m_stats.clear();
        return false;
    }
    std::sort(m_stats.begin(), m_stats.end(),
              [](const LinkStats64& a, const LinkStats64& b) { return a.ifindex < b.ifindex; });
    return true;
}

bool NetlinkInterfaceReader::statsMatchKnownLinks() {
    // The links that the first counters after a refresh name are the known ones, which
    // makes a kernel that dumps the counters of fewer links than it lists no trouble.
    if (!m_indexesKnown) {
        m_knownIndexes.clear();
        for (const LinkStats64& entry : m_stats) {
            m_knownIndexes.push_back(entry.ifindex);
        }
        m_indexesKnown = true;
        return true;
    }
    return std::equal(m_stats.begin(), m_stats.end(), m_knownIndexes.begin(), m_knownIndexes.end(),
                      [](const LinkStats64& entry, int index) { return entry.ifindex == index; });
}

std::optional<InterfaceState> NetlinkInterfaceReader::read() {
    bool haveStats = false;
    for (int round = 0; round < kMaxRounds; ++round) {
        if (m_fd < 0 && !open()) {
            return std::nullopt;
        }
        if (m_stale && !refreshLinks()) {
            close();
            continue;
        }
        haveStats = readStats();
        if (!haveStats) {
            close();
            continue;
        }
        // A link came or went without an announcement reaching the socket.
        if (!statsMatchKnownLinks()) {
            m_stale = true;
        }
        if (!m_stale) {
            break;
        }
    }
    if (!haveStats) {
        return std::nullopt;
    }
    // Still changing after the last round: what is known now; the links are read again
    // on the next call.
    return NetlinkInterfaces::compose(m_links, m_addresses, m_stats);
}

} // namespace velto
