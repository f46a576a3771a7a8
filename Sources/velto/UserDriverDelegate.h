#pragma once

#include <Platform/Updater.h>

namespace velto {

/**
 * Brings the application to the front before the updater shows a window: it
 * has no taskbar entry, so the window could otherwise open behind others.
 */
class UserDriverDelegate final : public platform::UserDriverDelegate {
public:
    void willShowUpdaterWindow() override;
};

} // namespace velto
