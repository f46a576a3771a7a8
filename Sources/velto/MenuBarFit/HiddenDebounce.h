#pragma once

namespace velto {

/**
 * Counts visibility checks in a row that found an item hidden, so that one
 * odd check cannot switch compact mode on. A value; copy it freely.
 */
struct HiddenDebounce {
    /// Checks in a row needed before the switch.
    static constexpr int threshold = 3;

    int streak = 0;

    /// Counts a hidden check, or starts over on a shown one; true once the
    /// streak has reached the threshold.
    bool record(bool hidden);
    void reset() { streak = 0; }
};

} // namespace velto
