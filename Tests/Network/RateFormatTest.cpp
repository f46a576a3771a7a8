#include "NetworkCore/RateFormat.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace velto {
namespace {

TEST(RateFormatTest, FixedWidthTable) {
    const double kib = 1024.0;
    const struct {
        double rate;
        const char* text;
    } cases[] = {
        {0.0, "  0.0 B/s  "},
        {-5.0, "  0.0 B/s  "},
        {std::numeric_limits<double>::quiet_NaN(), "  0.0 B/s  "},
        {512.0, "512.0 B/s  "},
        {1023.0, "1023.0 B/s  "},
        {1024.0, "  1.0 KB/s "},
        {1536.0, "  1.5 KB/s "},
        {kib * kib, "  1.0 MB/s "},
        {kib * kib * kib, "  1.0 GB/s "},
        {kib * kib * kib * kib, "  1.0 TB/s "},
        {std::pow(kib, 5), "1024.0 TB/s "},
        {999.94, "999.9 B/s  "},
        {999.96 * kib, "1000.0 KB/s "}, // rounds to four digits below the next unit
        {0.04, "  0.0 B/s  "},
        {0.05, "  0.1 B/s  "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RateFormat::string(c.rate), c.text) << c.rate;
    }
    EXPECT_EQ(RateFormat::string(1536.0).size(), 11u);
    EXPECT_EQ(RateFormat::string(1023.0).size(), 12u);
}

TEST(RateFormatTest, HugeRatesStayInTerabytes) {
    const std::string text = RateFormat::string(std::numeric_limits<double>::max());
    EXPECT_EQ(text.substr(text.size() - 8), ".0 TB/s ");
    EXPECT_EQ(RateFormat::string(std::numeric_limits<double>::infinity()), "  0.0 B/s  ");
}

} // namespace
} // namespace velto
