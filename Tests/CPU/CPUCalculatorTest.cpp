#include "CPUCore/CPUCalculator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace velto {
namespace {

using Records = std::vector<CPULoadRecord>;
constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();

CPUSnapshot usage(const Records& previous, const Records& current) {
    return CPUCalculator::usage(previous, current, CPUSnapshot::Clock::time_point{});
}

TEST(CPUCalculatorUsage, BusyFractionOfOneProcessor) {
    const CPUSnapshot s = usage({{100, 50, 800, 0}}, {{105, 53, 802, 0}});
    ASSERT_EQ(s.perCoreUsage.size(), 1u);
    EXPECT_DOUBLE_EQ(s.perCoreUsage[0], 0.8);
    EXPECT_DOUBLE_EQ(s.totalUsage, 0.8);
}

TEST(CPUCalculatorUsage, IdenticalReadingsReadZero) {
    const Records reading{{10, 20, 30, 40}, {5, 5, 5, 5}};
    const CPUSnapshot s = usage(reading, reading);
    EXPECT_EQ(s.perCoreUsage, (std::vector<double>{0.0, 0.0}));
    EXPECT_EQ(s.totalUsage, 0.0);
}

TEST(CPUCalculatorUsage, NiceTicksCountAsBusy) {
    const CPUSnapshot s = usage({{0, 0, 0, 0}}, {{0, 0, 10, 10}});
    EXPECT_DOUBLE_EQ(s.perCoreUsage.at(0), 0.5);
}

TEST(CPUCalculatorUsage, FullyBusyAndFullyIdle) {
    const CPUSnapshot s = usage({{0, 0, 0, 0}, {0, 0, 0, 0}}, {{60, 40, 0, 0}, {0, 0, 100, 0}});
    EXPECT_EQ(s.perCoreUsage, (std::vector<double>{1.0, 0.0}));
}

TEST(CPUCalculatorUsage, TotalIsPlainMeanNotWeightedByTicks) {
    const CPUSnapshot s = usage({{0, 0, 0, 0}, {0, 0, 0, 0}}, {{100, 0, 0, 0}, {0, 0, 1, 0}});
    EXPECT_DOUBLE_EQ(s.totalUsage, 0.5);
}

TEST(CPUCalculatorUsage, ChangedProcessorCountMeasuresCommonPrefix) {
    Records previous(8, CPULoadRecord{0, 0, 0, 0});
    Records current;
    for (std::uint32_t i = 0; i < 10; ++i) {
        current.push_back({i, 0, 10 - i, 0}); // processor i busy i of 10 ticks
    }
    const CPUSnapshot grown = usage(previous, current);
    ASSERT_EQ(grown.perCoreUsage.size(), 8u);
    EXPECT_DOUBLE_EQ(grown.perCoreUsage[7], 0.7);
    EXPECT_DOUBLE_EQ(grown.totalUsage, (0.0 + 0.1 + 0.2 + 0.3 + 0.4 + 0.5 + 0.6 + 0.7) / 8);

    const CPUSnapshot shrunk = usage(current, Records(3, CPULoadRecord{20, 0, 20, 0}));
    EXPECT_EQ(shrunk.perCoreUsage.size(), 3u);
}

TEST(CPUCalculatorUsage, NoProcessorsGiveEmptySnapshot) {
    EXPECT_EQ(usage({}, {}), (CPUSnapshot{{}, 0.0, CPUSnapshot::Clock::time_point{}}));
    EXPECT_EQ(usage({{1, 2, 3, 4}}, {}).totalUsage, 0.0);
}

TEST(CPUCalculatorUsage, IntervalWithoutTicksReadsZero) {
    // Every counter stepped back: nothing to measure, which is not a division by zero.
    const CPUSnapshot s = usage({{100, 100, 100, 100}}, {{50, 50, 50, 50}});
    EXPECT_EQ(s.perCoreUsage, std::vector<double>{0.0});
}

TEST(CPUCalculatorUsage, CounterThatFellContributesNothing) {
    const CPUSnapshot s = usage({{100, 0, 0, 0}}, {{50, 0, 10, 0}});
    EXPECT_EQ(s.perCoreUsage.at(0), 0.0);
}

TEST(CPUCalculatorUsage, WrappedIdleCounterStillCountsAsIdle) {
    // Idle crosses 2^32 with 16 ticks, user adds 16: half busy, not fully busy.
    const CPUSnapshot s = usage({{1000, 0, kMax - 5, 0}}, {{1016, 0, 10, 0}});
    EXPECT_DOUBLE_EQ(s.perCoreUsage.at(0), 0.5);
}

TEST(CPUCalculatorUsage, LargestDeltasDoNotOverflowTheTotal) {
    const CPUSnapshot s = usage({{0, 0, 0, 0}}, {{kMax, kMax, kMax, kMax}});
    EXPECT_DOUBLE_EQ(s.perCoreUsage.at(0), 0.75);
}

TEST(CPUCalculatorUsage, CarriesTheGivenTimestamp) {
    const auto when = CPUSnapshot::Clock::time_point{std::chrono::seconds(1234)};
    EXPECT_EQ(CPUCalculator::usage(Records{}, Records{}, when).timestamp, when);

    const auto before = CPUSnapshot::Clock::now();
    const auto stamped = CPUCalculator::usage(Records{}, Records{}).timestamp;
    EXPECT_GE(stamped, before);
    EXPECT_LE(stamped, CPUSnapshot::Clock::now());
}

TEST(CPUCalculatorUsage, StaysWithinZeroAndOneForAnyCounters) {
    std::mt19937 random(42);
    std::uniform_int_distribution<std::uint32_t> any;
    for (int round = 0; round < 2000; ++round) {
        Records previous;
        Records current;
        for (int core = 0; core < 4; ++core) {
            previous.push_back({any(random), any(random), any(random), any(random)});
            current.push_back({any(random), any(random), any(random), any(random)});
        }
        const CPUSnapshot s = usage(previous, current);
        double sum = 0.0;
        for (double value : s.perCoreUsage) {
            ASSERT_GE(value, 0.0);
            ASSERT_LE(value, 1.0);
            sum += value;
        }
        ASSERT_DOUBLE_EQ(s.totalUsage, sum / 4);
    }
}

TEST(CPUCalculatorCounterDelta, ForwardWrapAndReset) {
    EXPECT_EQ(CPUCalculator::counterDelta(10, 25), 15u);
    EXPECT_EQ(CPUCalculator::counterDelta(7, 7), 0u);
    EXPECT_EQ(CPUCalculator::counterDelta(0, kMax), kMax);
    EXPECT_EQ(CPUCalculator::counterDelta(kMax, 0), 1u);
    EXPECT_EQ(CPUCalculator::counterDelta(kMax - 9, 5), 15u);
    // Across the wrap, 2^31 - 1 ticks is still a wrap; 2^31 and more is a reset.
    EXPECT_EQ(CPUCalculator::counterDelta(0x80000001u, 0), 0x7FFFFFFFu);
    EXPECT_EQ(CPUCalculator::counterDelta(0x80000000u, 0), 0u);
    EXPECT_EQ(CPUCalculator::counterDelta(100, 50), 0u);
}

CPUReading reading(std::vector<std::uint32_t> numbers) {
    CPUReading r;
    for (std::uint32_t n : numbers) {
        r.loads.push_back({n, n * 10, n * 100, 0});
    }
    r.processorNumbers = std::move(numbers);
    return r;
}

TEST(CPUCalculatorBaseline, PairsProcessorsByNumber) {
    const CPUReading previous = reading({0, 1, 2, 3});
    CPUReading current = reading({0, 2, 3}); // cpu1 went offline
    current.loads = {{9, 9, 9, 9}, {8, 8, 8, 8}, {7, 7, 7, 7}};
    EXPECT_EQ(CPUCalculator::baselineFor(previous, current),
              (Records{previous.loads[0], previous.loads[2], previous.loads[3]}));
}

TEST(CPUCalculatorBaseline, ProcessorBackOnlineIsItsOwnBaseline) {
    const CPUReading previous = reading({0, 2});
    CPUReading current = reading({0, 1, 2, 7});
    current.loads[1] = {5, 5, 5, 5};
    const Records baseline = CPUCalculator::baselineFor(previous, current);
    EXPECT_EQ(baseline,
              (Records{previous.loads[0], current.loads[1], previous.loads[1], current.loads[3]}));
    // ...so it reads 0 for this interval rather than its average since boot.
    EXPECT_EQ(usage(baseline, current.loads).perCoreUsage[1], 0.0);
}

TEST(CPUCalculatorBaseline, EmptyReadings) {
    EXPECT_TRUE(CPUCalculator::baselineFor(reading({0, 1}), CPUReading{}).empty());
    const CPUReading current = reading({0, 1});
    EXPECT_EQ(CPUCalculator::baselineFor(CPUReading{}, current), current.loads);
}

} // namespace
} // namespace velto
