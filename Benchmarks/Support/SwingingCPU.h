#pragma once

#include <CPUCore/CPUMetricsSource.h>
#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace velto::bench {

/// An in-memory /proc/stat whose busy share on each call is @p shareOf(call
/// number, from 0), in percent.
inline CPUMetricsSource::TextReader
statWithBusyShares(std::function<unsigned long long(unsigned long long)> shareOf) {
    struct Totals {
        unsigned long long n = 0, busy = 0, idle = 0;
    };
    auto totals = std::make_shared<Totals>();
    return [totals, shareOf = std::move(shareOf)]() -> std::optional<std::string> {
        const unsigned long long share = shareOf(totals->n++);
        totals->busy += share;
        totals->idle += 100 - share;
        const std::string fields = std::to_string(totals->busy) + " 0 0 " +
                                   std::to_string(totals->idle) + " 0 0 0 0 0 0\n";
        return "cpu  " + fields + "cpu0 " + fields;
    };
}

/// An in-memory /proc/stat whose busy share swings between 20% and 70% on every
/// call, so each tick publishes a new reading and every view of it redraws.
inline CPUMetricsSource::TextReader swingingStat() {
    return statWithBusyShares([](unsigned long long n) { return n % 2 == 0 ? 20ULL : 70ULL; });
}

/// One CPU metrics tick from swingingStat() with its change notice delivered: the
/// floor the views' benchmarks are set against. Register it with BENCHMARK.
inline void cpuTickFromSwingingStat(benchmark::State& state) {
    CPUMetricsSource source(swingingStat());
    source.start(3600.0);
    for (auto _ : state) {
        source.tick();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(source.latest());
    }
}

} // namespace velto::bench
