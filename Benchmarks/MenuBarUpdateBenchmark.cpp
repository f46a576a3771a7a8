// One menu-bar update — a changed CPU reading, its text relaid and the item
// redrawn — against the CPU metrics tick alone, from the same in-memory
// /proc/stat text so that every tick really changes the reading.

#include "Support/RatioRun.h"
#include "Support/SwingingCPU.h"

#include <CPUCore/CPUMenuBarView.h>
#include <CPUCore/CPUMetricsSource.h>
#include <QApplication>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace {

constexpr const char* kTick = "BM_CPUTick";
constexpr const char* kUpdate = "BM_MenuBarUpdate";

BENCHMARK(velto::bench::cpuTickFromSwingingStat)->Name(kTick)->Repetitions(5);

void BM_MenuBarUpdate(benchmark::State& state) {
    auto source = std::make_shared<velto::CPUMetricsSource>(velto::bench::swingingStat());
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
