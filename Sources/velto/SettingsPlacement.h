#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace velto {

/**
 * Where the settings window opens: centred below the item that opened it and
 * kept inside the screen's visible frame. Rectangles are in screen points
 * with y growing upward, so x()/y() are a rectangle's minX/minY.
 */
namespace SettingsPlacement {

/// Space between the anchor's bottom edge and the window's top edge.
inline constexpr double gap = 4.0;

/**
 * The window's origin (its lower left corner) for a window of @p size below
 * @p anchor on a screen whose visible frame is @p visibleFrame. The window
 * is pushed right to the frame's left edge, then left to its right edge, so
 * a window wider than the frame keeps its right edge on the frame's. The
 * vertical position is never clamped.
 */
QPointF origin(QSizeF size, QRectF anchor, QRectF visibleFrame);

} // namespace SettingsPlacement
} // namespace velto
