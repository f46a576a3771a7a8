#pragma once

#include <VeltoPluginKit/VeltoWidget.h>

#include <QString>

namespace velto {

class PluginLoader;
namespace platform {
class UserDefaults;
}

/// What the entry point has built when it hands over to the interactive application.
struct StartupContext {
    bool isSmokeTest = false;
    platform::UserDefaults* defaults = nullptr;
    PluginLoader* loader = nullptr;
    QString builtInDirectory;
    QString userDirectory;
    WidgetList widgets;
};

/**
 * The interactive application joins start-up in two places. Both run on the
 * main thread, once, in this order.
 */
namespace ApplicationWiring {

/// Before the loader exists: status item migration, then the settings store.
void prepareSettings(StartupContext& context);

/// After the first load: updater, status bar with the widgets, application delegate, folder watcher.
void presentApplication(StartupContext& context);

} // namespace ApplicationWiring
} // namespace velto
