#include "Platform/UserDefaults.h"

#include "Platform/StandardPaths.h"
#include "Support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLockFile>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using velto::platform::UserDefaults;

namespace {

const QString kDomain = QStringLiteral("org.velto.velto");

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What is on disk, parsed without going through UserDefaults.
QJsonObject objectOnDisk(const QString& path) {
    return QJsonDocument::fromJson(readFile(path)).object();
}

// Names of the plain files in @p folder, hidden ones included.
QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Runs one of the DISABLED_ child cases below in a copy of this test binary.
QProcess* startChild(const QString& testName, const QProcessEnvironment& extra, QObject* parent) {
    auto* process = new QProcess(parent);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(extra);
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->start(QCoreApplication::applicationFilePath(),
                   {QStringLiteral("--gtest_also_run_disabled_tests"),
                    QStringLiteral("--gtest_filter=UserDefaultsChild.") + testName});
    return process;
}

// Directory permissions mean nothing to root.
#define SKIP_IF_ROOT()                                                                             \
    if (::geteuid() == 0)                                                                          \
    GTEST_SKIP() << "root ignores file permissions"

} // namespace

// ---------------------------------------------------------------------------
// Values and their types

TEST(UserDefaultsValues, EveryJsonTypeSurvivesARoundTrip) {
    const QString folder = velto::test::makeTempFolder();
    const QJsonObject nested{{QStringLiteral("inner"), QJsonArray{1, QStringLiteral("two")}}};
    const QJsonArray list{true, 2.5, QJsonValue::Null, QStringLiteral("x")};
    const qint64 big = (qint64(1) << 53) + 1;
    {
        UserDefaults writer(kDomain, folder);
        ASSERT_TRUE(writer.setValue(QStringLiteral("bool"), false));
        ASSERT_TRUE(writer.setValue(QStringLiteral("int"), 12));
        ASSERT_TRUE(writer.setValue(QStringLiteral("real"), 0.5));
        ASSERT_TRUE(writer.setValue(QStringLiteral("big"), big));
        ASSERT_TRUE(writer.setValue(QStringLiteral("text"), QStringLiteral("grüße \"quoted\"")));
        ASSERT_TRUE(writer.setValue(QStringLiteral("null"), QJsonValue::Null));
        ASSERT_TRUE(writer.setValue(QStringLiteral("list"), list));
        ASSERT_TRUE(writer.setValue(QStringLiteral("object"), nested));
        ASSERT_TRUE(writer.setValue(QStringLiteral("NSStatusItem Visible Item-0"), true));
        ASSERT_TRUE(writer.setValue(QString(), QStringLiteral("empty key")));
    }

    UserDefaults reader(kDomain, folder);
    EXPECT_EQ(reader.value(QStringLiteral("bool")), QJsonValue(false));
    EXPECT_EQ(reader.value(QStringLiteral("int")), QJsonValue(12));
    EXPECT_EQ(reader.value(QStringLiteral("real")), QJsonValue(0.5));
    EXPECT_EQ(reader.value(QStringLiteral("big"))->toInteger(), big);
    EXPECT_EQ(reader.value(QStringLiteral("text")), QJsonValue(QStringLiteral("grüße \"quoted\"")));
    ASSERT_TRUE(reader.value(QStringLiteral("null")).has_value());
    EXPECT_TRUE(reader.value(QStringLiteral("null"))->isNull());
    EXPECT_EQ(reader.value(QStringLiteral("list")), QJsonValue(list));
    EXPECT_EQ(reader.value(QStringLiteral("object")), QJsonValue(nested));
    EXPECT_EQ(reader.boolValue(QStringLiteral("NSStatusItem Visible Item-0")), true);
    EXPECT_EQ(reader.value(QString()), QJsonValue(QStringLiteral("empty key")));
    EXPECT_EQ(reader.dictionaryRepresentation().size(), 10);
    EXPECT_FALSE(reader.value(QStringLiteral("absent")).has_value());
}

TEST(UserDefaultsValues, NumberTextAndBoolStayDistinct) {
    const QString folder = velto::test::makeTempFolder();
    {
        UserDefaults writer(kDomain, folder);
        ASSERT_TRUE(writer.setValue(QStringLiteral("number"), 1));
        ASSERT_TRUE(writer.setValue(QStringLiteral("text"), QStringLiteral("1")));
        ASSERT_TRUE(writer.setValue(QStringLiteral("flag"), true));
    }
    UserDefaults reader(kDomain, folder);
    EXPECT_TRUE(reader.value(QStringLiteral("number"))->isDouble());
    EXPECT_TRUE(reader.value(QStringLiteral("text"))->isString());
    EXPECT_TRUE(reader.value(QStringLiteral("flag"))->isBool());
    EXPECT_NE(reader.value(QStringLiteral("number")), reader.value(QStringLiteral("text")));

    // Only a stored boolean is a bool.
    EXPECT_EQ(reader.boolValue(QStringLiteral("flag")), true);
    EXPECT_FALSE(reader.boolValue(QStringLiteral("number")).has_value());
    EXPECT_FALSE(reader.boolValue(QStringLiteral("text")).has_value());
    EXPECT_FALSE(reader.boolValue(QStringLiteral("absent")).has_value());

    const QJsonObject disk = objectOnDisk(reader.filePath());
    EXPECT_TRUE(disk.value(QStringLiteral("number")).isDouble());
    EXPECT_TRUE(disk.value(QStringLiteral("text")).isString());
    EXPECT_TRUE(disk.value(QStringLiteral("flag")).isBool());
}

TEST(UserDefaultsValues, DefaultFolderIsTheConfigHome) {
    UserDefaults defaults(kDomain);
    const QString expected = velto::test::sandboxRoot() + QStringLiteral("/config/velto/") +
                             kDomain + QStringLiteral(".json");
    EXPECT_EQ(defaults.filePath(), expected);
    EXPECT_FALSE(QFileInfo::exists(expected));

    ASSERT_TRUE(defaults.setValue(QStringLiteral("refreshInterval"), 2.5));
    EXPECT_EQ(objectOnDisk(expected), QJsonObject({{QStringLiteral("refreshInterval"), 2.5}}));
    EXPECT_EQ(filesIn(velto::platform::StandardPaths::defaultsFolder()),
              QStringList{kDomain + QStringLiteral(".json")});

    EXPECT_TRUE(UserDefaults::removePersistentDomain(kDomain));
    EXPECT_FALSE(QFileInfo::exists(expected));
}

TEST(UserDefaultsValues, RemoveValueDropsOnlyThatKey) {
    const QString folder = velto::test::makeTempFolder();
    UserDefaults defaults(kDomain, folder);
    EXPECT_TRUE(defaults.removeValue(QStringLiteral("keep")));
    EXPECT_FALSE(QFileInfo::exists(defaults.filePath())) << "nothing to remove, nothing written";

    ASSERT_TRUE(defaults.setValue(QStringLiteral("keep"), 1));
    ASSERT_TRUE(defaults.setValue(QStringLiteral("drop"), 2));
    ASSERT_TRUE(defaults.setValue(QStringLiteral("undefined"), 3));

    EXPECT_TRUE(defaults.removeValue(QStringLiteral("drop")));
    EXPECT_TRUE(defaults.setValue(QStringLiteral("undefined"), QJsonValue::Undefined));
    EXPECT_TRUE(defaults.removeValue(QStringLiteral("never there")));

    EXPECT_EQ(defaults.dictionaryRepresentation(), QJsonObject({{QStringLiteral("keep"), 1}}));
    EXPECT_EQ(objectOnDisk(defaults.filePath()), QJsonObject({{QStringLiteral("keep"), 1}}));
}

// ---------------------------------------------------------------------------
// Changes made elsewhere

TEST(UserDefaultsSharing, AnotherInstanceSeesEachWrite) {
    const QString folder = velto::test::makeTempFolder();
    UserDefaults a(kDomain, folder);
    UserDefaults b(kDomain, folder);
    EXPECT_FALSE(b.value(QStringLiteral("x")).has_value());

    ASSERT_TRUE(a.setValue(QStringLiteral("x"), 1));
    EXPECT_EQ(b.value(QStringLiteral("x")), QJsonValue(1));
    // Same size on disk: the replacement is still noticed.
    ASSERT_TRUE(a.setValue(QStringLiteral("x"), 2));
    EXPECT_EQ(b.value(QStringLiteral("x")), QJsonValue(2));
    ASSERT_TRUE(a.removeValue(QStringLiteral("x")));
    EXPECT_FALSE(b.value(QStringLiteral("x")).has_value());
}

TEST(UserDefaultsSharing, WriteMergesIntoTheFileNotIntoAStaleCache) {
    const QString folder = velto::test::makeTempFolder();
    UserDefaults a(kDomain, folder);
    UserDefaults b(kDomain, folder);
    ASSERT_TRUE(b.setValue(QStringLiteral("fromB"), 1));
    ASSERT_TRUE(a.setValue(QStringLiteral("fromA"), 2));
    // b last saw only its own key; its next write must keep a's.
    ASSERT_TRUE(b.setValue(QStringLiteral("again"), 3));
    ASSERT_TRUE(b.removeValue(QStringLiteral("missing")));

    const QJsonObject expected{
        {QStringLiteral("fromA"), 2}, {QStringLiteral("fromB"), 1}, {QStringLiteral("again"), 3}};
    EXPECT_EQ(objectOnDisk(a.filePath()), expected);
    EXPECT_EQ(a.dictionaryRepresentation(), expected);
    EXPECT_EQ(b.dictionaryRepresentation(), expected);
}

TEST(UserDefaultsSharing, ExternalEditsAreSeen) {
    const QString folder = velto::test::makeTempFolder();
    UserDefaults defaults(kDomain, folder);
    ASSERT_TRUE(defaults.setValue(QStringLiteral("k"), QStringLiteral("one")));
    const QString path = defaults.filePath();

    // Edited in place, same inode.
    ASSERT_TRUE(writeFile(path, R"({"k": "three", "extra": true})"));
    EXPECT_EQ(defaults.value(QStringLiteral("k")), QJsonValue(QStringLiteral("three")));
    EXPECT_EQ(defaults.boolValue(QStringLiteral("extra")), true);

    // Replaced by rename with a file of the same size, as editors save.
    const QByteArray replacement = R"({"k": "seven", "extra": true})";
    ASSERT_EQ(replacement.size(), QFileInfo(path).size());
    ASSERT_TRUE(writeFile(path + QStringLiteral(".new"), replacement));
    ASSERT_EQ(::rename(QFile::encodeName(path + QStringLiteral(".new")).constData(),
                       QFile::encodeName(path).constData()),
              0);
    EXPECT_EQ(defaults.value(QStringLiteral("k")), QJsonValue(QStringLiteral("seven")));

    ASSERT_TRUE(QFile::remove(path));
    EXPECT_TRUE(defaults.dictionaryRepresentation().isEmpty());
}

// ---------------------------------------------------------------------------
// Files that are not a JSON object

struct CorruptCase {
    const char* name;
    QByteArray bytes;
};

class UserDefaultsCorruption : public testing::TestWithParam<CorruptCase> {};

TEST_P(UserDefaultsCorruption, ReadsEmptyAndIsKeptAsideOnWrite) {
    const QString folder = velto::test::makeTempFolder();
    UserDefaults defaults(kDomain, folder);
    const QString path = defaults.filePath();
    const QString aside = path + QStringLiteral(".corrupt");
    const QByteArray& original = GetParam().bytes;
    ASSERT_TRUE(writeFile(path, original));

    EXPECT_TRUE(defaults.dictionaryRepresentation().isEmpty());
    EXPECT_FALSE(defaults.value(QStringLiteral("a")).has_value());
    EXPECT_EQ(readFile(path), original) << "reading must leave the file alone";

    ASSERT_TRUE(defaults.setValue(QStringLiteral("fresh"), true));
    EXPECT_TRUE(readFile(aside) == original) << "the .corrupt file must hold the original bytes";
    EXPECT_EQ(objectOnDisk(path), QJsonObject({{QStringLiteral("fresh"), true}}));
    EXPECT_EQ(defaults.dictionaryRepresentation(), QJsonObject({{QStringLiteral("fresh"), true}}));

    // Later writes go on normally and leave the .corrupt file alone.
    ASSERT_TRUE(defaults.setValue(QStringLiteral("second"), 2));
    EXPECT_TRUE(readFile(aside) == original);
    EXPECT_EQ(objectOnDisk(path).size(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, UserDefaultsCorruption,
    testing::Values(CorruptCase{"BrokenJson", R"({"a": 1,)"},
                    CorruptCase{"TrailingGarbage", R"({"a": 1} x)"},
                    CorruptCase{"Array", R"([{"a": 1}])"}, CorruptCase{"Number", "42"},
                    CorruptCase{"Binary", QByteArray("\x00\xff\xfe{\"a\"\x01", 8)},
                    // Valid JSON, but beyond the size cap.
                    CorruptCase{"TooLarge",
                                QByteArray(R"({"a": 1})") + QByteArray(16 * 1024 * 1024, ' ')}),
    [](const testing::TestParamInfo<CorruptCase>& param) { return std::string(param.param.name); });

TEST(UserDefaultsCorruptFiles, OlderCorruptFileIsReplacedByTheNewerOne) {
    const QString folder = velto::test::makeTempFolder();
    UserDefaults defaults(kDomain, folder);
    const QString aside = defaults.filePath() + QStringLiteral(".corrupt");
    ASSERT_TRUE(writeFile(aside, "older junk"));
    ASSERT_TRUE(writeFile(defaults.filePath(), "newer junk"));

    ASSERT_TRUE(defaults.removeValue(QStringLiteral("a")));
    EXPECT_EQ(readFile(aside), QByteArray("newer junk"));
    EXPECT_TRUE(defaults.dictionaryRepresentation().isEmpty());
}

TEST(UserDefaultsCorruptFiles, BlankFileIsAnEmptyDomain) {
    const QString folder = velto::test::makeTempFolder();
    UserDefaults defaults(kDomain, folder);
    ASSERT_TRUE(writeFile(defaults.filePath(), " \n"));
    ASSERT_TRUE(defaults.setValue(QStringLiteral("a"), 1));
    EXPECT_FALSE(QFileInfo::exists(defaults.filePath() + QStringLiteral(".corrupt")));
    EXPECT_EQ(objectOnDisk(defaults.filePath()), QJsonObject({{QStringLiteral("a"), 1}}));
}

TEST(UserDefaultsCorruptFiles, FolderInPlaceOfTheFileIsNeverTouched) {
    const QString folder = velto::test::makeTempFolder();
    UserDefaults defaults(kDomain, folder);
    ASSERT_TRUE(QDir().mkpath(defaults.filePath() + QStringLiteral("/child")));

    EXPECT_TRUE(defaults.dictionaryRepresentation().isEmpty());
    EXPECT_FALSE(defaults.setValue(QStringLiteral("a"), 1));
    EXPECT_FALSE(UserDefaults::removePersistentDomain(kDomain, folder));
    EXPECT_TRUE(QFileInfo(defaults.filePath() + QStringLiteral("/child")).isDir());
    EXPECT_FALSE(QFileInfo::exists(defaults.filePath() + QStringLiteral(".corrupt")));
}

TEST(UserDefaultsCorruptFiles, FifoInPlaceOfTheFileDoesNotBlock) {
    const QString folder = velto::test::makeTempFolder();
    UserDefaults defaults(kDomain, folder);
    ASSERT_EQ(::mkfifo(QFile::encodeName(defaults.filePath()).constData(), 0600), 0);

    EXPECT_TRUE(defaults.dictionaryRepresentation().isEmpty());
    EXPECT_FALSE(defaults.setValue(QStringLiteral("a"), 1));
    EXPECT_FALSE(QFileInfo::exists(defaults.filePath() + QStringLiteral(".corrupt")));
}

// ---------------------------------------------------------------------------
// Domains

TEST(UserDefaultsDomains, RemovePersistentDomainDeletesTheFile) {
    const QString folder = velto::test::makeTempFolder();
    UserDefaults defaults(QStringLiteral("velto-smoke-test"), folder);
    UserDefaults other(QStringLiteral("other"), folder);
    ASSERT_TRUE(defaults.setValue(QStringLiteral("a"), 1));
    ASSERT_TRUE(other.setValue(QStringLiteral("b"), 2));
    ASSERT_EQ(defaults.value(QStringLiteral("a")), QJsonValue(1));

    EXPECT_TRUE(UserDefaults::removePersistentDomain(QStringLiteral("velto-smoke-test"), folder));
    EXPECT_FALSE(QFileInfo::exists(defaults.filePath()));
    EXPECT_TRUE(defaults.dictionaryRepresentation().isEmpty());
    EXPECT_EQ(other.value(QStringLiteral("b")), QJsonValue(2));
    EXPECT_EQ(filesIn(folder), QStringList{QStringLiteral("other.json")});

    // Gone already, and a domain that never existed, both count as removed.
    EXPECT_TRUE(UserDefaults::removePersistentDomain(QStringLiteral("velto-smoke-test"), folder));
    EXPECT_TRUE(UserDefaults::removePersistentDomain(QStringLiteral("nothing"),
                                                     folder + QStringLiteral("/no/such")));

    ASSERT_TRUE(defaults.setValue(QStringLiteral("c"), 3));
    EXPECT_EQ(defaults.dictionaryRepresentation(), QJsonObject({{QStringLiteral("c"), 3}}));
}

TEST(UserDefaultsDomains, NamesThatLeaveTheFolderAreRefused) {
    const QString root = velto::test::makeTempFolder();
    const QString folder = root + QStringLiteral("/defaults");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(writeFile(root + QStringLiteral("/escape.json"), R"({"secret": 1})"));

    for (const QString& name :
         {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("a/b"),
          QStringLiteral("../escape"), QStringLiteral("/tmp/abs"), QString::fromUtf8("x\0y", 3)}) {
        SCOPED_TRACE(name.toStdString());
        UserDefaults defaults(name, folder);
        EXPECT_TRUE(defaults.dictionaryRepresentation().isEmpty());
        EXPECT_FALSE(defaults.value(QStringLiteral("secret")).has_value());
        EXPECT_FALSE(defaults.setValue(QStringLiteral("k"), 1));
        EXPECT_FALSE(defaults.removeValue(QStringLiteral("k")));
        EXPECT_FALSE(UserDefaults::removePersistentDomain(name, folder));
    }
    EXPECT_TRUE(filesIn(folder).isEmpty());
    EXPECT_EQ(readFile(root + QStringLiteral("/escape.json")), QByteArray(R"({"secret": 1})"));
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList());
}

TEST(UserDefaultsDomains, DotsInsideANameAreFine) {
    const QString folder = velto::test::makeTempFolder();
    UserDefaults defaults(QStringLiteral("..hidden.suite"), folder);
    ASSERT_TRUE(defaults.setValue(QStringLiteral("k"), 1));
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/..hidden.suite.json")));
}

// ---------------------------------------------------------------------------
// Folders that cannot be written

TEST(UserDefaultsPermissions, FolderThatCannotBeCreatedFailsTheWrite) {
    const QString root = velto::test::makeTempFolder();
    ASSERT_TRUE(writeFile(root + QStringLiteral("/plain-file"), "x"));
    UserDefaults defaults(kDomain, root + QStringLiteral("/plain-file/velto"));
    EXPECT_FALSE(defaults.setValue(QStringLiteral("k"), 1));
    EXPECT_TRUE(defaults.dictionaryRepresentation().isEmpty());
}

TEST(UserDefaultsPermissions, ReadOnlyFolderFailsWritesAndKeepsValues) {
    SKIP_IF_ROOT();
    const QString folder = velto::test::makeTempFolder();
    UserDefaults defaults(kDomain, folder);
    ASSERT_TRUE(defaults.setValue(QStringLiteral("k"), 1));
    const QByteArray before = readFile(defaults.filePath());

    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
    EXPECT_FALSE(defaults.setValue(QStringLiteral("k"), 2));
    EXPECT_FALSE(defaults.setValue(QStringLiteral("new"), 2));
    EXPECT_FALSE(defaults.removeValue(QStringLiteral("k")));
    EXPECT_FALSE(UserDefaults::removePersistentDomain(kDomain, folder));
    EXPECT_EQ(defaults.value(QStringLiteral("k")), QJsonValue(1));
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);

    EXPECT_EQ(readFile(defaults.filePath()), before);
    EXPECT_EQ(filesIn(folder), QStringList{kDomain + QStringLiteral(".json")});
}

TEST(UserDefaultsPermissions, UnreadableFileIsNeitherReadNorOverwritten) {
    SKIP_IF_ROOT();
    const QString folder = velto::test::makeTempFolder();
    UserDefaults defaults(kDomain, folder);
    ASSERT_TRUE(defaults.setValue(QStringLiteral("k"), 1));
    ASSERT_EQ(::chmod(QFile::encodeName(defaults.filePath()).constData(), 0), 0);

    UserDefaults other(kDomain, folder);
    EXPECT_TRUE(other.dictionaryRepresentation().isEmpty());
    EXPECT_FALSE(other.setValue(QStringLiteral("k"), 2));
    ASSERT_EQ(::chmod(QFile::encodeName(defaults.filePath()).constData(), 0644), 0);
    EXPECT_EQ(other.value(QStringLiteral("k")), QJsonValue(1));
}

// ---------------------------------------------------------------------------
// Several processes

namespace {

constexpr int kKeysPerWriter = 200;

QProcessEnvironment childEnvironment(const QString& folder, const QString& prefix) {
    QProcessEnvironment env;
    env.insert(QStringLiteral("VELTO_CHILD_FOLDER"), folder);
    env.insert(QStringLiteral("VELTO_CHILD_PREFIX"), prefix);
    return env;
}

} // namespace

// Runs only as a child of TwoProcessesNeverLoseKeys.
TEST(UserDefaultsChild, DISABLED_WriteKeys) {
    const QString folder = qEnvironmentVariable("VELTO_CHILD_FOLDER");
    const QString prefix = qEnvironmentVariable("VELTO_CHILD_PREFIX");
    ASSERT_FALSE(folder.isEmpty());
    ASSERT_FALSE(prefix.isEmpty());

    // Start together so the writes interleave.
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/ready-") + prefix, {}));
    QElapsedTimer waited;
    waited.start();
    while (QDir(folder).entryList({QStringLiteral("ready-*")}, QDir::Files).size() < 2) {
        ASSERT_LT(waited.elapsed(), 20'000) << "the other writer never started";
        QThread::usleep(200);
    }

    UserDefaults defaults(QStringLiteral("shared"), folder);
    for (int i = 0; i < kKeysPerWriter; ++i)
        ASSERT_TRUE(defaults.setValue(prefix + QString::number(i), i)) << i;
}

// Runs only as a child of LockOfADeadProcessIsTakenOver.
TEST(UserDefaultsChild, DISABLED_HoldLockForever) {
    const QString folder = qEnvironmentVariable("VELTO_CHILD_FOLDER");
    ASSERT_FALSE(folder.isEmpty());
    QLockFile lock(folder + QStringLiteral("/shared.json.lock"));
    ASSERT_TRUE(lock.tryLock(1000));
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/holding"), {}));
    for (;;)
        QThread::sleep(1);
}

TEST(UserDefaultsProcesses, TwoProcessesNeverLoseKeys) {
    const QString folder = velto::test::makeTempFolder();
    QObject owner;
    QProcess* first =
        startChild(QStringLiteral("DISABLED_WriteKeys"), childEnvironment(folder, "a"), &owner);
    QProcess* second =
        startChild(QStringLiteral("DISABLED_WriteKeys"), childEnvironment(folder, "b"), &owner);
    for (QProcess* child : {first, second}) {
        ASSERT_TRUE(child->waitForFinished(60'000));
        EXPECT_EQ(child->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child->exitCode(), 0) << child->readAll().toStdString();
    }

    const QJsonObject object =
        UserDefaults(QStringLiteral("shared"), folder).dictionaryRepresentation();
    EXPECT_EQ(object.size(), 2 * kKeysPerWriter);
    for (const char* prefix : {"a", "b"}) {
        for (int i = 0; i < kKeysPerWriter; ++i) {
            const QString key = QLatin1String(prefix) + QString::number(i);
            EXPECT_EQ(object.value(key), QJsonValue(i)) << key.toStdString();
        }
    }
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/shared.json.lock")));
}

TEST(UserDefaultsProcesses, LockOfADeadProcessIsTakenOver) {
    const QString folder = velto::test::makeTempFolder();
    QObject owner;
    QProcess* holder = startChild(QStringLiteral("DISABLED_HoldLockForever"),
                                  childEnvironment(folder, "holder"), &owner);
    QElapsedTimer waited;
    waited.start();
    while (!QFileInfo::exists(folder + QStringLiteral("/holding"))) {
        ASSERT_NE(holder->state(), QProcess::NotRunning) << holder->readAll().toStdString();
        ASSERT_LT(waited.elapsed(), 30'000);
        QThread::msleep(5);
    }
    holder->kill();
    ASSERT_TRUE(holder->waitForFinished(10'000));
    ASSERT_TRUE(QFileInfo::exists(folder + QStringLiteral("/shared.json.lock")));

    UserDefaults defaults(QStringLiteral("shared"), folder);
    QElapsedTimer took;
    took.start();
    EXPECT_TRUE(defaults.setValue(QStringLiteral("k"), 1));
    EXPECT_LT(took.elapsed(), 3'000) << "a dead owner's lock should not wait for the timeout";
}
