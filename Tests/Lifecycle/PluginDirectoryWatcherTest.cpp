#include "PluginDirectoryWatcher.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTest>
#include <Support/TestEnvironment.h>
#include <gtest/gtest.h>

using namespace velto;

namespace {

void append(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append)) << path.toStdString();
    file.write("x");
}

class PluginDirectoryWatcherTest : public testing::Test {
protected:
    std::unique_ptr<PluginDirectoryWatcher> startWatcher(std::function<void()> extra = {}) {
        auto watcher = std::make_unique<PluginDirectoryWatcher>(folder, [this, extra] {
            times.push_back(clock.elapsed());
            if (extra)
                extra();
        });
        watcher->start();
        clock.start();
        return watcher;
    }
    bool waitForCalls(std::size_t count, int milliseconds = 4000) {
        return QTest::qWaitFor([&] { return times.size() >= count; }, milliseconds);
    }

    QString folder = velto::test::makeTempFolder(QStringLiteral("plugins"));
    QElapsedTimer clock;
    std::vector<qint64> times;
};

} // namespace

TEST_F(PluginDirectoryWatcherTest, ABurstIsOneCallASecondAfterItsStartAndATrickleIsNotStarved) {
    auto watcher = startWatcher();
    for (int i = 0; i < 5; ++i) {
        append(folder + QStringLiteral("/file%1").arg(i));
        QTest::qWait(50);
    }
    ASSERT_TRUE(waitForCalls(1));
    QTest::qWait(1300);
    ASSERT_EQ(times.size(), 1u);
    EXPECT_GE(times[0], 950);
    EXPECT_LE(times[0], 1500);

    // A change every 200 ms: a delivery that waited for quiet would never come.
    while (clock.elapsed() < 5000) {
        append(folder + QStringLiteral("/log"));
        QTest::qWait(200);
    }
    EXPECT_GE(times.size(), 3u);
}

TEST_F(PluginDirectoryWatcherTest, FoldersAndFilesBelowAreWatchedAndNewFoldersAreArmed) {
    QDir().mkpath(folder + QStringLiteral("/A.bundle/Contents"));
    append(folder + QStringLiteral("/A.bundle/Contents/Info.json"));
    auto watcher = startWatcher();

    // A write into an existing file, which a folder watch alone never reports.
    append(folder + QStringLiteral("/A.bundle/Contents/Info.json"));
    ASSERT_TRUE(waitForCalls(1)) << "a write into an existing file two folders down";

    QDir().mkpath(folder + QStringLiteral("/B.bundle/Contents"));
    ASSERT_TRUE(waitForCalls(2));
    append(folder + QStringLiteral("/B.bundle/Contents/Info.json"));
    EXPECT_TRUE(waitForCalls(3)) << "the new folder was not armed";
}

TEST_F(PluginDirectoryWatcherTest, ABatchArrivingDuringARescanWaitsForItInsteadOfNesting) {
    int depth = 0;
    int deepest = 0;
    auto watcher = startWatcher([&] {
        deepest = std::max(deepest, ++depth);
        if (times.size() == 1) {
            // Like the consent alert: an event loop runs inside the rescan
            // while more of a copy lands in the folder.
            append(folder + QStringLiteral("/during"));
            QEventLoop loop;
            QTimer::singleShot(1600, &loop, &QEventLoop::quit);
            loop.exec();
        }
        --depth;
    });
    append(folder + QStringLiteral("/before"));
    ASSERT_TRUE(waitForCalls(2, 6000)) << "the change made during the rescan was lost";
    EXPECT_EQ(deepest, 1);
}

TEST_F(PluginDirectoryWatcherTest, ADestroyedOrUnstartableWatcherCallsNothing) {
    auto destroyed = startWatcher();
    append(folder + QStringLiteral("/file"));
    QTest::qWait(100);
    destroyed.reset();

    folder += QStringLiteral("/missing");
    auto missing = startWatcher();
    EXPECT_FALSE(missing->isWatching());
    QDir().mkpath(folder);
    append(folder + QStringLiteral("/file"));
    QTest::qWait(1500);
    EXPECT_TRUE(times.empty());
}
