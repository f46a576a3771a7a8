#include "Platform/OwnStatusItem.h"

#include "Platform/OwnStatusBar.h"
#include "Platform/OwnStatusBarButton.h"

#include <cmath>

namespace velto::platform {

namespace {

bool isVariable(double length) {
    return !(std::isfinite(length) && length >= 0.0) && length != StatusItem::kSquareLength;
}

} // namespace

OwnStatusItem::OwnStatusItem(OwnStatusBar& bar, QWidget* barWindow, double length)
    : m_bar(bar), m_length(length) {
    // Only a variable-length item follows its content's width.
    m_button = std::make_unique<OwnStatusBarButton>(barWindow, [this] {
        if (isVariable(m_length))
            m_bar.relayout();
    });
}

OwnStatusItem::~OwnStatusItem() = default;

void OwnStatusItem::setVisible(bool visible) {
    ++m_visibilityAssignments;
    if (visible == m_visible)
        return;
    m_visible = visible;
    m_bar.relayout();
}

void OwnStatusItem::setLength(double length) {
    ++m_lengthAssignments;
    if (length == m_length || (std::isnan(length) && std::isnan(m_length)))
        return;
    m_length = length;
    m_bar.relayout();
}

StatusBarButton* OwnStatusItem::button() {
    return m_button.get();
}

std::optional<QRectF> OwnStatusItem::frame() const {
    const std::optional<StatusItemWindow> window = m_button->itemWindow();
    if (!window)
        return std::nullopt;
    return window->frame;
}

} // namespace velto::platform
