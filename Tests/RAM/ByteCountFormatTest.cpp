#include "RAMCore/ByteCountFormat.h"

#include <gtest/gtest.h>
#include <limits>

namespace velto {
namespace {

TEST(ByteCountFormatTest, UnitsStepBy1024) {
    constexpr std::uint64_t KiB = 1024, MiB = KiB * 1024, GiB = MiB * 1024;
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "0 bytes"},
        {1, "1 byte"},
        {1023, "1023 bytes"},
        {KiB, "1 KiB"},
        {1000 * KiB, "1000 KiB"},
        {1048575, "1 MiB"}, // 1023.999 KiB rounds up into the next unit
        {MiB + MiB / 2, "1.5 MiB"},
        {MiB * 1023 + MiB * 96 / 100, "1 GiB"},
        {8 * GiB, "8 GiB"},
        {7 * GiB + GiB * 3 / 4, "7.75 GiB"},
        {24683716 * KiB, "23.54 GiB"},
        {GiB * 1024 * 3, "3 TiB"},
        {std::numeric_limits<std::uint64_t>::max(), "16 EiB"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(ByteCountFormat::memory(bytes), QLatin1String(text)) << bytes;
    }
}

} // namespace
} // namespace velto
