#include "GPUCore/GPUMetricsSource.h"

#include "GPUFixtures.h"

#include <QTest>
#include <gtest/gtest.h>

namespace velto {
namespace {

// Long enough that the timer never fires while a test drives tick() by hand.
constexpr double kManual = 3600.0;
constexpr const char* kNoLibrary = "/nonexistent/libnvidia-ml.so.1";

std::optional<double> utilization(const GPUMetricsSource& source) {
    return source.latest() ? source.latest()->utilization : std::nullopt;
}

TEST(GPUMetricsSourceTest, DrmCardsInNumberOrderFirstUsableWins) {
    const QString root = test::makeSysfsTree({
        {"card0", std::nullopt}, // no counter, as with nvidia-drm or virtio-gpu
        {"card0-DP-1", "90\n"},  // a connector, not a card
        {"renderD128", "91\n"},  // a render node
        {"card2", "garbage\n"},
        {"card3", "20\n"},
        {"card10", "70\n"}, // after card3, though it sorts before it by name
    });
    GPUMetricsSource source(root.toStdString(), kNoLibrary);
    source.start(kManual);
    EXPECT_EQ(utilization(source), 0.2);
    test::setBusyPercent(root, "card3", std::nullopt);
    source.tick();
    EXPECT_EQ(utilization(source), 0.7);
    test::setBusyPercent(root, "card10", std::nullopt);
    source.tick();
    ASSERT_TRUE(source.latest());
    EXPECT_FALSE(source.latest()->utilization) << "a silent reading replaces the last value";
}

TEST(GPUMetricsSourceTest, EveryReadingPublishesAFreshSnapshot) {
    GPUMetricsSource source(test::makeTempFolder().toStdString(), kNoLibrary);
    int notified = 0;
    QObject::connect(&source, &Observable::willChange, &source, [&] { ++notified; });
    source.tick(); // a stopped source does no work
    EXPECT_FALSE(source.latest());

    const auto before = GPUSnapshot::Clock::now();
    source.start(kManual);
    ASSERT_TRUE(source.latest()) << "start() reads at once";
    EXPECT_FALSE(source.latest()->utilization);
    EXPECT_GE(source.latest()->timestamp, before);
    EXPECT_LE(source.latest()->timestamp, GPUSnapshot::Clock::now());
    source.tick();
    EXPECT_EQ(notified, 2) << "an unchanged reading publishes too";

    source.start(0.01);
    EXPECT_TRUE(QTest::qWaitFor([&] { return notified >= 6; }, 5000));
    source.stop();
    const int seen = notified;
    source.start(0.0); // not a positive period: one second, not a spinning timer
    QTest::qWait(50);
    EXPECT_EQ(notified, seen + 1);
    source.stop();
    EXPECT_TRUE(source.latest()) << "stop() keeps the last snapshot";
}

class GPUNvmlTest : public testing::Test {
protected:
    ~GPUNvmlTest() override { qunsetenv("VELTO_FAKE_NVML"); }
    static void report(const char* mode) { qputenv("VELTO_FAKE_NVML", mode); }

    // The only card has no counter, so every walk goes on to NVML.
    const std::string silentSysfs = test::makeSysfsTree({{"card0", std::nullopt}}).toStdString();
};

TEST_F(GPUNvmlTest, NvidiaGpusComeAfterTheCardsInTheirOwnOrder) {
    test::FakeNvmlProbe probe(VELTO_FAKE_NVML);
    report("x,20,70");
    GPUMetricsSource source(silentSysfs, VELTO_FAKE_NVML);
    source.start(kManual);
    EXPECT_EQ(utilization(source), 0.2);
    report("35");
    source.tick();
    EXPECT_EQ(utilization(source), 0.35);
    EXPECT_EQ(probe.initCalls(), 1) << "one session serves every walk of a run";
    source.stop();
    EXPECT_EQ(probe.sessions(), 0);

    const QString root = test::makeSysfsTree({{"card0", "5\n"}});
    GPUMetricsSource withCard(root.toStdString(), VELTO_FAKE_NVML);
    withCard.start(kManual);
    EXPECT_EQ(utilization(withCard), 0.05);
    EXPECT_EQ(probe.initCalls(), 1) << "a reporting card leaves NVML unloaded";
}

TEST_F(GPUNvmlTest, FailingLibrariesGiveNoValueAndNothingStaysLoaded) {
    const struct {
        const char* what;
        const char* library;
        const char* mode;
    } cases[] = {
        {"absent", kNoLibrary, "20"},
        {"not a shared object", "/dev/null", "20"},
        {"initialisation fails", VELTO_FAKE_NVML, "init-fails"},
        {"counting fails", VELTO_FAKE_NVML, "count-fails"},
        {"no GPUs", VELTO_FAKE_NVML, ""},
        {"lacks the utilization call", VELTO_FAKE_NVML_INCOMPLETE, "20"},
    };
    for (const auto& c : cases) {
        report(c.mode);
        {
            test::FakeNvmlProbe probe(VELTO_FAKE_NVML);
            GPUMetricsSource source(silentSysfs, c.library);
            source.start(kManual);
            source.tick();
            EXPECT_FALSE(utilization(source)) << c.what;
            EXPECT_LE(probe.initCalls(), 1) << c.what << ": a failed load waits before retrying";
            source.stop();
            EXPECT_EQ(probe.sessions(), 0) << c.what << ": every session is shut down";
        }
        EXPECT_FALSE(test::isLoaded(c.library)) << c.what << ": every load is undone";
    }

    // A restart tries again at once; destroying a running source unloads the library.
    report("init-fails");
    {
        GPUMetricsSource source(silentSysfs, VELTO_FAKE_NVML);
        source.start(kManual);
        report("64");
        source.stop();
        source.start(kManual);
        EXPECT_EQ(utilization(source), 0.64);
    }
    EXPECT_FALSE(test::isLoaded(VELTO_FAKE_NVML));
}

} // namespace
} // namespace velto
