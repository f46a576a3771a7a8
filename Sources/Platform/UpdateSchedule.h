#pragma once

#include <chrono>
#include <optional>

namespace velto::platform {

/// When the updater checks on its own.
namespace UpdateSchedule {

/**
 * How long to wait before the next automatic check, given the time of the last
 * completed one (seconds since the epoch, absent when there was none) and now:
 * what is left of @p interval since that check, but never less than @p soonest
 * (so a check is not fired the moment the application starts) and never more
 * than @p interval (so a clock set back, or a nonsense stored time, cannot push
 * the check off for good). Also never beyond what a Qt timer can count.
 */
std::chrono::milliseconds delayUntilNextCheck(std::optional<double> lastCheckSeconds,
                                              double nowSeconds, std::chrono::milliseconds interval,
                                              std::chrono::milliseconds soonest);

} // namespace UpdateSchedule
} // namespace velto::platform
