#include "GPUCore/GPUGaugeFormat.h"

#include <VeltoPluginKit/FixedText.h>

namespace velto::GPUGaugeFormat {

QString menuBarText(std::optional<double> fraction) {
    if (!fraction) {
        return QStringLiteral("  \u2014 ");
    }
    return FixedText::text(*fraction * 100.0, 0, 3) + QLatin1Char('%');
}

QString utilizationText(double fraction) {
    return QLatin1String("Utilization  ") + FixedText::text(fraction * 100.0, 0) + QLatin1Char('%');
}

QString notReportedText() {
    return QStringLiteral("Not reported on this Mac.");
}

QString notReportedExplanation() {
    return QStringLiteral(
        "macOS did not expose GPU counters here. This is common inside virtual machines, "
        "which use a virtual GPU. It can also happen after a macOS update changes the "
        "counter name.");
}

} // namespace velto::GPUGaugeFormat
