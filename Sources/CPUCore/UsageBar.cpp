#include "CPUCore/UsageBar.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace velto {
namespace {

constexpr int kTrackHeight = 4;

} // namespace

UsageBar::UsageBar(QWidget* parent)
    : QWidget(parent), m_tint(palette().color(QPalette::WindowText)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void UsageBar::setValue(double value) {
    const double clamped = std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
    if (clamped != m_value) {
        m_value = clamped;
        update();
    }
}

void UsageBar::setTint(const QColor& tint) {
    if (tint != m_tint) {
        m_tint = tint;
        update();
    }
}

QSize UsageBar::sizeHint() const {
    return {80, kTrackHeight + 2};
}

QSize UsageBar::minimumSizeHint() const {
    return {kTrackHeight * 2, kTrackHeight + 2};
}

void UsageBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF track(0, (height() - kTrackHeight) / 2.0, width(), kTrackHeight);
    const qreal radius = kTrackHeight / 2.0;

    QColor trackColor = palette().color(QPalette::WindowText);
    trackColor.setAlphaF(0.12);
    painter.setBrush(trackColor);
    painter.drawRoundedRect(track, radius, radius);

    if (m_value > 0.0) {
        // Clip to the track so a sliver of fill keeps the track's rounded end.
        QPainterPath clip;
        clip.addRoundedRect(track, radius, radius);
        painter.setClipPath(clip);
        painter.setBrush(m_tint);
        painter.drawRect(
            QRectF(track.left(), track.top(), track.width() * m_value, track.height()));
    }
}

} // namespace velto
