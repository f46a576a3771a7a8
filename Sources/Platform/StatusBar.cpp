#include "Platform/StatusBar.h"

#include "Platform/OwnStatusBar.h"

namespace velto::platform {

StatusBar::~StatusBar() = default;

StatusBar& StatusBar::system() {
    // Made once and kept to the end of the process, like the bar it stands for.
    static StatusBar* bar = make(preferredKind()).release();
    return *bar;
}

std::unique_ptr<StatusBar> StatusBar::make(Kind kind) {
    switch (kind) {
    case Kind::OwnBar:
        break;
    }
    return std::make_unique<OwnStatusBar>();
}

StatusBar::Kind StatusBar::preferredKind() {
    return Kind::OwnBar;
}

} // namespace velto::platform
