#pragma once

#include <optional>

namespace velto {

/**
 * Whether the display arrangement has been left alone long enough to trust
 * what the screens report. Times are seconds on one monotonic clock. A value.
 */
struct DisplaySettle {
    explicit DisplaySettle(double quiet) : quietPeriod(quiet) {}

    /// How long the displays must stay unchanged.
    double quietPeriod;
    /// When the last change was noted; absent until the first.
    std::optional<double> lastChange;

    void noteChange(double at) { lastChange = at; }
    /// True when no change was ever noted, or the last one is at least quietPeriod old.
    bool isSettled(double now) const;
};

} // namespace velto
