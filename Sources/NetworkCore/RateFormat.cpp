#include "NetworkCore/RateFormat.h"

#include <VeltoPluginKit/FixedText.h>
#include <array>
#include <cmath>

namespace velto::RateFormat {
namespace {

constexpr std::array<const char*, 5> kUnits{"B/s  ", "KB/s ", "MB/s ", "GB/s ", "TB/s "};

} // namespace

std::string string(double bytesPerSecond) {
    // NaN would print as "nan" and infinity as "inf"; neither is a reading.
    double value = std::isfinite(bytesPerSecond) && bytesPerSecond > 0.0 ? bytesPerSecond : 0.0;
    std::size_t unit = 0;
    while (value >= 1024.0 && unit < kUnits.size() - 1) {
        value /= 1024.0;
        ++unit;
    }
    return FixedText::string(value, 1, 5) + ' ' + kUnits[unit];
}

} // namespace velto::RateFormat
