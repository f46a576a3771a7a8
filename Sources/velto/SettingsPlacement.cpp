#include "SettingsPlacement.h"

#include <algorithm>

namespace velto::SettingsPlacement {

QPointF origin(QSizeF size, QRectF anchor, QRectF visibleFrame) {
    const double centred = anchor.x() + anchor.width() / 2 - size.width() / 2;
    const double maxX = visibleFrame.x() + visibleFrame.width();
    // Not std::clamp: a window wider than the frame gives min > max there.
    const double x = std::min(maxX - size.width(), std::max(visibleFrame.x(), centred));
    const double y = anchor.y() - gap - size.height();
    return {x, y};
}

} // namespace velto::SettingsPlacement
