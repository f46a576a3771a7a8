#include "GPUCore/DrmStatistics.h"

#include "GPUCore/GPUCalculator.h"

#include <charconv>

namespace velto::DrmStatistics {
namespace {

constexpr std::string_view kWhiteSpace = " \t\r\n";

template <typename T> std::optional<T> wholeNumber(std::string_view text) {
    T value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<unsigned> cardNumber(std::string_view entryName) {
    constexpr std::string_view kPrefix = "card";
    if (!entryName.starts_with(kPrefix)) {
        return std::nullopt;
    }
    return wholeNumber<unsigned>(entryName.substr(kPrefix.size()));
}

QVariantMap fromBusyPercent(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kWhiteSpace);
    if (first == std::string_view::npos) {
        return {};
    }
    text = text.substr(first, text.find_last_not_of(kWhiteSpace) - first + 1);
    const std::optional<long long> percent = wholeNumber<long long>(text);
    if (!percent) {
        return {};
    }
    return {{GPUCalculator::utilizationKey(), QVariant::fromValue(*percent)}};
}

} // namespace velto::DrmStatistics
