#include "CPUCore/CPUGaugeFormat.h"

#include <VeltoPluginKit/FixedText.h>

namespace velto::CPUGaugeFormat {

LoadLevel loadLevel(double fraction) {
    if (fraction >= 0.9) {
        return LoadLevel::Critical;
    }
    if (fraction >= 0.75) {
        return LoadLevel::Elevated;
    }
    return LoadLevel::Normal;
}

QColor loadColor(LoadLevel level, const QColor& primary) {
    switch (level) {
    case LoadLevel::Critical:
        return QColor(255, 59, 48);
    case LoadLevel::Elevated:
        return QColor(255, 149, 0);
    case LoadLevel::Normal:
        break;
    }
    return primary;
}

QString percent(double fraction) {
    return FixedText::text(fraction * 100.0, 0, 3) + QLatin1Char('%');
}

QString total(double fraction) {
    return QLatin1String("Total  ") + FixedText::text(fraction * 100.0, 0) + QLatin1Char('%');
}

QString coreLabel(std::size_t index) {
    return QLatin1String("Core ") + QString::number(static_cast<qulonglong>(index) + 1);
}

QString waitingText() {
    return QStringLiteral("Waiting for data\u2026");
}

} // namespace velto::CPUGaugeFormat
