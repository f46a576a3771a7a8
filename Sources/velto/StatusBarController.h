#pragma once

#include "MenuBarFit/DisplaySettle.h"
#include "MenuBarFit/HiddenDebounce.h"
#include "WidgetLifecycle.h"

#include <QObject>
#include <QString>
#include <VeltoPluginKit/VeltoWidget.h>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace velto {

namespace platform {
class Popover;
class StatusBar;
class StatusBarButton;
class StatusItem;
} // namespace platform

class DisplayEnvironment;
class PassthroughHostingView;
class PluginLoader;
class PopoverShower;
class SettingsStore;
class SettingsView;
class SettingsWindow;
class UpdateControls;

/**
 * Everything velto shows in the status bar. Each presented widget gets a slot:
 * its reading in a hosting view, a popover with its detail view and, outside
 * compact mode, a status item of its own. One gear item opens the settings
 * window, which the controller owns. In compact mode (the setting, or the
 * automatic switch when items are seen hidden on built-in displays only) the
 * readings and a gear glyph share one combined item. Items are hidden, never
 * removed; frames and lengths are assigned only when they differ, which ends
 * the cycle between a layout pass and the relayout it causes.
 *
 * One instance lives for the whole process. Main thread only.
 */
class StatusBarController final : public QObject {
    Q_OBJECT
public:
    /// Space left of a reading inside its button; the item's padding minus it is on the right.
    static constexpr double kReadingInset = 2.0;

    struct Slot {
        std::shared_ptr<VeltoWidget> widget;
        std::unique_ptr<PassthroughHostingView> hosting;
        std::unique_ptr<platform::Popover> popover;
        /// The widget's own item; made when first needed, then kept.
        platform::StatusItem* item = nullptr;
        /// Width of the reading in whole points; 0 until measured, never shrinks.
        double contentWidth = 0;
    };

    /// Uses the application's status bar and popover shower.
    StatusBarController(SettingsStore& settings, PluginLoader& loader,
                        UpdateControls* updateControls);
    /// The same on a given bar and shower, which must outlive the controller.
    StatusBarController(SettingsStore& settings, PluginLoader& loader,
                        UpdateControls* updateControls, platform::StatusBar& statusBar,
                        PopoverShower& popoverShower);
    /// The same with the clock, timers and screens of @p environment.
    StatusBarController(SettingsStore& settings, PluginLoader& loader,
                        UpdateControls* updateControls, platform::StatusBar& statusBar,
                        PopoverShower& popoverShower,
                        std::unique_ptr<DisplayEnvironment> environment);
    ~StatusBarController() override;

    /**
     * Builds a slot for every widget whose id is not presented yet, starts the
     * enabled ones and lays the bar out. The first call that keeps a widget
     * also adds the gear item; an open settings window is rebuilt so that it
     * lists the new widgets. A list with nothing new changes nothing.
     */
    void present(const WidgetList& widgets);

    /// Opens the settings window below the gear item (or the combined item),
    /// placed anew on every call, and brings velto to the front.
    void openSettings();
    void showSettings() { openSettings(); }

    /// Re-applies every setting to every widget and item; the settings window calls it after a
    /// change.
    void applyEnabledState();

    /// Brings the layout to the wanted compact state (the setting, or the automatic switch).
    void applyCombinedState();
    /// Moves every reading into the combined item (on) or back into its own item (off).
    void setCombined(bool on);
    /// Starts the visibility checks every 3 seconds and follows display
    /// changes, sleep and wake; once, with the first widgets.
    void startVisibilityMonitor();

    /// The display settle time and its revert margin, and the check interval (seconds).
    static constexpr double kQuietPeriod = 4.0;
    static constexpr double kRevertMargin = 0.5;
    static constexpr double kCheckInterval = 3.0;

    // What the bar shows, for tests and measurements.
    const Slot* slot(const QString& widgetID) const;
    const WidgetList& widgets() const { return m_widgets; }
    platform::StatusItem* settingsItem() const { return m_settingsItem; }
    platform::StatusItem* combinedItem() const { return m_combinedItem; }
    bool isCombined() const { return m_isCombined; }
    /// True while compact mode is on because items were seen hidden.
    bool isAutoCombined() const { return m_autoCombined; }
    /// The gear glyph of the combined item; null until compact mode is first on.
    const PassthroughHostingView* gearHosting() const { return m_gearHosting.get(); }
    /// Null until the first open.
    SettingsWindow* settingsWindow() const { return m_settingsWindow.get(); }
    const WidgetLifecycleTracker& lifecycle() const { return m_lifecycle; }

private:
    void attach(Slot& slot);
    platform::StatusItem* makeWidgetItem(Slot& slot);
    void presentSettingsMenuItem();
    std::vector<Slot*> enabledSlots() const;
    void relayout();
    void relayoutCombined(const std::vector<Slot*>& enabled, double thickness);
    void combinedClicked(platform::StatusBarButton& button);
    bool autoCollapseAllowed() const;
    void checkVisibility();
    /// hidden, shown, or no verdict for one candidate item.
    std::optional<bool> hiddenVerdict(platform::StatusItem& item) const;
    void displaysChanged();
    void revert();
    std::unique_ptr<SettingsView> makeSettingsView();
    void widthChanged(Slot& slot);

    std::map<QString, std::shared_ptr<Slot>> m_slots;
    std::vector<QString> m_slotOrder;
    WidgetList m_widgets;
    platform::StatusItem* m_combinedItem = nullptr;
    std::unique_ptr<PassthroughHostingView> m_gearHosting;
    bool m_autoCombined = false;
    bool m_isCombined = false;
    std::unique_ptr<DisplayEnvironment> m_environment;
    bool m_monitorStarted = false;
    HiddenDebounce m_hiddenDebounce;
    bool m_screensAsleep = false;
    DisplaySettle m_displaySettle{kQuietPeriod};
    std::optional<std::uint64_t> m_revertWork;
    WidgetLifecycleTracker m_lifecycle;
    platform::StatusItem* m_settingsItem = nullptr;
    std::unique_ptr<SettingsWindow> m_settingsWindow;

    SettingsStore& m_settings;
    PluginLoader& m_loader;
    UpdateControls* m_updateControls;
    platform::StatusBar& m_statusBar;
    PopoverShower& m_popoverShower;
};

} // namespace velto
