#include "Support/TestEnvironment.h"

#include <Platform/LaunchAtLogin.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using velto::platform::LaunchAtLogin;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class LaunchAtLoginTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(m_executable).path()));
        ASSERT_TRUE(writeFile(m_executable, "#!/bin/sh\n"));
    }

    const QString m_folder = velto::test::makeTempFolder();
    // Characters a desktop entry must quote and escape.
    const QString m_executable = m_folder + QStringLiteral("/my \"apps\" $1 \\ 100%/velto");
    const QString m_entry = m_folder + QStringLiteral("/autostart/velto.desktop");
    LaunchAtLogin m_launch{m_folder + QStringLiteral("/autostart"), m_executable};
};

} // namespace

TEST_F(LaunchAtLoginTest, EnableWritesAnEntryForThisExecutableAndDisableRemovesIt) {
    EXPECT_FALSE(m_launch.isEnabled());
    ASSERT_TRUE(m_launch.setEnabled(true));
    EXPECT_TRUE(m_launch.isEnabled());
    EXPECT_TRUE(m_launch.setEnabled(true));
    EXPECT_TRUE(m_launch.setEnabled(false));
    EXPECT_FALSE(QFileInfo::exists(m_entry));
    EXPECT_FALSE(m_launch.isEnabled());
    EXPECT_TRUE(m_launch.setEnabled(false)) << "nothing to remove is no fault";

    // A link to the same file runs the same program.
    const QString link = m_folder + QStringLiteral("/link");
    ASSERT_TRUE(QFile::link(m_executable, link));
    ASSERT_TRUE(LaunchAtLogin(m_folder + QStringLiteral("/autostart"), link).setEnabled(true));
    EXPECT_TRUE(m_launch.isEnabled());
}

TEST_F(LaunchAtLoginTest, DefaultFolderIsTheAutostartFolderOfTheConfigHome) {
    EXPECT_EQ(LaunchAtLogin().entryPath(),
              velto::test::sandboxRoot() + QStringLiteral("/config/autostart/velto.desktop"));
}

TEST_F(LaunchAtLoginTest, EntryForAnotherProgramIsNotOursAndIsLeftAlone) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(m_entry).path()));
    const QByteArray other = "[Desktop Entry]\nType=Application\nExec=/usr/bin/other --tray\n";
    ASSERT_TRUE(writeFile(m_entry, other));
    EXPECT_FALSE(m_launch.isEnabled());
    EXPECT_TRUE(m_launch.setEnabled(false));
    EXPECT_EQ(readFile(m_entry), other);
    ASSERT_TRUE(m_launch.setEnabled(true));
    EXPECT_TRUE(m_launch.isEnabled());
}

TEST_F(LaunchAtLoginTest, EntrySwitchedOffByTheDesktopReadsAsOffUntilEnabledAgain) {
    ASSERT_TRUE(m_launch.setEnabled(true));
    const QByteArray ours = readFile(m_entry);
    for (const QByteArray& off : {QByteArray("Hidden=true\n"), QByteArray("Hidden = true\n"),
                                  QByteArray("X-GNOME-Autostart-enabled=false\n")}) {
        ASSERT_TRUE(
            writeFile(m_entry, QByteArray(ours).replace("X-GNOME-Autostart-enabled=true\n", off)));
        EXPECT_FALSE(m_launch.isEnabled()) << off.toStdString();
    }
    ASSERT_TRUE(m_launch.setEnabled(true));
    EXPECT_TRUE(m_launch.isEnabled());
    // Not an entry at all: garbage, or a folder in its place.
    ASSERT_TRUE(writeFile(m_entry, QByteArray("\x00\xff[Desktop Entry]", 17)));
    EXPECT_FALSE(m_launch.isEnabled());
    ASSERT_TRUE(QFile::remove(m_entry) && QDir().mkpath(m_entry));
    EXPECT_FALSE(m_launch.isEnabled());
    EXPECT_FALSE(m_launch.setEnabled(true));
}

TEST_F(LaunchAtLoginTest, UnwritableFolderFailsWithAReason) {
    ASSERT_TRUE(writeFile(m_folder + QStringLiteral("/blocked"), "plain file"));
    LaunchAtLogin launch(m_folder + QStringLiteral("/blocked/autostart"), m_executable);
    const velto::platform::Status result = launch.setEnabled(true);
    ASSERT_FALSE(result);
    EXPECT_TRUE(result.error().contains(m_folder + QStringLiteral("/blocked/autostart")))
        << result.error().toStdString();
    EXPECT_FALSE(launch.isEnabled());
}
