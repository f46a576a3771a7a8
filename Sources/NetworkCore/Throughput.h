#pragma once

#include <map>
#include <string>

namespace velto {

/// Receive and send rates of one interface, bytes per second.
struct InterfaceRate {
    double rx = 0.0;
    double tx = 0.0;

    friend bool operator==(const InterfaceRate&, const InterfaceRate&) = default;
};

/// Rates between two readings: the totals over the interfaces present in both, and
/// each of those interfaces by name.
struct Throughput {
    double rxBytesPerSec = 0.0;
    double txBytesPerSec = 0.0;
    std::map<std::string, InterfaceRate> perInterface;

    friend bool operator==(const Throughput&, const Throughput&) = default;
};

} // namespace velto
