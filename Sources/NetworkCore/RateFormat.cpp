#include "NetworkCore/RateFormat.h"

#include <array>
#include <cmath>
#include <cstdio>

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
    // The widest finite double in TB/s has 297 digits before the point.
    char text[400];
    const int length = std::snprintf(text, sizeof text, "%5.1f %s", value, kUnits[unit]);
    return length > 0 ? std::string(text, static_cast<std::size_t>(length)) : std::string();
}

} // namespace velto::RateFormat
