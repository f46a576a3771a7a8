#include "Platform/StatusBar.h"

#include "Platform/OwnStatusBar.h"
#include "Platform/TrayStatusBar.h"

#include <QDBusConnection>

namespace velto::platform {

StatusBar::~StatusBar() = default;

StatusBar& StatusBar::system() {
    // Made once and kept to the end of the process, like the bar it stands for.
    static StatusBar* bar = make(preferredKind()).release();
    return *bar;
}

std::unique_ptr<StatusBar> StatusBar::make(Kind kind) {
    switch (kind) {
    case Kind::Tray:
        return std::make_unique<TrayStatusBar>(QDBusConnection::sessionBus());
    case Kind::OwnBar:
        break;
    }
    return std::make_unique<OwnStatusBar>();
}

StatusBar::Kind StatusBar::preferredKind() {
    return QDBusConnection::sessionBus().isConnected() ? Kind::Tray : Kind::OwnBar;
}

} // namespace velto::platform
