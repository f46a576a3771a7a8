#include "Platform/PopoverPlacement.h"

#include <algorithm>

namespace velto::platform::PopoverPlacement {

namespace {

// Keeps [start, start + length) inside [low, high); when it cannot fit, the
// low edge (left or top) stays visible.
double keptInside(double start, double length, double low, double high) {
    return std::max(low, std::min(start, high - length));
}

} // namespace

QPointF origin(const QSizeF& size, const QRectF& anchor, const QRectF& available, RectEdge edge) {
    const double w = size.width();
    const double h = size.height();
    const double below = anchor.bottom() + kGap;
    const double above = anchor.top() - kGap - h;
    const double right = anchor.right() + kGap;
    const double left = anchor.left() - kGap - w;
    const bool fitsBelow = below + h <= available.bottom();
    const bool fitsAbove = above >= available.top();
    const bool fitsRight = right + w <= available.right();
    const bool fitsLeft = left >= available.left();

    double x = anchor.center().x() - w / 2.0;
    double y = anchor.center().y() - h / 2.0;
    switch (edge) {
    case RectEdge::MinY:
        y = (!fitsBelow && fitsAbove) ? above : below;
        break;
    case RectEdge::MaxY:
        y = (!fitsAbove && fitsBelow) ? below : above;
        break;
    case RectEdge::MinX:
        x = (!fitsLeft && fitsRight) ? right : left;
        break;
    case RectEdge::MaxX:
        x = (!fitsRight && fitsLeft) ? left : right;
        break;
    }
    return QPointF(keptInside(x, w, available.left(), available.right()),
                   keptInside(y, h, available.top(), available.bottom()));
}

} // namespace velto::platform::PopoverPlacement
