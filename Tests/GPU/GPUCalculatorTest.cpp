#include "GPUCore/GPUCalculator.h"

#include "GPUCore/DrmStatistics.h"

#include <gtest/gtest.h>
#include <limits>

namespace velto {
namespace {

std::optional<double> utilization(const QVariant& value) {
    return GPUCalculator::utilization({{QStringLiteral("Device Utilization %"), value}});
}

TEST(GPUCalculatorTest, PercentBecomesAClampedFraction) {
    const std::pair<QVariant, double> cases[] = {{37, 0.37},
                                                 {150, 1.0},
                                                 {-5, 0.0},
                                                 {0, 0.0},
                                                 {-0.0, 0.0},
                                                 {37.5, 0.375},
                                                 {QVariant::fromValue(37u), 0.37},
                                                 {QVariant::fromValue(qulonglong{1} << 40), 1.0},
                                                 {std::numeric_limits<double>::infinity(), 1.0}};
    for (const auto& [value, expected] : cases) {
        const std::optional<double> fraction = utilization(value);
        ASSERT_TRUE(fraction) << value.toString().toStdString();
        EXPECT_DOUBLE_EQ(*fraction, expected) << value.toString().toStdString();
        EXPECT_FALSE(std::signbit(*fraction)) << "no \"-0%\"";
    }
}

TEST(GPUCalculatorTest, AnythingButANumberUnderTheKeyIsAbsent) {
    EXPECT_FALSE(GPUCalculator::utilization({}));
    EXPECT_FALSE(GPUCalculator::utilization({{QStringLiteral("Device Utilization"), 37},
                                             {QStringLiteral("device utilization %"), 37}}));
    // QVariant converts each of these to a number, and none is one.
    for (const QVariant& value :
         {QVariant(QStringLiteral("37")), QVariant(QByteArray("37")), QVariant(true), QVariant(),
          QVariant(QVariantList{37}), QVariant(std::numeric_limits<double>::quiet_NaN())}) {
        EXPECT_FALSE(utilization(value)) << value.typeName();
    }
}

TEST(DrmStatisticsTest, CardNamesAndBusyFiles) {
    EXPECT_EQ(DrmStatistics::cardNumber("card12"), 12u);
    for (const char* name : {"card", "card0-DP-1", "renderD128", "card-1", "card99999999999"}) {
        EXPECT_FALSE(DrmStatistics::cardNumber(name)) << name;
    }
    const auto busy = [](std::string_view text) {
        return GPUCalculator::utilization(DrmStatistics::fromBusyPercent(text));
    };
    EXPECT_EQ(busy("37\n"), 0.37);
    EXPECT_EQ(busy("  0 \n"), 0.0);
    for (const char* text : {"", "\n", "abc\n", "37%\n", "37 40\n", "3.7\n", "+37", "0x25",
                             "99999999999999999999999\n"}) {
        EXPECT_TRUE(DrmStatistics::fromBusyPercent(text).isEmpty()) << text;
    }
}

} // namespace
} // namespace velto
