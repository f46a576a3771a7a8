#include "CPUCore/CPUMetricsSource.h"

#include "ProcStatText.h"
#include "Support/TestEnvironment.h"

#include <QFile>
#include <QTest>
#include <deque>
#include <gtest/gtest.h>
#include <limits>

namespace velto {
namespace {

// Long enough that the timer never fires while a test drives tick() by hand.
constexpr double kManual = 3600.0;
const std::string kA = test::procStat({{.user = 100, .system = 50, .idle = 800}});
const std::string kB = test::procStat({{.user = 105, .system = 53, .idle = 802}}); // 0.8 after kA
const std::string kC = test::procStat({{.user = 105, .system = 53, .idle = 812}}); // 0.0 after kB

class CPUMetricsSourceTest : public testing::Test {
protected:
    CPUMetricsSourceTest() {
        // Record what latest() held whenever observers were told of a change.
        QObject::connect(source.get(), &Observable::willChange, source.get(),
                         [this] { seenBefore.push_back(source->latest()); });
    }

    void feed(std::initializer_list<std::optional<std::string>> more) {
        texts.insert(texts.end(), more);
    }
    void ticks(int count) {
        for (int i = 0; i < count; ++i) {
            source->tick();
        }
    }
    double total() const { return source->latest() ? source->latest()->totalUsage : -1.0; }

    // The reader hands out the fed texts in order, then fails.
    int reads = 0;
    std::deque<std::optional<std::string>> texts;
    std::shared_ptr<CPUMetricsSource> source =
        std::make_shared<CPUMetricsSource>([this]() -> std::optional<std::string> {
            ++reads;
            std::optional<std::string> text;
            if (!texts.empty()) {
                text = std::move(texts.front());
                texts.pop_front();
            }
            return text;
        });
    std::vector<std::optional<CPUSnapshot>> seenBefore;
};

TEST_F(CPUMetricsSourceTest, FirstTickIsABaselineAndEachLaterOnePublishes) {
    EXPECT_FALSE(source->isRunning());
    EXPECT_FALSE(source->latest());
    feed({kA, kB, kC, kC});
    source->start(kManual);
    EXPECT_EQ(reads, 0) << "start() takes no reading itself";

    ticks(1);
    EXPECT_TRUE(source->hasBaseline());
    EXPECT_FALSE(source->latest());
    EXPECT_TRUE(seenBefore.empty());

    ticks(1);
    EXPECT_DOUBLE_EQ(total(), 0.8);
    ASSERT_EQ(seenBefore.size(), 1u);
    EXPECT_FALSE(seenBefore[0]) << "observers hear of the change before it is stored";

    ticks(2); // kB -> kC idle, then kC -> kC: an equal value still notifies
    EXPECT_EQ(seenBefore.size(), 3u);
    EXPECT_EQ(total(), 0.0);
}

TEST_F(CPUMetricsSourceTest, FailedOrMalformedReadingSkipsTheTick) {
    feed({std::nullopt, kA, std::nullopt, std::string("garbage"), std::string("cpu 0\ncpu0 1\n"),
          kB});
    source->start(kManual);
    ticks(1);
    EXPECT_FALSE(source->hasBaseline());
    ticks(4);
    EXPECT_FALSE(source->latest());
    ticks(1); // the interval spans the skipped ticks: kA to kB
    EXPECT_DOUBLE_EQ(total(), 0.8);
    EXPECT_EQ(seenBefore.size(), 1u);
}

TEST_F(CPUMetricsSourceTest, StopAndRestartKeepTheLastSnapshot) {
    feed({kA, kB, kC, kB});
    source->start(kManual);
    ticks(2);
    source->stop();
    EXPECT_FALSE(source->isRunning());
    EXPECT_FALSE(source->hasBaseline());
    ticks(1); // a stopped source does no work
    source->stop();
    EXPECT_EQ(reads, 2);
    EXPECT_DOUBLE_EQ(total(), 0.8);

    source->start(kManual);
    source->start(kManual); // restarting a running source is stop() and start()
    ticks(1);               // kC: only the new run's baseline
    EXPECT_DOUBLE_EQ(total(), 0.8);
    ticks(1); // kB after kC: every counter fell, an empty interval
    EXPECT_EQ(total(), 0.0);
    EXPECT_EQ(seenBefore.size(), 2u);
}

TEST_F(CPUMetricsSourceTest, ProcessorGoingOfflineLeavesTheOthersPaired) {
    feed({std::string("cpu 0\ncpu0 0 0 0 0\ncpu1 0 0 0 100\ncpu2 0 0 0 0\n"),
          // cpu2 was half busy; compared with cpu1's counters it would read fully busy.
          std::string("cpu 0\ncpu0 10 0 0 0\ncpu2 0 0 5 5\n"), std::string("cpu 1 2 3 4\n")});
    source->start(kManual);
    ticks(2);
    EXPECT_EQ(source->latest()->perCoreUsage, (std::vector<double>{1.0, 0.5}));
    ticks(1); // no processors at all
    EXPECT_TRUE(source->latest()->perCoreUsage.empty());
    EXPECT_EQ(total(), 0.0);
}

TEST_F(CPUMetricsSourceTest, TimerTicksEveryIntervalUntilStoppedOrDestroyed) {
    feed({kA, kB});
    source->start(0.02);
    EXPECT_TRUE(QTest::qWaitFor([&] { return source->latest().has_value(); }, 5000));
    EXPECT_DOUBLE_EQ(total(), 0.8);
    source->stop();
    int before = reads;
    QTest::qWait(60);
    EXPECT_EQ(reads, before);

    // A period that is not positive falls back to one second instead of spinning.
    for (double interval : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
        source->start(interval);
        QTest::qWait(50);
        EXPECT_EQ(reads, before) << interval;
    }

    source->start(0.01);
    std::weak_ptr<CPUMetricsSource> weak = source;
    source.reset();
    EXPECT_TRUE(weak.expired());
    QTest::qWait(50);
    EXPECT_EQ(reads, before) << "a destroyed source is never ticked";
}

TEST(CPUMetricsSourceFileTest, ReadsTheGivenFileAndTheLiveProcStat) {
    const QString path = test::makeTempFolder() + QStringLiteral("/stat");
    CPUMetricsSource source(path.toStdString());
    source.start(kManual);
    source.tick(); // not there yet: skipped
    EXPECT_FALSE(source.hasBaseline());
    for (const char* name : {"/debian12-2cpu-vm-a.txt", "/debian12-2cpu-vm-b.txt"}) {
        QFile::remove(path);
        ASSERT_TRUE(
            QFile::copy(QStringLiteral(VELTO_PROC_STAT_FIXTURES) + QLatin1String(name), path));
        source.tick();
    }
    // cpu0 spent 100 ticks idle; cpu1 100 idle and 2 in system time.
    ASSERT_TRUE(source.latest());
    EXPECT_EQ(source.latest()->perCoreUsage, (std::vector<double>{0.0, 2.0 / 102.0}));

    CPUMetricsSource live;
    live.start(kManual);
    live.tick();
    live.tick();
    ASSERT_TRUE(live.latest()) << "/proc/stat unreadable or not understood";
    EXPECT_FALSE(live.latest()->perCoreUsage.empty());
}

} // namespace
} // namespace velto
