#include <VeltoPluginKit/FixedText.h>
#include <clocale>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>

namespace velto {
namespace {

std::string printed(double value, int decimals, int width) {
    char text[512];
    std::snprintf(text, sizeof text, "%*.*f", width, decimals, value);
    return text;
}

// printf in the C locale is the reference: the same digits and the same
// rounding of the exact binary value, ties included.
TEST(FixedTextTest, WritesWhatPrintfWritesInTheCLocale) {
    std::mt19937_64 random(20261210);
    std::uniform_real_distribution<double> fraction(0.0, 1.0);
    std::uniform_real_distribution<double> rate(0.0, 2048.0);
    for (int i = 0; i < 20000; ++i) {
        const double percent = fraction(random) * 100.0;
        ASSERT_EQ(FixedText::string(percent, 0, 3), printed(percent, 0, 3)) << percent;
        const double bytes = rate(random);
        ASSERT_EQ(FixedText::string(bytes, 1, 5), printed(bytes, 1, 5)) << bytes;
    }
    for (const double tie : {0.5, 1.5, 2.5, 12.5, 0.25, 0.35, 0.05, 99.5, -0.4, -2.5})
        for (const int decimals : {0, 1})
            EXPECT_EQ(FixedText::string(tie, decimals), printed(tie, decimals, 0)) << tie;
}

TEST(FixedTextTest, PadsOnlyWhatIsShorterThanTheWidth) {
    EXPECT_EQ(FixedText::string(7, 0, 3), "  7");
    EXPECT_EQ(FixedText::string(100, 0, 3), "100");
    EXPECT_EQ(FixedText::string(1234.56, 1, 3), "1234.6");
    EXPECT_EQ(FixedText::text(0.0, 1, 5), QStringLiteral("  0.0"));
    const std::string widest = FixedText::string(std::numeric_limits<double>::max(), 1, 5);
    EXPECT_EQ(widest, printed(std::numeric_limits<double>::max(), 1, 5));
    EXPECT_EQ(FixedText::string(std::numeric_limits<double>::infinity(), 0), "inf");
    EXPECT_EQ(FixedText::string(std::numeric_limits<double>::quiet_NaN(), 0, 4), " nan");
}

// Qt sets the user's locale for the whole process; a reading keeps its point.
TEST(FixedTextTest, IgnoresTheLocalesDecimalSeparator) {
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    const char* german = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
        if ((german = std::setlocale(LC_NUMERIC, name)))
            break;
    if (!german)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    const std::string text = FixedText::string(1.5, 1);
    std::setlocale(LC_NUMERIC, before.c_str());
    EXPECT_EQ(text, "1.5");
}

} // namespace
} // namespace velto
