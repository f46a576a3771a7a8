#pragma once

#include <QJsonObject>
#include <QString>
#include <optional>

namespace velto {

/// The version line of the updates section.
namespace VersionLine {

/**
 * "Version <CFBundleShortVersionString> (<CFBundleVersion>)", each value
 * replaced by "?" when the Info dictionary is absent or empty, the key is
 * missing, or its value is not text: Version 1.4 (27).
 */
QString text(const std::optional<QJsonObject>& infoDictionary);

} // namespace VersionLine
} // namespace velto
