#pragma once

#include <algorithm>
#include <benchmark/benchmark.h>
#include <map>
#include <string>
#include <vector>

namespace velto::bench {

/**
 * Console output as usual, and the time per iteration of every repetition
 * kept aside, so that a benchmark can print the ratio of two medians. CPU time
 * by default: on a shared machine it moves far less than wall-clock time.
 * Wall-clock time where the work waits for a device, as a write for the disk.
 */
class MedianReporter : public benchmark::ConsoleReporter {
public:
    enum class Clock { CPU, Wall };

    explicit MedianReporter(Clock clock = Clock::CPU) : m_clock(clock) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                m_times[run.run_name.function_name].push_back(
                    m_clock == Clock::CPU ? run.GetAdjustedCPUTime() : run.GetAdjustedRealTime());
        }
    }

    /// The median over the repetitions of @p name; 0 when it did not run.
    double median(const std::string& name) const {
        const auto found = m_times.find(name);
        if (found == m_times.end() || found->second.empty())
            return 0.0;
        std::vector<double> times = found->second;
        std::sort(times.begin(), times.end());
        const std::size_t middle = times.size() / 2;
        return times.size() % 2 == 1 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
    }

private:
    Clock m_clock;
    std::map<std::string, std::vector<double>> m_times;
};

} // namespace velto::bench
