#include "CPUCore/ProcFileReader.h"

#include "Support/TestEnvironment.h"

#include <QFile>
#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace velto {
namespace {

double uptimeOf(std::string_view text) {
    return std::stod(std::string(text.substr(0, text.find(' '))));
}

TEST(ProcFileReaderTest, KeepsAProcFileOpenAndReadsItAfreshEachTime) {
    ProcFileReader reader("/proc/uptime");
    const std::optional<std::string_view> first = reader.read();
    ASSERT_TRUE(first);
    const double before = uptimeOf(*first);
    EXPECT_TRUE(reader.keepsDescriptor());
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const std::optional<std::string_view> second = reader.read();
    ASSERT_TRUE(second) << "the kept descriptor must be read again from its start";
    EXPECT_GT(uptimeOf(*second), before);
}

TEST(ProcFileReaderTest, FollowsAnOrdinaryFileReplacedUnderItsPath) {
    const QString path = test::makeTempFolder() + QStringLiteral("/stat");
    ProcFileReader reader(path.toStdString());
    EXPECT_FALSE(reader.read()) << "not there yet";
    for (const char* text : {"first", "second, longer"}) {
        QFile::remove(path);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        EXPECT_EQ(reader.read(), std::string_view(text));
        EXPECT_FALSE(reader.keepsDescriptor());
    }
}

} // namespace
} // namespace velto
