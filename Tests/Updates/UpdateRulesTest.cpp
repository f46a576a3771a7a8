// The pure rules of updates: whether they are offered, the channel, the version
// line, version order, the appcast format and the schedule.

#include "UpdateChannel.h"
#include "UpdaterDelegate.h"
#include "VersionLine.h"

#include <Platform/Appcast.h>
#include <Platform/BundleVersion.h>
#include <Platform/UpdateSchedule.h>
#include <Platform/UserDefaults.h>
#include <QJsonArray>
#include <QUrl>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace velto;
using namespace std::chrono_literals;
using platform::Appcast::parse;

namespace {

QJsonObject infoWithFeed(const QJsonValue& feed) {
    return {{"CFBundleIdentifier", "org.velto.velto"}, {"SUFeedURL", feed}};
}

QByteArray feed(const QByteArray& items) {
    return R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:velto="https://velto.org/xml/appcast"><channel><title>velto</title>)" +
           items + "</channel></rss>";
}

platform::AppcastItem item(const QString& version, const QString& page = {},
                           const QString& enclosure = {}) {
    return {QString(), version, QString(), QUrl(page), QUrl(enclosure)};
}

} // namespace

TEST(UpdateChannel, OffersUpdatesOnlyForANonEmptyTextFeedOutsideTheSmokeTest) {
    EXPECT_TRUE(UpdateChannel::isEnabled(infoWithFeed("https://velto.org/appcast.xml"), false));

    EXPECT_FALSE(UpdateChannel::isEnabled(std::nullopt, false));
    EXPECT_FALSE(UpdateChannel::isEnabled(QJsonObject(), false));
    EXPECT_FALSE(UpdateChannel::isEnabled(QJsonObject{{"CFBundleVersion", "27"}}, false))
        << "no SUFeedURL";
    EXPECT_FALSE(UpdateChannel::isEnabled(infoWithFeed(""), false));
    EXPECT_FALSE(UpdateChannel::isEnabled(infoWithFeed(1), false));
    EXPECT_FALSE(UpdateChannel::isEnabled(infoWithFeed(true), false));
    EXPECT_FALSE(
        UpdateChannel::isEnabled(infoWithFeed(QJsonArray{"https://velto.org/appcast.xml"}), false));
    EXPECT_FALSE(UpdateChannel::isEnabled(infoWithFeed("https://velto.org/appcast.xml"), true))
        << "smoke test";
}

TEST(UpdateChannel, OnlyTheExactTextBetaSelectsTheBetaFeed) {
    platform::UserDefaults defaults(QStringLiteral("org.velto.velto"));
    EXPECT_EQ(UpdateChannel::feedURLOverride(defaults), std::nullopt) << "no key: the release feed";

    defaults.setValue(QStringLiteral("updateChannel"), QStringLiteral("beta"));
    EXPECT_EQ(UpdateChannel::feedURLOverride(defaults),
              QStringLiteral("https://velto.org/beta/appcast.xml"));

    for (const QJsonValue& other :
         {QJsonValue("Beta"), QJsonValue(" beta"), QJsonValue("beta "), QJsonValue("release"),
          QJsonValue(""), QJsonValue(true), QJsonValue(1)}) {
        defaults.setValue(QStringLiteral("updateChannel"), other);
        EXPECT_EQ(UpdateChannel::feedURLOverride(defaults), std::nullopt)
            << other.toVariant().toString().toStdString();
    }

    const QUrl beta(UpdateChannel::betaFeedURL());
    EXPECT_EQ(beta.scheme(), QStringLiteral("https"));
    EXPECT_EQ(beta.path(), QStringLiteral("/beta/appcast.xml"));
}

TEST(UpdateChannel, TheDelegateReadsTheChannelAfreshOnEveryCall) {
    platform::UserDefaults defaults(QStringLiteral("org.velto.velto"));
    UpdaterDelegate delegate(defaults);
    struct : platform::Updater {
        bool canCheckForUpdates() const override { return true; }
        bool automaticallyChecksForUpdates() const override { return false; }
        void setAutomaticallyChecksForUpdates(bool) override {}
        void checkForUpdates() override {}
    } updater;
    EXPECT_EQ(delegate.feedURLString(updater), std::nullopt);
    defaults.setValue(QStringLiteral("updateChannel"), QStringLiteral("beta"));
    EXPECT_EQ(delegate.feedURLString(updater), UpdateChannel::betaFeedURL());
}

TEST(VersionLine, ShowsQuestionMarksForWhatIsMissingOrNotText) {
    const QJsonObject info{{"CFBundleShortVersionString", "1.4"}, {"CFBundleVersion", "27"}};
    EXPECT_EQ(VersionLine::text(info), QStringLiteral("Version 1.4 (27)"));
    EXPECT_EQ(VersionLine::text(std::nullopt), QStringLiteral("Version ? (?)"));
    EXPECT_EQ(VersionLine::text(QJsonObject()), QStringLiteral("Version ? (?)"));
    EXPECT_EQ(VersionLine::text(
                  QJsonObject{{"CFBundleShortVersionString", "1.4"}, {"CFBundleVersion", 27}}),
              QStringLiteral("Version 1.4 (?)"));
    EXPECT_EQ(VersionLine::text(QJsonObject{{"CFBundleVersion", "27"}}),
              QStringLiteral("Version ? (27)"));
    EXPECT_EQ(VersionLine::text(
                  QJsonObject{{"CFBundleShortVersionString", "%2"}, {"CFBundleVersion", "%1"}}),
              QStringLiteral("Version %2 (%1)"))
        << "values are not format strings";
}

TEST(BundleVersion, OrdersNumbersByValueAndPreReleasesBeforeReleases) {
    struct Case {
        const char* older;
        const char* newer;
    };
    for (const Case& c :
         {Case{"1.9", "1.10"}, Case{"27", "100"}, Case{"1.0b1", "1.0"}, Case{"1.0b1", "1.0b2"},
          Case{"1.0a9", "1.0b1"}, Case{"1.0b1", "1.0.1"}, Case{"1.0-rc1", "1.0"},
          Case{"1.0", "1.0.1"}, Case{"99999999999999999999999", "100000000000000000000000"}}) {
        EXPECT_LT(platform::BundleVersion::compare(QString::fromLatin1(c.older),
                                                   QString::fromLatin1(c.newer)),
                  0)
            << c.older << " < " << c.newer;
        EXPECT_GT(platform::BundleVersion::compare(QString::fromLatin1(c.newer),
                                                   QString::fromLatin1(c.older)),
                  0)
            << c.newer << " > " << c.older;
    }
    for (const auto& [a, b] : {std::pair{"1.0", "1.0.0"}, std::pair{"010", "10"},
                               std::pair{"1.2", "1-2"}, std::pair{"27", "27"}})
        EXPECT_EQ(platform::BundleVersion::compare(QString::fromLatin1(a), QString::fromLatin1(b)),
                  0)
            << a << " = " << b;

    EXPECT_FALSE(platform::BundleVersion::isUsable(u""));
    EXPECT_FALSE(platform::BundleVersion::isUsable(u" .-"));
    EXPECT_TRUE(platform::BundleVersion::isUsable(u"27"));
}

TEST(Appcast, ReadsEveryItemWithItsVersionsAndAddresses) {
    const auto items = parse(feed(R"(
<item><title>velto 1.5</title><link>https://velto.org/download/1.5</link>
  <velto:version>30</velto:version><velto:shortVersion>1.5</velto:shortVersion>
  <enclosure url="https://velto.org/velto-1.5.tar.gz" length="1" type="application/gzip"/></item>
<item><title>from the enclosure</title>
  <enclosure url="https://velto.org/velto-1.4.tar.gz" velto:version=" 27 " velto:shortVersion="1.4"/></item>
<item><title>the element wins</title><velto:version>26</velto:version>
  <enclosure url="https://velto.org/x" velto:version="99"/></item>
<item><title>no version at all</title><version>31</version><enclosure url="https://velto.org/y"/></item>)"));
    ASSERT_TRUE(items) << items.error().toStdString();
    ASSERT_EQ(items->size(), 3u) << "an item without a version in our namespace is left out";
    EXPECT_EQ(items->at(0), (platform::AppcastItem{"velto 1.5", "30", "1.5",
                                                   QUrl("https://velto.org/download/1.5"),
                                                   QUrl("https://velto.org/velto-1.5.tar.gz")}));
    EXPECT_EQ(items->at(1).version, QStringLiteral("27"));
    EXPECT_EQ(items->at(1).shortVersion, QStringLiteral("1.4"));
    EXPECT_EQ(items->at(2).version, QStringLiteral("26"));

    const auto empty = parse(feed(""));
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty()) << "a channel without items is a valid feed";
}

TEST(Appcast, RefusesWhatIsNotAFeedWithAReason) {
    const QByteArray billionLaughs = R"(<?xml version="1.0"?>
<!DOCTYPE rss [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">]>
<rss version="2.0"><channel><item><title>&b;</title></item></channel></rss>)";
    for (const QByteArray& bad :
         {QByteArray(), QByteArray("not xml at all"), QByteArray("<rss><channel><item>"),
          billionLaughs, QByteArray("<feed><channel/></feed>"),
          QByteArray("<rss version=\"2.0\"/>"), feed("") + "<trailing/>"}) {
        const auto items = parse(bad);
        EXPECT_FALSE(items) << bad.left(40).toStdString();
        EXPECT_FALSE(items.error().isEmpty());
    }
}

TEST(Appcast, RefusesAFeedLargerThanTheCapUnread) {
    QByteArray padded = feed("<item><velto:version>2</velto:version></item>");
    padded.insert(padded.indexOf("</channel>"),
                  "<!--" + QByteArray(platform::Appcast::kMaxBytes - padded.size() - 7, 'x') +
                      "-->");
    ASSERT_EQ(padded.size(), platform::Appcast::kMaxBytes);
    EXPECT_TRUE(parse(padded)) << "exactly at the cap is fine";
    padded.append(' ');
    const auto tooLarge = parse(padded);
    ASSERT_FALSE(tooLarge);
    EXPECT_TRUE(tooLarge.error().contains(QLatin1String("larger")))
        << tooLarge.error().toStdString();
}

TEST(Appcast, OffersTheNewestItemOnlyWhenItIsNewerThanTheRunningBuild) {
    const std::vector<platform::AppcastItem> items{item("28"), item("30"), item("29"), item("30")};
    EXPECT_EQ(platform::Appcast::update(items, QStringLiteral("27"))->version, QStringLiteral("30"))
        << "the newest, not the first";
    EXPECT_EQ(platform::Appcast::update(items, QStringLiteral("30")), std::nullopt)
        << "the same version";
    EXPECT_EQ(platform::Appcast::update(items, QStringLiteral("31")), std::nullopt)
        << "an older feed";
    EXPECT_EQ(platform::Appcast::update({}, QStringLiteral("1")), std::nullopt);
}

TEST(Appcast, OpensOnlyHttpsDownloadPages) {
    using platform::Appcast::downloadPage;
    EXPECT_EQ(downloadPage(item("2", "https://velto.org/page", "https://velto.org/file")),
              QUrl("https://velto.org/page"));
    EXPECT_EQ(downloadPage(item("2", "http://velto.org/page", "https://velto.org/file")),
              QUrl("https://velto.org/file"));
    EXPECT_EQ(downloadPage(item("2", "file:///etc/passwd", "javascript:alert(1)")), std::nullopt);
    EXPECT_EQ(downloadPage(item("2", "https:///nohost")), std::nullopt);
    EXPECT_EQ(downloadPage(item("2")), std::nullopt);
}

TEST(UpdateSchedule, WaitsForWhatIsLeftOfTheIntervalWithinItsBounds) {
    using platform::UpdateSchedule::delayUntilNextCheck;
    constexpr double now = 1'700'000'000.0;
    const auto day = std::chrono::milliseconds(24h);
    const auto minute = std::chrono::milliseconds(1min);
    EXPECT_EQ(delayUntilNextCheck(std::nullopt, now, day, minute), minute) << "never checked";
    EXPECT_EQ(delayUntilNextCheck(now - 3600, now, day, minute), std::chrono::milliseconds(23h));
    EXPECT_EQ(delayUntilNextCheck(now - 25 * 3600, now, day, minute), minute) << "overdue";
    EXPECT_EQ(delayUntilNextCheck(now + 30 * 24 * 3600, now, day, minute), day)
        << "the clock went back";
    EXPECT_EQ(delayUntilNextCheck(std::numeric_limits<double>::quiet_NaN(), now, day, minute),
              minute);
    EXPECT_EQ(delayUntilNextCheck(-std::numeric_limits<double>::max(), now, day, minute), minute);
    EXPECT_EQ(delayUntilNextCheck(std::numeric_limits<double>::max(), now, day, minute), day);
    EXPECT_EQ(delayUntilNextCheck(std::nullopt, now, std::chrono::hours(24 * 365),
                                  std::chrono::hours(24 * 100)),
              std::chrono::milliseconds(std::numeric_limits<int>::max()))
        << "never beyond what a timer can count";
}
