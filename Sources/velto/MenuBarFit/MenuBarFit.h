#pragma once

#include <QRectF>
#include <optional>
#include <vector>

namespace velto {

/**
 * The rules of the combined item and of the automatic compact switch: how
 * readings are packed into one item, and when an item counts as hidden.
 * Rectangles are in screen coordinates (points, y grows upward), so minX is
 * x() and maxX is x() + width(). Pure.
 */
namespace MenuBarFit {

/// Space before the first and after the last view in the combined item.
inline constexpr double edgePadding = 2.0;
/// Space between two neighbouring views.
inline constexpr double slotGap = 3.0;
/// How far a frame may run past the usable area and still count as shown.
inline constexpr double hiddenTolerance = 0.5;

struct Layout {
    /// The x of each view, in the order of the widths.
    std::vector<double> offsets;
    /// The combined item's length.
    double total = 0.0;

    friend bool operator==(const Layout&, const Layout&) = default;
};

/// Views side by side from the left: edgePadding, then each width followed by slotGap,
/// the last gap replaced by edgePadding. No widths give no offsets and a total of 0.
Layout layout(const std::vector<double>& widths);

/// Where status items can be seen on a screen: the area right of a camera
/// housing when the screen has one, else the whole screen.
QRectF usableArea(const QRectF& screenFrame, const std::optional<QRectF>& rightOfNotch);

/// True when there is no frame, the item's window has no screen of its own, or
/// the frame runs more than hiddenTolerance past either side of @p usable.
bool isHidden(const std::optional<QRectF>& itemFrame, bool hasScreen, const QRectF& usable);

/// True when at least one display is known and every one is built in.
bool autoCollapseAllowed(const std::vector<bool>& displayIsBuiltIn);

} // namespace MenuBarFit
} // namespace velto
