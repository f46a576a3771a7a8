#pragma once

#include <QPointer>
#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

class QScreen;

namespace velto::platform {

/**
 * One display, with its rectangles in the menu bar rules' coordinates (points,
 * y up, against the primary screen). A value: it holds the QScreen weakly and
 * answers with empty rectangles once that screen is gone.
 */
class Screen {
public:
    explicit Screen(QScreen* screen);

    /// The primary screen, the one the menu bar lives on; absent without any screen.
    static std::optional<Screen> main();
    /// Every connected screen, the primary one first.
    static std::vector<Screen> screens();
    /// The screen showing the point @p qtGlobalPoint (Qt coordinates), if any.
    static std::optional<Screen> at(const QPointF& qtGlobalPoint);

    /// The whole display.
    QRectF frame() const;
    /// The display less the panels and docks the window manager reserves.
    QRectF visibleFrame() const;
    /// The unobscured area right of a camera housing; no Linux screen has one.
    std::optional<QRectF> auxiliaryTopRightArea() const { return std::nullopt; }
    /// True for a display built into the machine (eDP, LVDS or DSI connector).
    bool isBuiltIn() const;
    /// The output's name as the window system reports it ("eDP-1", "HDMI-A-1").
    QString name() const;
    QScreen* qtScreen() const;

    /// True when a connector or output name denotes a built-in panel: it starts
    /// with "eDP", "LVDS" or "DSI", with or without the DRM "cardN-" prefix.
    static bool isBuiltInConnectorName(const QString& name);

    bool operator==(const Screen& other) const;

private:
    QPointer<QScreen> m_screen;
};

} // namespace velto::platform
