#pragma once

#include <QString>
#include <VeltoPluginKit/VeltoWidget.h>
#include <map>
#include <optional>

namespace velto {

class SettingsStore;

/// One call the host makes to a widget so that its sampling matches the settings.
struct WidgetLifecycleAction {
    enum class Kind { Start, Stop, None };

    Kind kind = Kind::None;
    /// Seconds passed to start(interval); meaningful for Start only.
    double interval = 0.0;

    static WidgetLifecycleAction start(double seconds) { return {Kind::Start, seconds}; }
    static WidgetLifecycleAction stop() { return {Kind::Stop, 0.0}; }
    static WidgetLifecycleAction none() { return {Kind::None, 0.0}; }

    /// Same kind and, for Start, the same interval as floating-point numbers.
    friend bool operator==(const WidgetLifecycleAction& a, const WidgetLifecycleAction& b) {
        return a.kind == b.kind && (a.kind != Kind::Start || a.interval == b.interval);
    }
};

/// When a widget samples, decided from the settings alone, and the width of its status item.
namespace WidgetLifecycle {

/// The width a widget's status item has beyond its menu bar view, in points.
inline constexpr double itemPadding = 4.0;

/**
 * Start when enabled and not running at exactly @p interval (a new interval
 * reaches a running widget as a second start, with no stop), stop when
 * disabled and running, otherwise nothing.
 */
WidgetLifecycleAction action(std::optional<double> runningInterval, bool enabled, double interval);

/// The larger of @p current and @p measured plus the padding, rounded up: a length never shrinks.
double itemWidth(double current, double measured);

} // namespace WidgetLifecycle

/**
 * The host's record of the interval each widget was last started with, and the
 * operations that bring widgets in line with the settings. The status bar
 * controller owns one and calls sync() for each newly presented widget and
 * applyEnabledState() after each saved settings change; nothing else starts or
 * stops a widget. Main thread only.
 */
class WidgetLifecycleTracker {
public:
    explicit WidgetLifecycleTracker(const SettingsStore& settings);

    /// Starts, restarts or stops one widget to match its enabled setting and the refresh interval.
    void apply(VeltoWidget& widget);

    /// A widget that also plays PublicIPToggleable is told the public IP setting, changed or not.
    void sendPublicIPLookup(VeltoWidget& widget) const;

    /// sendPublicIPLookup() and then apply(), the per-widget step of presenting and of every
    /// settings change.
    void sync(VeltoWidget& widget);

    /// sync() for each widget, in the given (presentation) order.
    void applyEnabledState(const WidgetList& widgets);

    /// The interval the widget was last started with; absent when not started or stopped since.
    std::optional<double> runningInterval(const QString& widgetID) const;

private:
    const SettingsStore& m_settings;
    std::map<QString, double> m_runningIntervals;
};

} // namespace velto
