#pragma once

#include "Support/MedianReporter.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <vector>

namespace velto::bench {

/**
 * The main of a benchmark that sets one piece of work against its floor: runs
 * every registered benchmark with interleaved repetitions (a burst of load on
 * the machine then spreads over both instead of one; a flag on the command
 * line still overrides it), prints the two medians and their ratio as
 * "<label>: <ratio>x", and returns what main should: 1 when either median is
 * missing or an argument was not understood.
 */
inline int runAndPrintRatio(int argc, char** argv, const char* measured, const char* floor,
                            const char* label) {
    std::vector<char*> arguments(argv, argv + argc);
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    arguments.insert(arguments.begin() + 1, interleave);
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data()))
        return 1;
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double work = reporter.median(measured);
    const double bare = reporter.median(floor);
    if (work <= 0.0 || bare <= 0.0) {
        std::fprintf(stderr, "%s: not measured\n", label);
        return 1;
    }
    std::printf("%s: %.1f us against %.1f us\n", label, work / 1000, bare / 1000);
    std::printf("%s: %.2fx\n", label, work / bare);
    return 0;
}

} // namespace velto::bench
