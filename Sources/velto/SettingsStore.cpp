#include "SettingsStore.h"

#include "Console.h"
#include "SettingsKeys.h"
#include "SettingsRules.h"

#include <Platform/UserDefaults.h>
#include <utility>

namespace velto {

SettingsStore::SettingsStore(platform::UserDefaults& defaults,
                             platform::LaunchAtLogin launchAtLogin)
    : m_defaults(defaults), m_launchAtLogin(std::move(launchAtLogin)) {}

SettingsStore::~SettingsStore() = default;

bool SettingsStore::isEnabled(const QString& widgetID) const {
    return SettingsRules::objectAsBool(m_defaults.value(SettingsKeys::widgetEnabled(widgetID)),
                                       true);
}

void SettingsStore::setEnabled(bool enabled, const QString& widgetID) {
    store(SettingsKeys::widgetEnabled(widgetID), enabled);
}

double SettingsStore::refreshInterval() const {
    return SettingsRules::refreshInterval(m_defaults.value(SettingsKeys::refreshInterval()));
}

void SettingsStore::setRefreshInterval(double seconds) {
    store(SettingsKeys::refreshInterval(), seconds);
}

bool SettingsStore::launchAtLoginEnabled() const {
    return m_launchAtLogin.isEnabled();
}

void SettingsStore::setLaunchAtLoginEnabled(bool enabled) {
    notifyWillChange();
    const platform::Status changed = m_launchAtLogin.setEnabled(enabled);
    if (!changed)
        Console::printLine(QStringLiteral("SettingsStore: launch-at-login change failed: ") +
                           changed.error());
}

bool SettingsStore::publicIPLookupEnabled() const {
    return SettingsRules::objectAsBool(m_defaults.value(SettingsKeys::publicIPLookupEnabled()),
                                       true);
}

void SettingsStore::setPublicIPLookupEnabled(bool enabled) {
    store(SettingsKeys::publicIPLookupEnabled(), enabled);
}

bool SettingsStore::compactMenuBar() const {
    return SettingsRules::compactMenuBar(m_defaults.value(SettingsKeys::compactMenuBar()),
                                         m_defaults.value(SettingsKeys::combineMenuBarItems()));
}

void SettingsStore::setCompactMenuBar(bool compact) {
    store(SettingsKeys::compactMenuBar(), compact);
}

void SettingsStore::store(const QString& key, const QJsonValue& value) {
    notifyWillChange();
    // A write that cannot reach the disk leaves the old value, and the next
    // read shows it; the window redraws from that read.
    m_defaults.setValue(key, value);
}

} // namespace velto
