// What one network sample costs against the floor under it: one bare getifaddrs and
// freeifaddrs, which is a netlink dump of every link and address. Runs on the host's
// interfaces and, where `ip netns` works (root), again inside a fresh network namespace
// with 64 dummy links, which it removes afterwards. Prints the ratio of the medians of
// each run on its own line.
#include "NetworkCore/NetworkMetricsSource.h"
#include "Support/MedianReporter.h"

#include <QCoreApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <ifaddrs.h>
#include <map>
#include <sched.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRepetitions = 5;
constexpr int kDummyLinks = 64;

void bareGetIfAddrs(benchmark::State& state) {
    for (auto _ : state) {
        ifaddrs* list = nullptr;
        if (::getifaddrs(&list) != 0) {
            state.SkipWithError("getifaddrs failed");
            break;
        }
        benchmark::DoNotOptimize(list);
        ::freeifaddrs(list);
    }
}

// One timer tick of a running source: the interface walk with the kernel's 64-bit
// counters, the rates against the previous reading and the published snapshot.
void networkTick(benchmark::State& state) {
    velto::NetworkMetricsSource source(velto::NetworkMetricsSource::Seams{
        {}, {}, {}, [](velto::NetworkMetricsSource::LookupCompletion) {}});
    source.setPublicIPLookupEnabled(false);
    // Never fires within the run: the benchmark drives the ticks.
    source.start(3600.0);
    for (auto _ : state) {
        source.tick();
        benchmark::DoNotOptimize(source.latest());
    }
    state.counters["interfaces"] =
        source.latest() ? static_cast<double>(source.latest()->perInterface.size()) : 0.0;
}

using RecordingReporter = velto::bench::MedianReporter;

// Runs both benchmarks under @p label and prints their ratio; false if either failed.
bool measure(const std::string& label) {
    benchmark::ClearRegisteredBenchmarks();
    const std::string bare = label + "/BareGetIfAddrs";
    const std::string tick = label + "/NetworkTick";
    benchmark::RegisterBenchmark(bare.c_str(), bareGetIfAddrs)->Repetitions(kRepetitions);
    benchmark::RegisterBenchmark(tick.c_str(), networkTick)->Repetitions(kRepetitions);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double bareTime = reporter.median(bare);
    const double tickTime = reporter.median(tick);
    if (bareTime <= 0.0 || tickTime <= 0.0) {
        std::printf("%s: network tick / bare getifaddrs: not measured\n", label.c_str());
        return false;
    }
    std::printf("%s: network tick / bare getifaddrs: %.2fx\n", label.c_str(), tickTime / bareTime);
    return true;
}

bool run(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

// A namespace of its own with the dummy links, entered by this thread only; the
// destructor leaves it and removes it with its links.
class DummyNamespace {
public:
    DummyNamespace() : m_name("velto-bench-" + std::to_string(::getpid())) {
        if (!run("ip netns add " + m_name + " 2>/dev/null")) {
            return;
        }
        m_created = true;
        // Where the kernel lacks the dummy driver (some containers), bridges without
        // ports stand in: links with counters that carry no traffic all the same.
        if (!run("ip -n " + m_name + " link add probe0 type dummy 2>/dev/null")) {
            m_type = "bridge";
        }
        run("ip -n " + m_name + " link delete probe0 2>/dev/null");
        std::string batch;
        for (int i = 0; i < kDummyLinks; ++i) {
            batch += "link add dummy" + std::to_string(i) + " type " + m_type + "\n";
            batch += "link set dummy" + std::to_string(i) + " up\n";
        }
        const std::string script = "/tmp/" + m_name + ".batch";
        if (FILE* file = std::fopen(script.c_str(), "w")) {
            std::fputs(batch.c_str(), file);
            std::fclose(file);
        }
        const bool linked = run("ip -n " + m_name + " -batch " + script + " 2>/dev/null");
        std::remove(script.c_str());
        m_home = ::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
        const int target = ::open(("/run/netns/" + m_name).c_str(), O_RDONLY | O_CLOEXEC);
        m_entered = linked && m_home >= 0 && target >= 0 && ::setns(target, CLONE_NEWNET) == 0;
        if (target >= 0) {
            ::close(target);
        }
    }
    ~DummyNamespace() {
        if (m_entered) {
            ::setns(m_home, CLONE_NEWNET);
        }
        if (m_home >= 0) {
            ::close(m_home);
        }
        if (m_created) {
            run("ip netns delete " + m_name);
        }
    }
    bool entered() const { return m_entered; }
    const std::string& type() const { return m_type; }

private:
    std::string m_name;
    std::string m_type = "dummy";
    bool m_created = false;
    bool m_entered = false;
    int m_home = -1;
};

} // namespace

int main(int argc, char** argv) {
    // The source's timer needs the main thread's event loop to exist, not to run.
    QCoreApplication app(argc, argv);
    std::vector<char*> arguments(argv, argv + argc);
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    arguments.insert(arguments.begin() + 1, interleave);
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) {
        return 1;
    }
    bool measured = measure("host");
    {
        const DummyNamespace dummies;
        if (dummies.entered()) {
            std::printf("netns: %d links of type %s\n", kDummyLinks, dummies.type().c_str());
            measured = measure("netns-64-dummies") && measured;
        } else {
            std::printf("netns-64-dummies: skipped (needs root and iproute2's ip netns)\n");
        }
    }
    benchmark::Shutdown();
    return measured ? 0 : 1;
}
