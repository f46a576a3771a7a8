#include "RAMCore/RAMGaugeFormat.h"

#include <VeltoPluginKit/FixedText.h>

namespace velto::RAMGaugeFormat {

QString used(double fraction) {
    return QLatin1String("Used  ") + FixedText::text(fraction * 100.0, 0) + QLatin1Char('%');
}

} // namespace velto::RAMGaugeFormat
