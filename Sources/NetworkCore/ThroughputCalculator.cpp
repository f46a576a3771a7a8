#include "NetworkCore/ThroughputCalculator.h"

#include <cstdint>

namespace velto::ThroughputCalculator {
namespace {

const InterfaceCounters* lastNamed(std::span<const InterfaceCounters> list,
                                   const std::string& name) {
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        if (it->name == name) {
            return &*it;
        }
    }
    return nullptr;
}

std::uint64_t delta(std::uint64_t previous, std::uint64_t current) {
    return current >= previous ? current - previous : 0;
}

} // namespace

Throughput throughput(std::span<const InterfaceCounters> previous,
                      std::span<const InterfaceCounters> current, double elapsed) {
    Throughput result;
    // Also true for NaN, which compares false with everything.
    if (!(elapsed > 0.0)) {
        return result;
    }
    for (const InterfaceCounters& c : current) {
        const InterfaceCounters* p = lastNamed(previous, c.name);
        if (p == nullptr) {
            continue;
        }
        const bool comparable = p->wide == c.wide;
        const double rx =
            comparable ? static_cast<double>(delta(p->rxBytes, c.rxBytes)) / elapsed : 0.0;
        const double tx =
            comparable ? static_cast<double>(delta(p->txBytes, c.txBytes)) / elapsed : 0.0;
        result.perInterface[c.name] = InterfaceRate{rx, tx};
        result.rxBytesPerSec += rx;
        result.txBytesPerSec += tx;
    }
    return result;
}

} // namespace velto::ThroughputCalculator
