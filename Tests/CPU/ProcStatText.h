#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velto::test {

/// The counters of one cpuN line, in /proc/stat's field order.
struct StatLine {
    std::uint64_t user = 0;
    std::uint64_t nice = 0;
    std::uint64_t system = 0;
    std::uint64_t idle = 0;
    std::uint64_t iowait = 0;
    std::uint64_t irq = 0;
    std::uint64_t softirq = 0;
    std::uint64_t steal = 0;
};

/// A /proc/stat text with an aggregate line and one cpuN line per entry, numbered from 0.
inline std::string procStat(const std::vector<StatLine>& lines) {
    std::string text = "cpu  0 0 0 0 0 0 0 0 0 0\n";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const StatLine& l = lines[i];
        text += "cpu" + std::to_string(i);
        for (std::uint64_t value :
             {l.user, l.nice, l.system, l.idle, l.iowait, l.irq, l.softirq, l.steal}) {
            text += ' ' + std::to_string(value);
        }
        text += " 0 0\n";
    }
    text += "intr 0\nctxt 0\nbtime 0\nprocesses 1\n";
    return text;
}

/// Two /proc/stat texts between which processor i was busy for fractions[i] of 100000 ticks.
inline std::vector<std::string> readingsGiving(const std::vector<double>& fractions) {
    std::vector<StatLine> before(fractions.size());
    std::vector<StatLine> after;
    for (double fraction : fractions) {
        const auto busy = static_cast<std::uint64_t>(fraction * 100000.0 + 0.5);
        after.push_back(StatLine{.user = busy, .idle = 100000 - busy});
    }
    return {procStat(before), procStat(after)};
}

} // namespace velto::test
