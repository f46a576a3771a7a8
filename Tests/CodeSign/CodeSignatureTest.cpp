#include "Platform/CodeSignature.h"

#include "SigningFixtures.h"
#include "Support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <openssl/cms.h>
#include <openssl/x509.h>

#include <gtest/gtest.h>

#include <functional>

namespace velto::platform {
namespace {

using test::makeSampleBundle;
using test::makeSelfSignedIdentity;
using test::readFile;
using test::TestIdentity;
using test::writeFile;

const QString kAdHoc = QString::fromUtf8(CodeSignature::kAdHocIdentity);
const QString kUnknown = QString::fromUtf8(CodeSignature::kUnknownIdentity);

bool isSha256Hex(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^[0-9a-f]{64}$"));
    return pattern.match(text).hasMatch();
}

struct SignedBundle : testing::Test {
    QString bundle = makeSampleBundle();

    QString path(const char* relative) const {
        return bundle + QLatin1Char('/') + QLatin1String(relative);
    }
    QString manifestPath() const { return path(CodeResources::kManifestPath); }
    QString signaturePath() const { return path(CodeResources::kSignaturePath); }

    void signAdHoc() {
        const Status status = CodeSignature::signAdHoc(bundle);
        ASSERT_TRUE(status) << status.error().toStdString();
    }
    void signWith(const TestIdentity& identity) {
        const Status status =
            CodeSignature::signWithIdentity(bundle, identity.certificatePath, identity.keyPath);
        ASSERT_TRUE(status) << status.error().toStdString();
    }
    QString whyInvalid() const {
        const Result<VerifiedBundle> result = CodeSignature::check(bundle);
        EXPECT_FALSE(result) << "the bundle should be invalid";
        EXPECT_FALSE(CodeSignature::verify(bundle));
        return result ? QString() : result.error();
    }
};

// --- ad hoc -----------------------------------------------------------------

TEST_F(SignedBundle, AdHocSealVerifiesAndDescribesItsFiles) {
    signAdHoc();
    const std::optional<VerifiedBundle> verified = CodeSignature::verify(bundle);
    ASSERT_TRUE(verified);
    EXPECT_EQ(verified->manifest, readFile(manifestPath()));
    EXPECT_FALSE(verified->signerIdentity);
    EXPECT_FALSE(QFile::exists(signaturePath()));

    const SealedFile* module = verified->file(QStringLiteral("Contents/Linux/libSample.so"));
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->kind, SealedFile::Kind::File);
    EXPECT_EQ(module->sha256, CodeResources::sha256Hex(readFile(path("Contents/Linux/libSample.so"))));
    const SealedFile* link = verified->file(QStringLiteral("Contents/Linux/current"));
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->kind, SealedFile::Kind::Symlink);
    EXPECT_EQ(verified->file(QStringLiteral("Contents/Linux")), nullptr);
    EXPECT_EQ(verified->file(QStringLiteral("Contents/_CodeSignature/CodeResources")), nullptr);

    const QString unique = QString::fromLatin1(CodeResources::sha256Hex(readFile(manifestPath())));
    EXPECT_TRUE(isSha256Hex(unique));
    EXPECT_EQ(verified->uniqueIdentifier(), unique);
    EXPECT_EQ(CodeSignature::uniqueIdentifier(bundle), unique);
    EXPECT_EQ(CodeSignature::signingIdentity(bundle), kAdHoc);
}

TEST_F(SignedBundle, AnyChangeAfterSealingInvalidates) {
    const QList<QPair<const char*, std::function<void(SignedBundle&)>>> changes = {
        {"was modified",
         [](SignedBundle& b) {
             QByteArray bytes = readFile(b.path("Contents/Linux/libSample.so"));
             bytes[5] = static_cast<char>(bytes[5] ^ 1);
             writeFile(b.path("Contents/Linux/libSample.so"), bytes);
         }},
        {"was added", [](SignedBundle& b) { writeFile(b.path("Contents/Linux/extra.so"), "x"); }},
        {"is missing",
         [](SignedBundle& b) { QFile::remove(b.path("Contents/Resources/icon.svg")); }},
        {"changed kind",
         [](SignedBundle& b) {
             QFile::remove(b.path("Contents/Linux/current"));
             writeFile(b.path("Contents/Linux/current"), "libSample.so");
         }},
        {"was modified",
         [](SignedBundle& b) {
             QFile::remove(b.path("Contents/Linux/current"));
             QFile::link(QStringLiteral("libOther.so"), b.path("Contents/Linux/current"));
         }},
        {"is missing", [](SignedBundle& b) { QFile::remove(b.manifestPath()); }},
        {"malformed",
         [](SignedBundle& b) { writeFile(b.manifestPath(), readFile(b.manifestPath()) + ' '); }},
    };
    for (const auto& [reason, change] : changes) {
        bundle = makeSampleBundle();
        signAdHoc();
        ASSERT_TRUE(CodeSignature::verify(bundle));
        change(*this);
        const QString message = whyInvalid();
        EXPECT_TRUE(message.contains(QLatin1String(reason))) << reason << ": " << message.toStdString();
    }
}

TEST_F(SignedBundle, ReportsWhichFileChanged) {
    signAdHoc();
    writeFile(path("Contents/Info.json"), "{}");
    EXPECT_EQ(whyInvalid(), QStringLiteral("Contents/Info.json was modified after sealing"));
}

TEST_F(SignedBundle, WithoutASealNothingCanBeRead) {
    EXPECT_TRUE(whyInvalid().contains(QStringLiteral("not sealed")));
    EXPECT_EQ(CodeSignature::signingIdentity(bundle), kUnknown);
    EXPECT_FALSE(CodeSignature::uniqueIdentifier(bundle));

    signAdHoc();
    writeFile(manifestPath(), "{\"files\":[]}");
    EXPECT_EQ(CodeSignature::signingIdentity(bundle), kUnknown);
    EXPECT_FALSE(CodeSignature::uniqueIdentifier(bundle));
}

TEST_F(SignedBundle, RefusesToSealThroughALinkedSignatureFolder) {
    const QString elsewhere = test::makeTempFolder(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QFile::link(elsewhere, path("Contents/_CodeSignature")));
    const Status status = CodeSignature::signAdHoc(bundle);
    ASSERT_FALSE(status);
    EXPECT_EQ(status.error(), QStringLiteral("Contents/_CodeSignature is not a folder"));
    EXPECT_TRUE(QDir(elsewhere).isEmpty());
}

TEST_F(SignedBundle, SignsABundleWithoutAContentsFolder) {
    bundle = test::makeTempFolder(QStringLiteral("bare"));
    writeFile(path("payload"), "x");
    signAdHoc();
    const std::optional<VerifiedBundle> verified = CodeSignature::verify(bundle);
    ASSERT_TRUE(verified);
    ASSERT_EQ(verified->files.size(), 1u);
    EXPECT_EQ(verified->files.front().path, QStringLiteral("payload"));
}

// --- signed with an identity ------------------------------------------------

TEST_F(SignedBundle, IdentitySignatureNamesTheSigner) {
    signWith(makeSelfSignedIdentity({{QStringLiteral("O"), QStringLiteral("Velto Labs")},
                                     {QStringLiteral("CN"), QStringLiteral("Velto Test Signer")}}));
    ASSERT_TRUE(QFile::exists(signaturePath()));
    const Result<VerifiedBundle> verified = CodeSignature::check(bundle);
    ASSERT_TRUE(verified) << verified.error().toStdString();
    EXPECT_EQ(verified->signerIdentity, QStringLiteral("Velto Test Signer"));
    EXPECT_EQ(CodeSignature::signingIdentity(bundle), QStringLiteral("Velto Test Signer"));
}

TEST_F(SignedBundle, UniqueIdentifierFollowsTheBuild) {
    const TestIdentity identity =
        makeSelfSignedIdentity({{QStringLiteral("CN"), QStringLiteral("Velto Test Signer")}});
    signWith(identity);
    const std::optional<QString> first = CodeSignature::uniqueIdentifier(bundle);
    ASSERT_TRUE(first);
    EXPECT_TRUE(isSha256Hex(*first)) << first->toStdString();
    EXPECT_EQ(CodeSignature::uniqueIdentifier(bundle), first);

    // Signing the same files again, even with a fresh signing time, keeps it.
    signWith(identity);
    EXPECT_EQ(CodeSignature::uniqueIdentifier(bundle), first);

    writeFile(path("Contents/Resources/icon.svg"), "<svg version=\"2\"/>");
    signWith(identity);
    const std::optional<QString> rebuilt = CodeSignature::uniqueIdentifier(bundle);
    ASSERT_TRUE(rebuilt);
    EXPECT_NE(rebuilt, first);
    EXPECT_TRUE(CodeSignature::verify(bundle));
}

TEST_F(SignedBundle, CertificateWithoutCommonNameGivesItsOneLineSubject) {
    signWith(makeSelfSignedIdentity({{QStringLiteral("C"), QStringLiteral("DE")},
                                     {QStringLiteral("O"), QStringLiteral("Velto Labs \u00c4")}}));
    EXPECT_EQ(CodeSignature::signingIdentity(bundle), QStringLiteral("C = DE, O = Velto Labs \u00c4"));
}

TEST_F(SignedBundle, CertificateWithEmptySubjectCountsAsAdHoc) {
    signWith(makeSelfSignedIdentity({}));
    const std::optional<VerifiedBundle> verified = CodeSignature::verify(bundle);
    ASSERT_TRUE(verified);
    EXPECT_FALSE(verified->signerIdentity);
    EXPECT_EQ(CodeSignature::signingIdentity(bundle), kAdHoc);
}

TEST_F(SignedBundle, SignerNameStaysOnOneLine) {
    signWith(makeSelfSignedIdentity({{QStringLiteral("CN"), QStringLiteral("Evil\nSMOKE_TEST_LINE")}}));
    EXPECT_EQ(CodeSignature::signingIdentity(bundle), QStringLiteral("Evil SMOKE_TEST_LINE"));
}

TEST_F(SignedBundle, CarriesTheChainAndNamesTheLeaf) {
    const TestIdentity leaf =
        makeSelfSignedIdentity({{QStringLiteral("CN"), QStringLiteral("Velto Test Signer")}});
    const TestIdentity other =
        makeSelfSignedIdentity({{QStringLiteral("CN"), QStringLiteral("Velto Test Root")}});
    writeFile(leaf.certificatePath, readFile(leaf.certificatePath) + readFile(other.certificatePath));
    signWith(leaf);
    EXPECT_EQ(CodeSignature::signingIdentity(bundle), QStringLiteral("Velto Test Signer"));

    const QByteArray der = readFile(signaturePath());
    const auto* cursor = reinterpret_cast<const unsigned char*>(der.constData());
    CMS_ContentInfo* cms = d2i_CMS_ContentInfo(nullptr, &cursor, der.size());
    ASSERT_NE(cms, nullptr);
    STACK_OF(X509)* certificates = CMS_get1_certs(cms);
    EXPECT_EQ(sk_X509_num(certificates), 2);
    EXPECT_TRUE(CMS_is_detached(cms));
    sk_X509_pop_free(certificates, X509_free);
    CMS_ContentInfo_free(cms);
}

TEST_F(SignedBundle, SignatureThatDoesNotCheckOutInvalidates) {
    const TestIdentity identity =
        makeSelfSignedIdentity({{QStringLiteral("CN"), QStringLiteral("Velto Test Signer")}});
    signWith(identity);
    const QByteArray good = readFile(signaturePath());

    QByteArray flipped = good;
    flipped[flipped.size() - 10] = static_cast<char>(flipped[flipped.size() - 10] ^ 0x40);
    writeFile(signaturePath(), flipped);
    EXPECT_TRUE(whyInvalid().startsWith(QStringLiteral("the signature")));
    EXPECT_EQ(CodeSignature::signingIdentity(bundle), kUnknown);
    // The seal is intact, so the build still has its identifier.
    EXPECT_TRUE(CodeSignature::uniqueIdentifier(bundle));

    writeFile(signaturePath(), good.left(good.size() / 2));
    EXPECT_TRUE(whyInvalid().startsWith(QStringLiteral("the signature")));
    writeFile(signaturePath(), good + "x");
    EXPECT_EQ(whyInvalid(), QStringLiteral("the signature has trailing bytes"));
    writeFile(signaturePath(), QByteArray());
    EXPECT_TRUE(whyInvalid().startsWith(QStringLiteral("the signature")));
    writeFile(signaturePath(), good);
    EXPECT_TRUE(CodeSignature::verify(bundle));
}

TEST_F(SignedBundle, ResealedFilesUnderAnOldSignatureInvalidate) {
    signWith(makeSelfSignedIdentity({{QStringLiteral("CN"), QStringLiteral("Velto Test Signer")}}));
    const QByteArray signature = readFile(signaturePath());
    // Someone swaps the module and rewrites the seal to match, keeping the signature.
    writeFile(path("Contents/Linux/libSample.so"), "injected");
    signAdHoc();
    writeFile(signaturePath(), signature);
    EXPECT_TRUE(whyInvalid().startsWith(QStringLiteral("the signature does not match the seal")));
    EXPECT_EQ(CodeSignature::signingIdentity(bundle), kUnknown);
}

TEST_F(SignedBundle, AdHocResealDropsTheSignature) {
    signWith(makeSelfSignedIdentity({{QStringLiteral("CN"), QStringLiteral("Velto Test Signer")}}));
    signAdHoc();
    EXPECT_FALSE(QFile::exists(signaturePath()));
    EXPECT_EQ(CodeSignature::signingIdentity(bundle), kAdHoc);
    EXPECT_TRUE(CodeSignature::verify(bundle));
}

TEST_F(SignedBundle, SigningFailsCleanlyOnBadIdentities) {
    signAdHoc();
    const QByteArray seal = readFile(manifestPath());
    writeFile(path("Contents/Info.json"), "{\"changed\": true}");

    const TestIdentity mine =
        makeSelfSignedIdentity({{QStringLiteral("CN"), QStringLiteral("Velto Test Signer")}});
    const TestIdentity theirs =
        makeSelfSignedIdentity({{QStringLiteral("CN"), QStringLiteral("Someone Else")}});
    const TestIdentity encrypted = makeSelfSignedIdentity(
        {{QStringLiteral("CN"), QStringLiteral("Velto Test Signer")}}, "secret");
    const QString garbage = test::makeTempFolder(QStringLiteral("garbage")) + QStringLiteral("/x.pem");
    writeFile(garbage, "-----BEGIN CERTIFICATE-----\nnot base64\n-----END CERTIFICATE-----\n");
    const QString missing = garbage + QStringLiteral(".missing");

    const QList<std::tuple<QString, QString, QString>> cases = {
        {mine.certificatePath, theirs.keyPath, QStringLiteral("does not belong")},
        {missing, mine.keyPath, QStringLiteral("cannot read certificate")},
        {mine.certificatePath, missing, QStringLiteral("cannot read private key")},
        {garbage, mine.keyPath, QStringLiteral("holds no PEM certificate")},
        {mine.keyPath, mine.keyPath, QStringLiteral("holds no PEM certificate")},
        {mine.certificatePath, mine.certificatePath, QStringLiteral("holds no unencrypted PEM private key")},
        {encrypted.certificatePath, encrypted.keyPath, QStringLiteral("holds no unencrypted PEM private key")},
    };
    for (const auto& [certificate, key, reason] : cases) {
        const Status status = CodeSignature::signWithIdentity(bundle, certificate, key);
        ASSERT_FALSE(status);
        EXPECT_TRUE(status.error().contains(reason)) << status.error().toStdString();
        EXPECT_FALSE(status.error().contains(QLatin1Char('\n')));
        // Nothing was written: the old seal is still there, unsigned.
        EXPECT_EQ(readFile(manifestPath()), seal);
        EXPECT_FALSE(QFile::exists(signaturePath()));
    }
}

} // namespace
} // namespace velto::platform
