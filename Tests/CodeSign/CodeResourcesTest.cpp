#include "Platform/CodeResources.h"

#include "SigningFixtures.h"
#include "Support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace velto::platform {
namespace {

using test::makeSampleBundle;
using test::makeTempFolder;
using test::writeFile;

const QByteArray kDigestA(64, 'a');
const QByteArray kDigestB = QByteArray("0123456789abcdef").repeated(4);

SealedFile file(const QString& path, const QByteArray& digest = kDigestA) {
    return {path, SealedFile::Kind::File, digest};
}

// --- canonical form ---------------------------------------------------------

TEST(CodeResourcesFormat, SerializesTheCanonicalBytes) {
    const QByteArray expected =
        R"({"files":[{"kind":"file","path":"Contents/Info.json","sha256":")" + kDigestA +
        R"("},{"kind":"symlink","path":"Contents/Linux/current","sha256":")" + kDigestB +
        R"("}],"version":1})";
    const QByteArray bytes = CodeResources::serialize(
        {{QStringLiteral("Contents/Linux/current"), SealedFile::Kind::Symlink, kDigestB},
         file(QStringLiteral("Contents/Info.json"))});
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(CodeResources::serialize({}), QByteArray(R"({"files":[],"version":1})"));
}

TEST(CodeResourcesFormat, RoundTripsAwkwardNames) {
    const std::vector<SealedFile> files = {
        file(QStringLiteral("Contents/quote\"back\\slash")),
        file(QStringLiteral("Contents/line\nbreak\ttab\x01" "bell")),
        file(QStringLiteral("Contents/caf\u00e9 \u6f22\u5b57")),
        {QStringLiteral("Contents/emoji \U0001F600"), SealedFile::Kind::Symlink, kDigestB},
        file(QStringLiteral("Contents/_CodeSignatureNot")), // a prefix, not the folder
        file(QStringLiteral("README")),
    };
    const QByteArray bytes = CodeResources::serialize(files);
    EXPECT_TRUE(bytes.contains(R"(quote\"back\\slash)"));
    EXPECT_TRUE(bytes.contains(R"(line\nbreak\ttab\u0001bell)"));
    EXPECT_TRUE(bytes.contains("caf\xc3\xa9")); // UTF-8 stays raw

    const std::optional<std::vector<SealedFile>> parsed = CodeResources::parse(bytes);
    ASSERT_TRUE(parsed);
    ASSERT_EQ(parsed->size(), files.size());
    for (const SealedFile& original : files)
        EXPECT_NE(std::find(parsed->begin(), parsed->end(), original), parsed->end())
            << original.path.toStdString();
    EXPECT_EQ(CodeResources::serialize(*parsed), bytes);
}

TEST(CodeResourcesFormat, SortsByUtf8BytesNotUtf16Units) {
    // U+FF21 sorts after U+1F600 in UTF-16 (surrogates start at D800) but
    // before it in UTF-8 (EF.. < F0..); "Z" sorts before "a" in bytes.
    const QString fullwidth = QStringLiteral("Contents/\uff21");
    const QString emoji = QStringLiteral("Contents/\U0001F600");
    const std::optional<std::vector<SealedFile>> parsed = CodeResources::parse(
        CodeResources::serialize({file(emoji), file(QStringLiteral("Contents/a")), file(fullwidth),
                                  file(QStringLiteral("Contents/Z"))}));
    ASSERT_TRUE(parsed);
    ASSERT_EQ(parsed->size(), 4u);
    EXPECT_EQ(parsed->at(0).path, QStringLiteral("Contents/Z"));
    EXPECT_EQ(parsed->at(1).path, QStringLiteral("Contents/a"));
    EXPECT_EQ(parsed->at(2).path, fullwidth);
    EXPECT_EQ(parsed->at(3).path, emoji);
}

TEST(CodeResourcesFormat, RejectsAnythingButTheCanonicalForm) {
    const QByteArray a = kDigestA;
    const QByteArray entryA = R"({"kind":"file","path":"Contents/A","sha256":")" + a + R"("})";
    const QByteArray entryB = R"({"kind":"file","path":"Contents/B","sha256":")" + a + R"("})";
    const auto manifest = [](const QByteArray& entries) {
        return R"({"files":[)" + entries + R"(],"version":1})";
    };
    const auto withPath = [&](const QByteArray& path) {
        return manifest(R"({"kind":"file","path":")" + path + R"(","sha256":")" + a + R"("})");
    };
    ASSERT_TRUE(CodeResources::parse(manifest(entryA + ',' + entryB))); // the control case

    const QList<QPair<const char*, QByteArray>> rejected = {
        {"empty input", QByteArray()},
        {"not JSON", "files"},
        {"top-level array", "[" + manifest(entryA) + "]"},
        {"spaces", R"({"files": [)" + entryA + R"(], "version": 1})"},
        {"trailing newline", manifest(entryA) + '\n'},
        {"byte order mark", "\xef\xbb\xbf" + manifest(entryA)},
        {"keys out of order", R"({"version":1,"files":[)" + entryA + "]}"},
        {"entry keys out of order",
         manifest(R"({"path":"Contents/A","kind":"file","sha256":")" + a + R"("})")},
        {"version 2", R"({"files":[],"version":2})"},
        {"version 1.0", R"({"files":[],"version":1.0})"},
        {"version as text", R"({"files":[],"version":"1"})"},
        {"no version", R"({"files":[]})"},
        {"extra key", R"({"extra":0,"files":[],"version":1})"},
        {"extra entry key",
         manifest(R"({"kind":"file","mode":1,"path":"Contents/A","sha256":")" + a + R"("})")},
        {"missing digest", manifest(R"({"kind":"file","path":"Contents/A"})")},
        {"unknown kind", manifest(R"({"kind":"dir","path":"Contents/A","sha256":")" + a + R"("})")},
        {"unsorted", manifest(entryB + ',' + entryA)},
        {"duplicate path", manifest(entryA + ',' + entryA)},
        {"duplicate key", R"({"files":[],"files":[],"version":1})"},
        {"uppercase hex", manifest(R"({"kind":"file","path":"Contents/A","sha256":")" +
                                   QByteArray(64, 'A') + R"("})")},
        {"short digest", manifest(R"({"kind":"file","path":"Contents/A","sha256":")" +
                                  QByteArray(63, 'a') + R"("})")},
        {"non-hex digest", manifest(R"({"kind":"file","path":"Contents/A","sha256":")" +
                                    QByteArray(64, 'g') + R"("})")},
        {"escaped slash", withPath(R"(Contents\/A)")},
        {"needless unicode escape", withPath(R"(Contents/\u0041)")},
        {"lone surrogate", withPath(R"(Contents/\ud800)")},
        {"NUL in path", withPath(R"(Contents/\u0000)")},
        {"invalid UTF-8", withPath("Contents/\xff")},
        {"raw control character", withPath("Contents/a\nb")},
        {"empty path", withPath("")},
        {"absolute path", withPath("/etc/passwd")},
        {"dot-dot", withPath("Contents/../../x")},
        {"dot", withPath("./Contents/A")},
        {"empty component", withPath("Contents//A")},
        {"trailing slash", withPath("Contents/A/")},
        {"signature folder", withPath("Contents/_CodeSignature")},
        {"inside signature folder", withPath("Contents/_CodeSignature/CodeResources")},
    };
    for (const auto& [what, bytes] : rejected)
        EXPECT_FALSE(CodeResources::parse(bytes)) << what;
}

TEST(CodeResourcesFormat, RefusesManifestsOverTheCap) {
    // Long paths make a canonical manifest cross the cap with a few thousand entries.
    const QString padding(1000, QLatin1Char('p'));
    std::vector<SealedFile> files;
    QByteArray bytes;
    for (int i = 0; bytes.size() <= CodeResources::kMaxManifestBytes; i += 512) {
        for (int k = i; k < i + 512; ++k)
            files.push_back(file(QStringLiteral("Contents/%1-%2").arg(padding).arg(k, 6, 10, QLatin1Char('0'))));
        bytes = CodeResources::serialize(files);
    }
    EXPECT_FALSE(CodeResources::parse(bytes));

    while (CodeResources::serialize(files).size() > CodeResources::kMaxManifestBytes)
        files.resize(files.size() - 64);
    EXPECT_TRUE(CodeResources::parse(CodeResources::serialize(files)));
}

TEST(CodeResourcesFormat, HashesAsLowercaseHex) {
    EXPECT_EQ(CodeResources::sha256Hex("abc"),
              QByteArray("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
}

// --- scanning ---------------------------------------------------------------

struct BundleScan : testing::Test {
    QString bundle = makeSampleBundle();

    QString error() {
        const Result<std::vector<SealedFile>> result = CodeResources::scan(bundle);
        EXPECT_FALSE(result) << "the scan should have failed";
        return result ? QString() : result.error();
    }
};

TEST_F(BundleScan, SealsFilesAndLinksButNotTheSignatureFolder) {
    writeFile(bundle + QStringLiteral("/Contents/_CodeSignature/CodeResources"), "old seal");
    writeFile(bundle + QStringLiteral("/README"), "outside Contents");
    ASSERT_TRUE(QDir().mkpath(bundle + QStringLiteral("/Contents/Empty")));
    ASSERT_TRUE(QFile::link(QStringLiteral("Resources"), bundle + QStringLiteral("/Contents/Res")));

    const Result<std::vector<SealedFile>> result = CodeResources::scan(bundle);
    ASSERT_TRUE(result) << result.error().toStdString();
    const auto digestOf = [&](const char* relative) {
        return CodeResources::sha256Hex(test::readFile(bundle + QLatin1Char('/') + QLatin1String(relative)));
    };
    const std::vector<SealedFile> expected = {
        file(QStringLiteral("Contents/Info.json"), digestOf("Contents/Info.json")),
        {QStringLiteral("Contents/Linux/current"), SealedFile::Kind::Symlink,
         CodeResources::sha256Hex("libSample.so")},
        file(QStringLiteral("Contents/Linux/libSample.so"), digestOf("Contents/Linux/libSample.so")),
        {QStringLiteral("Contents/Res"), SealedFile::Kind::Symlink, CodeResources::sha256Hex("Resources")},
        file(QStringLiteral("Contents/Resources/icon.svg"), digestOf("Contents/Resources/icon.svg")),
        file(QStringLiteral("README"), CodeResources::sha256Hex("outside Contents")),
    };
    EXPECT_EQ(result.value(), expected);
}

TEST_F(BundleScan, AcceptsABundlePathThatIsALink) {
    const QString link = makeTempFolder(QStringLiteral("links")) + QStringLiteral("/Linked.bundle");
    ASSERT_TRUE(QFile::link(bundle, link));
    const Result<std::vector<SealedFile>> viaLink = CodeResources::scan(link);
    ASSERT_TRUE(viaLink) << viaLink.error().toStdString();
    EXPECT_EQ(viaLink.value(), CodeResources::scan(bundle).value());
}

TEST_F(BundleScan, RefusesLinksThatCouldLeaveTheBundle) {
    const QString link = bundle + QStringLiteral("/Contents/Linux/escape");
    const QList<QPair<QString, QString>> cases = {
        {QStringLiteral("/etc/passwd"), QStringLiteral("absolute")},
        {QStringLiteral("../../../outside"), QStringLiteral("..")},
        {QStringLiteral("sub/../../../x"), QStringLiteral("..")},
        {QStringLiteral("../_CodeSignature/CodeResources"), QStringLiteral("..")},
        {QStringLiteral("../../Contents/_CodeSignature"), QStringLiteral("..")},
        {QStringLiteral("_CodeSignature/x"), QStringLiteral("signature folder")},
    };
    for (const auto& [target, reason] : cases) {
        QFile::remove(link);
        ASSERT_TRUE(QFile::link(target, link));
        const QString message = error();
        EXPECT_TRUE(message.contains(QStringLiteral("Contents/Linux/escape"))) << message.toStdString();
        EXPECT_TRUE(message.contains(reason)) << target.toStdString() << ": " << message.toStdString();
    }
}

TEST_F(BundleScan, RefusesFifosAndSockets) {
    const QByteArray fifo = QFile::encodeName(bundle + QStringLiteral("/Contents/pipe"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    EXPECT_EQ(error(), QStringLiteral("Contents/pipe is a FIFO"));
    ::unlink(fifo.constData());

    const QByteArray socketPath = QFile::encodeName(bundle + QStringLiteral("/Contents/sock"));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(static_cast<size_t>(socketPath.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, socketPath.constData(), static_cast<size_t>(socketPath.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(error(), QStringLiteral("Contents/sock is a socket"));
    ::close(fd);
}

TEST_F(BundleScan, RefusesNamesThatAreNotUtf8) {
    const QByteArray path = QFile::encodeName(bundle) + "/Contents/Resources/bad\xff\xfe.txt";
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    const QString message = error();
    EXPECT_TRUE(message.startsWith(QStringLiteral("Contents/Resources/bad"))) << message.toStdString();
    EXPECT_TRUE(message.endsWith(QStringLiteral("file name is not UTF-8"))) << message.toStdString();
    // QDir cannot name the file to remove it with the sandbox.
    ::unlink(path.constData());
}

TEST_F(BundleScan, RefusesWhatIsNotAFolder) {
    const QString plain = makeTempFolder(QStringLiteral("plain")) + QStringLiteral("/File.bundle");
    writeFile(plain, "not a folder");
    bundle = plain;
    EXPECT_EQ(error(), plain + QStringLiteral(" is not a folder"));

    bundle = makeTempFolder(QStringLiteral("gone")) + QStringLiteral("/Missing.bundle");
    EXPECT_TRUE(error().contains(QStringLiteral("No such file")));
}

TEST_F(BundleScan, RefusesFolderTreesDeeperThanTheLimit) {
    QString deep = bundle + QStringLiteral("/Contents");
    for (int i = 0; i < 70; ++i)
        deep += QStringLiteral("/d");
    writeFile(deep + QStringLiteral("/leaf"), "x");
    EXPECT_TRUE(error().endsWith(QStringLiteral("folders nested too deeply")));
}

TEST_F(BundleScan, RefusesUnreadableFoldersAndFiles) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file and folder";
    const QString folder = bundle + QStringLiteral("/Contents/Resources");
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0), 0);
    EXPECT_TRUE(error().startsWith(QStringLiteral("cannot read folder Contents/Resources")));
    ::chmod(QFile::encodeName(folder).constData(), 0700);

    const QString module = bundle + QStringLiteral("/Contents/Linux/libSample.so");
    ASSERT_EQ(::chmod(QFile::encodeName(module).constData(), 0), 0);
    EXPECT_TRUE(error().startsWith(QStringLiteral("cannot read Contents/Linux/libSample.so")));
    ::chmod(QFile::encodeName(module).constData(), 0600);
}

// --- reading seal files -----------------------------------------------------

TEST_F(BundleScan, ReadsSealFilesWithoutFollowingLinks) {
    const Result<std::optional<QByteArray>> absent =
        CodeResources::readSealFile(bundle, CodeResources::kManifestPath);
    ASSERT_TRUE(absent);
    EXPECT_FALSE(absent.value());

    writeFile(bundle + QStringLiteral("/Contents/_CodeSignature/CodeResources"), "seal");
    const Result<std::optional<QByteArray>> present =
        CodeResources::readSealFile(bundle, CodeResources::kManifestPath);
    ASSERT_TRUE(present && present.value());
    EXPECT_EQ(*present.value(), QByteArray("seal"));

    // A signature folder that is a link points outside what the scan sees.
    const QString elsewhere = makeTempFolder(QStringLiteral("elsewhere"));
    writeFile(elsewhere + QStringLiteral("/CodeResources"), "seal");
    ASSERT_TRUE(QDir(bundle + QStringLiteral("/Contents/_CodeSignature")).removeRecursively());
    ASSERT_TRUE(QFile::link(elsewhere, bundle + QStringLiteral("/Contents/_CodeSignature")));
    const Result<std::optional<QByteArray>> linked =
        CodeResources::readSealFile(bundle, CodeResources::kManifestPath);
    ASSERT_FALSE(linked);
    EXPECT_EQ(linked.error(), QStringLiteral("Contents/_CodeSignature is not a folder"));
}

TEST_F(BundleScan, RefusesSealFilesOverTheCap) {
    const QString path = bundle + QStringLiteral("/Contents/_CodeSignature/CodeResources");
    writeFile(path, QByteArray());
    ASSERT_TRUE(QFile::resize(path, CodeResources::kMaxManifestBytes + 1));
    const Result<std::optional<QByteArray>> result =
        CodeResources::readSealFile(bundle, CodeResources::kManifestPath);
    ASSERT_FALSE(result);
    EXPECT_TRUE(result.error().contains(QStringLiteral("larger than")));
}

} // namespace
} // namespace velto::platform
