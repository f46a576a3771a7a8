#include "Platform/StandardPaths.h"

#include "Support/TestEnvironment.h"

#include <QDir>
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

namespace sp = velto::platform::StandardPaths;

namespace {

void setEnv(const char* name, const QString& value) {
    qputenv(name, value.toUtf8());
}

} // namespace

TEST(StandardPaths, AbsoluteXdgVariablesAreUsed) {
    const QString root = velto::test::sandboxRoot();
    setEnv("XDG_CONFIG_HOME", root + QStringLiteral("/conf/"));
    setEnv("XDG_DATA_HOME", root + QStringLiteral("/share//data"));

    EXPECT_EQ(sp::configHome(), root + QStringLiteral("/conf"));
    EXPECT_EQ(sp::dataHome(), root + QStringLiteral("/share/data"));
    EXPECT_EQ(sp::defaultsFolder(), root + QStringLiteral("/conf/velto"));
    EXPECT_EQ(sp::userPluginFolder(), root + QStringLiteral("/share/data/velto/Plugins"));
}

TEST(StandardPaths, UnsetEmptyOrRelativeXdgVariablesFallBackToHome) {
    const QString home = velto::test::sandboxRoot() + QStringLiteral("/home");
    setEnv("HOME", home);

    for (const char* value : {"", "relative/conf", "./conf"}) {
        SCOPED_TRACE(value);
        qputenv("XDG_CONFIG_HOME", value);
        qputenv("XDG_DATA_HOME", value);
        EXPECT_EQ(sp::configHome(), home + QStringLiteral("/.config"));
        EXPECT_EQ(sp::dataHome(), home + QStringLiteral("/.local/share"));
    }

    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(sp::defaultsFolder(), home + QStringLiteral("/.config/velto"));
    EXPECT_EQ(sp::userPluginFolder(), home + QStringLiteral("/.local/share/velto/Plugins"));
}

TEST(StandardPaths, EnvironmentIsReadOnEveryCall) {
    qunsetenv("XDG_CONFIG_HOME");
    setEnv("HOME", QStringLiteral("/first"));
    EXPECT_EQ(sp::configHome(), QStringLiteral("/first/.config"));
    setEnv("HOME", QStringLiteral("/second"));
    EXPECT_EQ(sp::configHome(), QStringLiteral("/second/.config"));
    setEnv("XDG_CONFIG_HOME", QStringLiteral("/third"));
    EXPECT_EQ(sp::configHome(), QStringLiteral("/third"));
}

TEST(StandardPaths, MissingHomeFallsBackToThePasswordDatabase) {
    const passwd* entry = ::getpwuid(::getuid());
    if (!entry || !entry->pw_dir || !*entry->pw_dir)
        GTEST_SKIP() << "no password entry for this user";
    const QString home = QDir::cleanPath(QString::fromLocal8Bit(entry->pw_dir));

    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DATA_HOME");
    for (bool unset : {true, false}) {
        SCOPED_TRACE(unset ? "HOME unset" : "HOME empty");
        if (unset)
            qunsetenv("HOME");
        else
            qputenv("HOME", "");
        EXPECT_EQ(sp::configHome(), QDir::cleanPath(home + QStringLiteral("/.config")));
        EXPECT_EQ(sp::dataHome(), QDir::cleanPath(home + QStringLiteral("/.local/share")));
    }
}
