#include "Platform/CodeResources.h"

#include "SigningFixtures.h"
#include "Support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace velto::platform {
namespace {

using test::makeSampleBundle;
using test::makeTempFolder;
using test::readFile;
using test::writeFile;

const QByteArray kDigest(64, 'a');

SealedFile file(const QString& path, const QByteArray& digest = kDigest) {
    return {path, SealedFile::Kind::File, digest};
}
SealedFile link(const QString& path, const QByteArray& target) {
    return {path, SealedFile::Kind::Symlink, CodeResources::sha256Hex(target)};
}

// --- canonical form ---------------------------------------------------------

TEST(CodeResourcesFormat, SerializesTheCanonicalBytes) {
    const QByteArray bytes =
        CodeResources::serialize({link(QStringLiteral("Contents/Linux/current"), "abc"),
                                  file(QStringLiteral("Contents/Info.json"))});
    EXPECT_EQ(bytes, R"({"files":[{"kind":"file","path":"Contents/Info.json","sha256":")" +
                         kDigest +
                         R"("},{"kind":"symlink","path":"Contents/Linux/current","sha256":")"
                         "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"
                         R"("}],"version":1})");
    EXPECT_EQ(CodeResources::serialize({}), QByteArray(R"({"files":[],"version":1})"));
}

TEST(CodeResourcesFormat, RoundTripsAwkwardNamesInUtf8ByteOrder) {
    // In this order by UTF-8 bytes. U+FF21 would sort after U+1F600 by UTF-16
    // units (surrogates start at D800); "Z" sorts before "a".
    const std::vector<SealedFile> sorted = {
        file(QStringLiteral("Contents/Z")),
        file(QStringLiteral("Contents/_CodeSignatureNot")), // a prefix, not the folder
        file(QStringLiteral("Contents/a\"b\\c\nd\te\x01"
                            "f")),
        file(QStringLiteral("Contents/caf\u00e9")),
        file(QStringLiteral("Contents/\uff21")),
        link(QStringLiteral("Contents/\U0001F600"), "x"),
        file(QStringLiteral("README")),
    };
    const QByteArray bytes = CodeResources::serialize({sorted.rbegin(), sorted.rend()});
    EXPECT_TRUE(bytes.contains(R"(a\"b\\c\nd\te\u0001f)"));
    EXPECT_TRUE(bytes.contains("caf\xc3\xa9")); // UTF-8 stays raw
    const std::optional<std::vector<SealedFile>> parsed = CodeResources::parse(bytes);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, sorted);
}

TEST(CodeResourcesFormat, RejectsAnythingButTheCanonicalForm) {
    const QByteArray a = kDigest;
    const auto entry = [&](const QByteArray& path) {
        return R"({"kind":"file","path":")" + path + R"(","sha256":")" + a + R"("})";
    };
    const auto manifest = [](const QByteArray& entries) {
        return R"({"files":[)" + entries + R"(],"version":1})";
    };
    const auto withPath = [&](const QByteArray& path) { return manifest(entry(path)); };
    const QByteArray A = entry("Contents/A"), B = entry("Contents/B");
    ASSERT_TRUE(CodeResources::parse(manifest(A + ',' + B))); // the control case

    const QList<QPair<const char*, QByteArray>> rejected = {
        {"empty input", QByteArray()},
        {"spaces", R"({"files": [)" + A + R"(], "version": 1})"},
        {"trailing newline", manifest(A) + '\n'},
        {"keys out of order", R"({"version":1,"files":[)" + A + "]}"},
        {"entry keys out of order",
         manifest(R"({"path":"Contents/A","kind":"file","sha256":")" + a + R"("})")},
        {"version 2", R"({"files":[],"version":2})"},
        {"version 1.0", R"({"files":[],"version":1.0})"},
        {"extra key", R"({"extra":0,"files":[],"version":1})"},
        {"unknown kind", manifest(R"({"kind":"dir","path":"Contents/A","sha256":")" + a + R"("})")},
        {"unsorted", manifest(B + ',' + A)},
        {"duplicate path", manifest(A + ',' + A)},
        {"duplicate key", R"({"files":[],"files":[],"version":1})"},
        {"uppercase hex", manifest(QByteArray(A).replace(a, QByteArray(64, 'A')))},
        {"non-hex digest", manifest(QByteArray(A).replace(a, QByteArray(64, 'g')))},
        {"escaped slash", withPath(R"(Contents\/A)")},
        {"needless unicode escape", withPath(R"(Contents/\u0041)")},
        {"NUL in path", withPath(R"(Contents/\u0000)")},
        {"invalid UTF-8", withPath("Contents/\xff")},
        {"raw control character", withPath("Contents/a\nb")},
        {"empty path", withPath("")},
        {"absolute path", withPath("/etc/passwd")},
        {"dot-dot", withPath("Contents/../../x")},
        {"empty component", withPath("Contents//A")},
        {"inside signature folder", withPath("Contents/_CodeSignature/CodeResources")},
    };
    for (const auto& [what, bytes] : rejected)
        EXPECT_FALSE(CodeResources::parse(bytes)) << what;
}

TEST(CodeResourcesFormat, RefusesManifestsOverTheCap) {
    // Long paths make a canonical manifest cross the cap with a few thousand entries.
    const QString padding(1000, QLatin1Char('p'));
    std::vector<SealedFile> files;
    while (files.size() * 1000 <= size_t(CodeResources::kMaxManifestBytes))
        files.push_back(file(QStringLiteral("Contents/%1-%2")
                                 .arg(padding)
                                 .arg(files.size(), 6, 10, QLatin1Char('0'))));
    EXPECT_FALSE(CodeResources::parse(CodeResources::serialize(files)));
    while (CodeResources::serialize(files).size() > CodeResources::kMaxManifestBytes)
        files.resize(files.size() - 64);
    EXPECT_TRUE(CodeResources::parse(CodeResources::serialize(files)));
}

// The fuzzer's seeds are only useful while they are manifests it accepts.
TEST(CodeResourcesFormat, FuzzSeedsAreCanonical) {
    const QDir seeds(QStringLiteral(VELTO_FUZZ_CORPUS_DIR "/code_resources"));
    const QStringList names = seeds.entryList(QDir::Files);
    ASSERT_FALSE(names.isEmpty());
    for (const QString& name : names)
        EXPECT_TRUE(CodeResources::parse(readFile(seeds.filePath(name)))) << name.toStdString();
}

// --- scanning ---------------------------------------------------------------

struct BundleScan : testing::Test {
    QString bundle = makeSampleBundle();

    QString path(const char* relative) const {
        return bundle + QLatin1Char('/') + QLatin1String(relative);
    }
    QString error() const {
        const Result<std::vector<SealedFile>> result = CodeResources::scan(bundle);
        EXPECT_FALSE(result) << "the scan should have failed";
        return result ? QString() : result.error();
    }
};

TEST_F(BundleScan, SealsFilesAndLinksButNotTheSignatureFolder) {
    writeFile(path("Contents/_CodeSignature/CodeResources"), "old seal");
    writeFile(path("README"), "outside Contents");
    ASSERT_TRUE(QDir().mkpath(path("Contents/Empty")));
    ASSERT_TRUE(QFile::link(QStringLiteral("Resources"), path("Contents/Res")));

    const Result<std::vector<SealedFile>> result = CodeResources::scan(bundle);
    ASSERT_TRUE(result) << result.error().toStdString();
    const auto sealed = [&](const char* relative) {
        return file(QLatin1String(relative), CodeResources::sha256Hex(readFile(path(relative))));
    };
    const std::vector<SealedFile> expected = {
        sealed("Contents/Info.json"),
        link(QStringLiteral("Contents/Linux/current"), "libSample.so"),
        sealed("Contents/Linux/libSample.so"),
        link(QStringLiteral("Contents/Res"), "Resources"),
        sealed("Contents/Resources/icon.svg"),
        file(QStringLiteral("README"), CodeResources::sha256Hex("outside Contents")),
    };
    EXPECT_EQ(result.value(), expected);
}

TEST_F(BundleScan, RefusesLinksThatCouldLeaveTheBundle) {
    const QList<QPair<QString, QString>> cases = {
        {QStringLiteral("/etc/passwd"), QStringLiteral("absolute")},
        {QStringLiteral("../../../outside"), QStringLiteral("..")},
        {QStringLiteral("sub/../../../x"), QStringLiteral("..")},
        {QStringLiteral("../_CodeSignature/CodeResources"), QStringLiteral("..")},
        {QStringLiteral("_CodeSignature/x"), QStringLiteral("signature folder")},
    };
    for (const auto& [target, reason] : cases) {
        QFile::remove(path("Contents/Linux/escape"));
        ASSERT_TRUE(QFile::link(target, path("Contents/Linux/escape")));
        const QString message = error();
        EXPECT_TRUE(message.startsWith(QStringLiteral("Contents/Linux/escape: ")) &&
                    message.contains(reason))
            << target.toStdString() << ": " << message.toStdString();
    }
}

TEST_F(BundleScan, RefusesSpecialFilesBadNamesAndNonFolders) {
    const QByteArray fifo = QFile::encodeName(path("Contents/pipe"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    EXPECT_EQ(error(), QStringLiteral("Contents/pipe is a FIFO"));
    ::unlink(fifo.constData());

    const QByteArray socketPath = QFile::encodeName(path("Contents/sock"));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(size_t(socketPath.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(error(), QStringLiteral("Contents/sock is a socket"));
    ::close(fd);
    ::unlink(socketPath.constData());

    const QByteArray badName = QFile::encodeName(bundle) + "/Contents/bad\xff\xfe.txt";
    ::close(::open(badName.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600));
    EXPECT_EQ(error(), QStringLiteral("Contents/bad\ufffd\ufffd.txt: file name is not UTF-8"));
    ::unlink(badName.constData()); // QDir could not name it to clean up the sandbox

    const QString deep = path("Contents") + QStringLiteral("/d").repeated(70);
    writeFile(deep + QStringLiteral("/leaf"), "x");
    EXPECT_TRUE(error().endsWith(QStringLiteral("folders nested too deeply")));

    bundle = path("Contents/Info.json");
    EXPECT_EQ(error(), bundle + QStringLiteral(" is not a folder"));
    bundle = makeTempFolder(QStringLiteral("gone")) + QStringLiteral("/Missing.bundle");
    EXPECT_TRUE(error().contains(QStringLiteral("No such file")));
}

TEST_F(BundleScan, RefusesUnreadableFoldersAndFiles) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file and folder";
    const QByteArray folder = QFile::encodeName(path("Contents/Resources"));
    ASSERT_EQ(::chmod(folder.constData(), 0), 0);
    EXPECT_TRUE(error().startsWith(QStringLiteral("cannot read folder Contents/Resources: ")));
    ::chmod(folder.constData(), 0700);

    const QByteArray module = QFile::encodeName(path("Contents/Linux/libSample.so"));
    ASSERT_EQ(::chmod(module.constData(), 0), 0);
    EXPECT_TRUE(error().startsWith(QStringLiteral("cannot read Contents/Linux/libSample.so: ")));
    ::chmod(module.constData(), 0600);
}

TEST_F(BundleScan, ReadsSealFilesWithoutFollowingLinksOrPastTheCap) {
    const auto read = [&] {
        return CodeResources::readSealFile(bundle, CodeResources::kManifestPath);
    };
    ASSERT_TRUE(read());
    EXPECT_FALSE(read().value()); // absent is not a failure

    writeFile(path(CodeResources::kManifestPath), "seal");
    ASSERT_TRUE(read() && read().value());
    EXPECT_EQ(*read().value(), QByteArray("seal"));

    ASSERT_TRUE(
        QFile::resize(path(CodeResources::kManifestPath), CodeResources::kMaxManifestBytes + 1));
    EXPECT_TRUE(read().error().contains(QStringLiteral("larger than")));

    // A signature folder that is a link points outside what the scan sees.
    const QString elsewhere = makeTempFolder(QStringLiteral("elsewhere"));
    writeFile(elsewhere + QStringLiteral("/CodeResources"), "seal");
    ASSERT_TRUE(QDir(path(CodeResources::kSignatureFolder)).removeRecursively());
    ASSERT_TRUE(QFile::link(elsewhere, path(CodeResources::kSignatureFolder)));
    EXPECT_EQ(read().error(), QStringLiteral("Contents/_CodeSignature is not a folder"));
}

} // namespace
} // namespace velto::platform
