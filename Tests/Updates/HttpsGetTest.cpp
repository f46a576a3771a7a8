// The download runner against stand-in helpers: small shell scripts that play
// a helper which hangs, fails, floods its output or is missing.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <Support/TestEnvironment.h>
#include <VeltoPluginKit/HttpsGet.h>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <sys/types.h>

using namespace velto;
using namespace std::chrono_literals;

namespace {

QString writeHelper(const QString& name, const QByteArray& script) {
    const QString path = QDir(test::makeTempFolder()).filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + script);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

HttpsGet::Request requestFor(const QString& helper) {
    HttpsGet::Request request;
    request.url = QUrl(QStringLiteral("https://echo.example/ip?x=1"));
    request.timeout = 1500ms;
    request.maxBytes = 16;
    request.helperPath = helper;
    return request;
}

struct Outcome {
    bool constructing = true;
    bool done = false;
    bool duringConstruction = false;
    HttpsGet::Answer answer;
};

std::unique_ptr<HttpsGet> start(HttpsGet::Request request, Outcome& outcome) {
    auto get = std::make_unique<HttpsGet>(std::move(request), [&](HttpsGet::Answer answer) {
        outcome.done = true;
        outcome.duringConstruction = outcome.constructing;
        outcome.answer = std::move(answer);
    });
    outcome.constructing = false;
    return get;
}

Outcome run(HttpsGet::Request request) {
    Outcome outcome;
    const auto get = start(std::move(request), outcome);
    EXPECT_TRUE(QTest::qWaitFor([&] { return outcome.done; }, 10'000));
    EXPECT_FALSE(outcome.duringConstruction) << "the completion always runs on a later turn";
    return outcome;
}

bool processIsGone(const QString& pidFile) {
    QFile file(pidFile);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const pid_t pid = file.readAll().trimmed().toInt();
    return pid > 0 && QTest::qWaitFor([&] { return ::kill(pid, 0) != 0; }, 5000);
}

TEST(HttpsGet, TheHelpersAnswerOrItsReasonIsHandedOnWithinTheCap) {
    struct Case {
        const char* name;
        QByteArray script;
        std::optional<QByteArray> body;
        const char* failure;
    };
    const QList<Case> cases{
        {"the arguments", "printf '%s ' \"$@\"\n", std::nullopt, "larger than 16 bytes"},
        {"a body at the cap", "printf 0123456789abcdef\n", QByteArray("0123456789abcdef"), ""},
        {"an empty body", "exit 0\n", QByteArray(), ""},
        {"a reason", "echo 'The server at echo.example answered 404.' >&2\necho more >&2\nexit 1\n",
         std::nullopt, "The server at echo.example answered 404."},
        {"a reason after a blank line", "printf '\\n  \\nlater\\n' >&2\nexit 1\n", std::nullopt,
         "later"},
        {"no reason", "exit 3\n", std::nullopt, "stopped before echo.example answered"},
        {"killed", "kill -9 $$\n", std::nullopt, "stopped before echo.example answered"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = run(requestFor(writeHelper(QStringLiteral("helper"), c.script)));
        EXPECT_EQ(outcome.answer.body, c.body);
        EXPECT_TRUE(outcome.answer.failure.contains(QLatin1String(c.failure)))
            << outcome.answer.failure.toStdString();
    }

    // What the helper is told: the limits, then the address after "--".
    HttpsGet::Request request =
        requestFor(writeHelper(QStringLiteral("echo"), "printf '%s|' \"$@\"\n"));
    request.maxBytes = 4096;
    request.accept = "text/plain";
    request.trustedCertificatesFile = QStringLiteral("/tmp/ca.pem");
    EXPECT_EQ(run(request).answer.body,
              QByteArray("--timeout-ms|1500|--max-bytes|4096|--accept|text/plain|--ca-file|"
                         "/tmp/ca.pem|--|https://echo.example/ip?x=1|"));
}

TEST(HttpsGet, AMissingHelperOrAnAddressThatIsNotHttpsFails) {
    const Outcome missing = run(requestFor(QStringLiteral("/nonexistent/velto-fetch")));
    EXPECT_FALSE(missing.answer.body);
    EXPECT_TRUE(missing.answer.failure.contains(QLatin1String("could not be started")))
        << missing.answer.failure.toStdString();

    const QString pidFile = QDir(test::makeTempFolder()).filePath(QStringLiteral("ran"));
    HttpsGet::Request plain = requestFor(
        writeHelper(QStringLiteral("helper"), "echo ran > '" + pidFile.toUtf8() + "'\n"));
    plain.url = QUrl(QStringLiteral("http://echo.example/"));
    const Outcome refused = run(plain);
    EXPECT_FALSE(refused.answer.body);
    EXPECT_TRUE(refused.answer.failure.contains(QLatin1String("not an https address")));
    EXPECT_FALSE(QFile::exists(pidFile)) << "no helper runs for an address that is not https";
}

TEST(HttpsGet, AHelperThatHangsIsStoppedAtTheDeadlineOrWhenTheDownloadGoes) {
    const QString pidFile = QDir(test::makeTempFolder()).filePath(QStringLiteral("pid"));
    const QString hanging = writeHelper(QStringLiteral("hang"),
                                        "echo $$ > '" + pidFile.toUtf8() + "'\nexec sleep 60\n");
    HttpsGet::Request request = requestFor(hanging);
    request.timeout = 100ms;
    QElapsedTimer clock;
    clock.start();
    const Outcome late = run(request);
    EXPECT_GE(clock.elapsed(), 100);
    EXPECT_LT(clock.elapsed(), 8000);
    EXPECT_TRUE(late.answer.failure.contains(QLatin1String("did not answer within 0.1 seconds")))
        << late.answer.failure.toStdString();
    EXPECT_TRUE(processIsGone(pidFile));

    QFile::remove(pidFile);
    Outcome dropped;
    auto get = start(requestFor(hanging), dropped);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(pidFile); }, 5000));
    get.reset();
    EXPECT_TRUE(processIsGone(pidFile));
    QTest::qWait(50);
    EXPECT_FALSE(dropped.done) << "a destroyed download never completes";
}

TEST(HttpsGet, TheRealHelperRefusesBadArgumentsPlainAddressesAndUnreadableAuthorities) {
    struct Case {
        QStringList arguments;
        int exitCode;
        const char* says;
    };
    const QStringList limits{"--timeout-ms", "1000", "--max-bytes", "10"};
    const QList<Case> cases{
        {{"--", "https://127.0.0.1:1/"}, 2, "usage"},
        {limits + QStringList{"https://127.0.0.1:1/"}, 2, "usage"},
        {{"--timeout-ms", "0", "--max-bytes", "10", "--", "https://127.0.0.1:1/"}, 2, "usage"},
        {limits + QStringList{"--", "https://a/", "https://b/"}, 2, "usage"},
        {limits + QStringList{"--", "http://127.0.0.1:1/"}, 1, "not an https address"},
        {limits + QStringList{"--ca-file", "/nonexistent.pem", "--", "https://127.0.0.1:1/"}, 1,
         "No certificate could be read"},
        {limits + QStringList{"--", "https://127.0.0.1:1/"}, 1, "Could not fetch"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        QProcess helper;
        helper.start(QStringLiteral(VELTO_FETCH_HELPER), c.arguments);
        ASSERT_TRUE(helper.waitForFinished(10'000));
        EXPECT_EQ(helper.exitCode(), c.exitCode);
        EXPECT_TRUE(helper.readAllStandardOutput().isEmpty()) << "stdout carries only a body";
        const QByteArray said = helper.readAllStandardError();
        EXPECT_TRUE(said.contains(c.says)) << said.toStdString();
        EXPECT_EQ(said.count('\n'), 1) << "one line says why";
    }
}

} // namespace
