#include "CPUCore/CPUMetricsSource.h"

#include "ProcStatText.h"
#include "Support/TestEnvironment.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <limits>
#include <memory>

namespace velto {
namespace {

// Long enough that the timer never fires on its own while a test drives tick().
constexpr double kManual = 3600.0;

const std::string kA = test::procStat({{.user = 100, .system = 50, .idle = 800}});
const std::string kB = test::procStat({{.user = 105, .system = 53, .idle = 802}}); // 0.8 after kA
const std::string kC = test::procStat({{.user = 105, .system = 53, .idle = 812}}); // 0.0 after kB

// Hands out recorded texts in order, then fails, and counts the calls.
struct Script {
    std::deque<std::optional<std::string>> texts;
    int reads = 0;
};

std::shared_ptr<CPUMetricsSource> scriptedSource(const std::shared_ptr<Script>& script) {
    return std::make_shared<CPUMetricsSource>([script]() -> std::optional<std::string> {
        ++script->reads;
        if (script->texts.empty()) {
            return std::nullopt;
        }
        auto text = std::move(script->texts.front());
        script->texts.pop_front();
        return text;
    });
}

// Counts willChange() and records what latest() held at each one.
struct ChangeLog {
    explicit ChangeLog(CPUMetricsSource& source) {
        QObject::connect(&source, &Observable::willChange, &source,
                         [this, &source] { before.push_back(source.latest()); });
    }
    std::vector<std::optional<CPUSnapshot>> before;
};

class CPUMetricsSourceTest : public testing::Test {
protected:
    std::shared_ptr<Script> script = std::make_shared<Script>();
    std::shared_ptr<CPUMetricsSource> source = scriptedSource(script);
    ChangeLog log{*source};

    void feed(std::initializer_list<std::optional<std::string>> texts) {
        script->texts.insert(script->texts.end(), texts);
    }
};

TEST_F(CPUMetricsSourceTest, NewSourceIsStoppedWithoutSnapshot) {
    EXPECT_FALSE(source->isRunning());
    EXPECT_FALSE(source->hasBaseline());
    EXPECT_FALSE(source->latest());
}

TEST_F(CPUMetricsSourceTest, FirstTickIsOnlyABaselineAndTheSecondPublishes) {
    feed({kA, kB});
    source->start(kManual);
    EXPECT_TRUE(source->isRunning());
    EXPECT_EQ(script->reads, 0) << "start() takes no reading itself";

    source->tick();
    EXPECT_TRUE(source->hasBaseline());
    EXPECT_FALSE(source->latest());
    EXPECT_TRUE(log.before.empty());

    source->tick();
    ASSERT_TRUE(source->latest());
    EXPECT_EQ(source->latest()->perCoreUsage.size(), 1u);
    EXPECT_DOUBLE_EQ(source->latest()->totalUsage, 0.8);
    // Observers hear of the change before the new value is stored.
    ASSERT_EQ(log.before.size(), 1u);
    EXPECT_FALSE(log.before[0]);
}

TEST_F(CPUMetricsSourceTest, EveryLaterTickPublishesAgainstThePreviousReading) {
    feed({kA, kB, kC, kC});
    source->start(kManual);
    for (int i = 0; i < 4; ++i) {
        source->tick();
    }
    // kB -> kC is idle, and kC -> kC is an equal value that still notifies.
    ASSERT_EQ(log.before.size(), 3u);
    EXPECT_DOUBLE_EQ(log.before[1]->totalUsage, 0.8);
    EXPECT_EQ(log.before[2]->totalUsage, 0.0);
    EXPECT_EQ(source->latest()->totalUsage, 0.0);
}

TEST_F(CPUMetricsSourceTest, FailedOrMalformedReadingSkipsTheTickAndKeepsTheBaseline) {
    feed({std::nullopt, kA, std::nullopt, std::string("garbage"), std::string("cpu0 1\n"), kB});
    source->start(kManual);
    source->tick();
    EXPECT_FALSE(source->hasBaseline()) << "a failed first reading sets no baseline";
    source->tick();
    for (int i = 0; i < 3; ++i) {
        source->tick();
        EXPECT_FALSE(source->latest());
    }
    source->tick();
    // The interval spans the failed ticks: kA to kB.
    ASSERT_TRUE(source->latest());
    EXPECT_DOUBLE_EQ(source->latest()->totalUsage, 0.8);
    EXPECT_EQ(log.before.size(), 1u);
}

TEST_F(CPUMetricsSourceTest, StopKeepsTheSnapshotAndForgetsTheBaseline) {
    feed({kA, kB, kC});
    source->start(kManual);
    source->tick();
    source->tick();
    source->stop();
    EXPECT_FALSE(source->isRunning());
    EXPECT_FALSE(source->hasBaseline());
    EXPECT_DOUBLE_EQ(source->latest()->totalUsage, 0.8);

    // A stopped source does no work, also when poked.
    source->tick();
    source->stop();
    EXPECT_EQ(script->reads, 2);
    EXPECT_EQ(log.before.size(), 1u);
}

TEST_F(CPUMetricsSourceTest, RestartKeepsTheOldSnapshotUntilTheSecondTickOfTheNewRun) {
    feed({kA, kB, kC, kB});
    source->start(kManual);
    source->tick();
    source->tick();
    // Restarting a running source is stop() and start(): kB is not a baseline any more.
    source->start(kManual);
    EXPECT_TRUE(source->isRunning());
    EXPECT_FALSE(source->hasBaseline());
    source->tick(); // kC, a new baseline
    EXPECT_DOUBLE_EQ(source->latest()->totalUsage, 0.8);
    EXPECT_EQ(log.before.size(), 1u);
    source->tick(); // kB against kC: counters fell, so an empty interval
    EXPECT_EQ(log.before.size(), 2u);
    EXPECT_EQ(source->latest()->totalUsage, 0.0);
}

TEST_F(CPUMetricsSourceTest, ProcessorGoingOfflinePairsTheRemainingOnesByNumber) {
    feed({std::string("cpu 0\ncpu0 0 0 0 0\ncpu1 0 0 0 100\ncpu2 0 0 0 0\n"),
          // cpu1 is gone; cpu2 was half busy. Compared with cpu1 it would read fully busy.
          std::string("cpu 0\ncpu0 10 0 0 0\ncpu2 0 0 5 5\n")});
    source->start(kManual);
    source->tick();
    source->tick();
    ASSERT_TRUE(source->latest());
    EXPECT_EQ(source->latest()->perCoreUsage, (std::vector<double>{1.0, 0.5}));
}

TEST_F(CPUMetricsSourceTest, ZeroProcessorsGiveAnEmptySnapshot) {
    feed({kA, std::string("cpu 1 2 3 4\n")});
    source->start(kManual);
    source->tick();
    source->tick();
    ASSERT_TRUE(source->latest());
    EXPECT_TRUE(source->latest()->perCoreUsage.empty());
    EXPECT_EQ(source->latest()->totalUsage, 0.0);
}

TEST_F(CPUMetricsSourceTest, TimerTicksOneIntervalApart) {
    feed({kA, kB});
    source->start(0.02);
    EXPECT_TRUE(QTest::qWaitFor([&] { return source->latest().has_value(); }, 5000));
    EXPECT_DOUBLE_EQ(source->latest()->totalUsage, 0.8);
    EXPECT_GE(script->reads, 2);
    source->stop();
    const int reads = script->reads;
    QTest::qWait(60);
    EXPECT_EQ(script->reads, reads) << "no ticks after stop()";
}

TEST_F(CPUMetricsSourceTest, IntervalThatIsNotPositiveDoesNotSpin) {
    for (double interval : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
        source->start(interval);
        EXPECT_TRUE(source->isRunning());
        QTest::qWait(50);
        EXPECT_EQ(script->reads, 0) << interval;
    }
}

TEST_F(CPUMetricsSourceTest, DestroyedSourceIsNeverTicked) {
    source->start(0.01);
    std::weak_ptr<CPUMetricsSource> weak = source;
    source.reset();
    EXPECT_TRUE(weak.expired());
    QTest::qWait(50);
    EXPECT_EQ(script->reads, 0);
}

TEST(CPUMetricsSourceFile, ReadsTheGivenStatFile) {
    const QString path = test::makeTempFolder() + QStringLiteral("/stat");
    const auto copy = [&](const char* fixture) {
        QFile::remove(path);
        ASSERT_TRUE(QFile::copy(QStringLiteral(VELTO_PROC_STAT_FIXTURES) + QLatin1Char('/') +
                                    QLatin1String(fixture),
                                path));
    };
    CPUMetricsSource source(path.toStdString());
    source.start(kManual);
    copy("debian12-2cpu-vm-a.txt");
    source.tick();
    copy("debian12-2cpu-vm-b.txt");
    source.tick();
    ASSERT_TRUE(source.latest());
    const std::vector<double>& cores = source.latest()->perCoreUsage;
    ASSERT_EQ(cores.size(), 2u);
    EXPECT_EQ(cores[0], 0.0);
    EXPECT_DOUBLE_EQ(cores[1], 2.0 / 102.0);
    EXPECT_DOUBLE_EQ(source.latest()->totalUsage, 1.0 / 102.0);
}

TEST(CPUMetricsSourceFile, MissingFileSkipsTicks) {
    CPUMetricsSource source(test::makeTempFolder().toStdString() + "/absent");
    source.start(kManual);
    source.tick();
    source.tick();
    EXPECT_FALSE(source.hasBaseline());
    EXPECT_FALSE(source.latest());
}

TEST(CPUMetricsSourceFile, ReadsTheLiveProcStat) {
    CPUMetricsSource source;
    source.start(kManual);
    source.tick();
    ASSERT_TRUE(source.hasBaseline()) << "/proc/stat unreadable or not understood";
    source.tick();
    ASSERT_TRUE(source.latest());
    EXPECT_FALSE(source.latest()->perCoreUsage.empty());
}

} // namespace
} // namespace velto
