#include "GPUCore/GPUGaugeFormat.h"

#include <cstdio>

namespace velto::GPUGaugeFormat {

QString menuBarText(std::optional<double> fraction) {
    if (!fraction) {
        return QStringLiteral("  \u2014 ");
    }
    char text[32];
    std::snprintf(text, sizeof text, "%3.0f%%", *fraction * 100.0);
    return QString::fromLatin1(text);
}

QString utilizationText(double fraction) {
    char text[48];
    std::snprintf(text, sizeof text, "Utilization  %.0f%%", fraction * 100.0);
    return QString::fromLatin1(text);
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
