// One reading change on the tray back end — a changed CPU reading relaid and
// redrawn, the button encoded as the tray's pixmaps, and NewIcon and
// XAyatanaNewLabel sent on the bus — against the CPU metrics tick alone: once
// for a reading that swings between two values, whose squares of figures are
// kept, and once for a new value on every tick, whose figures are drawn. The
// watcher is the tests' fake one, on a connection of its own in this process:
// run under dbus-run-session.

#include "Support/RatioRun.h"
#include "Support/SwingingCPU.h"

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
#include <memory>
#include <utility>

namespace {

constexpr const char* kTick = "BM_CPUTick";
constexpr const char* kUpdate = "BM_TrayUpdate";
constexpr const char* kNewReading = "BM_TrayUpdateNewReading";

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

BENCHMARK(velto::bench::cpuTickFromSwingingStat)->Name(kTick)->Repetitions(5);

// An in-memory /proc/stat whose busy share steps through 80 values, one per
// call: every tick shows a reading the tray has not had lately.
velto::CPUMetricsSource::TextReader steppingStat() {
    return velto::bench::statWithBusyShares([](unsigned long long n) { return 10 + n % 80; });
}

void trayUpdates(benchmark::State& state, velto::CPUMetricsSource::TextReader stat) {
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
    auto source = std::make_shared<velto::CPUMetricsSource>(std::move(stat));
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
    // The first tick only sets the baseline of the busy share.
    source->tick();
    turnLoopUntil([] { return false; }, 100);
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

void BM_TrayUpdate(benchmark::State& state) {
    trayUpdates(state, velto::bench::swingingStat());
}
BENCHMARK(BM_TrayUpdate)->Repetitions(5);

void BM_TrayUpdateNewReading(benchmark::State& state) {
    trayUpdates(state, steppingStat());
}
BENCHMARK(BM_TrayUpdateNewReading)->Repetitions(5);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return velto::bench::runAndPrintRatios(
        argc, argv, kTick,
        {{kUpdate, "tray update, a reading shown before (tick, redraw, pixmaps, NewIcon + "
                   "XAyatanaNewLabel) / cpu tick"},
         {kNewReading, "tray update, a new reading (the same, its figures drawn) / cpu tick"}});
}
