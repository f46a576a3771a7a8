// One menu-bar update — a changed CPU reading, its text relaid and the item
// redrawn — against the CPU metrics tick alone, from the same in-memory
// /proc/stat text so that every tick really changes the reading.

#include "Support/RatioRun.h"

#include <CPUCore/CPUMenuBarView.h>
#include <CPUCore/CPUMetricsSource.h>
#include <QApplication>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace {

constexpr const char* kTick = "BM_CPUTick";
constexpr const char* kUpdate = "BM_MenuBarUpdate";

/// A /proc/stat whose busy share moves on every call, so each tick publishes a new value.
velto::CPUMetricsSource::TextReader changingStat() {
    auto step = std::make_shared<unsigned long long>(0);
    return [step]() -> std::optional<std::string> {
        const unsigned long long n = ++*step;
        const unsigned long long busy = n * 100 + (n % 7) * 13;
        const unsigned long long idle = n * 100 + (n % 5) * 29;
        std::string line =
            "cpu  " + std::to_string(busy) + " 0 0 " + std::to_string(idle) + " 0 0 0 0 0 0\n";
        line += "cpu0 " + std::to_string(busy) + " 0 0 " + std::to_string(idle) + " 0 0 0 0 0 0\n";
        return line;
    };
}

void BM_CPUTick(benchmark::State& state) {
    velto::CPUMetricsSource source(changingStat());
    source.start(3600.0);
    for (auto _ : state) {
        source.tick();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(source.latest());
    }
}
BENCHMARK(BM_CPUTick)->Repetitions(5);

void BM_MenuBarUpdate(benchmark::State& state) {
    auto source = std::make_shared<velto::CPUMetricsSource>(changingStat());
    source->start(3600.0);
    velto::CPUMenuBarView view(source);
    view.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        source->tick();
        // The view hears of the change on the next turn of the loop, then paints.
        QCoreApplication::processEvents();
        view.repaint();
    }
}
BENCHMARK(BM_MenuBarUpdate)->Repetitions(5);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return velto::bench::runAndPrintRatio(argc, argv, kUpdate, kTick,
                                          "menu-bar update (tick, relayout, redraw) / cpu tick");
}
