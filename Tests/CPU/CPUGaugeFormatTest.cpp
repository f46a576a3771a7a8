#include "CPUCore/CPUGaugeFormat.h"

#include <gtest/gtest.h>

namespace velto {
namespace {

TEST(CPUGaugeFormatTest, PercentPadsToThreeAndRoundsHalfToEven) {
    const std::pair<double, const char*> cases[] = {
        {0.0, "  0%"},    {0.42, " 42%"},  {1.0, "100%"},   {0.896, " 90%"},
        {0.7499, " 75%"}, {0.005, "  0%"}, {0.015, "  2%"}, {0.995, "100%"},
    };
    for (const auto& [fraction, text] : cases) {
        EXPECT_EQ(CPUGaugeFormat::percent(fraction), QLatin1String(text)) << fraction;
    }
    EXPECT_EQ(CPUGaugeFormat::total(0.426), QStringLiteral("Total  43%"));
    EXPECT_EQ(CPUGaugeFormat::total(1.0), QStringLiteral("Total  100%"));
    EXPECT_EQ(CPUGaugeFormat::coreLabel(0), QStringLiteral("Core 1"));
    EXPECT_EQ(CPUGaugeFormat::coreLabel(127), QStringLiteral("Core 128"));
}

TEST(CPUGaugeFormatTest, LoadLevelFollowsTheFractionNotTheRoundedFigure) {
    const std::pair<double, LoadLevel> cases[] = {
        {0.904, LoadLevel::Critical}, {0.9, LoadLevel::Critical},  {0.896, LoadLevel::Elevated},
        {0.75, LoadLevel::Elevated},  {0.7499, LoadLevel::Normal}, {0.0, LoadLevel::Normal},
    };
    for (const auto& [fraction, level] : cases) {
        EXPECT_EQ(CPUGaugeFormat::loadLevel(fraction), level) << fraction;
    }
    const QColor primary(12, 34, 56);
    EXPECT_EQ(CPUGaugeFormat::loadColor(LoadLevel::Normal, primary), primary);
}

} // namespace
} // namespace velto
