#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace velto::platform {

class StatusItem;

/**
 * The system status bar: makes status items and says how thick it is.
 *
 * Back ends sit behind this interface: velto's own bar (OwnStatusBar), a
 * strip at the top right of the primary screen, and the tray of the desktop
 * (TrayStatusBar), which exports every item on the session bus while a tray
 * host is there and falls back to the own bar while none is.
 */
class StatusBar {
public:
    enum class Kind {
        OwnBar, ///< velto's own strip at the top right of the primary screen
        Tray,   ///< the desktop's tray, following its host on the session bus
    };

    static constexpr double kDefaultThickness = 24.0;

    virtual ~StatusBar();

    /// The bar the application uses, made on first use with the back end that
    /// preferredKind() picks. Lives until the process ends.
    static StatusBar& system();
    /// A new bar of @p kind, for tests and for a caller that manages its own.
    static std::unique_ptr<StatusBar> make(Kind kind);
    /// The back end for this session: the tray whenever there is a session
    /// bus, since a tray host may start after velto; else the own bar.
    static Kind preferredKind();

    /// A new item of @p length (points, or StatusItem::kVariableLength or
    /// kSquareLength), visible, at the left end of the bar. Owned by the bar;
    /// never null.
    virtual StatusItem* statusItem(double length) = 0;
    /// Height of the bar in points.
    virtual double thickness() const = 0;
    /// True when items' frames are real on-screen places that can be measured
    /// (the own bar); false where a host owns the geometry, in which case
    /// nothing may conclude from frames that items are hidden.
    virtual bool reportsItemFrames() const = 0;
    virtual Kind kind() const = 0;
    /// What a secondary click or a context-menu request on any item runs,
    /// where the back end tells those apart from a click. Empty clears it.
    virtual void setSecondaryAction(std::function<void()> action) { (void)action; }

protected:
    StatusBar() = default;
    StatusBar(const StatusBar&) = delete;
    StatusBar& operator=(const StatusBar&) = delete;
};

} // namespace velto::platform
