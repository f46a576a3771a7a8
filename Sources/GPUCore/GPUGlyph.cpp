#include "GPUCore/GPUGlyph.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace velto {
namespace {

// A rounded rectangle whose corners ease into the straight edges instead of meeting
// them with a jump in curvature, as a plain circular arc does. Each corner is one
// cubic that leaves the edge 1.5 radii from the corner and passes through the same
// middle point as the circular arc, so it reads as the same radius.
QPainterPath continuousRoundedRect(const QRectF& rect, qreal radius) {
    constexpr qreal kReach = 1.5;
    // (kReach + 3 × kHandle) / 8 = 1 − 1/√2, the circular arc's middle point.
    constexpr qreal kHandle = 0.2810;
    const qreal r = std::min({radius, rect.width() / (2 * kReach), rect.height() / (2 * kReach)});
    const qreal reach = kReach * r;
    const qreal handle = kHandle * r;
    const qreal l = rect.left(), t = rect.top(), ri = rect.right(), b = rect.bottom();

    QPainterPath path;
    path.moveTo(l + reach, t);
    path.lineTo(ri - reach, t);
    path.cubicTo(ri - handle, t, ri, t + handle, ri, t + reach);
    path.lineTo(ri, b - reach);
    path.cubicTo(ri, b - handle, ri - handle, b, ri - reach, b);
    path.lineTo(l + reach, b);
    path.cubicTo(l + handle, b, l, b - handle, l, b - reach);
    path.lineTo(l, t + reach);
    path.cubicTo(l, t + handle, l + handle, t, l + reach, t);
    path.closeSubpath();
    return path;
}

QPainterPath circle(QPointF centre, qreal radius) {
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

} // namespace

GPUGlyph::GPUGlyph(QWidget* parent) : QWidget(parent) {
    // Decoration beside a text that already says "GPU"; it never takes focus or clicks.
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize GPUGlyph::sizeHint() const {
    return {16, 16};
}

void GPUGlyph::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, QRectF(rect()), palette().color(foregroundRole()));
}

void GPUGlyph::paint(QPainter& painter, const QRectF& frame, const QColor& color) {
    const qreal side = std::min(frame.width(), frame.height());
    if (side <= 0) {
        return;
    }
    const qreal u = side * 0.0625;
    const QPointF origin(frame.left() + (frame.width() - side) / 2,
                         frame.top() + (frame.height() - side) / 2);
    const auto at = [&](qreal x, qreal y) { return origin + QPointF(x * u, y * u); };

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);

    // Style A. Qt measures the miter limit from the join point in line widths, half
    // the usual measure across the whole miter; 5 here is the customary limit of 10.
    QPen styleA(color, 1.15 * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    styleA.setMiterLimit(5);
    // Style B. Qt gives dash lengths in line widths.
    QPen styleB(color, 1.1 * u, Qt::CustomDashLine, Qt::RoundCap, Qt::MiterJoin);
    styleB.setMiterLimit(5);
    styleB.setDashPattern({1.2 / 1.1, 1.4 / 1.1});
    styleB.setDashOffset(0);

    // 1. The card's body.
    painter.setPen(styleA);
    painter.drawPath(continuousRoundedRect(QRectF(at(1, 3.5), QSizeF(14 * u, 8 * u)), 1.5 * u));
    // 2. The fan's ring.
    painter.drawPath(circle(at(8.5, 7.5), 2.3 * u));
    // 3. The fan's hub.
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    QPainterPath hub = circle(at(8.5, 7.5), 0.8 * u);
    hub.setFillRule(Qt::WindingFill);
    painter.drawPath(hub);
    painter.setBrush(Qt::NoBrush);
    // 4. The bracket's foot.
    painter.setPen(styleA);
    painter.drawLine(at(3, 11.5), at(3, 14));
    // 5. The contact row.
    painter.setPen(styleB);
    painter.drawLine(at(5, 13.5), at(13, 13.5));
    painter.restore();
}

} // namespace velto
