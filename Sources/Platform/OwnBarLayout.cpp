#include "Platform/OwnBarLayout.h"

#include "Platform/StatusItem.h"

#include <algorithm>
#include <cmath>

namespace velto::platform::OwnBarLayout {

double resolvedLength(const Entry& entry, double thickness) {
    if (std::isfinite(entry.length) && entry.length >= 0.0)
        return entry.length;
    if (entry.length == StatusItem::kSquareLength)
        return std::max(0.0, thickness);
    const double content = std::isfinite(entry.contentWidth) ? entry.contentWidth : 0.0;
    return std::max(content, kEmptyItemWidth);
}

Placement layout(const std::vector<Entry>& entries, double thickness, double spacing) {
    Placement placement;
    placement.frames.resize(entries.size());
    const double gap = std::isfinite(spacing) ? std::max(0.0, spacing) : 0.0;

    double total = 0.0;
    int visible = 0;
    for (const Entry& entry : entries) {
        if (!entry.visible)
            continue;
        total += resolvedLength(entry, thickness);
        ++visible;
    }
    if (visible > 1)
        total += gap * (visible - 1);
    placement.width = total;

    // The first entry takes the right end; each later one goes to its left.
    double right = total;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].visible)
            continue;
        const double width = resolvedLength(entries[i], thickness);
        placement.frames[i] = QRectF(right - width, 0.0, width, thickness);
        right -= width + gap;
    }
    return placement;
}

std::optional<std::size_t> itemAt(const std::vector<std::optional<QRectF>>& frames,
                                  const QPointF& point) {
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (!frames[i])
            continue;
        const QRectF& frame = *frames[i];
        if (point.x() >= frame.left() && point.x() < frame.right() && point.y() >= frame.top() &&
            point.y() < frame.bottom())
            return i;
    }
    return std::nullopt;
}

} // namespace velto::platform::OwnBarLayout
