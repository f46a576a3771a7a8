// What one CPU sample costs against the floor under it: opening, reading and closing
// /proc/stat, which the kernel fills in on every read. Prints the ratio of the medians
// on its own line.
#include "CPUCore/CPUMetricsSource.h"
#include "Support/MedianReporter.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kBare = "BM_BareProcStatRead";
constexpr const char* kTick = "BM_CPUMetricsTick";
// The ratio compares medians, which a busy machine disturbs far less than single runs.
constexpr int kRepetitions = 5;

void BM_BareProcStatRead(benchmark::State& state) {
    static std::array<char, 1 << 16> buffer;
    for (auto _ : state) {
        const int fd = ::open("/proc/stat", O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            state.SkipWithError("cannot open /proc/stat");
            break;
        }
        std::size_t total = 0;
        for (;;) {
            const ssize_t got = ::read(fd, buffer.data(), buffer.size());
            if (got <= 0) {
                break;
            }
            total += static_cast<std::size_t>(got);
        }
        ::close(fd);
        benchmark::DoNotOptimize(total);
        benchmark::DoNotOptimize(buffer.data());
    }
}
BENCHMARK(BM_BareProcStatRead)->Repetitions(kRepetitions);

// One timer tick of a running source: read, parse, compare with the previous reading
// and publish the snapshot.
void BM_CPUMetricsTick(benchmark::State& state) {
    velto::CPUMetricsSource source;
    // Never fires within the run: the benchmark drives the ticks.
    source.start(3600.0);
    source.tick();
    if (!source.hasBaseline()) {
        state.SkipWithError("/proc/stat unreadable or not understood");
        return;
    }
    for (auto _ : state) {
        source.tick();
        benchmark::DoNotOptimize(source.latest());
    }
}
BENCHMARK(BM_CPUMetricsTick)->Repetitions(kRepetitions);

using RecordingReporter = velto::bench::MedianReporter;

} // namespace

int main(int argc, char** argv) {
    // The source's timer needs the main thread's event loop to exist, not to run.
    QCoreApplication app(argc, argv);
    // Interleaved repetitions spread a burst of load on the machine over both benchmarks
    // instead of one; a flag on the command line still overrides it.
    std::vector<char*> arguments(argv, argv + argc);
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    arguments.insert(arguments.begin() + 1, interleave);
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) {
        return 1;
    }
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double bare = reporter.median(kBare);
    const double tick = reporter.median(kTick);
    if (bare <= 0.0 || tick <= 0.0) {
        std::fprintf(stderr, "cpu tick / bare /proc/stat read: not measured\n");
        return 1;
    }
    std::printf("cpu tick / bare /proc/stat read: %.2fx\n", tick / bare);
    return 0;
}
