#pragma once

#include "Support/MedianReporter.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <vector>

namespace velto::bench {

/// One piece of work a benchmark sets against its floor, and the label its figures print under.
struct Measured {
    const char* name;
    const char* label;
};

/**
 * The main of a benchmark that sets pieces of work against one floor: runs
 * every registered benchmark with interleaved repetitions (a burst of load on
 * the machine then spreads over all of them instead of one; a flag on the
 * command line still overrides it), prints for each piece the two medians and
 * their ratio as "<label>: <ratio>x", and returns what main should: 1 when a
 * median is missing or an argument was not understood.
 */
inline int runAndPrintRatios(int argc, char** argv, const char* floor,
                             const std::vector<Measured>& measured) {
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

    const double bare = reporter.median(floor);
    int result = 0;
    for (const Measured& piece : measured) {
        const double work = reporter.median(piece.name);
        if (work <= 0.0 || bare <= 0.0) {
            std::fprintf(stderr, "%s: not measured\n", piece.label);
            result = 1;
            continue;
        }
        std::printf("%s: %.1f us against %.1f us\n", piece.label, work / 1000, bare / 1000);
        std::printf("%s: %.2fx\n", piece.label, work / bare);
    }
    return result;
}

/// runAndPrintRatios with one piece of work.
inline int runAndPrintRatio(int argc, char** argv, const char* measured, const char* floor,
                            const char* label) {
    return runAndPrintRatios(argc, argv, floor, {{measured, label}});
}

} // namespace velto::bench
