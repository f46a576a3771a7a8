// What one SettingsStore read and one write cost against the floor under them:
// a bare stat() of the domain file, which every read makes to notice changes
// made elsewhere. A write also takes the lock, re-reads and merges the file,
// writes a new one, syncs it to disk and renames it over the old one, so its
// cost depends mostly on the disk under the benchmark folder (TMPDIR).
// Prints the ratios of the medians of the wall-clock times on their own lines.

#include "SettingsStore.h"
#include "Support/MedianReporter.h"

#include <Platform/UserDefaults.h>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr const char* kStat = "BM_BareStat";
constexpr const char* kRead = "BM_SettingsRead";
constexpr const char* kWrite = "BM_SettingsWrite";
constexpr int kRepetitions = 5;

/// A domain in a throw-away folder holding what a user's settings hold.
struct Fixture {
    QTemporaryDir folder;
    std::unique_ptr<velto::platform::UserDefaults> defaults;
    std::unique_ptr<velto::SettingsStore> store;
    QByteArray path;

    Fixture() {
        defaults = std::make_unique<velto::platform::UserDefaults>(
            QStringLiteral("org.velto.velto"), folder.path());
        store = std::make_unique<velto::SettingsStore>(*defaults);
        store->setRefreshInterval(2.0);
        store->setCompactMenuBar(false);
        store->setPublicIPLookupEnabled(true);
        for (const char* id : {"cpu", "ram", "gpu", "network"})
            store->setEnabled(true, QString::fromLatin1(id));
        defaults->setValue(QStringLiteral("statusItemNamesMigrated"), true);
        path = QFile::encodeName(defaults->filePath());
    }

    bool ready() const {
        struct stat info {};
        return folder.isValid() && ::stat(path.constData(), &info) == 0;
    }
};

Fixture& fixture() {
    static Fixture shared;
    return shared;
}

void BM_BareStat(benchmark::State& state) {
    Fixture& f = fixture();
    if (!f.ready()) {
        state.SkipWithError("the domain file could not be written");
        return;
    }
    struct stat info {};
    for (auto _ : state) {
        benchmark::DoNotOptimize(::stat(f.path.constData(), &info));
        benchmark::DoNotOptimize(info.st_ino);
    }
}
BENCHMARK(BM_BareStat)->Repetitions(kRepetitions)->UseRealTime();

// The file is unchanged between reads, as it is nearly always: a stat and the cached object.
void BM_SettingsRead(benchmark::State& state) {
    Fixture& f = fixture();
    if (!f.ready()) {
        state.SkipWithError("the domain file could not be written");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(f.store->refreshInterval());
}
BENCHMARK(BM_SettingsRead)->Repetitions(kRepetitions)->UseRealTime();

void BM_SettingsWrite(benchmark::State& state) {
    Fixture& f = fixture();
    if (!f.ready()) {
        state.SkipWithError("the domain file could not be written");
        return;
    }
    double seconds = 1.0;
    for (auto _ : state) {
        seconds = seconds == 1.0 ? 1.5 : 1.0;
        f.store->setRefreshInterval(seconds);
    }
    if (f.store->refreshInterval() != seconds)
        state.SkipWithError("a write did not reach the domain");
}
BENCHMARK(BM_SettingsWrite)->Repetitions(kRepetitions)->UseRealTime();

using RecordingReporter = velto::bench::MedianReporter;

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RecordingReporter reporter(RecordingReporter::Clock::Wall);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    // All three are reported in nanoseconds, the default unit.
    const double bare = reporter.median(kStat);
    const double read = reporter.median(kRead);
    const double write = reporter.median(kWrite);
    if (bare <= 0.0 || read <= 0.0 || write <= 0.0) {
        std::fprintf(stderr, "settings read and write / bare stat: not measured\n");
        return 1;
    }
    std::printf("domain folder: %s\n", qPrintable(fixture().folder.path()));
    std::printf("settings read / bare stat: %.2fx (%.0f ns / %.0f ns)\n", read / bare, read, bare);
    std::printf("settings write / bare stat: %.0fx (%.0f ns / %.0f ns)\n", write / bare, write,
                bare);
    return 0;
}
