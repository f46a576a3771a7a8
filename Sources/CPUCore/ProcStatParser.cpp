#include "CPUCore/ProcStatParser.h"

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>

namespace velto::ProcStatParser {
namespace {

// user nice system idle iowait irq softirq steal; guest and guest_nice follow but
// are already counted in user and nice.
constexpr std::size_t kFieldsUsed = 8;
constexpr std::size_t kFieldsRequired = 4;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Splits off the next line, without its newline.
std::string_view nextLine(std::string_view& rest) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    return line;
}

// Parses the counters after "cpuN" into fields; false on anything but blanks and numbers.
bool parseCounters(std::string_view text, std::array<std::uint64_t, kFieldsUsed>& fields,
                   std::size_t& count) {
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    count = 0;
    for (;;) {
        while (at != end && isBlank(*at)) {
            ++at;
        }
        if (at == end) {
            return true;
        }
        std::uint64_t value = 0;
        const auto [next, error] = std::from_chars(at, end, value);
        if (error != std::errc{} || (next != end && !isBlank(*next))) {
            return false;
        }
        if (count < kFieldsUsed) {
            fields[count] = value;
        }
        ++count;
        at = next;
    }
}

std::uint32_t low32(std::uint64_t value) {
    return static_cast<std::uint32_t>(value);
}

} // namespace

bool parse(std::string_view text, CPUReading& reading) {
    reading.loads.clear();
    reading.processorNumbers.clear();
    bool sawAggregate = false;
    bool inCPUBlock = false;
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::string_view line = nextLine(rest);
        if (line.substr(0, 3) != "cpu") {
            // The cpu lines come first and together; nothing after them is needed.
            if (inCPUBlock) {
                break;
            }
            continue;
        }
        inCPUBlock = true;
        const std::string_view tail = line.substr(3);
        if (tail.empty() || isBlank(tail.front())) {
            sawAggregate = true;
            continue;
        }
        if (!isDigit(tail.front())) {
            return false;
        }
        std::uint32_t number = 0;
        const auto [numberEnd, numberError] =
            std::from_chars(tail.data(), tail.data() + tail.size(), number);
        if (numberError != std::errc{}) {
            return false;
        }
        if (!reading.processorNumbers.empty() && number <= reading.processorNumbers.back()) {
            return false;
        }
        const std::string_view counters(numberEnd, tail.data() + tail.size() - numberEnd);
        if (!counters.empty() && !isBlank(counters.front())) {
            return false;
        }
        std::array<std::uint64_t, kFieldsUsed> f{};
        std::size_t count = 0;
        if (!parseCounters(counters, f, count) || count < kFieldsRequired) {
            return false;
        }
        // Unsigned sums wrap modulo 2^64, and cutting them to 32 bits gives the same
        // value as summing the 32-bit parts, so the deltas stay right either way.
        reading.loads.push_back(CPULoadRecord{
            .user = low32(f[0]),
            .system = low32(f[2] + f[5] + f[6] + f[7]),
            .idle = low32(f[3] + f[4]),
            .nice = low32(f[1]),
        });
        reading.processorNumbers.push_back(number);
    }
    return sawAggregate;
}

std::optional<CPUReading> parse(std::string_view text) {
    CPUReading reading;
    if (!parse(text, reading)) {
        return std::nullopt;
    }
    return reading;
}

} // namespace velto::ProcStatParser
