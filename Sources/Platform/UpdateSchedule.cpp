#include "Platform/UpdateSchedule.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velto::platform::UpdateSchedule {

std::chrono::milliseconds delayUntilNextCheck(std::optional<double> lastCheckSeconds,
                                              double nowSeconds, std::chrono::milliseconds interval,
                                              std::chrono::milliseconds soonest) {
    // Worked out in doubles: the stored time comes from a file and may be anything.
    constexpr double timerLimitMs = static_cast<double>(std::numeric_limits<int>::max());
    const double longest = std::clamp(static_cast<double>(interval.count()), 0.0, timerLimitMs);
    const double shortest = std::clamp(static_cast<double>(soonest.count()), 0.0, longest);
    double remaining = shortest;
    if (lastCheckSeconds && std::isfinite(*lastCheckSeconds) && std::isfinite(nowSeconds)) {
        // May overflow to an infinity either way; the clamp below handles both.
        const double elapsedMs = (nowSeconds - *lastCheckSeconds) * 1000.0;
        remaining = longest - elapsedMs;
    }
    return std::chrono::milliseconds(
        static_cast<long long>(std::llround(std::clamp(remaining, shortest, longest))));
}

} // namespace velto::platform::UpdateSchedule
