#pragma once

#include <QMetaObject>
#include <VeltoPluginKit/Observable.h>

namespace velto {

namespace platform {
class Updater;
}

/**
 * What the settings window binds to: the updater's canCheckForUpdates,
 * mirrored on the main loop, and its automatic-check preference.
 * canCheckForUpdates starts false; the updater's current value arrives on the
 * next turn of the loop, then every change after it. Main thread only.
 */
class UpdateControls final : public Observable {
    Q_OBJECT
public:
    /// @p updater must outlive the controls.
    explicit UpdateControls(platform::Updater& updater, QObject* parent = nullptr);
    ~UpdateControls() override;

    bool canCheckForUpdates() const { return m_canCheckForUpdates; }

    /// The updater's own persisted preference.
    bool automaticallyChecks() const;
    /// Notifies observers, then hands @p enabled to the updater.
    void setAutomaticallyChecks(bool enabled);

    /// Brings the application to the front, then starts a check the user asked for.
    void checkForUpdates();

    platform::Updater& updater() const { return m_updater; }

private:
    void publish(bool canCheck);

    bool m_canCheckForUpdates = false;
    platform::Updater& m_updater;
    QMetaObject::Connection m_cancellable;
};

} // namespace velto
