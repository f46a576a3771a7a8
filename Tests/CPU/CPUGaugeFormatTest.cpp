#include "CPUCore/CPUGaugeFormat.h"

#include <gtest/gtest.h>

namespace velto {
namespace {

TEST(CPUGaugeFormatPercent, PadsToThreeCharactersAndRoundsHalfToEven) {
    const std::pair<double, const char*> cases[] = {
        {0.0, "  0%"},  {0.42, " 42%"},  {1.0, "100%"},   {0.904, " 90%"},
        {0.896, " 90%"}, {0.7499, " 75%"}, {0.005, "  0%"}, {0.015, "  2%"},
        {0.125, " 12%"}, {0.995, "100%"},
    };
    for (const auto& [fraction, text] : cases) {
        EXPECT_EQ(CPUGaugeFormat::percent(fraction), QLatin1String(text)) << fraction;
    }
}

TEST(CPUGaugeFormatTexts, TotalCoreLabelAndWaiting) {
    EXPECT_EQ(CPUGaugeFormat::total(0.0), QStringLiteral("Total  0%"));
    EXPECT_EQ(CPUGaugeFormat::total(0.426), QStringLiteral("Total  43%"));
    EXPECT_EQ(CPUGaugeFormat::total(1.0), QStringLiteral("Total  100%"));
    EXPECT_EQ(CPUGaugeFormat::coreLabel(0), QStringLiteral("Core 1"));
    EXPECT_EQ(CPUGaugeFormat::coreLabel(127), QStringLiteral("Core 128"));
    EXPECT_EQ(CPUGaugeFormat::waitingText(), QString::fromUtf8("Waiting for data\xE2\x80\xA6"));
}

TEST(CPUGaugeFormatLoad, ColourFollowsTheFractionNotTheRoundedFigure) {
    EXPECT_EQ(CPUGaugeFormat::loadLevel(0.904), LoadLevel::Critical);
    EXPECT_EQ(CPUGaugeFormat::loadLevel(0.9), LoadLevel::Critical);
    EXPECT_EQ(CPUGaugeFormat::loadLevel(0.896), LoadLevel::Elevated);
    EXPECT_EQ(CPUGaugeFormat::loadLevel(0.75), LoadLevel::Elevated);
    EXPECT_EQ(CPUGaugeFormat::loadLevel(0.7499), LoadLevel::Normal);
    EXPECT_EQ(CPUGaugeFormat::loadLevel(0.0), LoadLevel::Normal);
}

TEST(CPUGaugeFormatLoad, NormalKeepsThePrimaryColour) {
    const QColor primary(12, 34, 56);
    EXPECT_EQ(CPUGaugeFormat::loadColor(LoadLevel::Normal, primary), primary);
    EXPECT_NE(CPUGaugeFormat::loadColor(LoadLevel::Elevated, primary),
              CPUGaugeFormat::loadColor(LoadLevel::Critical, primary));
    EXPECT_NE(CPUGaugeFormat::loadColor(LoadLevel::Critical, primary), primary);
}

} // namespace
} // namespace velto
