#include "ReopenDelegate.h"

#include <Platform/SingleInstance.h>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <Support/TestEnvironment.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace velto;
using platform::SingleInstance;
using Channel = SingleInstance::Channel;
using Outcome = SingleInstance::Outcome;

namespace {

/// A bus and socket name that no other test or test binary uses.
QString uniqueName() {
    static int counter = 0;
    qputenv("XDG_RUNTIME_DIR", velto::test::makeTempFolder(QStringLiteral("run")).toUtf8());
    return QStringLiteral("org.velto.test.p%1n%2").arg(getpid()).arg(++counter);
}

class SingleInstanceTest : public testing::TestWithParam<Channel> {
protected:
    void SetUp() override {
        if (GetParam() == Channel::SessionBus &&
            SingleInstance::preferredChannel() != Channel::SessionBus)
            GTEST_SKIP() << "no session bus; run the tests under dbus-run-session";
    }
    QString name = uniqueName();
    int requests = 0;
};

std::string channelName(const testing::TestParamInfo<Channel>& channel) {
    return channel.param == Channel::SessionBus ? "SessionBus" : "LocalSocket";
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Channels, SingleInstanceTest,
                         testing::Values(Channel::SessionBus, Channel::LocalSocket), channelName);

TEST_P(SingleInstanceTest, LaterLaunchesHandOverAndEarlyRequestsWaitForTheHandler) {
    SingleInstance first(name, GetParam());
    ASSERT_EQ(first.claimOrHandOver(), Outcome::Claimed);
    SingleInstance second(name, GetParam());
    EXPECT_EQ(second.claimOrHandOver(), Outcome::HandedOver);
    EXPECT_FALSE(second.isClaimed());

    QTest::qWait(100);
    first.setOnRequest(&first, [this] { ++requests; });
    EXPECT_TRUE(QTest::qWaitFor([this] { return requests == 1; }, 2000));
    SingleInstance third(name, GetParam());
    EXPECT_EQ(third.claimOrHandOver(), Outcome::HandedOver);
    EXPECT_TRUE(QTest::qWaitFor([this] { return requests == 2; }, 2000));
    QTest::qWait(100);
    EXPECT_EQ(requests, 2);
}

// The second launch of the test below, run in a process of its own.
TEST(SingleInstanceChild, DISABLED_ASecondLaunch) {
    const bool bus = qEnvironmentVariable("VELTO_SINGLE_INSTANCE_CHANNEL") == QLatin1String("bus");
    SingleInstance launch(qEnvironmentVariable("VELTO_SINGLE_INSTANCE_NAME"),
                          bus ? Channel::SessionBus : Channel::LocalSocket);
    EXPECT_EQ(launch.claimOrHandOver(), Outcome::HandedOver);
}

TEST_P(SingleInstanceTest, ALaunchInAnotherProcessHandsOverToTheRunningOne) {
    SingleInstance running(name, GetParam());
    ASSERT_EQ(running.claimOrHandOver(), Outcome::Claimed);
    running.setOnRequest(&running, [this] { ++requests; });

    QProcess launch;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VELTO_SINGLE_INSTANCE_NAME"), name);
    environment.insert(QStringLiteral("VELTO_SINGLE_INSTANCE_CHANNEL"),
                       GetParam() == Channel::SessionBus ? QStringLiteral("bus")
                                                         : QStringLiteral("socket"));
    launch.setProcessEnvironment(environment);
    launch.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--gtest_also_run_disabled_tests"),
                  QStringLiteral("--gtest_filter=SingleInstanceChild.DISABLED_ASecondLaunch")});
    // The running copy answers from its event loop, which must keep turning.
    ASSERT_TRUE(
        QTest::qWaitFor([&launch] { return launch.state() == QProcess::NotRunning; }, 30000));
    const QString output = QString::fromUtf8(launch.readAllStandardOutput());
    EXPECT_EQ(launch.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test."))) << output.toStdString();
    EXPECT_TRUE(QTest::qWaitFor([this] { return requests == 1; }, 2000));
}

TEST(SingleInstanceSocket, ALeftoverSocketFileIsReplacedAndTheNameFreedOnExit) {
    const QString name = uniqueName();
    QFile leftover(SingleInstance::socketPath(name));
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    {
        SingleInstance crashedBefore(name, Channel::LocalSocket);
        EXPECT_EQ(crashedBefore.claimOrHandOver(), Outcome::Claimed);
    }
    SingleInstance next(name, Channel::LocalSocket);
    EXPECT_EQ(next.claimOrHandOver(), Outcome::Claimed);
}

TEST(ReopenDelegate, ASmokeTestNeverClaimsAndALaterLaunchOpensTheSettingsWhileTheirOwnerLives) {
    const QString name = uniqueName();
    const QStringList smoke{QStringLiteral("velto"), QStringLiteral("--smoke-test-exit-after=0")};
    EXPECT_FALSE(ReopenDelegate::handOverToRunningInstance(smoke, name));
    {
        SingleInstance probe(name, SingleInstance::preferredChannel());
        ASSERT_EQ(probe.claimOrHandOver(), Outcome::Claimed) << "the smoke run took the name";
    }

    EXPECT_FALSE(ReopenDelegate::handOverToRunningInstance({QStringLiteral("velto")}, name));
    auto owner = std::make_unique<QObject>();
    int opened = 0;
    ReopenDelegate delegate(owner.get(), [&opened] { ++opened; });
    SingleInstance secondLaunch(name, SingleInstance::preferredChannel());
    EXPECT_EQ(secondLaunch.claimOrHandOver(), Outcome::HandedOver);
    EXPECT_TRUE(QTest::qWaitFor([&opened] { return opened == 1; }, 2000));
    EXPECT_FALSE(ReopenDelegate::handOverToRunningInstance(smoke, name))
        << "a smoke run beside a running copy is not handed over";

    owner.reset();
    SingleInstance thirdLaunch(name, SingleInstance::preferredChannel());
    EXPECT_EQ(thirdLaunch.claimOrHandOver(), Outcome::HandedOver);
    QTest::qWait(200);
    EXPECT_EQ(opened, 1) << "the settings' owner is gone";
}
