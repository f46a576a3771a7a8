#include "SettingsRules.h"

#include <cmath>

namespace velto::SettingsRules {

bool objectAsBool(const std::optional<QJsonValue>& stored, bool fallback) {
    if (!stored)
        return fallback;
    if (stored->isBool())
        return stored->toBool();
    if (stored->isDouble()) {
        const double number = stored->toDouble();
        if (number == 0.0)
            return false;
        if (number == 1.0)
            return true;
    }
    return fallback;
}

double refreshInterval(const std::optional<QJsonValue>& stored) {
    const double seconds = stored && stored->isDouble() ? stored->toDouble() : 0.0;
    // JSON has no infinity: a non-finite value written now would read back as
    // null after the next start, so it reads as the default already.
    if (!(seconds > 0.0) || !std::isfinite(seconds))
        return kDefaultRefreshInterval;
    return seconds;
}

bool compactMenuBar(const std::optional<QJsonValue>& compactMenuBar,
                    const std::optional<QJsonValue>& combineMenuBarItems) {
    return objectAsBool(compactMenuBar ? compactMenuBar : combineMenuBarItems, false);
}

} // namespace velto::SettingsRules
