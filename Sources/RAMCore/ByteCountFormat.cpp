#include "RAMCore/ByteCountFormat.h"

#include <array>
#include <charconv>
#include <cstddef>

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
// dropped. to_chars ignores the locale, so the text never depends on LC_NUMERIC.
std::string_view fixed(double value, int decimals, std::array<char, 64>& buffer) {
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed, decimals);
    if (error != std::errc{}) {
        return "0";
    }
    std::string_view text(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
    if (text.find('.') != std::string_view::npos) {
        while (text.back() == '0') {
            text.remove_suffix(1);
        }
        if (text.back() == '.') {
            text.remove_suffix(1);
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
    std::array<char, 64> buffer{};
    std::string_view text = fixed(value, kUnits[unit].decimals, buffer);
    // 1023.96 MiB rounds to 1024.0: that is 1 GiB.
    if (parsed(text) >= kStep && unit + 1 < kUnits.size()) {
        value /= kStep;
        ++unit;
        text = fixed(value, kUnits[unit].decimals, buffer);
    }
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())) +
           QLatin1Char(' ') + QLatin1String(kUnits[unit].name);
}

} // namespace velto::ByteCountFormat
