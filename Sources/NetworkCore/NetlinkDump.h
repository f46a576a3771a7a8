#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <linux/netlink.h>
#include <span>

// The walk over one received NETLINK_ROUTE buffer that every dump reader shares.
namespace velto::NetlinkDump {

enum class Status {
    More,   ///< the dump goes on in the next buffer
    Done,   ///< NLMSG_DONE of the dump was reached
    Failed, ///< an error message, or a truncated or malformed one
};

template <typename T> T readAt(std::span<const std::byte> buffer, std::size_t offset) {
    T value;
    std::memcpy(&value, buffer.data() + offset, sizeof value);
    return value;
}

/// Hands each message of the dump numbered @p sequence, header included, to
/// @p onMessage(type, message). The kernel's own notifications (sequence number 0) and
/// a dump the kernel marks as interrupted by a change set @p changed; replies to
/// earlier requests are passed over.
template <typename OnMessage>
Status walk(std::span<const std::byte> buffer, std::uint32_t sequence, bool& changed,
            OnMessage&& onMessage) {
    std::size_t offset = 0;
    while (buffer.size() - offset >= sizeof(nlmsghdr)) {
        const auto header = readAt<nlmsghdr>(buffer, offset);
        if (header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > buffer.size() - offset) {
            return Status::Failed;
        }
        const std::span<const std::byte> message = buffer.subspan(offset, header.nlmsg_len);
        // The last message of a buffer may lack its padding.
        offset = std::min(buffer.size(), offset + NLMSG_ALIGN(header.nlmsg_len));
        if (header.nlmsg_seq != sequence) {
            changed = changed || header.nlmsg_seq == 0;
            continue;
        }
        if ((header.nlmsg_flags & NLM_F_DUMP_INTR) != 0) {
            changed = true;
        }
        if (header.nlmsg_type == NLMSG_DONE) {
            return Status::Done;
        }
        if (header.nlmsg_type == NLMSG_ERROR) {
            return Status::Failed;
        }
        onMessage(header.nlmsg_type, message);
    }
    return Status::More;
}

/// Calls @p onAttribute(type, payload) for each routing attribute of @p message that
/// starts @p fixed bytes (the family header) after the netlink header; stops at the
/// first malformed one.
template <typename OnAttribute>
void forEachAttribute(std::span<const std::byte> message, std::size_t fixed,
                      OnAttribute&& onAttribute) {
    struct Attribute {
        std::uint16_t length;
        std::uint16_t type;
    };
    std::size_t offset = NLMSG_HDRLEN + NLMSG_ALIGN(fixed);
    while (offset + sizeof(Attribute) <= message.size()) {
        const auto attribute = readAt<Attribute>(message, offset);
        if (attribute.length < sizeof(Attribute) || attribute.length > message.size() - offset) {
            return;
        }
        onAttribute(
            static_cast<std::uint16_t>(attribute.type & NLA_TYPE_MASK),
            message.subspan(offset + sizeof(Attribute), attribute.length - sizeof(Attribute)));
        offset = std::min(message.size(), offset + NLMSG_ALIGN(attribute.length));
    }
}

} // namespace velto::NetlinkDump
