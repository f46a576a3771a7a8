#include "CPUCore/ProcStatParser.h"

#include <QFile>
#include <gtest/gtest.h>
#include <string>

namespace velto {
namespace {

using Records = std::vector<CPULoadRecord>;
using Numbers = std::vector<std::uint32_t>;

TEST(ProcStatParserTest, RecordedKernelOutput) {
    QFile file(QStringLiteral(VELTO_PROC_STAT_FIXTURES "/debian12-2cpu-vm-a.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto reading = ProcStatParser::parse(file.readAll().toStdString());
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->processorNumbers, (Numbers{0, 1}));
    // cpu0 1100 0 1017 29141 5 0 50 0 0 0 and cpu1 1913 0 1586 27536 217 0 79 0 0 0
    EXPECT_EQ(reading->loads, (Records{{1100, 1067, 29146, 0}, {1913, 1665, 27753, 0}}));
}

TEST(ProcStatParserTest, MapsKernelFieldsOntoFourCounters) {
    const auto reading = ProcStatParser::parse(
        "cpu  0 0 0 0\n"
        // system + irq + softirq + steal, idle + iowait; guest (9, 10) is already in user
        // and nice, and fields past it are ignored.
        "cpu0 1 2 3 4 5 6 7 8 9 10 99\n"
        "cpu1 10 20 30 40\n" // an old kernel's four fields
        // Counters are cut to 32 bits; a sum is cut after adding, like the parts' sum.
        "cpu2 4294967301 2147483648 4294967297 18446744073709551615 0 4294967295\n");
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->loads,
              (Records{{1, 24, 9, 2}, {10, 30, 40, 20}, {5, 0, 0xFFFFFFFFu, 0x80000000u}}));
}

TEST(ProcStatParserTest, LineShapes) {
    const auto reading = ProcStatParser::parse("cpu\t1 2 3 4\r\n"
                                               "cpu1\t1\t2  3 4 \r\n"
                                               "cpu10 1 0 0 0\n"
                                               "cpu100 100 0 0 0\n"
                                               "intr 1 2 x\n"
                                               "cpu7 lines after the cpu block are not read\n");
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->processorNumbers, (Numbers{1, 10, 100})); // gaps: offline processors
    EXPECT_EQ(reading->loads.front(), (CPULoadRecord{1, 3, 4, 2}));
    EXPECT_EQ(reading->loads.back().user, 100u);

    const auto none = ProcStatParser::parse("cpu  1 2 3 4 5 6 7 8 9 10\nintr 0");
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->loads.empty());
}

TEST(ProcStatParserTest, RejectsWhatIsNotProcStat) {
    for (const char* text :
         {"", "\n\n", "hello world\n", "intr 1 2 3\n", "cpu0 1 2 3 4\n", "\x01\xff cpu0 1 2 3 4"}) {
        EXPECT_FALSE(ProcStatParser::parse(text)) << text;
    }
    for (const char* lines : {
             "cpu0 1 2 3",                      // fewer than four counters
             "cpu0",                            //
             "cpu0 1 2 x 4",                    // not a number
             "cpu0 1 2 -3 4",                   //
             "cpu0 +1 2 3 4",                   //
             "cpu0 1 2 3 4abc",                 //
             "cpu0 1 2 3 18446744073709551616", // above 64 bits
             "cpuX 1 2 3 4",                    // no processor number
             "cpu-1 1 2 3 4",                   //
             "cpu0x 1 2 3 4",                   //
             "cpu4294967296 1 2 3 4",           // number above 32 bits
             "cpu1 1 2 3 4\ncpu0 1 2 3 4",      // numbers not ascending
             "cpu3 1 2 3 4\ncpu3 1 2 3 4",      //
         }) {
        EXPECT_FALSE(ProcStatParser::parse(std::string("cpu 1 2 3 4\n") + lines + "\n")) << lines;
    }
}

TEST(ProcStatParserTest, ReusedReadingHoldsOnlyTheNewProcessors) {
    CPUReading reading;
    ASSERT_TRUE(
        ProcStatParser::parse("cpu 0\ncpu0 1 1 1 1\ncpu1 2 2 2 2\ncpu2 3 3 3 3\n", reading));
    ASSERT_TRUE(ProcStatParser::parse("cpu 0\ncpu5 9 9 9 9\n", reading));
    EXPECT_EQ(reading, (CPUReading{{{9, 9, 9, 9}}, {5}}));
}

} // namespace
} // namespace velto
