#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velto::test {

/// The counters of one cpuN line that the tests vary.
struct StatLine {
    std::uint64_t user = 0;
    std::uint64_t system = 0;
    std::uint64_t idle = 0;
};

/// A /proc/stat text with one cpuN line per entry, numbered from 0.
inline std::string procStat(const std::vector<StatLine>& lines) {
    std::string text = "cpu  0 0 0 0 0 0 0 0 0 0\n";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += "cpu" + std::to_string(i) + ' ' + std::to_string(lines[i].user) + " 0 " +
                std::to_string(lines[i].system) + ' ' + std::to_string(lines[i].idle) +
                " 0 0 0 0 0 0\n";
    }
    return text + "intr 0\nctxt 0\n";
}

/// Two texts between which processor i was busy for fractions[i] of 100000 ticks.
inline std::vector<std::string> readingsGiving(const std::vector<double>& fractions) {
    std::vector<StatLine> after;
    for (double fraction : fractions) {
        const auto busy = static_cast<std::uint64_t>(fraction * 100000.0 + 0.5);
        after.push_back({.user = busy, .idle = 100000 - busy});
    }
    return {procStat(std::vector<StatLine>(fractions.size())), procStat(after)};
}

} // namespace velto::test
