#include "Platform/CodeSignature.h"

#include "SigningFixtures.h"
#include "Support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <functional>
#include <gtest/gtest.h>
#include <openssl/cms.h>
#include <openssl/x509.h>

namespace velto::platform {
namespace {

using test::makeSampleBundle;
using test::makeSelfSignedIdentity;
using test::readFile;
using test::TestIdentity;
using test::writeFile;

const QString kAdHoc = QString::fromUtf8(CodeSignature::kAdHocIdentity);
const QString kUnknown = QString::fromUtf8(CodeSignature::kUnknownIdentity);
const QString kSigner = QStringLiteral("Velto Test Signer");

TestIdentity signer(const QString& commonName = kSigner) {
    return makeSelfSignedIdentity({{QStringLiteral("CN"), commonName}});
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
    EXPECT_EQ(CodeSignature::signingIdentity(bundle), kAdHoc);

    // What the loader compares the bytes it maps against.
    const SealedFile* module = verified->file(QStringLiteral("Contents/Linux/libSample.so"));
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->sha256,
              CodeResources::sha256Hex(readFile(path("Contents/Linux/libSample.so"))));
    ASSERT_NE(verified->file(QStringLiteral("Contents/Linux/current")), nullptr);
    EXPECT_EQ(verified->file(QStringLiteral("Contents/Linux/current"))->kind,
              SealedFile::Kind::Symlink);
    EXPECT_EQ(verified->file(QStringLiteral("Contents/Linux")), nullptr);
    EXPECT_EQ(verified->file(QStringLiteral("Contents/_CodeSignature/CodeResources")), nullptr);

    const QString unique = QString::fromLatin1(CodeResources::sha256Hex(readFile(manifestPath())));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9a-f]{64}$")).match(unique).hasMatch());
    EXPECT_EQ(verified->uniqueIdentifier(), unique);
    EXPECT_EQ(CodeSignature::uniqueIdentifier(bundle), unique);
}

TEST_F(SignedBundle, AnyChangeAfterSealingInvalidates) {
    const QList<QPair<QString, std::function<void(SignedBundle&)>>> changes = {
        {QStringLiteral("Contents/Linux/libSample.so was modified after sealing"),
         [](SignedBundle& b) {
             QByteArray bytes = readFile(b.path("Contents/Linux/libSample.so"));
             bytes[5] = char(bytes[5] ^ 1);
             writeFile(b.path("Contents/Linux/libSample.so"), bytes);
         }},
        {QStringLiteral("Contents/Linux/extra.so was added after sealing"),
         [](SignedBundle& b) { writeFile(b.path("Contents/Linux/extra.so"), "x"); }},
        {QStringLiteral("Contents/Resources/icon.svg is missing"),
         [](SignedBundle& b) { QFile::remove(b.path("Contents/Resources/icon.svg")); }},
        {QStringLiteral("Contents/Linux/current changed kind after sealing"),
         [](SignedBundle& b) {
             QFile::remove(b.path("Contents/Linux/current"));
             writeFile(b.path("Contents/Linux/current"), "libSample.so");
         }},
        {QStringLiteral("Contents/Linux/current was modified after sealing"),
         [](SignedBundle& b) {
             QFile::remove(b.path("Contents/Linux/current"));
             QFile::link(QStringLiteral("libOther.so"), b.path("Contents/Linux/current"));
         }},
        {QStringLiteral("not sealed: Contents/_CodeSignature/CodeResources is missing"),
         [](SignedBundle& b) { QFile::remove(b.manifestPath()); }},
        {QStringLiteral("the seal Contents/_CodeSignature/CodeResources is malformed"),
         [](SignedBundle& b) { writeFile(b.manifestPath(), readFile(b.manifestPath()) + ' '); }},
    };
    for (const auto& [reason, change] : changes) {
        bundle = makeSampleBundle();
        signAdHoc();
        ASSERT_TRUE(CodeSignature::verify(bundle));
        change(*this);
        EXPECT_EQ(whyInvalid(), reason);
    }
}

TEST_F(SignedBundle, WithoutAReadableSealThereIsNoIdentity) {
    EXPECT_EQ(CodeSignature::signingIdentity(bundle), kUnknown);
    EXPECT_FALSE(CodeSignature::uniqueIdentifier(bundle));
    signAdHoc();
    writeFile(manifestPath(), "{\"files\":[]}");
    EXPECT_EQ(CodeSignature::signingIdentity(bundle), kUnknown);
    EXPECT_FALSE(CodeSignature::uniqueIdentifier(bundle));
}

TEST_F(SignedBundle, NeverWritesThroughLinks) {
    const QString outside = test::makeTempFolder(QStringLiteral("elsewhere"));
    writeFile(outside + QStringLiteral("/victim"), "keep me");
    ASSERT_TRUE(QDir().mkpath(path(CodeResources::kSignatureFolder)));
    ASSERT_TRUE(QFile::link(outside + QStringLiteral("/victim"), manifestPath()));
    Status status = CodeSignature::signAdHoc(bundle);
    EXPECT_EQ(status.error(),
              QStringLiteral("Contents/_CodeSignature/CodeResources is not a regular file"));
    EXPECT_EQ(readFile(outside + QStringLiteral("/victim")), QByteArray("keep me"));

    ASSERT_TRUE(QDir(path(CodeResources::kSignatureFolder)).removeRecursively());
    ASSERT_TRUE(QFile::link(outside, path(CodeResources::kSignatureFolder)));
    status = CodeSignature::signAdHoc(bundle);
    EXPECT_EQ(status.error(), QStringLiteral("Contents/_CodeSignature is not a folder"));
    EXPECT_EQ(QDir(outside).entryList(QDir::Files), QStringList{QStringLiteral("victim")});
}

// --- signed with an identity ------------------------------------------------

TEST_F(SignedBundle, IdentitySignatureNamesTheSignerAndKeepsTheBuildIdentifier) {
    const TestIdentity identity = signer();
    signWith(identity);
    ASSERT_TRUE(QFile::exists(signaturePath()));
    const Result<VerifiedBundle> verified = CodeSignature::check(bundle);
    ASSERT_TRUE(verified) << verified.error().toStdString();
    EXPECT_EQ(verified->signerIdentity, kSigner);
    EXPECT_EQ(CodeSignature::signingIdentity(bundle), kSigner);

    // Signing the same files again, at another signing time, keeps the identifier.
    const std::optional<QString> first = CodeSignature::uniqueIdentifier(bundle);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->size(), 64);
    signWith(identity);
    EXPECT_EQ(CodeSignature::uniqueIdentifier(bundle), first);

    writeFile(path("Contents/Resources/icon.svg"), "<svg version=\"2\"/>");
    signWith(identity);
    EXPECT_TRUE(CodeSignature::verify(bundle));
    EXPECT_NE(CodeSignature::uniqueIdentifier(bundle), first);

    // Resealing ad hoc drops the signature and its signer.
    signAdHoc();
    EXPECT_FALSE(QFile::exists(signaturePath()));
    EXPECT_EQ(CodeSignature::signingIdentity(bundle), kAdHoc);
}

TEST_F(SignedBundle, SignerIdentityIsTheSubjectSummaryOnOneLine) {
    using test::SubjectEntries;
    const QList<QPair<SubjectEntries, QString>> cases = {
        {{{QStringLiteral("O"), QStringLiteral("Velto Labs")}, {QStringLiteral("CN"), kSigner}},
         kSigner},
        {{{QStringLiteral("C"), QStringLiteral("DE")},
          {QStringLiteral("O"), QStringLiteral("Velto Labs \u00c4")}},
         QStringLiteral("C = DE, O = Velto Labs \u00c4")},
        {{{QStringLiteral("CN"), QStringLiteral("Evil\nSMOKE_TEST_LINE")}},
         QStringLiteral("Evil SMOKE_TEST_LINE")},
        {{}, kAdHoc},
    };
    for (const auto& [subject, expected] : cases) {
        signWith(makeSelfSignedIdentity(subject));
        ASSERT_TRUE(CodeSignature::verify(bundle));
        EXPECT_EQ(CodeSignature::signingIdentity(bundle), expected);
    }
}

TEST_F(SignedBundle, CarriesTheChainAndNamesTheLeaf) {
    const TestIdentity leaf = signer();
    writeFile(leaf.certificatePath,
              readFile(leaf.certificatePath) +
                  readFile(signer(QStringLiteral("Velto Test Root")).certificatePath));
    signWith(leaf);
    EXPECT_EQ(CodeSignature::signingIdentity(bundle), kSigner);

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
    signWith(signer());
    const QByteArray good = readFile(signaturePath());
    QByteArray flipped = good;
    flipped[flipped.size() - 10] = char(flipped[flipped.size() - 10] ^ 0x40);

    for (const QByteArray& bad : {flipped, good.left(good.size() / 2), good + "x", QByteArray()}) {
        writeFile(signaturePath(), bad);
        EXPECT_TRUE(whyInvalid().startsWith(QStringLiteral("the signature ")))
            << whyInvalid().toStdString();
        EXPECT_EQ(CodeSignature::signingIdentity(bundle), kUnknown);
        // The seal is intact, so the build still has its identifier.
        EXPECT_TRUE(CodeSignature::uniqueIdentifier(bundle));
    }

    // Someone swaps the module and rewrites the seal to match, keeping the signature.
    writeFile(path("Contents/Linux/libSample.so"), "injected");
    signAdHoc();
    writeFile(signaturePath(), good);
    EXPECT_TRUE(whyInvalid().startsWith(QStringLiteral("the signature does not match the seal")));
}

TEST_F(SignedBundle, SigningFailsCleanlyOnBadIdentities) {
    signAdHoc();
    const QByteArray seal = readFile(manifestPath());
    writeFile(path("Contents/Info.json"), "{\"changed\": true}");

    const TestIdentity mine = signer();
    const TestIdentity theirs = signer(QStringLiteral("Someone Else"));
    const TestIdentity encrypted =
        makeSelfSignedIdentity({{QStringLiteral("CN"), kSigner}}, "secret");
    const QString garbage =
        test::makeTempFolder(QStringLiteral("garbage")) + QStringLiteral("/x.pem");
    writeFile(garbage, "-----BEGIN CERTIFICATE-----\nnot base64\n-----END CERTIFICATE-----\n");
    const QString missing = garbage + QStringLiteral(".missing");

    const QList<std::tuple<QString, QString, QString>> cases = {
        {mine.certificatePath, theirs.keyPath, QStringLiteral("does not belong")},
        {missing, mine.keyPath, QStringLiteral("cannot read certificate")},
        {mine.certificatePath, missing, QStringLiteral("cannot read private key")},
        {garbage, mine.keyPath, QStringLiteral("holds no PEM certificate")},
        {mine.certificatePath, mine.certificatePath,
         QStringLiteral("holds no unencrypted PEM private key")},
        {encrypted.certificatePath, encrypted.keyPath,
         QStringLiteral("holds no unencrypted PEM private key")},
    };
    for (const auto& [certificate, key, reason] : cases) {
        const Status status = CodeSignature::signWithIdentity(bundle, certificate, key);
        ASSERT_FALSE(status);
        EXPECT_TRUE(status.error().contains(reason) && !status.error().contains(QLatin1Char('\n')))
            << status.error().toStdString();
        // Nothing was written: the old seal is still there, unsigned.
        EXPECT_EQ(readFile(manifestPath()), seal);
        EXPECT_FALSE(QFile::exists(signaturePath()));
    }
}

} // namespace
} // namespace velto::platform
