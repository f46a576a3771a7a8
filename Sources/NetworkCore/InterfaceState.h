#pragma once

#include "NetworkCore/InterfaceCounters.h"

#include <optional>
#include <string>
#include <vector>

namespace velto {

/// One walk over the system's interface list: the first usable local IPv4 address and
/// the counters of every link except loopback, at most one entry per name.
struct InterfaceState {
    std::optional<std::string> localIPv4;
    std::vector<InterfaceCounters> counters;

    friend bool operator==(const InterfaceState&, const InterfaceState&) = default;
};

} // namespace velto
