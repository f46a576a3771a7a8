#pragma once

#include <QJsonObject>
#include <QString>

namespace velto::platform {

/**
 * The running application's bundle, found from /proc/self/exe: the executable
 * is velto.app/Contents/Linux/velto, so the bundle is two folders up.
 */
namespace MainBundle {

/// The bundle folder, e.g. /opt/velto.app.
QString path();
/// Its Info dictionary; empty when there is none.
QJsonObject infoDictionary();
/// CFBundleIdentifier of the Info dictionary, or @p fallback.
QString bundleIdentifier(const QString& fallback);
/// path() + "/Contents/Resources/Plugins".
QString builtInPluginsPath();

} // namespace MainBundle
} // namespace velto::platform
