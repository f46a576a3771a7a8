#include "UpdateControls.h"

#include <Platform/Application.h>
#include <Platform/Updater.h>

namespace velto {

UpdateControls::UpdateControls(platform::Updater& updater, QObject* parent)
    : Observable(parent), m_updater(updater) {
    // The current value first, then every change, each on a later turn of the
    // loop. Queued calls made with `this` as context are dropped once it is gone.
    QMetaObject::invokeMethod(
        this, [this, initial = updater.canCheckForUpdates()] { publish(initial); },
        Qt::QueuedConnection);
    m_cancellable = connect(&updater, &platform::Updater::canCheckForUpdatesChanged, this,
                            &UpdateControls::publish, Qt::QueuedConnection);
}

UpdateControls::~UpdateControls() {
    disconnect(m_cancellable);
}

bool UpdateControls::automaticallyChecks() const {
    return m_updater.automaticallyChecksForUpdates();
}

void UpdateControls::setAutomaticallyChecks(bool enabled) {
    notifyWillChange();
    m_updater.setAutomaticallyChecksForUpdates(enabled);
}

void UpdateControls::checkForUpdates() {
    platform::Application::activateIgnoringOtherApps();
    m_updater.checkForUpdates();
}

void UpdateControls::publish(bool canCheck) {
    notifyWillChange();
    m_canCheckForUpdates = canCheck;
}

} // namespace velto
