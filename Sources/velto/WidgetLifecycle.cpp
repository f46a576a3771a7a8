#include "WidgetLifecycle.h"

#include "SettingsStore.h"

#include <VeltoPluginKit/PublicIPToggleable.h>
#include <cmath>

namespace velto {

namespace WidgetLifecycle {

WidgetLifecycleAction action(std::optional<double> runningInterval, bool enabled, double interval) {
    if (!enabled)
        return runningInterval ? WidgetLifecycleAction::stop() : WidgetLifecycleAction::none();
    if (runningInterval && *runningInterval == interval)
        return WidgetLifecycleAction::none();
    return WidgetLifecycleAction::start(interval);
}

double itemWidth(double current, double measured) {
    // A view that reports no usable width leaves the item as it is.
    if (!std::isfinite(measured))
        return current;
    const double wanted = std::ceil(measured + itemPadding);
    return wanted > current ? wanted : current;
}

} // namespace WidgetLifecycle

WidgetLifecycleTracker::WidgetLifecycleTracker(const SettingsStore& settings)
    : m_settings(settings) {}

void WidgetLifecycleTracker::apply(VeltoWidget& widget) {
    const QString id = widget.id();
    const WidgetLifecycleAction action = WidgetLifecycle::action(
        runningInterval(id), m_settings.isEnabled(id), m_settings.refreshInterval());
    switch (action.kind) {
    case WidgetLifecycleAction::Kind::Start:
        widget.start(action.interval);
        m_runningIntervals[id] = action.interval;
        break;
    case WidgetLifecycleAction::Kind::Stop:
        widget.stop();
        m_runningIntervals.erase(id);
        break;
    case WidgetLifecycleAction::Kind::None:
        break;
    }
}

void WidgetLifecycleTracker::sendPublicIPLookup(VeltoWidget& widget) const {
    if (auto* toggleable = dynamic_cast<PublicIPToggleable*>(&widget))
        toggleable->setPublicIPLookupEnabled(m_settings.publicIPLookupEnabled());
}

void WidgetLifecycleTracker::sync(VeltoWidget& widget) {
    sendPublicIPLookup(widget);
    apply(widget);
}

void WidgetLifecycleTracker::applyEnabledState(const WidgetList& widgets) {
    for (const auto& widget : widgets) {
        if (widget)
            sync(*widget);
    }
}

std::optional<double> WidgetLifecycleTracker::runningInterval(const QString& widgetID) const {
    const auto found = m_runningIntervals.find(widgetID);
    if (found == m_runningIntervals.end())
        return std::nullopt;
    return found->second;
}

} // namespace velto
