#include "CPUCore/ProcStatParser.h"

#include "ProcStatText.h"

#include <QFile>

#include <gtest/gtest.h>

#include <string>

namespace velto {
namespace {

std::string fixture(const char* name) {
    QFile file(QStringLiteral(VELTO_PROC_STAT_FIXTURES) + QLatin1Char('/') + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll().toStdString();
}

TEST(ProcStatParserRecorded, ReadsEveryOnlineProcessor) {
    const auto reading = ProcStatParser::parse(fixture("debian12-2cpu-vm-a.txt"));
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->processorNumbers, (std::vector<std::uint32_t>{0, 1}));
    // cpu0 1100 0 1017 29141 5 0 50 0 0 0
    EXPECT_EQ(reading->loads.at(0), (CPULoadRecord{1100, 1017 + 50, 29141 + 5, 0}));
    // cpu1 1913 0 1586 27536 217 0 79 0 0 0
    EXPECT_EQ(reading->loads.at(1), (CPULoadRecord{1913, 1586 + 79, 27536 + 217, 0}));
}

TEST(ProcStatParserFields, MapsKernelFieldsOntoFourCounters) {
    const auto reading = ProcStatParser::parse("cpu  0 0 0 0\ncpu0 1 2 3 4 5 6 7 8 9 10\n");
    ASSERT_TRUE(reading);
    // user, system + irq + softirq + steal, idle + iowait, nice; guest 9 and guest_nice 10
    // are already inside user and nice.
    EXPECT_EQ(reading->loads, (std::vector<CPULoadRecord>{{1, 3 + 6 + 7 + 8, 4 + 5, 2}}));
}

TEST(ProcStatParserFields, OlderKernelsWithFewerFields) {
    const auto reading = ProcStatParser::parse("cpu 1 2 3 4\ncpu0 10 20 30 40\ncpu1 1 2 3 4 5\n");
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->loads, (std::vector<CPULoadRecord>{{10, 30, 40, 20}, {1, 3, 9, 2}}));
}

TEST(ProcStatParserFields, FieldsBeyondTheKnownOnesAreIgnored) {
    const auto reading = ProcStatParser::parse("cpu\ncpu0 1 1 1 1 1 1 1 1 1 1 99 99 99\n");
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->loads, (std::vector<CPULoadRecord>{{1, 4, 2, 1}}));
}

TEST(ProcStatParserFields, CountersAreCutTo32Bits) {
    const auto reading = ProcStatParser::parse("cpu 0\n"
                                               "cpu0 4294967301 2147483648 0 18446744073709551615\n"
                                               // system 2^32 + 1 and irq 2^32 - 1: the sum
                                               // cut to 32 bits is 0, like the parts' sum.
                                               "cpu1 0 0 4294967297 0 0 4294967295\n");
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->loads.at(0), (CPULoadRecord{5, 0, 0xFFFFFFFFu, 0x80000000u}));
    EXPECT_EQ(reading->loads.at(1).system, 0u);
}

TEST(ProcStatParserFields, ManyProcessorsWithLargeCounters) {
    std::vector<test::StatLine> lines;
    for (std::uint64_t i = 0; i < 256; ++i) {
        lines.push_back({.user = 3'000'000'000 + i, .idle = 2'500'000'000, .iowait = i});
    }
    const auto reading = ProcStatParser::parse(test::procStat(lines));
    ASSERT_TRUE(reading);
    ASSERT_EQ(reading->loads.size(), 256u);
    EXPECT_EQ(reading->processorNumbers.back(), 255u);
    EXPECT_EQ(reading->loads[200], (CPULoadRecord{3'000'000'200u, 0, 2'500'000'200u, 0}));
}

TEST(ProcStatParserLines, MultiDigitNumbersAndOfflineGaps) {
    const auto reading = ProcStatParser::parse("cpu  1 1 1 1\n"
                                               "cpu1 1 0 0 0\n"
                                               "cpu10 10 0 0 0\n"
                                               "cpu100 100 0 0 0\n");
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->processorNumbers, (std::vector<std::uint32_t>{1, 10, 100}));
    EXPECT_EQ(reading->loads.at(2).user, 100u);
}

TEST(ProcStatParserLines, ToleratesTabsCarriageReturnsAndNoFinalNewline) {
    const auto reading = ProcStatParser::parse("cpu\t1 2 3 4\r\ncpu0\t1\t2  3 4 \r\ncpu1 5 6 7 8");
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->loads, (std::vector<CPULoadRecord>{{1, 3, 4, 2}, {5, 7, 8, 6}}));
}

TEST(ProcStatParserLines, StopsAtTheEndOfTheCPUBlock) {
    const auto reading =
        ProcStatParser::parse("cpu 0\ncpu0 1 2 3 4\nintr 1 2 x\ncpu7 garbage\nctxt 5\n");
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->processorNumbers, std::vector<std::uint32_t>{0});
}

TEST(ProcStatParserLines, AggregateLineAloneMeansNoProcessors) {
    const auto reading = ProcStatParser::parse("cpu  1 2 3 4 5 6 7 8 9 10\nintr 0\n");
    ASSERT_TRUE(reading);
    EXPECT_TRUE(reading->loads.empty());
    EXPECT_TRUE(reading->processorNumbers.empty());
}

TEST(ProcStatParserRejects, TextThatIsNotProcStat) {
    for (const char* text : {"", "\n\n", "hello world\n", "intr 1 2 3\nctxt 4\n",
                             // cpuN lines without the aggregate line
                             "cpu0 1 2 3 4\n", "\x01\x02\xff cpu0 1 2 3 4"}) {
        EXPECT_FALSE(ProcStatParser::parse(text)) << text;
    }
}

TEST(ProcStatParserRejects, MalformedProcessorLines) {
    for (const char* line : {
             "cpu0 1 2 3",                      // fewer than four counters
             "cpu0",                            // none
             "cpu0 1 2 x 4",                    // not a number
             "cpu0 1 2 -3 4",                   // negative
             "cpu0 1 2 3 4abc",                 // trailing junk
             "cpu0 1 2 3 18446744073709551616", // above 64 bits
             "cpu0 +1 2 3 4",                   // sign
             "cpuX 1 2 3 4",                    // no processor number
             "cpu-1 1 2 3 4",                   //
             "cpu0x 1 2 3 4",                   //
             "cpu4294967296 1 2 3 4",           // number above 32 bits
             "cpufreq 1 2 3 4",                 //
         }) {
        EXPECT_FALSE(ProcStatParser::parse(std::string("cpu 1 2 3 4\n") + line + "\n")) << line;
    }
}

TEST(ProcStatParserRejects, ProcessorNumbersThatDoNotAscend) {
    EXPECT_FALSE(ProcStatParser::parse("cpu 0\ncpu1 1 2 3 4\ncpu0 1 2 3 4\n"));
    EXPECT_FALSE(ProcStatParser::parse("cpu 0\ncpu3 1 2 3 4\ncpu3 1 2 3 4\n"));
}

TEST(ProcStatParserReuse, OverwritesAnEarlierReading) {
    CPUReading reading;
    ASSERT_TRUE(ProcStatParser::parse("cpu 0\ncpu0 1 1 1 1\ncpu1 2 2 2 2\ncpu2 3 3 3 3\n", reading));
    ASSERT_TRUE(ProcStatParser::parse("cpu 0\ncpu5 9 9 9 9\n", reading));
    EXPECT_EQ(reading, (CPUReading{{{9, 9, 9, 9}}, {5}}));
}

} // namespace
} // namespace velto
