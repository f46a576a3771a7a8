// Bundles dropped into the user folder while velto runs, through the loader's
// watcher, against real sealed fixture bundles.

#include "PluginLoader.h"

#include <Platform/UserDefaults.h>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <Support/TestEnvironment.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace velto;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

const QString kHostFixtures = QStringLiteral(VELTO_FIXTURE_DIR);
const QString kNamedFixtures = QStringLiteral(VELTO_NAMED_FIXTURE_DIR);

/// cp -a, as a user copies a bundle in: folders first, then the files one by one.
void copyTree(const QString& source, const QString& target) {
    ASSERT_EQ(QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-a"), source, target}), 0);
}

QStringList idsOf(const WidgetList& widgets) {
    QStringList ids;
    for (const auto& widget : widgets)
        ids.append(widget->id());
    return ids;
}

class HotLoadingTest : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override { PluginLoader::ensureDirectoryExists(user); }

    void startWatching() {
        watcher = loader.watchForNewPlugins(
            user, [](const QString&) { return true; },
            [this](WidgetList widgets) {
                deliveries.push_back(idsOf(widgets));
                delays.push_back(sinceCopied.elapsed());
            });
        ASSERT_TRUE(watcher->isWatching());
    }
    bool waitForDeliveries(std::size_t count) {
        return QTest::qWaitFor([&] { return deliveries.size() >= count; }, 5000);
    }

    platform::UserDefaults defaults{QStringLiteral("org.velto.hot-loading-tests")};
    PluginLoader loader{defaults};
    QString user = velto::test::sandboxRoot() + QStringLiteral("/data/velto/Plugins");
    std::unique_ptr<PluginDirectoryWatcher> watcher;
    std::vector<QStringList> deliveries;
    QElapsedTimer sinceCopied;
    std::vector<qint64> delays;
};

} // namespace

TEST_F(HotLoadingTest, ASignedBundleCopiedInArrivesWithinASecondAndAHalf) {
    startWatching();
    copyTree(kHostFixtures + QStringLiteral("/Good.bundle"), user + QStringLiteral("/Good.bundle"));
    sinceCopied.start();
    ASSERT_TRUE(waitForDeliveries(1));
    EXPECT_THAT(deliveries, ElementsAre(ElementsAre(QStringLiteral("fixture"))));
    EXPECT_LE(delays.at(0), 1500);
}

// A half-copied bundle, without its seal or without its code.
INSTANTIATE_TEST_SUITE_P(MissingPart, HotLoadingTest,
                         testing::Values("Contents/_CodeSignature", "Contents/Linux"));

TEST_P(HotLoadingTest, AHalfCopiedBundleFailsThenLoadsOnceCompleteWithoutARestart) {
    const QString missing = QString::fromLatin1(GetParam());
    const QString staging = velto::test::makeTempFolder(QStringLiteral("staging"));
    copyTree(kHostFixtures + QStringLiteral("/Good.bundle"),
             staging + QStringLiteral("/Half.bundle"));
    ASSERT_TRUE(QDir().rename(staging + QStringLiteral("/Half.bundle/") + missing,
                              staging + QStringLiteral("/rest")));

    startWatching();
    copyTree(staging + QStringLiteral("/Half.bundle"), user + QStringLiteral("/Half.bundle"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !loader.diagnosticMessages().isEmpty(); }, 4000));
    EXPECT_THAT(loader.diagnosticMessages(),
                ElementsAre(QStringLiteral("Skipped Half.bundle: invalid or missing signature")));
    EXPECT_THAT(deliveries, IsEmpty());

    copyTree(staging + QStringLiteral("/rest"), user + QStringLiteral("/Half.bundle/") + missing);
    sinceCopied.start();
    ASSERT_TRUE(waitForDeliveries(1)) << "the completed bundle was not rescanned";
    EXPECT_THAT(deliveries, ElementsAre(ElementsAre(QStringLiteral("fixture"))));
    EXPECT_LE(delays.at(0), 1500);
    EXPECT_THAT(loader.diagnosticMessages(), IsEmpty());
}

TEST_F(HotLoadingTest, TwoBundlesInOneBurstArriveInOneCallInFileNameOrder) {
    startWatching();
    copyTree(kNamedFixtures + QStringLiteral("/Alpha.bundle"),
             user + QStringLiteral("/Zeta.bundle"));
    copyTree(kNamedFixtures + QStringLiteral("/Beta.bundle"), user + QStringLiteral("/Eta.bundle"));
    ASSERT_TRUE(waitForDeliveries(1));
    QTest::qWait(1500);
    EXPECT_THAT(deliveries,
                ElementsAre(ElementsAre(QStringLiteral("beta"), QStringLiteral("alpha"))));
}

TEST_F(HotLoadingTest, TouchingFilesWithNothingNewRescansButHandsNothingOn) {
    copyTree(kHostFixtures + QStringLiteral("/Good.bundle"), user + QStringLiteral("/Good.bundle"));
    copyTree(kHostFixtures + QStringLiteral("/Unsigned.bundle"),
             user + QStringLiteral("/Unsigned.bundle"));
    ASSERT_THAT(idsOf(loader.loadBundles(user, true, [](const QString&) { return true; })),
                ElementsAre(QStringLiteral("fixture")));
    startWatching();
    // Each rescan checks the unsigned bundle again and republishes its diagnostic.
    QSignalSpy rescans(&loader, &Observable::willChange);

    QProcess::execute(QStringLiteral("touch"),
                      {user + QStringLiteral("/Good.bundle/Contents/Info.json"),
                       user + QStringLiteral("/Notes.txt")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return rescans.count() > 0; }, 4000)) << "no rescan ran";
    QFile::remove(user + QStringLiteral("/Notes.txt"));
    QTest::qWait(1500);
    EXPECT_GE(rescans.count(), 2);
    EXPECT_THAT(deliveries, IsEmpty());
}
