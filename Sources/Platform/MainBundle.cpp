#include "Platform/MainBundle.h"

#include "Platform/Bundle.h"
#include "Platform/InfoDictionary.h"

#include <QDir>
#include <QFileInfo>

namespace velto::platform::MainBundle {

QString path() {
    const QFileInfo executable(QStringLiteral("/proc/self/exe"));
    const QString resolved = executable.canonicalFilePath();
    if (resolved.isEmpty())
        return QDir::currentPath();
    return QDir::cleanPath(QFileInfo(resolved).absolutePath() + QStringLiteral("/../.."));
}

QJsonObject infoDictionary() {
    const std::optional<Bundle> bundle = Bundle::open(path());
    if (!bundle)
        return {};
    return bundle->infoDictionary().value_or(QJsonObject{});
}

QString bundleIdentifier(const QString& fallback) {
    const std::optional<QString> identifier =
        InfoDictionary::string(infoDictionary(), QStringLiteral("CFBundleIdentifier"));
    return identifier && !identifier->isEmpty() ? *identifier : fallback;
}

QString builtInPluginsPath() {
    return path() + QStringLiteral("/Contents/Resources/Plugins");
}

} // namespace velto::platform::MainBundle
