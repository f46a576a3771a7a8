#include "MenuBarFit/MenuBarFit.h"

#include <algorithm>

namespace velto::MenuBarFit {

Layout layout(const std::vector<double>& widths) {
    Layout result;
    if (widths.empty())
        return result;
    double x = edgePadding;
    result.offsets.reserve(widths.size());
    for (const double width : widths) {
        result.offsets.push_back(x);
        x += width + slotGap;
    }
    result.total = x - slotGap + edgePadding;
    return result;
}

QRectF usableArea(const QRectF& screenFrame, const std::optional<QRectF>& rightOfNotch) {
    return rightOfNotch ? *rightOfNotch : screenFrame;
}

bool isHidden(const std::optional<QRectF>& itemFrame, bool hasScreen, const QRectF& usable) {
    if (!itemFrame || !hasScreen)
        return true;
    const double minX = itemFrame->x();
    const double maxX = itemFrame->x() + itemFrame->width();
    return minX < usable.x() - hiddenTolerance ||
           maxX > usable.x() + usable.width() + hiddenTolerance;
}

bool autoCollapseAllowed(const std::vector<bool>& displayIsBuiltIn) {
    return !displayIsBuiltIn.empty() &&
           std::all_of(displayIsBuiltIn.begin(), displayIsBuiltIn.end(),
                       [](bool builtIn) { return builtIn; });
}

} // namespace velto::MenuBarFit
