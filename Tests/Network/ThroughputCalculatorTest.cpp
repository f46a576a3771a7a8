#include "NetworkCore/ThroughputCalculator.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace velto {
namespace {

using Counters = std::vector<InterfaceCounters>;
using ThroughputCalculator::throughput;

TEST(ThroughputCalculatorTest, NoRatesWithoutAPreviousReadingOrPositiveElapsedTime) {
    const Counters before{{"eth0", 0, 0}};
    const Counters after{{"eth0", 4000, 1000}};
    EXPECT_EQ(throughput({}, after, 2.0), Throughput{});
    for (double elapsed : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_EQ(throughput(before, after, elapsed), Throughput{}) << elapsed;
    }
}

TEST(ThroughputCalculatorTest, RatesOverInterfacesInBothReadings) {
    const Counters before{{"eth0", 1000, 10}, {"gone0", 0, 0}, {"wlan0", 0, 0}};
    const Counters after{{"new0", 9999, 9999}, {"eth0", 2000, 10}, {"wlan0", 500, 300}};
    const Throughput result = throughput(before, after, 2.0);
    EXPECT_EQ(result.perInterface, (std::map<std::string, InterfaceRate>{
                                       {"eth0", {500.0, 0.0}}, {"wlan0", {250.0, 150.0}}}));
    EXPECT_DOUBLE_EQ(result.rxBytesPerSec, 750.0);
    EXPECT_DOUBLE_EQ(result.txBytesPerSec, 150.0);
}

TEST(ThroughputCalculatorTest, BackwardsCounterCountsZeroInThatDirectionOnly) {
    const Counters before{{"eth0", 0xfffff000u, 100}};
    const Counters after{{"eth0", 0x10, 600}}; // received wrapped
    const Throughput result = throughput(before, after, 1.0);
    EXPECT_EQ(result.perInterface.at("eth0"), (InterfaceRate{0.0, 500.0}));
    EXPECT_EQ(result.rxBytesPerSec, 0.0);
    EXPECT_EQ(result.txBytesPerSec, 500.0);
}

TEST(ThroughputCalculatorTest, LastRepeatOfANameInThePreviousReadingWins) {
    const Counters before{{"eth0", 0, 0}, {"eth0", 900, 0}};
    const Counters after{{"eth0", 1000, 0}};
    EXPECT_DOUBLE_EQ(throughput(before, after, 1.0).rxBytesPerSec, 100.0);
}

TEST(ThroughputCalculatorTest, WideCountersAboveTwoToThe32AndAChangeOfWidth) {
    const Counters before{{"eth0", 0x1'0000'0000ull, 0, true}};
    const Counters after{{"eth0", 0x1'0000'0000ull + 10'000'000'000ull, 0, true}};
    EXPECT_DOUBLE_EQ(throughput(before, after, 1.0).rxBytesPerSec, 1e10)
        << "10 GB in one second, which a 32-bit counter wraps twice in";

    // The same link read once through its 32-bit counters: not a 4 GiB burst.
    const Counters narrow{{"eth0", 5, 5, false}};
    const Counters wideAgain{{"eth0", 0x1'0000'0010ull, 0x1'0000'0010ull, true}};
    const Throughput result = throughput(narrow, wideAgain, 1.0);
    EXPECT_EQ(result.perInterface.at("eth0"), (InterfaceRate{0.0, 0.0}));
}

} // namespace
} // namespace velto
