#pragma once

#include <cstdint>
#include <string>

namespace velto {

/// The byte counters of one network link at one moment, as the kernel reports them.
///
/// The kernel's 64-bit counters are used wherever it offers them; only where it
/// does not do these hold its 32-bit counters, widened, which wrap after
/// 4,294,967,295 back to 0.
struct InterfaceCounters {
    std::string name;
    std::uint64_t rxBytes = 0;
    std::uint64_t txBytes = 0;
    /// True for the 64-bit counters. Two readings of different width cannot be
    /// compared: the 32-bit ones are the 64-bit ones cut short.
    bool wide = false;

    friend bool operator==(const InterfaceCounters&, const InterfaceCounters&) = default;
};

} // namespace velto
