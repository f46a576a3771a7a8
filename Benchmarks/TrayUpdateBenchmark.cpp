// One reading change on the tray back end — a changed CPU reading relaid and
// redrawn, the button encoded as the tray's pixmaps, and NewIcon and
// XAyatanaNewLabel sent on the bus — against the CPU metrics tick alone. The
// watcher is the tests' fake one, on a connection of its own in this process:
// run under dbus-run-session.

#include "Support/MedianReporter.h"

#include <CPUCore/CPUMenuBarView.h>
#include <CPUCore/CPUMetricsSource.h>
#include <FakeTrayWatcher.h>
#include <Platform/StatusBarButton.h>
#include <Platform/StatusItem.h>
#include <Platform/StatusNotifierItem.h>
#include <Platform/TrayStatusBar.h>
#include <Platform/TrayStatusItem.h>
#include <QApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <string>

namespace {

constexpr const char* kTick = "BM_CPUTick";
constexpr const char* kUpdate = "BM_TrayUpdate";

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

template <typename Predicate> bool turnLoopUntil(Predicate predicate, int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (!predicate()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents();
    }
    return true;
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

void BM_TrayUpdate(benchmark::State& state) {
    velto::test::FakeTrayWatcher watcher;
    if (!watcher.join()) {
        state.SkipWithError("no session bus, or the watcher's name is taken");
        return;
    }
    velto::platform::TrayStatusBar bar(QDBusConnection::sessionBus());
    velto::platform::StatusItem* item =
        bar.statusItem(velto::platform::StatusItem::kVariableLength);
    item->setAutosaveName(QStringLiteral("velto.widget.cpu"));
    item->setLength(44);
    auto source = std::make_shared<velto::CPUMetricsSource>(changingStat());
    source->start(3600.0);
    velto::CPUMenuBarView view(source);
    view.setGeometry(2, 0, 40, static_cast<int>(bar.thickness()));
    item->button()->addSubview(&view);

    auto* trayItem = static_cast<velto::platform::TrayStatusItem*>(item);
    if (!turnLoopUntil([&] { return watcher.registered().size() == 1; }, 5000) ||
        !trayItem->exported()) {
        state.SkipWithError("the item never reached the tray");
        return;
    }
    const velto::platform::StatusNotifierItem& exported = *trayItem->exported();
    int unchanged = 0;
    for (auto _ : state) {
        const int before = exported.newIconCount();
        source->tick();
        // Change notice, repaint, pixmap encode and the signals, each on a turn of the loop.
        if (!turnLoopUntil([&] { return exported.newIconCount() != before; }, 50))
            ++unchanged;
    }
    state.counters["ticks_without_new_icon"] = unchanged;
}
BENCHMARK(BM_TrayUpdate)->Repetitions(5);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    velto::bench::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double tick = reporter.median(kTick);
    const double update = reporter.median(kUpdate);
    if (tick <= 0 || update <= 0) {
        std::fprintf(stderr, "tray update / cpu tick: not measured\n");
        return 1;
    }
    std::printf("tray update (tick, redraw, pixmaps, NewIcon + XAyatanaNewLabel): %.1f us; "
                "cpu tick alone: %.1f us\n",
                update / 1000, tick / 1000);
    std::printf("tray update / cpu tick: %.2fx\n", update / tick);
    return 0;
}
