// What one GPU reading costs against the floor under it: listing /sys/class/drm, which
// every walk does before it reads a card. Prints the ratio of the medians on its own
// line, then the same pair over a made-up tree with two cards, for machines whose
// /sys/class/drm is missing or has no card with a counter.
#include "GPUCore/GPUMetricsSource.h"
#include "Support/MedianReporter.h"

#include <QCoreApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <map>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr const char* kList = "BM_ListDrmClass";
constexpr const char* kWalk = "BM_GPUWalk";
constexpr const char* kFixtureList = "BM_ListFixtureDrmClass";
constexpr const char* kFixtureWalk = "BM_GPUWalkFixture";
// The ratio compares medians, which a busy machine disturbs far less than single runs.
constexpr int kRepetitions = 5;

// Two cards as a laptop with a discrete GPU has them: the first without a counter,
// the second reporting, each with a connector beside it.
std::string& fixtureRoot() {
    static std::string root = [] {
        char folder[] = "/tmp/velto-gpu-bench-XXXXXX";
        if (!::mkdtemp(folder)) {
            return std::string();
        }
        const std::string drm = std::string(folder) + "/class/drm";
        for (const std::string& path :
             {std::string(folder) + "/class", drm, drm + "/card0", drm + "/card0/device",
              drm + "/card0-eDP-1", drm + "/card1", drm + "/card1/device", drm + "/card1-DP-1",
              drm + "/renderD128", drm + "/renderD129"}) {
            ::mkdir(path.c_str(), 0755);
        }
        std::ofstream(drm + "/card1/device/gpu_busy_percent") << "20\n";
        return std::string(folder);
    }();
    return root;
}

void listFolder(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        std::size_t entries = 0;
        // A missing folder is what such a machine's walk meets too: the open attempt is
        // the floor then.
        if (DIR* folder = ::opendir(path.c_str())) {
            while (const dirent* entry = ::readdir(folder)) {
                benchmark::DoNotOptimize(entry);
                ++entries;
            }
            ::closedir(folder);
        }
        benchmark::DoNotOptimize(entries);
    }
}

// One timer tick of a running source: the cards, then NVIDIA's library where the
// cards report nothing, and the snapshot published.
void walk(benchmark::State& state, const std::string& sysfsRoot) {
    velto::GPUMetricsSource source(sysfsRoot);
    // Never fires within the run: the benchmark drives the ticks.
    source.start(3600.0);
    for (auto _ : state) {
        source.tick();
        benchmark::DoNotOptimize(source.latest());
    }
}

void BM_ListDrmClass(benchmark::State& state) {
    listFolder(state, "/sys/class/drm");
}
BENCHMARK(BM_ListDrmClass)->Repetitions(kRepetitions);

void BM_GPUWalk(benchmark::State& state) {
    walk(state, "/sys");
}
BENCHMARK(BM_GPUWalk)->Repetitions(kRepetitions);

void BM_ListFixtureDrmClass(benchmark::State& state) {
    listFolder(state, fixtureRoot() + "/class/drm");
}
BENCHMARK(BM_ListFixtureDrmClass)->Repetitions(kRepetitions);

void BM_GPUWalkFixture(benchmark::State& state) {
    walk(state, fixtureRoot());
}
BENCHMARK(BM_GPUWalkFixture)->Repetitions(kRepetitions);

using RecordingReporter = velto::bench::MedianReporter;

bool printRatio(const RecordingReporter& reporter, const char* walkName, const char* listName,
                const char* label) {
    const double list = reporter.median(listName);
    const double walkTime = reporter.median(walkName);
    if (list <= 0.0 || walkTime <= 0.0) {
        std::printf("%s: not measured\n", label);
        return false;
    }
    std::printf("%s: %.2fx\n", label, walkTime / list);
    return true;
}

void removeFixture() {
    const std::string& root = fixtureRoot();
    if (root.empty()) {
        return;
    }
    const std::string drm = root + "/class/drm";
    std::remove((drm + "/card1/device/gpu_busy_percent").c_str());
    for (const char* sub : {"/card0/device", "/card0", "/card0-eDP-1", "/card1/device", "/card1",
                            "/card1-DP-1", "/renderD128", "/renderD129"}) {
        ::rmdir((drm + sub).c_str());
    }
    ::rmdir(drm.c_str());
    ::rmdir((root + "/class").c_str());
    ::rmdir(root.c_str());
}

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

    const bool measured = printRatio(reporter, kWalk, kList, "gpu walk / listing /sys/class/drm");
    printRatio(reporter, kFixtureWalk, kFixtureList, "gpu walk / listing, two-card tree");
    removeFixture();
    return measured ? 0 : 1;
}
