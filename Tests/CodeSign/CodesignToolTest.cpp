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
using test::makeSelfSignedIdentity;
using test::writeFile;

QStringList words(const char* text) {
    return QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// --- command line -----------------------------------------------------------

TEST(CodesignCommandLine, ReadsEveryCommand) {
    EXPECT_TRUE(std::holds_alternative<HelpCommand>(parseCommandLine(words("--help")).value()));
    EXPECT_TRUE(std::holds_alternative<HelpCommand>(parseCommandLine(words("sign --help")).value()));

    const auto adHoc = parseCommandLine(words("sign --adhoc A.bundle"));
    ASSERT_TRUE(adHoc);
    EXPECT_EQ(std::get<SignAdHocCommand>(adHoc.value()).bundle, QStringLiteral("A.bundle"));

    // Options may come in any order, before or after the bundle.
    for (const char* line : {"sign --identity c.pem --key k.pem A.bundle",
                             "sign A.bundle --key k.pem --identity c.pem",
                             "sign --key k.pem --identity c.pem -- A.bundle"}) {
        const auto parsed = parseCommandLine(words(line));
        ASSERT_TRUE(parsed) << line << ": " << parsed.error().toStdString();
        const auto& command = std::get<SignWithIdentityCommand>(parsed.value());
        EXPECT_EQ(command.certificate, QStringLiteral("c.pem")) << line;
        EXPECT_EQ(command.key, QStringLiteral("k.pem")) << line;
        EXPECT_EQ(command.bundle, QStringLiteral("A.bundle")) << line;
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
        {words("sign --adhoc --adhoc A.bundle"), "--adhoc given twice"},
        {words("sign --adhoc --identity c.pem --key k.pem A.bundle"), "cannot be combined"},
        {words("sign --identity c.pem A.bundle"), "--identity needs --key"},
        {words("sign --key k.pem A.bundle"), "--key needs --identity"},
        {words("sign --identity"), "--identity needs a file"},
        {words("sign --identity a --identity b --key k A.bundle"), "--identity given twice"},
        {words("sign --force A.bundle"), "unknown option --force"},
        {{QStringLiteral("sign"), QStringLiteral("--adhoc"), QString()}, "empty BUNDLE"},
        {words("verify"), "verify: missing BUNDLE"},
        {words("verify A.bundle B.bundle"), "unexpected argument B.bundle"},
        {words("verify --quiet A.bundle"), "unknown option --quiet"},
        {words("show"), "show: missing BUNDLE"},
    };
    for (const auto& [arguments, reason] : cases) {
        const auto parsed = parseCommandLine(arguments);
        ASSERT_FALSE(parsed) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(parsed.error().contains(QLatin1String(reason)))
            << arguments.join(QLatin1Char(' ')).toStdString() << ": " << parsed.error().toStdString();
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
    ToolRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "velto-codesign did not finish: " << process.errorString().toStdString();
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// One line "velto-codesign: ..." on standard error, nothing on standard output.
void expectOneComplaint(const ToolRun& run, const char* containing) {
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("velto-codesign: "))) << run.err.toStdString();
    EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QLatin1String(containing))) << run.err.toStdString();
}

TEST(CodesignTool, SignsVerifiesAndShowsAdHoc) {
    const QString bundle = makeSampleBundle();
    const ToolRun sign = runTool({QStringLiteral("sign"), QStringLiteral("--adhoc"), bundle});
    EXPECT_EQ(sign.exitCode, 0) << sign.err.toStdString();
    EXPECT_TRUE(sign.err.isEmpty());

    const ToolRun verify = runTool({QStringLiteral("verify"), bundle});
    EXPECT_EQ(verify.exitCode, 0) << verify.err.toStdString();
    EXPECT_EQ(verify.out, bundle + QStringLiteral(": valid\n"));

    const ToolRun show = runTool({QStringLiteral("show"), bundle});
    EXPECT_EQ(show.exitCode, 0) << show.err.toStdString();
    EXPECT_EQ(show.out, QString::fromUtf8(platform::CodeSignature::kAdHocIdentity) + QLatin1Char('\n') +
                            *platform::CodeSignature::uniqueIdentifier(bundle) + QLatin1Char('\n'));
}

TEST(CodesignTool, SaysWhyABundleIsInvalid) {
    const QString bundle = makeSampleBundle();
    ASSERT_EQ(runTool({QStringLiteral("sign"), QStringLiteral("--adhoc"), bundle}).exitCode, 0);
    writeFile(bundle + QStringLiteral("/Contents/Linux/libSample.so"), "patched");

    const ToolRun verify = runTool({QStringLiteral("verify"), bundle});
    EXPECT_EQ(verify.exitCode, 1);
    expectOneComplaint(verify, "Contents/Linux/libSample.so was modified after sealing");
    EXPECT_TRUE(verify.err.contains(bundle + QStringLiteral(": invalid")));

    // The seal is still readable, so show still answers.
    EXPECT_EQ(runTool({QStringLiteral("show"), bundle}).exitCode, 0);
}

TEST(CodesignTool, SignsWithAnIdentity) {
    const QString bundle = makeSampleBundle();
    const test::TestIdentity identity =
        makeSelfSignedIdentity({{QStringLiteral("CN"), QStringLiteral("Velto Test Signer")}});
    const ToolRun sign = runTool({QStringLiteral("sign"), QStringLiteral("--identity"),
                                  identity.certificatePath, QStringLiteral("--key"), identity.keyPath,
                                  bundle});
    ASSERT_EQ(sign.exitCode, 0) << sign.err.toStdString();
    EXPECT_EQ(runTool({QStringLiteral("verify"), bundle}).exitCode, 0);

    const QStringList lines =
        runTool({QStringLiteral("show"), bundle}).out.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 3); // two lines and the empty rest after the last newline
    EXPECT_EQ(lines.at(0), QStringLiteral("Velto Test Signer"));
    EXPECT_EQ(lines.at(1).size(), 64);
    EXPECT_EQ(lines.at(1), platform::CodeSignature::uniqueIdentifier(bundle));
}

TEST(CodesignTool, FailsWithOneLineOnBadInput) {
    const QString unsealed = makeSampleBundle();
    const QString missing = test::makeTempFolder(QStringLiteral("gone")) + QStringLiteral("/No.bundle");
    const test::TestIdentity identity =
        makeSelfSignedIdentity({{QStringLiteral("CN"), QStringLiteral("Velto Test Signer")}});

    const QList<std::tuple<QStringList, int, const char*>> cases = {
        {{}, kExitUsage, "missing command"},
        {{QStringLiteral("frobnicate")}, kExitUsage, "unknown command frobnicate"},
        {{QStringLiteral("sign"), unsealed}, kExitUsage, "give --adhoc"},
        {{QStringLiteral("verify")}, kExitUsage, "missing BUNDLE"},
        {{QStringLiteral("sign"), QStringLiteral("--adhoc"), missing}, kExitFailure, "cannot sign"},
        {{QStringLiteral("verify"), unsealed}, kExitFailure, "not sealed"},
        {{QStringLiteral("verify"), missing}, kExitFailure, "invalid"},
        {{QStringLiteral("show"), unsealed}, kExitFailure, "not sealed"},
        {{QStringLiteral("sign"), QStringLiteral("--identity"), missing, QStringLiteral("--key"),
          identity.keyPath, unsealed},
         kExitFailure, "cannot read certificate"},
    };
    for (const auto& [arguments, exitCode, reason] : cases) {
        const ToolRun run = runTool(arguments);
        EXPECT_EQ(run.exitCode, exitCode) << arguments.join(QLatin1Char(' ')).toStdString();
        expectOneComplaint(run, reason);
    }
    EXPECT_FALSE(QFile::exists(unsealed + QStringLiteral("/Contents/_CodeSignature")));
}

TEST(CodesignTool, PrintsHelp) {
    const ToolRun help = runTool({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage:")));
    EXPECT_TRUE(help.out.contains(QStringLiteral("sign --identity CERT.pem --key KEY.pem BUNDLE")));
    EXPECT_TRUE(help.err.isEmpty());
}

} // namespace
} // namespace velto::codesign
