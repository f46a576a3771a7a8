#pragma once

#include "Platform/OwnBarLayout.h"
#include "Platform/StatusBar.h"

#include <QPointF>
#include <QRectF>
#include <functional>
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

    /**
     * Off screen, the strip is laid out and painted as usual but never
     * mapped, so that another presentation (a tray) can draw its buttons.
     * Items keep their places, frames and subviews either way.
     */
    void setOffScreen(bool offScreen);
    bool isOffScreen() const { return m_offScreen; }
    /**
     * Off screen only: moves the strip so that @p item's button sits centred
     * on @p qtGlobalPoint, kept on that point's screen, so that whatever opens
     * below the button opens there. A null item or no point goes back to the
     * top right of the primary screen.
     */
    void placeItemAt(const StatusItem* item, std::optional<QPointF> qtGlobalPoint);
    /// Told after every layout pass.
    void setLaidOut(std::function<void()> laidOut) { m_laidOut = std::move(laidOut); }

private:
    void placeOnce();
    QPoint anchoredOrigin(const OwnBarLayout::Placement& placement, const QSize& stripSize) const;

    std::unique_ptr<QWidget> m_window;
    std::vector<std::unique_ptr<OwnStatusItem>> m_items;
    QRectF m_geometry;
    std::vector<std::optional<QRectF>> m_localFrames;
    std::function<void()> m_laidOut;
    const StatusItem* m_anchorItem = nullptr;
    std::optional<QPointF> m_anchorPoint;
    int m_relayouts = 0;
    bool m_offScreen = false;
    bool m_inRelayout = false;
    bool m_relayoutAgain = false;
};

} // namespace velto::platform
