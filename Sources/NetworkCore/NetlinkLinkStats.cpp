#include "NetworkCore/NetlinkLinkStats.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velto::NetlinkLinkStats {
namespace {

constexpr int kMaxBuffers = 4096;

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

template <typename T> T readAt(std::span<const std::byte> buffer, std::size_t offset) {
    T value;
    std::memcpy(&value, buffer.data() + offset, sizeof value);
    return value;
}

} // namespace

bool appendDumpBuffer(std::span<const std::byte> buffer, LinkStats64Table& table, bool& failed) {
    std::size_t offset = 0;
    while (buffer.size() - offset >= sizeof(nlmsghdr)) {
        const auto header = readAt<nlmsghdr>(buffer, offset);
        if (header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > buffer.size() - offset) {
            failed = true;
            return false;
        }
        if (header.nlmsg_type == NLMSG_DONE) {
            return false;
        }
        if (header.nlmsg_type == NLMSG_ERROR) {
            failed = true;
            return false;
        }
        const std::size_t payload = offset + NLMSG_HDRLEN;
        const std::size_t end = offset + header.nlmsg_len;
        if (header.nlmsg_type == RTM_NEWSTATS && end - payload >= sizeof(if_stats_msg)) {
            const auto message = readAt<if_stats_msg>(buffer, payload);
            std::size_t attribute = payload + NLMSG_ALIGN(sizeof(if_stats_msg));
            while (attribute + sizeof(rtattr) <= end) {
                const auto rta = readAt<rtattr>(buffer, attribute);
                if (rta.rta_len < sizeof(rtattr) || rta.rta_len > end - attribute) {
                    break;
                }
                if (rta.rta_type == IFLA_STATS_LINK_64 &&
                    rta.rta_len >=
                        RTA_LENGTH(offsetof(rtnl_link_stats64, tx_bytes) + sizeof(__u64))) {
                    rtnl_link_stats64 stats{};
                    std::memcpy(&stats, buffer.data() + attribute + RTA_LENGTH(0),
                                std::min<std::size_t>(sizeof stats, rta.rta_len - RTA_LENGTH(0)));
                    table.push_back(
                        {static_cast<int>(message.ifindex), stats.rx_bytes, stats.tx_bytes});
                }
                attribute += RTA_ALIGN(rta.rta_len);
            }
        }
        offset += NLMSG_ALIGN(header.nlmsg_len);
    }
    return true;
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
    request.header.nlmsg_seq = 1;
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
    bool failed = false;
    bool complete = false;
    for (int round = 0; round < kMaxBuffers && !failed && !complete; ++round) {
        // The kernel fills the first buffer while it takes the request and each next one
        // while it is read, so there is always something to read: never wait.
        const ssize_t got = ::recv(socket.fd(), buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (got <= 0) {
            failed = true;
            break;
        }
        complete = !appendDumpBuffer(std::span(buffer.data(), static_cast<std::size_t>(got)), table,
                                     failed);
    }
    if (failed || !complete) {
        table.clear();
        return false;
    }
    std::sort(table.begin(), table.end(),
              [](const LinkStats64& a, const LinkStats64& b) { return a.ifindex < b.ifindex; });
    return true;
}

} // namespace velto::NetlinkLinkStats
