#pragma once

#include <QPointF>
#include <QRectF>

namespace velto::platform {

/**
 * Conversion between Qt's global coordinates (y grows downward, origin at the
 * top left of the virtual desktop) and the coordinates the menu bar rules use
 * (points, y grows upward, origin at the bottom left of the primary screen).
 * Pure: the primary screen's Qt geometry is an argument.
 */
namespace ScreenCoordinates {

/// A rectangle in Qt's global coordinates, as seen by the rules.
QRectF fromQt(const QRectF& qtRect, const QRectF& primaryGeometry);
/// A rectangle from the rules, in Qt's global coordinates.
QRectF toQt(const QRectF& rect, const QRectF& primaryGeometry);
/// The Qt top-left position of a window of @p height whose bottom-left origin
/// the rules put at @p origin (as a window's frame origin is given).
QPointF topLeftForOrigin(const QPointF& origin, double height, const QRectF& primaryGeometry);

} // namespace ScreenCoordinates
} // namespace velto::platform
