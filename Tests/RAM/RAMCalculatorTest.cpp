#include "RAMCore/RAMCalculator.h"

#include <gtest/gtest.h>
#include <limits>

namespace velto {
namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

TEST(RAMCalculatorTest, PagesTimesPageSizeAndTheUsedShare) {
    const RAMSnapshot snapshot = RAMCalculator::snapshot(
        {.free = 2, .active = 20, .inactive = 15, .wired = 10, .compressed = 5}, 16, 800);
    EXPECT_EQ(snapshot, (RAMSnapshot{160, 320, 240, 80, 32, 800}));
    EXPECT_DOUBLE_EQ(snapshot.usedFraction(), 0.7); // (160 + 320 + 80) / 800

    EXPECT_EQ(RAMCalculator::snapshot({.free = 9, .wired = 9}, 0, 800),
              (RAMSnapshot{0, 0, 0, 0, 0, 800}))
        << "an unknown page size zeroes the page figures, not the total";
}

TEST(RAMCalculatorTest, UsedFractionStaysInZeroToOne) {
    EXPECT_EQ((RAMSnapshot{160, 320, 240, 80, 32, 0}).usedFraction(), 0.0);
    EXPECT_EQ((RAMSnapshot{500, 400, 0, 100, 0, 800}).usedFraction(), 1.0);
    EXPECT_EQ((RAMSnapshot{0, 0, 400, 0, 400, 800}).usedFraction(), 0.0)
        << "inactive and free memory are not in use";

    // Sums and products that pass 2^64 stop there instead of wrapping round to little.
    EXPECT_EQ((RAMSnapshot{kMax / 2 + 1, kMax / 2 + 1, 0, 0, 0, 800}).usedFraction(), 1.0);
    const RAMSnapshot huge = RAMCalculator::snapshot({.active = kMax / 2}, 4096, 800);
    EXPECT_EQ(huge.activeBytes, kMax);
    EXPECT_EQ(huge.usedFraction(), 1.0);
}

} // namespace
} // namespace velto
