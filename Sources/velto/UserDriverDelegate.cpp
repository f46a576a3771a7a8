#include "UserDriverDelegate.h"

#include <Platform/Application.h>

namespace velto {

void UserDriverDelegate::willShowUpdaterWindow() {
    platform::Application::activateIgnoringOtherApps();
}

} // namespace velto
