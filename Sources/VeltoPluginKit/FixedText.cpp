#include <VeltoPluginKit/FixedText.h>
#include <algorithm>
#include <array>
#include <charconv>

namespace velto::FixedText {

std::string string(double value, int decimals, int width) {
    // Room for the widest finite double (309 digits) with its sign and decimals.
    std::array<char, 400> buffer;
    decimals = std::clamp(decimals, 0, 17);
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed, decimals);
    if (error != std::errc{})
        return {};
    std::string text(buffer.data(), end);
    if (width > 0 && text.size() < static_cast<std::size_t>(width))
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

QString text(double value, int decimals, int width) {
    const std::string written = string(value, decimals, width);
    return QString::fromLatin1(written.data(), static_cast<qsizetype>(written.size()));
}

} // namespace velto::FixedText
