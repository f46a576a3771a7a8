#pragma once

#include <Platform/LaunchAtLogin.h>
#include <QString>
#include <VeltoPluginKit/Observable.h>

namespace velto {

namespace platform {
class UserDefaults;
}

/**
 * The settings the settings window edits and the status bar reads, over one
 * user-defaults domain. Nothing is cached: every read goes to the domain, so
 * a value stored by another process or edited by hand is seen at once.
 *
 * Every setter emits willChange() first, also when the value does not
 * change, and then writes. Launch at login is not stored in the domain but
 * asked of the autostart entry each time. Main thread only.
 */
class SettingsStore : public Observable {
    Q_OBJECT
public:
    explicit SettingsStore(platform::UserDefaults& defaults,
                           platform::LaunchAtLogin launchAtLogin = platform::LaunchAtLogin());
    ~SettingsStore() override;

    platform::UserDefaults& defaults() const { return m_defaults; }

    /// "widget.<id>.enabled"; true unless a Bool false is stored.
    bool isEnabled(const QString& widgetID) const;
    void setEnabled(bool enabled, const QString& widgetID);

    /// Seconds between samples; 1.0 unless a number greater than 0 is stored.
    double refreshInterval() const;
    /// Stored as given, without clamping.
    void setRefreshInterval(double seconds);

    bool launchAtLoginEnabled() const;
    /// A failed change prints one line to standard output and is not retried.
    void setLaunchAtLoginEnabled(bool enabled);

    bool publicIPLookupEnabled() const;
    void setPublicIPLookupEnabled(bool enabled);

    /// "compactMenuBar", or while that is absent the older "combineMenuBarItems"; false by default.
    bool compactMenuBar() const;
    /// Stored under "compactMenuBar" only; the older key stays as it is.
    void setCompactMenuBar(bool compact);

private:
    void store(const QString& key, const QJsonValue& value);

    platform::UserDefaults& m_defaults;
    platform::LaunchAtLogin m_launchAtLogin;
};

} // namespace velto
