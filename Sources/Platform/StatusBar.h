#pragma once

#include <QString>
#include <memory>

namespace velto::platform {

class StatusItem;

/**
 * The system status bar: makes status items and says how thick it is.
 *
 * Back ends sit behind this interface. The only one so far is velto's own bar
 * (OwnStatusBar), a strip at the top right of the primary screen; a tray back
 * end on the session bus can be added beside it.
 */
class StatusBar {
public:
    enum class Kind {
        OwnBar, ///< velto's own strip at the top right of the primary screen
    };

    static constexpr double kDefaultThickness = 24.0;

    virtual ~StatusBar();

    /// The bar the application uses, made on first use with the back end that
    /// preferredKind() picks. Lives until the process ends.
    static StatusBar& system();
    /// A new bar of @p kind, for tests and for a caller that manages its own.
    static std::unique_ptr<StatusBar> make(Kind kind);
    /// The back end for this session: a tray host on the bus when one can be
    /// used, else the own bar. Today always the own bar.
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

protected:
    StatusBar() = default;
    StatusBar(const StatusBar&) = delete;
    StatusBar& operator=(const StatusBar&) = delete;
};

} // namespace velto::platform
