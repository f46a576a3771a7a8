#include "GPUCore/DrmCardReader.h"

#include "GPUFixtures.h"

#include <QDir>
#include <gtest/gtest.h>

namespace velto {
namespace {

using namespace std::chrono_literals;

// A reader on a sysfs tree whose steady clock the test moves by hand.
class DrmCardReaderTest : public testing::Test {
protected:
    void makeReader(const QString& sysfsRoot) {
        reader.emplace(sysfsRoot.toStdString(), [this] { return now; });
    }

    std::chrono::steady_clock::time_point now{};
    std::optional<DrmCardReader> reader;
};

TEST_F(DrmCardReaderTest, TheKeptFolderShowsCardsAndReadingsThatChangeBetweenWalks) {
    const QString root = test::makeSysfsTree({{"card1", "20\n"}});
    makeReader(root);
    EXPECT_EQ(reader->firstUtilization(), 0.2);
    test::setBusyPercent(root, "card1", "35\n");
    EXPECT_EQ(reader->firstUtilization(), 0.35) << "each walk reads the file afresh";
    // A card plugged in later (an external GPU) that sorts first.
    test::setBusyPercent(root, "card0", "80\n");
    EXPECT_EQ(reader->firstUtilization(), 0.8);
    test::setBusyPercent(root, "card0", std::nullopt);
    QDir(root + QStringLiteral("/class/drm/card0")).removeRecursively();
    EXPECT_EQ(reader->firstUtilization(), 0.35) << "and one unplugged is gone";
}

TEST_F(DrmCardReaderTest, AMissingFolderIsLookedForAgainAfterTheRetryPeriod) {
    const QString root = test::makeTempFolder(QStringLiteral("sys"));
    makeReader(root);
    EXPECT_FALSE(reader->firstUtilization());
    test::setBusyPercent(root, "card0", "40\n"); // the driver loads
    now += DrmCardReader::kMissingFolderRetry - 1s;
    EXPECT_FALSE(reader->firstUtilization()) << "not looked for before the period is over";
    now += 1s;
    EXPECT_EQ(reader->firstUtilization(), 0.4);
}

TEST_F(DrmCardReaderTest, AFolderThatGoesAwayAndComesBackIsOpenedAgain) {
    const QString root = test::makeSysfsTree({{"card0", "10\n"}});
    makeReader(root);
    EXPECT_EQ(reader->firstUtilization(), 0.1);
    // The driver unloads: the folder the reader holds is gone.
    QDir(root + QStringLiteral("/class")).removeRecursively();
    EXPECT_FALSE(reader->firstUtilization());
    EXPECT_FALSE(reader->firstUtilization());
    // It loads again: a new folder at the same path, found once the period is over.
    test::setBusyPercent(root, "card0", "60\n");
    now += DrmCardReader::kMissingFolderRetry;
    EXPECT_EQ(reader->firstUtilization(), 0.6);
}

} // namespace
} // namespace velto
