#include "CPUCore/CPUCalculator.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace velto {
namespace {

using Records = std::vector<CPULoadRecord>;
constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();

CPUSnapshot usage(const Records& previous, const Records& current) {
    return CPUCalculator::usage(previous, current, CPUSnapshot::Clock::time_point{});
}

TEST(CPUCalculatorTest, OneProcessor) {
    const struct {
        const char* what;
        CPULoadRecord previous, current; // user, system, idle, nice
        double expected;
    } cases[] = {
        {"busy 8 of 10", {100, 50, 800, 0}, {105, 53, 802, 0}, 0.8},
        {"no change", {10, 20, 30, 40}, {10, 20, 30, 40}, 0.0},
        {"nice is busy", {0, 0, 0, 0}, {0, 0, 10, 10}, 0.5},
        {"user fell", {100, 0, 0, 0}, {50, 0, 10, 0}, 0.0},
        {"all fell: no ticks", {100, 100, 100, 100}, {50, 50, 50, 50}, 0.0},
        // Idle crosses 2^32 with 16 ticks while user adds 16: half busy, not fully busy.
        {"idle wrapped", {1000, 0, kMax - 5, 0}, {1016, 0, 10, 0}, 0.5},
        {"largest deltas", {0, 0, 0, 0}, {kMax, kMax, kMax, kMax}, 0.75},
    };
    for (const auto& c : cases) {
        const CPUSnapshot s = usage({c.previous}, {c.current});
        ASSERT_EQ(s.perCoreUsage.size(), 1u) << c.what;
        EXPECT_DOUBLE_EQ(s.perCoreUsage[0], c.expected) << c.what;
        EXPECT_DOUBLE_EQ(s.totalUsage, c.expected) << c.what;
    }
}

TEST(CPUCalculatorTest, TotalIsThePlainMeanOverTheCommonPrefix) {
    // Fully busy over 100 ticks and idle over 1 weigh the same.
    EXPECT_DOUBLE_EQ(usage({{}, {}}, {{100, 0, 0, 0}, {0, 0, 1, 0}}).totalUsage, 0.5);

    Records ten;
    for (std::uint32_t i = 0; i < 10; ++i) {
        ten.push_back({i, 0, 10 - i, 0}); // processor i busy i of 10 ticks
    }
    const CPUSnapshot grown = usage(Records(8), ten);
    ASSERT_EQ(grown.perCoreUsage.size(), 8u);
    EXPECT_DOUBLE_EQ(grown.perCoreUsage[7], 0.7);
    EXPECT_DOUBLE_EQ(grown.totalUsage, 2.8 / 8);
    EXPECT_EQ(usage(ten, Records(3)).perCoreUsage.size(), 3u);

    EXPECT_EQ(usage({}, {}), (CPUSnapshot{{}, 0.0, {}}));
    EXPECT_EQ(usage({{1, 2, 3, 4}}, {}).totalUsage, 0.0);
}

TEST(CPUCalculatorTest, CounterDeltaTellsWrapsFromResets) {
    EXPECT_EQ(CPUCalculator::counterDelta(10, 25), 15u);
    EXPECT_EQ(CPUCalculator::counterDelta(0, kMax), kMax);
    EXPECT_EQ(CPUCalculator::counterDelta(kMax, 0), 1u);
    EXPECT_EQ(CPUCalculator::counterDelta(0x80000001u, 0), 0x7FFFFFFFu); // still a wrap
    EXPECT_EQ(CPUCalculator::counterDelta(0x80000000u, 0), 0u);          // a reset
    EXPECT_EQ(CPUCalculator::counterDelta(100, 50), 0u);
}

TEST(CPUCalculatorTest, BaselinePairsProcessorsByNumber) {
    const auto reading = [](std::vector<std::uint32_t> numbers) {
        CPUReading r;
        for (std::uint32_t n : numbers) {
            r.loads.push_back({n, n, n, n});
        }
        r.processorNumbers = std::move(numbers);
        return r;
    };
    const CPUReading four = reading({0, 1, 2, 3});
    // cpu1 went offline: cpu2 and cpu3 keep their own baselines.
    EXPECT_EQ(CPUCalculator::baselineFor(four, reading({0, 2, 3})),
              (Records{four.loads[0], four.loads[2], four.loads[3]}));
    // cpu1 and cpu7 came online: they are their own baseline and read 0 this interval.
    CPUReading back = reading({0, 1, 2, 7});
    back.loads[1] = {9, 9, 9, 9};
    const Records baseline = CPUCalculator::baselineFor(reading({0, 2}), back);
    EXPECT_EQ(baseline, (Records{{0, 0, 0, 0}, {9, 9, 9, 9}, {2, 2, 2, 2}, {7, 7, 7, 7}}));
    EXPECT_EQ(CPUCalculator::baselineFor(CPUReading{}, four), four.loads);
    EXPECT_TRUE(CPUCalculator::baselineFor(four, CPUReading{}).empty());
}

} // namespace
} // namespace velto
