#include "NetworkCore/NetlinkLinkStats.h"

#include "NetworkCore/NetlinkDump.h"
#include "NetworkCore/NetlinkInterfaces.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velto::NetlinkLinkStats {
namespace {

constexpr int kMaxBuffers = 4096;
// The one request this file sends carries this number; its replies carry it too.
constexpr std::uint32_t kSequence = 1;

class Socket {
public:
    Socket() : m_fd(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE)) {}
    ~Socket() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

std::optional<LinkStats64> parseMessage(std::span<const std::byte> message) {
    if (message.size() < NLMSG_HDRLEN + sizeof(if_stats_msg) ||
        NetlinkDump::readAt<nlmsghdr>(message, 0).nlmsg_type != RTM_NEWSTATS) {
        return std::nullopt;
    }
    const auto header = NetlinkDump::readAt<if_stats_msg>(message, NLMSG_HDRLEN);
    std::optional<LinkStats64> entry;
    NetlinkDump::forEachAttribute(
        message, sizeof(if_stats_msg), [&](std::uint16_t type, std::span<const std::byte> value) {
            if (type == IFLA_STATS_LINK_64 &&
                value.size() >= offsetof(rtnl_link_stats64, tx_bytes) + sizeof(__u64)) {
                rtnl_link_stats64 stats{};
                std::memcpy(&stats, value.data(), std::min(sizeof stats, value.size()));
                entry =
                    LinkStats64{static_cast<int>(header.ifindex), stats.rx_bytes, stats.tx_bytes};
            }
        });
    return entry;
}

bool read(LinkStats64Table& table) {
    table.clear();
    const Socket socket;
    if (socket.fd() < 0) {
        return false;
    }
    struct {
        nlmsghdr header;
        if_stats_msg message;
    } request{};
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = RTM_GETSTATS;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = kSequence;
    request.message.family = AF_UNSPEC;
    request.message.filter_mask = IFLA_STATS_FILTER_BIT(IFLA_STATS_LINK_64);
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (::sendto(socket.fd(), &request, sizeof request, 0, reinterpret_cast<sockaddr*>(&kernel),
                 sizeof kernel) != static_cast<ssize_t>(sizeof request)) {
        return false;
    }

    // The kernel packs as many messages into one datagram as this buffer holds.
    alignas(nlmsghdr) std::array<std::byte, 32768> buffer;
    NetlinkDump::Status status = NetlinkDump::Status::More;
    for (int round = 0; round < kMaxBuffers && status == NetlinkDump::Status::More; ++round) {
        // The kernel fills the first buffer while it takes the request and each next one
        // while it is read, so there is always something to read: never wait.
        const ssize_t got = ::recv(socket.fd(), buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (got <= 0) {
            status = NetlinkDump::Status::Failed;
            break;
        }
        // A socket of no multicast group hears nothing but this dump.
        bool changed = false;
        status = NetlinkInterfaces::appendStats(
            std::span(buffer.data(), static_cast<std::size_t>(got)), kSequence, table, changed);
    }
    if (status != NetlinkDump::Status::Done) {
        table.clear();
        return false;
    }
    std::sort(table.begin(), table.end(),
              [](const LinkStats64& a, const LinkStats64& b) { return a.ifindex < b.ifindex; });
    return true;
}

} // namespace velto::NetlinkLinkStats
