#include "RAMCore/RAMGaugeFormat.h"

#include <cstdio>

namespace velto::RAMGaugeFormat {

QString used(double fraction) {
    char text[48];
    std::snprintf(text, sizeof text, "Used  %.0f%%", fraction * 100.0);
    return QString::fromLatin1(text);
}

} // namespace velto::RAMGaugeFormat
