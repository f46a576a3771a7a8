#include "PluginLoader.h"

#include "BundleFixtures.h"

#include <Platform/CodeSignature.h>
#include <Platform/UserDefaults.h>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <Support/TestCertificate.h>
#include <Support/TestEnvironment.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace velto;
using namespace velto::test;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

const QString kAdHoc = QString::fromUtf8(platform::CodeSignature::kAdHocIdentity);

/// A consent function that remembers whom it was asked about and answers @p answer.
struct ConsentRecorder {
    explicit ConsentRecorder(bool agree) : answer(agree) {}
    ConsentFunction function() {
        return [this](const QString& identity) {
            asked.append(identity);
            return answer;
        };
    }
    bool answer;
    QStringList asked;
};

class PluginLoaderTest : public testing::Test {
protected:
    void SetUp() override {
        qunsetenv("VELTO_FIXTURE_MAKE_WIDGETS_CALLS");
        builtIn = makeTempFolder(QStringLiteral("builtin"));
        user = sandboxRoot() + QStringLiteral("/data/velto/Plugins");
    }

    QString addBuiltIn(const QString& fixture, const QString& fileName) {
        return copyBundle(fixtureBundle(fixture), builtIn, fileName);
    }
    QString addUser(const QString& fixture, const QString& fileName) {
        return copyBundle(fixtureBundle(fixture), user, fileName);
    }
    /// A sealed bundle whose Info dictionary is @p info, byte for byte.
    QString sealedBundleWithInfo(const QString& fileName, const QByteArray& info) {
        const QString bundle = addBuiltIn(QStringLiteral("Good"), fileName);
        QFile file(bundle + QStringLiteral("/Contents/Info.json"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(info);
        file.close();
        EXPECT_EQ(runCodesign({QStringLiteral("sign"), QStringLiteral("--adhoc"), bundle}), 0);
        return bundle;
    }
    QString uniqueIdentifierOf(const QString& bundle) {
        QString output;
        EXPECT_EQ(runCodesign({QStringLiteral("show"), bundle}, &output), 0);
        return output.split(QLatin1Char('\n')).value(1);
    }

    platform::UserDefaults defaults{QStringLiteral("org.velto.tests")};
    QString builtIn;
    QString user;
};

QStringList idsOf(const WidgetList& widgets) {
    QStringList ids;
    for (const auto& widget : widgets)
        ids.append(widget->id());
    return ids;
}

} // namespace

TEST_F(PluginLoaderTest, LoadsBuiltInBundlesInFileNameOrderAndCreatesTheUserFolder) {
    addBuiltIn(QStringLiteral("Good"), QStringLiteral("B.bundle"));
    addBuiltIn(QStringLiteral("Good"), QStringLiteral("A.bundle"));
    addBuiltIn(QStringLiteral("Good"), QStringLiteral(".Hidden.bundle"));
    addBuiltIn(QStringLiteral("Good"), QStringLiteral("Capital.Bundle"));
    QFile notes(builtIn + QStringLiteral("/Notes.txt"));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    ASSERT_FALSE(QDir(user).exists());

    EXPECT_THAT(PluginLoader::bundles(builtIn),
                ElementsAre(builtIn + QStringLiteral("/.Hidden.bundle"),
                            builtIn + QStringLiteral("/A.bundle"),
                            builtIn + QStringLiteral("/B.bundle")));

    PluginLoader loader(defaults);
    ConsentRecorder consent(false);
    const WidgetList widgets = loader.loadAll(builtIn, user, consent.function());

    EXPECT_EQ(widgets.size(), 3u);
    EXPECT_EQ(makeWidgetsCalls(), 3);
    EXPECT_THAT(loader.diagnosticMessages(), IsEmpty());
    EXPECT_THAT(consent.asked, IsEmpty()) << "built-in bundles never ask";
    EXPECT_TRUE(QDir(user).exists());
}

TEST_F(PluginLoaderTest, MissingOrUnreadableFoldersAreSilent) {
    PluginLoader loader(defaults);
    ConsentRecorder consent(true);
    EXPECT_TRUE(
        loader.loadAll(builtIn + QStringLiteral("/missing"), user, consent.function()).empty());
    EXPECT_THAT(PluginLoader::bundles(QString()), IsEmpty());
    if (::geteuid() != 0) {
        addBuiltIn(QStringLiteral("Good"), QStringLiteral("A.bundle"));
        QFile::setPermissions(builtIn, QFileDevice::WriteOwner);
        EXPECT_THAT(PluginLoader::bundles(builtIn), IsEmpty());
        QFile::setPermissions(builtIn, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner);
    }
    EXPECT_THAT(loader.diagnosticMessages(), IsEmpty());
}

TEST_F(PluginLoaderTest, EverySkippedBundleLeavesItsMessageInFileNameOrder) {
    addBuiltIn(QStringLiteral("Unsigned"), QStringLiteral("Unsigned.bundle"));
    addBuiltIn(QStringLiteral("APIVersion2"), QStringLiteral("Version2.bundle"));
    addBuiltIn(QStringLiteral("APIVersionText"), QStringLiteral("VersionText.bundle"));
    addBuiltIn(QStringLiteral("NotAnEntry"), QStringLiteral("NotAnEntry.bundle"));
    addBuiltIn(QStringLiteral("MissingClass"), QStringLiteral("MissingClass.bundle"));
    addBuiltIn(QStringLiteral("NoTable"), QStringLiteral("NoTable.bundle"));
    ASSERT_TRUE(flipByte(
        executableOf(addBuiltIn(QStringLiteral("Good"), QStringLiteral("Tampered.bundle")))));
    QDir(addBuiltIn(QStringLiteral("Good"), QStringLiteral("NoSeal.bundle")) +
         QStringLiteral("/Contents/_CodeSignature"))
        .removeRecursively();
    QFile plain(builtIn + QStringLiteral("/PlainFile.bundle"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("not a folder");
    plain.close();
    const QString escaping = addBuiltIn(QStringLiteral("Good"), QStringLiteral("Escaping.bundle"));
    ASSERT_TRUE(
        QFile::link(QStringLiteral("/etc/passwd"), escaping + QStringLiteral("/Contents/passwd")));
    sealedBundleWithInfo(QStringLiteral("Malformed.bundle"), "{\"VeltoPluginAPIVersion\": 1,");
    sealedBundleWithInfo(QStringLiteral("ArrayInfo.bundle"), "[1]");
    sealedBundleWithInfo(QStringLiteral("Huge.bundle"), "{\"VeltoPluginAPIVersion\": 1, \"x\": \"" +
                                                            QByteArray(2 * 1024 * 1024, 'a') +
                                                            "\"}");
    sealedBundleWithInfo(
        QStringLiteral("BadExecutable.bundle"),
        "{\"VeltoPluginAPIVersion\": 1, \"CFBundleExecutable\": \"../../../evil.so\", "
        "\"NSPrincipalClass\": \"FixturePluginMain\"}");

    PluginLoader loader(defaults);
    QSignalSpy changes(&loader, &Observable::willChange);
    ConsentRecorder consent(true);
    EXPECT_TRUE(loader.loadAll(builtIn, user, consent.function()).empty());

    EXPECT_THAT(
        loader.diagnosticMessages(),
        ElementsAre("Skipped ArrayInfo.bundle: incompatible or unreadable plugin API version",
                    "Skipped BadExecutable.bundle: failed to load or find PluginEntry",
                    "Skipped Escaping.bundle: invalid or missing signature",
                    "Skipped Huge.bundle: incompatible or unreadable plugin API version",
                    "Skipped Malformed.bundle: incompatible or unreadable plugin API version",
                    "Skipped MissingClass.bundle: failed to load or find PluginEntry",
                    "Skipped NoSeal.bundle: invalid or missing signature",
                    "Skipped NoTable.bundle: failed to load or find PluginEntry",
                    "Skipped NotAnEntry.bundle: failed to load or find PluginEntry",
                    "Skipped PlainFile.bundle: invalid or missing signature",
                    "Skipped Tampered.bundle: invalid or missing signature",
                    "Skipped Unsigned.bundle: invalid or missing signature",
                    "Skipped Version2.bundle: incompatible or unreadable plugin API version",
                    "Skipped VersionText.bundle: incompatible or unreadable plugin API version"));
    EXPECT_EQ(changes.count(), 14);
    EXPECT_EQ(makeWidgetsCalls(), 0);
}

TEST_F(PluginLoaderTest, AFailedSignatureIsCheckedAgainOnEveryRescanUntilTheBundleIsFixed) {
    const QString path = addBuiltIn(QStringLiteral("Unsigned"), QStringLiteral("Plug.bundle"));
    addBuiltIn(QStringLiteral("APIVersion2"), QStringLiteral("Other.bundle"));
    PluginLoader loader(defaults);
    ConsentRecorder consent(true);

    loader.loadBundles(builtIn, false, consent.function());
    loader.loadBundles(builtIn, false, consent.function());
    EXPECT_THAT(loader.diagnosticMessages(),
                ElementsAre("Skipped Other.bundle: incompatible or unreadable plugin API version",
                            "Skipped Plug.bundle: invalid or missing signature"));

    copyBundle(fixtureBundle(QStringLiteral("Good")), builtIn, QStringLiteral("Plug.bundle"));
    EXPECT_THAT(idsOf(loader.loadBundles(builtIn, false, consent.function())),
                ElementsAre("fixture"));
    EXPECT_THAT(loader.diagnosticMessages(),
                ElementsAre("Skipped Other.bundle: incompatible or unreadable plugin API version"));
    EXPECT_TRUE(QDir(path).exists());
}

TEST_F(PluginLoaderTest, AHandledBundleIsNeverLoadedTwice) {
    addBuiltIn(QStringLiteral("Good"), QStringLiteral("Good.bundle"));
    addBuiltIn(QStringLiteral("NotAnEntry"), QStringLiteral("Entry.bundle"));
    PluginLoader loader(defaults);
    ConsentRecorder consent(true);

    EXPECT_EQ(loader.loadBundles(builtIn, false, consent.function()).size(), 1u);
    // Even a fixed copy at the same path stays skipped until the next start.
    copyBundle(fixtureBundle(QStringLiteral("Good")), builtIn, QStringLiteral("Entry.bundle"));
    EXPECT_TRUE(loader.loadBundles(builtIn, false, consent.function()).empty());

    EXPECT_EQ(makeWidgetsCalls(), 1);
    EXPECT_THAT(loader.diagnosticMessages(),
                ElementsAre("Skipped Entry.bundle: failed to load or find PluginEntry"));
}

TEST_F(PluginLoaderTest, ABuiltInAndAUserBundleOfOneFileNameShareADiagnostic) {
    addBuiltIn(QStringLiteral("Unsigned"), QStringLiteral("Same.bundle"));
    addUser(QStringLiteral("Good"), QStringLiteral("Same.bundle"));
    PluginLoader loader(defaults);
    ConsentRecorder consent(true);

    EXPECT_EQ(loader.loadAll(builtIn, user, consent.function()).size(), 1u);
    EXPECT_THAT(loader.diagnosticMessages(), IsEmpty());
}

TEST_F(PluginLoaderTest, AgreedConsentIsRememberedPerBuild) {
    const QString bundle = addUser(QStringLiteral("Good"), QStringLiteral("Third.bundle"));
    const QString identifier = uniqueIdentifierOf(bundle);
    ASSERT_EQ(identifier.size(), 64);
    {
        PluginLoader loader(defaults);
        ConsentRecorder consent(true);
        EXPECT_EQ(loader.loadAll(builtIn, user, consent.function()).size(), 1u);
        EXPECT_THAT(consent.asked, ElementsAre(kAdHoc));
        EXPECT_EQ(defaults.boolValue(QStringLiteral("thirdPartyPluginWarned.") + identifier), true);
    }
    {
        PluginLoader restarted(defaults);
        ConsentRecorder consent(false);
        EXPECT_EQ(restarted.loadAll(builtIn, user, consent.function()).size(), 1u);
        EXPECT_THAT(consent.asked, IsEmpty());
    }
    // A rebuilt and re-sealed plug-in is another build: ask again.
    QFile extra(bundle + QStringLiteral("/Contents/Resources.txt"));
    ASSERT_TRUE(extra.open(QIODevice::WriteOnly));
    extra.write("changed");
    extra.close();
    ASSERT_EQ(runCodesign({QStringLiteral("sign"), QStringLiteral("--adhoc"), bundle}), 0);
    ASSERT_NE(uniqueIdentifierOf(bundle), identifier);
    PluginLoader rebuilt(defaults);
    ConsentRecorder consent(true);
    EXPECT_EQ(rebuilt.loadAll(builtIn, user, consent.function()).size(), 1u);
    EXPECT_THAT(consent.asked, ElementsAre(kAdHoc));
}

TEST_F(PluginLoaderTest, DeclinedConsentSkipsTheBundleUntilTheNextStart) {
    addUser(QStringLiteral("Good"), QStringLiteral("Third.bundle"));
    PluginLoader loader(defaults);
    ConsentRecorder consent(false);
    EXPECT_TRUE(loader.loadAll(builtIn, user, consent.function()).empty());
    EXPECT_TRUE(loader.loadBundles(user, true, consent.function()).empty());

    EXPECT_THAT(consent.asked, ElementsAre(kAdHoc)) << "asked once per process";
    EXPECT_THAT(loader.diagnosticMessages(),
                ElementsAre("Skipped Third.bundle: declined at the third-party load warning"));
    EXPECT_THAT(defaults.dictionaryRepresentation().keys(), IsEmpty());
    EXPECT_EQ(makeWidgetsCalls(), 0);

    PluginLoader restarted(defaults);
    ConsentRecorder again(true);
    EXPECT_EQ(restarted.loadAll(builtIn, user, again.function()).size(), 1u);
    EXPECT_THAT(again.asked, ElementsAre(kAdHoc));
}

TEST_F(PluginLoaderTest, ConsentNamesTheCertificateSigner) {
    const TestCertificate named = makeTestCertificate(makeTempFolder(QStringLiteral("named")),
                                                      QStringLiteral("Velto Test Signer"));
    const TestCertificate anonymous =
        makeTestCertificate(makeTempFolder(QStringLiteral("anon")), QString());
    ASSERT_FALSE(named.certificatePath.isEmpty());
    const QString a = addUser(QStringLiteral("Good"), QStringLiteral("A.bundle"));
    const QString b = addUser(QStringLiteral("Good"), QStringLiteral("B.bundle"));
    // The consent flag belongs to the sealed content, so B must differ from A.
    QFile readMe(b + QStringLiteral("/Contents/ReadMe.txt"));
    ASSERT_TRUE(readMe.open(QIODevice::WriteOnly));
    readMe.write("B");
    readMe.close();
    ASSERT_EQ(
        runCodesign({QStringLiteral("sign"), QStringLiteral("--identity"), named.certificatePath,
                     QStringLiteral("--key"), named.privateKeyPath, a}),
        0);
    ASSERT_EQ(runCodesign({QStringLiteral("sign"), QStringLiteral("--identity"),
                           anonymous.certificatePath, QStringLiteral("--key"),
                           anonymous.privateKeyPath, b}),
              0);
    // A built-in bundle is never subject to consent, whoever signed it.
    const QString builtInSigned = addBuiltIn(QStringLiteral("Good"), QStringLiteral("C.bundle"));
    ASSERT_EQ(
        runCodesign({QStringLiteral("sign"), QStringLiteral("--identity"), named.certificatePath,
                     QStringLiteral("--key"), named.privateKeyPath, builtInSigned}),
        0);

    PluginLoader loader(defaults);
    ConsentRecorder consent(true);
    EXPECT_EQ(loader.loadAll(builtIn, user, consent.function()).size(), 3u);
    ASSERT_EQ(consent.asked.size(), 2);
    EXPECT_EQ(consent.asked.at(0), QStringLiteral("Velto Test Signer"));
    EXPECT_TRUE(consent.asked.at(1).contains(QStringLiteral("Velto Tests")))
        << consent.asked.at(1).toStdString();
}

TEST_F(PluginLoaderTest, CodeSwappedAfterTheCheckNeverRuns) {
    const QString bundle = addUser(QStringLiteral("Good"), QStringLiteral("Swapped.bundle"));
    const QString intruder = executableOf(fixtureBundle(QStringLiteral("Intruder")));
    qunsetenv("VELTO_FIXTURE_INTRUDER_RAN");
    PluginLoader loader(defaults);
    // The consent alert runs between the seal check and the code load: the
    // moment a swap would have to happen.
    const ConsentFunction swapThenAgree = [&](const QString&) {
        const QString code = executableOf(bundle);
        QFile::remove(code);
        EXPECT_TRUE(QFile::copy(intruder, code));
        return true;
    };
    EXPECT_TRUE(loader.loadAll(builtIn, user, swapThenAgree).empty());
    EXPECT_THAT(loader.diagnosticMessages(),
                ElementsAre("Skipped Swapped.bundle: failed to load or find PluginEntry"));
    EXPECT_FALSE(qEnvironmentVariableIsSet("VELTO_FIXTURE_INTRUDER_RAN"));
}

TEST_F(PluginLoaderTest, NamesThatAreNotUTF8AreHandledWithoutACrash) {
    const QByteArray folder = QFile::encodeName(builtIn) + "/Bad\xff\xfe.bundle";
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    PluginLoader loader(defaults);
    ConsentRecorder consent(true);
    EXPECT_TRUE(loader.loadAll(builtIn, user, consent.function()).empty());
    EXPECT_LE(loader.diagnosticMessages().size(), 1);
    // Qt cannot name this folder to remove it with the sandbox.
    ::rmdir(folder.constData());
}

TEST(APIVersionRule, AcceptsExactlyTheNumberOne) {
    const auto compatible = [](const char* json) {
        return PluginLoader::isAPIVersionCompatible(QJsonDocument::fromJson(json).object());
    };
    EXPECT_TRUE(compatible(R"({"VeltoPluginAPIVersion": 1})"));
    EXPECT_TRUE(compatible(R"({"VeltoPluginAPIVersion": 1.0})"));
    EXPECT_FALSE(compatible(R"({"VeltoPluginAPIVersion": "1"})"));
    EXPECT_FALSE(compatible(R"({"VeltoPluginAPIVersion": 1.5})"));
    EXPECT_FALSE(compatible(R"({"VeltoPluginAPIVersion": 2})"));
    EXPECT_FALSE(compatible(R"({"VeltoPluginAPIVersion": true})"));
    EXPECT_FALSE(compatible(R"({"VeltoPluginAPIVersion": null})"));
    EXPECT_FALSE(compatible(R"({})"));
}
