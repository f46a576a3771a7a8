#include "NetworkCore/NetworkMetricsSource.h"

#include <QTest>
#include <VeltoPluginKit/RepeatingTimer.h>
#include <gtest/gtest.h>

namespace velto {
namespace {

using namespace std::chrono_literals;

// Long enough that the timers never fire while a test drives tick() by hand.
constexpr double kManual = 3600.0;

// The source with its clocks, its interface readings and its lookups all in the test's hand.
struct Rig {
    InterfaceState reading{"10.0.0.2", {{"eth0", 0, 0}}};
    std::chrono::steady_clock::time_point monotonic{100s};
    NetworkSnapshot::Clock::time_point wall{1'700'000'000s};
    std::vector<NetworkMetricsSource::LookupCompletion> lookups;
    int notifications = 0;

    std::shared_ptr<NetworkMetricsSource> source =
        std::make_shared<NetworkMetricsSource>(NetworkMetricsSource::Seams{
            [this] { return reading; }, [this] { return monotonic; }, [this] { return wall; },
            [this](NetworkMetricsSource::LookupCompletion done) {
                lookups.push_back(std::move(done));
            }});

    Rig() {
        QObject::connect(source.get(), &Observable::willChange, source.get(),
                         [this] { ++notifications; });
    }
    void advance(std::chrono::milliseconds step, std::uint64_t rx = 0, std::uint64_t tx = 0) {
        monotonic += step;
        wall += step;
        reading.counters[0].rxBytes += rx;
        reading.counters[0].txBytes += tx;
        source->tick();
    }
    void finishLookup(std::optional<std::string> address, std::size_t index = 0) {
        lookups.at(index)(std::move(address));
    }
    const NetworkSnapshot& latest() const { return *source->latest(); }
};

TEST(NetworkMetricsSourceTest, BaselineAtStartAndRatesOverTheMonotonicTime) {
    Rig rig;
    rig.source->start(kManual);
    EXPECT_TRUE(rig.source->hasBaseline()) << "the baseline is read at once";
    EXPECT_FALSE(rig.source->latest());
    EXPECT_EQ(rig.notifications, 0);

    rig.wall -= 1h; // the wall clock steps back: rates stay right
    rig.advance(2000ms, 4000, 1000);
    ASSERT_TRUE(rig.source->latest());
    EXPECT_DOUBLE_EQ(rig.latest().rxBytesPerSec, 2000.0);
    EXPECT_DOUBLE_EQ(rig.latest().txBytesPerSec, 500.0);
    EXPECT_EQ(rig.latest().perInterface, (std::map<std::string, double>{{"eth0", 2500.0}}));
    EXPECT_EQ(rig.latest().localIPv4, "10.0.0.2");
    EXPECT_EQ(rig.latest().timestamp, rig.wall) << "stamped with wall-clock time";

    rig.advance(0ms, 4000, 0); // no time passed: still a snapshot, of zero rates
    EXPECT_EQ(rig.latest().rxBytesPerSec, 0.0);
    EXPECT_TRUE(rig.latest().perInterface.empty());
    EXPECT_EQ(rig.notifications, 2);
}

TEST(NetworkMetricsSourceTest, RestartDropsTheBaselineButKeepsThePublicIPSchedule) {
    Rig rig;
    rig.source->start(kManual);
    ASSERT_EQ(rig.lookups.size(), 1u) << "a lookup starts with sampling";
    const RepeatingTimer* publicTimer = rig.source->publicIPTimer();
    ASSERT_NE(publicTimer, nullptr);
    EXPECT_EQ(publicTimer->interval(), 300.0);
    rig.finishLookup("203.0.113.7");

    rig.advance(1000ms, 100);
    const NetworkSnapshot before = rig.latest();
    rig.reading.counters[0].rxBytes += 1'000'000;
    rig.source->start(kManual); // a new interval from the host
    EXPECT_EQ(rig.source->publicIPTimer(), publicTimer);
    EXPECT_EQ(rig.lookups.size(), 1u) << "no extra lookup";
    rig.advance(1000ms, 100);
    EXPECT_DOUBLE_EQ(rig.latest().rxBytesPerSec, 100.0) << "the burst fell before the new baseline";
    EXPECT_EQ(before.publicIP, "203.0.113.7");
}

TEST(NetworkMetricsSourceTest, StopThenStartLooksUpAgainUnlessOneIsInFlight) {
    Rig rig;
    rig.source->start(kManual);
    rig.source->stop();
    EXPECT_EQ(rig.source->publicIPTimer(), nullptr);
    EXPECT_FALSE(rig.source->hasBaseline());
    rig.source->start(kManual);
    EXPECT_NE(rig.source->publicIPTimer(), nullptr);
    EXPECT_EQ(rig.lookups.size(), 1u) << "the first lookup is still in flight";
    rig.source->refreshPublicIPNow();
    EXPECT_EQ(rig.lookups.size(), 1u);

    rig.finishLookup("203.0.113.7");
    rig.source->stop();
    rig.source->start(kManual);
    EXPECT_EQ(rig.lookups.size(), 2u);
}

TEST(NetworkMetricsSourceTest, LookupFinishingAfterStopIsDroppedAndClearsTheFlag) {
    Rig rig;
    rig.source->start(kManual);
    rig.advance(1000ms);
    rig.source->stop();
    const int seen = rig.notifications;
    rig.finishLookup("203.0.113.7");
    EXPECT_FALSE(rig.source->isFetchingPublicIP());
    EXPECT_FALSE(rig.source->currentPublicIP());
    EXPECT_FALSE(rig.latest().publicIP);
    EXPECT_EQ(rig.notifications, seen);
}

TEST(NetworkMetricsSourceTest, FailedLookupClearsAKnownAddress) {
    Rig rig;
    rig.source->start(kManual);
    rig.advance(1000ms);
    rig.finishLookup("203.0.113.7");
    EXPECT_EQ(rig.latest().publicIP, "203.0.113.7");

    rig.source->refreshPublicIPNow();
    rig.wall += 5s;
    rig.finishLookup(std::nullopt, 1);
    EXPECT_FALSE(rig.latest().publicIP);
    EXPECT_EQ(rig.latest().timestamp, rig.wall);
    rig.advance(1000ms);
    EXPECT_FALSE(rig.latest().publicIP);
}

TEST(NetworkMetricsSourceTest, SwitchingLookupOffAndOn) {
    Rig rig;
    rig.source->setPublicIPLookupEnabled(false);
    EXPECT_EQ(rig.notifications, 1);
    rig.source->setPublicIPLookupEnabled(false);
    EXPECT_EQ(rig.notifications, 1) << "an unchanged value tells no one";
    EXPECT_FALSE(rig.source->latest()) << "nothing to re-publish yet";

    rig.source->setPublicIPLookupEnabled(true); // idle: the flag only
    EXPECT_TRUE(rig.lookups.empty());
    rig.source->start(kManual);
    rig.advance(1000ms, 1000);
    rig.finishLookup("203.0.113.7");

    rig.wall += 1s;
    rig.source->setPublicIPLookupEnabled(false);
    EXPECT_FALSE(rig.source->publicIPLookupEnabled());
    EXPECT_EQ(rig.source->publicIPTimer(), nullptr);
    EXPECT_FALSE(rig.latest().publicIP);
    EXPECT_DOUBLE_EQ(rig.latest().rxBytesPerSec, 1000.0) << "same rates, re-published";
    EXPECT_EQ(rig.latest().timestamp, rig.wall);
    rig.source->refreshPublicIPNow();
    EXPECT_EQ(rig.lookups.size(), 1u) << "no lookups while switched off";

    rig.source->setPublicIPLookupEnabled(true); // sampling: timer and a lookup at once
    EXPECT_NE(rig.source->publicIPTimer(), nullptr);
    ASSERT_EQ(rig.lookups.size(), 2u);
    rig.source->setPublicIPLookupEnabled(false);
    rig.finishLookup("203.0.113.9", 1); // switched off meanwhile: dropped
    EXPECT_FALSE(rig.source->isFetchingPublicIP());
    EXPECT_FALSE(rig.source->currentPublicIP());
}

TEST(NetworkMetricsSourceTest, TimerSamplesAndADestroyedSourceIgnoresItsLookup) {
    Rig rig;
    rig.source->start(0.02);
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.source->latest().has_value(); }, 5000));
    auto completion = std::move(rig.lookups.at(0));
    rig.source.reset();
    completion("203.0.113.7"); // must not touch the destroyed source
}

} // namespace
} // namespace velto
