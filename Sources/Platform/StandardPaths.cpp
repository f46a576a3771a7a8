#include "Platform/StandardPaths.h"

#include <QDir>
#include <QFile>
#include <pwd.h>
#include <unistd.h>

namespace velto::platform::StandardPaths {

namespace {

QString homeFolder() {
    const QString home = qEnvironmentVariable("HOME");
    if (!home.isEmpty())
        return home;
    // Services started without a login shell may have no HOME at all.
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir && *entry->pw_dir)
        return QFile::decodeName(entry->pw_dir);
    return QDir::homePath();
}

// The XDG base-directory rules: a relative value is invalid and ignored.
QString xdgFolder(const char* variable, const QString& fallbackBelowHome) {
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::cleanPath(homeFolder() + QLatin1Char('/') + fallbackBelowHome);
}

} // namespace

QString configHome() {
    return xdgFolder("XDG_CONFIG_HOME", QStringLiteral(".config"));
}

QString dataHome() {
    return xdgFolder("XDG_DATA_HOME", QStringLiteral(".local/share"));
}

QString defaultsFolder() {
    return QDir::cleanPath(configHome() + QStringLiteral("/velto"));
}

QString userPluginFolder() {
    return QDir::cleanPath(dataHome() + QStringLiteral("/velto/Plugins"));
}

} // namespace velto::platform::StandardPaths
