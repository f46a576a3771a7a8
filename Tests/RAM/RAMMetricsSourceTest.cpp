#include "RAMCore/RAMMetricsSource.h"

#include "MemInfoText.h"
#include "Support/TestEnvironment.h"

#include <QTest>
#include <deque>
#include <gtest/gtest.h>

namespace velto {
namespace {

// Long enough that the timer never fires while a test drives tick() by hand.
constexpr double kManual = 3600.0;
const std::string kHalf = test::memInfo({.total = 800, .free = 200, .active = 300, .wired = 100});
const std::string kFull = test::memInfo({.total = 800, .active = 700, .wired = 100});

class RAMMetricsSourceTest : public testing::Test {
protected:
    RAMMetricsSourceTest() {
        QObject::connect(source.get(), &Observable::willChange, source.get(),
                         [this] { seenBefore.push_back(source->latest()); });
    }
    double used() const { return source->latest() ? source->latest()->usedFraction() : -1.0; }

    // Hands out the fed texts in order, then fails; 1 KiB pages make each KiB a page.
    int reads = 0;
    std::uint64_t pageSize = 1024;
    std::deque<std::optional<std::string>> texts;
    std::shared_ptr<RAMMetricsSource> source = std::make_shared<RAMMetricsSource>(
        [this] {
            ++reads;
            std::optional<std::string> text;
            if (!texts.empty()) {
                text = std::move(texts.front());
                texts.pop_front();
            }
            return text;
        },
        [this] { return pageSize; });
    std::vector<std::optional<RAMSnapshot>> seenBefore;
};

TEST_F(RAMMetricsSourceTest, StartPublishesAtOnceAndAFailedTickKeepsTheSnapshot) {
    texts = {kHalf, kFull, std::nullopt, "garbage", "MemTotal: 800 kB\n", kFull};
    source->start(kManual);
    EXPECT_DOUBLE_EQ(used(), 0.5);
    EXPECT_EQ(source->latest()->freeBytes, 200ull * 1024);
    ASSERT_EQ(seenBefore.size(), 1u);
    EXPECT_FALSE(seenBefore[0]) << "observers hear of the change before it is stored";

    source->start(kManual); // a restart reads at once too
    EXPECT_EQ(used(), 1.0);
    for (int i = 0; i < 3; ++i) {
        source->tick();
    }
    EXPECT_EQ(used(), 1.0);
    EXPECT_EQ(seenBefore.size(), 2u);

    pageSize = 0; // sysconf() does not know: page figures 0 beside the true total
    source->tick();
    EXPECT_EQ(source->latest(), (RAMSnapshot{0, 0, 0, 0, 0, 800ull * 1024}));
}

TEST_F(RAMMetricsSourceTest, StopKeepsTheSnapshotAndEndsTheTimer) {
    texts.assign(50, kHalf);
    source->start(0.02);
    EXPECT_TRUE(QTest::qWaitFor([&] { return reads >= 3; }, 5000));
    source->stop();
    source->stop();
    const int before = reads;
    source->tick(); // a stopped source does no work
    QTest::qWait(60);
    EXPECT_EQ(reads, before);
    EXPECT_DOUBLE_EQ(used(), 0.5);

    source->start(0.0); // not positive: one second, not a spinning timer
    std::weak_ptr<RAMMetricsSource> weak = source;
    source.reset();
    EXPECT_TRUE(weak.expired());
    QTest::qWait(50);
    EXPECT_EQ(reads, before + 1);
}

TEST(RAMMetricsSourceFileTest, ReadsTheLiveMemInfoAndSkipsAMissingFile) {
    const QString path = test::makeTempFolder() + QStringLiteral("/meminfo");
    RAMMetricsSource source(path.toStdString());
    source.start(kManual); // not there yet
    EXPECT_FALSE(source.latest());

    RAMMetricsSource live;
    live.start(kManual);
    ASSERT_TRUE(live.latest()) << "/proc/meminfo unreadable or not understood";
    EXPECT_GT(live.latest()->totalBytes, live.latest()->freeBytes);
}

} // namespace
} // namespace velto
