#pragma once

#include <QVariantMap>
#include <optional>
#include <string_view>

/// How the DRM class folder in sysfs names its cards and what their busy file holds.
namespace velto::DrmStatistics {

/// N for an entry named "cardN"; absent for connectors ("card0-DP-1"), render nodes
/// ("renderD128") and anything else.
std::optional<unsigned> cardNumber(std::string_view entryName);

/// The statistics dictionary of a card from the text of its device/gpu_busy_percent:
/// the integer under "Device Utilization %", or an empty dictionary when the text is
/// not one integer (surrounding white space aside).
QVariantMap fromBusyPercent(std::string_view text);

} // namespace velto::DrmStatistics
