// UserDefaults under faults: writers killed at random points, and two
// processes writing at the same time. The children are this test binary
// again, running one of the DISABLED_ cases below.

#include "Platform/UserDefaults.h"
#include "Support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <unistd.h>

using velto::platform::UserDefaults;

namespace {

const QString kDomain = QStringLiteral("shared");
constexpr int kStaticKeys = 50;
constexpr int kKillRounds = 30;
constexpr int kKeysPerWriter = 1000;

QProcess* startChild(const QString& testName, const QString& folder, const QString& prefix,
                     QObject* parent) {
    auto* process = new QProcess(parent);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VELTO_CHILD_FOLDER"), folder);
    env.insert(QStringLiteral("VELTO_CHILD_PREFIX"), prefix);
    process->setProcessEnvironment(env);
    process->start(QCoreApplication::applicationFilePath(),
                   {QStringLiteral("--gtest_also_run_disabled_tests"),
                    QStringLiteral("--gtest_filter=UserDefaultsFaultChild.") + testName});
    return process;
}

/// A large value that tells which version wrote it, so a mix of two versions shows.
QString payload(int version) {
    return QString::number(version).repeated(1 + 200'000 / (QString::number(version).size() + 1)) +
           QStringLiteral("#") + QString::number(version);
}

/// Written straight to the descriptor, so the line is out before the next write starts.
void report(const QByteArray& line) {
    const QByteArray bytes = line + '\n';
    ASSERT_EQ(::write(STDOUT_FILENO, bytes.constData(), size_t(bytes.size())), bytes.size());
}

/// The version of the record in @p object, or -1 when it is not a whole, consistent record.
int recordVersion(const QJsonObject& object) {
    for (int i = 0; i < kStaticKeys; ++i) {
        if (object.value(QStringLiteral("static.%1").arg(i)) != QJsonValue(i))
            return -1;
    }
    const QJsonObject record = object.value(QStringLiteral("record")).toObject();
    const QJsonValue version = record.value(QStringLiteral("version"));
    if (!version.isDouble())
        return -1;
    const int number = version.toInt();
    return record.value(QStringLiteral("payload")) == QJsonValue(payload(number)) ? number : -1;
}

/// The last whole "committed <n>" line of @p output, or @p none.
int lastCommitted(const QByteArray& output, int none) {
    int committed = none;
    for (const QByteArray& line : output.split('\n')) {
        if (!line.startsWith("committed "))
            continue;
        bool ok = false;
        const int number = line.mid(10).toInt(&ok);
        if (ok)
            committed = number;
    }
    return committed;
}

} // namespace

// Runs only as a child of KilledWriterLeavesTheOldOrTheNewFile: writes ever
// newer records until it is killed.
TEST(UserDefaultsFaultChild, DISABLED_WriteRecordsUntilKilled) {
    UserDefaults defaults(kDomain, qEnvironmentVariable("VELTO_CHILD_FOLDER"));
    int version = recordVersion(defaults.dictionaryRepresentation());
    ASSERT_GE(version, 0) << "the file was not whole when this writer started";
    report("ready");
    for (;;) {
        ++version;
        const QJsonObject record{{QStringLiteral("version"), version},
                                 {QStringLiteral("payload"), payload(version)}};
        ASSERT_TRUE(defaults.setValue(QStringLiteral("record"), record));
        report("committed " + QByteArray::number(version));
    }
}

// Runs only as a child of TwoProcessesWritingAtOnceLoseNoKey.
TEST(UserDefaultsFaultChild, DISABLED_WriteThousandKeys) {
    const QString folder = qEnvironmentVariable("VELTO_CHILD_FOLDER");
    const QString prefix = qEnvironmentVariable("VELTO_CHILD_PREFIX");
    // Start together so the writes interleave.
    ASSERT_TRUE(QFile(folder + QStringLiteral("/ready-") + prefix).open(QIODevice::WriteOnly));
    QElapsedTimer waited;
    waited.start();
    while (QDir(folder).entryList({QStringLiteral("ready-*")}, QDir::Files).size() < 2) {
        ASSERT_LT(waited.elapsed(), 20'000) << "the other writer never started";
        QThread::usleep(200);
    }
    UserDefaults defaults(kDomain, folder);
    for (int i = 0; i < kKeysPerWriter; ++i)
        ASSERT_TRUE(defaults.setValue(prefix + QString::number(i), i)) << i;
}

TEST(UserDefaultsFaults, KilledWriterLeavesTheOldOrTheNewFile) {
    const QString folder = velto::test::makeTempFolder();
    {
        UserDefaults defaults(kDomain, folder);
        for (int i = 0; i < kStaticKeys; ++i)
            ASSERT_TRUE(defaults.setValue(QStringLiteral("static.%1").arg(i), i));
        ASSERT_TRUE(defaults.setValue(
            QStringLiteral("record"),
            QJsonObject{{QStringLiteral("version"), 0}, {QStringLiteral("payload"), payload(0)}}));
    }
    const QString path = folder + QLatin1Char('/') + kDomain + QStringLiteral(".json");

    const unsigned seed = qEnvironmentVariableIsSet("VELTO_FAULT_SEED")
                              ? unsigned(qEnvironmentVariableIntValue("VELTO_FAULT_SEED"))
                              : std::random_device{}();
    SCOPED_TRACE("VELTO_FAULT_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> killAfterMicroseconds(0, 40'000);

    int version = 0;
    int inProgressWriteLost = 0;
    for (int round = 0; round < kKillRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        QObject owner;
        QProcess* writer =
            startChild(QStringLiteral("DISABLED_WriteRecordsUntilKilled"), folder, {}, &owner);
        ASSERT_TRUE(writer->waitForStarted(10'000));
        QByteArray output;
        QElapsedTimer waited;
        waited.start();
        while (!output.contains("ready\n")) {
            ASSERT_EQ(writer->state(), QProcess::Running) << output.toStdString();
            ASSERT_LT(waited.elapsed(), 30'000);
            writer->waitForReadyRead(100);
            output += writer->readAllStandardOutput();
        }
        // Every other round lets one write finish first, so that the rounds
        // also kill writers that replace an earlier record of their own, however
        // slow a loaded machine makes each write.
        while (round % 2 == 1 && !output.contains("committed")) {
            ASSERT_EQ(writer->state(), QProcess::Running) << output.toStdString();
            ASSERT_LT(waited.elapsed(), 30'000);
            writer->waitForReadyRead(100);
            output += writer->readAllStandardOutput();
        }
        QThread::usleep(killAfterMicroseconds(random));
        writer->kill(); // SIGKILL: no handler, no flush, no clean-up
        ASSERT_TRUE(writer->waitForFinished(10'000));
        output += writer->readAllStandardOutput();
        EXPECT_EQ(writer->exitStatus(), QProcess::CrashExit) << output.toStdString();

        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
        ASSERT_TRUE(document.isObject());
        const int onDisk = recordVersion(document.object());
        // The last write it reported is there, or the one after it, whose
        // rename happened just before the kill.
        const int committed = lastCommitted(output, version);
        ASSERT_TRUE(onDisk == committed || onDisk == committed + 1)
            << "on disk " << onDisk << ", last committed " << committed;
        inProgressWriteLost += onDisk == committed;
        version = onDisk;
    }
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".corrupt")));
    EXPECT_GT(version, 0) << "no writer ever got a record written";
    EXPECT_EQ(recordVersion(UserDefaults(kDomain, folder).dictionaryRepresentation()), version);
    RecordProperty("in_progress_write_lost", inProgressWriteLost);
}

TEST(UserDefaultsFaults, TwoProcessesWritingAtOnceLoseNoKey) {
    // What is tested is the merge under the lock, not the disk. On tmpfs an
    // fsync costs nothing, which keeps 2,000 serialised writes to seconds.
    std::optional<QTemporaryDir> memory;
    if (QFileInfo(QStringLiteral("/dev/shm")).isDir() &&
        QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        memory.emplace(QStringLiteral("/dev/shm/velto-test-XXXXXX"));
    const QString folder =
        memory && memory->isValid() ? memory->path() : velto::test::makeTempFolder();
    QObject owner;
    QProcess* first = startChild(QStringLiteral("DISABLED_WriteThousandKeys"), folder,
                                 QStringLiteral("a"), &owner);
    QProcess* second = startChild(QStringLiteral("DISABLED_WriteThousandKeys"), folder,
                                  QStringLiteral("b"), &owner);
    for (QProcess* child : {first, second}) {
        ASSERT_TRUE(child->waitForFinished(200'000));
        EXPECT_EQ(child->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child->exitCode(), 0) << child->readAll().toStdString();
    }

    const QJsonObject object = UserDefaults(kDomain, folder).dictionaryRepresentation();
    EXPECT_EQ(object.size(), 2 * kKeysPerWriter);
    int lost = 0;
    for (const char* prefix : {"a", "b"}) {
        for (int i = 0; i < kKeysPerWriter; ++i)
            lost += object.value(QLatin1String(prefix) + QString::number(i)) != QJsonValue(i);
    }
    EXPECT_EQ(lost, 0);
}

TEST(UserDefaultsFaults, AnOwnerlessLockLeftByAKilledWriterIsTakenOver) {
    // What a writer killed between creating the lock file and writing its PID
    // leaves; and, with it, the removal lock of one killed while it took such a
    // lock over, which Qt itself would honour for 30 s.
    for (const bool removalLockToo : {false, true}) {
        SCOPED_TRACE(removalLockToo ? "with an ownerless removal lock" : "lock only");
        const QString folder = velto::test::makeTempFolder();
        const QString lockPath = folder + QLatin1Char('/') + kDomain + QStringLiteral(".json.lock");
        for (const QString& path : removalLockToo
                                       ? QStringList{lockPath, lockPath + QStringLiteral(".rmlock")}
                                       : QStringList{lockPath}) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.close();
        }
        UserDefaults defaults(kDomain, folder);
        EXPECT_TRUE(defaults.setValue(QStringLiteral("after.crash"), true));
        EXPECT_EQ(UserDefaults(kDomain, folder).boolValue(QStringLiteral("after.crash")), true);
    }
}
