#include "RAMCore/ByteCountFormat.h"

#include <VeltoPluginKit/FixedText.h>
#include <array>
#include <charconv>
#include <cstddef>
#include <string>

namespace velto::ByteCountFormat {
namespace {

struct Unit {
    const char* name;
    int decimals;
};

constexpr std::array<Unit, 6> kUnits{{
    {"KiB", 0},
    {"MiB", 1},
    {"GiB", 2},
    {"TiB", 2},
    {"PiB", 2},
    {"EiB", 2},
}};

constexpr double kStep = 1024.0;

// @p value with @p decimals digits after the point, trailing zeros and a bare point
// dropped; the point is "." whatever the locale.
std::string fixed(double value, int decimals) {
    std::string text = FixedText::string(value, decimals);
    if (text.empty()) {
        return "0";
    }
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') {
            text.pop_back();
        }
        if (text.back() == '.') {
            text.pop_back();
        }
    }
    return text;
}

double parsed(std::string_view text) {
    double value = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace

QString memory(std::uint64_t bytes) {
    if (bytes < 1024) {
        return bytes == 1 ? QStringLiteral("1 byte") : QStringLiteral("%1 bytes").arg(bytes);
    }
    std::size_t unit = 0;
    double value = static_cast<double>(bytes) / kStep;
    while (value >= kStep && unit + 1 < kUnits.size()) {
        value /= kStep;
        ++unit;
    }
    std::string text = fixed(value, kUnits[unit].decimals);
    // 1023.96 MiB rounds to 1024.0: that is 1 GiB.
    if (parsed(text) >= kStep && unit + 1 < kUnits.size()) {
        value /= kStep;
        ++unit;
        text = fixed(value, kUnits[unit].decimals);
    }
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())) +
           QLatin1Char(' ') + QLatin1String(kUnits[unit].name);
}

} // namespace velto::ByteCountFormat
