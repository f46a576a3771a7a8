#include "SettingsStore.h"

#include "ApplicationWiring.h"
#include "Support/TestEnvironment.h"

#include <Platform/UserDefaults.h>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace velto;
using velto::platform::LaunchAtLogin;
using velto::platform::UserDefaults;

namespace {

const QString kDomain = QStringLiteral("org.velto.velto");

/// Everything written to file descriptor 1 while @p work runs.
QByteArray captureStandardOutput(const std::function<void()>& work) {
    const QString path = test::makeTempFolder() + QStringLiteral("/stdout");
    std::fflush(stdout);
    const int saved = ::dup(STDOUT_FILENO);
    const int file = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT, 0600);
    ::dup2(file, STDOUT_FILENO);
    ::close(file);
    work();
    std::fflush(stdout);
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
    QFile captured(path);
    return captured.open(QIODevice::ReadOnly) ? captured.readAll() : QByteArray("<not captured>");
}

class SettingsStoreTest : public testing::Test {
protected:
    SettingsStoreTest()
        : m_defaults(kDomain, test::makeTempFolder()),
          m_store(m_defaults, LaunchAtLogin(test::makeTempFolder(), QStringLiteral("/opt/velto"))) {
    }

    void writeDomain(const QByteArray& json) {
        QFile file(m_defaults.filePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(json), json.size());
    }

    QJsonObject onDisk() const {
        QFile file(m_defaults.filePath());
        return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object()
                                              : QJsonObject();
    }

    UserDefaults m_defaults;
    SettingsStore m_store;
};

} // namespace

TEST_F(SettingsStoreTest, FreshDomainReadsTheDefaultsWithoutWritingAnything) {
    EXPECT_EQ(m_store.refreshInterval(), 1.0);
    EXPECT_TRUE(m_store.isEnabled(QStringLiteral("cpu")));
    EXPECT_TRUE(m_store.isEnabled(QStringLiteral("never seen")));
    EXPECT_TRUE(m_store.publicIPLookupEnabled());
    EXPECT_FALSE(m_store.compactMenuBar());
    EXPECT_FALSE(m_store.launchAtLoginEnabled());
    EXPECT_FALSE(QFileInfo::exists(m_defaults.filePath()));
}

TEST_F(SettingsStoreTest, WrongTypesOnDiskReadAsTheDefaults) {
    writeDomain(R"({"widget.cpu.enabled": "no", "widget.ram.enabled": 0, "widget.gpu.enabled": 2,
                    "publicIPLookupEnabled": "false", "refreshInterval": "5",
                    "compactMenuBar": "true", "combineMenuBarItems": true})");
    EXPECT_TRUE(m_store.isEnabled(QStringLiteral("cpu")));
    EXPECT_FALSE(m_store.isEnabled(QStringLiteral("ram")));
    EXPECT_TRUE(m_store.isEnabled(QStringLiteral("gpu")));
    EXPECT_TRUE(m_store.publicIPLookupEnabled());
    EXPECT_EQ(m_store.refreshInterval(), 1.0);
    EXPECT_FALSE(m_store.compactMenuBar()) << "the text under the new key hides the older key";
}

TEST_F(SettingsStoreTest, SettersWriteTheRegisteredKeysAndNothingIsClamped) {
    writeDomain(R"({"combineMenuBarItems": true})");
    EXPECT_TRUE(m_store.compactMenuBar());
    m_store.setCompactMenuBar(false);
    m_store.setEnabled(false, QStringLiteral("my plug.in"));
    m_store.setPublicIPLookupEnabled(false);
    m_store.setRefreshInterval(-3);
    EXPECT_EQ(onDisk(), QJsonObject({{QStringLiteral("combineMenuBarItems"), true},
                                     {QStringLiteral("compactMenuBar"), false},
                                     {QStringLiteral("widget.my plug.in.enabled"), false},
                                     {QStringLiteral("publicIPLookupEnabled"), false},
                                     {QStringLiteral("refreshInterval"), -3}}));
    EXPECT_FALSE(m_store.compactMenuBar());
    EXPECT_FALSE(m_store.isEnabled(QStringLiteral("my plug.in")));
    EXPECT_EQ(m_store.refreshInterval(), 1.0);
    m_store.setRefreshInterval(12);
    EXPECT_EQ(m_store.refreshInterval(), 12.0);
}

TEST_F(SettingsStoreTest, ObserversAreToldBeforeEveryWriteEvenOfAnEqualValue) {
    std::vector<double> seen;
    QObject::connect(&m_store, &Observable::willChange,
                     [&] { seen.push_back(m_store.refreshInterval()); });
    const auto inode = [&] {
        struct stat info {};
        ::stat(QFile::encodeName(m_defaults.filePath()).constData(), &info);
        return info.st_ino;
    };
    m_store.setRefreshInterval(2.0);
    const ino_t first = inode();
    m_store.setRefreshInterval(2.0);
    EXPECT_EQ(seen, (std::vector<double>{1.0, 2.0})) << "the old value when told";
    EXPECT_NE(inode(), first) << "an equal value is written again";

    seen.clear();
    m_store.setEnabled(true, QStringLiteral("cpu"));
    m_store.setPublicIPLookupEnabled(true);
    m_store.setCompactMenuBar(false);
    m_store.setLaunchAtLoginEnabled(false);
    EXPECT_EQ(seen.size(), 4u);
}

TEST_F(SettingsStoreTest, FailedLaunchAtLoginChangePrintsOneLine) {
    // A plain file where the autostart folder's parent should be.
    const QString blocked = test::makeTempFolder() + QStringLiteral("/file");
    ASSERT_TRUE(QFile(blocked).open(QIODevice::WriteOnly));
    SettingsStore store(m_defaults, LaunchAtLogin(blocked + QStringLiteral("/autostart"),
                                                  QStringLiteral("/opt/velto")));
    bool toldFirst = false;
    QObject::connect(&store, &Observable::willChange, [&] { toldFirst = true; });

    const QByteArray output = captureStandardOutput([&] { store.setLaunchAtLoginEnabled(true); });
    EXPECT_TRUE(toldFirst);
    EXPECT_EQ(output.count('\n'), 1) << output.toStdString();
    EXPECT_TRUE(output.startsWith("SettingsStore: launch-at-login change failed: cannot create"))
        << output.toStdString();
    EXPECT_FALSE(store.launchAtLoginEnabled());
    EXPECT_FALSE(QFileInfo::exists(m_defaults.filePath())) << "launch at login is never stored";
}

TEST(SettingsStartup, PrepareSettingsMigratesAndThenOpensTheStoreOnTheChosenDomain) {
    UserDefaults defaults(kDomain, test::makeTempFolder());
    ASSERT_TRUE(defaults.setValue(QStringLiteral("NSStatusItem Preferred Position Item-0"), 120));
    ASSERT_TRUE(defaults.setValue(QStringLiteral("refreshInterval"), 2.5));
    StartupContext context;
    ApplicationWiring::prepareSettings(context);
    EXPECT_EQ(context.settings, nullptr) << "no domain, no store, no crash";

    context.defaults = &defaults;
    ApplicationWiring::prepareSettings(context);
    ASSERT_NE(context.settings, nullptr);
    EXPECT_EQ(&context.settings->defaults(), &defaults);
    EXPECT_EQ(defaults.dictionaryRepresentation(),
              QJsonObject({{QStringLiteral("refreshInterval"), 2.5},
                           {QStringLiteral("statusItemNamesMigrated"), true}}));
}
