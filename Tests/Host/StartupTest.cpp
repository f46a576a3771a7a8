// velto's start-up as a real child process: the packaged application from the
// build folder, with the test's own HOME and XDG folders and no display.

#include "BundleFixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <Support/TestCertificate.h>
#include <Support/TestEnvironment.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace velto::test;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

const QString kAutoApprovedAdHoc = QStringLiteral(
    "SMOKE_TEST_AUTO_APPROVED_THIRD_PARTY: unsigned (ad-hoc) \u2014 identity not verified");

/// The widget line for the built-in bundles that this build packaged, plus @p extra ids.
QString widgetLine(const QStringList& extra = {}) {
    static const QList<QPair<QString, QString>> builtIns{
        {QStringLiteral("CPUGauge"), QStringLiteral("cpu")},
        {QStringLiteral("GPUGauge"), QStringLiteral("gpu")},
        {QStringLiteral("NetworkGauge"), QStringLiteral("network")},
        {QStringLiteral("RAMGauge"), QStringLiteral("ram")}};
    const QString plugins = QFileInfo(QStringLiteral(VELTO_APP_EXECUTABLE)).absolutePath() +
                            QStringLiteral("/../Resources/Plugins/");
    QStringList ids = extra;
    for (const auto& [bundle, id] : builtIns)
        if (QFileInfo::exists(plugins + bundle + QStringLiteral(".bundle")))
            ids.append(id);
    ids.sort();
    return QStringLiteral("SMOKE_TEST_LOADED_WIDGET_IDS: ") + ids.join(QLatin1Char(','));
}

struct ChildRun {
    int exitCode = -1;
    bool finished = false;
    QStringList lines;
    QString errors;
    qint64 milliseconds = 0;
};

class StartupTest : public testing::Test {
protected:
    QString userFolder() const { return sandboxRoot() + QStringLiteral("/data/velto/Plugins"); }
    QString configFolder() const { return sandboxRoot() + QStringLiteral("/config/velto"); }

    static QProcessEnvironment headless() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        return environment;
    }

    /// Runs velto until it exits or @p waitMs pass; a process still running then is killed.
    static ChildRun run(const QStringList& arguments, int waitMs = 20000,
                        const QString& executable = QStringLiteral(VELTO_APP_EXECUTABLE)) {
        QProcess process;
        process.setProcessEnvironment(headless());
        QElapsedTimer clock;
        clock.start();
        process.start(executable, arguments);
        ChildRun result;
        if (!process.waitForStarted(10000))
            return result;
        result.finished = process.waitForFinished(waitMs);
        result.milliseconds = clock.elapsed();
        if (!result.finished) {
            process.kill();
            process.waitForFinished(5000);
        } else {
            result.exitCode =
                process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        }
        const QString output = QString::fromUtf8(process.readAllStandardOutput());
        result.lines = output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        result.errors = QString::fromUtf8(process.readAllStandardError());
        return result;
    }
};

} // namespace

TEST_F(StartupTest, SmokeTestListsTheBuiltInWidgetsAndExitsAfterTheGivenTime) {
    const ChildRun result = run({QStringLiteral("--smoke-test-exit-after=1")});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_THAT(result.lines, ElementsAre(widgetLine()));
    EXPECT_GE(result.milliseconds, 1000);
    EXPECT_TRUE(QDir(userFolder()).exists()) << "the user plug-in folder is created";
    EXPECT_FALSE(QFile::exists(configFolder() + QStringLiteral("/org.velto.velto.json")))
        << "the smoke test never touches the real settings";
}

TEST_F(StartupTest, ThirdPartyBundlesAreApprovedAutomaticallyAndFailuresReported) {
    copyBundle(QFileInfo(QStringLiteral(VELTO_APP_EXECUTABLE)).absolutePath() +
                   QStringLiteral("/../Resources/Plugins/CPUGauge.bundle"),
               userFolder(), QStringLiteral("CPUCopy.bundle"));
    copyBundle(fixtureBundle(QStringLiteral("Good")), userFolder(),
               QStringLiteral("Signed.bundle"));
    const TestCertificate certificate = makeTestCertificate(
        makeTempFolder(QStringLiteral("cert")), QStringLiteral("Jane Plugin Developer"));
    ASSERT_EQ(
        runCodesign({QStringLiteral("sign"), QStringLiteral("--identity"),
                     certificate.certificatePath, QStringLiteral("--key"),
                     certificate.privateKeyPath, userFolder() + QStringLiteral("/Signed.bundle")}),
        0);
    ASSERT_TRUE(flipByte(executableOf(copyBundle(
        fixtureBundle(QStringLiteral("Good")), userFolder(), QStringLiteral("Tampered.bundle")))));
    QDir(copyBundle(fixtureBundle(QStringLiteral("Good")), userFolder(),
                    QStringLiteral("NoSeal.bundle")) +
         QStringLiteral("/Contents/_CodeSignature"))
        .removeRecursively();
    copyBundle(fixtureBundle(QStringLiteral("APIVersionText")), userFolder(),
               QStringLiteral("TextVersion.bundle"));
    copyBundle(fixtureBundle(QStringLiteral("MissingClass")), userFolder(),
               QStringLiteral("NoClass.bundle"));

    const ChildRun result = run({QStringLiteral("--smoke-test-exit-after=0")});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_THAT(
        result.lines,
        ElementsAre(
            kAutoApprovedAdHoc, kAutoApprovedAdHoc,
            "SMOKE_TEST_AUTO_APPROVED_THIRD_PARTY: Jane Plugin Developer",
            widgetLine({QStringLiteral("cpu"), QStringLiteral("fixture")}),
            "SMOKE_TEST_DIAGNOSTIC: Skipped NoClass.bundle: failed to load or find PluginEntry",
            "SMOKE_TEST_DIAGNOSTIC: Skipped NoSeal.bundle: invalid or missing signature",
            "SMOKE_TEST_DIAGNOSTIC: Skipped Tampered.bundle: invalid or missing signature",
            "SMOKE_TEST_DIAGNOSTIC: Skipped TextVersion.bundle: incompatible or unreadable plugin "
            "API version"));
}

TEST_F(StartupTest, EveryRunStartsFromFreshSmokeTestSettings) {
    copyBundle(fixtureBundle(QStringLiteral("Good")), userFolder(), QStringLiteral("Third.bundle"));
    for (int i = 0; i < 2; ++i) {
        const ChildRun result = run({QStringLiteral("--smoke-test-exit-after=0")});
        ASSERT_TRUE(result.finished);
        EXPECT_THAT(result.lines,
                    ElementsAre(kAutoApprovedAdHoc, widgetLine({QStringLiteral("fixture")})))
            << "run " << i;
    }
    QFile suite(configFolder() + QStringLiteral("/org.velto.velto.smoke-test.json"));
    ASSERT_TRUE(suite.open(QIODevice::ReadOnly));
    const QStringList keys = QJsonDocument::fromJson(suite.readAll()).object().keys();
    EXPECT_EQ(keys.filter(QStringLiteral("thirdPartyPluginWarned.")).size(), 1)
        << "only this run's consent flag";
}

TEST_F(StartupTest, ANonNumericValueKeepsSmokeTestModeButPrintsNothingAndStaysUp) {
    QDir().mkpath(configFolder());
    QFile stale(configFolder() + QStringLiteral("/org.velto.velto.smoke-test.json"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write(R"({"stale": true})");
    stale.close();

    const ChildRun result = run({QStringLiteral("--smoke-test-exit-after=abc")}, 2500);
    EXPECT_FALSE(result.finished) << "no exit was scheduled";
    EXPECT_TRUE(result.lines.isEmpty());
    QFile suite(stale.fileName());
    const QJsonObject settings = suite.open(QIODevice::ReadOnly)
                                     ? QJsonDocument::fromJson(suite.readAll()).object()
                                     : QJsonObject();
    EXPECT_FALSE(settings.contains(QStringLiteral("stale")))
        << "the smoke-test suite is wiped at start";
}

TEST_F(StartupTest, WithoutTheOptionNothingIsPrinted) {
    const ChildRun result =
        run({QStringLiteral("--unrelated"), QStringLiteral("smoke-test-exit-after=1")}, 2000);
    EXPECT_FALSE(result.finished);
    EXPECT_TRUE(result.lines.isEmpty());
}

TEST_F(StartupTest, ANegativeValueExitsAtOnce) {
    const ChildRun result = run({QStringLiteral("--smoke-test-exit-after=-5")});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_THAT(result.lines, ElementsAre(widgetLine()));
}

TEST_F(StartupTest, ZeroWidgetsAreReportedOnStandardError) {
    // An application bundle with the executable and the kit but no plug-ins.
    const QString app = makeTempFolder(QStringLiteral("bare")) + QStringLiteral("/velto.app");
    const QString contents =
        QFileInfo(QStringLiteral(VELTO_APP_EXECUTABLE)).absolutePath() + QStringLiteral("/..");
    QDir().mkpath(app + QStringLiteral("/Contents"));
    for (const char* part : {"Linux", "Frameworks", "Info.json"})
        QProcess::execute(QStringLiteral("cp"),
                          {QStringLiteral("-a"), contents + QLatin1Char('/') + QLatin1String(part),
                           app + QStringLiteral("/Contents/")});
    const ChildRun result = run({QStringLiteral("--smoke-test-exit-after=0")}, 20000,
                                app + QStringLiteral("/Contents/Linux/velto"));
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_THAT(result.lines, ElementsAre("SMOKE_TEST_LOADED_WIDGET_IDS: "));
    EXPECT_THAT(result.errors.toStdString(), HasSubstr("velto: loaded zero widgets \u2014 "));
}
