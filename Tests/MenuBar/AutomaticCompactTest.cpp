// Automatic compact mode on velto's own bar, with a clock and displays the
// test drives; and logind's sleep signal played on the session bus.

#include "DisplayEnvironment.h"
#include "MenuBarGauges.h"
#include "PassthroughHostingView.h"
#include "PluginLoader.h"
#include "PopoverShower.h"
#include "SettingsStore.h"
#include "StatusBarController.h"

#include <Platform/OwnStatusBar.h>
#include <Platform/Popover.h>
#include <Platform/SleepMonitor.h>
#include <Platform/StatusBarButton.h>
#include <Platform/StatusItem.h>
#include <Platform/UserDefaults.h>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

using namespace velto;
using test::gauge;

namespace {

/// Time moves only when the test says so; the first display is the main one.
class ManualDisplays final : public DisplayEnvironment {
public:
    double now() const override { return time; }
    void startRepeating(double interval, std::function<void()> tick) override {
        timers.push_back({interval, time + interval, std::move(tick)});
    }
    WorkID schedule(double delay, std::function<void()> work) override {
        pending.push_back({nextWork, time + delay, std::move(work)});
        return nextWork++;
    }
    void cancel(WorkID work) override {
        std::erase_if(pending, [work](const Work& entry) { return entry.id == work; });
    }
    std::vector<DisplayDescription> screens() const override { return displays; }
    std::optional<DisplayDescription> mainScreen() const override {
        return displays.empty() ? std::nullopt : std::optional(displays.front());
    }
    // The own bar's windows are on the main screen.
    std::optional<DisplayDescription> describe(const platform::Screen&) const override {
        return mainScreen();
    }
    void observe(Observers observers) override { notices = std::move(observers); }

    /// Runs every tick and work item due up to @p until, in time order.
    void advanceTo(double until) {
        for (;;) {
            double next = until;
            for (const Timer& timer : timers)
                next = std::min(next, timer.next);
            for (const Work& work : pending)
                next = std::min(next, work.due);
            const auto due = std::find_if(pending.begin(), pending.end(),
                                          [next](const Work& work) { return work.due <= next; });
            const auto timer = std::find_if(timers.begin(), timers.end(),
                                            [next](const Timer& t) { return t.next <= next; });
            time = next;
            if (due != pending.end()) {
                const std::function<void()> run = std::move(due->run);
                pending.erase(due);
                ++workRuns;
                run();
            } else if (timer != timers.end()) {
                timer->next += timer->interval;
                timer->tick();
            } else {
                return;
            }
        }
    }

    struct Timer {
        double interval;
        double next;
        std::function<void()> tick;
    };
    struct Work {
        WorkID id;
        double due;
        std::function<void()> run;
    };

    double time = 0;
    std::vector<DisplayDescription> displays;
    Observers notices;
    std::vector<Timer> timers;
    std::vector<Work> pending;
    WorkID nextWork = 1;
    int workRuns = 0;
};

/// A bar whose host owns the geometry, as a tray's does; items live on an own bar beneath.
class HostOwnedBar final : public platform::StatusBar {
public:
    platform::StatusItem* statusItem(double length) override { return inner.statusItem(length); }
    double thickness() const override { return inner.thickness(); }
    bool reportsItemFrames() const override { return false; }
    Kind kind() const override { return inner.kind(); }

    platform::OwnStatusBar inner;
};

// A built-in 800 by 600 display, y up, with a 24-point menu bar along its top.
DisplayDescription builtInDisplay() {
    DisplayDescription display;
    display.frame = QRectF(0, 0, 800, 600);
    display.visibleFrame = QRectF(0, 0, 800, 576);
    display.displayNumber = 1;
    display.isBuiltIn = true;
    return display;
}

DisplayDescription externalDisplay() {
    DisplayDescription display;
    display.frame = QRectF(800, 0, 1920, 1080);
    display.visibleFrame = QRectF(800, 0, 1920, 1056);
    display.displayNumber = 2;
    return display;
}

template <typename Bar> class AutomaticCompactFixture : public testing::Test {
protected:
    AutomaticCompactFixture() {
        auto manual = std::make_unique<ManualDisplays>();
        env = manual.get();
        env->displays = {builtInDisplay()};
        controller = std::make_unique<StatusBarController>(settings, loader, nullptr, bar, shower,
                                                           std::move(manual));
        controller->present({gauge("cpu", 38), gauge("ram", 50), gauge("gpu", 14)});
        QCoreApplication::sendPostedEvents();
    }

    platform::OwnStatusBar& ownBar() {
        if constexpr (std::is_same_v<Bar, platform::OwnStatusBar>)
            return bar;
        else
            return bar.inner;
    }
    /// The leftmost visible item's frame, y up.
    QRectF leftmostItem() {
        std::optional<QRectF> leftmost;
        for (platform::StatusItem* item : ownBar().items())
            if (const auto frame = item->frame();
                frame && (!leftmost || frame->x() < leftmost->x()))
                leftmost = frame;
        return leftmost.value_or(QRectF());
    }
    /// A notch whose right-hand area starts @p overlap points right of the leftmost item.
    void notchOverlaps(double overlap) {
        const QRectF item = leftmostItem();
        env->displays.front().rightOfNotch = QRectF(item.x() + overlap, 576, 800 - item.x(), 24);
    }
    void itemsHidden() { notchOverlaps(0.6); }
    void itemsShown() { notchOverlaps(0.5); }
    void displaysChange() { env->notices.displaysChanged(); }
    bool separate() const {
        return !controller->isCombined() && controller->settingsItem()->isVisible() &&
               !controller->combinedItem()->isVisible();
    }

    platform::UserDefaults defaults{QStringLiteral("org.velto.automatic-compact")};
    SettingsStore settings{defaults};
    PluginLoader loader{defaults};
    Bar bar;
    PopoverShower shower;
    ManualDisplays* env = nullptr;
    std::unique_ptr<StatusBarController> controller;
};

using AutomaticCompactTest = AutomaticCompactFixture<platform::OwnStatusBar>;
using HostOwnedAutomaticCompactTest = AutomaticCompactFixture<HostOwnedBar>;

} // namespace

TEST_F(AutomaticCompactTest, ThreeHiddenChecksSwitchAtTheThirdAndItStays) {
    itemsHidden();
    const auto* cpu = controller->slot(QStringLiteral("cpu"));
    env->advanceTo(8.9);
    EXPECT_FALSE(controller->isCombined()) << "two checks so far";
    cpu->popover->show(QRectF(0, 0, 10, 10), cpu->hosting.get(), platform::RectEdge::MinY);

    env->advanceTo(9.0);
    EXPECT_TRUE(controller->isCombined() && controller->isAutoCombined());
    EXPECT_TRUE(controller->combinedItem()->isVisible());
    EXPECT_FALSE(cpu->item->isVisible() || controller->settingsItem()->isVisible());
    EXPECT_FALSE(cpu->popover->isShown()) << "the switch closes a shown popover";

    // Room again, but no display change: the combined item stays.
    env->displays.front().rightOfNotch.reset();
    env->advanceTo(60);
    EXPECT_TRUE(controller->isCombined());
}

TEST_F(AutomaticCompactTest, AShownCheckStartsTheCountAgain) {
    itemsHidden();
    env->advanceTo(3); // hidden
    itemsShown();      // half a point past the area still counts as shown
    env->advanceTo(6);
    itemsHidden();
    env->advanceTo(12); // hidden, hidden
    EXPECT_FALSE(controller->isCombined());
    env->advanceTo(15);
    EXPECT_TRUE(controller->isCombined());
}

TEST_F(AutomaticCompactTest, AnAutoHiddenMenuBarGivesNoVerdict) {
    itemsHidden();
    env->advanceTo(6); // two hidden
    DisplayDescription& display = env->displays.front();
    display.visibleFrame.setHeight(600 - 0.9);
    env->advanceTo(9);
    EXPECT_FALSE(controller->isCombined()) << "the streak did not grow";
    display.visibleFrame.setHeight(576);
    env->advanceTo(12);
    EXPECT_TRUE(controller->isCombined()) << "nor was it reset";
}

TEST_F(AutomaticCompactTest, NothingSwitchesWithAnExternalDisplayOrWithoutDisplayNumbers) {
    itemsHidden();
    env->displays.push_back(externalDisplay());
    env->advanceTo(30);
    EXPECT_FALSE(controller->isCombined());

    env->displays.pop_back();
    env->displays.front().displayNumber.reset();
    env->advanceTo(60);
    EXPECT_FALSE(controller->isCombined());

    // The same screens with a number switch: the two above were held back by the rule alone.
    env->displays.front().displayNumber = 7;
    env->advanceTo(69);
    EXPECT_TRUE(controller->isCombined());
}

TEST_F(AutomaticCompactTest, SleepPausesTheChecksAndWakingCountsAsADisplayChange) {
    itemsHidden();
    env->advanceTo(1);
    env->notices.screensDidSleep();
    env->advanceTo(30.5);
    EXPECT_FALSE(controller->isCombined());

    env->notices.screensDidWake();
    // Ticks at 33 (2.5 s after waking, unsettled), then 36, 39 and 42 count.
    env->advanceTo(41.9);
    EXPECT_FALSE(controller->isCombined());
    env->advanceTo(42);
    EXPECT_TRUE(controller->isCombined());
}

TEST_F(AutomaticCompactTest, DisplayChangesRevertOnce4Point5SecondsAfterTheLast) {
    itemsHidden();
    env->advanceTo(9);
    ASSERT_TRUE(controller->isCombined());

    // An external display is plugged in, and its arrangement settles 2 s later.
    env->advanceTo(10);
    env->displays.push_back(externalDisplay());
    displaysChange();
    env->advanceTo(12);
    displaysChange();
    env->advanceTo(16.4);
    EXPECT_TRUE(controller->isCombined()) << "the first change's revert was cancelled";
    env->advanceTo(16.5);
    EXPECT_TRUE(separate());
    EXPECT_FALSE(controller->isAutoCombined());
    EXPECT_EQ(env->workRuns, 1);

    env->advanceTo(120);
    EXPECT_TRUE(separate()) << "and they stay while the external display is there";
}

TEST_F(AutomaticCompactTest, TheCompactSettingAndTheAutomaticSwitchAddUp) {
    itemsHidden();
    env->advanceTo(9);
    ASSERT_TRUE(controller->isAutoCombined());

    settings.setCompactMenuBar(true);
    controller->applyEnabledState();
    settings.setCompactMenuBar(false);
    controller->applyEnabledState();
    EXPECT_TRUE(controller->isCombined()) << "the automatic switch still wants it";

    // A change undoes the switch; the checks then count from nothing.
    displaysChange();
    env->advanceTo(13.5);
    EXPECT_TRUE(separate());
    env->advanceTo(20.9); // ticks at 15, 18 count
    EXPECT_FALSE(controller->isCombined());
    env->advanceTo(21);
    EXPECT_TRUE(controller->isAutoCombined());

    // With the setting on, a change still undoes the automatic switch, the
    // setting keeps the combined item, and no check counts.
    settings.setCompactMenuBar(true);
    controller->applyEnabledState();
    displaysChange();
    env->advanceTo(30);
    EXPECT_TRUE(controller->isCombined() && !controller->isAutoCombined());
    env->advanceTo(120);
    EXPECT_FALSE(controller->isAutoCombined()) << "no checks while the setting is on";
}

TEST_F(HostOwnedAutomaticCompactTest, ABarWithoutItemFramesNeverSwitchesByItself) {
    itemsHidden();
    env->advanceTo(60);
    EXPECT_FALSE(controller->isCombined());
}

TEST(SleepMonitorTest, FollowsPrepareForSleepFromLogindOnly) {
    QDBusConnection logind =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("played-logind"));
    if (!logind.isConnected())
        GTEST_SKIP() << "no session bus; run under dbus-run-session";
    const QString service = QString::fromLatin1(platform::SleepMonitor::kService);
    ASSERT_TRUE(logind.registerService(service));

    platform::SleepMonitor monitor(platform::SleepMonitor::Bus::Session, service);
    ASSERT_TRUE(monitor.isListening());
    std::vector<QString> notices;
    QObject::connect(&monitor, &platform::SleepMonitor::willSleep,
                     [&] { notices.push_back(QStringLiteral("sleep")); });
    QObject::connect(&monitor, &platform::SleepMonitor::didWake,
                     [&] { notices.push_back(QStringLiteral("wake")); });

    const auto prepare = [](QDBusConnection& from, bool start) {
        QDBusMessage signal =
            QDBusMessage::createSignal(QString::fromLatin1(platform::SleepMonitor::kPath),
                                       QString::fromLatin1(platform::SleepMonitor::kInterface),
                                       QString::fromLatin1(platform::SleepMonitor::kSignal));
        signal << start;
        from.send(signal);
    };
    QDBusConnection other = QDBusConnection::sessionBus();
    prepare(other, true); // not logind: ignored
    prepare(logind, true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return notices.size() >= 1; }, 2000));
    prepare(logind, false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return notices.size() >= 2; }, 2000));
    QTest::qWait(50);
    EXPECT_EQ(notices, (std::vector<QString>{QStringLiteral("sleep"), QStringLiteral("wake")}));
    QDBusConnection::disconnectFromBus(QStringLiteral("played-logind"));
}
