#pragma once

#include <QString>
#include <QVariantMap>
#include <optional>

namespace velto::GPUCalculator {

/// The one key read from an accelerator's statistics: its busy time in percent.
inline QString utilizationKey() {
    return QStringLiteral("Device Utilization %");
}

/// The busy fraction of one accelerator from its statistics dictionary: the number
/// under utilizationKey() divided by 100 and clamped to [0, 1]. Absent for an empty
/// dictionary, a missing key, or a value that is not a number (text and booleans
/// included) or is NaN.
std::optional<double> utilization(const QVariantMap& performanceStatistics);

} // namespace velto::GPUCalculator
