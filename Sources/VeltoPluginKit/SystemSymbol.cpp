#include <QPainter>
#include <QPolygonF>
#include <VeltoPluginKit/SystemSymbol.h>
#include <array>
#include <cmath>
#include <numbers>

namespace velto::SystemSymbol {
namespace {

// Each symbol is drawn in black on a 16 x 16 grid, then tinted: overlapping
// strokes stay one even colour, whatever its alpha.
constexpr qreal kGrid = 16;
constexpr qreal kThin = 1.3;
constexpr qreal kArrow = 1.6;

QPen strokePen(qreal width, Qt::PenCapStyle cap = Qt::RoundCap) {
    return QPen(Qt::black, width, Qt::SolidLine, cap, Qt::RoundJoin);
}

void drawCpu(QPainter& painter) {
    painter.setPen(strokePen(kThin));
    painter.drawRoundedRect(QRectF(3.5, 3.5, 9, 9), 1.5, 1.5);
    for (const qreal at : {6.0, 8.0, 10.0}) {
        painter.drawLine(QPointF(at, 1.2), QPointF(at, 3.2));
        painter.drawLine(QPointF(at, 12.8), QPointF(at, 14.8));
        painter.drawLine(QPointF(1.2, at), QPointF(3.2, at));
        painter.drawLine(QPointF(12.8, at), QPointF(14.8, at));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawRoundedRect(QRectF(6, 6, 4, 4), 0.6, 0.6);
}

void drawMemoryChip(QPainter& painter) {
    painter.setPen(strokePen(kThin));
    painter.drawRoundedRect(QRectF(1.5, 4, 13, 7), 1, 1);
    for (const qreal x : {4.0, 6.7, 9.3, 12.0})
        painter.drawLine(QPointF(x, 6.5), QPointF(x, 8.5));
    for (const qreal x : {3.5, 6.0, 8.5, 11.0})
        painter.drawLine(QPointF(x, 11), QPointF(x, 13.5));
}

void drawNetwork(QPainter& painter) {
    painter.setPen(strokePen(kThin, Qt::FlatCap));
    painter.drawEllipse(QPointF(8, 8), 6.3, 6.3);
    painter.drawEllipse(QPointF(8, 8), 2.8, 6.3);
    painter.drawLine(QPointF(1.9, 5.5), QPointF(14.1, 5.5));
    painter.drawLine(QPointF(1.9, 10.5), QPointF(14.1, 10.5));
}

void drawArrow(QPainter& painter, bool down) {
    painter.setPen(strokePen(kArrow));
    // Drawn pointing down, mirrored top to bottom for up.
    if (!down)
        painter.setTransform(QTransform(1, 0, 0, -1, 0, kGrid), true);
    painter.drawLine(QPointF(8, 2), QPointF(8, 13.5));
    const std::array<QPointF, 3> head{QPointF(3.5, 9), QPointF(8, 13.5), QPointF(12.5, 9)};
    painter.drawPolyline(head.data(), static_cast<int>(head.size()));
}

// Eight teeth around the centre: each a trapezoid from the rim out to the tip.
QPolygonF gearOutline() {
    constexpr int kTeeth = 8;
    constexpr qreal kTip = 6.6, kRim = 5.0;
    // Half the angle a tooth spans at its tip and at the rim.
    constexpr qreal kTipHalf = 0.17, kRimHalf = 0.27;
    QPolygonF outline;
    for (int tooth = 0; tooth < kTeeth; ++tooth) {
        const qreal middle = tooth * 2 * std::numbers::pi / kTeeth;
        for (const auto& [radius, angle] :
             {std::pair{kRim, middle - kRimHalf}, std::pair{kTip, middle - kTipHalf},
              std::pair{kTip, middle + kTipHalf}, std::pair{kRim, middle + kRimHalf}})
            outline << QPointF(8 + radius * std::cos(angle), 8 + radius * std::sin(angle));
    }
    return outline;
}

void drawGear(QPainter& painter) {
    static const QPolygonF outline = gearOutline();
    painter.setPen(strokePen(kThin));
    painter.drawPolygon(outline);
    painter.drawEllipse(QPointF(8, 8), 2.2, 2.2);
}

using Drawing = void (*)(QPainter&);

Drawing drawingFor(const QString& name) {
    if (name == QLatin1String("cpu"))
        return drawCpu;
    if (name == QLatin1String("memorychip"))
        return drawMemoryChip;
    if (name == QLatin1String("network"))
        return drawNetwork;
    if (name == QLatin1String("arrow.down"))
        return [](QPainter& painter) { drawArrow(painter, true); };
    if (name == QLatin1String("arrow.up"))
        return [](QPainter& painter) { drawArrow(painter, false); };
    if (name == QLatin1String("gearshape"))
        return drawGear;
    return nullptr;
}

} // namespace

bool exists(const QString& name) {
    return drawingFor(name) != nullptr;
}

QPixmap pixmap(const QString& name, int pointSize, const QColor& color, qreal devicePixelRatio) {
    const int side = std::max(1, qRound(pointSize * devicePixelRatio));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (const Drawing draw = drawingFor(name)) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.save();
        painter.scale(side / kGrid, side / kGrid);
        draw(painter);
        painter.restore();
        // Keep the drawn alpha, replace the colour: a tint that follows the theme.
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), color);
    }
    QPixmap result = QPixmap::fromImage(std::move(image));
    result.setDevicePixelRatio(devicePixelRatio);
    return result;
}

} // namespace velto::SystemSymbol
