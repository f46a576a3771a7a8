#include "CommandLine.h"
#include "Commands.h"
#include "Platform/CodeSignature.h"
#include "SigningFixtures.h"
#include "Support/TestEnvironment.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace velto::codesign {
namespace {

using test::makeSampleBundle;

QStringList words(const char* text) {
    return QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// --- command line -----------------------------------------------------------

TEST(CodesignCommandLine, ReadsEveryCommand) {
    EXPECT_TRUE(std::holds_alternative<HelpCommand>(parseCommandLine(words("--help")).value()));
    EXPECT_TRUE(
        std::holds_alternative<HelpCommand>(parseCommandLine(words("sign --help")).value()));
    EXPECT_EQ(
        std::get<SignAdHocCommand>(parseCommandLine(words("sign --adhoc A.bundle")).value()).bundle,
        QStringLiteral("A.bundle"));
    // Options may come in any order, before or after the bundle.
    for (const char* line : {"sign --identity c.pem --key k.pem A.bundle",
                             "sign A.bundle --key k.pem --identity c.pem",
                             "sign --key k.pem --identity c.pem -- A.bundle"}) {
        const auto parsed = parseCommandLine(words(line));
        ASSERT_TRUE(parsed) << line << ": " << parsed.error().toStdString();
        const auto& command = std::get<SignWithIdentityCommand>(parsed.value());
        EXPECT_EQ(command.certificate + command.key + command.bundle,
                  QStringLiteral("c.pemk.pemA.bundle"))
            << line;
    }
    EXPECT_EQ(std::get<VerifyCommand>(parseCommandLine(words("verify A.bundle")).value()).bundle,
              QStringLiteral("A.bundle"));
    EXPECT_EQ(std::get<ShowCommand>(parseCommandLine(words("show -- -odd.bundle")).value()).bundle,
              QStringLiteral("-odd.bundle"));
}

TEST(CodesignCommandLine, RefusesBadCommandLines) {
    const QList<QPair<QStringList, const char*>> cases = {
        {{}, "missing command"},
        {words("frobnicate A.bundle"), "unknown command frobnicate"},
        {words("sign A.bundle"), "give --adhoc or --identity"},
        {words("sign --adhoc"), "missing BUNDLE"},
        {words("sign --adhoc A.bundle B.bundle"), "unexpected argument B.bundle"},
        {words("sign --adhoc --identity c.pem --key k.pem A.bundle"), "cannot be combined"},
        {words("sign --identity c.pem A.bundle"), "--identity needs --key"},
        {words("sign --identity"), "--identity needs a file"},
        {words("sign --identity a --identity b --key k A.bundle"), "--identity given twice"},
        {words("sign --force A.bundle"), "unknown option --force"},
        {{QStringLiteral("sign"), QStringLiteral("--adhoc"), QString()}, "empty BUNDLE"},
        {words("verify"), "verify: missing BUNDLE"},
    };
    for (const auto& [arguments, reason] : cases) {
        const auto parsed = parseCommandLine(arguments);
        const std::string line = arguments.join(QLatin1Char(' ')).toStdString();
        ASSERT_FALSE(parsed) << line;
        EXPECT_TRUE(parsed.error().contains(QLatin1String(reason)))
            << line << ": " << parsed.error().toStdString();
    }
}

// --- the tool as a process --------------------------------------------------

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ToolRun runTool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(VELTO_CODESIGN_TOOL), arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "velto-codesign did not finish: " << process.errorString().toStdString();
        return {};
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// One line "velto-codesign: ..." on standard error, nothing on standard output.
void expectOneComplaint(const ToolRun& run, const QString& containing) {
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("velto-codesign: ")) &&
                run.err.count(QLatin1Char('\n')) == 1 && run.err.contains(containing))
        << run.err.toStdString();
}

TEST(CodesignTool, SignsVerifiesShowsAndSaysWhyABundleIsInvalid) {
    const QString bundle = makeSampleBundle();
    const ToolRun sign = runTool({QStringLiteral("sign"), QStringLiteral("--adhoc"), bundle});
    EXPECT_EQ(sign.exitCode, 0) << sign.err.toStdString();
    EXPECT_TRUE(sign.out.isEmpty() && sign.err.isEmpty());

    const ToolRun verify = runTool({QStringLiteral("verify"), bundle});
    EXPECT_EQ(verify.exitCode, 0) << verify.err.toStdString();
    EXPECT_EQ(verify.out, bundle + QStringLiteral(": valid\n"));

    const ToolRun show = runTool({QStringLiteral("show"), bundle});
    EXPECT_EQ(show.exitCode, 0) << show.err.toStdString();
    EXPECT_EQ(show.out, QString::fromUtf8(platform::CodeSignature::kAdHocIdentity) +
                            QLatin1Char('\n') + *platform::CodeSignature::uniqueIdentifier(bundle) +
                            QLatin1Char('\n'));

    test::writeFile(bundle + QStringLiteral("/Contents/Linux/libSample.so"), "patched");
    const ToolRun invalid = runTool({QStringLiteral("verify"), bundle});
    EXPECT_EQ(invalid.exitCode, kExitFailure);
    expectOneComplaint(
        invalid, bundle + QStringLiteral(": invalid: Contents/Linux/libSample.so was modified"));
}

TEST(CodesignTool, SignsWithAnIdentity) {
    const QString bundle = makeSampleBundle();
    const test::TestIdentity identity =
        test::makeSelfSignedIdentity({{QStringLiteral("CN"), QStringLiteral("Velto Test Signer")}});
    const ToolRun sign =
        runTool({QStringLiteral("sign"), QStringLiteral("--identity"), identity.certificatePath,
                 QStringLiteral("--key"), identity.keyPath, bundle});
    ASSERT_EQ(sign.exitCode, 0) << sign.err.toStdString();
    EXPECT_EQ(runTool({QStringLiteral("verify"), bundle}).exitCode, 0);
    EXPECT_EQ(runTool({QStringLiteral("show"), bundle}).out,
              QStringLiteral("Velto Test Signer\n") +
                  *platform::CodeSignature::uniqueIdentifier(bundle) + QLatin1Char('\n'));
}

TEST(CodesignTool, FailsWithOneLineOnBadInput) {
    const QString unsealed = makeSampleBundle();
    const QString missing =
        test::makeTempFolder(QStringLiteral("gone")) + QStringLiteral("/No.bundle");
    const QString key =
        test::makeSelfSignedIdentity({{QStringLiteral("CN"), QStringLiteral("X")}}).keyPath;

    const QList<std::tuple<QStringList, int, QString>> cases = {
        {{}, kExitUsage, QStringLiteral("missing command")},
        {{QStringLiteral("frobnicate")}, kExitUsage, QStringLiteral("unknown command frobnicate")},
        {{QStringLiteral("sign"), unsealed}, kExitUsage, QStringLiteral("give --adhoc")},
        {{QStringLiteral("sign"), QStringLiteral("--adhoc"), missing},
         kExitFailure,
         QStringLiteral("cannot sign")},
        {{QStringLiteral("verify"), unsealed}, kExitFailure, QStringLiteral("not sealed")},
        {{QStringLiteral("verify"), missing}, kExitFailure, QStringLiteral("invalid")},
        {{QStringLiteral("show"), unsealed}, kExitFailure, QStringLiteral("not sealed")},
        {{QStringLiteral("sign"), QStringLiteral("--identity"), missing, QStringLiteral("--key"),
          key, unsealed},
         kExitFailure,
         QStringLiteral("cannot read certificate")},
    };
    for (const auto& [arguments, exitCode, reason] : cases) {
        const ToolRun run = runTool(arguments);
        EXPECT_EQ(run.exitCode, exitCode) << arguments.join(QLatin1Char(' ')).toStdString();
        expectOneComplaint(run, reason);
    }
    EXPECT_FALSE(QFile::exists(unsealed + QStringLiteral("/Contents/_CodeSignature")));

    const ToolRun help = runTool({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage:")) && help.err.isEmpty());
}

} // namespace
} // namespace velto::codesign
