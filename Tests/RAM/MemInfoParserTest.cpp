#include "RAMCore/MemInfoParser.h"

#include <QFile>
#include <gtest/gtest.h>
#include <string>

namespace velto {
namespace {

std::string fixture(const char* name) {
    QFile file(QStringLiteral(VELTO_MEMINFO_FIXTURES "/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll().toStdString();
}

TEST(MemInfoParserTest, RecordedAndHandMadeFiles) {
    const MemInfo inUse{.memTotal = 16384000,
                        .memFree = 1024000,
                        .active = 8192000,
                        .inactive = 4096000,
                        .unevictable = 64000,
                        .sUnreclaim = 256000,
                        .kernelStack = 25600,
                        .pageTables = 102400,
                        .zswap = 512000};
    MemInfo noZswap = inUse;
    noZswap.zswap = 0;
    const std::pair<const char*, MemInfo> cases[] = {
        {"debian12-vm-6.18.txt",
         {.memTotal = 24683716,
          .memFree = 22669848,
          .active = 910628,
          .inactive = 839896,
          .unevictable = 15868,
          .sUnreclaim = 28876,
          .kernelStack = 1864,
          .pageTables = 1316}},
        {"handmade-zswap-in-use.txt", inUse},
        {"handmade-no-zswap.txt", noZswap},
        // Only "<n> kB" values count, the first of two lines with one key, and
        // Active(anon) or MemTotalx are other keys.
        {"handmade-garbage.txt",
         {.memTotal = 16384000, .memFree = 1024000, .active = 8192000, .inactive = 4096000}},
    };
    for (const auto& [file, info] : cases) {
        EXPECT_EQ(MemInfoParser::parse(fixture(file)), info) << file;
    }
}

TEST(MemInfoParserTest, ReadingWithoutARequiredLineIsAbsent) {
    EXPECT_FALSE(MemInfoParser::parse(fixture("handmade-missing-memfree.txt")));
    EXPECT_FALSE(MemInfoParser::parse(std::string(4096, '\0')));
}

TEST(MemInfoParserTest, PageCountsRoundDownAfterSummingTheWiredParts) {
    const MemInfo info = *MemInfoParser::parse(fixture("handmade-zswap-in-use.txt"));
    // wired 64000 + 256000 + 25600 + 102400 = 448000 KiB
    EXPECT_EQ(MemInfoParser::pageCounts(info, 4096), (RAMPageCounts{.free = 256000,
                                                                    .active = 2048000,
                                                                    .inactive = 1024000,
                                                                    .wired = 112000,
                                                                    .compressed = 128000}));
    EXPECT_EQ(MemInfoParser::pageCounts(info, 16384).wired, 28000u);
    EXPECT_EQ(MemInfoParser::pageCounts(info, 0), RAMPageCounts{});
    EXPECT_EQ(MemInfoParser::totalBytes(info), 16384000ull * 1024);

    // Four parts of 3 KiB are 3 pages of 4 KiB together, though none is a page alone.
    const MemInfo odd{.unevictable = 3, .sUnreclaim = 3, .kernelStack = 3, .pageTables = 3};
    EXPECT_EQ(MemInfoParser::pageCounts(odd, 4096).wired, 3u);
}

} // namespace
} // namespace velto
