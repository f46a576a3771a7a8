#pragma once

#include "Platform/EventMonitor.h"
#include "Platform/StatusBarButton.h"

#include <QObject>
#include <QPointer>
#include <optional>
#include <unordered_map>
#include <vector>

class QWidget;

namespace velto {
namespace platform {
class Popover;
}

/**
 * Opens and closes every widget popover, keeps at most one open, and closes
 * it when the user clicks outside velto's windows. Runs on the main thread.
 */
class PopoverShower : public QObject {
    Q_OBJECT
public:
    /// What a widget item's button opens, and the view the popover points at.
    struct Target {
        QPointer<platform::Popover> popover;
        QPointer<QWidget> anchor;
    };

    /// The one the application uses, made on first use.
    static PopoverShower& shared();

    PopoverShower();
    ~PopoverShower() override;

    /// Lists @p popover once and hears when it closes; a popover already listed is left alone.
    void track(platform::Popover& popover);
    /// The tracked popovers still alive, in the order tracked.
    std::vector<platform::Popover*> tracked() const;

    /// Makes a click on @p button toggle @p popover at @p anchor (the button table).
    void registerButton(const platform::StatusBarButton& button, platform::Popover& popover,
                        QWidget* anchor);
    /// The button table's entry for @p button.
    std::optional<Target> target(const platform::StatusBarButton& button) const;
    /// An action for a widget item's button: toggle(button), holding the shower weakly.
    platform::StatusBarButton::Action toggleAction();

    /// The button's action: toggles its popover; a button not in the table does nothing.
    void toggle(platform::StatusBarButton& button);
    /// Closes @p popover if shown; else closes any other and shows it below @p anchor.
    void toggle(platform::Popover& popover, QWidget* anchor);
    /// Closes every shown tracked popover (a click elsewhere, a compact-mode switch).
    void closeAll();

    /// The close notice of a tracked popover.
    void popoverDidClose(platform::Popover& popover);

    bool hasClickAwayMonitor() const { return m_clickAwayMonitor.has_value(); }

private:
    void installClickAwayMonitor();
    void removeClickAwayMonitor();

    std::vector<QPointer<platform::Popover>> m_tracked;
    std::unordered_map<const platform::StatusBarButton*, Target> m_byButton;
    std::optional<platform::EventMonitor::Token> m_clickAwayMonitor;
    bool m_switching = false;
};

} // namespace velto
