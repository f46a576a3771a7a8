// What one CPU sample costs against the floor under it: opening, reading and closing
// /proc/stat, which the kernel fills in on every read. Prints the ratio of the medians
// on its own line.
#include "CPUCore/CPUMetricsSource.h"
#include "Support/RatioRun.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <map>
#include <string>
#include <unistd.h>

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

} // namespace

int main(int argc, char** argv) {
    // The source's timer needs the main thread's event loop to exist, not to run.
    QCoreApplication app(argc, argv);
    return velto::bench::runAndPrintRatio(argc, argv, kTick, kBare,
                                          "cpu tick / bare /proc/stat read");
}
