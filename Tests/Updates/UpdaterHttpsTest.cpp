// The updater against a real HTTPS server on loopback, whose certificate only
// the updater under test trusts.

#include "LoopbackHttpsServer.h"

#include <Platform/LinuxUpdater.h>
#include <Platform/UpdateAlert.h>
#include <Platform/UserDefaults.h>
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <Support/TestEnvironment.h>
#include <gtest/gtest.h>

using namespace velto;
using namespace std::chrono_literals;
using platform::LinuxUpdater;
using platform::UpdateCheckOutcome;
using Response = velto::test::LoopbackHttpsServer::Response;

namespace {

constexpr int kWaitMs = 15'000;

const QByteArray kFeed = R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:velto="https://velto.org/xml/appcast"><channel><title>velto</title>
<item><title>velto 1.4</title><velto:version>27</velto:version><velto:shortVersion>1.4</velto:shortVersion>
  <enclosure url="https://velto.org/download/velto-1.4.tar.gz"/></item>
<item><title>velto 1.5</title><link>https://velto.org/download/1.5</link>
  <velto:version>30</velto:version><velto:shortVersion>1.5</velto:shortVersion>
  <enclosure url="https://velto.org/download/velto-1.5.tar.gz"/></item>
</channel></rss>)";

struct RecordingDelegate final : platform::UpdaterDelegate {
    std::optional<QString> feedURLString(const platform::Updater&) override {
        ++asked;
        return feed;
    }
    std::optional<QString> feed;
    int asked = 0;
};

struct RecordingUserDriver final : platform::UserDriverDelegate {
    void willShowUpdaterWindow() override {
        ++calls;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (qobject_cast<QMessageBox*>(window) && window->isVisible())
                aWindowWasAlreadyVisible = true;
    }
    int calls = 0;
    bool aWindowWasAlreadyVisible = false;
};

QString informativeText(const QMessageBox& box) {
    return box.informativeText();
}

class UpdaterHttps : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.start());
        server.route(QStringLiteral("/appcast.xml"), Response::feed(kFeed));
    }

    void TearDown() override {
        for (QWidget* window : QApplication::topLevelWidgets())
            window->close();
    }

    platform::UpdaterConfiguration configuration(const QString& version = QStringLiteral("27")) {
        platform::UpdaterConfiguration c;
        c.feedURL = server.url(QStringLiteral("/appcast.xml")).toString();
        c.version = version;
        c.shortVersion = QStringLiteral("1.4");
        c.soonestCheck = 1h; // no automatic check unless a test asks for one
        c.requestTimeout = 5s;
        c.trustedCertificatesFile = server.certificatePath();
        c.fetchHelperPath = QStringLiteral(VELTO_FETCH_HELPER);
        c.openURL = [this](const QUrl& url) {
            opened.append(url);
            return true;
        };
        return c;
    }

    std::unique_ptr<LinuxUpdater> start(platform::UpdaterConfiguration c) {
        auto made = LinuxUpdater::start(std::move(c), defaults, delegate, userDriver);
        EXPECT_TRUE(made) << made.error().toStdString();
        return made ? std::move(made).value() : nullptr;
    }

    /// Runs a check the user asked for and waits for it, recording canCheckForUpdates on the way.
    UpdateCheckOutcome check(LinuxUpdater& updater) {
        QSignalSpy finished(&updater, &LinuxUpdater::checkFinished);
        QSignalSpy flag(&updater, &platform::Updater::canCheckForUpdatesChanged);
        updater.checkForUpdates();
        EXPECT_FALSE(updater.canCheckForUpdates()) << "false while the check runs";
        EXPECT_TRUE(finished.wait(kWaitMs));
        EXPECT_TRUE(updater.canCheckForUpdates()) << "never left false";
        EXPECT_EQ(flag.count(), 2);
        return updater.lastOutcome().value_or(UpdateCheckOutcome{});
    }

    test::LoopbackHttpsServer server;
    platform::UserDefaults defaults{QStringLiteral("org.velto.velto")};
    RecordingDelegate delegate;
    RecordingUserDriver userDriver;
    QList<QUrl> opened;
};

} // namespace

TEST_F(UpdaterHttps, ANewerVersionOffersItsDownloadPage) {
    const auto updater = start(configuration(QStringLiteral("27")));
    const UpdateCheckOutcome outcome = check(*updater);
    ASSERT_EQ(outcome.kind, UpdateCheckOutcome::Kind::UpdateAvailable)
        << outcome.failure.toStdString();
    EXPECT_EQ(outcome.update->version, QStringLiteral("30"));

    QMessageBox* window = updater->window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal()) << "the rest of the application stays usable";
    EXPECT_EQ(window->text(), QStringLiteral("A new version of velto is available!"));
    EXPECT_TRUE(
        informativeText(*window).contains(QLatin1String("velto 1.5 (30) is now available")));
    EXPECT_TRUE(informativeText(*window).contains(QLatin1String("you have 1.4 (27)")));
    EXPECT_EQ(userDriver.calls, 1);
    EXPECT_FALSE(userDriver.aWindowWasAlreadyVisible) << "the hook runs before the window shows";
    window->grab().save(test::renderPath(QStringLiteral("updater-update-available.png")));

    QAbstractButton* download = platform::UpdateAlert::downloadButton(*window);
    ASSERT_NE(download, nullptr);
    download->click();
    EXPECT_EQ(opened, QList<QUrl>{QUrl(QStringLiteral("https://velto.org/download/1.5"))});
}

TEST_F(UpdaterHttps, TheSameVersionIsUpToDate) {
    const auto updater = start(configuration(QStringLiteral("30")));
    const UpdateCheckOutcome outcome = check(*updater);
    EXPECT_EQ(outcome.kind, UpdateCheckOutcome::Kind::UpToDate) << outcome.failure.toStdString();
    ASSERT_NE(updater->window(), nullptr);
    EXPECT_EQ(updater->window()->text(), QStringLiteral("You\u2019re up to date!"));
    EXPECT_EQ(informativeText(*updater->window()),
              QStringLiteral("velto 1.4 (30) is the newest version available."));
    EXPECT_EQ(platform::UpdateAlert::downloadButton(*updater->window()), nullptr);
    updater->window()->grab().save(test::renderPath(QStringLiteral("updater-up-to-date.png")));
    EXPECT_TRUE(defaults.value(QString::fromLatin1(LinuxUpdater::kLastCheckTimeKey)).has_value());
}

TEST_F(UpdaterHttps, FailuresAreReportedAndLeaveTheUpdaterReady) {
    struct Case {
        const char* name;
        Response response;
        const char* reason;
    };
    // A valid feed one byte over the updater's cap, which is well below the
    // parser's own: only the download's cap can refuse it.
    constexpr qint64 cap = 64 * 1024;
    QByteArray oversized = kFeed;
    oversized.append("<!--" + QByteArray(cap - kFeed.size() - 6, 'x') + "-->");
    ASSERT_EQ(oversized.size(), cap + 1);
    const QList<Case> cases{
        {"malformed", Response::feed("<rss><channel><item><title>cut off"), "not well-formed"},
        {"missing", Response::answer(404, "Not Found", "gone"), "404 Not Found"},
        {"oversized, announced", Response::feed(oversized), "larger than"},
        {"oversized, streamed", Response::feed(oversized, false), "larger than"},
        {"redirected to http", Response::redirect("http://127.0.0.1:1/appcast.xml"), "insecure"},
    };
    platform::UpdaterConfiguration capped = configuration();
    capped.maxFeedBytes = cap;
    const auto updater = start(std::move(capped));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server.route(QStringLiteral("/appcast.xml"), c.response);
        const UpdateCheckOutcome outcome = check(*updater);
        EXPECT_EQ(outcome.kind, UpdateCheckOutcome::Kind::Failed);
        EXPECT_TRUE(outcome.failure.contains(QLatin1String(c.reason)))
            << outcome.failure.toStdString();
        ASSERT_NE(updater->window(), nullptr);
        EXPECT_EQ(informativeText(*updater->window()), outcome.failure)
            << "a user's check says why it failed";
    }
    EXPECT_FALSE(defaults.value(QString::fromLatin1(LinuxUpdater::kLastCheckTimeKey)).has_value())
        << "a failed check does not count as checked";
}

TEST_F(UpdaterHttps, AServerThatNeverAnswersTimesOutWithoutBlockingTheLoop) {
    test::SilentServer silent;
    ASSERT_TRUE(silent.start());
    server.route(QStringLiteral("/appcast.xml"), Response::silence());
    for (const QUrl& feed :
         {server.url(QStringLiteral("/appcast.xml")), silent.url(QStringLiteral("/appcast.xml"))}) {
        SCOPED_TRACE(feed.toString().toStdString());
        platform::UpdaterConfiguration c = configuration();
        c.feedURL = feed.toString();
        c.requestTimeout = 300ms;
        const auto updater = start(std::move(c));

        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(10);
        QElapsedTimer elapsed;
        elapsed.start();
        const UpdateCheckOutcome outcome = check(*updater);
        EXPECT_EQ(outcome.kind, UpdateCheckOutcome::Kind::Failed);
        EXPECT_TRUE(outcome.failure.contains(QLatin1String("did not answer")))
            << outcome.failure.toStdString();
        EXPECT_GE(elapsed.elapsed(), 250);
        EXPECT_LT(elapsed.elapsed(), 5'000);
        EXPECT_GE(ticks, 10) << "the main loop kept running during the check";
    }
}

TEST_F(UpdaterHttps, ACertificateTheUpdaterDoesNotTrustFailsTheCheck) {
    platform::UpdaterConfiguration c = configuration();
    c.trustedCertificatesFile.clear(); // the system's authorities, which never signed the test's
    const auto updater = start(std::move(c));
    const UpdateCheckOutcome outcome = check(*updater);
    EXPECT_EQ(outcome.kind, UpdateCheckOutcome::Kind::Failed);
    EXPECT_TRUE(outcome.failure.contains(QLatin1String("secure connection")))
        << outcome.failure.toStdString();
}

TEST_F(UpdaterHttps, AsksTheFeedHookOnEveryCheckAndFallsBackToTheInfoFeed) {
    server.route(QStringLiteral("/beta/appcast.xml"), Response::feed(kFeed));
    const auto updater = start(configuration());
    delegate.feed = server.url(QStringLiteral("/beta/appcast.xml")).toString();
    check(*updater);
    delegate.feed.reset();
    check(*updater);
    delegate.feed = QStringLiteral("http://127.0.0.1/appcast.xml");
    const UpdateCheckOutcome insecure = [&] {
        updater->checkForUpdates();
        return updater->lastOutcome().value_or(UpdateCheckOutcome{});
    }();
    EXPECT_EQ(delegate.asked, 3);
    EXPECT_EQ(server.requestedPaths(), (QStringList{"/beta/appcast.xml", "/appcast.xml"}));
    EXPECT_EQ(insecure.kind, UpdateCheckOutcome::Kind::Failed)
        << "a plain http feed is never fetched";
    EXPECT_TRUE(updater->canCheckForUpdates());
}

TEST_F(UpdaterHttps, ASecondRequestDuringACheckJoinsIt) {
    const auto updater = start(configuration());
    QSignalSpy finished(updater.get(), &LinuxUpdater::checkFinished);
    updater->checkForUpdates();
    updater->checkForUpdates();
    ASSERT_TRUE(finished.wait(kWaitMs));
    QTest::qWait(50);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(server.requestedPaths().size(), 1);
}

TEST_F(UpdaterHttps, ChecksOnItsOwnScheduleAndKeepsThePreferenceInTheDomain) {
    platform::UpdaterConfiguration c = configuration(QStringLiteral("30"));
    c.soonestCheck = 20ms;
    auto updater = start(c);
    ASSERT_TRUE(updater->automaticallyChecksForUpdates()) << "on by default";
    QSignalSpy finished(updater.get(), &LinuxUpdater::checkFinished);
    ASSERT_TRUE(finished.wait(kWaitMs)) << "the first check comes by itself";
    EXPECT_EQ(updater->lastOutcome()->kind, UpdateCheckOutcome::Kind::UpToDate);
    EXPECT_FALSE(updater->lastOutcome()->userInitiated);
    EXPECT_EQ(updater->window(), nullptr) << "an automatic check that finds nothing stays quiet";
    EXPECT_TRUE(updater->isCheckScheduled()) << "the next one is already planned";

    updater->setAutomaticallyChecksForUpdates(false);
    EXPECT_FALSE(updater->isCheckScheduled());
    updater = start(c);
    EXPECT_FALSE(updater->automaticallyChecksForUpdates()) << "persisted in the domain";
    EXPECT_FALSE(updater->isCheckScheduled());
    updater->setAutomaticallyChecksForUpdates(true);
    EXPECT_TRUE(updater->isCheckScheduled());
}

TEST_F(UpdaterHttps, AnAutomaticCheckThatFindsAnUpdateShowsIt) {
    platform::UpdaterConfiguration c = configuration(QStringLiteral("27"));
    c.soonestCheck = 20ms;
    const auto updater = start(c);
    QSignalSpy finished(updater.get(), &LinuxUpdater::checkFinished);
    ASSERT_TRUE(finished.wait(kWaitMs));
    ASSERT_NE(updater->window(), nullptr);
    EXPECT_TRUE(updater->window()->isVisible());
    EXPECT_EQ(userDriver.calls, 1);
}

TEST(LinuxUpdater, DoesNotStartWithoutABuildNumberOrAnHttpsFeed) {
    platform::UserDefaults defaults(QStringLiteral("org.velto.velto"));
    RecordingDelegate delegate;
    RecordingUserDriver userDriver;
    const auto attempt = [&](const QString& feed, const QString& version) {
        platform::UpdaterConfiguration c;
        c.feedURL = feed;
        c.version = version;
        return LinuxUpdater::start(std::move(c), defaults, delegate, userDriver).ok();
    };
    EXPECT_TRUE(attempt(QStringLiteral("https://velto.org/appcast.xml"), QStringLiteral("27")));
    EXPECT_FALSE(attempt(QStringLiteral("https://velto.org/appcast.xml"), QString()));
    EXPECT_FALSE(attempt(QStringLiteral("http://velto.org/appcast.xml"), QStringLiteral("27")));
    EXPECT_FALSE(attempt(QStringLiteral("velto.org/appcast.xml"), QStringLiteral("27")));
    EXPECT_FALSE(attempt(QString(), QStringLiteral("27")));
}

TEST(UpdateAlert, ShowsFeedTextsAsPlainText) {
    const platform::AppcastItem hostile{"", "<b>31</b>", "<img src=x>", QUrl(), QUrl()};
    const auto box = platform::UpdateAlert::makeUpdateAvailable(QStringLiteral("velto"), hostile,
                                                                "1.4", "27", false);
    int shown = 0;
    for (const QLabel* label : box->findChildren<QLabel*>())
        if (label->text().contains(QLatin1String("<b>"))) {
            ++shown;
            EXPECT_EQ(label->textFormat(), Qt::PlainText);
        }
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(box->informativeText().contains(QLatin1String("<img src=x> (<b>31</b>)")));
}
