#include "SettingsRules.h"

#include <QJsonArray>
#include <gtest/gtest.h>
#include <limits>

using velto::SettingsRules::compactMenuBar;
using velto::SettingsRules::objectAsBool;
using velto::SettingsRules::refreshInterval;

namespace {

using Stored = std::optional<QJsonValue>;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

} // namespace

TEST(SettingsRules, OnlyBooleansAndTheNumbersZeroAndOneAreBools) {
    EXPECT_TRUE(objectAsBool(QJsonValue(1.0), false));
    EXPECT_FALSE(objectAsBool(QJsonValue(0), true));
    EXPECT_FALSE(objectAsBool(QJsonValue(-0.0), true));
    for (const Stored& other :
         {Stored(), Stored(QStringLiteral("no")), Stored(QStringLiteral("1")), Stored(2),
          Stored(-1), Stored(0.5), Stored(QJsonValue::Null), Stored(QJsonArray{false})}) {
        EXPECT_TRUE(objectAsBool(other, true));
        EXPECT_FALSE(objectAsBool(other, false));
    }
}

TEST(SettingsRules, RefreshIntervalIsOneSecondUnlessAPositiveNumberIsStored) {
    EXPECT_EQ(refreshInterval(QJsonValue(12)), 12.0);
    EXPECT_EQ(refreshInterval(QJsonValue(1e-9)), 1e-9);
    // Infinity cannot be stored in JSON: once written it would come back as null.
    for (const Stored& unusable :
         {Stored(), Stored(0), Stored(-3), Stored(std::numeric_limits<double>::quiet_NaN()),
          Stored(kInfinity), Stored(-kInfinity), Stored(QStringLiteral("2.5")), Stored(true)})
        EXPECT_EQ(refreshInterval(unusable), 1.0);
}

TEST(SettingsRules, AnythingUnderTheNewCompactKeyHidesTheOlderOne) {
    EXPECT_FALSE(compactMenuBar(Stored(), Stored()));
    EXPECT_TRUE(compactMenuBar(Stored(), QJsonValue(1)));
    EXPECT_FALSE(compactMenuBar(QJsonValue(false), QJsonValue(true)));
    EXPECT_TRUE(compactMenuBar(QJsonValue(true), QJsonValue(false)));
    EXPECT_FALSE(compactMenuBar(QJsonValue(2), QJsonValue(true)));
    EXPECT_FALSE(compactMenuBar(QJsonValue(QJsonValue::Null), QJsonValue(true)));
}
