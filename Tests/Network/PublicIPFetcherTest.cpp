#include "NetworkCore/PublicIPFetcher.h"

#include "LoopbackHttpsServer.h"
#include "Support/TestCertificate.h"
#include "Support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

namespace velto {
namespace {

using PublicIPFetcher::parse;

TEST(PublicIPAcceptanceTest, AcceptsFourPiecesFrom0To255AsWritten) {
    const struct {
        const char* body;
        std::optional<std::string> expected;
    } cases[] = {
        {"203.0.113.7\n", "203.0.113.7"},
        {" \t203.0.113.7\r\n", "203.0.113.7"},
        {"255.255.255.255", "255.255.255.255"},
        {"010.001.000.255", "010.001.000.255"},
        {"1..2.3.4", "1..2.3.4"},
        {".1.2.3.4.", ".1.2.3.4."},
        {"+1.2.3.4", "+1.2.3.4"},
        {"-0.2.3.4", "-0.2.3.4"},
        {"00000000000000000000000000001.2.3.4", "00000000000000000000000000001.2.3.4"},
        {"-1.2.3.4", std::nullopt},
        {"256.1.1.1", std::nullopt},
        {"1.2.3", std::nullopt},
        {"1.2.3.4.5", std::nullopt},
        {"1.2.3.0x1", std::nullopt},
        {"+-1.2.3.4", std::nullopt},
        {"1. 2.3.4", std::nullopt},
        {"1.2.3.99999999999999999999", std::nullopt}, // past 64 bits
        {"2001:db8::1", std::nullopt},
        {"", std::nullopt},
        {" \n\t ", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parse(QString::fromUtf8(c.body)), c.expected) << c.body;
    }
    // Unicode white space is trimmed like ASCII white space; digits of other scripts
    // are not digits here.
    EXPECT_EQ(parse(QString::fromUtf8("\u00a01.2.3.4\u2003")), "1.2.3.4");
    EXPECT_EQ(parse(QString::fromUtf8("1.2.3.\u0664")), std::nullopt);
}

class PublicIPFetcherTest : public testing::Test {
protected:
    PublicIPFetcherTest()
        : certificate(test::makeTestCertificate(test::makeTempFolder(), QStringLiteral("localhost"),
                                                {QStringLiteral("IP:127.0.0.1")})),
          primary(certificate.certificatePath, certificate.privateKeyPath),
          fallback(certificate.certificatePath, certificate.privateKeyPath) {
        options.endpoints = {primary.url(), fallback.url()};
        options.trustedCertificatesFile = certificate.certificatePath;
        options.helperPath = QStringLiteral(VELTO_FETCH_HELPER);
        fallback.answer(200, "198.51.100.2\n");
    }

    std::optional<std::string> fetch() {
        bool done = false;
        std::optional<std::string> result;
        PublicIPFetcher::fetch(owner, options, [&](std::optional<std::string> address) {
            done = true;
            result = std::move(address);
        });
        EXPECT_FALSE(done) << "the completion never runs inside fetch()";
        EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 20000));
        return result;
    }

    test::TestCertificate certificate;
    test::LoopbackHttpsServer primary;
    test::LoopbackHttpsServer fallback;
    QObject owner;
    PublicIPFetcher::Options options;
};

TEST_F(PublicIPFetcherTest, PrimaryAnswerWinsAndTheFallbackIsNotAsked) {
    primary.answer(200, "203.0.113.7\r\n");
    EXPECT_EQ(fetch(), "203.0.113.7");
    EXPECT_EQ(primary.lastRequestLine(), "GET / HTTP/1.1");
    EXPECT_EQ(fallback.requests(), 0);
}

TEST_F(PublicIPFetcherTest, AnythingButAValidAddressWith200MovesToTheFallback) {
    const struct {
        int status;
        QByteArray body;
    } answers[] = {{204, {}},
                   {304, {}},
                   {500, "203.0.113.7"},
                   {200, "2001:db8::1\n"},
                   {200, "203.0.113"},
                   {200, "\xff\xfe"
                         "1.2.3.4"}}; // not UTF-8
    for (const auto& a : answers) {
        primary.answer(a.status, a.body);
        EXPECT_EQ(fetch(), "198.51.100.2") << a.status << ' ' << a.body.toStdString();
    }
    EXPECT_EQ(primary.requests(), 6);
    EXPECT_EQ(fallback.requests(), 6);
}

TEST_F(PublicIPFetcherTest, BodiesOfSeveralMegabytesAreRefused) {
    for (bool announced : {true, false}) {
        primary.flood(4 * 1024 * 1024, announced);
        EXPECT_EQ(fetch(), "198.51.100.2") << announced;
    }
}

TEST_F(PublicIPFetcherTest, BothFailingGivesAbsentAndOnlyHttpsIsAsked) {
    primary.answer(404, "1.2.3.4");
    fallback.answer(200, "not an address");
    options.endpoints.insert(0, QStringLiteral("http://127.0.0.1:1/"));
    options.endpoints.insert(1, QStringLiteral("::not a url"));
    EXPECT_EQ(fetch(), std::nullopt);
    EXPECT_EQ(primary.requests(), 1);
    EXPECT_EQ(fallback.requests(), 1);

    options.endpoints.clear();
    EXPECT_EQ(fetch(), std::nullopt);
}

TEST_F(PublicIPFetcherTest, UntrustedCertificateIsRefused) {
    primary.answer(200, "203.0.113.7");
    options.trustedCertificatesFile.clear(); // the system's CAs only
    options.endpoints = {primary.url()};
    EXPECT_EQ(fetch(), std::nullopt);
    EXPECT_EQ(primary.requests(), 0) << "no request is sent over an unverified connection";

    // A trusted certificate made out to another name is refused too.
    const test::TestCertificate other =
        test::makeTestCertificate(test::makeTempFolder(), QStringLiteral("elsewhere"),
                                  {QStringLiteral("DNS:elsewhere.example")});
    test::LoopbackHttpsServer misnamed(other.certificatePath, other.privateKeyPath);
    misnamed.answer(200, "203.0.113.7");
    options.trustedCertificatesFile = other.certificatePath;
    options.endpoints = {misnamed.url()};
    EXPECT_EQ(fetch(), std::nullopt);
    EXPECT_EQ(misnamed.requests(), 0);
}

TEST_F(PublicIPFetcherTest, SilentPrimaryGivesWayAfterFiveSeconds) {
    primary.silent();
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(fetch(), "198.51.100.2");
    EXPECT_GE(clock.elapsed(), 5000);
    EXPECT_LT(clock.elapsed(), 9000);
    EXPECT_EQ(primary.requests(), 1);
}

} // namespace
} // namespace velto
