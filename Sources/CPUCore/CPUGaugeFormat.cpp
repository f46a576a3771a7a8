#include "CPUCore/CPUGaugeFormat.h"

#include <cstdio>

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
    char text[32];
    std::snprintf(text, sizeof text, "%3.0f%%", fraction * 100.0);
    return QString::fromLatin1(text);
}

QString total(double fraction) {
    char text[48];
    std::snprintf(text, sizeof text, "Total  %.0f%%", fraction * 100.0);
    return QString::fromLatin1(text);
}

QString coreLabel(std::size_t index) {
    char text[32];
    std::snprintf(text, sizeof text, "Core %llu", static_cast<unsigned long long>(index) + 1);
    return QString::fromLatin1(text);
}

QString waitingText() {
    return QStringLiteral("Waiting for data\u2026");
}

} // namespace velto::CPUGaugeFormat
