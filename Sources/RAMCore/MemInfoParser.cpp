#include "RAMCore/MemInfoParser.h"

#include "RAMCore/Saturating.h"

#include <array>
#include <charconv>
#include <cstddef>

namespace velto::MemInfoParser {
namespace {

struct Field {
    std::string_view key;
    std::uint64_t MemInfo::*value;
    bool required;
};

constexpr std::array<Field, 9> kFields{{
    {"MemTotal", &MemInfo::memTotal, true},
    {"MemFree", &MemInfo::memFree, true},
    {"Active", &MemInfo::active, true},
    {"Inactive", &MemInfo::inactive, true},
    {"Unevictable", &MemInfo::unevictable, false},
    {"Zswap", &MemInfo::zswap, false},
    {"SUnreclaim", &MemInfo::sUnreclaim, false},
    {"KernelStack", &MemInfo::kernelStack, false},
    {"PageTables", &MemInfo::pageTables, false},
}};

constexpr unsigned kAllFields = (1u << kFields.size()) - 1;
constexpr unsigned kRequiredFields = [] {
    unsigned mask = 0;
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        if (kFields[i].required) {
            mask |= 1u << i;
        }
    }
    return mask;
}();

constexpr std::uint64_t kKiB = 1024;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Splits off the next line, without its newline.
std::string_view nextLine(std::string_view& rest) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    return line;
}

// "<digits> kB" with blanks around; anything else, a count without the unit included,
// is not a size this parser knows how to read.
std::optional<std::uint64_t> kibibytes(std::string_view text) {
    text = trimmed(text);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end == text.data()) {
        return std::nullopt;
    }
    const std::string_view unit(end, static_cast<std::size_t>(text.data() + text.size() - end));
    if (unit.empty() || !isBlank(unit.front()) || trimmed(unit) != "kB") {
        return std::nullopt;
    }
    return value;
}

std::uint64_t pages(std::uint64_t kib, std::uint64_t pageSize) {
    return Saturating::multiply(kib, kKiB) / pageSize;
}

} // namespace

std::optional<MemInfo> parse(std::string_view text) {
    MemInfo info;
    unsigned found = 0;
    std::string_view rest = text;
    while (!rest.empty() && found != kAllFields) {
        const std::string_view line = nextLine(rest);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            continue;
        }
        const std::string_view key = line.substr(0, colon);
        for (std::size_t i = 0; i < kFields.size(); ++i) {
            const unsigned bit = 1u << i;
            if (key != kFields[i].key || (found & bit) != 0) {
                continue;
            }
            if (const std::optional<std::uint64_t> value = kibibytes(line.substr(colon + 1))) {
                info.*kFields[i].value = *value;
                found |= bit;
            }
            break;
        }
    }
    if ((found & kRequiredFields) != kRequiredFields) {
        return std::nullopt;
    }
    return info;
}

RAMPageCounts pageCounts(const MemInfo& info, std::uint64_t pageSize) {
    if (pageSize == 0) {
        return {};
    }
    // Summed before the division, so the four parts lose at most one page together.
    const std::uint64_t wired = Saturating::add(Saturating::add(info.unevictable, info.sUnreclaim),
                                                Saturating::add(info.kernelStack, info.pageTables));
    return RAMPageCounts{
        .free = pages(info.memFree, pageSize),
        .active = pages(info.active, pageSize),
        .inactive = pages(info.inactive, pageSize),
        .wired = pages(wired, pageSize),
        .compressed = pages(info.zswap, pageSize),
    };
}

std::uint64_t totalBytes(const MemInfo& info) {
    return Saturating::multiply(info.memTotal, kKiB);
}

} // namespace velto::MemInfoParser
