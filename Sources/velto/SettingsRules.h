#pragma once

#include <QJsonValue>
#include <optional>

/// How stored settings read back. Pure: the store passes in what the domain holds.
namespace velto::SettingsRules {

inline constexpr double kDefaultRefreshInterval = 1.0;

/**
 * A stored JSON boolean, or the number 0 or 1, as a Bool. Anything else
 * (absence, text such as "no", null, 2, 0.5, an array) is @p fallback.
 */
bool objectAsBool(const std::optional<QJsonValue>& stored, bool fallback);

/**
 * The stored number of seconds. Absence and other types read as 0; anything
 * not greater than 0, or not finite, reads as kDefaultRefreshInterval.
 */
double refreshInterval(const std::optional<QJsonValue>& stored);

/**
 * The compact menu bar setting: @p compactMenuBar as a Bool when anything at
 * all is stored there, else @p combineMenuBarItems; false by default. A
 * wrongly typed "compactMenuBar" reads as false, never as the older key.
 */
bool compactMenuBar(const std::optional<QJsonValue>& compactMenuBar,
                    const std::optional<QJsonValue>& combineMenuBarItems);

} // namespace velto::SettingsRules
