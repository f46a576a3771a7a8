#include "ApplicationWiring.h"

namespace velto::ApplicationWiring {

// The settings store and the status item migration are not built yet; start-up
// goes on with the loader and its defaults alone.
void prepareSettings(StartupContext&) {}

// The status bar, the updater and the folder watcher are not built yet: the
// widgets stay loaded but nothing presents them.
void presentApplication(StartupContext&) {}

} // namespace velto::ApplicationWiring
