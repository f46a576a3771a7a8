#include "MenuBarFit/HiddenDebounce.h"

namespace velto {

bool HiddenDebounce::record(bool hidden) {
    streak = hidden ? streak + 1 : 0;
    return streak >= threshold;
}

} // namespace velto
