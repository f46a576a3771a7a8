#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace velto::platform {

/// The side of the anchor a popover prefers, named as in the menu bar rules
/// (y up): MinY is below the anchor, MaxY above it.
enum class RectEdge { MinX = 0, MinY = 1, MaxX = 2, MaxY = 3 };

/**
 * Where a popover goes. Pure, in Qt's global coordinates (y down), since only
 * the platform layer places windows.
 */
namespace PopoverPlacement {

/// Distance between the anchor and the popover.
inline constexpr double kGap = 2.0;

/**
 * Top-left corner of a popover of @p size next to @p anchor on the @p edge
 * side, centred along that side, within @p available (the screen's free area):
 * - it flips to the opposite side when the preferred one lacks room and the
 *   opposite one has it;
 * - it is then moved inside @p available; where it is larger than the area,
 *   its top and left edges stay on screen.
 */
QPointF origin(const QSizeF& size, const QRectF& anchor, const QRectF& available, RectEdge edge);

} // namespace PopoverPlacement
} // namespace velto::platform
