// What one RAM sample costs against the floor under it: opening, reading and closing
// /proc/meminfo, which the kernel fills in on every read. Prints the ratio of the
// medians on its own line.
#include "RAMCore/RAMMetricsSource.h"
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

constexpr const char* kBare = "BM_BareMemInfoRead";
constexpr const char* kTick = "BM_RAMMetricsTick";
// The ratio compares medians, which a busy machine disturbs far less than single runs.
constexpr int kRepetitions = 5;

void BM_BareMemInfoRead(benchmark::State& state) {
    static std::array<char, 1 << 14> buffer;
    for (auto _ : state) {
        const int fd = ::open("/proc/meminfo", O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            state.SkipWithError("cannot open /proc/meminfo");
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
BENCHMARK(BM_BareMemInfoRead)->Repetitions(kRepetitions);

// One timer tick of a running source: read, parse, convert and publish the snapshot.
void BM_RAMMetricsTick(benchmark::State& state) {
    velto::RAMMetricsSource source;
    // Never fires within the run: the benchmark drives the ticks. start() reads once.
    source.start(3600.0);
    if (!source.latest()) {
        state.SkipWithError("/proc/meminfo unreadable or not understood");
        return;
    }
    for (auto _ : state) {
        source.tick();
        benchmark::DoNotOptimize(source.latest());
    }
}
BENCHMARK(BM_RAMMetricsTick)->Repetitions(kRepetitions);

} // namespace

int main(int argc, char** argv) {
    // The source's timer needs the main thread's event loop to exist, not to run.
    QCoreApplication app(argc, argv);
    return velto::bench::runAndPrintRatio(argc, argv, kTick, kBare,
                                          "ram tick / bare /proc/meminfo read");
}
