#pragma once

#include <QPointF>
#include <QRectF>
#include <cstddef>
#include <optional>
#include <vector>

namespace velto::platform {

/**
 * How velto's own bar places its items: like a menu bar, from the right edge
 * leftward in the order the items were made, so the first item sits rightmost.
 * Hidden items take no space. Pure; frames are in the bar's own coordinates
 * (x from its left edge, y down from its top edge).
 */
namespace OwnBarLayout {

/// Space between two neighbouring visible items.
inline constexpr double kItemSpacing = 4.0;
/// Width of a variable-length item that shows nothing yet.
inline constexpr double kEmptyItemWidth = 8.0;

struct Entry {
    /// The assigned length: points, or the variable or square marker.
    double length = -1.0;
    bool visible = true;
    /// Width of the button's content; used by variable-length items.
    double contentWidth = 0.0;
};

struct Placement {
    /// One per entry, in entry order; absent for hidden entries.
    std::vector<std::optional<QRectF>> frames;
    /// Width of the whole strip.
    double width = 0.0;
};

/// The width an entry takes: its length, the thickness for a square item, or
/// its content width (at least kEmptyItemWidth) for a variable item. A length
/// that is not a number, or negative but not a marker, counts as variable.
double resolvedLength(const Entry& entry, double thickness);

/// Frames for @p entries on a bar @p thickness high.
Placement layout(const std::vector<Entry>& entries, double thickness,
                 double spacing = kItemSpacing);

/// The entry whose frame holds @p point (bar coordinates), if any. Frames are
/// half-open: a point on the right or bottom edge belongs to the neighbour.
std::optional<std::size_t> itemAt(const std::vector<std::optional<QRectF>>& frames,
                                  const QPointF& point);

} // namespace OwnBarLayout
} // namespace velto::platform
