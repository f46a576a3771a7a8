#pragma once

#include <QTabWidget>
#include <VeltoPluginKit/VeltoWidget.h>
#include <functional>

class QCheckBox;
class QLabel;
class QToolButton;

namespace velto {

class PluginLoader;
class SettingsStore;
class UpdateControls;

/**
 * The content of the settings window: a "Settings" tab with a switch per
 * widget, the refresh stepper, "Launch at login", "Look up public IP",
 * "Compact menu bar", the updates rows when there are update controls and
 * "Quit velto"; and a "Diagnostics" tab. Every control reads the store afresh
 * and writes through it; @p onToggle runs after each change the menu bar
 * depends on.
 */
class SettingsView : public QTabWidget {
    Q_OBJECT
public:
    static constexpr double kMinimumInterval = 0.5;
    static constexpr double kMaximumInterval = 5.0;
    static constexpr double kIntervalStep = 0.5;

    SettingsView(SettingsStore& settings, WidgetList widgets, PluginLoader& loader,
                 UpdateControls* updateControls, std::function<void()> onToggle,
                 QWidget* parent = nullptr);
    ~SettingsView() override;

    /// "Refresh every %.1fs" for @p seconds.
    static QString refreshLabel(double seconds);
    /// The stepper's next value from @p current, one step up or down, kept within bounds.
    static double steppedInterval(double current, int direction);

    /// The switch of widget @p id, or null.
    QCheckBox* widgetSwitch(const QString& id) const;
    QLabel* refreshText() const { return m_refreshLabel; }
    QToolButton* decreaseButton() const { return m_decrease; }
    QToolButton* increaseButton() const { return m_increase; }
    QCheckBox* launchAtLoginSwitch() const { return m_launchAtLogin; }
    QCheckBox* publicIPSwitch() const { return m_publicIP; }
    QCheckBox* compactSwitch() const { return m_compact; }

private:
    QWidget* makeSettingsTab(UpdateControls* updateControls);
    void step(int direction);
    void redraw();

    SettingsStore& m_settings;
    WidgetList m_widgets;
    std::function<void()> m_onToggle;
    std::vector<QCheckBox*> m_widgetSwitches;
    QLabel* m_refreshLabel = nullptr;
    QToolButton* m_decrease = nullptr;
    QToolButton* m_increase = nullptr;
    QCheckBox* m_launchAtLogin = nullptr;
    QCheckBox* m_publicIP = nullptr;
    QCheckBox* m_compact = nullptr;
};

} // namespace velto
