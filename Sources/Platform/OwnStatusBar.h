#pragma once

#include "Platform/StatusBar.h"

#include <QPointF>
#include <QRectF>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace velto::platform {

class OwnStatusItem;

/**
 * velto's own bar: a frameless, always-on-top strip at the top right of the
 * primary screen, which lays its items out right to left (OwnBarLayout). It
 * is shown while at least one item is visible, and works on the offscreen
 * platform too.
 */
class OwnStatusBar final : public StatusBar {
public:
    OwnStatusBar();
    ~OwnStatusBar() override;

    StatusItem* statusItem(double length) override;
    double thickness() const override { return kDefaultThickness; }
    bool reportsItemFrames() const override { return true; }
    Kind kind() const override { return Kind::OwnBar; }

    /// The strip's window.
    QWidget* window() const;
    /// Every item, in the order made.
    std::vector<StatusItem*> items() const;
    /// The strip on screen, in Qt's global coordinates; empty while nothing is shown.
    QRectF qtGeometry() const;
    /// The visible item whose button is at @p qtGlobalPoint, or null.
    StatusItem* itemAt(const QPointF& qtGlobalPoint) const;

    /// Places items and strip again. Items call this themselves on every change
    /// that moves something; other callers need it only after the screen changed.
    void relayout();
    /// How often the bar laid itself out; for measurements.
    int relayoutCount() const { return m_relayouts; }

private:
    void placeOnce();

    std::unique_ptr<QWidget> m_window;
    std::vector<std::unique_ptr<OwnStatusItem>> m_items;
    QRectF m_geometry;
    std::vector<std::optional<QRectF>> m_localFrames;
    int m_relayouts = 0;
    bool m_inRelayout = false;
    bool m_relayoutAgain = false;
};

} // namespace velto::platform
