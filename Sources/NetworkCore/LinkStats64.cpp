#include "NetworkCore/LinkStats64.h"

#include <algorithm>

namespace velto {

std::optional<LinkStats64> findLinkStats(const LinkStats64Table& table, int ifindex) {
    const auto found =
        std::lower_bound(table.begin(), table.end(), ifindex,
                         [](const LinkStats64& entry, int index) { return entry.ifindex < index; });
    if (found == table.end() || found->ifindex != ifindex) {
        return std::nullopt;
    }
    return *found;
}

} // namespace velto
