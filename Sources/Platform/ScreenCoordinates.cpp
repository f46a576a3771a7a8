#include "Platform/ScreenCoordinates.h"

namespace velto::platform::ScreenCoordinates {

// The two systems mirror each other about the primary screen's bottom edge, so
// one formula serves both directions.
static QRectF mirrored(const QRectF& rect, const QRectF& primary, double xShift) {
    const double bottom = primary.y() + primary.height();
    return QRectF(rect.x() + xShift, bottom - (rect.y() + rect.height()), rect.width(),
                  rect.height());
}

QRectF fromQt(const QRectF& qtRect, const QRectF& primaryGeometry) {
    return mirrored(qtRect, primaryGeometry, -primaryGeometry.x());
}

QRectF toQt(const QRectF& rect, const QRectF& primaryGeometry) {
    return mirrored(rect, primaryGeometry, primaryGeometry.x());
}

QPointF topLeftForOrigin(const QPointF& origin, double height, const QRectF& primaryGeometry) {
    return toQt(QRectF(origin.x(), origin.y(), 0.0, height), primaryGeometry).topLeft();
}

} // namespace velto::platform::ScreenCoordinates
