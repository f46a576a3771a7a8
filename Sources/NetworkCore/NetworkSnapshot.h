#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>

namespace velto {

/// What the network views show: the rates of the last interval, bytes per second,
/// each interface's receive plus send rate, and the two addresses.
struct NetworkSnapshot {
    using Clock = std::chrono::system_clock;

    double rxBytesPerSec = 0.0;
    double txBytesPerSec = 0.0;
    std::map<std::string, double> perInterface;
    std::optional<std::string> localIPv4;
    std::optional<std::string> publicIP;
    /// Wall-clock time at which the snapshot was built.
    Clock::time_point timestamp;

    friend bool operator==(const NetworkSnapshot&, const NetworkSnapshot&) = default;
};

} // namespace velto
