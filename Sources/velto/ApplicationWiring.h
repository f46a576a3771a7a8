#pragma once

#include "PluginDirectoryWatcher.h"
#include "ReopenDelegate.h"
#include "SettingsStore.h"
#include "StatusBarController.h"
#include "UpdateControls.h"
#include "UpdaterDelegate.h"
#include "UserDriverDelegate.h"

#include <Platform/LinuxUpdater.h>
#include <Platform/UserDefaults.h>
#include <QString>
#include <VeltoPluginKit/VeltoWidget.h>
#include <memory>

namespace velto {

class PluginLoader;
namespace platform {
class UserDefaults;
}

/// What the entry point has built when it hands over to the interactive application.
struct StartupContext {
    bool isSmokeTest = false;
    platform::UserDefaults* defaults = nullptr;
    /// Made by prepareSettings() over defaults, after the status item migration.
    std::unique_ptr<SettingsStore> settings;
    PluginLoader* loader = nullptr;
    QString builtInDirectory;
    QString userDirectory;
    WidgetList widgets;

    /// The standard domain, where the update channel and the updater's own
    /// preferences live also in smoke-test mode.
    std::unique_ptr<platform::UserDefaults> standardDefaults;
    std::unique_ptr<UpdaterDelegate> updaterDelegate;
    std::unique_ptr<UserDriverDelegate> userDriverDelegate;
    /// Absent when updates are not offered or the updater could not start.
    std::unique_ptr<platform::LinuxUpdater> updater;
    /// Present exactly when updater is.
    std::unique_ptr<UpdateControls> updateControls;

    std::unique_ptr<StatusBarController> statusBar;
    /// Opens the settings window when velto is launched again while it runs.
    std::unique_ptr<ReopenDelegate> reopenDelegate;
    /// Hands widgets of bundles dropped into the user folder to the status bar.
    std::unique_ptr<PluginDirectoryWatcher> watcher;
};

/**
 * The interactive application joins start-up in two places. Both run on the
 * main thread, once, in this order.
 */
namespace ApplicationWiring {

/// Before the loader exists: status item migration, then the settings store.
void prepareSettings(StartupContext& context);

/// After the first load: updater, status bar with the widgets, application delegate, folder
/// watcher.
void presentApplication(StartupContext& context);

} // namespace ApplicationWiring
} // namespace velto
