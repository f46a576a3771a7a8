#include "GPUCore/GPUCalculator.h"

#include <cmath>

namespace velto::GPUCalculator {
namespace {

bool isNumber(const QVariant& value) {
    // QVariant converts text such as "37" and booleans to numbers; the statistics
    // count only real numbers.
    switch (value.typeId()) {
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Float:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

} // namespace

std::optional<double> utilization(const QVariantMap& performanceStatistics) {
    if (performanceStatistics.isEmpty()) {
        return std::nullopt;
    }
    const auto found = performanceStatistics.constFind(utilizationKey());
    if (found == performanceStatistics.constEnd() || !isNumber(*found)) {
        return std::nullopt;
    }
    double fraction = found->toDouble() / 100.0;
    // NaN passes both clamps untouched and would print as "nan%".
    if (std::isnan(fraction)) {
        return std::nullopt;
    }
    if (fraction <= 0.0) {
        fraction = 0.0;
    }
    if (fraction > 1.0) {
        fraction = 1.0;
    }
    return fraction;
}

} // namespace velto::GPUCalculator
