#pragma once

#include <QString>

/**
 * Every user-defaults key velto uses, in one place. The settings store owns
 * most of them; the plug-in loader owns the consent flags
 * ("thirdPartyPluginWarned.<identifier>", PluginLoader::consentKey), the
 * status item migration its flag, and the updater the update channel, which
 * lives in the standard domain only.
 */
namespace velto::SettingsKeys {

/// Real, seconds; default 1.0.
inline QString refreshInterval() {
    return QStringLiteral("refreshInterval");
}
/// Bool; when absent, "combineMenuBarItems" is read instead, then false.
inline QString compactMenuBar() {
    return QStringLiteral("compactMenuBar");
}
/// Bool; the older name of "compactMenuBar", read but never written or removed.
inline QString combineMenuBarItems() {
    return QStringLiteral("combineMenuBarItems");
}
/// Bool; default true.
inline QString publicIPLookupEnabled() {
    return QStringLiteral("publicIPLookupEnabled");
}
/// Bool under "widget.<id>.enabled", the id inserted verbatim; default true.
inline QString widgetEnabled(const QString& widgetID) {
    return QStringLiteral("widget.") + widgetID + QStringLiteral(".enabled");
}
/// Bool; default false. Set once the status item migration has run in a domain.
inline QString statusItemNamesMigrated() {
    return QStringLiteral("statusItemNamesMigrated");
}
/// Text; absent by default. Set from outside, never by velto.
inline QString updateChannel() {
    return QStringLiteral("updateChannel");
}

} // namespace velto::SettingsKeys
